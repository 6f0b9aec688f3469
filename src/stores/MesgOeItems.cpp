#include "stores/MesgOeItems.h"

#include <sys/stat.h>

#include <thread>

#include "model/MultiReadSync.h"
#include "platform/FileTimes.h"
#include "platform/Paths.h"

namespace quenby {

void TOeTextFile::ReadMessage(std::int64_t bodyOffset, TStream& stream, bool headersOnly) {
  std::lock_guard guard(Lock_);
  File_.OpenFile(Path_);
  File_.ReadMessage(bodyOffset, &stream, headersOnly);
}

std::vector<TDbxProblem> TOeTextFile::TakeProblems() {
  std::lock_guard guard(Lock_);
  std::vector<TDbxProblem> problems = File_.Problems();
  File_.ClearProblems();
  return problems;
}

TMesgFlags MesgFlagsFromOeFlags(std::uint32_t oeFlags) {
  TMesgFlags flags = 0;
  if (oeFlags & kOeFlagRead) flags |= mfSeen;
  if (oeFlags & kOeFlagAttachment) flags |= mfAttachment;
  if (oeFlags & kOeFlagFlagged) flags |= mfFlagged;
  return flags;
}

TMesgOeItem::TMesgOeItem(TMesgOeItems* owner, std::shared_ptr<TOeTextFile> file)
    : TMesgItem(owner), File_(std::move(file)) {}

void TMesgOeItem::SetInfo(std::unique_ptr<Toe5_MessageInfo> info) {
  Info_ = std::move(info);
  if (!Info_) return;
  TWriteLock write(Owner()->Lock());
  Flags |= MesgFlagsFromOeFlags(Info_->OeFlags);
  Size = Info_->MessageSize;
  DateReceived = FileTimeToDateTime(Info_->ReceivedTime);
}

std::string TMesgOeItem::GetKey() const {
  return Info_ ? std::to_string(Info_->MessageIndex) : std::string();
}

std::string TMesgOeItem::GetFileName() const {
  // No "re:" rewriting: the key keeps the names apart.
  return (Subject.empty() ? std::string() : CleanFileName(Subject)) + GetKey();
}

void TMesgOeItem::LoadMessage(TMimeMessage& message, bool headersOnly) const {
  if (!headersOnly) return TMesgItem::LoadMessage(message, false);
  message.Clear();
  if (!Info_) return;
  TFastMemoryStream stream(16384);
  File_->ReadMessage(Info_->BodyOffset, stream, true);
  message.Parse(stream.ToString(), true, File_->Path());
}

void TMesgOeItem::SaveToStream(TStream& stream) const {
  if (Info_) File_->ReadMessage(Info_->BodyOffset, stream, false);
}

TMesgOeItems::TMesgOeItems() {
  OEFile_.OnMessage = [this](std::unique_ptr<Toe5_MessageInfo> info) {
    AddRecord(std::move(info));
  };
  new TMonitorFolder(&Monitor_, [this](TMonitorFolder&) { Load(); });
  std::this_thread::yield();
}

TMesgOeItems::~TMesgOeItems() {
  FreeThread(Monitor_, true);
}

std::string TMesgOeItems::FileName() const {
  std::lock_guard guard(NameLock_);
  return FileName_;
}

void TMesgOeItems::SetFile(const std::string& name) {
  struct stat st {};
  if (::stat(name.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return;
  {
    std::lock_guard guard(NameLock_);
    FileName_ = name;
  }
  // The load of the new file begins with its own Clear, so an old
  // message added after this one is gone before new ones arrive.
  Clear();
  if (auto* monitor = static_cast<TMonitorFolder*>(Monitor_.load())) monitor->RequestPlan(2);
}

void TMesgOeItems::ReadFile(const std::string& name) {
  Clear();
  SetStatusText({});
  TextFile_ = std::make_shared<TOeTextFile>(name);
  Loading_ = true;
  struct TDone {
    TMesgOeItems& Self;
    ~TDone() { Self.Loading_ = false; }
  } done{*this};
  OEFile_.ClearProblems();
  try {
    OEFile_.OpenFile(name);
    OEFile_.ReadTree();
  } catch (...) {
    OEFile_.CloseFile();
    throw;
  }
}

std::vector<TDbxProblem> TMesgOeItems::TakeProblems() {
  std::vector<TDbxProblem> problems = OEFile_.Problems();
  OEFile_.ClearProblems();
  if (TextFile_)
    for (auto& p : TextFile_->TakeProblems()) problems.push_back(std::move(p));
  return problems;
}

void TMesgOeItems::Load() {
  PostToView(WM_ITEMS_LOADING);
  std::exception_ptr error;
  try {
    ReadFile(FileName());
  } catch (...) {
    error = std::current_exception();
  }
  PostToView(WM_ITEMS_CHANGED);
  PostToView(WM_ITEMS_RESELECT);
  // A stop or an abandoned plan goes back to the monitor.
  if (error && !HandleLoadError(error)) std::rethrow_exception(error);
}

void TMesgOeItems::CheckPlan() {
  if (auto* monitor = static_cast<TMonitorFolder*>(Monitor_.load())) monitor->CheckBreakPlan();
}

void TMesgOeItems::AddRecord(std::unique_ptr<Toe5_MessageInfo> info) {
  if (!info) return;
  CheckPlan();
  BodyStream_.Clear();
  BodyStream_.SetPosition(0);
  ScratchMessage.Clear();
  auto* item = new TMesgOeItem(this, TextFile_);
  try {
    TextFile_->ReadMessage(info->BodyOffset, BodyStream_, true);
    ScratchMessage.Parse(BodyStream_.ToString(), true, TextFile_->Path());
    CheckPlan();
    item->FillFromMessage(ScratchMessage);
    item->SetInfo(std::move(info));
    AddSorted(item);
  } catch (...) {
    // An item in the list is freed by the list.
    if (IndexOf(item) < 0) delete item;
    if (!HandleLoadError(std::current_exception())) throw;
  }
}

}  // namespace quenby
