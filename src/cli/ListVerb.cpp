#include <chrono>
#include <cmath>
#include <ctime>

#include "cli/ToolStores.h"
#include "cli/Verbs.h"
#include "model/MultiReadSync.h"

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

struct TListField {
  std::string_view Name;
  TField (*Get)(const TMesgItem&);
};

const TListField kFields[] = {
    {"key", [](const TMesgItem& m) { return TField::OfLine(m.GetKey()); }},
    {"date", [](const TMesgItem& m) { return TField::OfLine(UtcText(m.DateSent)); }},
    {"from",
     [](const TMesgItem& m) { return TField::OfLine(Person(m.FromRealName, m.FromEMail)); }},
    {"to", [](const TMesgItem& m) { return TField::OfLine(Person(m.ToRealName, m.ToEmail)); }},
    {"subject", [](const TMesgItem& m) { return TField::OfLine(m.Subject); }},
    {"size", [](const TMesgItem& m) { return TField::OfInteger(m.Size); }},
    {"flags", [](const TMesgItem& m) { return TField::OfLine(FlagLetters(m.Flags)); }},
};

const TListField& FieldNamed(const TCommandLine& line, const std::string& name) {
  for (const auto& f : kFields)
    if (f.Name == name) return f;
  throw EUsage(line.Verb, "unknown field '" + name + "'");
}

}  // namespace

int RunList(const TCommandLine& line, TPrinter& printer) {
  std::vector<const TListField*> fields;
  std::vector<std::string> names;
  if (line.Fields.empty())
    for (const auto& f : kFields) fields.push_back(&f);
  else
    for (const auto& name : line.Fields) fields.push_back(&FieldNamed(line, name));
  for (const auto* f : fields) names.emplace_back(f->Name);

  TToolStore store = OpenToolStore(line, printer);
  const auto& items = store.Items;
  printer.SetJson(line.Json);
  printer.Table(names, true);
  TReadLock read(items->Lock());
  for (std::int32_t i = 0; i < items->Count(); ++i) {
    const TMesgItem& item = *items->ItemAt(i);
    std::vector<TField> row;
    for (const auto* f : fields) row.push_back(f->Get(item));
    printer.Row(row);
  }
  return 0;
}

}  // namespace quenby::cli
