#pragma once
// The code page of bytes whose charset nobody recorded (names in an Outlook
// Express folder list, messages without a charset). windows-1251 when the
// locale's language is ru, uk, be or bg, windows-1252 otherwise;
// QUENBY_LEGACY_CODEPAGE overrides it, and so does the option once set.

#include <string>
#include <string_view>

namespace quenby {

// ICU converter name, e.g. "windows-1252".
std::string LegacyCodePage();
void SetLegacyCodePage(std::string name);  // empty: back to the environment's choice

// Bytes in the legacy code page to UTF-8; unmappable bytes become "?".
std::string LegacyToUtf8(std::string_view bytes);
// UTF-8 text in the legacy code page; false when a character has no byte
// there (out is then unspecified).
bool Utf8ToLegacy(std::string_view text, std::string& out);

}  // namespace quenby
