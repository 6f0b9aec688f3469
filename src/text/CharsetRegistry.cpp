#include "text/CharsetRegistry.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <vector>

namespace quenby {

namespace {

// One group per line: the IANA preferred name first, then its aliases, then
// the non-IANA labels seen in real mail. The order of the groups fixes the
// numbers and must not matter to anyone.
const std::vector<std::vector<std::string_view>>& Groups() {
  static const std::vector<std::vector<std::string_view>> groups = {
      {"US-ASCII", "iso-ir-6", "ANSI_X3.4-1968", "ANSI_X3.4-1986", "ISO_646.irv:1991", "ISO646-US",
       "us", "IBM367", "cp367", "csASCII", "ascii"},
      {"ISO-8859-1", "ISO_8859-1:1987", "iso-ir-100", "ISO_8859-1", "latin1", "l1", "IBM819",
       "CP819", "csISOLatin1"},
      {"ISO-8859-2", "ISO_8859-2:1987", "iso-ir-101", "ISO_8859-2", "latin2", "l2", "csISOLatin2"},
      {"ISO-8859-3", "ISO_8859-3:1988", "iso-ir-109", "ISO_8859-3", "latin3", "l3", "csISOLatin3"},
      {"ISO-8859-4", "ISO_8859-4:1988", "iso-ir-110", "ISO_8859-4", "latin4", "l4", "csISOLatin4"},
      {"ISO-8859-5", "ISO_8859-5:1988", "iso-ir-144", "ISO_8859-5", "cyrillic",
       "csISOLatinCyrillic"},
      {"ISO-8859-6", "ISO_8859-6:1987", "iso-ir-127", "ISO_8859-6", "ECMA-114", "ASMO-708",
       "arabic", "csISOLatinArabic"},
      {"ISO-8859-7", "ISO_8859-7:1987", "iso-ir-126", "ISO_8859-7", "ELOT_928", "ECMA-118", "greek",
       "greek8", "csISOLatinGreek"},
      {"ISO-8859-8", "ISO_8859-8:1988", "iso-ir-138", "ISO_8859-8", "hebrew", "csISOLatinHebrew"},
      {"ISO-8859-9", "ISO_8859-9:1989", "iso-ir-148", "ISO_8859-9", "latin5", "l5", "csISOLatin5"},
      {"ISO-8859-10", "iso-ir-157", "l6", "ISO_8859-10:1992", "csISOLatin6", "latin6"},
      {"ISO-8859-11", "csTIS620", "TIS-620"},
      {"ISO-8859-13", "csISO885913"},
      {"ISO-8859-14", "iso-ir-199", "ISO_8859-14:1998", "ISO_8859-14", "latin8", "iso-celtic", "l8",
       "csISO885914"},
      {"ISO-8859-15", "ISO_8859-15", "Latin-9", "csISO885915"},
      {"ISO-8859-16", "iso-ir-226", "ISO_8859-16:2001", "ISO_8859-16", "latin10", "l10",
       "csISO885916"},
      {"windows-1250", "cswindows1250", "cp1250", "win-1250"},
      {"windows-1251", "cswindows1251", "cp1251", "win-1251"},
      {"windows-1252", "cswindows1252", "cp1252", "win-1252"},
      {"windows-1253", "cswindows1253", "cp1253", "win-1253"},
      {"windows-1254", "cswindows1254", "cp1254", "win-1254"},
      {"windows-1255", "cswindows1255", "cp1255", "win-1255"},
      {"windows-1256", "cswindows1256", "cp1256", "win-1256"},
      {"windows-1257", "cswindows1257", "cp1257", "win-1257"},
      {"windows-1258", "cswindows1258", "cp1258", "win-1258"},
      {"windows-874", "cswindows874", "cp874"},
      {"KOI8-R", "csKOI8R", "koi8r"},
      {"KOI8-U", "csKOI8U", "koi8u"},
      {"IBM866", "cp866", "866", "csIBM866"},
      {"UTF-7", "csUTF7"},
      {"UTF-8", "csUTF8", "utf8"},
      {"UTF-16", "csUTF16"},
      {"UTF-16BE", "csUTF16BE"},
      {"UTF-16LE", "csUTF16LE"},
      {"UTF-32", "csUTF32"},
      {"Shift_JIS", "MS_Kanji", "csShiftJIS", "sjis"},
      {"Windows-31J", "csWindows31J", "cp932"},
      {"ISO-2022-JP", "csISO2022JP"},
      {"ISO-2022-JP-2", "csISO2022JP2"},
      {"JIS_X0201", "X0201", "csHalfWidthKatakana"},
      {"JIS_C6220-1969-jp", "JIS_C6220-1969", "iso-ir-13", "katakana", "x0201-7",
       "csISO13JISC6220jp"},
      {"EUC-JP", "Extended_UNIX_Code_Packed_Format_for_Japanese", "csEUCPkdFmtJapanese"},
      {"JIS_C6226-1983", "iso-ir-87", "x0208", "JIS_X0208-1983", "csISO87JISX0208"},
      {"KS_C_5601-1987", "iso-ir-149", "KS_C_5601-1989", "KSC_5601", "korean", "csKSC56011987",
       "cp949"},
      {"ISO-2022-KR", "csISO2022KR"},
      {"EUC-KR", "csEUCKR"},
      {"GB2312", "csGB2312"},
      {"GBK", "CP936", "MS936", "windows-936", "csGBK"},
      {"GB18030", "csGB18030"},
      {"Big5", "csBig5"},
      {"Big5-HKSCS", "csBig5HKSCS"},
  };
  return groups;
}

std::string Lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) {
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  });
  return out;
}

struct TRegistry {
  std::vector<std::string_view> Names;    // index = number - 1
  std::vector<TCharsetNumber> Canonical;  // index = number - 1
  std::unordered_map<std::string, TCharsetNumber> ByName;

  TRegistry() {
    for (const auto& group : Groups()) {
      const auto first = static_cast<TCharsetNumber>(Names.size() + 1);
      for (const std::string_view name : group) {
        Names.push_back(name);
        Canonical.push_back(first);
        ByName.emplace(Lower(name), static_cast<TCharsetNumber>(Names.size()));
      }
    }
  }
};

const TRegistry& Registry() {
  static const TRegistry registry;
  return registry;
}

}  // namespace

std::string NormalizeCharsetName(std::string_view name) {
  std::string out = Lower(name);
  if (out.size() > 2 && out.compare(0, 2, "x-") == 0) out.erase(0, 2);
  return out;
}

TCharsetNumber CharsetNumber(std::string_view name) {
  const auto& byName = Registry().ByName;
  const auto found = byName.find(Lower(name));
  return found == byName.end() ? 0 : found->second;
}

TCharsetNumber CharsetNumberOfLabel(std::string_view label) {
  return CharsetNumber(NormalizeCharsetName(label));
}

TCharsetNumber CanonicalCharset(TCharsetNumber number) {
  const auto& canonical = Registry().Canonical;
  if (number < 1 || static_cast<std::size_t>(number) > canonical.size()) return number;
  return canonical[static_cast<std::size_t>(number) - 1];
}

std::string_view CharsetName(TCharsetNumber number) {
  const auto& names = Registry().Names;
  if (number < 1 || static_cast<std::size_t>(number) > names.size()) return {};
  return names[static_cast<std::size_t>(number) - 1];
}

}  // namespace quenby
