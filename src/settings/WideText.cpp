#include "settings/WideText.h"

#include <unicode/uchar.h>

#include <algorithm>
#include <charconv>

#include <limits>
#include "platform/LegacyCodePage.h"

namespace quenby {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one code point at text[i], advancing i; malformed sequences
// (overlong, surrogates, beyond U+10FFFF, truncated) give one U+FFFD per byte.
char32_t NextUtf8(std::string_view text, std::size_t& i) {
  const auto lead = static_cast<unsigned char>(text[i++]);
  if (lead < 0x80) return lead;
  int extra;
  char32_t cp;
  if (lead >= 0xC2 && lead <= 0xDF) {
    extra = 1, cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    extra = 2, cp = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    extra = 3, cp = lead & 0x07;
  } else {
    return kReplacement;
  }
  if (i + static_cast<std::size_t>(extra) > text.size()) return kReplacement;
  for (int k = 0; k < extra; ++k) {
    const auto c = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
    if ((c & 0xC0) != 0x80) return kReplacement;
    cp = (cp << 6) | (c & 0x3F);
  }
  static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
  if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return kReplacement;
  i += static_cast<std::size_t>(extra);
  return cp;
}

char32_t NextUtf16(std::u16string_view text, std::size_t& i) {
  const char16_t c = text[i++];
  if (c < 0xD800 || c > 0xDFFF) return c;
  if (c <= 0xDBFF && i < text.size() && text[i] >= 0xDC00 && text[i] <= 0xDFFF)
    return 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i++] - 0xDC00);
  return kReplacement;
}

void AppendUtf16(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out += static_cast<char16_t>(cp);
  } else {
    cp -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (cp >> 10));
    out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  }
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

char32_t Fold(char32_t cp) {
  if (cp < 0x80) return (cp >= 'A' && cp <= 'Z') ? cp + 32 : cp;
  return static_cast<char32_t>(u_foldCase(static_cast<UChar32>(cp), U_FOLD_CASE_DEFAULT));
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) AppendUtf16(out, NextUtf8(text, i));
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) AppendUtf8(out, NextUtf16(text, i));
  return out;
}

bool IsValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t start = i;
    if (NextUtf8(text, i) == kReplacement && text.substr(start, i - start) != "\xEF\xBF\xBD")
      return false;
  }
  return true;
}

std::u16string DecodeIniText(std::string_view bytes) {
  const auto utf16 = [&](bool bigEndian) {
    std::u16string text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
      const auto a = static_cast<unsigned char>(bytes[i]);
      const auto b = static_cast<unsigned char>(bytes[i + 1]);
      const auto unit = static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
      if (unit == 0) break;
      text += unit;
    }
    return text;
  };
  if (bytes.starts_with("\xFF\xFE")) return utf16(false);
  if (bytes.starts_with("\xFE\xFF")) return utf16(true);
  const bool marked = bytes.starts_with("\xEF\xBB\xBF");
  if (marked) bytes.remove_prefix(3);
  bytes = bytes.substr(0, bytes.find('\0'));
  if (marked || IsValidUtf8(bytes)) return Utf8ToUtf16(bytes);
  return Utf8ToUtf16(LegacyToUtf8(bytes));
}

int CompareTextFold(std::u16string_view a, std::u16string_view b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    const char32_t x = Fold(NextUtf16(a, i));
    const char32_t y = Fold(NextUtf16(b, j));
    if (x != y) return x < y ? -1 : 1;
  }
  if (i < a.size()) return 1;
  return j < b.size() ? -1 : 0;
}

bool SameTextAscii(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [&](char x, char y) { return lower(x) == lower(y); });
}

std::string FoldKey(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out += static_cast<char>((c >= 'A' && c <= 'Z') ? c + 32 : c);
      ++i;
      continue;
    }
    const std::size_t start = i;
    const char32_t cp = NextUtf8(utf8, i);
    if (cp == kReplacement && utf8.substr(start, i - start) != "\xEF\xBF\xBD") {
      out.append(utf8.substr(start, i - start));  // keep stray bytes as they are
    } else {
      AppendUtf8(out, Fold(cp));
    }
  }
  return out;
}

// Without building a narrow copy: named look-ups try this on every key.
bool ParseInt32(std::u16string_view text, std::int32_t& value) {
  const bool negative = !text.empty() && text[0] == u'-';
  const std::u16string_view digits = text.substr(negative ? 1 : 0);
  if (digits.empty() || digits.size() > 10) return false;
  std::int64_t magnitude = 0;
  for (const char16_t c : digits) {
    if (c < u'0' || c > u'9') return false;
    magnitude = magnitude * 10 + (c - u'0');
  }
  const std::int64_t result = negative ? -magnitude : magnitude;
  if (result < std::numeric_limits<std::int32_t>::min() ||
      result > std::numeric_limits<std::int32_t>::max())
    return false;
  value = static_cast<std::int32_t>(result);
  return true;
}

bool ParseInt64(std::string_view text, std::int64_t& value) {
  if (text.empty() || text[0] == '+') return false;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end;
}

}  // namespace quenby
