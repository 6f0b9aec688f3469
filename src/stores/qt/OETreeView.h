#pragma once
// The folder tree of an Outlook Express store. The folder list is read on
// a thread of its own and handed to the tree with a posted event; a list
// read for an older file name is thrown away.

#include <cstdint>
#include <memory>
#include <string>

#include "model/ExtThread.h"
#include "model/mail/qt/FolderTreeView.h"
#include "stores/OEInfo.h"

namespace quenby {

struct TOeFolderNode;

class TOeNode : public TFolderNode {
 public:
  static constexpr int kType = QTreeWidgetItem::UserType + 2;
  TOeNode(const QString& name, std::unique_ptr<Toe5_FolderInfo> info);
  const Toe5_FolderInfo& Info() const { return *Info_; }

 private:
  std::unique_ptr<Toe5_FolderInfo> Info_;
};

class TOETreeView : public TFolderTreeView {
  Q_OBJECT

 public:
  explicit TOETreeView(QWidget* parent = nullptr);
  ~TOETreeView() override;

  // Another name than the current one (ignoring case) is kept; when the
  // file exists its folders are read anew.
  void SetDbxFileName(const std::string& name);
  const std::string& DbxFileName() const { return DbxFileName_; }

  // The selected folder's id, -1 when none. Setting a value > 0 selects the
  // first folder with that id and keeps it for the next build.
  std::int32_t FolderId() const;
  void SetFolderId(std::int32_t id);

  // The folder file of a node, resolved in the store folder; empty for a
  // folder without messages of its own.
  std::string FolderPath(const TFolderNode* node) const;

  // The error text of a folder list that could not be read; empty after a
  // good read.
  const QString& StatusText() const { return StatusText_; }
  // Fired on the GUI thread after every build of the tree.
  std::function<void(TOETreeView*)> OnFoldersRead;

 protected:
  // Fires OnFolderChange with the folder's file name; a folder without a
  // file of its own is no message folder and fires nothing.
  void DoFolderChange(TFolderNode* node) override;
  bool event(QEvent* event) override;

 private:
  void StartRead();
  void BuildTree(TOeFolderNode tree);

  std::string DbxFileName_;
  TThreadRef ReadThread_{nullptr};
  std::uint64_t Generation_ = 0;
  std::int32_t PendingFolderId_ = 4;
  QString StatusText_;
};

}  // namespace quenby
