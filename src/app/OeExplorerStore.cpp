#include <QPointer>
#include <filesystem>

#include "app/ExplorerStores.h"
#include "platform/Paths.h"
#include "settings/GlobStrings.h"
#include "settings/IniFiler.h"
#include "settings/Options.h"
#include "stores/MesgOeItems.h"
#include "stores/StoreFolder.h"
#include "stores/qt/OETreeView.h"

namespace quenby {

namespace {

bool IsFoldersFile(const std::string& path) {
  const std::string name = std::filesystem::path(path).filename().string();
  return QString::fromStdString(name).compare(QLatin1String(kFoldersFileName.data()),
                                              Qt::CaseInsensitive) == 0;
}

// The folder list of a store folder, however its name is spelt; empty
// when there is none.
std::string FoldersFileIn(const std::string& folder) {
  return TStoreFolder(folder).Resolve(kFoldersFileName);
}

class TOeExplorerStore : public TExplorerStore {
 public:
  std::unique_ptr<TMesgItems> MakeCollection() override { return std::make_unique<TMesgOeItems>(); }

  std::string LocationKey() const override { return "DbxFileName"; }
  std::string Location(TMesgItems& items) const override {
    if (Tree_) return Tree_->DbxFileName();
    return static_cast<TMesgOeItems&>(items).FileName();
  }
  bool Loading(TMesgItems& items) const override {
    return static_cast<TMesgOeItems&>(items).Loading();
  }

  // A store folder or its folder list shows the tree; another .dbx file
  // is shown alone.
  TTreeChange SetLocation(TMesgItems& items, const std::string& path) override {
    std::error_code ignored;
    std::string folders;
    if (std::filesystem::is_directory(path, ignored))
      folders = FoldersFileIn(path);
    else if (IsFoldersFile(path))
      folders = path;
    if (folders.empty()) {
      FoldersFile_.clear();
      static_cast<TMesgOeItems&>(items).SetFile(path);
      return TTreeChange::Free;
    }
    FoldersFile_ = folders;
    if (!Tree_) return TTreeChange::Show;
    Tree_->SetDbxFileName(folders);
    return TTreeChange::Keep;
  }

  TTreeChange OpenChosenFile(TMesgItems& items, const std::string& path,
                             TOptions* options) override {
    const TTreeChange change = SetLocation(items, path);
    // The store folder is remembered: Linux has no registry that knows it.
    if (options && !FoldersFile_.empty())
      options->SetOeStoreRoot(IncludeTrailingBackslash(ParentFolder(FoldersFile_)));
    return change;
  }

  void OpenDefault(TMesgItems& /*items*/, TOptions* options,
                   const std::function<void()>& ask) override {
    const std::string root = options ? options->OeStoreRoot() : std::string();
    if (!root.empty()) FoldersFile_ = FoldersFileIn(root);
    if (FoldersFile_.empty()) ask();
  }

  std::u16string OpenFilterKey() const override { return u"dbx"; }

  QWidget* MakeTree(QWidget* parent, TMesgItems& items) override {
    if (FoldersFile_.empty()) return nullptr;
    auto* tree = new TOETreeView(parent);
    Tree_ = tree;
    auto* oeItems = &static_cast<TMesgOeItems&>(items);
    tree->OnFolderChange = [this, tree, oeItems](TFolderTreeView*, const QString&) {
      // The folder's file as the tree resolves it inside the store folder.
      const std::string file = tree->FolderPath(tree->SelectedNode());
      if (file.empty()) return;
      oeItems->SetFile(file);
      if (OnFolderChanged) OnFolderChanged();
    };
    tree->SetDbxFileName(FoldersFile_);
    return tree;
  }

  void DefineTreeProperties(QWidget* tree, TIniFiler& filer, bool reading) override {
    auto* oeTree = static_cast<TOETreeView*>(tree);
    if (!reading) {
      filer.IniFile().WriteInteger(filer.Section(), "FolderId", oeTree->FolderId());
      return;
    }
    const std::int64_t id = filer.IniFile().ReadInteger(filer.Section(), "FolderId", 4);
    if (id > 0 && id <= INT32_MAX) oeTree->SetFolderId(static_cast<std::int32_t>(id));
  }

  QString SelectedFolderName(QWidget* tree) const override {
    return static_cast<TOETreeView*>(tree)->SelectedName();
  }
  void SetSelectedUnread(QWidget* tree, int count) override {
    if (TFolderNode* node = static_cast<TOETreeView*>(tree)->SelectedNode())
      node->SetUnreadCount(count);
  }

 private:
  std::string FoldersFile_;  // the store's folder list, when it has one
  QPointer<TOETreeView> Tree_;
};

}  // namespace

std::unique_ptr<TExplorerStore> MakeOeExplorerStore() {
  return std::make_unique<TOeExplorerStore>();
}

}  // namespace quenby
