// The advertisement dictionary's file: reading every encoding it may come
// in, writing without losing an entry, and the start-up copy.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "FakeDialogs.h"
#include "TempDir.h"
#include "platform/Errors.h"
#include "platform/LegacyCodePage.h"
#include "platform/Registry.h"
#include "settings/AtcDictionary.h"
#include "settings/Options.h"
#include "settings/WideText.h"

namespace quenby {
namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteBytes(const std::string& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> Utf8(const TAtcDictionary& dictionary) {
  std::vector<std::string> entries;
  for (const auto& entry : dictionary) entries.push_back(Utf16ToUtf8(entry));
  return entries;
}

class AtcDictionary : public ::testing::Test {
 protected:
  void SetUp() override { SetLegacyCodePage("windows-1251"); }
  void TearDown() override { SetLegacyCodePage({}); }
  std::string File() const { return Dir / "atcdict.txt"; }
  test::TTempDir Dir;
};

TEST_F(AtcDictionary, ReadsEveryEncodingTrimmedAndUpperCased) {
  struct TCase {
    const char* Name;
    std::string Bytes;
    std::vector<std::string> Entries;
  };
  const TCase cases[] = {
      {"legacy page, CR LF",
       "  visit our shop  \r\n\r\n\xcf\xf0\xe8\xe2\xe5\xf2\r\n",
       {"VISIT OUR SHOP", "\xd0\x9f\xd0\xa0\xd0\x98\xd0\x92\xd0\x95\xd0\xa2"}},
      {"UTF-8 mark, LF and CR alone",
       "\xEF\xBB\xBF\xc3\xa9t\xc3\xa9\n\tone\rtwo\t",
       {"\xc3\x89T\xc3\x89", "ONE", "TWO"}},
      {"UTF-16LE",
       std::string("\xFF\xFE"
                   "a\0 \0b\0\r\0\n\0",
                   12),
       {"A B"}},
      {"UTF-16BE", std::string("\xFE\xFF\0x\0\n\0y", 8), {"X", "Y"}},
      {"blank lines only", " \r\n\t\r\n", {}},
  };
  for (const TCase& c : cases) {
    WriteBytes(File(), c.Bytes);
    EXPECT_EQ(Utf8(ReadAtcDictionary(File())), c.Entries) << c.Name;
  }
  EXPECT_THROW(ReadAtcDictionary(Dir / "missing.txt"), EStreamError);
}

TEST_F(AtcDictionary, WritesTheLegacyPageOrUtf8WhenThePageCannotHoldAnEntry) {
  const TAtcDictionary cyrillic = {u"\u041F\u0420\u0418", u"SHOP"};
  SaveAtcDictionary(File(), cyrillic);
  EXPECT_EQ(ReadBytes(File()), "\xcf\xd0\xc8\r\nSHOP\r\n");

  // Greek has no byte in windows-1251: the entry must survive the save.
  const TAtcDictionary greek = {u"\u03A9MEGA", u"SHOP"};
  SaveAtcDictionary(File(), greek);
  EXPECT_EQ(ReadBytes(File()).substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_EQ(ReadAtcDictionary(File()), greek);
  // The file before is kept as the backup.
  EXPECT_EQ(ReadBytes(Dir / "atcdict.~txt"), "\xcf\xd0\xc8\r\nSHOP\r\n");
}

TEST_F(AtcDictionary, StartUpTakesTheUsersFileElseCopiesTheShippedOne) {
  TMemoryRegistry registry;
  test::TFakeDialogs dialogs;
  TOptions options(registry, dialogs);
  ASSERT_TRUE(options.LocateOptionsFolder(Dir / "options"));

  PrepareAtcDictionary(options);
  ASSERT_FALSE(options.Dictionary().empty());
  EXPECT_EQ(ReadAtcDictionary(options.DictionaryFile()), options.Dictionary());

  WriteBytes(options.DictionaryFile(), "mine\r\n");
  PrepareAtcDictionary(options);
  EXPECT_EQ(Utf8(options.Dictionary()), std::vector<std::string>{"MINE"});
  EXPECT_EQ(ReadBytes(options.DictionaryFile()), "mine\r\n");
}

}  // namespace
}  // namespace quenby
