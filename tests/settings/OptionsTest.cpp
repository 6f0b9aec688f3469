#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "FakeDialogs.h"
#include "TempDir.h"
#include "TestNames.h"
#include "platform/Errors.h"
#include "platform/Registry.h"
#include "settings/GlobStrings.h"
#include "settings/Options.h"

namespace quenby {
namespace {

namespace fs = std::filesystem;

// Options over a private config folder, the shipped language and an
// in-memory registry.
class Options : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("XDG_CONFIG_HOME", (Dir / "config").c_str(), 1);
    ::unsetenv("QUENBY_OPTIONS_DIR");
  }
  void TearDown() override {
    ::unsetenv("XDG_CONFIG_HOME");
    SetGlobStrings(nullptr);
  }
  std::unique_ptr<TOptions> Make(TOptionsFactories factories = {}) {
    return std::make_unique<TOptions>(Registry, Dialogs, std::move(factories));
  }
  std::string Proposal() const { return Dir / "config/Tolvane/Quenby Mailer/"; }

  test::TTempDir Dir;
  TMemoryRegistry Registry;
  test::TFakeDialogs Dialogs;
};

TEST_F(Options, FirstRunMakesTheProposalBeforeAskingAndStopsOnCancel) {
  auto options = Make();
  EXPECT_FALSE(options->LocateOptionsFolder());
  ASSERT_EQ(Dialogs.Presets.size(), 1u);
  EXPECT_EQ(Dialogs.Presets[0], Proposal());
  EXPECT_TRUE(fs::is_directory(Proposal()));
  EXPECT_EQ(Registry.ReadString(kProgramKey, "OptionsPath"), std::nullopt);
}

TEST_F(Options, ChosenFolderIsRememberedAndMadeAgainWhenItVanished) {
  Dialogs.Folders.push_back(Dir / "chosen");
  auto options = Make();
  ASSERT_TRUE(options->LocateOptionsFolder());
  EXPECT_EQ(options->OptionsFolder(), Dir / "chosen/");
  EXPECT_EQ(options->OptionsFile(), Dir / "chosen/options.ini");
  EXPECT_EQ(options->DictionaryFile(), Dir / "chosen/atcdict.txt");
  EXPECT_EQ(Registry.ReadString(kProgramKey, "OptionsPath"), Dir / "chosen");

  fs::remove_all(Dir / "chosen");
  auto again = Make();
  ASSERT_TRUE(again->LocateOptionsFolder());
  EXPECT_TRUE(fs::is_directory(Dir / "chosen"));
  EXPECT_EQ(Dialogs.Presets.size(), 1u) << "not asked again";
}

TEST_F(Options, StoredFolderThatCannotBeMadeIsAskedFor) {
  test::WriteAll(Dir / "a-file", "x");
  Registry.WriteString(kProgramKey, "OptionsPath", Dir / "a-file/options");
  Dialogs.Folders.push_back(Dir / "a-file/again");  // refused too: shown, then asked again
  Dialogs.Folders.push_back(Dir / "other");
  auto options = Make();
  ASSERT_TRUE(options->LocateOptionsFolder());
  EXPECT_EQ(options->OptionsFolder(), Dir / "other/");
  EXPECT_EQ(Dialogs.Shown, (std::vector<std::string>{"file error: " + Dir / "a-file/again"}));
  EXPECT_EQ(Registry.ReadString(kProgramKey, "OptionsPath"), Dir / "other");
}

TEST_F(Options, CommandLineAndEnvironmentNeedNoQuestion) {
  auto options = Make();
  ASSERT_TRUE(options->LocateOptionsFolder(Dir / "cli"));
  EXPECT_EQ(options->OptionsFolder(), Dir / "cli/");
  ::setenv("QUENBY_OPTIONS_DIR", (Dir / "env").c_str(), 1);
  ASSERT_TRUE(options->LocateOptionsFolder());
  EXPECT_EQ(options->OptionsFolder(), Dir / "env/");
  EXPECT_TRUE(Dialogs.Presets.empty());
  test::WriteAll(Dir / "a-file", "x");
  EXPECT_THROW(options->LocateOptionsFolder(Dir / "a-file/sub"), EStreamError);
}

TEST_F(Options, RoundTripThroughTheOptionsFile) {
  auto options = Make();
  ASSERT_TRUE(options->LocateOptionsFolder(Dir.Path()));
  options->WholeWord = true;
  options->FindDown = false;
  options->SetAutoRus(true);
  options->MessageEditorType = meExternal;
  options->SetAdvertismentLevel(55);
  options->SetMessageExt("eml");
  options->SetOeStoreRoot("/mnt/win/Outlook Express");
  options->SetEudoraFolder("C:\\Mail");
  options->SaveOptions();
  const std::string text = test::ReadAll(Dir / "options.ini");
  EXPECT_NE(text.find("[Options]"), std::string::npos);

  options.reset();
  auto read = Make();
  EXPECT_FALSE(AutoRusEnabled()) << "a new options object starts without recoding";
  ASSERT_TRUE(read->LocateOptionsFolder(Dir.Path()));
  read->ReadOptions();
  EXPECT_TRUE(read->WholeWord);
  EXPECT_FALSE(read->FindDown);
  EXPECT_TRUE(AutoRusEnabled());
  EXPECT_EQ(read->MessageEditorType, meExternal);
  EXPECT_EQ(read->AdvertismentLevel(), 55);
  EXPECT_EQ(read->MessageExt(), "eml");
  EXPECT_EQ(read->OeStoreRoot(), "/mnt/win/Outlook Express/");
  EXPECT_EQ(read->EudoraFolder(), "C:\\Mail");
  EXPECT_EQ(read->AvailableKinds(), kKindOutlookExpress | kKindEudora);
}

