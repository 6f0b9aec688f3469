#pragma once
// UTF-8/UTF-16 conversion and the caseless order of the settings' names
// (INI sections and keys, language-file keys).

#include <cstdint>
#include <string>
#include <string_view>

namespace quenby {

// Malformed input becomes U+FFFD: one bad byte must not empty a whole file.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// Whether text is well-formed UTF-8 (no overlong forms, no surrogates).
bool IsValidUtf8(std::string_view text);

// The text of a wide INI file by its byte-order mark: FF FE UTF-16LE, FE FF
// UTF-16BE, EF BB BF UTF-8; without a mark, UTF-8 when the bytes are valid
// UTF-8, else the legacy code page. The text ends at the first NUL; a
// trailing odd byte of UTF-16 is ignored.
std::u16string DecodeIniText(std::string_view bytes);

// Compares by Unicode simple case folding, code point by code point:
// negative, zero or positive. A total order, so it can drive binary search.
int CompareTextFold(std::u16string_view a, std::u16string_view b);

// Equal ignoring ASCII letter case (property and enumeration names).
bool SameTextAscii(std::string_view a, std::string_view b);

// The caseless identity of a UTF-8 name: equal for names equal ignoring case.
std::string FoldKey(std::string_view utf8);

// Strict decimal: an optional "-", ASCII digits, within int32. No "+", no
// hexadecimal, no blanks.
bool ParseInt32(std::u16string_view text, std::int32_t& value);
bool ParseInt64(std::string_view text, std::int64_t& value);

}  // namespace quenby
