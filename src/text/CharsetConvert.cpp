#include "text/CharsetConvert.h"

#include <cstdlib>
#include <unordered_map>

#include "platform/LegacyCodePage.h"
#include "text/IcuConverters.h"

namespace quenby {

namespace {

struct TConverterByGroup {
  std::string_view Group;      // registry name of the canonical entry
  std::string_view Converter;  // ICU name; empty: legacy code page
};

// Groups whose converter differs from ICU's reading of their own name, or
// that deliberately take the legacy code page. Every other group is handed
// to ICU under its name, and falls back when ICU lacks it.
constexpr TConverterByGroup kConverters[] = {
    {"US-ASCII", ""},
    {"ISO-8859-1", ""},
    // Windows code page 932 is Windows-31J, Microsoft's Shift_JIS.
    {"Shift_JIS", "windows-932"},
    {"Windows-31J", "windows-932"},
    // The group's code page 50930 is EBCDIC: it would garble every message,
    // so it counts as not installed.
    {"JIS_C6220-1969-jp", ""},
    // Windows 20932 is EUC-JP over JIS X 0208.
    {"JIS_C6226-1983", "EUC-JP"},
    // Mail labelled ks_c_5601-1987 carries CP949 bytes, not 7-bit ISO-2022-KR.
    {"KS_C_5601-1987", "windows-949"},
};

const std::unordered_map<TCharsetNumber, std::string>& ConverterNames() {
  static const auto names = [] {
    std::unordered_map<TCharsetNumber, std::string> map;
    for (const auto& entry : kConverters) map.emplace(CharsetNumber(entry.Group), entry.Converter);
    return map;
  }();
  return names;
}

UConverter* LegacyConverter() {
  return icu_detail::ThreadConverter(LegacyCodePage());
}

std::u16string LegacyToWide(std::string_view bytes) {
  if (UConverter* converter = LegacyConverter()) return icu_detail::Decode(converter, bytes);
  // A legacy page that ICU cannot open: read the bytes as Latin-1.
  return std::u16string(bytes.begin(), bytes.end());
}

std::string WideToLegacy(std::u16string_view text) {
  if (UConverter* converter = LegacyConverter()) return icu_detail::Encode(converter, text);
  std::string out;
  out.reserve(text.size());
  for (const char16_t c : text) out.push_back(c < 0x100 ? static_cast<char>(c) : '?');
  return out;
}

UConverter* ConverterOf(TCharsetNumber number) {
  if (number == 0) return nullptr;
  const std::string name = CharsetConverterName(CanonicalCharset(number));
  return name.empty() ? nullptr : icu_detail::ThreadConverter(name);
}

}  // namespace

std::string CharsetConverterName(TCharsetNumber canonical) {
  const auto& names = ConverterNames();
  if (const auto found = names.find(canonical); found != names.end()) return found->second;
  return std::string(CharsetName(canonical));
}

bool IsConverterAvailable(std::string_view name) {
  return !name.empty() && icu_detail::ThreadConverter(name) != nullptr;
}

std::u16string CharsetToWide(std::string_view bytes, TCharsetNumber number) {
  if (bytes.empty()) return {};
  if (UConverter* converter = ConverterOf(number)) return icu_detail::Decode(converter, bytes);
  return LegacyToWide(bytes);
}

std::string WideToCharset(std::u16string_view text, TCharsetNumber number) {
  if (text.empty()) return {};
  if (UConverter* converter = ConverterOf(number)) return icu_detail::Encode(converter, text);
  return WideToLegacy(text);
}

std::u16string MesgTextToWide(std::string_view bytes, std::string_view charset) {
  if (bytes.empty()) return {};
  if (charset.empty()) return LegacyToWide(bytes);
  const std::string label = NormalizeCharsetName(charset);
  if (const TCharsetNumber number = CharsetNumber(label)) return CharsetToWide(bytes, number);
  if (UConverter* converter = icu_detail::ThreadConverter(label))
    return icu_detail::Decode(converter, bytes);
  return LegacyToWide(bytes);
}

TCharsetNumber DefaultMesgCharset(std::string_view locale) {
  const std::string_view language = locale.substr(0, locale.find_first_of("_.@"));
  const std::string_view territory =
      locale.size() > language.size() && locale[language.size()] == '_'
          ? locale.substr(language.size() + 1, 2)
          : std::string_view{};
  const char* name = "ISO-8859-1";
  if (language == "ar")
    name = "ISO-8859-6";
  else if (language == "el")
    name = "ISO-8859-7";
  else if (language == "he" || language == "iw")
    name = "ISO-8859-8";
  else if (language == "zh")
    name = territory == "CN" || territory == "SG" ? "GB2312" : "Big5";
  else if (language == "ja")
    name = "ISO-2022-JP";
  else if (language == "ko")
    name = "csEUCKR";
  else if (language == "ru")
    name = "KOI8-R";
  else if (language == "uk")
    name = "windows-1251";
  return CharsetNumber(name);
}

TCharsetNumber DefaultMesgCharset() {
  for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"})
    if (const char* value = std::getenv(variable); value && *value)
      return DefaultMesgCharset(value);
  return DefaultMesgCharset("C");
}

const std::vector<TCharsetListEntry>& CharsetList() {
  static const auto list = [] {
    constexpr std::string_view kNames[] = {
        "US-ASCII",     "ISO-8859-1",   "ISO-8859-2",   "ISO-8859-3",     "ISO-8859-4",
        "ISO-8859-5",   "ISO-8859-6",   "ISO-8859-7",   "ISO-8859-8",     "ISO-8859-9",
        "ISO-8859-10",  "ISO-8859-13",  "ISO-8859-14",  "ISO-8859-15",    "windows-1250",
        "windows-1251", "windows-1252", "windows-1253", "windows-1254",   "windows-1255",
        "windows-1256", "windows-1257", "windows-1258", "KOI8-R",         "KOI8-U",
        "UTF-7",        "UTF-8",        "csShiftJIS",   "csISO2022JP",    "csISO2022JP2",
        "JIS_X0201",    "katakana",     "EUC-JP",       "JIS_C6226-1983", "korean",
        "csISO2022KR",  "csEUCKR"};
    std::vector<TCharsetListEntry> entries;
    for (const std::string_view name : kNames) {
      const TCharsetNumber number = CharsetNumber(name);
      entries.push_back({CharsetName(number), number});
    }
    return entries;
  }();
  return list;
}

int CharsetListIndex(TCharsetNumber number) {
  const TCharsetNumber canonical = CanonicalCharset(number);
  const auto& list = CharsetList();
  for (std::size_t i = 0; i < list.size(); ++i)
    if (CanonicalCharset(list[i].Number) == canonical) return static_cast<int>(i);
  return -1;
}

std::u16string Utf8ToWide(std::string_view text) {
  if (text.empty()) return {};
  return icu_detail::Decode(icu_detail::ThreadConverter("UTF-8"), text);
}

std::string WideToUtf8(std::u16string_view text) {
  if (text.empty()) return {};
  return icu_detail::Encode(icu_detail::ThreadConverter("UTF-8"), text);
}

}  // namespace quenby
