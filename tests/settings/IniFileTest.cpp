#include <gtest/gtest.h>

#include "TestNames.h"

#include <unistd.h>
#include <cerrno>
#include <filesystem>

#include "TempDir.h"
#include "platform/Errors.h"
#include "settings/IniFile.h"
#include "settings/SafeFileWriter.h"

namespace quenby {
namespace {

using test::ReadAll;
using test::TTempDir;
using test::WriteAll;

struct TValueCase {
  std::string Name;
  std::string Value;
};

class IniFileValue : public ::testing::TestWithParam<TValueCase> {};

// Every value survives a save and a fresh load unchanged.
TEST_P(IniFileValue, RoundTripsThroughTheFile) {
  TTempDir dir;
  {
    TIniFile file(dir / "v.ini");
    file.WriteString("S", "key", GetParam().Value);
    file.WriteString("S", "after", "next");
    file.UpdateFile();
  }
  TIniFile again(dir / "v.ini");
  EXPECT_EQ(again.ReadString("S", "key"), GetParam().Value);
  EXPECT_EQ(again.ReadString("S", "after"), "next");  // nothing spilled into the next line
  EXPECT_EQ(again.ReadSections(), std::vector<std::string>{"S"});
}

INSTANTIATE_TEST_SUITE_P(
    Values, IniFileValue,
    ::testing::Values(TValueCase{"Plain", "hello world"}, TValueCase{"Empty", ""},
                      TValueCase{"EdgeBlanks", "  padded\t "}, TValueCase{"Quoted", "\"quoted\""},
                      TValueCase{"OneQuote", "\""}, TValueCase{"QuoteInside", "say \"hi\" now"},
                      TValueCase{"LineBreaks", "one\r\ntwo\nthree\r"},
                      TValueCase{"Injection", "x\n[Other]\nkey=stolen"},
                      TValueCase{"BackslashesInQuotes", " C:\\new\\ "},
                      TValueCase{"Path", "C:\\new\\x"}, TValueCase{"EscapesLiteral", "\"a\\nb\""},
                      TValueCase{"Semicolon", ";not a comment"},
                      TValueCase{"Long", std::string(5000, 'z')}, TValueCase{"Utf8", "Входящие"}),
    test::ByName());

TEST(IniFile, SectionsAndKeysIgnoreCaseAndKeepOrderAndSpelling) {
  TIniFile file("unused.ini");
  file.SetText("[TaskForm\\ 0]\r\nLeft=1\r\n; kept comment\r\n[Options]\nb=2\na=1\n");
  EXPECT_EQ(file.ReadInteger("taskform\\ 0", "LEFT", -1), 1);
  file.WriteString("OPTIONS", "C", "3");
  file.WriteString("options", "B", "two");
  EXPECT_EQ(file.ReadSection("Options"), (std::vector<std::string>{"b", "a", "C"}));
  EXPECT_EQ(file.Text(), "[TaskForm\\ 0]\nLeft=1\n; kept comment\n\n[Options]\nb=two\na=1\nC=3\n");
  file.WriteString("Ünicode", "Ключ", "v");
  EXPECT_EQ(file.ReadString("üNICODE", "кЛЮЧ"), "v");
}

TEST(IniFile, HostileLinesLoadWithoutHarm) {
  TIniFile file(QUENBY_TEST_DATA "/ini/hostile.ini");
  EXPECT_EQ(file.ReadSections(), (std::vector<std::string>{"Good", "unterminated", "a]b"}));
  EXPECT_EQ(file.ReadString("good", "key"), "value");
  EXPECT_EQ(file.ReadString("good", "later"), "a duplicate section is merged");
  EXPECT_EQ(file.ReadString("Good", ""), "value of the empty key");
  EXPECT_EQ(file.ReadString("unterminated", "inside"), "unterminated");
  EXPECT_EQ(file.ReadString("a]b", "k"), "bracket inside the name");
  EXPECT_EQ(file.ReadString("Good", "long").size(), 5000u);
  EXPECT_EQ(file.ReadString("Good", "nul"), std::string("a\0b", 3));
  EXPECT_EQ(file.ReadString("Good", "quoted"), "  kept blanks  ");
  EXPECT_EQ(file.ReadString("Good", "path"), "C:\\Program Files\\new");
  EXPECT_EQ(file.ReadString("Good", "spaced"), "trimmed");
  EXPECT_EQ(file.ReadString("Good", "bad utf8"), "\xff\xfe");
  EXPECT_FALSE(file.ValueExists("Good", "preamble"));
  // Rewriting keeps every line it could not parse.
  TIniFile again("unused.ini");
  again.SetText(file.Text());
  EXPECT_EQ(again.Text(), file.Text());
  EXPECT_NE(file.Text().find("no equals sign at all"), std::string::npos);
}

TEST(IniFile, NamesThatWouldBreakTheFileAreRefused) {
  TIniFile file("unused.ini");
  for (const char* key : {"a=b", "a\nb", " lead", ";x", "[x"})
    EXPECT_THROW(file.WriteString("S", key, "v"), EStreamError) << key;
  EXPECT_THROW(file.WriteString("S\r\n[T]", "k", "v"), EStreamError);
  EXPECT_FALSE(file.Modified());
}

TEST(IniFile, DeleteAndErase) {
  TIniFile file("unused.ini");
  file.SetText("[A]\nx=1\ny=2\n[B]\nz=3\n");
  file.DeleteKey("a", "X");
  file.EraseSection("A");
  EXPECT_FALSE(file.SectionExists("a"));
  EXPECT_EQ(file.ReadString("b", "z"), "3");
}

TEST(SafeFileWriter, BackupNames) {
  EXPECT_EQ(BackupFileName("/x/options.ini"), "/x/options.~ini");
  EXPECT_EQ(BackupFileName("/x.d/README"), "/x.d/README.~");
  EXPECT_EQ(BackupFileName("/x/.hidden"), "/x/.hidden.~");
}

// A write that fails after n bytes leaves the old file whole, no temporary
// file behind, and raises the INI error.
TEST(SafeFileWriter, AFailedWriteKeepsTheOldFile) {
  TTempDir dir;
  const std::string path = dir / "options.ini";
  {
    TIniFile file(path);
    file.WriteString("Options", "Old", std::string(300, 'o'));
    file.UpdateFile();
  }
  const std::string old = ReadAll(path);
  for (const std::int64_t failAfter : {0, 1, 100, 4096, 8191}) {
    TIniFile file(path);
    file.WriteString("Options", "New", std::string(10000, 'n'));
    std::int64_t written = 0;
    file.SetWriteFunction([&](int fd, const char* data, std::int64_t size) -> std::int64_t {
      if (written >= failAfter) {
        errno = ENOSPC;
        return -1;
      }
      const std::int64_t n =
          ::write(fd, data, static_cast<std::size_t>(std::min(size, failAfter - written)));
      written += n;
      return n;
    });
    try {
      file.UpdateFile();
      FAIL() << "no error after " << failAfter;
    } catch (const EStreamError& e) {
      EXPECT_EQ(e.Kind(), TStreamErrorKind::IniFile);
      EXPECT_EQ(e.Path(), path);
    }
    EXPECT_EQ(ReadAll(path), old) << failAfter;
    EXPECT_TRUE(file.Modified());
  }
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"options.ini", "options.~ini"}));
}

TEST(SafeFileWriter, TheBackupHoldsThePreviousText) {
  TTempDir dir;
  const std::string path = dir / "atcdict.txt";
  WriteAll(path, "first");
  SaveFileWhole(path, "second");
  SaveFileWhole(path, "third");
  EXPECT_EQ(ReadAll(path), "third");
  EXPECT_EQ(ReadAll(dir / "atcdict.~txt"), "second");
  EXPECT_THROW(SaveFileWhole(dir / "missing/folder.txt", "x"), EStreamError);
}

}  // namespace
}  // namespace quenby
