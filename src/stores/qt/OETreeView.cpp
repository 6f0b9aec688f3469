#include "stores/qt/OETreeView.h"

#include <sys/stat.h>

#include <vector>

#include "controls/ItemsEvents.h"
#include "model/mail/qt/MesgListView.h"
#include "platform/CaseFold.h"
#include "platform/Errors.h"
#include "platform/LegacyCodePage.h"
#include "platform/Paths.h"
#include "settings/GlobStrings.h"
#include "stores/OEFile.h"
#include "stores/OeFolderTree.h"
#include "stores/StoreFolder.h"

namespace quenby {
namespace {

constexpr int WM_OE_FOLDERS_READ = 1386;

class TFoldersReadEvent : public QEvent {
 public:
  explicit TFoldersReadEvent(std::uint64_t generation)
      : QEvent(EventType(WM_OE_FOLDERS_READ)), Generation(generation) {}
  const std::uint64_t Generation;
  std::vector<std::unique_ptr<Toe5_FolderInfo>> Records;
  std::u16string Error;  // the reason the list could not be read
};

QString FromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// On the reading thread: the records of the folder list, or the error.
void ReadFolders(TExtThread& thread, const std::string& name, TFoldersReadEvent& result) {
  try {
    TOEFile file;
    file.OnFolder = [&](std::unique_ptr<Toe5_FolderInfo> info) {
      if (info) result.Records.push_back(std::move(info));
      thread.CheckBreak();
    };
    file.OpenFile(name);
    if (!file.IsFoldersFile())
      throw EStreamError(TStreamErrorKind::Stream, name, "a mail folder, not a folder list");
    file.ReadTree();
  } catch (const EBreakThread&) {
    throw;
  } catch (const EStreamError& e) {
    result.Records.clear();
    result.Error = SectionText(static_cast<std::int32_t>(e.Kind()), TLangSection::Error);
  } catch (const std::exception&) {
    result.Records.clear();
    result.Error =
        SectionText(static_cast<std::int32_t>(TStreamErrorKind::Stream), TLangSection::Error);
  }
}

}  // namespace

TOeNode::TOeNode(const QString& name, std::unique_ptr<Toe5_FolderInfo> info)
    : TFolderNode(name, kType), Info_(std::move(info)) {}

TOETreeView::TOETreeView(QWidget* parent) : TFolderTreeView(parent) {}

TOETreeView::~TOETreeView() {
  // The reader posts to this tree: it ends before the tree goes.
  FreeThread(ReadThread_, true);
}

void TOETreeView::SetDbxFileName(const std::string& name) {
  if (SameTextUtf8(name, DbxFileName_)) return;
  DbxFileName_ = name;
  struct stat st {};
  if (::stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode)) StartRead();
}

void TOETreeView::StartRead() {
  FreeThread(ReadThread_, true);
  const std::uint64_t generation = ++Generation_;
  const std::string name = DbxFileName_;
  TExtThread::Create(&ReadThread_, false, [this, generation, name](TExtThread& thread) {
    auto result = std::make_unique<TFoldersReadEvent>(generation);
    ReadFolders(thread, name, *result);
    PostEvent(this, result.release());
  });
}

bool TOETreeView::event(QEvent* event) {
  AcceptPostedEvent(event);
  if (event->type() != EventType(WM_OE_FOLDERS_READ)) return TFolderTreeView::event(event);
  auto& read = *static_cast<TFoldersReadEvent*>(event);
  if (read.Generation != Generation_) return true;  // read for a name since replaced
  StatusText_ = QString::fromStdU16String(read.Error);
  // The message shown before the rebuild is shown again once its folder
  // is selected (SetMesgName holds it over the reload).
  const std::string key = MesgListView() ? MesgListView()->MesgName() : std::string();
  BuildTree(BuildOeFolderTree(std::move(read.Records)));
  if (MesgListView() && !key.empty()) MesgListView()->SetMesgName(key);
  if (OnFoldersRead) OnFoldersRead(this);
  return true;
}

void TOETreeView::BuildTree(TOeFolderNode tree) {
  const TOeFolderNode* pending = PendingOeFolder(tree, PendingFolderId_);
  TOeNode* select = nullptr;
  setUpdatesEnabled(false);
  clear();
  const std::function<void(TOeFolderNode&, TOeNode*)> add = [&](TOeFolderNode& folder,
                                                                TOeNode* parent) {
    const bool isPending = &folder == pending;
    auto* node = new TOeNode(FromUtf8(folder.Name), std::move(folder.Info));
    if (parent)
      parent->addChild(node);
    else
      addTopLevelItem(node);
    if (isPending) select = node;
    for (auto& child : folder.Children) add(child, node);
  };
  if (tree.Info) add(tree, nullptr);
  expandAll();
  setUpdatesEnabled(true);
  SelectNode(select);
}

std::int32_t TOETreeView::FolderId() const {
  const auto* node = dynamic_cast<const TOeNode*>(SelectedNode());
  return node ? node->Info().FolderId : -1;
}

void TOETreeView::SetFolderId(std::int32_t id) {
  if (id <= 0) return;
  PendingFolderId_ = id;
  for (QTreeWidgetItemIterator it(this); *it; ++it) {
    auto* node = dynamic_cast<TOeNode*>(*it);
    if (node && node->Info().FolderId == id) return SelectNode(node);
  }
}

std::string TOETreeView::FolderPath(const TFolderNode* node) const {
  const auto* oeNode = dynamic_cast<const TOeNode*>(node);
  if (!oeNode || oeNode->Info().FolderFile.empty()) return {};
  return TStoreFolder(ParentFolder(DbxFileName_)).ResolveLegacy(oeNode->Info().FolderFile);
}

void TOETreeView::DoFolderChange(TFolderNode* node) {
  const auto* oeNode = dynamic_cast<const TOeNode*>(node);
  if (!oeNode || oeNode->Info().FolderFile.empty() || !OnFolderChange) return;
  OnFolderChange(this, FromUtf8(LegacyToUtf8(oeNode->Info().FolderFile)));
}

}  // namespace quenby
