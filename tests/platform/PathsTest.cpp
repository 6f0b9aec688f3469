#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "TempDir.h"
#include "TestNames.h"
#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace quenby {
namespace {

using test::ByName;

struct TPathCase {
  std::string Name;
  std::string In;
  std::string Out;
};

class ParentFolderTest : public ::testing::TestWithParam<TPathCase> {};
TEST_P(ParentFolderTest, ClimbsOneLevelUpToTheRoot) {
  EXPECT_EQ(ParentFolder(GetParam().In), GetParam().Out);
}
INSTANTIATE_TEST_SUITE_P(Paths, ParentFolderTest,
                         ::testing::ValuesIn(std::vector<TPathCase>{
                             {"Root", "/", "/"},
                             {"FolderBelowRoot", "/home", "/"},
                             {"TrailingSeparator", "/a/b/", "/a/"},
                             {"File", "/a/b/c.eml", "/a/b/"},
                             {"ColonIsAName", "/mnt/c:/x", "/mnt/c:/"},
                             {"RelativeWithoutSeparator", "name", "name"},
                         }),
                         ByName());

class CleanFileNameTest : public ::testing::TestWithParam<TPathCase> {};
TEST_P(CleanFileNameTest, GivesOneSafeName) {
  EXPECT_EQ(CleanFileName(GetParam().In), GetParam().Out);
}
INSTANTIATE_TEST_SUITE_P(Paths, CleanFileNameTest,
                         ::testing::ValuesIn(std::vector<TPathCase>{
                             {"ColonThenSlashIsOneUnderscore", "Re: a/b", "Re_ a_b"},
                             {"PairCollapses", "Fwd:/x", "Fwd_x"},
                             {"EveryRefusedCharacter", "a\\b/c:d*e?f\"g<h>i|j",
                              "a_b_c_d_e_f_g_h_i_j"},
                             {"ControlCharactersDropped",
                              "a\tb\x01"
                              "c",
                              "abc"},
                             {"LiteralUnderscoreThenRefused", "a_:b", "a_b"},
                             {"Empty", "", "_"},
                             {"DotDot", "..", "_"},
                             {"OnlyControls", "\r\n", "_"},
                         }),
                         ByName());

TEST(Paths, CleanFileNameFitsOneComponentOnACharacterBoundary) {
  std::string subject;
  for (int i = 0; i < 200; ++i) subject += "\xD0\x96";  // Cyrillic, two bytes each
  const std::string name = CleanFileName(subject + ".eml");
  EXPECT_LE(name.size(), 255u);
  EXPECT_TRUE(name.ends_with(".eml"));
  const std::string stem = name.substr(0, name.size() - 4);
  EXPECT_EQ(stem.size() % 2, 0u) << "a character was cut in half";
}

TEST(Paths, SmallRoutines) {
  EXPECT_EQ(IncludeTrailingBackslash("/a"), "/a/");
  EXPECT_EQ(IncludeTrailingBackslash("/a/"), "/a/");
  EXPECT_EQ(ExcludeTrailingBackslash("/a/"), "/a");
  EXPECT_EQ(ExcludeTrailingBackslash("/"), "/");
  EXPECT_TRUE(HasExtension("/x.dir/Inbox.DBX", ".dbx"));
  EXPECT_FALSE(HasExtension("/x.dbx/Inbox", ".dbx"));
  EXPECT_EQ(PathWithoutDrive("/home/a:b"), "home/a:b");
  EXPECT_EQ(SplitFirstPart("a/b/c").First, "a");
  EXPECT_EQ(SplitFirstPart("a/b/c").Rest, "b/c");
  EXPECT_EQ(SplitFirstPart("abc").Rest, "");
  std::string item, rest;
  EXPECT_TRUE(NextListItem("eml;msg", item, rest));
  EXPECT_EQ(item, "eml");
  EXPECT_EQ(rest, "msg");
  EXPECT_FALSE(NextListItem("", item, rest));
  EXPECT_TRUE(SameFirstLetter("abc", "Axe"));
  EXPECT_FALSE(SameFirstLetter("", ""));
}

TEST(Paths, BackupNames) {
  EXPECT_EQ(BackupFileName("/a/options.ini"), "/a/options.~ini");
  EXPECT_EQ(BackupFileName("/a.d/name"), "/a.d/name.~");
  EXPECT_EQ(BackupFileName("/a/.profile"), "/a/.profile.~");
}

TEST(Files, BackupReplacesAnOldBackupAndSkipsAMissingFile) {
  test::TTempDir dir;
  test::WriteAll(dir / "atcdict.txt", "new");
  test::WriteAll(dir / "atcdict.~txt", "old");
  BackupFile(dir / "atcdict.txt");
  EXPECT_FALSE(std::filesystem::exists(dir / "atcdict.txt"));
  EXPECT_EQ(test::ReadAll(dir / "atcdict.~txt"), "new");
  EXPECT_NO_THROW(BackupFile(dir / "missing"));
}

TEST(Files, ShellLinksTakeTheFirstFreeNumber) {
  test::TTempDir dir;
  test::WriteAll(dir / "target.eml", "x");
  EXPECT_EQ(CreateShellLink(dir / "target.eml", dir / "link"), dir / "link.lnk");
  EXPECT_EQ(CreateShellLink(dir / "target.eml", dir / "link"), dir / "link(1).lnk");
  EXPECT_EQ(CreateShellLink(dir / "target.eml", dir / "link"), dir / "link(2).lnk");
  EXPECT_EQ(ResolveShellLink(dir / "link(2).lnk"),
            std::filesystem::canonical(dir / "target.eml").string());
  EXPECT_EQ(ResolveShellLink(dir / "none.lnk"), "");
  EXPECT_THROW(CreateShellLink(dir / "target.eml", dir / "no-such-folder/link"), EStreamError);
}

TEST(Files, ReadOnlyAttributeAndForcedDelete) {
  test::TTempDir dir;
  const std::string file = dir / "ro.txt";
  test::WriteAll(file, "x");
  SetReadOnlyAttribute(file, true);
  EXPECT_TRUE(IsReadOnly(file));
  SetReadOnlyAttribute(file, false);
  EXPECT_FALSE(IsReadOnly(file));
  SetReadOnlyAttribute(file, true);
  EXPECT_TRUE(DeleteFileForce(file));
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_FALSE(DeleteFileForce(file));
  EXPECT_NO_THROW(SetReadOnlyAttribute(file, true));
}

TEST(Files, HasSubfoldersStopsAtFolders) {
  test::TTempDir dir;
  test::WriteAll(dir / "file", "x");
  EXPECT_FALSE(HasSubfolders(dir.Path()));
  std::filesystem::create_directory(dir / "sub");
  EXPECT_TRUE(HasSubfolders(dir.Path()));
  EXPECT_FALSE(HasSubfolders(dir / "missing"));
}

TEST(Files, TempFolderIsPrivateAndStable) {
  const std::string folder = TempFolder();
  ASSERT_TRUE(folder.ends_with("/"));
  struct stat st {};
  ASSERT_EQ(::stat(folder.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 077, 0u);
  EXPECT_EQ(TempFolder(), folder);
  std::filesystem::remove(folder);
}

}  // namespace
}  // namespace quenby
