#pragma once
// KOI8-R / windows-1251 recoding and the guess of which of the two a Russian
// text really is. The guess works on windows-1251 bytes: its score compares
// the distribution of high bytes with Russian letter frequencies.

#include <string>
#include <string_view>

namespace quenby {

// Byte for byte through fixed tables; bytes below 0x80 are kept, and the
// letters map exactly. Box drawing and symbols the other side lacks become
// approximations.
std::string KoiToWin(std::string_view bytes);
std::string WinToKoi(std::string_view bytes);

// Distance of the high bytes (read as windows-1251) from Russian letter
// frequencies; 0 when the text has no byte of 0x80 or above.
float RusLetterDistance(std::string_view bytes);
// 0.5 when the text, upper-cased in windows-1251, holds a marker word.
float RusMarkerBonus(std::string_view bytes);

// The text, KoiToWin(text) or WinToKoi(text), whichever scores best; ties
// and candidates that score exactly 0 keep the earlier one.
std::string AutoRecodeRus(std::string_view bytes);

// The guess for wide text: through windows-1251 explicitly. Text that the
// page cannot hold whole, or that the guess leaves alone, is returned as it
// came, so characters outside windows-1251 are never turned into "?".
std::u16string AutoRecodeRusWide(std::u16string_view text);

}  // namespace quenby
