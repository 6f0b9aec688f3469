#pragma once
// What the explorer window needs of one kind of store: its collection,
// where the collection reads from, and its folder tree. Each store plugs
// in through a factory registered for its explorer kind, so the window
// never names a store's classes.

#include <QString>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "app/ExplorerKind.h"

namespace quenby {

class TIniFiler;
class TMesgItem;
class TMesgItems;
class TOptions;

class TExplorerStore {
 public:
  virtual ~TExplorerStore() = default;

  virtual std::unique_ptr<TMesgItems> MakeCollection() = 0;
  // The settings key of the location ("Path", "MBoxFileName"); empty when
  // the store has nothing to restore.
  virtual std::string LocationKey() const { return {}; }
  virtual std::string Location(TMesgItems& /*items*/) const { return {}; }
  // What becomes of the folder tree after a new location.
  enum class TTreeChange { Keep, Show, Free };
  // Opens path (a file or a folder) in items.
  virtual TTreeChange SetLocation(TMesgItems& /*items*/, const std::string& /*path*/) {
    return TTreeChange::Keep;
  }
  // The collection is still being filled.
  virtual bool Loading(TMesgItems& /*items*/) const { return false; }

  // The folder tree beside the list, linked to items; nullptr for none.
  virtual QWidget* MakeTree(QWidget* /*parent*/, TMesgItems& /*items*/) { return nullptr; }
  // The tree's own settings, in the window's section before the list's.
  virtual void DefineTreeProperties(QWidget* /*tree*/, TIniFiler& /*filer*/, bool /*reading*/) {}
  // The tree's selected folder: its name for the caption, and its unread count.
  virtual QString SelectedFolderName(QWidget* /*tree*/) const { return {}; }
  virtual void SetSelectedUnread(QWidget* /*tree*/, int /*count*/) {}

  // The open dialog's language file filter keys ("dbx", "mbx"); empty:
  // the store is not opened from a file.
  virtual std::u16string OpenFilterKey() const { return {}; }
  // A file the user chose; the store remembers it in options when useful.
  virtual TTreeChange OpenChosenFile(TMesgItems& items, const std::string& path,
                                     TOptions* /*options*/) {
    return SetLocation(items, path);
  }
  // At the kind's start: the store the options know, or the user is asked
  // (ask() runs the open dialog).
  virtual void OpenDefault(TMesgItems& /*items*/, TOptions* /*options*/,
                           const std::function<void()>& /*ask*/) {}
  // Set by the window: the tree moved to another folder.
  std::function<void()> OnFolderChanged;

  // Lists the messages of a digest held by an item of any list.
  virtual void AddDigest(TMesgItems& /*items*/, TMesgItem* /*digest*/) {}
};

using TExplorerStoreFactory = std::function<std::unique_ptr<TExplorerStore>()>;

// The stores by kind; a kind without one shows an empty list.
using TExplorerStores = std::map<TMesgExplKind, TExplorerStoreFactory>;

// The stores this build has.
const TExplorerStores& BuiltInExplorerStores();

}  // namespace quenby
