#include <gtest/gtest.h>

#include <algorithm>

#include "FakeDialogs.h"
#include "TempDir.h"
#include "TestNames.h"
#include "platform/Errors.h"
#include "platform/Registry.h"
#include "settings/BaseOptions.h"
#include "settings/FileDialogFilter.h"
#include "settings/GlobStrings.h"
#include "settings/LanguageKeys.h"
#include "settings/ShippedFiles.h"
#include "settings/WideText.h"

namespace quenby {
namespace {

const std::string kShipped = QUENBY_SOURCE_DIR "/lang/english.ini";

class Language : public ::testing::Test {
 protected:
  void TearDown() override { SetGlobStrings(nullptr); }
  test::TTempDir Dir;
};

TEST_F(Language, ShippedFileHasEveryTextTheCodeAsksFor) {
  TGlobStrings table;
  table.LoadFile(kShipped);
  for (std::size_t s = 0; s < static_cast<std::size_t>(TLangSection::Count_); ++s)
    EXPECT_GE(table.SectionIndex(static_cast<TLangSection>(s)), 0) << "cached section " << s;
  for (const lang::TLangKey& key : lang::AllLanguageKeys()) {
    const std::string where =
        Utf16ToUtf8(key.Section) + " " +
        (key.Number >= 0 ? std::to_string(key.Number) : Utf16ToUtf8(key.Name));
    if (key.Number >= 0) {
      EXPECT_NO_THROW(table.NumberedValue(table.FindSection(key.Section), key.Number)) << where;
    } else {
      EXPECT_FALSE(table.SectionValue(key.Section, key.Name).empty()) << where;
    }
  }
  // The placeholders match what the code passes.
  const auto error = [&](std::int32_t n) {
    return table.NumberedValue(table.SectionIndex(TLangSection::Error), n);
  };
  EXPECT_EQ(FormatText(error(11), {"a"}).find(u"?>"), std::u16string::npos);
  EXPECT_EQ(FormatText(error(21), {"a", "b"}).find(u"?>"), std::u16string::npos);
}

TEST_F(Language, BuildCopiesTheFileToWhereTheProgramsFindIt) {
  EXPECT_EQ(test::ReadAll(QUENBY_BUILD_DIR "/src/cli/local/english.ini"), test::ReadAll(kShipped));
  EXPECT_FALSE(FindShippedFile(kLanguageFileName).empty());
}

TEST_F(Language, LookupsAndFallbacks) {
  test::WriteAll(Dir / "l.ini",
                 "[Common]\nOk=Fine\n[Error]\n1=Cannot open\n[hint]\nWholeWord=Whole "
                 "words\n[Other]\n3=Three\n");
  LoadLanguage(Dir / "l.ini");
  EXPECT_EQ(OkText(), u"Fine");
  EXPECT_EQ(CancelText(), u"");
  EXPECT_EQ(HintText(u"WholeWord"), u"Whole words") << "section names ignore case";
  EXPECT_EQ(HintText(u"Missing"), u"");
  EXPECT_EQ(SectionText(1, TLangSection::Error), u"Cannot open");
  EXPECT_EQ(SectionText(-1, TLangSection::Error), u"");
  EXPECT_THROW(SectionText(2, TLangSection::Error), EListError);
  EXPECT_EQ(SectionTextByName(3, u"OTHER"), u"Three");
  EXPECT_EQ(FormatSectionText(1, TLangSection::Error, {}), u"Cannot open");
  // A section the file lacks is empty; it never falls back to the thread's
  // current section, which holds "3" here.
  GlobStrings()->PushSectionByName(u"Other");
  EXPECT_THROW(SectionText(3, TLangSection::ParaCopier), EListError);
  EXPECT_EQ(FormatCurrentText(3, {}), u"Three");
  GlobStrings()->PopSection();
  EXPECT_EQ(ShellErrorText(4), u"");
}

TEST_F(Language, FailedLoadKeepsTheTableInForce) {
  test::WriteAll(Dir / "good.ini", "[Common]\nOk=Fine\n");
  test::WriteAll(Dir / "bad.ini", "[Common]\nno equals sign\n");
  LoadLanguage(Dir / "good.ini");
  EXPECT_THROW(LoadLanguage(Dir / "bad.ini"), EIniStringsError);
  EXPECT_THROW(LoadLanguage(Dir / "missing.ini"), EStreamError);
  EXPECT_EQ(OkText(), u"Fine");
  EXPECT_EQ(GlobStrings()->LoadedFile(), Dir / "good.ini");
}

struct TStartCase {
  std::string Name;
  std::string Stored;              // "good", "bad", "missing" or "" (none)
  std::vector<std::string> Files;  // what the user picks, "good"/"bad"; then cancel
  bool Starts;
  std::vector<std::string> Shown;  // prefixes
  std::string Loaded;              // "good" or "shipped"
};

class BaseOptionsStart : public Language, public ::testing::WithParamInterface<TStartCase> {
 protected:
  std::string Path(const std::string& name) {
    if (name == "shipped") return FindShippedFile(kLanguageFileName);
    return Dir / (name + ".ini");
  }
};

TEST_P(BaseOptionsStart, FindsALanguageOrStops) {
  const TStartCase& c = GetParam();
  test::WriteAll(Dir / "good.ini", "[Common]\nOk=Fine\n");
  test::WriteAll(Dir / "bad.ini", "[Common]\nno equals sign\n");
  TMemoryRegistry registry;
  if (!c.Stored.empty()) registry.WriteString(kProgramKey, "LanguageFile", Path(c.Stored));
  test::TFakeDialogs dialogs;
  for (const std::string& f : c.Files) dialogs.Files.push_back(Path(f));
  if (!c.Starts) {
    EXPECT_THROW(TBaseOptions(registry, dialogs), ECancelled);
  } else {
    const TBaseOptions options(registry, dialogs);
    EXPECT_EQ(GlobStrings()->LoadedFile(), Path(c.Loaded));
    EXPECT_EQ(options.LanguageFile(), Path(c.Loaded));
    EXPECT_EQ(registry.ReadString(kProgramKey, "LanguageFile"), Path(c.Loaded));
    EXPECT_EQ(std::count(options.Version().begin(), options.Version().end(), '.'), 3);
  }
  ASSERT_EQ(dialogs.Shown.size(), c.Shown.size());
  for (std::size_t i = 0; i < c.Shown.size(); ++i)
    EXPECT_TRUE(dialogs.Shown[i].starts_with(c.Shown[i])) << dialogs.Shown[i];
}

INSTANTIATE_TEST_SUITE_P(
    Language, BaseOptionsStart,
    ::testing::ValuesIn(std::vector<TStartCase>{
        {"StoredFile", "good", {}, true, {}, "good"},
        {"FirstRunTakesTheShippedFile", "", {}, true, {}, "shipped"},
        {"StoredFileGone", "missing", {}, true, {"box: File not found:\r\n"}, "shipped"},
        {"BadFileThenPicked", "bad", {"good"}, true, {"box: Invalid reading file: "}, "good"},
        {"BadFileTwice",
         "bad",
         {"bad", "good"},
         true,
         {"box: Invalid reading file: ", "box: Invalid reading file: "},
         "good"},
        {"BadFileThenCancel", "bad", {}, false, {"box: Invalid reading file: "}, ""},
    }),
    test::ByName());

TEST_F(Language, ChangeLanguageRemembersOnlyAFileThatLoaded) {
  test::WriteAll(Dir / "good.ini", "[Common]\nOk=Fine\n");
  test::WriteAll(Dir / "other.ini", "[Common]\nOk=Okay\n");
  test::WriteAll(Dir / "bad.ini", "[Common]\nno equals sign\n");
  TMemoryRegistry registry;
  registry.WriteString(kProgramKey, "LanguageFile", Dir / "good.ini");
  test::TFakeDialogs dialogs;
  TBaseOptions options(registry, dialogs);

  options.SetLanguageFile(Dir / "bad.ini");
  options.ApplyLanguageFile();
  EXPECT_EQ(OkText(), u"Fine");
  EXPECT_EQ(options.LanguageFile(), Dir / "good.ini");
  EXPECT_EQ(registry.ReadString(kProgramKey, "LanguageFile"), Dir / "good.ini");
  ASSERT_EQ(dialogs.Shown.size(), 1u);
  EXPECT_TRUE(dialogs.Shown[0].starts_with("error: Invalid conversion")) << dialogs.Shown[0];

  options.ChangeLanguage(Dir / "missing.ini");
  EXPECT_TRUE(dialogs.Shown.back().starts_with("error: File not found:\r\n"))
      << dialogs.Shown.back();

  options.SetLanguageFile(Dir / "other.ini");
  options.ApplyLanguageFile();
  EXPECT_EQ(OkText(), u"Okay");
  EXPECT_EQ(registry.ReadString(kProgramKey, "LanguageFile"), Dir / "other.ini");
  EXPECT_EQ(dialogs.Shown.size(), 2u);
}

TEST_F(Language, FileDialogFiltersInQtForm) {
  test::WriteAll(
      Dir / "l.ini",
      "[FileExt]\neml=Messages (*.eml)\nold=Old|*.mbx;*.mbox|Any|*.*\nall=All files|*.*\n");
  LoadLanguage(Dir / "l.ini");
  EXPECT_EQ(FileDialogFilter({u"eml", u"missing", u"old"}),
            u"Messages (*.eml);;Old (*.mbx *.mbox);;Any (*)");
  EXPECT_EQ(FileDialogFilter({u"all"}), u"All files (*)");
  EXPECT_EQ(FileDialogFilter({}), u"");
}

}  // namespace
}  // namespace quenby
