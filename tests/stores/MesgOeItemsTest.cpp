#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <thread>

#include "DbxFixture.h"
#include "TestNames.h"
#include "model/FastMemoryStream.h"
#include "model/RecordingView.h"
#include "platform/FileTimes.h"
#include "settings/GlobStrings.h"
#include "stores/MesgOeItems.h"

namespace quenby::test {
namespace {

struct TMessage {
  std::uint32_t Index;
  std::string Text;
  std::uint32_t Flags = 0;
  std::uint64_t Received = 0;
};

std::string TextOf(std::uint32_t index, const std::string& body = "body\r\n") {
  return "From: Ann Lee <ann@example.org>\r\nTo: bob@example.org\r\nSubject: Note " +
         std::to_string(index) + "\r\nDate: Tue, 07 Jun 2005 08:09:10 +0000\r\n\r\n" + body;
}

void WriteFolder(const std::string& path, const std::vector<TMessage>& messages) {
  TDbxFileBuilder builder(path);
  for (const auto& m : messages) builder.AddMessage(m.Index, m.Text, m.Flags, m.Received);
  builder.Finish();
}

void WriteNumbered(const std::string& path, std::uint32_t first, std::uint32_t count) {
  TDbxFileBuilder builder(path);
  for (std::uint32_t i = first; i < first + count; ++i)
    builder.AddMessage(i, TextOf(i, std::string(2000, 'x') + "\r\n"), 0, 0);
  builder.Finish();
}

std::set<std::string> Keys(TMesgItems& items) {
  TReadLock read(items.Lock());
  std::set<std::string> keys;
  for (std::int32_t i = 0; i < items.Count(); ++i) keys.insert(items.ItemAt(i)->GetKey());
  return keys;
}

std::string SavedText(const TMesgItem& item) {
  TFastMemoryStream stream;
  item.SaveToStream(stream);
  return stream.ToString();
}

bool WaitUntil(const std::function<bool()>& condition) {
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!condition()) {
    if (std::chrono::steady_clock::now() > limit) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

class MesgOeItemsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { LoadLanguage(QUENBY_SOURCE_DIR "/lang/english.ini"); }
  TTempDir Dir;
};

TEST_F(MesgOeItemsTest, EveryRecordBecomesAnItemFromItsHeaders) {
  const std::uint64_t received = 127680965500000000ull;  // 2005-08-10
  const std::vector<TMessage> messages{
      {7, TextOf(7), 0x4080, received}, {8, TextOf(8), 0x20, 0}, {9, TextOf(9), 0, received}};
  WriteFolder(Dir.Path() + "f.dbx", messages);
  TMesgOeItems items;
  items.ReadFile(Dir.Path() + "f.dbx");
  ASSERT_EQ(items.Count(), 3);
  EXPECT_TRUE(items.StatusText().empty());
  const struct {
    std::string Key;
    TMesgFlags Flags;
    bool HasReceived;
  } expected[] = {{"7", mfSeen | mfAttachment, true}, {"8", mfFlagged, false}, {"9", 0, true}};
  for (const auto& e : expected) {
    SCOPED_TRACE(e.Key);
    const auto* item = static_cast<TMesgOeItem*>(items.ItemAt(items.IndexOfKey(e.Key)));
    ASSERT_NE(item, nullptr);
    const TMessage& m = messages[std::size_t(std::stoi(e.Key) - 7)];
    EXPECT_EQ(item->Flags, e.Flags);
    EXPECT_EQ(item->Subject, "Note " + e.Key);
    EXPECT_EQ(item->FromRealName, "Ann Lee");
    EXPECT_EQ(item->FromEMail, "ann@example.org");
    EXPECT_EQ(item->ToEmail, "bob@example.org");
    EXPECT_NE(item->DateSent, 0);
    EXPECT_EQ(item->DateReceived != 0, e.HasReceived);
    EXPECT_EQ(item->Size, std::int64_t(m.Text.size()));
    EXPECT_EQ(item->GetFileName(), "Note " + e.Key + e.Key);
    EXPECT_EQ(SavedText(*item), m.Text);
  }
  EXPECT_EQ(items.FlagCount(TFlagCounter::Unseen), 2);
}

TEST_F(MesgOeItemsTest, FailingRecordIsLeftOutWithItsStatusText) {
  WriteFolder(Dir.Path() + "f.dbx", {{1, TextOf(1)}, {2, ""}, {3, TextOf(3)}});
  TMesgOeItems items;
  items.ReadFile(Dir.Path() + "f.dbx");
  EXPECT_EQ(Keys(items), (std::set<std::string>{"1", "3"}));
  EXPECT_FALSE(items.StatusText().empty());
}

TEST_F(MesgOeItemsTest, EmptyFolderAndMissingFile) {
  WriteFolder(Dir.Path() + "empty.dbx", {});
  TMesgOeItems items;
  items.ReadFile(Dir.Path() + "empty.dbx");
  EXPECT_EQ(items.Count(), 0);
  EXPECT_TRUE(items.StatusText().empty());
  EXPECT_THROW(items.ReadFile(Dir.Path() + "missing.dbx"), EStreamError);
  EXPECT_FALSE(items.Loading());
}

TEST_F(MesgOeItemsTest, HeadersOnlyReadStopsAtTheBlankLine) {
  // Blocks hold 512 bytes: the blank line may straddle two of them.
  const std::string pad = "X-Pad: " + std::string(500, 'p') + "\r\n";
  const struct {
    std::string Name;
    std::string Text;
    std::size_t HeaderLength;
  } cases[] = {
      {"crlf", "Subject: a\r\n\r\nbody", 14},
      {"lf", "Subject: a\n\nbody\n\nmore", 12},
      {"straddling", pad + "Subject: a\r\n\r\n" + std::string(3000, 'b'), pad.size() + 14},
      {"noBlankLine", "Subject: a\r\n", 12},
      {"noHeaders", "\r\nbody", 2},
  };
  std::vector<TMessage> messages;
  for (std::uint32_t i = 0; i < std::size(cases); ++i) messages.push_back({i + 1, cases[i].Text});
  WriteFolder(Dir.Path() + "f.dbx", messages);
  TOEFile file;
  file.OpenFile(Dir.Path() + "f.dbx");
  const TDbxRead read = ReadAll(file);
  ASSERT_EQ(read.Messages.size(), std::size(cases));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].Name);
    TFastMemoryStream stream;
    file.ReadMessage(read.Messages[i].BodyOffset, &stream, true);
    EXPECT_EQ(stream.ToString(), cases[i].Text.substr(0, cases[i].HeaderLength));
  }
}

