// Feeds arbitrary bytes to both INI readers: the wide table of the language
// file (every encoding, by its byte-order mark) and the program's INI file,
// and reads an object of every property kind, with a collection, from it.
// Beyond crashes it checks two invariants: every entry of the sorted table
// is found by its own key, and the INI file's text reads back to itself.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "settings/IniFile.h"
#include "settings/IniFiler.h"
#include "settings/IniWStrings.h"
#include "settings/WideText.h"

namespace {

using namespace quenby;

void CheckTable(std::string_view bytes) {
  TIniStrings table;
  try {
    table.LoadFromText(DecodeIniText(bytes));
  } catch (const EIniStringsError&) {
    return;
  }
  table.SortEntries();
  table.Reindex();
  for (std::int64_t i = 0; i < table.Count(); ++i) {
    const TIniItem& item = table.Entry(i);
    table.PushSection(item.SectionIndex);
    const std::int64_t found = table.IndexOfName(
        item.Number >= 0 ? Utf8ToUtf16(std::to_string(item.Number)) : item.KeyName);
    table.PopSection();
    if (found < 0 || CompareTextFold(table.Entry(found).KeyName, item.KeyName) != 0 ||
        table.Entry(found).Number != item.Number)
      std::abort();
  }
  (void)table.GetTextStr();
}

const TOrdinalType& KindType() {
  static const TOrdinalType type = TOrdinalType::Enumeration({"ekNone", "ekOutlook", "ekEudora"});
  return type;
}
const TOrdinalType& FlagsType() {
  static const TOrdinalType type = TOrdinalType::SetOf(KindType());
  return type;
}

class TEveryKind : public TIniPersistent {
 public:
  static const TClassInfo& StaticInfo() {
    static const TClassInfo info =
        TClassBuilder<TEveryKind>("TEveryKind", &TIniPersistent::StaticInfo())
            .Integer("Int", &TEveryKind::Int)
            .Boolean("Bool", &TEveryKind::Bool, 1)
            .Enum("Kind", KindType(), &TEveryKind::Kind)
            .Set("Flags", FlagsType(), &TEveryKind::Flags)
            .Float("Float", &TEveryKind::Float)
            .String("String", &TEveryKind::String)
            .WideString("Wide", &TEveryKind::Wide)
            .Char("Char", &TEveryKind::Char)
            .WideChar("WideChar", &TEveryKind::WideChar)
            .Int64("Int64", &TEveryKind::Int64)
            .Object("Items", [](TEveryKind& o) { return &o.Items; })
            .Build();
    return info;
  }
  const TClassInfo* ClassInfo() const override { return &StaticInfo(); }
  std::int32_t Int = 0;
  bool Bool = false;
  std::int32_t Kind = 0;
  std::uint32_t Flags = 0;
  double Float = 0;
  std::string String;
  std::u16string Wide;
  char Char = 0;
  char16_t WideChar = 0;
  std::int64_t Int64 = 0;
  TIniCollection Items{this, {}};
};

void CheckProperties(std::string_view bytes) {
  TIniFiler filer("/nonexistent/fuzz.ini", TIniFilerMode::Rewrite);
  filer.IniFile().SetText(bytes);
  TEveryKind object;
  filer.ReadObject(&object);
  if (object.Kind < 0 || object.Kind > 2 || object.Items.DefaultItemIndex() < 0) std::abort();
}

void CheckFile(std::string_view bytes) {
  TIniFile file("fuzz.ini");
  file.SetText(bytes);
  const std::string text = file.Text();
  TIniFile again("fuzz.ini");
  again.SetText(text);
  if (again.Text() != text) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  CheckTable(bytes);
  CheckFile(bytes);
  CheckProperties(bytes);
  return 0;
}
