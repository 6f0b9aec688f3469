#include "app/TriForm.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QMenu>
#include <QMenuBar>
#include <QResizeEvent>
#include <QStatusBar>
#include <QToolBar>
#include <filesystem>

#include "app/KindChooser.h"
#include "app/ManagerForm.h"
#include "app/MesgPane.h"
#include "app/StoreDialogs.h"
#include "app/TriLayout.h"
#include "controls/FileError.h"
#include "controls/MessageForm.h"
#include "model/mail/MesgItems.h"
#include "model/mail/qt/MesgListView.h"
#include "settings/FileDialogFilter.h"
#include "settings/FormatText.h"
#include "settings/GlobStrings.h"
#include "settings/IniFiler.h"
#include "settings/LanguageKeys.h"
#include "settings/Options.h"
#include "stores/DigestParser.h"
#include "stores/UnixMesgItems.h"

namespace quenby {

namespace {

std::string BoolText(bool value) {
  return value ? "True" : "False";
}

bool ReadBool(const TIniFiler& filer, std::string_view key, bool fallback) {
  const std::string text = filer.ReadValue(key);
  if (text.empty()) return fallback;
  return QString::fromStdString(text).compare(QLatin1String("True"), Qt::CaseInsensitive) == 0;
}

QString KindText(TMesgExplKind kind) {
  return ToQString(SectionTextByName(kind, lang::mesg_expl_type::kSection));
}

QString FileNameOnly(const std::string& path) {
  return QFileInfo(QString::fromStdString(path)).fileName();
}

}  // namespace

std::pair<int, int> StatusCounts(const TMesgItems* items) {
  if (!items) return {0, 0};
  return {items->Count(), items->FlagCount(TFlagCounter::Unseen)};
}

TMesgExplKind ExplKindOfPath(const std::string& path) {
  const QFileInfo info(QString::fromStdString(path));
  if (info.isDir()) {
    // A copied store may spell it "Folders.dbx".
    for (const QString& name : QDir(info.filePath()).entryList(QDir::Files))
      if (name.compare(QLatin1String("folders.dbx"), Qt::CaseInsensitive) == 0) return ekOutlook;
    return ekEmlFiles;
  }
  const QString suffix = info.suffix().toLower();
  if (suffix == QLatin1String("dbx")) return ekOutlook;
  // A message file opens its folder.
  if (suffix == QLatin1String("eml") || suffix == QLatin1String("msg")) return ekEmlFiles;
  return ekUnixBox;
}

TTriForm::TTriForm(TManagerForm& manager, const TExplorerContext& context)
    : TCommonForm(manager), Context_(context) {
  setObjectName(QStringLiteral("TriForm"));
  auto* toolBar = addToolBar(QStringLiteral("ToolBar"));
  toolBar->setObjectName(QStringLiteral("ToolBar"));
  toolBar->hide();
  MesgList_ = new TMesgListView(this);
  MesgList_->setObjectName(QStringLiteral("MesgList"));
  // Called under the collection's read lock.
  MesgList_->OnSelectMesg = [this](TMesgListView*, TMesgItem* item) { ShowSelected(item); };
  MesgList_->OnOpenMesg = [this](TMesgListView*, TMesgItem* item) { OpenItem(item); };
  MesgList_->OnItemsChanged = [this] {
    UpdateStatusBar();
    UpdateActions();
  };
  MesgList_->OnStatusText = [this](const QString& text) { StatusText(text); };
  setCentralWidget(new QWidget(this));
  MesgList_->setParent(centralWidget());
  BuildMenus();
  InitCommonMenus();
  SetShowEditor(true);
  resize(800, 600);
}

TTriForm::~TTriForm() {
  // The tree is linked to the collection, and the collection to the list.
  FreeTree();
  delete MesgList_;
  MesgList_ = nullptr;
}

QAction* TTriForm::AddAction(QMenu* menu, const char* name, const QString& caption,
                             const QKeySequence& shortcut, bool enabled) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(QString::fromLatin1(name));
  if (!shortcut.isEmpty()) action->setShortcut(shortcut);
  action->setEnabled(enabled);
  return action;
}

