#include <gtest/gtest.h>

#include "DbxFixture.h"
#include "TestNames.h"
#include "stores/OeFolderTree.h"

namespace quenby::test {
namespace {

struct TRecord {
  std::int32_t Id;
  std::int32_t Parent;
  std::string Name;
  std::string File;
};

std::vector<std::unique_ptr<Toe5_FolderInfo>> Records(const std::vector<TRecord>& records) {
  std::vector<std::unique_ptr<Toe5_FolderInfo>> out;
  for (const auto& r : records)
    out.push_back(
        std::make_unique<Toe5_FolderInfo>(Toe5_FolderInfo{r.Id, r.Parent, r.Name, r.File}));
  return out;
}

// One line per node: depth as indentation, then the name and the id.
void Render(const TOeFolderNode& node, int depth, std::string& out) {
  out += std::string(std::size_t(depth) * 2, ' ') + node.Name + " " +
         std::to_string(node.Info->FolderId) + "\n";
  for (const auto& child : node.Children) Render(child, depth + 1, out);
}

std::string Render(const TOeFolderNode& tree) {
  std::string out;
  if (tree.Info) Render(tree, 0, out);
  return out;
}

const TRecord kRoot{0, -1, "Outlook Express", ""};

struct TTreeCase {
  std::string Name;
  std::vector<TRecord> Records;
  std::string Tree;
};

const TTreeCase kTreeCases[] = {
    {"FirstRecordHangsUnderTheRootWhateverItsParent",
     {kRoot, {1, 77, "Local Folders", ""}, {4, 1, "Inbox", "Inbox.dbx"}},
     "Outlook Express 0\n  Local Folders 1\n    Inbox 4\n"},
    {"SpecialsFirstInFileOrderThenByNameIgnoringCase",
     {kRoot,
      {1, 0, "Local Folders", ""},
      {4, 1, "Inbox", "Inbox.dbx"},
      {5, 1, "Outbox", "Outbox.dbx"},
      {6, 1, "Sent Items", "Sent Items.dbx"},
      {3, 1, "Deleted Items", "Deleted Items.dbx"},
      {7, 1, "Drafts", "Drafts.dbx"},
      {20, 1, "zebra", "zebra.dbx"},
      {21, 1, "Apple", "Apple.dbx"},
      {22, 1, "banana", "banana.dbx"},
      {23, 22, "Yellow", "Yellow.dbx"},
      {24, 22, "green", "green.dbx"}},
     "Outlook Express 0\n  Local Folders 1\n    Inbox 4\n    Outbox 5\n    Sent Items 6\n"
     "    Deleted Items 3\n    Drafts 7\n    Apple 21\n    banana 22\n      green 24\n"
     "      Yellow 23\n    zebra 20\n"},
    {"SeventhRecordIsSortedByName",
     {kRoot,
      {1, 0, "Local Folders", ""},
      {4, 1, "s4", "4.dbx"},
      {5, 1, "s5", "5.dbx"},
      {6, 1, "s6", "6.dbx"},
      {7, 1, "s7", "7.dbx"},
      {8, 1, "s8", "8.dbx"},
      {9, 1, "a9", "9.dbx"}},
     "Outlook Express 0\n  Local Folders 1\n    s4 4\n    s5 5\n    s6 6\n    s7 7\n"
     "    s8 8\n    a9 9\n"},
    {"OrphansAndTheirChildrenAreLeftOut",
     {kRoot,
      {1, 0, "Local Folders", ""},
      {30, 99, "Lost", "Lost.dbx"},
      {31, 30, "Below lost", ""},
      {4, 1, "Inbox", "Inbox.dbx"}},
     "Outlook Express 0\n  Local Folders 1\n    Inbox 4\n"},
    {"RecordsWithoutParentHangUnderTheRoot",
     {kRoot, {1, 0, "Local Folders", ""}, {9, 0, "Hotmail", ""}, {10, 9, "Inbox", "h.dbx"}},
     "Outlook Express 0\n  Local Folders 1\n  Hotmail 9\n    Inbox 10\n"},
    {"DuplicateIdsGiveTheChildrenToTheFirst",
     {kRoot,
      {1, 0, "Local Folders", ""},
      {5, 1, "First", "a.dbx"},
      {5, 1, "Second", "b.dbx"},
      {8, 5, "Child", "c.dbx"},
      {5, 5, "Self parent", "d.dbx"}},
     "Outlook Express 0\n  Local Folders 1\n    First 5\n      Child 8\n      Self parent 5\n"
     "    Second 5\n"},
    {"RootNameIgnoresCaseAndNeedsNoFile",
     {{3, -1, "Outlook Express", "x.dbx"}, {2, -1, "OUTLOOK EXPRESS", ""}, {1, 0, "Local", ""}},
     "OUTLOOK EXPRESS 0\n  Outlook Express 3\n  Local 1\n"},
    {"NoRootGivesAnEmptyTree", {{1, 0, "Local Folders", ""}, {4, 1, "Inbox", "Inbox.dbx"}}, ""},
    {"RootAloneHasNoChildren", {kRoot}, "Outlook Express 0\n"},
};

class OeFolderTreeTest : public ::testing::TestWithParam<TTreeCase> {};

TEST_P(OeFolderTreeTest, BuildsTheOrderedTree) {
  EXPECT_EQ(Render(BuildOeFolderTree(Records(GetParam().Records))), GetParam().Tree);
}

INSTANTIATE_TEST_SUITE_P(Stores, OeFolderTreeTest, ::testing::ValuesIn(kTreeCases), ByName());

TEST(OeFolderTree, RealFolderListBuildsItsTree) {
  TOEFile file;
  file.OpenFile(std::string(QUENBY_TEST_DATA) + "/dbx/Folders.dbx");
  std::vector<std::unique_ptr<Toe5_FolderInfo>> records;
  file.OnFolder = [&](std::unique_ptr<Toe5_FolderInfo> info) {
    records.push_back(std::move(info));
  };
  file.ReadTree();
  const TOeFolderNode tree = BuildOeFolderTree(std::move(records));
  EXPECT_EQ(Render(tree),
            "Outlook Express 0\n  Local Folders 1\n    Inbox 4\n    Outbox 5\n  Hotmail 9\n");
  const TOeFolderNode* pending = PendingOeFolder(tree, 4);
  ASSERT_NE(pending, nullptr);
  EXPECT_EQ(pending->Info->FolderFile, "Inbox.dbx");
}

TEST(OeFolderTree, PendingFolderOrElseTheFirstGrandchild) {
  const std::vector<TRecord> withGrandchild{
      kRoot, {1, 0, "Local Folders", ""}, {4, 1, "Inbox", "i.dbx"}, {8, 1, "Box", "b.dbx"}};
  const TOeFolderNode tree = BuildOeFolderTree(Records(withGrandchild));
  const struct {
    std::int32_t Pending;
    std::int32_t Selected;
  } cases[] = {{8, 8}, {4, 4}, {0, 4}, {-1, 4}, {77, 4}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Pending);
    const TOeFolderNode* node = PendingOeFolder(tree, c.Pending);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->Info->FolderId, c.Selected);
  }
  const TOeFolderNode flat = BuildOeFolderTree(Records({kRoot, {1, 0, "Local Folders", ""}}));
  EXPECT_EQ(PendingOeFolder(flat, 4), nullptr);
  EXPECT_EQ(PendingOeFolder(TOeFolderNode{}, 4), nullptr);
}

}  // namespace
}  // namespace quenby::test
