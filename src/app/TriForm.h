#pragma once
// The explorer window: a folder tree on the left, the message list on the
// right and the message pane below them, for one explorer kind. Changing
// the kind swaps the collection behind the list and the tree beside it;
// the store of each kind comes from its registered TExplorerStore.

#include <QPointer>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "app/CommonForm.h"
#include "app/ExplorerKind.h"
#include "app/ExplorerStore.h"

class QAction;

namespace quenby {

class IMesgPane;
class IStoreDialogs;
class TMesgItem;
class TMesgItems;
class TOptions;
class TMesgListView;

// What every explorer window shares: the options (may be null), the
// stores by kind and the file dialogs.
struct TExplorerContext {
  TOptions* Options = nullptr;
  const TExplorerStores* Stores = nullptr;
  IStoreDialogs* Dialogs = nullptr;
  // Writes a list to a mailbox file; failures are raised. None: the
  // export is not offered.
  std::function<void(const TMesgItems& items, const std::string& path)> WriteMailbox;
};

// The context of the program's own windows: this build's stores and
// mailbox writer.
TExplorerContext BuiltInExplorerContext(TOptions* options, IStoreDialogs* dialogs);

// Messages and unread messages of a collection; none counts 0 and 0.
std::pair<int, int> StatusCounts(const TMesgItems* items);

class TTriForm : public TCommonForm {
  Q_OBJECT

 public:
  TTriForm(TManagerForm& manager, const TExplorerContext& context);
  ~TTriForm() override;

  std::string ClassName() const override { return "TTriForm"; }
  QString GetTaskCaption() const override;
  TTaskForm* NewWindow() override;
  void DefineIniProperties(TIniFiler& filer, bool reading) override;
  void UpdateStatusBar() override;

  TMesgExplKind MesgExplKind() const { return Kind_; }
  void SetMesgExplKind(TMesgExplKind kind);
  bool ShowTree() const { return Tree_ != nullptr; }
  void SetShowTree(bool show);
  bool ShowEditor() const { return Pane_ != nullptr; }
  void SetShowEditor(bool show);

  TMesgListView* MesgList() const { return MesgList_; }
  // The kind's collection; null when the kind has no store.
  TMesgItems* Items() const;
  TExplorerStore* Store() const { return Store_.get(); }
  IMesgPane* MesgPane() const { return Pane_; }
  QWidget* TreePane() const { return Tree_; }
  // Where the collection reads from (a folder, a mailbox, a .dbx file).
  std::string Location() const;
  void OpenLocation(const std::string& path);
  bool Loading() const;

  void ShowSelected(TMesgItem* item);
  // Double click or Enter: a digest opens in a new window of its messages.
  void OpenItem(TMesgItem* item);
  // Asks for a file and writes the whole list to it as a mailbox.
  void ExportToMailbox();
  const QString& MailboxFolder() const { return MailboxFolder_; }
  void AskOpenFile();
  void ChooseSource();
  void SelectRelative(int step);
  void UpdateActions();
  void Layout();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void BuildMenus();
  QAction* AddAction(QMenu* menu, const char* name, const QString& caption,
                     const QKeySequence& shortcut = {}, bool enabled = true);
  void FreeTree();
  void MakeTree();
  void SetTabOrder();
  void LocationChanged(TExplorerStore::TTreeChange change);
  std::string LocationKey() const;
  void StatusText(const QString& text);

  TExplorerContext Context_;
  TMesgExplKind Kind_ = ekNone;
  std::unique_ptr<TExplorerStore> Store_;
  TMesgListView* MesgList_ = nullptr;
  QPointer<QWidget> Tree_;
  IMesgPane* Pane_ = nullptr;
  QString MailboxFolder_;  // the folder the mailbox dialogs start in
  bool ShowingError_ = false;
};

// The kind that shows path: a store folder or .dbx file, a folder of
// message files or one of its files, or else a mailbox.
TMesgExplKind ExplKindOfPath(const std::string& path);

// Registers the window class with the manager; context must outlive it.
void RegisterExplorer(TManagerForm& manager, const TExplorerContext& context);
// Creates, sets the kind and shows an explorer window.
TTriForm* NewExplorer(TManagerForm& manager, const TExplorerContext& context, TMesgExplKind kind);

}  // namespace quenby
