#include "text/Rfc2047.h"

#include <cstdint>

#include "text/CharsetConvert.h"
#include "text/HeaderLines.h"

namespace quenby {

namespace {

struct TEncodedWord {
  std::string_view Charset;
  char Encoding;  // 'B' or 'Q'
  std::string_view Text;
  std::size_t Length;  // of the whole word, "=?" to "?="
};

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

bool AllBlank(std::string_view text) {
  for (const char c : text)
    if (!IsBlank(c)) return false;
  return true;
}

// Where the next "?=" is: a header full of unterminated "=?" would cost
// quadratic time if every one of them searched the rest of the text.
struct TWordEnds {
  std::size_t SearchedFrom = 0;
  std::size_t At = 0;  // npos: none at or after SearchedFrom
  bool Valid = false;

  std::size_t Find(std::string_view text, std::size_t from) {
    if (Valid && from >= SearchedFrom && (At == std::string_view::npos || At >= from)) return At;
    SearchedFrom = from;
    At = text.find("?=", from);
    Valid = true;
    return At;
  }
};

// "=?charset?B?text?=" starting at from; the charset may carry an RFC 2231
// language ("utf-8*en"), which is dropped.
bool ParseEncodedWord(std::string_view text, std::size_t from, TWordEnds& ends,
                      TEncodedWord& word) {
  if (text.compare(from, 2, "=?") != 0) return false;
  const std::size_t charsetEnd = text.find('?', from + 2);
  if (charsetEnd == std::string_view::npos || charsetEnd == from + 2 ||
      charsetEnd + 2 >= text.size())
    return false;
  const char encoding = static_cast<char>(text[charsetEnd + 1] & ~0x20);
  if ((encoding != 'B' && encoding != 'Q') || text[charsetEnd + 2] != '?') return false;
  const std::size_t textEnd = ends.Find(text, charsetEnd + 3);
  if (textEnd == std::string_view::npos) return false;
  std::string_view charset = text.substr(from + 2, charsetEnd - from - 2);
  charset = charset.substr(0, charset.find('*'));
  for (const char c : charset)
    if (IsBlank(c)) return false;
  word = {charset, encoding, text.substr(charsetEnd + 3, textEnd - charsetEnd - 3),
          textEnd + 2 - from};
  return true;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

// Lenient, as mailers are: characters outside the alphabet are skipped and
// missing padding is accepted.
void AppendBase64(std::string_view text, std::string& out) {
  std::uint32_t bits = 0;
  int count = 0;
  for (const char c : text) {
    if (c == '=') break;
    const int value = Base64Value(c);
    if (value < 0) continue;
    bits = (bits << 6) | static_cast<std::uint32_t>(value);
    count += 6;
    if (count >= 8) {
      count -= 8;
      out.push_back(static_cast<char>((bits >> count) & 0xFF));
    }
  }
}

void AppendQ(std::string_view text, std::string& out) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '_') {
      out.push_back(' ');
    } else if (c == '=' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
               HexValue(text[i + 2]) >= 0) {
      out.push_back(static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
      i += 2;
    } else {
      out.push_back(c);
    }
  }
}

std::u16string DecodeRaw(std::string_view bytes, TCharsetNumber number) {
  if (number == 0 && IsMultiByteUtf8(bytes)) return Utf8ToWide(bytes);
  return CharsetToWide(bytes, number);
}

// Removes the quotes and escapes of quoted strings; comments and the rest
// stay as they are.
std::string Unquote(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      quoted = !quoted;
    } else if (c == '\\' && quoted && i + 1 < text.size()) {
      out.push_back(text[++i]);
    } else {
      out.push_back(c);
    }
  }
  return out;
}

std::u16string Trim(std::u16string text) {
  const auto blank = [](char16_t c) { return c == u' ' || c == u'\t'; };
  std::size_t begin = 0;
  while (begin < text.size() && blank(text[begin])) ++begin;
  std::size_t end = text.size();
  while (end > begin && blank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

}  // namespace

bool IsMultiByteUtf8(std::string_view bytes) {
  bool multiByte = false;
  for (std::size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<std::uint8_t>(bytes[i]);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    std::size_t length = 0;
    std::uint32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF)
      length = 2, code = lead & 0x1F;
    else if (lead >= 0xE0 && lead <= 0xEF)
      length = 3, code = lead & 0x0F;
    else if (lead >= 0xF0 && lead <= 0xF4)
      length = 4, code = lead & 0x07;
    else
      return false;
    if (i + length > bytes.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<std::uint8_t>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are malformed.
    if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF)) ||
        (code >= 0xD800 && code <= 0xDFFF))
      return false;
    multiByte = true;
    i += length;
  }
  return multiByte;
}

std::u16string DecodeHeaderText(std::string_view raw, TCharsetNumber number) {
  const std::string text = Unfold(raw);
  std::u16string out;
  std::string wordBytes;  // decoded bytes of adjacent words in one charset
  std::string_view wordCharset;
  std::string rawRun;      // bytes outside encoded words
  bool afterWord = false;  // only blanks since the last encoded word
  TWordEnds ends;

  const auto flushWord = [&] {
    if (wordBytes.empty()) return;
    out += MesgTextToWide(wordBytes, wordCharset);
    wordBytes.clear();
  };
  const auto flushRaw = [&] {
    if (rawRun.empty()) return;
    flushWord();
    out += DecodeRaw(rawRun, number);
    rawRun.clear();
  };

  for (std::size_t i = 0; i < text.size();) {
    TEncodedWord word;
    if (text[i] == '=' && ParseEncodedWord(text, i, ends, word)) {
      // Blanks between two encoded words are folding, not text (RFC 2047 6.2).
      if (afterWord && AllBlank(rawRun)) rawRun.clear();
      flushRaw();
      // A multi-byte character may be split over two words of one charset:
      // their bytes are joined before converting.
      if (!SameAscii(word.Charset, wordCharset)) flushWord();
      wordCharset = word.Charset;
      if (word.Encoding == 'B')
        AppendBase64(word.Text, wordBytes);
      else
        AppendQ(word.Text, wordBytes);
      afterWord = true;
      i += word.Length;
      continue;
    }
    if (!IsBlank(text[i])) afterWord = false;
    rawRun.push_back(text[i++]);
  }
  flushRaw();
  flushWord();
  return out;
}

std::u16string DecodePhrase(std::string_view raw, TCharsetNumber number) {
  return Trim(DecodeHeaderText(Unquote(Unfold(raw)), number));
}

}  // namespace quenby
