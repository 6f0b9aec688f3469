// In-memory lists filled by drops and pastes.
#include <gtest/gtest.h>

#include "TempDir.h"
#include "model/FastMemoryStream.h"
#include "stores/MemMesgItems.h"

namespace quenby::test {
namespace {

TFastMemoryStream StreamOf(const std::string& text) {
  TFastMemoryStream stream;
  stream.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
  return stream;
}

TEST(MemMesgItems, EveryDroppedStreamBecomesOneItem) {
  TMemMesgItems items;
  const TDropTarget target = items.QueryDropTarget();
  EXPECT_FALSE(target.Accept);
  ASSERT_TRUE(target.StreamHandler);
  const std::string first = "Subject: first\r\nFrom: Ana <ana@example.org>\r\n\r\nbody\r\n";
  const std::string second = "Subject: second\r\n\r\n" + std::string(40000, 'x') + "\r\n";
  for (const std::string* text : {&first, &second}) {
    TFastMemoryStream stream = StreamOf(*text);
    target.StreamHandler(stream);  // left at its end by the writes: read from its start
  }
  ASSERT_EQ(items.Count(), 2);
  std::set<std::string> keys;
  for (std::int32_t i = 0; i < items.Count(); ++i) {
    auto* item = static_cast<TMemMesgItem*>(items.ItemAt(i));
    const std::string& text = item->Subject == "first" ? first : second;
    EXPECT_EQ(item->Stream.ToString(), text);
    EXPECT_EQ(item->Size, static_cast<std::int64_t>(text.size()));
    keys.insert(item->GetKey());
    TMimeMessage message;
    item->LoadMessage(message, false);
    EXPECT_EQ(message.RawSubject(), item->Subject);
  }
  EXPECT_EQ(keys.size(), 2u);
}

TEST(MemMesgItems, UnreadableStreamIsLeftOutWithAStatusText) {
  TMemMesgItems items;
  TFastMemoryStream empty;
  items.AddFromStream(empty);
  EXPECT_EQ(items.Count(), 0);
  EXPECT_FALSE(items.StatusText().empty());
}

TEST(MemMesgItems, KeysAreNeverReusedAfterADelete) {
  TMemMesgItems items;
  TFastMemoryStream a = StreamOf("Subject: a\r\n\r\nx\r\n");
  items.AddFromStream(a);
  const std::string key = items.ItemAt(0)->GetKey();
  items.DeleteMessage(0);
  items.AddFromStream(a);
  EXPECT_NE(items.ItemAt(0)->GetKey(), key);
}

// The digest is an item of another list, as when the window splits the
// message it shows.
TEST(MemMesgItems, SplitDigestAddsTheDigestsMessages) {
  TMemMesgItems source;
  TFastMemoryStream digest =
      StreamOf(ReadAll(std::string(QUENBY_SOURCE_DIR) + "/samples/digest/digest-412.eml"));
  source.AddFromStream(digest);
  ASSERT_EQ(source.Count(), 1);
  TMemMesgItems split;
  split.SplitDigest(source.ItemAt(0));
  split.SplitDigest(nullptr);
  EXPECT_EQ(split.Count(), 3);
  EXPECT_EQ(source.ItemAt(0)->RefCount(), 0);
}

}  // namespace
}  // namespace quenby::test
