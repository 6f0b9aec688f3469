// Writing a list as a mailbox, and reading it back.
#include <gtest/gtest.h>

#include <map>

#include "TempDir.h"
#include "model/FastMemoryStream.h"
#include "platform/Errors.h"
#include "platform/Paths.h"
#include "stores/UnixMesgItems.h"

namespace quenby::test {
namespace {

void Drop(TMemMesgItems& items, const std::string& text) {
  TFastMemoryStream stream;
  stream.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
  items.AddFromStream(stream);
}

// Texts in file order.
std::vector<std::string> ReadBack(const std::string& path, TMemMesgItems& items) {
  LoadMailbox(items, path);
  std::vector<std::pair<long long, std::string>> texts;
  for (std::int32_t i = 0; i < items.Count(); ++i)
    texts.emplace_back(std::stoll(items.ItemAt(i)->GetKey()),
                       static_cast<TMemMesgItem*>(items.ItemAt(i))->Stream.ToString());
  std::sort(texts.begin(), texts.end());
  std::vector<std::string> result;
  for (auto& [key, text] : texts) result.push_back(std::move(text));
  return result;
}

TEST(WriteMailbox, RoundTripKeepsEveryMessageWhole) {
  TMemMesgItems items;
  Drop(items,
       "From: Ana <ana@example.org>\r\nSubject: 1 one\r\n\r\nhello\r\n\r\nFrom the body\r\n"
       ">From quoted\r\n");
  Drop(items, "Subject: 2 two\r\n\r\nno final line end");
  Drop(items, "Subject: 3 three\n\nends with its own empty line\n\n");
  for (std::int32_t i = 0; i < items.Count(); ++i)
    items.ItemAt(i)->DateSent = EncodeDateTime(2002, 3, 5, 14, 3, 7);
  TTempDir dir;
  WriteMailbox(items, dir / "out.mbox");
  const std::string file = ReadAll(dir / "out.mbox");
  EXPECT_EQ(file.substr(0, file.find('\n') + 1),
            "From ana@example.org Tue Mar  5 14:03:07 2002\r\n");
  EXPECT_NE(file.find("From  Tue Mar  5 14:03:07 2002\r\nSubject: 2 two"), std::string::npos);

  const std::map<std::string, std::string> bySubject = {
      {"1 one",
       "From: Ana <ana@example.org>\r\nSubject: 1 one\r\n\r\nhello\r\n\r\n>From the body\r\n"
       ">>From quoted\r\n\r\n"},
      {"2 two", "Subject: 2 two\r\n\r\nno final line end\r\n\r\n"},
      {"3 three", "Subject: 3 three\r\n\r\nends with its own empty line\r\n\r\n"},
  };
  std::vector<std::string> expected;  // in list order
  for (std::int32_t i = 0; i < items.Count(); ++i)
    expected.push_back(bySubject.at(items.ItemAt(i)->Subject));
  TMemMesgItems first;
  EXPECT_EQ(ReadBack(dir / "out.mbox", first), expected);

  // A second round adds no empty lines, only the ">" of the quoting.
  WriteMailbox(first, dir / "again.mbox");
  TMemMesgItems second;
  std::vector<std::string> requoted = expected;
  for (std::string& text : requoted)
    if (const std::size_t at = text.find(">From the body"); at != std::string::npos) {
      text.insert(text.find(">>From quoted"), ">");
      text.insert(at, ">");
    }
  // (The order was checked above; this list has its own.)
  std::vector<std::string> again = ReadBack(dir / "again.mbox", second);
  std::sort(again.begin(), again.end());
  std::sort(requoted.begin(), requoted.end());
  EXPECT_EQ(again, requoted);
}

TEST(WriteMailbox, OldFileBecomesTheBackup) {
  TTempDir dir;
  WriteAll(dir / "out.mbox", "old text");
  TMemMesgItems items;
  Drop(items, "Subject: new\r\n\r\nx\r\n");
  WriteMailbox(items, dir / "out.mbox");
  EXPECT_EQ(ReadAll(BackupFileName(dir / "out.mbox")), "old text");
  EXPECT_NE(ReadAll(dir / "out.mbox").find("Subject: new"), std::string::npos);
}

TEST(WriteMailbox, FailureNamesThePath) {
  TTempDir dir;
  WriteAll(dir / "plain", "a file, not a folder");
  TMemMesgItems items;
  Drop(items, "Subject: x\r\n\r\nx\r\n");
  try {
    WriteMailbox(items, dir / "plain/out.mbox");
    FAIL() << "no error";
  } catch (const EStreamError& e) {
    EXPECT_EQ(e.Path(), dir / "plain/out.mbox");
  }
  EXPECT_EQ(ReadAll(dir / "plain"), "a file, not a folder");
}

}  // namespace
}  // namespace quenby::test
