#include "model/mail/MailColumns.h"

#include <algorithm>
#include <array>

#include "model/mail/MesgItems.h"
#include "platform/Errors.h"
#include "settings/GlobStrings.h"
#include "settings/IniFiler.h"
#include "settings/LanguageKeys.h"
#include "settings/WideText.h"
#include "text/CharsetConvert.h"
#include "text/Collation.h"
#include "text/HeaderLines.h"
#include "text/Subjects.h"

namespace quenby {

namespace {

constexpr std::array<std::string_view, kMailColumnCount> kNames = {
    "mcSubject",  "mcFromRealName", "mcFromEmail", "mcToRealName", "mcToEmail",
    "mcDateSent", "mcDateReceived", "mcSize",      "mcPriority",   "mcAttachment",
    "mcSeen",     "mcDraft",        "mcAnswered",  "mcFlagged"};

constexpr std::array<const lang::TLangKey*, kMailColumnCount> kCaptions = {
    &lang::mesg_fields::Subject,      &lang::mesg_fields::FromRealName,
    &lang::mesg_fields::FromEMail,    &lang::mesg_fields::ToRealName,
    &lang::mesg_fields::ToEmail,      &lang::mesg_fields::DateSent,
    &lang::mesg_fields::DateReceived, &lang::mesg_fields::Size,
    &lang::mesg_fields::Priority,     &lang::mesg_fields::Attachment,
    &lang::mesg_fields::Seen,         &lang::mesg_fields::Draft,
    &lang::mesg_fields::Answered,     &lang::mesg_fields::Flagged};

bool Valid(TMailColumnType type) {
  return type < kMailColumnCount;
}

template <class T>
int ThreeWay(T a, T b) {
  return a < b ? -1 : a > b ? 1 : 0;
}

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Byte order ignoring ASCII case only: the locale's tolower would make the
// order of addresses depend on the user's settings.
int CompareAsciiNoCase(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto x = static_cast<unsigned char>(LowerAscii(a[i]));
    const auto y = static_cast<unsigned char>(LowerAscii(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return ThreeWay(a.size(), b.size());
}

int CompareFlag(const TMesgItem& a, const TMesgItem& b, TMesgFlags flag) {
  return ((a.Flags & flag) != 0) - ((b.Flags & flag) != 0);
}

// By the items' keys when both have one: CompareSubjects itself converts,
// lower-cases and strips both subjects on every call.
int CompareSubjectsOf(const TMesgItem& a, const TMesgItem& b) {
  const TSubjectKey* x = a.SubjectKey();
  const TSubjectKey* y = b.SubjectKey();
  if (x && y) return CompareSubjectKeys(*x, *y);
  return CompareSubjects(Utf8ToWide(a.Subject), Utf8ToWide(b.Subject));
}

// "ColumnsCount" bounded to 0..14: no more entries are read than there are
// types, so a damaged count costs at most fourteen look-ups. A number too
// big for 64 bits still counts as big; anything else that is no number
// counts as 0.
std::int32_t StoredColumnCount(std::string_view text) {
  std::int64_t count = 0;
  if (!ParseInt64(text, count))
    count = !text.empty() && std::all_of(text.begin(), text.end(),
                                         [](char c) { return c >= '0' && c <= '9'; })
                ? kMailColumnCount
                : 0;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(count, 0, kMailColumnCount));
}

}  // namespace

std::string_view MailColumnName(TMailColumnType type) {
  return Valid(type) ? kNames[type] : std::string_view();
}

std::optional<TMailColumnType> MailColumnFromName(std::string_view name) {
  for (std::size_t i = 0; i < kNames.size(); ++i)
    if (SameAscii(name, kNames[i])) return static_cast<TMailColumnType>(i);
  return std::nullopt;
}

std::u16string MailColumnCaption(TMailColumnType type) {
  return Valid(type) ? LangText(*kCaptions[type]) : std::u16string();
}

bool IsFlagColumn(TMailColumnType type) {
  return type >= mcPriority && Valid(type);
}

std::string MailColumnText(const TMesgItem& item, TMailColumnType type, TDateTimeDetails details) {
  switch (type) {
    case mcSubject: return item.Subject;
    case mcFromRealName: return item.FromRealName;
    case mcFromEmail: return item.FromEMail;
    case mcToRealName: return item.ToRealName;
    case mcToEmail: return item.ToEmail;
    case mcDateSent: return WideToUtf8(MesgDateToStr(details, item.DateSent));
    case mcDateReceived: return WideToUtf8(MesgDateToStr(details, item.DateReceived));
    case mcSize: return std::to_string(item.Size);
    default: return {};
  }
}

int CompareByField(const TMesgItem& a, const TMesgItem& b, TMailColumnType type) {
  switch (type) {
    case mcSubject: return CompareSubjectsOf(a, b);
    case mcFromRealName: return CollateUtf8(a.FromRealName, b.FromRealName);
    case mcFromEmail: return CompareAsciiNoCase(a.FromEMail, b.FromEMail);
    case mcToRealName: return CollateUtf8(a.ToRealName, b.ToRealName);
    case mcToEmail: return CompareAsciiNoCase(a.ToEmail, b.ToEmail);
    case mcDateSent: return ThreeWay(a.DateSent, b.DateSent);
    case mcDateReceived: return ThreeWay(a.DateReceived, b.DateReceived);
    case mcSize: return ThreeWay(a.Size, b.Size);
    case mcPriority: return static_cast<int>(b.Priority) - static_cast<int>(a.Priority);
    case mcAttachment: return CompareFlag(a, b, mfAttachment);
    case mcSeen: return -CompareFlag(a, b, mfSeen);
    case mcDraft: return CompareFlag(a, b, mfDraft);
    case mcAnswered: return -CompareFlag(a, b, mfAnswered);
    case mcFlagged: return CompareFlag(a, b, mfFlagged);
  }
  return 0;
}

// ---- TMailColumnsList ----

const TClassInfo& TMailColumnsList::StaticInfo() {
  static const TClassInfo info("TMailColumnsList", &TIniComponent::StaticInfo(), {}, true);
  return info;
}

void TMailColumnsList::CheckPosition(std::int32_t i, std::int32_t last) const {
  if (i < 0 || i > last) throw EListError(i);
}

TMailColumnType TMailColumnsList::ColumnTypes(std::int32_t i) const {
  CheckPosition(i, ColumnCount() - 1);
  return Types_[static_cast<std::size_t>(i)];
}

std::int32_t TMailColumnsList::AddColumn(TMailColumnType type) {
  const std::int32_t shown = IndexOfColumn(type);
  if (shown >= 0) return shown;
  InsertColumn(ColumnCount(), type);
  return ColumnCount() - 1;
}

void TMailColumnsList::InsertColumn(std::int32_t i, TMailColumnType type) {
  CheckPosition(i, ColumnCount());
  if (!Valid(type)) throw EListError(type);
  const std::int32_t shown = IndexOfColumn(type);
  if (shown == i) return;
  if (shown >= 0) Types_.erase(Types_.begin() + shown);
  // Inserting at the old end after removing an earlier entry appends.
  i = std::min(i, ColumnCount());
  Types_.insert(Types_.begin() + i, type);
}

void TMailColumnsList::MoveColumn(std::int32_t from, std::int32_t to) {
  if (from == to) return;
  CheckPosition(from, ColumnCount() - 1);
  CheckPosition(to, ColumnCount() - 1);
  const TMailColumnType type = Types_[static_cast<std::size_t>(from)];
  Types_.erase(Types_.begin() + from);
  Types_.insert(Types_.begin() + to, type);
}

void TMailColumnsList::DeleteColumn(std::int32_t i) {
  CheckPosition(i, ColumnCount() - 1);
  Types_.erase(Types_.begin() + i);
}

std::int32_t TMailColumnsList::IndexOfColumn(TMailColumnType type) const {
  const auto it = std::find(Types_.begin(), Types_.end(), type);
  return it == Types_.end() ? -1 : static_cast<std::int32_t>(it - Types_.begin());
}

TMailColumnType TMailColumnsList::AvailableColumn(std::int32_t i) const {
  CheckPosition(i, AvailableCount() - 1);
  std::int32_t left = i;
  for (int type = 0; type < kMailColumnCount; ++type) {
    const auto t = static_cast<TMailColumnType>(type);
    if (IndexOfColumn(t) < 0 && left-- == 0) return t;
  }
  throw EListError(i);  // unreachable while every entry is a valid type
}

std::int32_t TMailColumnsList::AddFirstAvailable() {
  return AddColumn(AvailableColumn(0));
}

void TMailColumnsList::DefineIniProperties(TIniFiler& filer, bool reading) {
  if (!reading) {
    filer.WriteValue("ColumnsCount", std::to_string(ColumnCount()));
    for (std::int32_t i = 0; i < ColumnCount(); ++i)
      filer.WriteValue("Column" + std::to_string(i), MailColumnName(Types_[i]));
    return;
  }
  const std::int32_t count = StoredColumnCount(filer.ReadValue("ColumnsCount"));
  TMailColumnsList read;
  for (std::int32_t i = count - 1; i >= 0; --i)
    if (const auto type = MailColumnFromName(filer.ReadValue("Column" + std::to_string(i))))
      read.InsertColumn(0, *type);
  if (read.ColumnCount() > 0) Assign(read);
}

}  // namespace quenby
