// Feeds arbitrary bytes to both INI readers: the wide table of the language
// file (every encoding, by its byte-order mark) and the program's INI file.
// Beyond crashes it checks two invariants: every entry of the sorted table
// is found by its own key, and the INI file's text reads back to itself.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "settings/IniFile.h"
#include "settings/IniWStrings.h"
#include "settings/WideText.h"

namespace {

void CheckTable(std::string_view bytes) {
  quenby::TIniStrings table;
  try {
    table.LoadFromText(quenby::DecodeIniText(bytes));
  } catch (const quenby::EIniStringsError&) {
    return;
  }
  table.SortEntries();
  table.Reindex();
  for (std::int64_t i = 0; i < table.Count(); ++i) {
    const quenby::TIniItem& item = table.Entry(i);
    table.PushSection(item.SectionIndex);
    const std::int64_t found = table.IndexOfName(
        item.Number >= 0 ? quenby::Utf8ToUtf16(std::to_string(item.Number)) : item.KeyName);
    table.PopSection();
    if (found < 0 || quenby::CompareTextFold(table.Entry(found).KeyName, item.KeyName) != 0 ||
        table.Entry(found).Number != item.Number)
      std::abort();
  }
  (void)table.GetTextStr();
}

void CheckFile(std::string_view bytes) {
  quenby::TIniFile file("fuzz.ini");
  file.SetText(bytes);
  const std::string text = file.Text();
  quenby::TIniFile again("fuzz.ini");
  again.SetText(text);
  if (again.Text() != text) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  CheckTable(bytes);
  CheckFile(bytes);
  return 0;
}
