#include <chrono>
#include <cmath>
#include <ctime>
#include <functional>
#include <optional>

#include "cli/ToolStores.h"
#include "cli/Verbs.h"
#include "model/MultiReadSync.h"
#include "model/mail/MailColumns.h"

namespace quenby::cli {
namespace {

// A local message date as ISO 8601 in UTC, so that the output does not
// depend on the machine's time zone; empty for no date.
std::string UtcText(TDateTime local) {
  if (local == 0 || !std::isfinite(local)) return {};
  using namespace std::chrono;
  const auto total = static_cast<std::int64_t>(std::llround(local * 86400.0));
  const std::int64_t days = total >= 0 ? total / 86400 : (total - 86399) / 86400;
  const std::int64_t seconds = total - days * 86400;
  const year_month_day date(sys_days(year(1899) / December / 30) + std::chrono::days(days));
  std::tm fields{};
  fields.tm_year = static_cast<int>(date.year()) - 1900;
  fields.tm_mon = static_cast<int>(unsigned(date.month())) - 1;
  fields.tm_mday = static_cast<int>(unsigned(date.day()));
  fields.tm_hour = static_cast<int>(seconds / 3600);
  fields.tm_min = static_cast<int>(seconds / 60 % 60);
  fields.tm_sec = static_cast<int>(seconds % 60);
  fields.tm_isdst = -1;
  const std::time_t utc = std::mktime(&fields);
  std::tm out{};
  if (utc == -1 || !::gmtime_r(&utc, &out)) return {};
  char text[32];
  if (std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &out) == 0) return {};
  return text;
}

std::string Person(const std::string& name, const std::string& address) {
  if (name.empty() || name == address) return address;
  if (address.empty()) return name;
  return name + " <" + address + ">";
}

std::string FlagLetters(TMesgFlags flags) {
  static constexpr struct {
    TMesgFlag Flag;
    char Letter;
  } kLetters[] = {
      {mfAttachment, 'A'}, {mfAnswered, 'R'}, {mfFlagged, 'F'}, {mfDraft, 'D'}, {mfSeen, 'S'}};
  std::string letters;
  for (const auto& l : kLetters)
    if (flags & l.Flag) letters += l.Letter;
  return letters;
}

// A field of the list: one of the tool's own, or a mail column by its
// enumeration name without the prefix.
struct TListField {
  std::string Name;
  std::function<TField(const TMesgItem&)> Get;
};

const std::vector<TListField>& OwnFields() {
  static const std::vector<TListField> fields = {
      {"key", [](const TMesgItem& m) { return TField::OfLine(m.GetKey()); }},
      {"date", [](const TMesgItem& m) { return TField::OfLine(UtcText(m.DateSent)); }},
      {"from",
       [](const TMesgItem& m) { return TField::OfLine(Person(m.FromRealName, m.FromEMail)); }},
      {"to", [](const TMesgItem& m) { return TField::OfLine(Person(m.ToRealName, m.ToEmail)); }},
      {"subject", [](const TMesgItem& m) { return TField::OfLine(m.Subject); }},
      {"size", [](const TMesgItem& m) { return TField::OfInteger(m.Size); }},
      {"flags", [](const TMesgItem& m) { return TField::OfLine(FlagLetters(m.Flags)); }},
  };
  return fields;
}

std::optional<TMailColumnType> ColumnNamed(const std::string& name) {
  return MailColumnFromName("mc" + name);
}

// Dates in UTC as the tool's own; flags as 0 or 1 and the priority as its
// X-Priority number, where the list view shows icons.
TField ColumnField(const TMesgItem& item, TMailColumnType type) {
  static constexpr struct {
    TMailColumnType Type;
    TMesgFlag Flag;
  } kFlags[] = {{mcAttachment, mfAttachment},
                {mcSeen, mfSeen},
                {mcDraft, mfDraft},
                {mcAnswered, mfAnswered},
                {mcFlagged, mfFlagged}};
  if (type == mcDateSent) return TField::OfLine(UtcText(item.DateSent));
  if (type == mcDateReceived) return TField::OfLine(UtcText(item.DateReceived));
  if (type == mcPriority) return TField::OfInteger(item.Priority + 1);  // as X-Priority
  for (const auto& f : kFlags)
    if (f.Type == type) return TField::OfInteger((item.Flags & f.Flag) ? 1 : 0);
  return TField::OfLine(MailColumnText(item, type, ddDateAndTime));
}

TListField FieldNamed(const TCommandLine& line, const std::string& name) {
  for (const auto& f : OwnFields())
    if (f.Name == name) return f;
  if (const auto type = ColumnNamed(name))
    return {name, [type = *type](const TMesgItem& m) { return ColumnField(m, type); }};
  throw EUsage(line.Verb, "unknown field '" + name + "'");
}

}  // namespace

int RunList(const TCommandLine& line, TPrinter& printer) {
  std::vector<TListField> fields;
  if (line.Fields.empty())
    fields = OwnFields();
  else
    for (const auto& name : line.Fields) fields.push_back(FieldNamed(line, name));
  std::vector<std::string> names;
  for (const auto& f : fields) names.push_back(f.Name);
  std::optional<TMailColumnType> sortColumn;
  if (!line.Sort.empty() && !(sortColumn = ColumnNamed(line.Sort)))
    throw EUsage(line.Verb, "unknown column '" + line.Sort + "'");

  TToolStore store = OpenToolStore(line, printer);
  const auto& items = store.Items;
  if (sortColumn || line.Invert) {
    // As the list view orders it: by one column, or the collection's own
    // order, inverted on request.
    TMesgSortOrder order = items->SortOrder();
    if (sortColumn) {
      order.MessageSort = msColumns;
      order.Columns = {*sortColumn};
    }
    order.InvertSort = line.Invert;
    items->SetSortOrder(std::move(order));
    items->Resort();
  }
  printer.SetJson(line.Json);
  printer.Table(names, true);
  TReadLock read(items->Lock());
  for (std::int32_t i = 0; i < items->Count(); ++i) {
    const TMesgItem& item = *items->ItemAt(i);
    std::vector<TField> row;
    for (const auto& f : fields) row.push_back(f.Get(item));
    printer.Row(row);
  }
  return 0;
}

}  // namespace quenby::cli
