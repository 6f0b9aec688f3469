#include "text/RusCharsets.h"

#include <array>
#include <cmath>
#include <cstdint>

#include "text/IcuConverters.h"

namespace quenby {

namespace {

using TTable = std::array<std::uint8_t, 128>;  // indexed by byte - 0x80

constexpr TTable kKoiToWin = {
    0x2D, 0xA6, 0x2D, 0xAC, 0x4C, 0x2D, 0x2B, 0x2B, 0x54, 0x2B, 0x2B, 0x2D, 0x2D, 0x2D, 0xA6, 0xA6,
    0x2D, 0x2D, 0x2D, 0xAF, 0x97, 0x9B, 0x98, 0xA2, 0xBA, 0xAA, 0x9A, 0xBF, 0x9C, 0x99, 0x87, 0xA1,
    0x3D, 0xA6, 0x2D, 0xB8, 0xE4, 0xE3, 0xAC, 0xAC, 0xAC, 0x4C, 0x4C, 0x4C, 0x2D, 0x2D, 0x2D, 0xA6,
    0xA6, 0xA6, 0xA6, 0xA8, 0xA6, 0xA6, 0x54, 0x54, 0x54, 0xA6, 0xA6, 0xA6, 0x2B, 0x2B, 0x2B, 0x9D,
    0xFE, 0xE0, 0xE1, 0xF6, 0xE4, 0xE5, 0xF4, 0xE3, 0xF5, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE,
    0xEF, 0xFF, 0xF0, 0xF1, 0xF2, 0xF3, 0xE6, 0xE2, 0xFC, 0xFB, 0xE7, 0xF8, 0xFD, 0xF9, 0xF7, 0xFA,
    0xDE, 0xC0, 0xC1, 0xD6, 0xC4, 0xC5, 0xD4, 0xC3, 0xD5, 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE,
    0xCF, 0xDF, 0xD0, 0xD1, 0xD2, 0xD3, 0xC6, 0xC2, 0xDC, 0xDB, 0xC7, 0xD8, 0xDD, 0xD9, 0xD7, 0xDA,
};

constexpr TTable kWinToKoi = {
    0x3F, 0x3F, 0x27, 0x3F, 0x22, 0x3A, 0x8A, 0xBC, 0x3F, 0x25, 0x3F, 0x3C, 0x3F, 0x3F, 0x3F, 0x3F,
    0x3F, 0x27, 0x27, 0x22, 0x22, 0x07, 0x2D, 0x2D, 0x3F, 0x54, 0x3F, 0x3E, 0x3F, 0x3F, 0x3F, 0x3F,
    0x9A, 0x9F, 0x97, 0x3F, 0x9D, 0x3F, 0x81, 0x15, 0xB3, 0x63, 0x99, 0x3C, 0x83, 0x2D, 0x52, 0x93,
    0x9C, 0x2B, 0x49, 0x69, 0x3F, 0xDE, 0x14, 0x9E, 0xA3, 0xBF, 0x98, 0x3E, 0x3F, 0x3F, 0x3F, 0x9B,
    0xE1, 0xE2, 0xF7, 0xE7, 0xE4, 0xE5, 0xF6, 0xFA, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF, 0xF0,
    0xF2, 0xF3, 0xF4, 0xF5, 0xE6, 0xE8, 0xE3, 0xFE, 0xFB, 0xFD, 0xFF, 0xF9, 0xF8, 0xFC, 0xE0, 0xF1,
    0xC1, 0xC2, 0xD7, 0xC7, 0xC4, 0xC5, 0xD6, 0xDA, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF, 0xD0,
    0xD2, 0xD3, 0xD4, 0xD5, 0xC6, 0xC8, 0xC3, 0xDE, 0xDB, 0xDD, 0xDF, 0xD9, 0xD8, 0xDC, 0xC0, 0xD1,
};

// Thousandths, for windows-1251 bytes C0..FF (capitals, then small letters).
// They add up to 0.729, not 1; the score relies on these exact values.
constexpr std::array<std::uint8_t, 64> kFrequencyPermille = {
    1,  0,  2,  0,  1,  1,  0,  0,  1, 0, 1,  0,  1,  1,  1,  2,  2,  1,  1,  0,  0,  0,
    0,  1,  1,  0,  0,  0,  0,  1,  0, 0, 57, 10, 31, 11, 21, 67, 7,  13, 52, 11, 23, 30,
    24, 43, 75, 26, 38, 34, 46, 16, 1, 6, 2,  11, 4,  4,  0,  12, 12, 3,  5,  15,
};

// Upper-case windows-1251 words whose presence marks a right decoding.
constexpr std::string_view kMarkerWords[] = {"\xC0\xCA\xD2\xC8\xC2\xCD"};  // АКТИВН

std::string Recode(std::string_view bytes, const TTable& table) {
  std::string out(bytes);
  for (char& c : out) {
    const auto byte = static_cast<std::uint8_t>(c);
    if (byte >= 0x80) c = static_cast<char>(table[byte - 0x80]);
  }
  return out;
}

char UpperWin1251(char c) {
  const auto byte = static_cast<std::uint8_t>(c);
  if (byte >= 0xE0) return static_cast<char>(byte - 0x20);  // а..я
  if (byte == 0xB8) return static_cast<char>(0xA8);         // ё
  if (byte >= 'a' && byte <= 'z') return static_cast<char>(byte - 0x20);
  return c;
}

bool HasHighByte(std::string_view bytes) {
  for (const char c : bytes)
    if (static_cast<std::uint8_t>(c) >= 0x80) return true;
  return false;
}

float Score(std::string_view bytes) {
  return RusLetterDistance(bytes) - RusMarkerBonus(bytes);
}

}  // namespace

std::string KoiToWin(std::string_view bytes) {
  return Recode(bytes, kKoiToWin);
}
std::string WinToKoi(std::string_view bytes) {
  return Recode(bytes, kWinToKoi);
}

float RusLetterDistance(std::string_view bytes) {
  std::array<std::int64_t, 256> counts{};
  std::int64_t n = 0;
  for (const char c : bytes) {
    const auto byte = static_cast<std::uint8_t>(c);
    if (byte < 0x80) continue;
    ++counts[byte];
    ++n;
  }
  if (n == 0) return 0.0f;
  // Single precision, summed in byte order, as the scoring was tuned.
  float score = 0.0f;
  for (std::size_t i = 0; i < kFrequencyPermille.size(); ++i) {
    const float share = static_cast<float>(counts[0xC0 + i]) / static_cast<float>(n);
    const float frequency = static_cast<float>(kFrequencyPermille[i]) / 1000.0f;
    score += std::fabs(share - frequency);
  }
  return score;
}

float RusMarkerBonus(std::string_view bytes) {
  std::string upper(bytes);
  for (char& c : upper) c = UpperWin1251(c);
  for (const std::string_view word : kMarkerWords)
    if (upper.find(word) != std::string::npos) return 0.5f;
  return 0.0f;
}

std::string AutoRecodeRus(std::string_view bytes) {
  if (!HasHighByte(bytes)) return std::string(bytes);
  float best = Score(bytes);
  std::string result(bytes);
  // Each candidate is recoded from the input itself; the second one undoes
  // a text that was wrongly read as KOI8-R once before.
  for (std::string candidate : {KoiToWin(bytes), WinToKoi(bytes)}) {
    const float score = Score(candidate);
    if (score != 0.0f && score < best) {
      best = score;
      result = std::move(candidate);
    }
  }
  return result;
}

std::u16string AutoRecodeRusWide(std::u16string_view text) {
  UConverter* win1251 = icu_detail::ThreadConverter("windows-1251");
  if (!win1251) return std::u16string(text);
  const std::string bytes = icu_detail::Encode(win1251, text);
  // A character outside the page came out as "?"; such text is not Russian
  // in windows-1251, and recoding it would lose the character.
  if (icu_detail::Decode(win1251, bytes) != text) return std::u16string(text);
  std::string recoded = AutoRecodeRus(bytes);
  if (recoded == bytes) return std::u16string(text);
  return icu_detail::Decode(win1251, recoded);
}

}  // namespace quenby
