#pragma once
// The message fields a message list can show as columns: their names,
// captions, cell texts and orders, and the persistent list of the columns
// a view shows.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/Persistent.h"
#include "text/MesgDates.h"

namespace quenby {

class TMesgItem;

enum TMailColumnType : std::uint8_t {
  mcSubject,
  mcFromRealName,
  mcFromEmail,
  mcToRealName,
  mcToEmail,
  mcDateSent,
  mcDateReceived,
  mcSize,
  mcPriority,
  mcAttachment,
  mcSeen,
  mcDraft,
  mcAnswered,
  mcFlagged
};
constexpr int kMailColumnCount = 14;

enum TMessageSort { msColumns, msSubject, msFrom, msTo, msDateSent, msDateReceived };

// The enumeration name ("mcSubject"), as stored in settings files.
std::string_view MailColumnName(TMailColumnType type);
// Ignoring ASCII case; nothing for a name of no column type.
std::optional<TMailColumnType> MailColumnFromName(std::string_view name);
// The "MesgFields" text of the language file.
std::u16string MailColumnCaption(TMailColumnType type);
// The six flag columns (mcPriority on) show no text and no header caption.
bool IsFlagColumn(TMailColumnType type);

// UTF-8; empty for the flag columns and for unknown dates.
std::string MailColumnText(const TMesgItem& item, TMailColumnType type, TDateTimeDetails details);
// Ascending order of one field: negative when a comes first. Names by the
// user's collation (case counts), addresses by bytes ignoring ASCII case,
// dates and sizes older/smaller first, mpLowest before mpHighest, messages
// without a flag first except for mcSeen and mcAnswered, where those with
// it come first. The caller holds the items' read lock.
int CompareByField(const TMesgItem& a, const TMesgItem& b, TMailColumnType type);

// The columns a message list shows, in display order, each type at most
// once. Positions outside the list raise EListError.
class TMailColumnsList : public TIniComponent {
 public:
  static const TClassInfo& StaticInfo();
  const TClassInfo* ClassInfo() const override { return &StaticInfo(); }

  std::int32_t ColumnCount() const { return static_cast<std::int32_t>(Types_.size()); }
  TMailColumnType ColumnTypes(std::int32_t i) const;
  const std::vector<TMailColumnType>& Types() const { return Types_; }

  // Appends a type not yet shown; its position either way.
  std::int32_t AddColumn(TMailColumnType type);
  // i in 0..ColumnCount; a type shown elsewhere moves to i.
  void InsertColumn(std::int32_t i, TMailColumnType type);
  void MoveColumn(std::int32_t from, std::int32_t to);
  void DeleteColumn(std::int32_t i);
  std::int32_t IndexOfColumn(TMailColumnType type) const;  // -1 if not shown
  std::int32_t AvailableCount() const { return kMailColumnCount - ColumnCount(); }
  // The i-th type, in enumeration order, that is not shown.
  TMailColumnType AvailableColumn(std::int32_t i) const;
  std::int32_t AddFirstAvailable();
  void Assign(const TMailColumnsList& other) { Types_ = other.Types_; }
  void Clear() { Types_.clear(); }

  // The ordered-list operations the column editor works on: add, delete,
  // move up and move down (codes 0 to 3), nothing else. The last column
  // is never deleted, so a list always shows something.
  static bool Supports(int operation) { return operation >= 0 && operation <= 3; }
  bool CanAdd() const { return AvailableCount() > 0; }
  bool CanDelete(std::int32_t i) const { return i >= 0 && i < ColumnCount() && ColumnCount() > 1; }
  std::u16string GetText(std::int32_t i) const { return MailColumnCaption(ColumnTypes(i)); }

  // "ColumnsCount" and "Column0".. in the filer's section. Reading a
  // positive count replaces the list with the named columns: at most 14
  // entries are read, unknown names are skipped, and a list that would be
  // left empty stays as it was.
  void DefineIniProperties(TIniFiler& filer, bool reading) override;

 private:
  void CheckPosition(std::int32_t i, std::int32_t last) const;

  std::vector<TMailColumnType> Types_;
};

}  // namespace quenby
