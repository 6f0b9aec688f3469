// Charset registry, conversions and the editor's charset list.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "TestNames.h"
#include "platform/LegacyCodePage.h"
#include "text/CharsetConvert.h"

namespace quenby {
namespace {

class CharsetTest : public ::testing::Test {
 protected:
  void SetUp() override { SetLegacyCodePage("windows-1252"); }
  void TearDown() override { SetLegacyCodePage({}); }
};

struct TLabelCase {
  const char* Name;
  const char* Label;
  const char* SameGroupAs;  // nullptr: the label must not be in the registry
};

class CharsetLabelTest : public CharsetTest, public ::testing::WithParamInterface<TLabelCase> {};

TEST_P(CharsetLabelTest, FindsTheGroup) {
  const TLabelCase& row = GetParam();
  const TCharsetNumber number = CharsetNumberOfLabel(row.Label);
  if (!row.SameGroupAs) {
    EXPECT_EQ(number, 0);
    return;
  }
  ASSERT_NE(number, 0);
  EXPECT_EQ(CanonicalCharset(number), CanonicalCharset(CharsetNumber(row.SameGroupAs)));
}

INSTANTIATE_TEST_SUITE_P(Labels, CharsetLabelTest,
                         ::testing::Values(TLabelCase{"XPrefix", "x-koi8-r", "KOI8-R"},
                                           TLabelCase{"UpperCase", "KOI8-R", "koi8-r"},
                                           TLabelCase{"CsAlias", "csKOI8R", "KOI8-R"},
                                           TLabelCase{"Latin6", "latin6", "ISO-8859-10"},
                                           TLabelCase{"L6", "L6", "ISO-8859-10"},
                                           TLabelCase{"Utf8NoDash", "utf8", "UTF-8"},
                                           TLabelCase{"Cp1251", "CP1251", "windows-1251"},
                                           TLabelCase{"Win1251", "win-1251", "windows-1251"},
                                           TLabelCase{"XCp1251", "x-cp1251", "windows-1251"},
                                           TLabelCase{"Koi8r", "koi8r", "KOI8-R"},
                                           TLabelCase{"Cp866", "cp866", "IBM866"},
                                           TLabelCase{"BareXPrefix", "x-", nullptr},
                                           TLabelCase{"Unknown", "x-unknown-charset", nullptr}),
                         test::ByName());

TEST_F(CharsetTest, NormalizeKeepsAShortXPrefix) {
  EXPECT_EQ(NormalizeCharsetName("X-KOI8-R"), "koi8-r");
  EXPECT_EQ(NormalizeCharsetName("x-"), "x-");
  EXPECT_EQ(NormalizeCharsetName("UTF-8"), "utf-8");
}

struct TDecodeCase {
  const char* Name;
  std::string Bytes;
  const char* Charset;
  std::u16string Expected;
};

class CharsetDecodeTest : public CharsetTest, public ::testing::WithParamInterface<TDecodeCase> {};

TEST_P(CharsetDecodeTest, Decodes) {
  const TDecodeCase& row = GetParam();
  EXPECT_EQ(MesgTextToWide(row.Bytes, row.Charset), row.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Decoding, CharsetDecodeTest,
    ::testing::Values(TDecodeCase{"Latin6ByAlias", "\xA1\xFF", "l6", u"\u0104\u0138"},
                      TDecodeCase{"Iso8859_15Euro", "\xA4", "ISO-8859-15", u"\u20AC"},
                      // KOI8-U keeps its Ukrainian letters (A4 is є, not a box line).
                      TDecodeCase{"Koi8uUkrainian", "\xA4\xA6", "KOI8-U", u"\u0454\u0456"},
                      TDecodeCase{"Koi8r", "\xF0\xD2\xC9", "x-koi8-r", u"\u041F\u0440\u0438"},
                      // US-ASCII and ISO-8859-1 take the legacy page (windows-1252 here).
                      TDecodeCase{"Latin1IsLegacy", "\x80", "iso-8859-1", u"\u20AC"},
                      TDecodeCase{"UnknownIsLegacy", "\x80", "no-such-charset", u"\u20AC"},
                      TDecodeCase{"NoLabelIsLegacy", "\x80", "", u"\u20AC"},
                      // Known to ICU though not listed: decoded by ICU, not the legacy page.
                      TDecodeCase{"Gb2312ViaIcu", "\xB0\xA1", "GB2312", u"\u554A"},
                      TDecodeCase{"MalformedUtf8Replaced",
                                  "a\xFF"
                                  "b",
                                  "utf-8", u"a\uFFFDb"},
                      TDecodeCase{"Utf8BeyondBmp", "\xF0\x9F\x98\x80", "UTF-8", u"\U0001F600"},
                      // A NUL ends nothing: the whole text is decoded.
                      TDecodeCase{"NulInMiddle", std::string("ab\0cd", 5), "windows-1251",
                                  std::u16string(u"ab\0cd", 5)},
                      TDecodeCase{"ShiftJis", "\x82\xA0", "Shift_JIS", u"\u3042"},
                      TDecodeCase{"KsC5601IsCp949", "\xB0\xA1", "ks_c_5601-1987", u"\uAC00"},
                      TDecodeCase{"Iso2022Jp", "\x1B$B$\"\x1B(B", "ISO-2022-JP", u"\u3042"},
                      // Unassigned in ISO-8859-3.
                      TDecodeCase{"UnassignedIsQuestionMark", "a\xA5", "ISO-8859-3", u"a?"}),
    test::ByName());

struct TEncodeCase {
  const char* Name;
  std::u16string Text;
  const char* Charset;
  std::string Expected;
};

class CharsetEncodeTest : public CharsetTest, public ::testing::WithParamInterface<TEncodeCase> {};

TEST_P(CharsetEncodeTest, Encodes) {
  const TEncodeCase& row = GetParam();
  EXPECT_EQ(WideToCharset(row.Text, CharsetNumber(row.Charset)), row.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Encoding, CharsetEncodeTest,
    ::testing::Values(TEncodeCase{"EuroToLatin2", u"\u20AC", "ISO-8859-2", "?"},
                      TEncodeCase{"EuroToLatin9", u"\u20AC", "ISO-8859-15", "\xA4"},
                      TEncodeCase{"CyrillicToCp1252", u"\u0436", "windows-1252", "?"},
                      TEncodeCase{"UkrainianToKoi8u", u"\u0454", "KOI8-U", "\xA4"},
                      TEncodeCase{"KanaToShiftJis", u"\u3042x", "csShiftJIS", "\x82\xA0x"},
                      TEncodeCase{"KanaToLatin1Legacy", u"\u3042", "ISO-8859-1", "?"}),
    test::ByName());

TEST_F(CharsetTest, OneTextInFourEncodingsDecodesAlike) {
  const std::filesystem::path folder = std::filesystem::path(QUENBY_CORPUS) / "cyrillic";
  if (!std::filesystem::exists(folder)) GTEST_SKIP() << "corpus not present: " << folder;
  const auto read = [&](const char* name) {
    std::ifstream file(folder / name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  };
  const std::u16string expected = MesgTextToWide(read("cyrillic.utf-8.txt"), "utf-8");
  ASSERT_GT(expected.size(), 100u);
  EXPECT_EQ(MesgTextToWide(read("cyrillic.koi8-r.txt"), "koi8-r"), expected);
  EXPECT_EQ(MesgTextToWide(read("cyrillic.cp1251.txt"), "windows-1251"), expected);
  EXPECT_EQ(MesgTextToWide(read("cyrillic.iso-8859-5.txt"), "ISO-8859-5"), expected);
  // And back: every character of the text exists in each of the charsets.
  EXPECT_EQ(WideToCharset(expected, CharsetNumber("KOI8-R")), read("cyrillic.koi8-r.txt"));
}

TEST_F(CharsetTest, CharsetListHasTheEditorsEntries) {
  const auto& list = CharsetList();
  ASSERT_EQ(list.size(), 37u);
  EXPECT_EQ(list.front().Name, "US-ASCII");
  EXPECT_EQ(list[23].Name, "KOI8-R");
  EXPECT_EQ(list.back().Name, "csEUCKR");
  for (const auto& entry : list) EXPECT_NE(entry.Number, 0) << entry.Name;
  EXPECT_EQ(CharsetListIndex(CharsetNumber("KOI8-R")), 23);
  EXPECT_EQ(CharsetListIndex(CharsetNumber("csKOI8R")), 23);
  EXPECT_EQ(CharsetListIndex(CharsetNumber("Shift_JIS")), 27);
  EXPECT_EQ(CharsetListIndex(CharsetNumber("GB2312")), -1);
  EXPECT_EQ(CharsetListIndex(0), -1);
}

struct TLocaleCase {
  const char* Name;
  const char* Locale;
  const char* Charset;
};

class DefaultCharsetTest : public ::testing::TestWithParam<TLocaleCase> {};

TEST_P(DefaultCharsetTest, FollowsTheLanguage) {
  EXPECT_EQ(DefaultMesgCharset(GetParam().Locale), CharsetNumber(GetParam().Charset));
}

INSTANTIATE_TEST_SUITE_P(Locales, DefaultCharsetTest,
                         ::testing::Values(TLocaleCase{"Russian", "ru_RU.UTF-8", "KOI8-R"},
                                           TLocaleCase{"Ukrainian", "uk_UA", "windows-1251"},
                                           TLocaleCase{"Japanese", "ja_JP.eucJP", "ISO-2022-JP"},
                                           TLocaleCase{"ChineseSimplified", "zh_CN.UTF-8",
                                                       "GB2312"},
                                           TLocaleCase{"ChineseTraditional", "zh_TW", "Big5"},
                                           TLocaleCase{"Greek", "el_GR", "ISO-8859-7"},
                                           TLocaleCase{"Korean", "ko_KR", "csEUCKR"},
                                           TLocaleCase{"English", "en_US.UTF-8", "ISO-8859-1"},
                                           TLocaleCase{"PosixC", "C", "ISO-8859-1"}),
                         test::ByName());

}  // namespace
}  // namespace quenby