void TTriForm::BuildMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenu1"));
  auto menu = [&](QMenu* parent, const char* name, const QString& caption) {
    QMenu* made = parent ? parent->addMenu(caption) : bar->addMenu(caption);
    made->setObjectName(QString::fromLatin1(name));
    connect(made, &QMenu::aboutToShow, this, &TTriForm::UpdateActions);
    return made;
  };
  // Items whose work comes with later parts of the program stay disabled.
  QMenu* file = menu(nullptr, "mFile", tr("&File"));
  QMenu* fileNew = menu(file, "mFileNew", tr("New"));
  AddAction(fileNew, "ANewMessage", tr("Message"), QKeySequence(tr("Ctrl+N")), false);
  connect(AddAction(fileNew, "mFileNewExpl", tr("Browser"), QKeySequence(tr("Alt+N"))),
          &QAction::triggered, this, [this] { NewWindow(); });
  connect(AddAction(file, "AOpenFile", tr("Open.."), QKeySequence(tr("Ctrl+O"))),
          &QAction::triggered, this, &TTriForm::AskOpenFile);
  connect(AddAction(file, "MExportToMBox", tr("Export to MBox")), &QAction::triggered, this,
          &TTriForm::ExportToMailbox);
  file->addSeparator();
  AddAction(file, "mSaveWindowsAndExit", tr("Save windows and exit"));
  AddAction(file, "mExit", tr("Exit"));

  QMenu* edit = menu(nullptr, "EditMenu", tr("&Edit"));
  AddAction(edit, "AEditUndo", tr("Undo"), QKeySequence(tr("Ctrl+Z")), false);
  AddAction(edit, "AEditRedo", tr("Redo"), QKeySequence(tr("Ctrl+Shift+Z")), false);
  AddAction(edit, "AEditCut", tr("Cut"), QKeySequence(tr("Ctrl+X")), false);
  AddAction(edit, "AEditCopy", tr("Copy"), QKeySequence(tr("Ctrl+C")), false);
  AddAction(edit, "AEditPaste", tr("Paste"), QKeySequence(tr("Ctrl+V")), false);
  AddAction(edit, "AEditDelete", tr("Delete"), QKeySequence(tr("Del")), false);
  AddAction(edit, "AEditSelectAll", tr("Select All"), QKeySequence(tr("Ctrl+A")), false);
  AddAction(edit, "AEditFind", tr("Find..."), QKeySequence(tr("Ctrl+F")), false);
  AddAction(edit, "AEditSearchAgain", tr("Search again"), QKeySequence(tr("F3")), false);

  QMenu* view = menu(nullptr, "ViewMenu", tr("&View"));
  AddAction(view, "mColumns", tr("Columns"), {}, false);
  AddAction(view, "mMesgSort", tr("Sort"), {}, false);
  AddAction(view, "mViews", tr("Views..."), {}, false);
  connect(AddAction(view, "mMesgSource", tr("Messages source")), &QAction::triggered, this,
          &TTriForm::ChooseSource);
  view->addSeparator();
  connect(AddAction(view, "APrevMesg", tr("Previous message"), QKeySequence(tr("Ctrl+,"))),
          &QAction::triggered, this, [this] { SelectRelative(-1); });
  connect(AddAction(view, "aNextMesg", tr("Next Message"), QKeySequence(tr("Ctrl+."))),
          &QAction::triggered, this, [this] { SelectRelative(1); });

  QMenu* speak = menu(nullptr, "SpeakMenu", tr("&Speak!"));
  for (const char* name : {"ASpeechEngines", "AFieldsToSpeech", "AStartSpeak", "AStopSpeak",
                           "APauseSpeak", "AResumeSpeak"})
    AddAction(speak, name, QString::fromLatin1(name + 1), {}, false);

  QMenu* options = menu(nullptr, "OptionsMenu", tr("&Options"));
  AddAction(options, "mMainOptions", tr("Main"), {}, false);
  AddAction(options, "mFilter", tr("Advertisement filter"), {}, false);
  AddAction(options, "MAddFilter", tr("Add advertisement filter"), {}, false);
  AddAction(options, "mFont", tr("Font"));

  QMenu* window = bar->addMenu(tr("&Window"));
  window->setObjectName(QStringLiteral("WindowMenu"));

  QMenu* help = menu(nullptr, "HelpMenu", tr("&Help"));
  AddAction(help, "mHelpContext", tr("Context"), {}, false);
  AddAction(help, "mWebSite", tr("Web site"), {}, false);
  AddAction(help, "mSupport", tr("Support"), {}, false);
  AddAction(help, "mAbout", tr("About"));
}

TMesgItems* TTriForm::Items() const {
  return Store_ ? &MesgList_->MesgItems() : nullptr;
}

