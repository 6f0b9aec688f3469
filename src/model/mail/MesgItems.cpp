#include "model/mail/MesgItems.h"

#include <algorithm>
#include <thread>

#include "model/FastMemoryStream.h"
#include "model/MultiReadSync.h"
#include "platform/Errors.h"
#include "platform/Paths.h"
#include "platform/Threads.h"
#include "settings/GlobStrings.h"
#include "settings/LanguageKeys.h"
#include "settings/Options.h"
#include "text/CharsetConvert.h"
#include "text/RusCharsets.h"

namespace quenby {
namespace {

std::string ToLowerAscii(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// The top-level media type, lower case, without parameters.
std::string TopLevelType(const TMimeMessage& message) {
  std::string type = message.Headers().Value("Content-Type");
  type = type.substr(0, type.find(';'));
  type.erase(0, type.find_first_not_of(" \t"));
  type.erase(type.find_last_not_of(" \t\r\n") + 1);
  return ToLowerAscii(std::move(type));
}

// A headers-only parse sees no parts, so the attachment flag also follows
// what the top-level type promises: a mixed multipart, or a single part
// that is not text.
bool HasAttachments(const TMimeMessage& message) {
  if (message.AttachmentCount() > 0) return true;
  const std::string type = TopLevelType(message);
  if (type.empty()) return false;
  if (type == "multipart/mixed") return true;
  return type.rfind("text/", 0) != 0 && type.rfind("multipart/", 0) != 0 &&
         type.rfind("message/", 0) != 0;
}

std::string HeaderText(std::u16string text) {
  if (AutoRusEnabled()) text = AutoRecodeRusWide(text);
  return WideToUtf8(text);
}

bool ContainsNoCase(std::string_view text, std::string_view lowerNeedle) {
  const auto it = std::search(text.begin(), text.end(), lowerNeedle.begin(), lowerNeedle.end(),
                              [](char a, char b) {
                                if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
                                return a == b;
                              });
  return it != text.end();
}

// A quoted-printable "line=0D" decodes to CR CR LF, which the pane would
// show as two line breaks; the encoded CR is dropped before decoding. The
// reader keeps lines holding a single dot, so they need no rewriting.
void RepairQuotedPrintable(std::string& text) {
  if (!ContainsNoCase(text, "content-transfer-encoding: quoted-printable")) return;
  static constexpr std::string_view kEncodedCr = "=0D\r\n";
  std::string out;
  out.reserve(text.size());
  std::size_t from = 0;
  for (;;) {
    const auto it = std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(),
                                kEncodedCr.begin(), kEncodedCr.end(),
                                [](char a, char b) { return (a == 'd' ? 'D' : a) == b; });
    const auto at = static_cast<std::size_t>(it - text.begin());
    out.append(text, from, at - from);
    if (it == text.end()) break;
    out += "\r\n";
    from = at + kEncodedCr.size();
  }
  text = std::move(out);
}

}  // namespace

TMesgItem::TMesgItem(TMesgItems* owner) : TVirtItem(owner) {}

TMesgItems* TMesgItem::MesgOwner() const {
  return static_cast<TMesgItems*>(VirtOwner());
}

void TMesgItem::ClearFields() {
  Subject.clear();
  FromRealName.clear();
  ToRealName.clear();
  FromEMail.clear();
  ToEmail.clear();
  MsgId.clear();
  References.clear();
  Size = 0;
  DateSent = 0;
  DateReceived = 0;
  Flags = 0;
  Priority = mpNormal;
}

void TMesgItem::FillFromMessage(const TMimeMessage& message) {
  // Everything is read from the message before the lock is taken; the
  // decoding may be slow and the view's readers wait for the write lock.
  const auto from = message.From();
  const auto recipients = message.Recipients();
  std::string subject = HeaderText(message.DecodeText(message.RawSubject()));
  TSubjectKey subjectKey = MakeSubjectKey(Utf8ToWide(subject));
  std::string fromName = from.empty() ? std::string() : HeaderText(message.DecodeName(from[0]));
  std::string toName =
      recipients.empty() ? std::string() : HeaderText(message.DecodeName(recipients[0]));
  std::string msgId = message.MsgId();
  if (msgId.empty()) msgId = message.Headers().Value("Thread-Id");
  const bool attachments = HasAttachments(message);

  TWriteLock write(Owner()->Lock());
  const std::int64_t size = Size;
  const TDateTime received = DateReceived;
  ClearFields();
  Size = size;
  DateReceived = received;
  DateSent = message.Date();
  Priority = message.Priority();
  if (attachments) Flags |= mfAttachment;
  MsgId = std::move(msgId);
  References = message.References();
  Subject = std::move(subject);
  SetSubjectKey(std::move(subjectKey));
  FromRealName = std::move(fromName);
  ToRealName = std::move(toName);
  if (!from.empty()) FromEMail = from[0].Address;
  if (!recipients.empty()) ToEmail = recipients[0].Address;
}

void TMesgItem::SetSubjectKey(TSubjectKey key) {
  SubjectKey_ = std::move(key);
  SubjectKeyHash_ = std::hash<std::string>{}(Subject);
  SubjectKeyMade_ = true;
}

void TMesgItem::UpdateSubjectKey() {
  std::string subject;
  {
    TReadLock read(Owner()->Lock());
    if (SubjectKeyMade_ && SubjectKeyHash_ == std::hash<std::string>{}(Subject)) return;
    subject = Subject;
  }
  // Made outside the write lock, unless the caller holds it already.
  TSubjectKey key = MakeSubjectKey(Utf8ToWide(subject));
  TWriteLock write(Owner()->Lock());
  if (Subject == subject) SetSubjectKey(std::move(key));
}

std::string TMesgItem::GetFileName() const {
  if (Subject.empty()) return {};
  static constexpr std::string_view kRe = "re:";
  std::string name;
  name.reserve(Subject.size());
  for (std::size_t i = 0; i < Subject.size();) {
    if (i + kRe.size() <= Subject.size() && ContainsNoCase(Subject.substr(i, kRe.size()), kRe)) {
      name += "re ";
      i += kRe.size();
    } else {
      name += Subject[i++];
    }
  }
  return CleanFileName(name);
}

void TMesgItem::LoadMessage(TMimeMessage& message, bool headersOnly) const {
  message.Clear();
  TFastMemoryStream stream(16384);
  SaveToStream(stream);
  std::string text = stream.ToString();
  RepairQuotedPrintable(text);
  message.Parse(text, headersOnly);
}

void TMesgItem::SaveToFile(const std::string& path) const {
  TFastMemoryStream stream(65536);
  SaveToStream(stream);
  stream.SaveToFile(path);
}

TMesgItem* TMesgItems::ItemAt(std::int32_t i) const {
  return static_cast<TMesgItem*>(TVirtItems::ItemAt(i));
}

void TMesgItems::Clear() {
  TVirtItems::Clear();
  TWriteLock write(Lock());
  InsertCounter_ = 0;
  for (auto& counter : FlagCounts_) counter.store(0, std::memory_order_relaxed);
}

void TMesgItems::Insert(std::int32_t i, TObject* p) {
  TWriteLock write(Lock());
  static_cast<TMesgItem*>(p)->UpdateSubjectKey();
  TVirtItems::Insert(i, p);
  CountFlags(static_cast<TMesgItem*>(p)->Flags);
  if (++InsertCounter_ < kInsertBatch) return;
  SyncViewCount();
  if (Count() == InsertCounter_) PostToView(WM_ITEMS_FIRST_BATCH);
  InsertCounter_ = 0;
  PostToView(WM_UPDATE_STATUS);
  if (!IsMainThread()) std::this_thread::yield();
}

void TMesgItems::CountFlags(TMesgFlags flags) {
  for (int bit = 0; bit < static_cast<int>(TFlagCounter::Unseen); ++bit)
    if (flags & (1 << bit))
      FlagCounts_[static_cast<std::size_t>(bit)].fetch_add(1, std::memory_order_relaxed);
  FlagCounts_[static_cast<std::size_t>(TFlagCounter::Unseen)].store(
      Count() - FlagCount(TFlagCounter::Seen), std::memory_order_relaxed);
}

std::int32_t TMesgItems::Recount() {
  // Counted apart and stored at the end, so two readers recounting at once
  // both store the right numbers.
  std::array<std::int32_t, static_cast<std::size_t>(TFlagCounter::Count_)> counts{};
  TReadLock read(Lock());
  for (std::int32_t i = 0; i < RawCount(); ++i) {
    const TMesgFlags flags = static_cast<TMesgItem*>(RawItems(i))->Flags;
    for (int bit = 0; bit < static_cast<int>(TFlagCounter::Unseen); ++bit)
      if (flags & (1 << bit)) ++counts[static_cast<std::size_t>(bit)];
  }
  counts[static_cast<std::size_t>(TFlagCounter::Unseen)] =
      RawCount() - counts[static_cast<std::size_t>(TFlagCounter::Seen)];
  for (std::size_t c = 0; c < counts.size(); ++c)
    FlagCounts_[c].store(counts[c], std::memory_order_relaxed);
  return 0;
}

void TMesgItems::SetSortOrder(TMesgSortOrder order) {
  TWriteLock write(Lock());
  SortOrder_ = std::move(order);
}

TMesgSortOrder TMesgItems::SortOrder() const {
  TReadLock read(Lock());
  return SortOrder_;
}

int TMesgItems::CompareItems(const TSyncItem* a, const TSyncItem* b) const {
  if (!a || !b) return 0;
  const auto& x = static_cast<const TMesgItem&>(*a);
  const auto& y = static_cast<const TMesgItem&>(*b);
  int result = 0;
  const auto by = [&](TMailColumnType type) {
    if (result == 0) result = CompareByField(x, y, type);
  };
  switch (SortOrder_.MessageSort) {
    case msColumns:
      for (const TMailColumnType type : SortOrder_.Columns) by(type);
      break;
    case msSubject: by(mcSubject); break;
    case msFrom:
      by(mcFromRealName);
      by(mcFromEmail);
      break;
    case msTo:
      by(mcToRealName);
      by(mcToEmail);
      break;
    case msDateSent: break;  // the tie-break alone
    case msDateReceived: by(mcDateReceived); break;
  }
  by(mcDateSent);
  return SortOrder_.InvertSort ? -result : result;
}

void TMesgItems::Sort() {
  TWriteLock write(Lock());
  for (std::int32_t i = 0; i < RawCount(); ++i)
    if (auto* item = static_cast<TMesgItem*>(RawItems(i))) item->UpdateSubjectKey();
  TVirtItems::Sort();
}

std::int32_t TMesgItems::Reposition(std::int32_t i) {
  TWriteLock write(Lock());
  CheckIndex(i);
  if (auto* item = static_cast<TMesgItem*>(RawItems(i))) item->UpdateSubjectKey();
  return TVirtItems::Reposition(i);
}

TDropTarget TMesgItems::QueryDropTarget() {
  throw EDropRefused(WideToUtf8(SectionText(lang::error::DropRefused.Number, TLangSection::Error)));
}

void TMesgItems::DeleteMessage(std::int32_t i) {
  TWriteLock write(Lock());
  if (i >= 0 && i < Count()) Delete(i);
}

std::int32_t TMesgItems::AddSorted(TMesgItem* item) {
  TWriteLock write(Lock());
  return Reposition(Add(item));
}

void TMesgItems::ResumeRefresh() {
  Recount();
  SyncViewCount();
}

void TMesgItems::PrepareDrag(const std::vector<std::int32_t>& rows, IMesgDragSink& sink) {
  std::vector<TDragFile> files;
  std::vector<std::string> names;
  {
    TReadLock read(Lock());
    for (const std::int32_t row : rows) {
      const TMesgItem* item = ItemAt(row);
      if (!item) continue;
      TDragFile file;
      file.Item = item;
      file.Stream = std::make_unique<TFastMemoryStream>(16384);
      item->SaveToStream(*file.Stream);
      file.Stream->SetPosition(0);
      file.Size = file.Stream->Size();
      // An unknown or unconvertible date gives the current time.
      const TFileTime now = FileTimeFromTimespec([] {
        timespec t{};
        clock_gettime(CLOCK_REALTIME, &t);
        return t;
      }());
      const TFileTime sent = item->DateSent != 0 ? DateTimeToFileTime(item->DateSent) : 0;
      const TFileTime received =
          item->DateReceived != 0 ? DateTimeToFileTime(item->DateReceived) : 0;
      file.Creation = sent != 0 ? sent : now;
      file.LastWrite = received != 0 ? received : now;
      names.push_back(item->GetFileName());
      files.push_back(std::move(file));
    }
  }
  names = UniqueDragNames(std::move(names));
  sink.Clear();
  for (std::size_t i = 0; i < files.size(); ++i) {
    files[i].Name = std::move(names[i]);
    sink.AddFile(std::move(files[i]));
  }
}

void TMesgItems::EncodeMessage(const TMimeMessage* message, TStream* stream) const {
  if (message && stream) message->SaveToStream(*stream);
}

bool TMesgItems::HandleLoadError(std::exception_ptr error) {
  if (!error) return false;
  try {
    std::rethrow_exception(error);
  } catch (const EStreamError& e) {
    SetStatusText(SectionText(static_cast<std::int32_t>(e.Kind()), TLangSection::Error));
  } catch (...) {
    return false;
  }
  PostToView(WM_ITEMS_STATUS);
  return true;
}

}  // namespace quenby
