#include "stores/qt/DirTree.h"

#include <sys/stat.h>
#include <QCollator>
#include <QEvent>

#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <utility>

#include "controls/ItemsEvents.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "settings/GlobStrings.h"
#include "settings/LanguageKeys.h"
#include "transfer/InotifyHub.h"
#include "transfer/MonitorFolders.h"

namespace quenby {
namespace {

constexpr int WM_DIR_CHANGED = 1375;
constexpr int QUENBY_SUBFOLDERS = 1402;

enum TWhichMonitor { ParentLevel, SelectedLevel };

class TDirChangedEvent : public QEvent {
 public:
  explicit TDirChangedEvent(TWhichMonitor which)
      : QEvent(EventType(WM_DIR_CHANGED)), Which(which) {}
  TWhichMonitor Which;
};

class TSubfoldersEvent : public QEvent {
 public:
  explicit TSubfoldersEvent(std::vector<std::pair<std::string, bool>> results)
      : QEvent(EventType(QUENBY_SUBFOLDERS)), Results(std::move(results)) {}
  std::vector<std::pair<std::string, bool>> Results;
};

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

QString Caption(const std::string& text) {
  return QString::fromStdString(text);
}

QString RootCaption(const std::string& root) {
  return Caption(root == "/" ? root : ExcludeTrailingBackslash(root));
}

std::string HomeFolder() {
  const char* home = ::getenv("HOME");
  return home ? home : "";
}

std::string ReadMountInfo() {
  std::ifstream in("/proc/self/mountinfo");
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

// Workers post to the tree through this; the tree clears it first thing
// when it goes, so nothing is posted to a dead tree.
struct TDirTree::TPostGuard {
  std::mutex Mutex;
  QObject* Target = nullptr;
  void Post(QEvent* event) {
    std::lock_guard lock(Mutex);
    if (Target)
      PostEvent(Target, event);
    else
      delete event;
  }
};

// ---- TDirNode ----

TDirNode::TDirNode(std::string diskName, const QString& caption)
    : TFolderNode(caption), DiskName_(std::move(diskName)) {}

bool TDirNode::operator<(const QTreeWidgetItem& other) const {
  thread_local const QCollator collator = [] {
    QCollator c;
    c.setCaseSensitivity(Qt::CaseInsensitive);
    c.setNumericMode(true);
    return c;
  }();
  const int order = collator.compare(text(0), other.text(0));
  if (order != 0) return order < 0;
  return DiskName_ < static_cast<const TDirNode&>(other).DiskName_;
}

// ---- TDirTree ----

TDirTree::TDirTree(QWidget* parent, std::chrono::milliseconds settleTime)
    : TFolderTreeView(parent), Guard_(std::make_shared<TPostGuard>()) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  DesktopPath_ = SpecialFolder(TSpecialFolder::Desktop);
  Guard_->Target = this;
  const auto start = [&](TThreadRef& ref, TWhichMonitor which) {
    auto* monitor = new TMonitorFolder(
        &ref, {},
        [guard = Guard_, which](TMonitorFolder&) { guard->Post(new TDirChangedEvent(which)); },
        settleTime);
    // Folder names only: file writes in a folder do not change the tree.
    monitor->NotifyFilter = nfDirName;
  };
  start(ParentMonitor_, ParentLevel);
  start(SelectedMonitor_, SelectedLevel);
  connect(this, &QTreeWidget::itemExpanded, this,
          [this](QTreeWidgetItem* item) { Expanded(item); });
}

TDirTree::~TDirTree() {
  Destroying_ = true;
  {
    std::lock_guard lock(Guard_->Mutex);
    Guard_->Target = nullptr;
  }
  FreeThread(ParentMonitor_, true);
  FreeThread(SelectedMonitor_, true);
}

void TDirTree::BeginTreeUpdate() {
  if (UpdateDepth_++ == 0) {
    setUpdatesEnabled(false);
    blockSignals(true);
  }
}

void TDirTree::EndTreeUpdate() {
  if (--UpdateDepth_ != 0) return;
  blockSignals(false);
  setUpdatesEnabled(true);
  if (OnTreeUpdated) OnTreeUpdated(*this);
}

TDirNode* TDirTree::RootNode() const {
  return static_cast<TDirNode*>(topLevelItem(0));
}

TDirNode* TDirTree::CurrentNode() const {
  return static_cast<TDirNode*>(currentItem());
}

std::string TDirTree::NodePath(const TDirNode* node) const {
  if (!node || node == RootNode()) return {};
  const auto* parent = static_cast<const TDirNode*>(node->parent());
  if (parent == RootNode()) return node->DiskName();
  return NodePath(parent) + node->DiskName() + "/";
}

std::string TDirTree::SelectedPath() const {
  const TDirNode* node = CurrentNode();
  return !node || node == RootNode() ? DesktopPath_ : NodePath(node);
}

TDirNode* TDirTree::ChildNamed(QTreeWidgetItem* parent, const std::string& name) const {
  for (int i = 0; i < parent->childCount(); ++i) {
    auto* child = static_cast<TDirNode*>(parent->child(i));
    if (child->DiskName() == name) return child;
  }
  return nullptr;
}

TDirNode* TDirTree::AddChild(QTreeWidgetItem* parent, std::string name, const QString& caption) {
  auto* node = new TDirNode(std::move(name), caption);
  // Until the worker has looked, a folder may have sub-folders.
  node->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
  parent->addChild(node);
  return node;
}

TDirNode* TDirTree::FindNode(const std::string& path) const {
  TDirNode* root = RootNode();
  const auto walk = Paths_.Walk(path);
  if (!root || !walk) return nullptr;
  TDirNode* node = ChildNamed(root, walk->Root);
  for (const std::string& name : walk->Components) {
    if (!node) return nullptr;
    node = ChildNamed(node, name);
  }
  return node;
}

void TDirTree::DeleteUnfound(QTreeWidgetItem* parent) {
  for (int i = parent->childCount() - 1; i >= 0; --i) {
    auto* child = static_cast<TDirNode*>(parent->child(i));
    if (child->Found) continue;
    // A selection inside the doomed node moves to parent first, so that Qt
    // never picks a neighbour, and the move is handled after the update.
    for (QTreeWidgetItem* item = currentItem(); item; item = item->parent()) {
      if (item != child) continue;
      setCurrentItem(parent);
      SelectionMoved_ = true;
      break;
    }
    delete child;
  }
}

void TDirTree::SortChildren(QTreeWidgetItem* node) {
  Sorting_ = true;
  node->sortChildren(0, SortDescending ? Qt::DescendingOrder : Qt::AscendingOrder);
  Sorting_ = false;
}

void TDirTree::ShowDrives() {
  if (!RootNode()) {
    auto* root = new TDirNode({}, QString::fromStdU16String(LangText(lang::disk_type::MyComp)));
    addTopLevelItem(root);
    root->setExpanded(true);
  }
  RefreshDrives();
}

void TDirTree::RefreshDrives() {
  TDirNode* root = RootNode();
  if (!root) return;
  std::vector<std::string> roots;
  for (std::string& path : TDirPaths::RootsOf(ParseMountInfo(ReadMountInfo()), HomeFolder()))
    if (IsFolder(path)) roots.push_back(std::move(path));
  Paths_.SetRoots(roots);
  BeginTreeUpdate();
  for (int i = 0; i < root->childCount(); ++i)
    static_cast<TDirNode*>(root->child(i))->Found = false;
  for (const std::string& path : roots) {
    TDirNode* node = ChildNamed(root, path);
    if (!node) node = AddChild(root, path, RootCaption(path));
    node->Found = true;
  }
  DeleteUnfound(root);
  SortChildren(root);
  EndTreeUpdate();
  QuerySubfolders(roots);
}

bool TDirTree::KeepsHidden(const std::string& childPath) const {
  return Keep_.starts_with(childPath) ||
         (CurrentNode() && CurrentNode() != RootNode() && SelectedPath().starts_with(childPath));
}

void TDirTree::LoadChildren(TDirNode* node) {
  if (!node || node == RootNode()) return;
  const std::string path = NodePath(node);
  BeginTreeUpdate();
  for (int i = 0; i < node->childCount(); ++i)
    static_cast<TDirNode*>(node->child(i))->Found = false;
  std::vector<std::string> paths;
  for (std::string& name : ListSubfolders(path)) {
    const std::string childPath = path + name + "/";
    if (IsHiddenName(name) && !KeepsHidden(childPath)) continue;
    TDirNode* child = ChildNamed(node, name);
    if (!child) child = AddChild(node, name, Caption(name));
    child->Found = true;
    paths.push_back(childPath);
  }
  DeleteUnfound(node);
  SortChildren(node);
  if (node->childCount() == 0) {
    node->setExpanded(false);
    node->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicator);
  }
  EndTreeUpdate();
  QuerySubfolders(std::move(paths));
}

void TDirTree::QuerySubfolders(std::vector<std::string> paths) {
  if (paths.empty()) return;
  // A stat per sub-folder can take seconds on a network mount: a worker of
  // its own, which frees itself and posts through the guard.
  TExtThread::Create(nullptr, false, [guard = Guard_, paths = std::move(paths)](TExtThread&) {
    std::vector<std::pair<std::string, bool>> results;
    results.reserve(paths.size());
    for (const std::string& path : paths) results.emplace_back(path, HasSubfolders(path));
    guard->Post(new TSubfoldersEvent(std::move(results)));
  });
}

void TDirTree::ReloadLevelOf(TDirNode* node) {
  if (!node || node == RootNode()) return;
  auto* parent = static_cast<TDirNode*>(node->parent());
  if (parent == RootNode())
    RefreshDrives();
  else
    LoadChildren(parent);
}

void TDirTree::DoFolderChange(TFolderNode* current) {
  if (Destroying_) return;
  SelectionMoved_ = false;
  auto* node = static_cast<TDirNode*>(current);
  BeginTreeUpdate();
  if (!Sorting_ && node) {
    const std::string path = NodePath(node);
    if (node == RootNode()) {
      RefreshDrives();
    } else {
      ReloadLevelOf(node);
      node = FindNode(path);
      if (node && node->parent() == RootNode()) LoadChildren(node);
    }
  }
  if (SelectionMoved_) {
    EndTreeUpdate();
    FollowSelection();
    return;
  }
  auto* parentMonitor = static_cast<TMonitorFolder*>(ParentMonitor_.load());
  auto* selectedMonitor = static_cast<TMonitorFolder*>(SelectedMonitor_.load());
  if (node && node != RootNode()) {
    const auto* parent = static_cast<const TDirNode*>(node->parent());
    parentMonitor->WatchFolder(ExcludeTrailingBackslash(NodePath(parent)));
    selectedMonitor->WatchFolder(NodePath(node));
    if (node->childCount() == 0) node->setExpanded(false);
  } else {
    parentMonitor->WatchFolder({});
    selectedMonitor->WatchFolder({});
  }
  EndTreeUpdate();
  if (OnFolderChange) OnFolderChange(this, QString::fromStdString(SelectedPath()));
}

void TDirTree::FollowSelection() {
  if (std::exchange(SelectionMoved_, false) && CurrentNode()) DoFolderChange(CurrentNode());
}

void TDirTree::Expanded(QTreeWidgetItem* item) {
  if (Sorting_ || UpdateDepth_ > 0) return;
  LoadChildren(static_cast<TDirNode*>(item));
  FollowSelection();
}

void TDirTree::SelectPath(const std::string& path) {
  if (path.empty() || path.front() != '/') return;
  std::string target = IncludeTrailingBackslash(path);
  if (CurrentNode() && target == SelectedPath()) {
    ReloadLevelOf(CurrentNode());
    FollowSelection();
    return;
  }
  target = TDirPaths::ClimbToExisting(target, IsFolder);
  if (target.empty()) {
    RefreshDrives();
    return;
  }
  if (!RootNode()) ShowDrives();
  if (target == DesktopPath_) {
    SelectNode(RootNode());
    return;
  }
  Keep_ = target;
  BeginTreeUpdate();
  auto walk = Paths_.Walk(target);
  TDirNode* node = walk ? ChildNamed(RootNode(), walk->Root) : nullptr;
  if (!node) {
    RefreshDrives();
    walk = Paths_.Walk(target);
    node = walk ? ChildNamed(RootNode(), walk->Root) : nullptr;
  }
  // Each level on the way is listed, so the chain shows its siblings too.
  std::string at = node ? NodePath(node) : std::string();
  for (std::size_t i = 0; node && walk && i < walk->Components.size(); ++i) {
    LoadChildren(node);
    node = FindNode(at);
    if (!node) break;
    const std::string& name = walk->Components[i];
    TDirNode* child = ChildNamed(node, name);
    if (!child) child = AddChild(node, name, Caption(name));
    node->setExpanded(true);
    node = child;
    at += name + "/";
  }
  EndTreeUpdate();
  SelectNode(node);
  Keep_.clear();
  FollowSelection();
}

bool TDirTree::event(QEvent* e) {
  AcceptPostedEvent(e);
  if (e->type() == EventType(WM_DIR_CHANGED)) {
    // A listing under way reads the change itself.
    if (UpdateDepth_ > 0) return true;
    TDirNode* node = CurrentNode();
    if (node && node != RootNode()) {
      if (static_cast<TDirChangedEvent*>(e)->Which == ParentLevel)
        ReloadLevelOf(node);
      else
        LoadChildren(node);
      FollowSelection();
    }
    return true;
  }
  if (e->type() == EventType(QUENBY_SUBFOLDERS)) {
    for (const auto& [path, has] : static_cast<TSubfoldersEvent*>(e)->Results) {
      TDirNode* node = FindNode(path);
      if (node && node->childCount() == 0)
        node->setChildIndicatorPolicy(has ? QTreeWidgetItem::ShowIndicator
                                          : QTreeWidgetItem::DontShowIndicator);
    }
    return true;
  }
  return QTreeWidget::event(e);
}

}  // namespace quenby
