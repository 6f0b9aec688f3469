#pragma once
// Header text decoding the program's way (RFC 2047): every encoded word by
// its own charset, the bytes between them by the charset the caller gives
// (the message's), so raw 8-bit KOI8-R or windows-1251 headers read right.

#include <string>
#include <string_view>

#include "text/CharsetRegistry.h"

namespace quenby {

// Unstructured text (Subject): unfolds, decodes encoded words (the blanks
// between two adjacent words are dropped), and decodes the other bytes with
// number. Bytes that are valid UTF-8 with at least one multi-byte sequence
// are read as UTF-8 when number is 0 (RFC 6532 headers carry no charset).
std::u16string DecodeHeaderText(std::string_view raw, TCharsetNumber number);

// A display name: like DecodeHeaderText, after removing the quotes and
// backslash escapes of quoted strings (encoded words inside quotes are
// decoded as well, as many mailers write them so).
std::u16string DecodePhrase(std::string_view raw, TCharsetNumber number);

// True when bytes hold a multi-byte UTF-8 sequence and nothing malformed.
bool IsMultiByteUtf8(std::string_view bytes);

}  // namespace quenby
