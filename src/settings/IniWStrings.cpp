#include "settings/IniWStrings.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <sstream>

#include "platform/Errors.h"
#include "settings/WideText.h"

namespace quenby {

namespace {

std::atomic<std::uint64_t> NextSerial{1};

// Stacks of the tables this thread has used. A table's destructor drops the
// destroying thread's stack; other threads keep a few dead bytes until they
// end, which is cheaper than a registry of every thread's stacks.
//
// The list is reached through a plain pointer: the main thread's
// thread_local objects are destroyed before its static ones, and a static
// table's destructor must then find no list rather than a destroyed one.
using TStacks = std::vector<TThreadStackSection>;
thread_local TStacks* Stacks = nullptr;

struct TStacksOwner {
  bool Armed = false;
  ~TStacksOwner() {
    delete Stacks;
    Stacks = nullptr;
  }
};
thread_local TStacksOwner StacksOwner;

TStacks& ThreadStacks() {
  if (!Stacks) {
    Stacks = new TStacks;
    StacksOwner.Armed = true;  // constructs the owner, so that it frees the list at thread exit
  }
  return *Stacks;
}

bool IsBlank(char16_t c) {
  return c <= 32;
}

std::u16string_view TrimLeft(std::u16string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}

std::u16string_view Trim(std::u16string_view s) {
  s = TrimLeft(s);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Numbered keys are 0 or more: a negative number would sort among the named
// entries with an empty name and never be found, so it stays a named key.
bool NumberedKey(std::u16string_view key, std::int32_t& number) {
  return ParseInt32(key, number) && number >= 0;
}

int CompareItems(const TIniItem& a, const TIniItem& b) {
  if (a.SectionIndex != b.SectionIndex) return a.SectionIndex < b.SectionIndex ? -1 : 1;
  const bool an = a.Number >= 0, bn = b.Number >= 0;
  if (an && bn) return a.Number == b.Number ? 0 : (a.Number < b.Number ? -1 : 1);
  if (!an && !bn) return CompareTextFold(a.KeyName, b.KeyName);
  return an ? -1 : 1;
}

std::u16string Ascii(std::string_view s) {
  return {s.begin(), s.end()};
}

}  // namespace

EIniStringsError::EIniStringsError(std::u16string line)
    : std::runtime_error("Invalid conversion WideString:\r\n" + Utf16ToUtf8(line)),
      Line_(std::move(line)) {}

TIniStrings::TIniStrings() : Serial_(NextSerial.fetch_add(1)) {}

TIniStrings::~TIniStrings() {
  if (Stacks)
    std::erase_if(*Stacks, [&](const TThreadStackSection& s) { return s.Table == Serial_; });
}

void TIniStrings::LoadFromFile(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) throw EStreamError(TStreamErrorKind::CannotOpen, fileName);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) throw EStreamError(TStreamErrorKind::Read, fileName);
  LoadFromText(DecodeIniText(bytes.str()));
}

void TIniStrings::LoadFromText(std::u16string_view text) {
  Clear();
  text = text.substr(0, text.find(u'\0'));
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = start;
    while (end < text.size() && text[end] != u'\r' && text[end] != u'\n' && text[end] != u'\u2028')
      ++end;
    Add(text.substr(start, end - start));
    if (end + 1 < text.size() && text[end] == u'\r' && text[end + 1] == u'\n') ++end;
    start = end + 1;
  }
}

std::int64_t TIniStrings::Add(std::u16string_view line) {
  const std::u16string_view s = TrimLeft(line);
  if (s.size() < 3 || s.front() == u';') return -1;
  if (s.front() == u'[') {
    std::u16string_view name = Trim(s).substr(1);
    if (!name.empty() && name.back() == u']') name.remove_suffix(1);
    SetCurrentSection(FindOrAddSection(name));
    return -1;
  }
  const std::size_t eq = s.find(u'=');
  if (eq == std::u16string_view::npos || eq == 0) throw EIniStringsError(std::u16string(line));
  const std::u16string_view key = s.substr(0, eq);
  const std::u16string_view value = s.substr(eq + 1);
  std::int32_t number;
  if (NumberedKey(key, number)) {
    Insert(number, value);
    return number;
  }
  Append({std::u16string(value), std::u16string(key), -1, 0});
  return Count() - 1;
}

void TIniStrings::Insert(std::int32_t number, std::u16string_view text) {
  Append({std::u16string(text), {}, number, 0});
}

// Grows by 32 entries while small, then by a quarter.
void TIniStrings::Append(TIniItem item) {
  item.SectionIndex = SectionForNewEntry();
  if (Entries_.size() == Entries_.capacity())
    Entries_.reserve(Entries_.capacity() +
                     (Entries_.capacity() <= 64 ? 32 : Entries_.capacity() / 4));
  Entries_.push_back(std::move(item));
}

// Entries before the first header, or after a stale SetCurrentSection, go
// to the section with the empty name rather than to a section that is not
// there.
std::int64_t TIniStrings::SectionForNewEntry() {
  const std::int64_t current = CurrentSection();
  if (SectionAt(current)) return current;
  const std::int64_t unnamed = FindOrAddSection(u"");
  SetCurrentSection(unnamed);
  return unnamed;
}