std::string TTriForm::Location() const {
  TMesgItems* items = Items();
  return items ? Store_->Location(*items) : std::string();
}

bool TTriForm::Loading() const {
  TMesgItems* items = Items();
  return items && Store_->Loading(*items);
}

void TTriForm::OpenLocation(const std::string& path) {
  TMesgItems* items = Items();
  if (!items || path.empty()) return;
  // Absolute: the location is saved, and a later start may run elsewhere.
  std::error_code ignored;
  const std::filesystem::path absolute =
      std::filesystem::absolute(path, ignored).lexically_normal();
  LocationChanged(Store_->SetLocation(*items, absolute.empty() ? path : absolute.string()));
}

void TTriForm::LocationChanged(TExplorerStore::TTreeChange change) {
  switch (change) {
    case TExplorerStore::TTreeChange::Show: MakeTree(); break;
    case TExplorerStore::TTreeChange::Free: FreeTree(); break;
    case TExplorerStore::TTreeChange::Keep: break;
  }
  SetTabOrder();
  Layout();
  Manager().RenumberWindows();
  UpdateStatusBar();
}

void TTriForm::SetMesgExplKind(TMesgExplKind kind) {
  if (kind == Kind_ || kind < ekNone || kind >= kExplKindCount) return;
  Kind_ = kind;
  if (kind == ekNone) return;
  if (kind == ekEudora && Context_.Options)
    MailboxFolder_ = QString::fromStdString(Context_.Options->EudoraFolder());
  FreeTree();
  if (Pane_) Pane_->ClearMesg();
  const TExplorerStoreFactory* factory = nullptr;
  if (Context_.Stores) {
    auto found = Context_.Stores->find(kind);
    if (found != Context_.Stores->end()) factory = &found->second;
  }
  // A kind without a store (Office Outlook, or one this build lacks)
  // shows an empty list.
  MesgList_->SetItems(nullptr);
  Store_ = factory ? (*factory)() : nullptr;
  if (Store_) {
    MesgList_->SetItems(Store_->MakeCollection());
    MesgList_->StoreKind = static_cast<std::uint8_t>(ExplKindStoreKind(kind));
    Store_->OnFolderChanged = [this] {
      Manager().RenumberWindows();
      UpdateStatusBar();
    };
    // Asked once the window is up, and only when nothing was opened
    // meanwhile: a restore or a given path sets the location first.
    Store_->OpenDefault(*Items(), Context_.Options, [this, store = Store_.get()] {
      QMetaObject::invokeMethod(
          this,
          [this, store] {
            if (Store_.get() == store && Location().empty()) AskOpenFile();
          },
          Qt::QueuedConnection);
    });
    MakeTree();
  }
  Layout();
  SetTabOrder();
  Manager().RenumberWindows();
  UpdateStatusBar();
  UpdateActions();
}

void TTriForm::FreeTree() {
  delete Tree_.data();
  Tree_ = nullptr;
}

void TTriForm::MakeTree() {
  if (Tree_ || !Store_) return;
  Tree_ = Store_->MakeTree(centralWidget(), *Items());
  if (Tree_) {
    Tree_->setObjectName(QStringLiteral("TreePane"));
    Tree_->show();
  }
}

void TTriForm::SetShowTree(bool show) {
  if (show)
    MakeTree();
  else
    FreeTree();
  Layout();
  SetTabOrder();
}

void TTriForm::SetShowEditor(bool show) {
  if (show == ShowEditor()) return;
  if (show) {
    auto* pane = new TPlainMesgPane(centralWidget());
    Pane_ = pane;
    pane->show();
  } else {
    delete Pane_->Widget();
    Pane_ = nullptr;
  }
  Layout();
  SetTabOrder();
}

void TTriForm::SetTabOrder() {
  QWidget* previous = nullptr;
  for (QWidget* next :
       {Tree_.data(), static_cast<QWidget*>(MesgList_), Pane_ ? Pane_->Widget() : nullptr}) {
    if (!next) continue;
    if (previous) setTabOrder(previous, next);
    previous = next;
  }
}

void TTriForm::Layout() {
  if (!MesgList_ || !centralWidget()) return;
  // The central widget already lies between the tool bar and the status bar.
  const TTriLayout layout = TriLayout(centralWidget()->rect(), Tree_ != nullptr, Pane_ != nullptr);
  if (Tree_) Tree_->setGeometry(layout.Tree);
  MesgList_->setGeometry(layout.List);
  if (Pane_) Pane_->Widget()->setGeometry(layout.Pane);
  StatusPanel(1)->setMinimumWidth(
      QFontMetrics(font()).horizontalAdvance(QStringLiteral("000000:000")));
}

