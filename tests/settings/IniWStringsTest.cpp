#include <gtest/gtest.h>

#include "TestNames.h"

#include "platform/Errors.h"
#include "platform/LegacyCodePage.h"
#include "settings/IniWStrings.h"
#include "settings/WideText.h"

namespace quenby {
namespace {

// Loads, sorts and indexes, as the language loader does.
void Load(TIniStrings& table, std::u16string_view text) {
  table.LoadFromText(text);
  table.SortEntries();
  table.Reindex();
}

struct TEncodingCase {
  std::string Name;
  std::string File;
};

class IniStringsEncoding : public ::testing::TestWithParam<TEncodingCase> {};

TEST_P(IniStringsEncoding, EveryEncodingLoadsTheSameTexts) {
  SetLegacyCodePage("windows-1251");
  TIniStrings reference, table;
  reference.LoadFromFile(QUENBY_TEST_DATA "/ini/lang.utf8.ini");
  table.LoadFromFile(QUENBY_TEST_DATA "/ini/" + GetParam().File);
  SetLegacyCodePage({});
  for (TIniStrings* t : {&reference, &table}) {
    t->SortEntries();
    t->Reindex();
  }
  EXPECT_EQ(table.GetTextStr(), reference.GetTextStr());
  EXPECT_EQ(table.NumberedValue(table.FindSection(u"common"), 1), u"Открыть");
  EXPECT_EQ(table.SectionValue(u"MENU", u"mfile"), u"&Файл");
}

INSTANTIATE_TEST_SUITE_P(Files, IniStringsEncoding,
                         ::testing::Values(TEncodingCase{"Utf8", "lang.utf8.ini"},
                                           TEncodingCase{"Utf8Bom", "lang.utf8bom.ini"},
                                           TEncodingCase{"Utf16LeBom", "lang.utf16le.ini"},
                                           TEncodingCase{"Utf16BeBom", "lang.utf16be.ini"},
                                           TEncodingCase{"Cp1251NoBom", "lang.cp1251.ini"}),
                         test::ByName());

TEST(IniStrings, DecodingStopsAtNulAndSurvivesBadBytes) {
  EXPECT_EQ(DecodeIniText(std::string("\xFF\xFE"
                                      "a\0b\0\0\0c\0",
                                      10)),
            u"ab");
  EXPECT_EQ(DecodeIniText(std::string("\xFE\xFF\0a\0", 5)), u"a");  // odd trailing byte ignored
  EXPECT_EQ(DecodeIniText("\xEF\xBB\xBF"
                          "a\xFF"
                          "b"),
            u"a\uFFFDb");
  SetLegacyCodePage("windows-1252");
  EXPECT_EQ(DecodeIniText("caf\xE9"), u"café");  // not UTF-8: the legacy code page
  SetLegacyCodePage({});
  EXPECT_EQ(DecodeIniText("caf\xC3\xA9"), u"café");
}

TEST(IniStrings, HeaderAndKeyRules) {
  TIniStrings table;
  table.LoadFromFile(QUENBY_TEST_DATA "/ini/lang.utf8.ini");
  table.SortEntries();
  table.Reindex();
  ASSERT_EQ(table.Sections().size(), 3u);
  EXPECT_EQ(table.FindSection(u"Menu"), 1);    // blanks after "]" dropped
  EXPECT_EQ(table.FindSection(u" Menu"), 2);   // a blank inside "[" names another section
  EXPECT_EQ(table.FindSection(u"COMMON"), 0);  // the repeat in other case is merged
  table.PushSection(0);
  EXPECT_EQ(table.Get(2), u"merged");
  EXPECT_EQ(table.ValueByName(u"name"), u"Имя");
  table.SetCurrentSection(1);
  EXPECT_EQ(table.Get(12), u"двенадцать");
  EXPECT_EQ(table.ValueByName(u"12 "), u"twelve with a blank");  // "12 " is a name
  EXPECT_EQ(table.ValueByName(u"12"), u"двенадцать");
  table.SetCurrentSection(2);
  EXPECT_EQ(table.IndexOfName(u"x"), -1);  // "x=" is too short to be an entry
  EXPECT_EQ(table.ValueByName(u"y"), u"z");
  table.PopSection();
}

TEST(IniStrings, AddResultsAndTheFirstOfTwoEqualKeysWins) {
  TIniStrings table;
  EXPECT_EQ(table.Add(u"[S]"), -1);
  EXPECT_EQ(table.Add(u"  ; comment"), -1);
  EXPECT_EQ(table.Add(u"k=one"), 0);
  EXPECT_EQ(table.Add(u"5=first"), 5);
  EXPECT_EQ(table.Add(u"-5=negative"), 2);  // a negative key stays a name
  table.Add(u"5=second");
  table.Add(u"K=two");
  table.SortEntries();
  table.Reindex();
  EXPECT_EQ(table.NumberedValue(0, 5), u"first");
  EXPECT_EQ(table.SectionValue(u"s", u"k"), u"one");
  EXPECT_EQ(table.SectionValue(u"s", u"-5"), u"negative");
}

// Only an optional "-" and ASCII digits within 32 bits, 0 or more, make a
// numbered key; Add returns the number, or the position of a named entry.
TEST(IniStrings, WhichKeysAreNumbers) {
  const struct {
    std::u16string Line;
    std::int64_t Numbered;  // -1: named
  } rows[] = {{u"12=x", 12},         {u"0012=x", 12},       {u"2147483647=x", 2147483647},
              {u"2147483648=x", -1}, {u"+1=x", -1},         {u"-1=x", -1},
              {u"-7=x", -1},         {u"$1F=x", -1},        {u"１２=x", -1},
              {u"1 =x", -1},         {u"12345678901=x", -1}};
  for (const auto& row : rows) {
    TIniStrings table;
    table.Add(u"[S]");
    table.Add(u"first=entry");
    EXPECT_EQ(table.Add(row.Line), row.Numbered >= 0 ? row.Numbered : 1) << Utf16ToUtf8(row.Line);
    EXPECT_EQ(table.Entry(1).Number, row.Numbered) << Utf16ToUtf8(row.Line);
  }
}

TEST(IniStrings, LinesWithoutKeyFailTheWholeLoad) {
  for (const std::u16string line : {u"no equals sign", u"=value"}) {
    TIniStrings table;
    try {
      table.LoadFromText(u"[A]\r\n1=x\r\n" + line + u"\r\n");
      FAIL() << "no error";
    } catch (const EIniStringsError& e) {
      EXPECT_EQ(e.what(), "Invalid conversion WideString:\r\n" + Utf16ToUtf8(line));
    }
  }
}

TEST(IniStrings, EntriesBeforeTheFirstHeaderGoToTheUnnamedSection) {
  TIniStrings table;
  Load(table, u"a=1\n[B]\nb=2\n");
  EXPECT_EQ(table.FindSection(u""), 0);
  EXPECT_EQ(table.SectionValue(u"", u"a"), u"1");
  EXPECT_EQ(table.SectionValue(u"B", u"b"), u"2");
}

TEST(IniStrings, LineEndsAndTextOutput) {
  TIniStrings table;
  Load(table, u"[S]\rb=2\r\n1=one\u2028a=1\n");
  EXPECT_EQ(table.GetTextStr(), u"[S]\r\n1=one\r\na=1\r\nb=2\r\n\r\n");
}

TEST(IniStrings, MissingSectionsAndKeys) {
  TIniStrings table;
  Load(table, u"[S]\n1=one\nk=v\n");
  table.PushSectionByName(u"nowhere");
  EXPECT_EQ(table.CurrentSection(), -1);
  EXPECT_THROW(table.Get(1), EListError);
  EXPECT_EQ(table.ValueByName(u"k"), u"");
  table.SetCurrentSection(99);
  EXPECT_EQ(table.ValueByName(u"1"), u"");
  table.PopSection();
  try {
    table.Get(7);
    FAIL() << "no error";
  } catch (const EListError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (7)");
  }
  EXPECT_EQ(table.Get(1), u"one");
}

TEST(IniStrings, TheStackKeepsItsBottomAndRefusesToOverflow) {
  TIniStrings table;
  Load(table, u"[A]\n1=a\n[B]\n1=b\n");
  table.SetCurrentSection(0);
  table.PopSection();
  EXPECT_EQ(table.CurrentSection(), 0);
  for (int i = 1; i < TThreadStackSection::kDepth; ++i) table.PushSection(1);
  EXPECT_THROW(table.PushSection(0), EListError);
  EXPECT_EQ(table.Get(1), u"b");
  for (int i = 0; i < TThreadStackSection::kDepth + 3; ++i) table.PopSection();
  EXPECT_EQ(table.Get(1), u"a");
}

TEST(IniStrings, DeleteKeepsLaterSectionsFindable) {
  TIniStrings table;
  Load(table, u"[A]\n1=a1\n2=a2\nn=an\n[B]\n1=b1\nm=bm\n[C]\n3=c3\n");
  table.SetCurrentSection(0);
  table.Delete(1);
  EXPECT_THROW(table.Delete(1), EListError);
  EXPECT_EQ(table.Get(2), u"a2");
  EXPECT_EQ(table.ValueByName(u"n"), u"an");
  EXPECT_EQ(table.NumberedValue(1, 1), u"b1");
  EXPECT_EQ(table.SectionValue(u"B", u"m"), u"bm");
  EXPECT_EQ(table.NumberedValue(2, 3), u"c3");
  EXPECT_EQ(table.Count(), 5);
}

TEST(IniStrings, PutAssignTakeOverAndIndexOf) {
  TIniStrings table;
  Load(table, u"[A]\n1=one\n");
  table.SetCurrentSection(0);
  table.Put(1, u"uno");
  table.Put(2, u"dos");  // new: found after the next sort
  table.SortEntries();
  table.Reindex();
  EXPECT_EQ(table.Get(2), u"dos");
  EXPECT_EQ(table.IndexOf(u"UNO"), 0);

  TIniStrings copy;
  copy.Assign(table);
  EXPECT_EQ(copy.GetTextStr(), table.GetTextStr());
  TIniStrings target;
  target.TakeOver(copy);
  EXPECT_EQ(copy.Count(), 0);
  EXPECT_EQ(target.Get(1), u"uno");
}

}  // namespace
}  // namespace quenby