std::int64_t TIniStrings::FindOrAddSection(std::u16string_view name) {
  const std::int64_t found = FindSection(name);
  if (found >= 0) return found;
  Sections_.push_back({std::u16string(name), 0, 0, 0});
  return static_cast<std::int64_t>(Sections_.size()) - 1;
}

// Resets the calling thread's stack (the loader's); other threads' stacks
// keep their indexes, which every look-up checks.
void TIniStrings::Clear() {
  Entries_.clear();
  Sections_.clear();
  TThreadStackSection& stack = Stack();
  stack.Top = 0;
  stack.Stack[0] = 0;
}

std::u16string TIniStrings::GetTextStr() const {
  std::vector<std::vector<const TIniItem*>> bySection(Sections_.size());
  for (const TIniItem& item : Entries_)
    if (item.SectionIndex >= 0 && item.SectionIndex < static_cast<std::int64_t>(Sections_.size()))
      bySection[static_cast<std::size_t>(item.SectionIndex)].push_back(&item);
  std::u16string text;
  for (std::size_t s = 0; s < Sections_.size(); ++s) {
    text += u"[" + Sections_[s].SectionTitle + u"]\r\n";
    for (const bool numbered : {true, false}) {
      for (const TIniItem* item : bySection[s]) {
        if ((item->Number >= 0) != numbered) continue;
        text += numbered ? Ascii(std::to_string(item->Number)) : item->KeyName;
        text += u"=" + item->EntryText + u"\r\n";
      }
    }
    text += u"\r\n";
  }
  return text;
}

void TIniStrings::Assign(const TIniStrings& source) {
  if (&source == this) return;
  Entries_ = source.Entries_;
  Sections_ = source.Sections_;
  SetCurrentSection(0);
}

void TIniStrings::Assign(const std::vector<std::u16string>& lines) {
  Clear();
  for (const std::u16string& line : lines) Add(line);
}

void TIniStrings::TakeOver(TIniStrings& source) {
  if (&source == this) return;
  Entries_ = std::move(source.Entries_);
  Sections_ = std::move(source.Sections_);
  source.Entries_.clear();
  source.Sections_.clear();
}

// A stable sort, so that of two equal keys in one section the one earlier in
// the file comes first, and lookups (lower bounds) find it.
void TIniStrings::SortEntries() {
  std::stable_sort(Entries_.begin(), Entries_.end(),
                   [](const TIniItem& a, const TIniItem& b) { return CompareItems(a, b) < 0; });
}

void TIniStrings::Reindex() {
  for (TIniSection& section : Sections_)
    section.FirstEntry = section.NumberedCount = section.EntryCount = 0;
  const std::int64_t sections = static_cast<std::int64_t>(Sections_.size());
  for (std::int64_t i = 0; i < Count();) {
    const std::int64_t index = Entries_[static_cast<std::size_t>(i)].SectionIndex;
    std::int64_t end = i, numbered = 0;
    for (; end < Count() && Entries_[static_cast<std::size_t>(end)].SectionIndex == index; ++end)
      if (Entries_[static_cast<std::size_t>(end)].Number >= 0) ++numbered;
    if (index >= 0 && index < sections)
      Sections_[static_cast<std::size_t>(index)] = {
          Sections_[static_cast<std::size_t>(index)].SectionTitle, i, numbered, end - i};
    i = end;
  }
}

int TIniStrings::CompareEntries(std::int64_t i, std::int64_t j) const {
  return CompareItems(Entry(i), Entry(j));
}

TThreadStackSection& TIniStrings::Stack() const {
  TStacks& stacks = ThreadStacks();
  for (TThreadStackSection& stack : stacks)
    if (stack.Table == Serial_) return stack;
  stacks.push_back({});
  stacks.back().Table = Serial_;
  return stacks.back();
}

std::int64_t TIniStrings::CurrentSection() const {
  const TThreadStackSection& stack = Stack();
  return stack.Stack[static_cast<std::size_t>(stack.Top)];
}

void TIniStrings::SetCurrentSection(std::int64_t index) const {
  TThreadStackSection& stack = Stack();
  stack.Stack[static_cast<std::size_t>(stack.Top)] = index;
}

void TIniStrings::PushSection(std::int64_t index) const {
  TThreadStackSection& stack = Stack();
  if (stack.Top + 1 >= TThreadStackSection::kDepth) throw EListError(stack.Top + 1);
  stack.Stack[static_cast<std::size_t>(++stack.Top)] = index;
}

void TIniStrings::PushSectionByName(std::u16string_view name) const {
  PushSection(FindSection(name));
}

void TIniStrings::PopSection() const {
  TThreadStackSection& stack = Stack();
  if (stack.Top > 0) --stack.Top;
}

std::int64_t TIniStrings::FindSection(std::u16string_view name) const {
  for (std::size_t i = 0; i < Sections_.size(); ++i)
    if (CompareTextFold(Sections_[i].SectionTitle, name) == 0) return static_cast<std::int64_t>(i);
  return -1;
}

