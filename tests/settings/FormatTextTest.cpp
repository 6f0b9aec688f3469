#include <gtest/gtest.h>

#include "TestNames.h"
#include "settings/FormatText.h"
#include "settings/WideText.h"

namespace quenby {
namespace {

struct TFormatCase {
  std::string Name;
  std::u16string Format;
  std::vector<TFormatArg> Args;
  std::string Expected;
};

// FormatText takes an initializer list; the table holds up to two arguments.
std::u16string Format(const TFormatCase& c) {
  switch (c.Args.size()) {
    case 0: return FormatText(c.Format);
    case 1: return FormatText(c.Format, {c.Args[0]});
    default: return FormatText(c.Format, {c.Args[0], c.Args[1]});
  }
}

class FormatTextTest : public ::testing::TestWithParam<TFormatCase> {};

TEST_P(FormatTextTest, FormatsOrMarksTheMismatch) {
  EXPECT_EQ(Utf16ToUtf8(Format(GetParam())), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(FormatText, FormatTextTest,
                         ::testing::ValuesIn(std::vector<TFormatCase>{
                             {"LineBreak", u"one/ntwo", {}, "one\r\ntwo"},
                             {"UpperCaseLineBreak", u"one/Ntwo", {}, "one\r\ntwo"},
                             {"ArgumentKeepsItsSlashN",
                              u"%s:/n%s",
                              {"File not found", "/nfs/new"},
                              "File not found:\r\n/nfs/new"},
                             {"TextAndNumber", u"%s has %d", {"Inbox", 42}, "Inbox has 42"},
                             {"Width", u"[%3d]", {7}, "[  7]"},
                             {"WidthNarrowerThanNumber", u"[%1d]", {1234}, "[1234]"},
                             {"Percent", u"%d%% done", {50}, "50% done"},
                             {"TextForNumber", u"%d files", {"many"}, "<%d?> files"},
                             {"NumberForText", u"name %s", {3}, "name <%s?>"},
                             {"MissingArgument", u"%s and %s", {"a"}, "a and <%s?>"},
                             {"ForeignSpecifierStays", u"%x %5s %", {"a"}, "%x %5s %"},
                             {"SpareArgumentsIgnored", u"plain", {"a", 1}, "plain"},
                             {"Utf8Argument", u"%s", {"\xD0\x96"}, "\xD0\x96"},
                         }),
                         test::ByName());

}  // namespace
}  // namespace quenby
