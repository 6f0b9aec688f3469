// The store folder from the registry stand-in.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "TestNames.h"
#include "stores/FindStoreRoot.h"

namespace quenby {
namespace {

struct TRootCase {
  std::string Name;
  std::function<void(TMemoryRegistry&)> Fill;
  std::string Root;
};

class FindStoreRootTest : public ::testing::TestWithParam<TRootCase> {};

TEST_P(FindStoreRootTest, FindsTheStoreFolder) {
  ::setenv("QUENBY_TEST_PROFILE", "/home/ann/.wine/drive_c/users/ann", 1);
  TMemoryRegistry registry;
  GetParam().Fill(registry);
  EXPECT_EQ(FindStoreRoot(registry), GetParam().Root);
}

const char kIdentity[] =
    "\\Identities\\{0E5B2A63-1F3C-4D2A-9C7E-5A1B2C3D4E5F}\\Software\\Microsoft\\Outlook Express";

const TRootCase kRootCases[] = {
    {"Nothing", [](TMemoryRegistry&) {}, ""},
    {"MainKey",
     [](TMemoryRegistry& r) {
       r.WriteString("\\Software\\Microsoft\\Outlook Express", "Store Root", "/srv/oe");
     },
     "/srv/oe/"},
    {"HighestVersionOfTheDefaultIdentity",
     [](TMemoryRegistry& r) {
       r.WriteString("\\Identities", "Default User ID", "{0E5B2A63-1F3C-4D2A-9C7E-5A1B2C3D4E5F}");
       r.WriteString(std::string(kIdentity) + "\\4.0", "Store Root", "/old/");
       r.WriteString(std::string(kIdentity) + "\\5.0", "Store Root", "/new");
     },
     "/new/"},
    {"MainKeyWinsOverIdentity",
     [](TMemoryRegistry& r) {
       r.WriteString("\\Software\\Microsoft\\Outlook Express", "Store Root", "/main/");
       r.WriteString("\\Identities", "Default User ID", "{0E5B2A63-1F3C-4D2A-9C7E-5A1B2C3D4E5F}");
       r.WriteString(std::string(kIdentity) + "\\5.0", "Store Root", "/new");
     },
     "/main/"},
    {"IdentityWithoutVersionKeys",
     [](TMemoryRegistry& r) {
       r.WriteString("\\Identities", "Default User ID", "{0E5B2A63-1F3C-4D2A-9C7E-5A1B2C3D4E5F}");
       r.WriteString(kIdentity, "Store Root", "/not/here");
     },
     ""},
    {"EnvironmentReferenceExpanded",
     [](TMemoryRegistry& r) {
       r.WriteString("\\Software\\Microsoft\\Outlook Express", "Store Root",
                     "%QUENBY_TEST_PROFILE%\\Local Settings\\Outlook Express");
     },
     "/home/ann/.wine/drive_c/users/ann/Local Settings/Outlook Express/"},
    {"UnknownReferenceKept",
     [](TMemoryRegistry& r) {
       r.WriteString("\\Software\\Microsoft\\Outlook Express", "Store Root",
                     "/x/%QUENBY_NO_SUCH_NAME%/y");
     },
     "/x/%QUENBY_NO_SUCH_NAME%/y/"},
};

INSTANTIATE_TEST_SUITE_P(Registry, FindStoreRootTest, ::testing::ValuesIn(kRootCases),
                         test::ByName());

TEST(ExpandEnvironmentStrings, KeepsTheRawValueWhenTheResultIsTooLong) {
  ::setenv("QUENBY_TEST_LONG", std::string(2000, 'x').c_str(), 1);
  std::string text = "/a/%QUENBY_TEST_LONG%";
  EXPECT_FALSE(ExpandEnvironmentStrings(text));
  EXPECT_EQ(text, "/a/%QUENBY_TEST_LONG%");
}

}  // namespace
}  // namespace quenby