const TIniSection* TIniStrings::SectionAt(std::int64_t index) const {
  if (index < 0 || index >= static_cast<std::int64_t>(Sections_.size())) return nullptr;
  return &Sections_[static_cast<std::size_t>(index)];
}

std::int64_t TIniStrings::FindNumbered(std::int64_t section, std::int32_t number) const {
  const TIniSection* s = SectionAt(section);
  if (!s || number < 0) return -1;
  std::int64_t lo = s->FirstEntry, hi = s->FirstEntry + s->NumberedCount;  // [lo, hi)
  while (lo < hi) {
    const std::int64_t mid = lo + (hi - lo) / 2;
    if (Entries_[static_cast<std::size_t>(mid)].Number < number)
      lo = mid + 1;
    else
      hi = mid;
  }
  if (lo < s->FirstEntry + s->NumberedCount &&
      Entries_[static_cast<std::size_t>(lo)].Number == number)
    return lo;
  return -1;
}

std::int64_t TIniStrings::FindNamed(std::int64_t section, std::u16string_view name) const {
  const TIniSection* s = SectionAt(section);
  if (!s) return -1;
  const std::int64_t end = s->FirstEntry + s->EntryCount;
  std::int64_t lo = s->FirstEntry + s->NumberedCount, hi = end;
  while (lo < hi) {
    const std::int64_t mid = lo + (hi - lo) / 2;
    if (CompareTextFold(Entries_[static_cast<std::size_t>(mid)].KeyName, name) < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  if (lo < end && CompareTextFold(Entries_[static_cast<std::size_t>(lo)].KeyName, name) == 0)
    return lo;
  return -1;
}

std::u16string TIniStrings::Get(std::int32_t number) const {
  return NumberedValue(CurrentSection(), number);
}

void TIniStrings::Put(std::int32_t number, std::u16string_view text) {
  const std::int64_t i = FindNumbered(CurrentSection(), number);
  if (i >= 0)
    Entries_[static_cast<std::size_t>(i)].EntryText = text;
  else
    Insert(number, text);
}

std::int64_t TIniStrings::IndexOfName(std::u16string_view key) const {
  std::int32_t number;
  if (NumberedKey(key, number)) return FindNumbered(CurrentSection(), number);
  return FindNamed(CurrentSection(), key);
}

std::u16string TIniStrings::ValueByName(std::u16string_view key) const {
  const std::int64_t i = IndexOfName(key);
  return i < 0 ? std::u16string() : Entries_[static_cast<std::size_t>(i)].EntryText;
}

// Keeps the index sound: the section's counts and every later section's
// first entry shift with the removed entry.
void TIniStrings::Delete(std::int32_t number) {
  const std::int64_t section = CurrentSection();
  const std::int64_t i = FindNumbered(section, number);
  if (i < 0) throw EListError(number);
  Entries_.erase(Entries_.begin() + i);
  for (TIniSection& s : Sections_) {
    if (&s == &Sections_[static_cast<std::size_t>(section)]) {
      --s.NumberedCount;
      --s.EntryCount;
    } else if (s.FirstEntry > i) {
      --s.FirstEntry;
    }
  }
}

std::u16string TIniStrings::SectionValue(std::u16string_view sectionName,
                                         std::u16string_view key) const {
  const TPushedSection pushed(*this, sectionName);
  return ValueByName(key);
}

std::u16string TIniStrings::NumberedValue(std::int64_t section, std::int32_t number) const {
  const std::int64_t i = FindNumbered(section, number);
  if (i < 0) throw EListError(number);
  return Entries_[static_cast<std::size_t>(i)].EntryText;
}

const TIniItem& TIniStrings::Entry(std::int64_t i) const {
  CheckPosition(i);
  return Entries_[static_cast<std::size_t>(i)];
}

std::int64_t TIniStrings::IndexOf(std::u16string_view text) const {
  for (std::size_t i = 0; i < Entries_.size(); ++i)
    if (CompareTextFold(Entries_[i].EntryText, text) == 0) return static_cast<std::int64_t>(i);
  return -1;
}

void TIniStrings::CheckPosition(std::int64_t i) const {
  if (i < 0 || i >= Count()) throw EListError(i);
}

void TIniStrings::Exchange(std::int64_t i, std::int64_t j) {
  CheckPosition(i);
  CheckPosition(j);
  std::swap(Entries_[static_cast<std::size_t>(i)], Entries_[static_cast<std::size_t>(j)]);
}

void TIniStrings::Move(std::int64_t from, std::int64_t to) {
  if (from == to) return;
  CheckPosition(from);
  CheckPosition(to);
  const auto first = Entries_.begin();
  if (from < to)
    std::rotate(first + from, first + from + 1, first + to + 1);
  else
    std::rotate(first + to, first + from, first + from + 1);
}

std::int64_t TAnsiStringsForIniWideStringsAdapter::Add(std::string_view line) {
  return Table_.Add(Utf8ToUtf16(line));
}

std::string TAnsiStringsForIniWideStringsAdapter::Text() const {
  return Utf16ToUtf8(Table_.GetTextStr());
}

}  // namespace quenby
