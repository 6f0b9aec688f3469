// Names in a store folder resolve ignoring case, as on Windows.
#include <gtest/gtest.h>

#include <fstream>

#include "DbxFixture.h"
#include "TestNames.h"
#include "platform/LegacyCodePage.h"
#include "stores/DbxLayout.h"
#include "stores/StoreFolder.h"

namespace quenby::test {
namespace {

struct TNameCase {
  std::string Name;
  std::string OnDisk;
  std::string Asked;  // UTF-8
  bool Found;
};

class StoreFolderTest : public ::testing::TestWithParam<TNameCase> {};

TEST_P(StoreFolderTest, ResolvesIgnoringCase) {
  TTempDir dir;
  std::ofstream(dir.Path() + GetParam().OnDisk) << "x";
  TStoreFolder store(dir.Path());
  EXPECT_EQ(store.Resolve(GetParam().Asked),
            GetParam().Found ? dir.Path() + GetParam().OnDisk : "");
}

const TNameCase kNameCases[] = {
    {"FoldersLower", "folders.dbx", "folders.dbx", true},
    {"FoldersCapital", "Folders.dbx", "folders.dbx", true},
    {"FoldersUpper", "FOLDERS.DBX", "folders.dbx", true},
    {"FoldersMixed", "fOLDERs.Dbx", "folders.dbx", true},
    {"CyrillicName", "входящие.dbx", "Входящие.dbx", true},
    {"OtherName", "Folders.dbx.bak", "folders.dbx", false},
    {"NoPathsOutsideTheFolder", "x.dbx", "../x.dbx", false},
};

INSTANTIATE_TEST_SUITE_P(Names, StoreFolderTest, ::testing::ValuesIn(kNameCases), ByName());

TEST(StoreFolder, ExactMatchWinsOverCaselessOne) {
  TTempDir dir;
  std::ofstream(dir.Path() + "INBOX.dbx") << "x";
  std::ofstream(dir.Path() + "Inbox.dbx") << "x";
  TStoreFolder store(dir.Path());
  EXPECT_EQ(store.Resolve("Inbox.dbx"), dir.Path() + "Inbox.dbx");
  EXPECT_EQ(store.Resolve("inbox.dbx"), dir.Path() + "INBOX.dbx");
}

TEST(StoreFolder, FolderListNamesAreDecodedFromTheLegacyCodePage) {
  TTempDir dir;
  std::ofstream(dir.Path() + "Входящие.dbx") << "x";
  SetLegacyCodePage("windows-1251");
  TStoreFolder store(dir.Path());
  // "ВХОДЯЩИЕ.dbx" in windows-1251.
  EXPECT_EQ(store.ResolveLegacy("\xC2\xD5\xCE\xC4\xDF\xD9\xC8\xC5.dbx"),
            dir.Path() + "Входящие.dbx");
  SetLegacyCodePage({});
}

}  // namespace
}  // namespace quenby::test