struct TFileCase {
  std::string Name;
  std::string Lines;  // the [Options] section's lines
  std::function<void(const TOptions&)> Check;
};

class OptionsFileTest : public Options, public ::testing::WithParamInterface<TFileCase> {};

TEST_P(OptionsFileTest, ReadsWithDefaultsAndRanges) {
  test::WriteAll(Dir / "options.ini", "[Options]\n" + GetParam().Lines);
  auto options = Make();
  ASSERT_TRUE(options->LocateOptionsFolder(Dir.Path()));
  options->ReadOptions();
  GetParam().Check(*options);
}

INSTANTIATE_TEST_SUITE_P(Options, OptionsFileTest,
                         ::testing::ValuesIn(std::vector<TFileCase>{
                             {"EmptyFileGivesTheDefaults", "",
                              [](const TOptions& o) {
                                EXPECT_FALSE(o.Profy) << "on until read, off by default";
                                EXPECT_TRUE(o.FindDown);
                                EXPECT_EQ(o.AdvertismentLevel(), 90);
                                EXPECT_EQ(o.MessageExt(), "eml;msg");
                                EXPECT_EQ(o.MessageEditorType, meInternal);
                                EXPECT_EQ(o.AvailableKinds(), kKindOutlookExpress);
                              }},
                             {"LevelOutOfRangeKeeps90", "AdvertismentLevel=5\n",
                              [](const TOptions& o) { EXPECT_EQ(o.AdvertismentLevel(), 90); }},
                             {"EmptyMessageExt", "MessageExt=\n",
                              [](const TOptions& o) { EXPECT_EQ(o.MessageExt(), "eml;msg"); }},
                             {"BooleansIgnoreCase", "WholeWord=TRUE\nFindDown=fAlSe\n",
                              [](const TOptions& o) {
                                EXPECT_TRUE(o.WholeWord);
                                EXPECT_FALSE(o.FindDown);
                              }},
                             {"UnknownEditorType", "MessageEditorType=meFoo\n",
                              [](const TOptions& o) {
                                EXPECT_EQ(o.MessageEditorType, meInternal);
                              }},
                         }),
                         test::ByName());

TEST(OptionsLevel, OnlyElevenToHundredAreAccepted) {
  struct TCase {
    std::int32_t Level;
    std::int32_t Expected;
  };
  for (const TCase c : {TCase{5, 90}, {10, 90}, {11, 11}, {100, 100}, {101, 90}}) {
    test::TTempDir dir;
    TMemoryRegistry registry;
    test::TFakeDialogs dialogs;
    TOptions options(registry, dialogs);
    options.SetAdvertismentLevel(c.Level);
    EXPECT_EQ(options.AdvertismentLevel(), c.Expected) << c.Level;
  }
  SetGlobStrings(nullptr);
}

struct TEudoraCase {
  std::string Name;
  std::string CommandLine;
  std::string Folder;
};

class EudoraTest : public ::testing::TestWithParam<TEudoraCase> {};

TEST_P(EudoraTest, FindsTheMailFolder) {
  EXPECT_EQ(FindEudoraFolder(GetParam().CommandLine), GetParam().Folder);
}

INSTANTIATE_TEST_SUITE_P(
    Options, EudoraTest,
    ::testing::ValuesIn(std::vector<TEudoraCase>{
        {"ThreePaths", "C:\\Eudora\\Eudora.exe C:\\My Mail C:\\Eudora\\deudora.ini", "C:\\My Mail"},
        {"Quoted", "\"C:\\Eudora\\Eudora.exe\" \"C:\\My Mail\" \"C:\\Eudora\\deudora.ini\"",
         "C:\\My Mail"},
        {"TwoPaths", "C:\\Eudora\\Eudora.exe C:\\My Mail", ""},
        {"Empty", "", ""},
        {"ColonsTooClose", "C:D::", ""},
    }),
    test::ByName());

TEST_F(Options, StoreRootTheRegistryKnowsWinsOverTheRememberedOne) {
  TOptionsFactories factories;
  factories.StoreRoot = [] { return std::string("/mnt/found"); };
  auto options = Make(std::move(factories));
  options->SetOeStoreRoot("/remembered");
  EXPECT_EQ(options->OeStoreRoot(), "/mnt/found/");
  auto plain = Make();
  plain->SetOeStoreRoot("/remembered");
  EXPECT_EQ(plain->OeStoreRoot(), "/remembered/");
  Registry.WriteString("Software\\Qualcomm\\Eudora\\CommandLine", "Current",
                       "C:\\E.exe D:\\Mail C:\\E.ini");
  plain->DetectStores();
  EXPECT_EQ(plain->EudoraFolder(), "D:\\Mail");
}

TEST_F(Options, CompanionsComeFromTheFactoriesAndGoFirst) {
  static std::vector<std::string> log;
  struct TCompanion : TOptionsCompanion {
    explicit TCompanion(std::string name) : Name(std::move(name)) {}
    ~TCompanion() override {
      log.push_back(Name + (GlobStrings()->LoadedFile().empty() ? " late" : ""));
    }
    std::string Name;
  };
  TOptionsFactories factories;
  factories.DataModule = [] { return std::make_unique<TCompanion>("data module"); };
  factories.DragSource = [] { return std::make_unique<TCompanion>("drag source"); };
  auto options = Make(std::move(factories));
  EXPECT_EQ(options->MailerId(), "Quenby Mailer (v " + options->Version() + ")");
  ASSERT_NE(options->DataModule(), nullptr);
  ASSERT_NE(options->SpeechOptions(), nullptr) << "a stand-in without a factory";
  options.reset();
  EXPECT_EQ(log, (std::vector<std::string>{"drag source", "data module"}));
}

}  // namespace
}  // namespace quenby
