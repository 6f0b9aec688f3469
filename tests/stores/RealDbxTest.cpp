// The real store folder of tests/data/dbx (written by the mail program
// itself): what the reader makes of it.
#include <gtest/gtest.h>

#include "DbxFixture.h"
#include "stores/StoreFolder.h"

namespace quenby::test {
namespace {

const std::string kStore = std::string(QUENBY_TEST_DATA) + "/dbx/";

TEST(RealDbx, FolderListGivesTheFoldersWithAFileOrMarker) {
  TStoreFolder store(kStore);
  const std::string list = store.Resolve(kFoldersFileName);
  ASSERT_EQ(list, kStore + "Folders.dbx");
  TOEFile file;
  file.OpenFile(list);
  ASSERT_TRUE(file.IsFoldersFile());
  EXPECT_EQ(file.ItemCount(), 8);
  const TDbxRead read = ReadAll(file);
  // "Sent Items", "Deleted Items" and "Drafts" have no file yet and no
  // property 6: dropped. The root keeps its parent (-1) indirectly.
  std::vector<std::string> folders;
  for (const auto& f : read.Folders)
    folders.push_back(std::to_string(f.FolderId) + " " + std::to_string(f.ParentId) + " " +
                      f.FolderName + " [" + f.FolderFile + "]");
  EXPECT_EQ(folders, (std::vector<std::string>{"0 -1 Outlook Express []", "1 0 Local Folders []",
                                               "4 1 Inbox [Inbox.dbx]", "5 1 Outbox [Outbox.dbx]",
                                               "9 0 Hotmail []"}));
  EXPECT_TRUE(read.Problems.empty());
}

TEST(RealDbx, InboxGivesItsMessageAsRfc822Text) {
  TOEFile file;
  file.OpenFile(kStore + "Inbox.dbx");
  const TDbxRead read = ReadAll(file);
  ASSERT_EQ(read.Messages.size(), 1u);
  const Toe5_MessageInfo& m = read.Messages.front();
  EXPECT_EQ(m.MessageIndex, 2);
  EXPECT_EQ(m.OeFlags & kOeFlagRead, kOeFlagRead);
  const std::string text = ReadText(file, m.BodyOffset);
  EXPECT_EQ(std::int64_t(text.size()), m.MessageSize);
  EXPECT_TRUE(text.find("\r\n\r\n") != std::string::npos);
  EXPECT_NE(text.find("\r\nSubject: Welcome to Outlook Express 6\r\n"), std::string::npos);
  EXPECT_TRUE(file.Problems().empty());
}

TEST(RealDbx, EmptyOutboxGivesNothing) {
  TOEFile file;
  file.OpenFile(kStore + "Outbox.dbx");
  EXPECT_EQ(file.ItemCount(), 0);
  const TDbxRead read = ReadAll(file);
  EXPECT_TRUE(read.Messages.empty());
  EXPECT_TRUE(read.Problems.empty());
}

TEST(RealDbx, OfflineFileIsRefused) {
  TOEFile file;
  EXPECT_THROW(file.OpenFile(kStore + "Offline.dbx"), EStreamError);
}

}  // namespace
}  // namespace quenby::test
