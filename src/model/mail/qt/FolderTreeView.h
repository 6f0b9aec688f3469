#pragma once
// The common base of the folder trees: nodes keep the folder's plain name
// and its unread count, shown as "Name (n)"; the tree tells its owner
// through one event which folder the user chose.

#include <QPointer>
#include <QString>
#include <QTreeWidget>
#include <QTreeWidgetItem>

#include <functional>

namespace quenby {

class TMesgListView;

// "Name (n)", or the name alone when n <= 0.
QString FolderCaption(const QString& name, int unreadCount);

class TFolderNode : public QTreeWidgetItem {
 public:
  static constexpr int kType = QTreeWidgetItem::UserType + 1;
  explicit TFolderNode(const QString& name, int type = kType);

  const QString& Name() const { return Name_; }
  int UnreadCount() const { return UnreadCount_; }
  void SetUnreadCount(int n);

 private:
  QString Name_;
  int UnreadCount_ = 0;
};

class TFolderTreeView : public QTreeWidget {
  Q_OBJECT

 public:
  explicit TFolderTreeView(QWidget* parent = nullptr);
  ~TFolderTreeView() override;

  // Fired when the current node moves to a folder; never for no node.
  std::function<void(TFolderTreeView*, const QString&)> OnFolderChange;
  // The system beep; tests replace it.
  std::function<void()> Beep;

  // The message list that shows the selected folder's messages; set by
  // the list (TMesgListView::SetFolderTree), nil once it is destroyed.
  TMesgListView* MesgListView() const;
  void SetMesgListView(TMesgListView* view);

  TFolderNode* FirstNode() const;
  // The current node ("selected" in this tree's words); nil if none.
  TFolderNode* SelectedNode() const;
  QString SelectedName() const;
  // Makes node current, gives the tree the focus and scrolls to it.
  void SelectNode(TFolderNode* node);
  // A node at the level of sibling (the top level when nil).
  TFolderNode* AddNode(TFolderNode* sibling, const QString& name);
  TFolderNode* AddChildNode(TFolderNode* parent, const QString& name);

 protected:
  // Makes the tree's nodes; derived trees make their own node classes.
  virtual TFolderNode* CreateNode(const QString& name);
  // The base fires OnFolderChange with the node's name.
  virtual void DoFolderChange(TFolderNode* node);
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Change(QTreeWidgetItem* current);

  QPointer<TMesgListView> MesgListView_;
  bool Destroying_ = false;
};

}  // namespace quenby
