#pragma once
// The wide INI table: a whole language file held in memory, sorted by
// section, then numbered keys, then named keys, for binary-search lookups
// from any thread. Each thread has its own current-section stack.

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quenby {

struct TIniItem {
  std::u16string EntryText;  // the text after the first "="
  std::u16string KeyName;    // empty for numbered entries
  std::int32_t Number = -1;  // -1 for named entries
  std::int64_t SectionIndex = 0;
};

struct TIniSection {
  std::u16string SectionTitle;
  std::int64_t FirstEntry = 0;
  std::int64_t NumberedCount = 0;  // numbered entries come first
  std::int64_t EntryCount = 0;
};

using TIniSections = std::vector<TIniSection>;

// A line that is neither blank, comment, header nor "key=value".
class EIniStringsError : public std::runtime_error {
 public:
  explicit EIniStringsError(std::u16string line);
  const std::u16string& Line() const noexcept { return Line_; }

 private:
  std::u16string Line_;
};

// One thread's current-section stack for one table.
struct TThreadStackSection {
  static constexpr std::int32_t kDepth = 32;
  std::uint64_t Table = 0;  // the table's serial, never reused
  std::int32_t Top = 0;
  std::array<std::int64_t, kDepth> Stack{};
};

class TIniStrings {
 public:
  TIniStrings();
  virtual ~TIniStrings();
  TIniStrings(const TIniStrings&) = delete;
  TIniStrings& operator=(const TIniStrings&) = delete;

  // Clears the table and adds every line of the file; the caller sorts and
  // re-indexes. Raises EStreamError (cannot open, read) or EIniStringsError.
  void LoadFromFile(const std::string& fileName);
  void LoadFromText(std::u16string_view text);

  // The key number of a new numbered entry, the position of a new named
  // entry, or -1 for a line that adds no entry.
  std::int64_t Add(std::u16string_view line);
  void Insert(std::int32_t number, std::u16string_view text);  // appended to the current section
  void Clear();
  std::u16string GetTextStr() const;
  void Assign(const TIniStrings& source);
  void Assign(const std::vector<std::u16string>& lines);
  // Threads' current sections stay as they were: indexes into the new
  // section table, checked at every look-up.
  virtual void TakeOver(TIniStrings& source);

  virtual void SortEntries();
  virtual void Reindex();
  virtual int CompareEntries(std::int64_t i, std::int64_t j) const;

  // The calling thread's current section. An index may name no section
  // (-1 from PushSectionByName): that section reads as empty. The stacks
  // belong to the threads, not to the table, so a const table serves them.
  std::int64_t CurrentSection() const;
  void SetCurrentSection(std::int64_t index) const;
  void PushSection(std::int64_t index) const;  // EListError beyond the stack's depth
  void PushSectionByName(std::u16string_view name) const;
  void PopSection() const;  // the bottom entry is never popped
  std::int64_t FindSection(std::u16string_view name) const;

  // Lookups in the current section.
  std::u16string Get(std::int32_t number) const;  // EListError(number) when absent
  void Put(std::int32_t number, std::u16string_view text);
  std::int64_t IndexOfName(std::u16string_view key) const;
  std::u16string ValueByName(std::u16string_view key) const;
  void Delete(std::int32_t number);

  std::u16string SectionValue(std::u16string_view sectionName, std::u16string_view key) const;
  std::u16string NumberedValue(std::int64_t section, std::int32_t number) const;

  std::int64_t Count() const { return static_cast<std::int64_t>(Entries_.size()); }
  const TIniItem& Entry(std::int64_t i) const;
  const TIniSections& Sections() const { return Sections_; }
  std::int64_t IndexOf(std::u16string_view text) const;  // whole table, ignoring case

  // Raw moves in the entry array; they break the sorted order, so a caller
  // runs SortEntries and Reindex before the next lookup.
  void Exchange(std::int64_t i, std::int64_t j);
  void Move(std::int64_t from, std::int64_t to);

 private:
  TThreadStackSection& Stack() const;
  const TIniSection* SectionAt(std::int64_t index) const;
  std::int64_t FindNumbered(std::int64_t section, std::int32_t number) const;
  std::int64_t FindNamed(std::int64_t section, std::u16string_view name) const;
  std::int64_t FindOrAddSection(std::u16string_view name);
  std::int64_t SectionForNewEntry();
  void Append(TIniItem item);  // into the current section
  void CheckPosition(std::int64_t i) const;

  std::uint64_t Serial_;
  std::vector<TIniItem> Entries_;
  TIniSections Sections_;
};

// Push, look up, pop: the pop happens also when the lookup raises.
class TPushedSection {
 public:
  TPushedSection(const TIniStrings& table, std::u16string_view name) : Table_(table) {
    Table_.PushSectionByName(name);
  }
  ~TPushedSection() { Table_.PopSection(); }
  TPushedSection(const TPushedSection&) = delete;
  TPushedSection& operator=(const TPushedSection&) = delete;

 private:
  const TIniStrings& Table_;
};

// The 8-bit view of a table: program byte strings are UTF-8.
class TAnsiStringsForIniWideStringsAdapter {
 public:
  explicit TAnsiStringsForIniWideStringsAdapter(TIniStrings& table) : Table_(table) {}
  std::int64_t Add(std::string_view line);
  std::string Text() const;

 private:
  TIniStrings& Table_;
};

}  // namespace quenby
