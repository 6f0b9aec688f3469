// KOI8-R / windows-1251 recoding and the Russian guess.
#include <gtest/gtest.h>

#include "TestNames.h"
#include "text/CharsetConvert.h"
#include "text/RusCharsets.h"

namespace quenby {
namespace {

std::string Win1251(std::u16string_view text) {
  return WideToCharset(text, CharsetNumber("windows-1251"));
}
std::string Koi8r(std::u16string_view text) {
  return WideToCharset(text, CharsetNumber("KOI8-R"));
}

TEST(RusRecodeTest, TablesMapEveryLetterBothWays) {
  const std::u16string letters =
      u"АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдеёжзийклмнопрстуфхцчшщъыьэюя";
  EXPECT_EQ(KoiToWin(Koi8r(letters)), Win1251(letters));
  EXPECT_EQ(WinToKoi(Win1251(letters)), Koi8r(letters));
  EXPECT_EQ(KoiToWin("plain ASCII 123"), "plain ASCII 123");
}

TEST(RusRecodeTest, ScoreAndMarker) {
  EXPECT_EQ(RusLetterDistance("ascii only"), 0.0f);
  // Only letters with a frequency of 0 count against the text: 0.729 of
  // the distance comes from the table, 1 from the text.
  EXPECT_NEAR(RusLetterDistance("\xDA"), 1.729f, 1e-5f);  // Ъ, frequency 0
  EXPECT_EQ(RusMarkerBonus(Win1251(u"активный")), 0.5f);
  EXPECT_EQ(RusMarkerBonus(Win1251(u"пассивный")), 0.0f);
}

struct TGuessCase {
  const char* Name;
  std::string Input;
  std::string Expected;
};

class AutoRecodeRusTest : public ::testing::TestWithParam<TGuessCase> {};

TEST_P(AutoRecodeRusTest, PicksTheRussianReading) {
  EXPECT_EQ(AutoRecodeRus(GetParam().Input), GetParam().Expected);
}

const std::u16string kSentence = u"Привет, как у тебя дела? Приходи завтра вечером на встречу.";
const std::u16string kOther = u"Сегодня хорошая погода, и мы пойдём гулять в парк.";

INSTANTIATE_TEST_SUITE_P(
    Sentences, AutoRecodeRusTest,
    ::testing::Values(
        // KOI8-R bytes that were taken for windows-1251.
        TGuessCase{"KoiReadAsWin", Koi8r(kSentence), Win1251(kSentence)},
        TGuessCase{"KoiReadAsWinOther", Koi8r(kOther), Win1251(kOther)},
        // windows-1251 text wrongly recoded as KOI8-R once before.
        TGuessCase{"WinRecodedOnce", WinToKoi(Win1251(kOther)), Win1251(kOther)},
        TGuessCase{"CorrectWinStays", Win1251(kSentence), Win1251(kSentence)},
        TGuessCase{"CorrectWinStaysOther", Win1251(kOther), Win1251(kOther)},
        TGuessCase{"AsciiStays", "Hello, world", "Hello, world"}, TGuessCase{"Empty", "", ""},
        // Recodings of a lone byte outside the letters leave nothing to score
        // (all below 0x80): exactly 0, never chosen.
        TGuessCase{"ZeroScoreNeverChosen", "\x85", "\x85"}),
    test::ByName());

TEST(AutoRecodeRusWideTest, RecodesOnlyTextThatFitsWindows1251) {
  // Mojibake: KOI8-R bytes shown as windows-1251.
  const std::u16string mojibake = MesgTextToWide(Koi8r(kSentence), "windows-1251");
  EXPECT_EQ(AutoRecodeRusWide(mojibake), kSentence);
  EXPECT_EQ(AutoRecodeRusWide(kSentence), kSentence);
  EXPECT_EQ(AutoRecodeRusWide(u"plain"), u"plain");
  // A character outside windows-1251 (a CJK one) keeps the text as it is,
  // rather than turning that character into "?".
  const std::u16string mixed = mojibake + u" \u4E2D";
  EXPECT_EQ(AutoRecodeRusWide(mixed), mixed);
}

}  // namespace
}  // namespace quenby
