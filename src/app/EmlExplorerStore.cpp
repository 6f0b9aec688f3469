#include <QPointer>
#include <filesystem>

#include "app/ExplorerStores.h"
#include "platform/Paths.h"
#include "stores/MesgFiles.h"
#include "stores/qt/DirTree.h"

namespace quenby {

namespace {

// Folders compare exactly: on Linux /Mail and /mail are two folders.
bool SameFolder(const std::string& a, const std::string& b) {
  return ExcludeTrailingBackslash(a) == ExcludeTrailingBackslash(b);
}

bool IsFolder(const std::string& path) {
  std::error_code ignored;
  return !path.empty() && std::filesystem::is_directory(path, ignored);
}

class TEmlExplorerStore : public TExplorerStore {
 public:
  std::unique_ptr<TMesgItems> MakeCollection() override {
    auto items = std::make_unique<TMesgFileItems>();
    // The list moved to another folder: the tree follows.
    items->OnPathChange = [this](TMesgFileItems&, const std::string& path) {
      if (Tree_ && IsFolder(path) && !SameFolder(Tree_->SelectedPath(), path))
        Tree_->SelectPath(path);
      if (OnFolderChanged) OnFolderChanged();
    };
    return items;
  }

  std::string LocationKey() const override { return "Path"; }
  std::string Location(TMesgItems& items) const override {
    return static_cast<TMesgFileItems&>(items).Path();
  }

  // A message file opens its folder.
  TTreeChange SetLocation(TMesgItems& items, const std::string& path) override {
    const std::string folder = IsFolder(path) ? path : ParentFolder(path);
    static_cast<TMesgFileItems&>(items).SetPath(ExcludeTrailingBackslash(folder));
    return TTreeChange::Keep;
  }

  QWidget* MakeTree(QWidget* parent, TMesgItems& items) override {
    auto* tree = new TDirTree(parent);
    Tree_ = tree;
    auto* fileItems = &static_cast<TMesgFileItems&>(items);
    tree->ShowDrives();
    tree->OnFolderChange = [this, tree, fileItems](TFolderTreeView*, const QString&) {
      const std::string path = tree->SelectedPath();
      // Only a real move: selecting the list's own folder loads nothing again.
      if (!IsFolder(path) || SameFolder(path, fileItems->Path())) return;
      fileItems->SetPath(ExcludeTrailingBackslash(path));
      if (OnFolderChanged) OnFolderChanged();
    };
    if (IsFolder(fileItems->Path())) tree->SelectPath(fileItems->Path());
    return tree;
  }

 private:
  QPointer<TDirTree> Tree_;
};

}  // namespace

std::unique_ptr<TExplorerStore> MakeEmlExplorerStore() {
  return std::make_unique<TEmlExplorerStore>();
}

}  // namespace quenby
