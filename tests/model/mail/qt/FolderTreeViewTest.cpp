#include <gtest/gtest.h>

#include <QTest>
#include <memory>

#include "model/mail/qt/FolderTreeView.h"
#include "model/mail/qt/MesgListView.h"

namespace quenby::test {
namespace {

TEST(FolderTreeView, CaptionShowsPositiveUnreadCounts) {
  const struct {
    int Count;
    const char* Caption;
  } cases[] = {{0, "Inbox"}, {-1, "Inbox"}, {12, "Inbox (12)"}, {1, "Inbox (1)"}};
  TFolderNode node(QStringLiteral("Inbox"));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Count);
    node.SetUnreadCount(c.Count);
    EXPECT_EQ(node.text(0), QString::fromUtf8(c.Caption));
    EXPECT_EQ(node.Name(), QStringLiteral("Inbox"));
  }
}

class FolderTreeViewTest : public ::testing::Test {
 protected:
  FolderTreeViewTest() {
    Tree = std::make_unique<TFolderTreeView>();
    Tree->Beep = [this] { ++Beeps; };
    Tree->OnFolderChange = [this](TFolderTreeView*, const QString& name) { Changes << name; };
    Top = Tree->AddNode(nullptr, QStringLiteral("Store"));
    Inbox = Tree->AddChildNode(Top, QStringLiteral("Inbox"));
    Outbox = Tree->AddNode(Inbox, QStringLiteral("Outbox"));
    Tree->expandAll();
    Tree->show();
  }

  std::unique_ptr<TFolderTreeView> Tree;
  TFolderNode* Top;
  TFolderNode* Inbox;
  TFolderNode* Outbox;
  int Beeps = 0;
  QStringList Changes;
};

TEST_F(FolderTreeViewTest, OneEventPerChangeWithThePlainName) {
  EXPECT_EQ(Tree->FirstNode(), Top);
  EXPECT_EQ(Outbox->parent(), Top);
  Inbox->SetUnreadCount(3);
  Tree->SelectNode(Inbox);
  Tree->SelectNode(Inbox);
  Tree->SelectNode(nullptr);
  Tree->SelectNode(Outbox);
  EXPECT_EQ(Changes, (QStringList{QStringLiteral("Inbox"), QStringLiteral("Outbox")}));
  EXPECT_EQ(Tree->SelectedName(), QStringLiteral("Outbox"));
  // Clearing leaves no current node: no folder was chosen.
  Tree->clear();
  EXPECT_EQ(Changes.size(), 2);
  EXPECT_EQ(Tree->SelectedName(), QString());
  EXPECT_EQ(Tree->FirstNode(), nullptr);
}

TEST_F(FolderTreeViewTest, BeepsOnlyWhenUpOrHomeCannotMove) {
  const struct {
    const char* Name;
    int Start;  // 0 top, 1 inbox, 2 outbox
    Qt::Key Key;
    Qt::KeyboardModifiers Modifiers;
    int Beeps;
  } cases[] = {
      {"up on top", 0, Qt::Key_Up, Qt::NoModifier, 1},
      {"home on top", 0, Qt::Key_Home, Qt::NoModifier, 1},
      {"keypad up on top", 0, Qt::Key_Up, Qt::KeypadModifier, 1},
      {"shift up on top", 0, Qt::Key_Up, Qt::ShiftModifier, 0},
      {"down on top", 0, Qt::Key_Down, Qt::NoModifier, 0},
      {"up below the top", 1, Qt::Key_Up, Qt::NoModifier, 0},
      {"home below the top", 2, Qt::Key_Home, Qt::NoModifier, 0},
  };
  TFolderNode* nodes[] = {Top, Inbox, Outbox};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Tree->SelectNode(nodes[c.Start]);
    Beeps = 0;
    QTest::keyClick(Tree.get(), c.Key, c.Modifiers);
    EXPECT_EQ(Beeps, c.Beeps);
  }
  Tree->SelectNode(Inbox);
  QTest::keyClick(Tree.get(), Qt::Key_Up);
  EXPECT_EQ(Tree->SelectedNode(), Top);
}

TEST_F(FolderTreeViewTest, DestroyedListViewIsForgotten) {
  auto list = std::make_unique<TMesgListView>();
  list->SetFolderTree(Tree.get());
  EXPECT_EQ(Tree->MesgListView(), list.get());
  list.reset();
  EXPECT_EQ(Tree->MesgListView(), nullptr);
  Tree->SelectNode(Inbox);
  EXPECT_EQ(Changes, QStringList{QStringLiteral("Inbox")});
}

TEST_F(FolderTreeViewTest, DestroyingTheTreeFiresNothing) {
  Tree->SelectNode(Outbox);
  Changes.clear();
  Tree.reset();
  EXPECT_TRUE(Changes.isEmpty());
}

}  // namespace
}  // namespace quenby::test
