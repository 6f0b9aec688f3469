// The directory tree on the offscreen platform over a temporary folder
// hierarchy, with its real folder monitors.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "QtWait.h"
#include "TempDir.h"
#include "settings/GlobStrings.h"
#include "stores/qt/DirTree.h"

namespace quenby {
namespace {

using namespace std::chrono_literals;

class DirTree : public ::testing::Test {
 protected:
  void SetUp() override {
    LoadLanguage(QUENBY_SOURCE_DIR "/lang/english.ini");
    Tree.ShowDrives();
    Tree.OnFolderChange = [this](TFolderTreeView*, const QString& path) {
      Changes.push_back(path.toStdString());
    };
  }

  void Make(const std::string& relative) { std::filesystem::create_directories(Dir / relative); }

  // The names shown below the node of path.
  std::set<std::string> ChildrenOf(const std::string& path) const {
    std::set<std::string> names;
    const TDirNode* node = Tree.FindNode(path);
    for (int i = 0; node && i < node->childCount(); ++i)
      names.insert(static_cast<const TDirNode*>(node->child(i))->DiskName());
    return names;
  }

  test::TTempDir Dir;
  TDirTree Tree{nullptr, 100ms};
  std::vector<std::string> Changes;
};

TEST_F(DirTree, SelectPathCreatesTheChainOrStopsAtTheNearestExistingParent) {
  Make("a/b/c/d");
  Make("a/b/sibling");
  Make("a/file-is-no-folder");
  test::WriteAll(Dir / "a/b/note.eml", "x");

  Tree.SelectPath(Dir / "a/b/c/d");
  EXPECT_EQ(Tree.SelectedPath(), Dir / "a/b/c/d/");
  EXPECT_EQ(Tree.NodePath(static_cast<TDirNode*>(Tree.currentItem())), Dir / "a/b/c/d/");
  EXPECT_EQ(Changes.back(), Dir / "a/b/c/d/");
  // Levels on the way are listed whole: folders only.
  EXPECT_EQ(ChildrenOf(Dir / "a/b"), (std::set<std::string>{"c", "sibling"}));

  Tree.SelectPath(Dir / "a/b/missing/deeper");
  EXPECT_EQ(Tree.SelectedPath(), Dir / "a/b/");
  Tree.SelectPath("relative/a/b");
  EXPECT_EQ(Tree.SelectedPath(), Dir / "a/b/");
}

TEST_F(DirTree, FoldersMadeOrRemovedOutsideFollowAfterTheSettleTime) {
  Make("top/old");
  Tree.SelectPath(Dir / "top");
  Tree.FindNode(Dir / "top")->setExpanded(true);
  ASSERT_EQ(ChildrenOf(Dir / "top"), std::set<std::string>{"old"});

  Make("top/new");
  std::filesystem::remove(Dir / "top/old");
  EXPECT_TRUE(
      test::WaitFor([&] { return ChildrenOf(Dir / "top") == std::set<std::string>{"new"}; }));
  // A sibling made beside the selection shows through the parent's monitor.
  Make("beside");
  EXPECT_TRUE(test::WaitFor([&] { return Tree.FindNode(Dir / "beside") != nullptr; }));
}

TEST_F(DirTree, ASelectedFolderDeletedOutsideMovesTheSelectionToItsParent) {
  Make("p/doomed/inner");
  Tree.SelectPath(Dir / "p/doomed/inner");
  std::filesystem::remove_all(Dir / "p/doomed");
  EXPECT_TRUE(test::WaitFor([&] { return Tree.SelectedPath() == Dir / "p/"; }))
      << Tree.SelectedPath();
  EXPECT_EQ(Tree.FindNode(Dir / "p/doomed"), nullptr);
  EXPECT_EQ(Changes.back(), Dir / "p/");
}

TEST_F(DirTree, CaseDistinctSiblingsAreTwoNodes) {
  Make("Mail");
  Make("mail");
  Tree.SelectPath(Dir / "mail");
  EXPECT_EQ(Tree.SelectedPath(), Dir / "mail/");
  const TDirNode* lower = Tree.FindNode(Dir / "mail");
  Tree.SelectPath(Dir / "Mail");
  EXPECT_EQ(Tree.SelectedPath(), Dir / "Mail/");
  EXPECT_NE(Tree.currentItem(), lower);
  EXPECT_EQ(ChildrenOf(Dir.Path()), (std::set<std::string>{"Mail", "mail"}));
}

TEST_F(DirTree, HiddenFoldersShowOnlyWhenTheSelectionIsInside) {
  Make(".hidden/inside");
  Make("shown");
  Tree.SelectPath(Dir / "shown");
  EXPECT_EQ(ChildrenOf(Dir.Path()), std::set<std::string>{"shown"});

  Tree.SelectPath(Dir / ".hidden/inside");
  EXPECT_EQ(Tree.SelectedPath(), Dir / ".hidden/inside/");
  // Listing the level again keeps it while the selection is inside...
  Tree.LoadChildren(Tree.FindNode(Dir.Path()));
  EXPECT_EQ(ChildrenOf(Dir.Path()), (std::set<std::string>{".hidden", "shown"}));
  // ...and drops it once the selection has left.
  Tree.SelectPath(Dir / "shown");
  EXPECT_EQ(ChildrenOf(Dir.Path()), std::set<std::string>{"shown"});
}

TEST_F(DirTree, SubfolderIndicatorsComeFromTheWorkerAndTheTopNodeIsTheDesktop) {
  Make("level/full/sub");
  Make("level/empty");
  Tree.SelectPath(Dir / "level");
  Tree.FindNode(Dir / "level")->setExpanded(true);
  ASSERT_EQ(ChildrenOf(Dir / "level"), (std::set<std::string>{"empty", "full"}));
  EXPECT_TRUE(test::WaitFor([&] {
    return Tree.FindNode(Dir / "level/empty")->childIndicatorPolicy() ==
           QTreeWidgetItem::DontShowIndicator;
  }));
  EXPECT_EQ(Tree.FindNode(Dir / "level/full")->childIndicatorPolicy(),
            QTreeWidgetItem::ShowIndicator);
  EXPECT_EQ(Tree.FindNode(Dir / "level/full")->childCount(), 0);  // not listed until expanded
  Tree.FindNode(Dir / "level/full")->setExpanded(true);
  EXPECT_EQ(ChildrenOf(Dir / "level/full"), std::set<std::string>{"sub"});

  Tree.SelectNode(Tree.RootNode());
  EXPECT_EQ(Tree.SelectedPath(), Tree.DesktopPath());
  EXPECT_FALSE(Tree.DesktopPath().empty());
}

}  // namespace
}  // namespace quenby
