#include "stores/MesgFiles.h"

#include <sys/stat.h>

#include <algorithm>
#include <vector>

#include "model/FastMemoryStream.h"
#include "model/MultiReadSync.h"
#include "platform/Errors.h"
#include "platform/Paths.h"
#include "platform/Shell.h"
#include "platform/Threads.h"
#include "settings/GlobStrings.h"
#include "settings/LanguageKeys.h"
#include "stores/HeaderBlock.h"
#include "stores/ReadOnlyFile.h"
#include "transfer/MonitorFolders.h"

namespace quenby {
namespace {

bool IsFolder(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The folder's identity; zero when it is gone.
std::pair<dev_t, ino_t> FolderIdentity(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return {0, 0};
  return {st.st_dev, st.st_ino};
}

TMesgFileItem* FileItem(TObject* p) {
  return static_cast<TMesgFileItem*>(p);
}

// Posts the end of a load to the view, also when the load fails.
struct TLoadBracket {
  TMesgItems& Display;
  explicit TLoadBracket(TMesgItems& display) : Display(display) {
    Display.PostToView(WM_ITEMS_LOADING);
  }
  ~TLoadBracket() {
    Display.PostToView(WM_ITEMS_CHANGED);
    Display.PostToView(WM_ITEMS_RESELECT);
  }
};

}  // namespace

// ---- TMesgFileItem ----

TMesgFileItem::TMesgFileItem(TMesgFileItems* owner, std::shared_ptr<const std::string> folder,
                             std::string fileName)
    : TMesgItem(owner), Folder_(std::move(folder)), FileName_(std::move(fileName)) {}

std::string TMesgFileItem::FullPath() const {
  return *Folder_ + FileName_;
}

void TMesgFileItem::InitFromListing(const TFileListing& entry) {
  TWriteLock write(Owner()->Lock());
  Found = true;
  Changed = true;
  FileSize = entry.Size;
  Attributes = entry.Attributes;
  CreationTime = entry.CreationTime;
  WriteTime = entry.WriteTime;
}

void TMesgFileItem::UpdateFromListing(const TFileListing& entry) {
  TWriteLock write(Owner()->Lock());
  Found = true;
  Changed = WriteTime != entry.WriteTime || CreationTime != entry.CreationTime ||
            FileSize != entry.Size || Attributes != entry.Attributes;
  if (!Changed) return;
  FileSize = entry.Size;
  Attributes = entry.Attributes;
  CreationTime = entry.CreationTime;
  WriteTime = entry.WriteTime;
}

std::string TMesgFileItem::GetFileName() const {
  const std::size_t dot = FileName_.rfind('.');
  return dot == std::string::npos || dot == 0 ? FileName_ : FileName_.substr(0, dot);
}

void TMesgFileItem::SaveToStream(TStream& stream) const {
  TReadOnlyFile file;
  file.Open(FullPath());
  auto* memory = dynamic_cast<TFastMemoryStream*>(&stream);
  if (memory) {
    memory->Clear();
    memory->SetPosition(0);
  }
  std::vector<char> buffer(65536);
  // Bounded by the size at opening: a file growing meanwhile is cut there,
  // a shrinking one ends at its new end.
  for (std::int64_t offset = 0; offset < file.Size();) {
    const std::int64_t want =
        std::min<std::int64_t>(static_cast<std::int64_t>(buffer.size()), file.Size() - offset);
    const std::int64_t got = file.ReadAt(offset, buffer.data(), want);
    if (got <= 0) break;
    stream.WriteBuffer(buffer.data(), got);
    offset += got;
  }
  if (memory) memory->SetPosition(0);
}

// ---- TMesgFileItems ----

TMesgFileItems::TMesgFileItems(std::chrono::milliseconds settleTime)
    : FileList_(std::make_unique<TMesgFileList>(*this, settleTime)) {}

TMesgFileItems::~TMesgFileItems() {
  // The file list stops its monitor and frees the items while this object
  // is still whole; the base destructors then find an empty list.
  FileList_.reset();
}

std::string TMesgFileItems::Path() const {
  return FileList_->Path();
}

void TMesgFileItems::SetPath(const std::string& value) {
  FileList_->SetPath(value);
  if (OnPathChange && IsMainThread()) OnPathChange(*this, value);
}

void TMesgFileItems::LoadFolder(const std::string& path) {
  FileList_->LoadNow(path);
}

void TMesgFileItems::Renumber(std::int32_t from) {
  TWriteLock write(Lock());
  for (std::int32_t i = std::max(from, 0); i < RawCount(); ++i)
    FileItem(RawItems(i))->DisplayIndex = i;
}

void TMesgFileItems::Insert(std::int32_t i, TObject* p) {
  TWriteLock write(Lock());
  TMesgItems::Insert(i, p);
  Renumber(i);
}

void TMesgFileItems::Sort() {
  TWriteLock write(Lock());
  TMesgItems::Sort();
  Renumber(0);
}

std::int32_t TMesgFileItems::Reposition(std::int32_t i) {
  TWriteLock write(Lock());
  const std::int32_t j = TMesgItems::Reposition(i);
  // A move shifts only the items between the two places.
  for (std::int32_t k = std::min(i, j); k <= std::max(i, j); ++k)
    FileItem(RawItems(k))->DisplayIndex = k;
  return j;
}

std::int32_t TMesgFileItems::IndexOf(const TObject* p) const {
  if (!p) return -1;
  TReadLock read(Lock());
  const std::int32_t i = static_cast<const TMesgFileItem*>(p)->DisplayIndex;
  if (i >= 0 && i < RawCount() && RawItems(i) == p) return i;
  // Only inside a move, before the renumbering, can the number be stale.
  return i < 0 ? -1 : TMesgItems::IndexOf(p);
}

void TMesgFileItems::Withdraw(TMesgFileItem& item) {
  TWriteLock write(Lock());
  const std::int32_t i = IndexOf(&item);
  if (i < 0) return;
  Delete(i);
  Renumber(i);
}

void TMesgFileItems::Notify(TObject* p, TListNotification action) {
  if (action != TListNotification::Deleted) return;
  FileItem(p)->DisplayIndex = -1;
  View().ItemRemoved(FileItem(p));
}

void TMesgFileItems::ParseFile(TMesgFileItem& item) {
  struct TScratch {
    TMimeMessage& Message;
    ~TScratch() { Message.Clear(); }
  } scratch{ScratchMessage};
  ScratchMessage.Clear();
  const std::string path = item.FullPath();
  ScratchMessage.Parse(ReadHeaderBlock(path), true, path);
  item.FillFromMessage(ScratchMessage);
  TWriteLock write(Lock());
  item.Size = item.FileSize;
  // The write time first, the birth time where it gives none.
  item.DateReceived = FirstFileTimeToDateTime(item.CreationTime, item.WriteTime);
}

void TMesgFileItems::DeleteMessage(std::int32_t i) {
  std::string path;
  {
    TReadLock read(Lock());
    if (i < 0 || i >= RawCount()) return;
    path = FileItem(RawItems(i))->FullPath();
  }
  if (DeleteToRecycleBin(path)) return;
  SetStatusText(FormatSectionText(lang::error::CannotDelete.Number, TLangSection::Error, {path}));
  PostToView(WM_ITEMS_STATUS);
}

TDropTarget TMesgFileItems::QueryDropTarget() {
  TDropTarget target;
  target.Accept = true;
  target.Folder = Path();
  return target;
}

void TMesgFileItems::Refresh() {
  FileList_->RequestRescan();
}

void TMesgFileItems::SuspendRefresh() {
  FileList_->SetSuspended(true);
}

void TMesgFileItems::ResumeRefresh() {
  FileList_->SetSuspended(false);
  Refresh();
}

// ---- TMesgFileList ----

TMesgFileList::TMesgFileList(TMesgFileItems& display, std::chrono::milliseconds settleTime)
    : Display_(display) {
  new TMonitorFolder(
      &Monitor_, [this](TMonitorFolder& monitor) { FullScan(monitor); },
      [this](TMonitorFolder& monitor) { Rescan(monitor); }, settleTime);
}

TMesgFileList::~TMesgFileList() {
  FreeThread(Monitor_, true);
  TMesgFileList::Clear();
}

TMonitorFolder& TMesgFileList::Monitor() const {
  return *static_cast<TMonitorFolder*>(Monitor_.load());
}

std::string TMesgFileList::Path() const {
  TReadLock read(Lock());
  return Path_;
}

void TMesgFileList::SetPath(const std::string& value) {
  {
    TWriteLock write(Lock());
    Path_ = ExcludeTrailingBackslash(value);
  }
  if (!IsFolder(Path())) FindExistingParent();
  Monitor().RequestPlan(2);
}

bool TMesgFileList::FindExistingParent() {
  for (;;) {
    const std::string path = Path();
    if (IsFolder(path)) return true;
    const std::string parent = ExcludeTrailingBackslash(ParentFolder(path));
    if (parent == path) return false;
    TWriteLock write(Lock());
    Path_ = parent;
  }
}

void TMesgFileList::SetSuspended(bool value) {
  Suspended_.store(value);
}

bool TMesgFileList::Suspended() const {
  return Suspended_.load();
}

void TMesgFileList::RequestRescan() {
  Monitor().RequestPlan(1);
}

void TMesgFileList::CheckPlan() const {
  Monitor().CheckBreakPlan();
}

void TMesgFileList::LoadNow(const std::string& path) {
  {
    TWriteLock write(Lock());
    Path_ = ExcludeTrailingBackslash(path);
  }
  Load(nullptr);
}

void TMesgFileList::FullScan(TMonitorFolder& monitor) {
  TLoadBracket bracket(Display_);
  Load(&monitor);
}

void TMesgFileList::Load(TMonitorFolder* watch) {
  // A folder that is gone (also one deleted while shown) gives way to its
  // nearest existing parent; without one the lists are emptied.
  const bool exists = FindExistingParent();
  const std::string folder = exists ? Path() : std::string();
  if (watch) {
    watch->WatchFolder(folder);
    Watched_ = FolderIdentity(folder);
  }
  Clear();
  if (!exists) return;
  ScanFolder(folder);
  ParseChanged();
}

void TMesgFileList::Rescan(TMonitorFolder& monitor) {
  if (Suspended() || IsUpdating()) return;
  TLoadBracket bracket(Display_);
  const std::string folder = Path();
  if (folder != monitor.FolderPath()) return;  // a reload for another folder is on its way
  // Gone, or replaced by another folder of that name (whose changes the
  // old watch never sees): loaded and watched again.
  if (FolderIdentity(folder) != Watched_) {
    Load(&monitor);
    return;
  }
  Display_.SendToView(WM_ITEMS_SELECT_CURRENT, [&monitor] { return monitor.Terminated(); });
  CheckPlan();
  ResetMarks();
  ScanFolder(folder);
  RemoveVanished();
  ParseChanged();
}

void TMesgFileList::ScanFolder(const std::string& folder) {
  const auto shared = std::make_shared<const std::string>(IncludeTrailingBackslash(folder));
  ListMessageFiles(folder, kDefaultMask, [&](const TFileListing& entry) {
    CheckPlan();
    AddFile(shared, entry);
  });
}

void TMesgFileList::AddFile(const std::shared_ptr<const std::string>& folder,
                            const TFileListing& entry) {
  if (entry.Size == 0) return;
  TReadLock read(Lock());
  SearchKey_ = entry.Name;
  std::int32_t position;
  if (Find(position)) {
    FileItem(RawItems(position))->UpdateFromListing(entry);
  } else {
    auto item = std::make_unique<TMesgFileItem>(&Display_, folder, entry.Name);
    item->InitFromListing(entry);
    Insert(position, item.get());
    item.release();
  }
  SearchKey_.clear();
}

void TMesgFileList::ResetMarks() {
  TReadLock read(Lock());
  TWriteLock write(Display_.Lock());
  for (std::int32_t i = 0; i < RawCount(); ++i) {
    TMesgFileItem* item = FileItem(RawItems(i));
    item->Found = false;
    item->Changed = false;
  }
}

void TMesgFileList::RemoveVanished() {
  {
    TWriteLock write(Display_.Lock());
    for (std::int32_t i = Display_.RawCount() - 1; i >= 0; --i)
      if (!FileItem(Display_.RawItems(i))->Found) Display_.Delete(i);
    Display_.Renumber(0);
    Display_.ResetInsertCounter();
  }
  TWriteLock write(Lock());
  for (std::int32_t i = RawCount() - 1; i >= 0; --i)
    if (!FileItem(RawItems(i))->Found) Delete(i);
}

void TMesgFileList::ParseChanged() {
  for (std::int32_t i = 0;;) {
    CheckPlan();
    TMesgFileItem* item;
    {
      // Only the loading thread changes this list, so the item stays.
      TReadLock read(Lock());
      if (i >= RawCount()) break;
      item = FileItem(RawItems(i));
    }
    if (!item->Changed) {
      ++i;
      continue;
    }
    try {
      Display_.ParseFile(*item);
    } catch (const EStreamError& e) {
      // Left out with the status text; the next item takes its place.
      Display_.HandleLoadError(std::current_exception());
      if (Display_.OnFileError) Display_.OnFileError(e);
      Display_.Withdraw(*item);
      Delete(i);
      continue;
    }
    TWriteLock write(Display_.Lock());
    if (item->DisplayIndex < 0) Display_.Add(item);
    Display_.Reposition(item->DisplayIndex);
    item->Changed = false;
    ++i;
  }
}

void TMesgFileList::Clear() {
  TWriteLock write(Lock());
  Display_.Clear();
  TMesgItems::Clear();
}

int TMesgFileList::CompareItems(const TSyncItem* a, const TSyncItem* b) const {
  return static_cast<const TMesgFileItem*>(a)->FileName().compare(
      static_cast<const TMesgFileItem*>(b)->FileName());
}

int TMesgFileList::CompareKey(std::int32_t i) const {
  return FileItem(RawItems(i))->FileName().compare(SearchKey_);
}

}  // namespace quenby
