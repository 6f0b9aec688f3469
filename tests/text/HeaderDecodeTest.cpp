// Header lines, RFC 2047 text and address lists.
#include <gtest/gtest.h>

#include "TestNames.h"
#include "platform/LegacyCodePage.h"
#include "text/CharsetConvert.h"
#include "text/HeaderLines.h"
#include "text/MailAddress.h"
#include "text/Rfc2047.h"

namespace quenby {
namespace {

struct TTextCase {
  const char* Name;
  std::string Raw;
  const char* Charset;  // the message's; "" for none
  std::u16string Expected;
};

class HeaderTextTest : public ::testing::TestWithParam<TTextCase> {
 protected:
  void SetUp() override { SetLegacyCodePage("windows-1251"); }
  void TearDown() override { SetLegacyCodePage({}); }
};

TEST_P(HeaderTextTest, Decodes) {
  const TTextCase& row = GetParam();
  EXPECT_EQ(DecodeHeaderText(row.Raw, CharsetNumberOfLabel(row.Charset)), row.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, HeaderTextTest,
    ::testing::Values(
        // Three charsets in one header, each word by its own.
        TTextCase{"ThreeCharsets",
                  "=?koi8-r?B?8NLJ18XU?= =?windows-1251?Q?=EC=E8=F0?= and =?ISO-8859-2?q?K=F6ln?=",
                  "", u"Приветмир and Köln"},
        // A character split over two words of one charset.
        TTextCase{"SplitUtf8Character", "=?UTF-8?B?0J8=?= =?UTF-8?B?0YA=?=", "", u"Пр"},
        TTextCase{"QUnderscoreAndFold", "=?utf-8?q?a_b?=\r\n =?utf-8?q?_c?=", "", u"a b c"},
        // ISO-8859-1 converts with the legacy page, like US-ASCII.
        TTextCase{"Latin1WordTakesLegacyPage", "=?iso-8859-1?q?K=F6ln?=", "", u"K\u0446ln"},
        TTextCase{"LanguageSuffix", "=?utf-8*en?q?hi?=", "", u"hi"},
        // Raw 8-bit bytes take the message's charset, or the legacy page.
        TTextCase{"RawKoi8WithCharset", "\xF0\xD2\xC9\xD7\xC5\xD4", "koi8-r", u"Привет"},
        TTextCase{"RawWin1251WithCharset", "\xCF\xF0\xE8\xE2\xE5\xF2", "windows-1251", u"Привет"},
        TTextCase{"RawWin1251NoCharsetLegacy", "\xCF\xF0\xE8\xE2\xE5\xF2", "", u"Привет"},
        // Without a charset, KOI8-R bytes read as the legacy page: mojibake
        // that the Russian guess later mends.
        TTextCase{"RawKoi8NoCharset", "\xF0\xD2\xC9", "", u"рТЙ"},
        TTextCase{"RawUtf8NoCharset", "\xD0\x9F\xD1\x80\xD0\xB8", "", u"При"},
        TTextCase{"Mixed8BitAndWord", "\xF0\xD2\xC9 =?utf-8?q?x?=", "koi8-r", u"При x"},
        TTextCase{"BrokenWordKept", "=?utf-8?x?y?= =?utf-8?q?unterminated", "",
                  u"=?utf-8?x?y?= =?utf-8?q?unterminated"},
        TTextCase{"UnknownWordCharsetLegacy", "=?x-nonsense?q?=CF?=", "", u"П"}),
    test::ByName());

// An unterminated "=?" is looked at within a bounded distance, so a long
// hostile header costs linear time.
TEST(HeaderTextLimitsTest, ManyUnterminatedWordsStayLinear) {
  std::string raw;
  for (int i = 0; i < 200000; ++i) raw += "=?a?q?x ";
  EXPECT_EQ(DecodeHeaderText(raw, CharsetNumber("UTF-8")).size(), raw.size());
}

TEST(HeaderPhraseTest, RemovesQuotesAndDecodesWordsInsideThem) {
  EXPECT_EQ(DecodePhrase("\"Doe, John\"", 0), u"Doe, John");
  EXPECT_EQ(DecodePhrase("\"=?utf-8?q?J=C3=BCrgen?=\"", 0), u"Jürgen");
  EXPECT_EQ(DecodePhrase("\"a \\\"b\\\"\"", 0), u"a \"b\"");
}

struct TAddressCase {
  const char* Name;
  std::string Raw;
  std::vector<TMailAddress> Expected;
};

class AddressListTest : public ::testing::TestWithParam<TAddressCase> {};

TEST_P(AddressListTest, Splits) {
  const auto list = ParseAddressList(GetParam().Raw);
  ASSERT_EQ(list.size(), GetParam().Expected.size());
  for (std::size_t i = 0; i < list.size(); ++i) {
    EXPECT_EQ(list[i].Name, GetParam().Expected[i].Name) << i;
    EXPECT_EQ(list[i].Address, GetParam().Expected[i].Address) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Lists, AddressListTest,
    ::testing::Values(TAddressCase{"QuotedComma",
                                   "\"Doe, John\" <john@x.com>, mary@y.org",
                                   {{"\"Doe, John\"", "john@x.com"}, {"", "mary@y.org"}}},
                      TAddressCase{
                          "CommentName", "bob@z.net (Bob Smith)", {{"Bob Smith", "bob@z.net"}}},
                      TAddressCase{"Group",
                                   "team: a@x.com, B <b@x.com>;, c@y.com",
                                   {{"", "a@x.com"}, {"B", "b@x.com"}, {"", "c@y.com"}}},
                      TAddressCase{"EmptyGroup", "undisclosed-recipients:;", {}},
                      TAddressCase{"Route", "<@relay.net:user@host.com>", {{"", "user@host.com"}}},
                      TAddressCase{"FoldedEncodedName",
                                   "=?koi8-r?B?6dfBzg==?=\r\n <ivan@x.ru>",
                                   {{"=?koi8-r?B?6dfBzg==?=", "ivan@x.ru"}}},
                      TAddressCase{"Empty", "", {}}),
    test::ByName());

TEST(HeaderLinesTest, SplitsUnfoldsAndFindsIgnoringCase) {
  THeaderLines lines;
  const std::string block =
      "From user@host Wed Feb 11 11:51:00 1998\n"
      "Subject : obsolete\r\n  folded\r\n"
      "X-A: 1\nx-a: 2\n\nbody";
  EXPECT_EQ(lines.Parse(block), block.size() - 4);
  ASSERT_EQ(lines.Count(), 3u);
  EXPECT_EQ(lines.Value("SUBJECT"), "obsolete  folded");
  EXPECT_EQ(lines.RawValue("subject"), "obsolete\r\n  folded");
  lines.Set("x-A", "3");
  EXPECT_EQ(lines[1].Value, "3");
  EXPECT_EQ(lines[2].Value, "2");
  lines.Remove("X-A");
  EXPECT_EQ(lines.Count(), 1u);
  // A value set from outside cannot smuggle in a header line of its own.
  lines.Set("X-B", "v\r\nBcc: spy@x.com");
  std::string out;
  lines.Write(out);
  EXPECT_EQ(out, "Subject: obsolete\r\n  folded\r\nX-B: vBcc: spy@x.com\r\n");
}

TEST(HeaderLinesTest, ALineThatIsNoHeaderStartsTheBody) {
  THeaderLines lines;
  const std::string text = "Subject: s\r\nThis is an invalid header\r\nA: b\r\n\r\nBody";
  EXPECT_EQ(lines.Parse(text), text.find("This"));
  EXPECT_EQ(lines.Count(), 1u);
  EXPECT_EQ(lines.Parse("No headers at all.\r\n"), 0u);
  EXPECT_TRUE(lines.Empty());
}

}  // namespace
}  // namespace quenby