void TTriForm::resizeEvent(QResizeEvent* event) {
  TCommonForm::resizeEvent(event);
  Layout();
}

void TTriForm::UpdateStatusBar() {
  TCommonForm::UpdateStatusBar();
  const auto [count, unseen] = StatusCounts(Items());
  if (ShowStatusBar())
    StatusPanel(0)->setText(ToQString(
        FormatText(LangText(lang::mesg_expl::StatusBar), {TFormatArg(count), TFormatArg(unseen)})));
  if (Tree_ && Store_) Store_->SetSelectedUnread(Tree_, unseen);
}

QString TTriForm::GetTaskCaption() const {
  switch (Kind_) {
    case ekOutlook: {
      if (Tree_ && Store_) {
        const QString name = Store_->SelectedFolderName(Tree_);
        if (!name.isEmpty()) return name;
      }
      const QString file = FileNameOnly(Location());
      return file.isEmpty() ? KindText(ekOutlook) : file;
    }
    case ekEudora:
    case ekUnixBox: return FileNameOnly(Location());
    case ekEmlFiles: return QString::fromStdString(Location());
    case ekVirtual: return KindText(ekVirtual);
    default: return {};
  }
}

TTaskForm* TTriForm::NewWindow() {
  auto* window = new TTriForm(Manager(), Context_);
  window->SetShowEditor(ShowEditor());
  window->SetMesgExplKind(Kind_);
  window->SetShowTree(ShowTree());
  window->SetShowToolbar(ShowToolbar());
  window->SetShowStatusBar(ShowStatusBar());
  if (Kind_ == ekEmlFiles) window->OpenLocation(Location());
  window->show();
  Manager().RenumberWindows();
  return window;
}

void TTriForm::ShowSelected(TMesgItem* item) {
  if (!item || !Pane_) return;
  if (ShowItemInPane(item, Pane_)) {
    item->MesgOwner()->Recount();
    MesgList_->RedrawFocused();
    UpdateStatusBar();
  }
  UpdateActions();
}

void TTriForm::OpenItem(TMesgItem* item) {
  if (!item || !Items()) return;
  bool digest;
  {
    TReadLock read(Items()->Lock());
    digest = IsDigestSubjectText(item->Subject);
  }
  // Other messages open in the message window, which comes later.
  if (!digest) return;
  auto* window = new TTriForm(Manager(), Context_);
  window->show();
  window->SetMesgExplKind(ekVirtual);
  window->SetShowEditor(ShowEditor());
  if (TMesgItems* parts = window->Items()) window->Store()->AddDigest(*parts, item);
  window->UpdateStatusBar();
}

void TTriForm::ExportToMailbox() {
  TMesgItems* items = Items();
  if (!items || !Context_.WriteMailbox || !Context_.Dialogs) return;
  const QString chosen =
      Context_.Dialogs->SaveFile(this, ToQString(CommonText(u"SaveFile")),
                                 ToQString(FileDialogFilter({u"mbx", u"all"})), MailboxFolder_);
  if (chosen.isEmpty()) return;
  MailboxFolder_ = QFileInfo(chosen).absolutePath();
  // A list still loading would export only what has arrived so far.
  if (Loading()) {
    ShowError(ToQString(LangText(lang::error::ExportWhileLoading)));
    return;
  }
  const std::string path = MailboxExportName(chosen).toStdString();
  try {
    Context_.WriteMailbox(*items, path);
  } catch (...) {
    ShowFileError(path, std::current_exception());
  }
}

void TTriForm::StatusText(const QString& text) {
  // One box at a time: a damaged store reports many errors during one load.
  if (text.isEmpty() || ShowingError_) return;
  ShowingError_ = true;
  ShowError(text);
  ShowingError_ = false;
}

