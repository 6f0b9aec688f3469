#pragma once
// The tree of folders of the message-file windows: a top node for the
// computer, the roots (/, the home folder, mounted volumes) below it, and
// the sub-folders of every listed folder, read lazily from the disk. Two
// folder monitors, on the selected folder and on its parent, keep both
// levels current. Folders whose names begin with "." are left out, unless
// the selection or the path being selected lies inside one.
//
// Nodes are found again by path after every listing: a listing may delete
// any node, the selected one included, whose folder has gone.

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/ExtThread.h"
#include "model/mail/qt/FolderTreeView.h"
#include "stores/DirPaths.h"

namespace quenby {

class TDirNode : public TFolderNode {
 public:
  TDirNode(std::string diskName, const QString& caption);

  // The folder's name as on disk, byte for byte; a root's is its path with
  // trailing '/'.
  const std::string& DiskName() const { return DiskName_; }
  bool Found = true;  // seen by the current listing

  // Caption order ignoring case; names equal but for case by their bytes.
  bool operator<(const QTreeWidgetItem& other) const override;

 private:
  std::string DiskName_;
};

class TDirTree : public TFolderTreeView {
 public:
  explicit TDirTree(QWidget* parent = nullptr,
                    std::chrono::milliseconds settleTime = std::chrono::milliseconds(300));
  ~TDirTree() override;

  // Creates the top node if missing and lists the roots.
  void ShowDrives();
  void RefreshDrives();
  void LoadChildren(TDirNode* node);

  TDirNode* RootNode() const;
  // Empty for the top node and nil; with trailing '/'.
  std::string NodePath(const TDirNode* node) const;
  // The listed node of path (exact names); nil when none.
  TDirNode* FindNode(const std::string& path) const;
  // The selected node's path; DesktopPath when nothing or the top node is.
  std::string SelectedPath() const;
  const std::string& DesktopPath() const { return DesktopPath_; }
  // Selects the folder (absolute), or its nearest existing parent, listing
  // and creating the nodes on the way. Relative paths are ignored.
  void SelectPath(const std::string& path);

  void BeginTreeUpdate();
  void EndTreeUpdate();

  bool SortDescending = false;
  std::function<void(TDirTree&)> OnTreeUpdated;

 protected:
  bool event(QEvent* e) override;
  // Lists the node's level, moves the monitors, then fires OnFolderChange
  // once, with SelectedPath (never the bare caption, which would name a
  // folder of the current directory).
  void DoFolderChange(TFolderNode* node) override;

 private:
  struct TPostGuard;
  TDirNode* CurrentNode() const;
  TDirNode* ChildNamed(QTreeWidgetItem* parent, const std::string& name) const;
  TDirNode* AddChild(QTreeWidgetItem* parent, std::string name, const QString& caption);
  // Deletes the children not Found; a deleted selection moves to parent.
  void DeleteUnfound(QTreeWidgetItem* parent);
  void SortChildren(QTreeWidgetItem* node);
  bool KeepsHidden(const std::string& childPath) const;
  void ReloadLevelOf(TDirNode* node);
  void QuerySubfolders(std::vector<std::string> paths);
  void Expanded(QTreeWidgetItem* item);
  // After a listing moved the selection, handles it as a change.
  void FollowSelection();

  TDirPaths Paths_;
  std::string DesktopPath_;
  std::string Keep_;  // the path being selected
  bool Sorting_ = false;
  bool SelectionMoved_ = false;
  bool Destroying_ = false;
  int UpdateDepth_ = 0;
  TThreadRef ParentMonitor_{nullptr};
  TThreadRef SelectedMonitor_{nullptr};
  std::shared_ptr<TPostGuard> Guard_;
};

}  // namespace quenby