TEST_F(MesgOeItemsTest, RealInboxLoads) {
  TMesgOeItems items;
  items.ReadFile(std::string(QUENBY_TEST_DATA) + "/dbx/Inbox.dbx");
  ASSERT_EQ(items.Count(), 1);
  const TMesgItem* item = items.ItemAt(0);
  EXPECT_EQ(item->GetKey(), "2");
  EXPECT_EQ(item->Subject, "Welcome to Outlook Express 6");
  EXPECT_TRUE(item->Flags & mfSeen);
  EXPECT_EQ(std::int64_t(SavedText(*item).size()), item->Size);
  items.ReadFile(std::string(QUENBY_TEST_DATA) + "/dbx/Outbox.dbx");
  EXPECT_EQ(items.Count(), 0);
}

TEST_F(MesgOeItemsTest, AnotherFileDuringALoadEndsWithExactlyItsMessages) {
  WriteNumbered(Dir.Path() + "big.dbx", 1, 3000);
  WriteFolder(Dir.Path() + "small.dbx", {{9001, TextOf(9001)}, {9002, TextOf(9002)}});
  TMesgOeItems items;
  TRecordingView view(items.View());
  items.SetFile(Dir.Path() + "big.dbx");
  ASSERT_TRUE(WaitUntil([&] { return items.Count() > 10; }));
  items.SetFile(Dir.Path() + "small.dbx");
  const std::set<std::string> small{"9001", "9002"};
  ASSERT_TRUE(WaitUntil([&] { return !items.Loading() && Keys(items) == small; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(Keys(items), small);
  EXPECT_EQ(items.FileName(), Dir.Path() + "small.dbx");
}

TEST_F(MesgOeItemsTest, ItemReadsItsOwnFileWhileAnotherLoads) {
  WriteFolder(Dir.Path() + "a.dbx", {{1, TextOf(1, "first folder\r\n")}});
  WriteNumbered(Dir.Path() + "big.dbx", 1, 3000);
  TMesgOeItems items;
  items.ReadFile(Dir.Path() + "a.dbx");
  // Held as a drag or the message pane holds it, across the switch.
  TItemRef<TSyncItem> held(items.AcquireItem(0));
  ASSERT_TRUE(held);
  items.SetFile(Dir.Path() + "big.dbx");
  ASSERT_TRUE(WaitUntil([&] { return items.Count() > 0; }));
  EXPECT_EQ(SavedText(*static_cast<TMesgOeItem*>(held.get())), TextOf(1, "first folder\r\n"));
  // The same key in the new folder reads the new folder's text.
  ASSERT_TRUE(WaitUntil([&] { return !items.Loading() && items.Count() == 3000; }));
  const auto* fresh = items.ItemAt(items.IndexOfKey("1"));
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(SavedText(*fresh), TextOf(1, std::string(2000, 'x') + "\r\n"));
}

TEST_F(MesgOeItemsTest, DestroyedInTheMiddleOfALoad) {
  WriteNumbered(Dir.Path() + "big.dbx", 1, 3000);
  auto items = std::make_unique<TMesgOeItems>();
  items->SetFile(Dir.Path() + "big.dbx");
  ASSERT_TRUE(WaitUntil([&] { return items->Count() > 10; }));
  items.reset();
}

TEST_F(MesgOeItemsTest, MissingFileChangesNothingAndUnreadableFileSaysWhy) {
  WriteFolder(Dir.Path() + "a.dbx", {{1, TextOf(1)}});
  TMesgOeItems items;
  TRecordingView view(items.View());
  items.SetFile(Dir.Path() + "a.dbx");
  ASSERT_TRUE(WaitUntil([&] { return !items.Loading() && items.Count() == 1; }));
  items.SetFile(Dir.Path() + "missing.dbx");
  EXPECT_EQ(items.Count(), 1);
  EXPECT_EQ(items.FileName(), Dir.Path() + "a.dbx");
  // Not a folder file at all: the load ends with the status text.
  {
    std::FILE* f = std::fopen((Dir.Path() + "junk.dbx").c_str(), "wb");
    std::fputs("not a folder file", f);
    std::fclose(f);
  }
  items.SetFile(Dir.Path() + "junk.dbx");
  ASSERT_TRUE(WaitUntil([&] { return !items.StatusText().empty(); }));
  ASSERT_TRUE(WaitUntil([&] { return !items.Loading(); }));
  EXPECT_EQ(items.Count(), 0);
}

}  // namespace
}  // namespace quenby::test