void TTriForm::AskOpenFile() {
  TMesgItems* items = Items();
  if (!items || !Context_.Dialogs) return;
  const std::u16string key = Store_->OpenFilterKey();
  if (key.empty()) return;
  const std::string current = Store_->Location(*items);
  if (!current.empty()) MailboxFolder_ = QFileInfo(QString::fromStdString(current)).absolutePath();
  const QString chosen =
      Context_.Dialogs->OpenFile(this, ToQString(CommonText(u"OpenFile")),
                                 ToQString(FileDialogFilter({key, u"all"})), MailboxFolder_);
  if (chosen.isEmpty()) return;
  MailboxFolder_ = QFileInfo(chosen).absolutePath();
  LocationChanged(Store_->OpenChosenFile(*items, chosen.toStdString(), Context_.Options));
}

void TTriForm::ChooseSource() {
  const std::uint8_t available =
      Context_.Options ? Context_.Options->AvailableKinds() : kKindOutlookExpress;
  SetMesgExplKind(ChooseExplorerKind(this, Kind_ == ekNone ? ekOutlook : Kind_, available));
}

void TTriForm::SelectRelative(int step) {
  const int row = MesgList_->ItemIndex();
  const int next = row + step;
  if (row < 0 || next < 0 || next >= MesgList_->Count()) return;
  MesgList_->SetItemIndex(next);
  UpdateActions();
}

void TTriForm::UpdateActions() {
  const int row = MesgList_->ItemIndex();
  const int count = MesgList_->Count();
  auto enable = [this](const char* name, bool on) {
    if (auto* action = findChild<QAction*>(QString::fromLatin1(name))) action->setEnabled(on);
  };
  enable("APrevMesg", count > 0 && row > 0);
  enable("aNextMesg", count > 0 && row >= 0 && row < count - 1);
  enable("AOpenFile", Store_ && !Store_->OpenFilterKey().empty());
  enable("MExportToMBox", Items() && Context_.WriteMailbox);
}

std::string TTriForm::LocationKey() const {
  // A collection with settings of its own writes them with the list.
  if (!Store_ || dynamic_cast<TPersistent*>(&MesgList_->MesgItems())) return {};
  return Store_->LocationKey();
}

void TTriForm::DefineIniProperties(TIniFiler& filer, bool reading) {
  // The kind comes before the views and the list: it makes the collection
  // whose location the list's settings then restore.
  if (reading) {
    SetShowEditor(ReadBool(filer, "ShowEditor", true));
    SetMesgExplKind(ExplKindFromName(filer.ReadValue("MesgExplKind")).value_or(ekNone));
    SetShowToolbar(ReadBool(filer, "ShowToolbar", false));
    SetShowTree(ReadBool(filer, "ShowTree", true));
    SetShowStatusBar(ReadBool(filer, "ShowStatusBar", true));
    if (Tree_ && Store_) Store_->DefineTreeProperties(Tree_, filer, true);
    // The sort settings, the message to select, the columns, then where
    // the collection reads from.
    filer.ReadProperties(MesgList_);
    if (const std::string key = LocationKey(); !key.empty()) {
      const std::string location = filer.ReadValue(key);
      if (!location.empty()) OpenLocation(location);
    }
    Manager().RenumberWindows();
    return;
  }
  filer.WriteValue("ShowEditor", BoolText(ShowEditor()));
  filer.WriteValue("MesgExplKind", ExplKindName(Kind_));
  filer.WriteValue("ShowToolbar", BoolText(ShowToolbar()));
  filer.WriteValue("ShowTree", BoolText(ShowTree()));
  filer.WriteValue("ShowStatusBar", BoolText(ShowStatusBar()));
  if (Tree_ && Store_) Store_->DefineTreeProperties(Tree_, filer, false);
  filer.WriteProperties(MesgList_);
  if (const std::string key = LocationKey(); !key.empty()) filer.WriteValue(key, Location());
}

TExplorerContext BuiltInExplorerContext(TOptions* options, IStoreDialogs* dialogs) {
  TExplorerContext context;
  context.Options = options;
  context.Stores = &BuiltInExplorerStores();
  context.Dialogs = dialogs;
  context.WriteMailbox = [](const TMesgItems& items, const std::string& path) {
    WriteMailbox(items, path);
  };
  return context;
}

void RegisterExplorer(TManagerForm& manager, const TExplorerContext& context) {
  manager.RegisterWindowClass("TTriForm", [&context](TManagerForm& owner) -> TTaskForm* {
    return new TTriForm(owner, context);
  });
}

TTriForm* NewExplorer(TManagerForm& manager, const TExplorerContext& context, TMesgExplKind kind) {
  auto* window = new TTriForm(manager, context);
  window->show();
  window->SetMesgExplKind(kind);
  return window;
}

}  // namespace quenby
