#include "model/mail/qt/FolderTreeView.h"

#include <QApplication>
#include <QKeyEvent>

#include "model/mail/qt/MesgListView.h"

namespace quenby {

QString FolderCaption(const QString& name, int unreadCount) {
  return unreadCount <= 0 ? name : QStringLiteral("%1 (%2)").arg(name).arg(unreadCount);
}

TFolderNode::TFolderNode(const QString& name, int type) : QTreeWidgetItem(type), Name_(name) {
  setText(0, name);
}

void TFolderNode::SetUnreadCount(int n) {
  UnreadCount_ = n;
  setText(0, FolderCaption(Name_, n));
}

TFolderTreeView::TFolderTreeView(QWidget* parent)
    : QTreeWidget(parent), Beep([] { QApplication::beep(); }) {
  setHeaderHidden(true);
  setColumnCount(1);
  setIndentation(10);
  connect(this, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* current) { Change(current); });
}

TFolderTreeView::~TFolderTreeView() {
  // The base's teardown may still move the current item; the derived
  // parts are gone by then.
  Destroying_ = true;
  disconnect(this, &QTreeWidget::currentItemChanged, this, nullptr);
}

TMesgListView* TFolderTreeView::MesgListView() const {
  return MesgListView_.data();
}

void TFolderTreeView::SetMesgListView(TMesgListView* view) {
  MesgListView_ = view;
}

TFolderNode* TFolderTreeView::FirstNode() const {
  return topLevelItemCount() ? static_cast<TFolderNode*>(topLevelItem(0)) : nullptr;
}

TFolderNode* TFolderTreeView::SelectedNode() const {
  return static_cast<TFolderNode*>(currentItem());
}

QString TFolderTreeView::SelectedName() const {
  const TFolderNode* node = SelectedNode();
  return node ? node->Name() : QString();
}

void TFolderTreeView::SelectNode(TFolderNode* node) {
  if (!node) return;
  setCurrentItem(node);
  setFocus();
  scrollToItem(node);
}

TFolderNode* TFolderTreeView::CreateNode(const QString& name) {
  return new TFolderNode(name);
}

TFolderNode* TFolderTreeView::AddNode(TFolderNode* sibling, const QString& name) {
  TFolderNode* node = CreateNode(name);
  if (QTreeWidgetItem* parent = sibling ? sibling->parent() : nullptr)
    parent->addChild(node);
  else
    addTopLevelItem(node);
  return node;
}

TFolderNode* TFolderTreeView::AddChildNode(TFolderNode* parent, const QString& name) {
  if (!parent) return AddNode(nullptr, name);
  TFolderNode* node = CreateNode(name);
  parent->addChild(node);
  return node;
}

void TFolderTreeView::DoFolderChange(TFolderNode* node) {
  if (OnFolderChange) OnFolderChange(this, node->Name());
}

void TFolderTreeView::Change(QTreeWidgetItem* current) {
  // Clearing the tree makes no node current: that is no folder change.
  if (Destroying_ || !current) return;
  DoFolderChange(static_cast<TFolderNode*>(current));
}

void TFolderTreeView::keyPressEvent(QKeyEvent* event) {
  // The keypad's arrows carry the keypad modifier; they count as plain keys.
  const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
  const bool atTop = (event->key() == Qt::Key_Up || event->key() == Qt::Key_Home) && plain &&
                     SelectedNode() && SelectedNode() == FirstNode();
  QTreeWidget::keyPressEvent(event);
  if (atTop && Beep) Beep();
}

}  // namespace quenby
