#include <gtest/gtest.h>

#include <QThread>
#include <fstream>

#include "DbxFixture.h"
#include "QtWait.h"
#include "settings/GlobStrings.h"
#include "stores/DbxLayout.h"
#include "stores/qt/OETreeView.h"

namespace quenby::test {
namespace {

const std::string kStore = std::string(QUENBY_TEST_DATA) + "/dbx/";

struct TFolder {
  std::uint32_t Id;
  std::uint32_t Parent;
  std::string Name;
  std::string File;  // empty: no file of its own
};

void WriteFolderList(const std::string& path, const std::vector<TFolder>& folders) {
  TDbxWriter w(dbx::kTypeFolders);
  w.SetItemCount(static_cast<std::int32_t>(folders.size()));
  w.SetRoot(0x3000);
  std::vector<TDbxEntry> entries;
  std::int64_t at = 0x4000;
  for (const auto& f : folders) {
    entries.push_back({at});
    std::vector<TDbxProperty> properties{Direct(0x80, f.Id), Direct(0x81, f.Parent),
                                         Stored(0x02, CString(f.Name))};
    properties.push_back(f.File.empty() ? Stored(0x06, Dword(0)) : Stored(0x03, CString(f.File)));
    w.PutRecord(at, properties);
    at += 0x100;
  }
  w.PutNode(0x3000, entries);
  w.Save(path);
}

std::string Render(QTreeWidgetItem* item, int depth = 0) {
  std::string out = std::string(std::size_t(depth) * 2, ' ') +
                    static_cast<TFolderNode*>(item)->Name().toStdString() + "\n";
  for (int i = 0; i < item->childCount(); ++i) out += Render(item->child(i), depth + 1);
  return out;
}

class OETreeViewTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { LoadLanguage(QUENBY_SOURCE_DIR "/lang/english.ini"); }

  OETreeViewTest() {
    Tree.OnFoldersRead = [this](TOETreeView*) { ++Builds; };
    Tree.OnFolderChange = [this](TFolderTreeView*, const QString& file) { Files << file; };
  }

  std::string Shown() { return Tree.FirstNode() ? Render(Tree.FirstNode()) : std::string(); }

  TTempDir Dir;
  TOETreeView Tree;
  int Builds = 0;
  QStringList Files;
};

TEST_F(OETreeViewTest, RealStoreSelectsItsInbox) {
  Tree.SetDbxFileName(kStore + "Folders.dbx");
  ASSERT_TRUE(WaitFor([&] { return Builds == 1; }));
  EXPECT_EQ(Shown(), "Outlook Express\n  Local Folders\n    Inbox\n    Outbox\n  Hotmail\n");
  EXPECT_TRUE(Tree.StatusText().isEmpty());
  EXPECT_EQ(Tree.FolderId(), 4);
  EXPECT_EQ(Files, QStringList{QStringLiteral("Inbox.dbx")});
  EXPECT_EQ(Tree.FolderPath(Tree.SelectedNode()), kStore + "Inbox.dbx");

  Tree.SetFolderId(5);
  EXPECT_EQ(Files.last(), QStringLiteral("Outbox.dbx"));
  // A folder without a file of its own is no message folder.
  Tree.SelectNode(static_cast<TFolderNode*>(Tree.FirstNode()->child(0)));
  EXPECT_EQ(Tree.FolderId(), 1);
  EXPECT_EQ(Files.size(), 2);
  EXPECT_EQ(Tree.FolderPath(Tree.SelectedNode()), "");

  // The same name in another case is no new store.
  Tree.SetDbxFileName(kStore + "FOLDERS.DBX");
  QCoreApplication::processEvents();
  QThread::msleep(50);
  QCoreApplication::processEvents();
  EXPECT_EQ(Builds, 1);
}

TEST_F(OETreeViewTest, WithoutThePendingFolderTheFirstGrandchildIsSelected) {
  WriteFolderList(Dir.Path() + "Folders.dbx", {{0, 0, "Outlook Express", ""},
                                               {1, 0, "Local Folders", ""},
                                               {8, 1, "Box", "Box.dbx"},
                                               {7, 1, "Archive", "Archive.dbx"}});
  Tree.SetDbxFileName(Dir.Path() + "Folders.dbx");
  ASSERT_TRUE(WaitFor([&] { return Builds == 1; }));
  EXPECT_EQ(Shown(), "Outlook Express\n  Local Folders\n    Box\n    Archive\n");
  EXPECT_EQ(Tree.FolderId(), 8);
  EXPECT_EQ(Files, QStringList{QStringLiteral("Box.dbx")});
}

TEST_F(OETreeViewTest, ListReadForAReplacedNameIsThrownAway) {
  WriteFolderList(Dir.Path() + "Other.dbx",
                  {{0, 0, "Outlook Express", ""}, {1, 0, "Second store", ""}});
  Tree.SetDbxFileName(kStore + "Folders.dbx");
  // The first reader posts its list while no events are handled.
  QThread::msleep(300);
  Tree.SetDbxFileName(Dir.Path() + "Other.dbx");
  ASSERT_TRUE(WaitFor([&] { return Builds >= 1; }));
  QThread::msleep(50);
  QCoreApplication::processEvents();
  EXPECT_EQ(Builds, 1);
  EXPECT_EQ(Shown(), "Outlook Express\n  Second store\n");
}

TEST_F(OETreeViewTest, UnreadableFolderListGivesTheErrorText) {
  Tree.SetDbxFileName(kStore + "Folders.dbx");
  ASSERT_TRUE(WaitFor([&] { return Builds == 1; }));
  std::ofstream(Dir.Path() + "folders.dbx", std::ios::binary) << "not a folder list at all";
  Tree.SetDbxFileName(Dir.Path() + "folders.dbx");
  ASSERT_TRUE(WaitFor([&] { return Builds == 2; }));
  EXPECT_FALSE(Tree.StatusText().isEmpty());
  EXPECT_EQ(Tree.FirstNode(), nullptr);
  EXPECT_EQ(Tree.FolderId(), -1);
  // A message folder where the folder list was expected.
  Tree.SetDbxFileName(kStore + "Inbox.dbx");
  ASSERT_TRUE(WaitFor([&] { return Builds == 3; }));
  EXPECT_FALSE(Tree.StatusText().isEmpty());
}

TEST_F(OETreeViewTest, DestroyedWhileReading) {
  auto tree = std::make_unique<TOETreeView>();
  tree->SetDbxFileName(kStore + "Folders.dbx");
  tree.reset();
  QCoreApplication::processEvents();
}

}  // namespace
}  // namespace quenby::test
