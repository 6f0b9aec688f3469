#pragma once
// Message bytes to UTF-16 and back, by MIME charset name or registry number.
// No conversion raises: a charset nobody can convert falls back to the
// legacy code page, and what a charset cannot hold becomes "?".

#include <string>
#include <string_view>
#include <vector>

#include "text/CharsetRegistry.h"

namespace quenby {

// Bytes labelled with a charset name. An empty label decodes with the legacy
// code page; a label the registry lacks but ICU knows is decoded by ICU.
std::u16string MesgTextToWide(std::string_view bytes, std::string_view charset);
// By the converter of the number's canonical group; 0 is the legacy page.
std::u16string CharsetToWide(std::string_view bytes, TCharsetNumber number);
std::string WideToCharset(std::u16string_view text, TCharsetNumber number);

// The ICU converter name for a canonical number; empty when the group
// converts with the legacy code page (US-ASCII and ISO-8859-1 among them).
std::string CharsetConverterName(TCharsetNumber canonical);
// True when ICU can open a converter of that name on this machine.
bool IsConverterAvailable(std::string_view name);

// The charset for new text by the primary language of a POSIX locale name
// ("ru_RU.UTF-8"); the overload without argument reads LC_ALL, LC_CTYPE, LANG.
TCharsetNumber DefaultMesgCharset(std::string_view locale);
TCharsetNumber DefaultMesgCharset();

// The 37 charsets the message editor offers, in order.
struct TCharsetListEntry {
  std::string_view Name;
  TCharsetNumber Number;
};
const std::vector<TCharsetListEntry>& CharsetList();
// Position of the first entry in the same group as number; -1 when none.
int CharsetListIndex(TCharsetNumber number);

// The program's own byte strings are UTF-8.
std::u16string Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::u16string_view text);

}  // namespace quenby
