#include <gtest/gtest.h>

#include <algorithm>

#include "platform/LegacyCodePage.h"
#include "platform/Registry.h"

namespace quenby {
namespace {

TEST(MemoryRegistry, KeysMatchIgnoringCaseAndListTheirChildren) {
  TMemoryRegistry reg;
  reg.WriteString("\\Identities\\{ABC}\\Software\\Microsoft\\Outlook Express\\5.0", "Store Root",
                  "x");
  reg.WriteString("Identities\\{ABC}\\Software\\Microsoft\\Outlook Express\\4.0", "Other", "y");
  EXPECT_TRUE(reg.KeyExists("identities\\{abc}\\software"));
  EXPECT_FALSE(reg.KeyExists("identities\\{ab"));
  EXPECT_EQ(
      reg.ReadString("IDENTITIES\\{abc}\\software\\microsoft\\outlook express\\5.0", "store root"),
      "x");
  EXPECT_EQ(
      reg.ReadString("Identities\\{ABC}\\Software\\Microsoft\\Outlook Express\\5.0", "Missing"),
      std::nullopt);
  auto subs = reg.SubKeys("Identities\\{ABC}\\Software\\Microsoft\\Outlook Express");
  std::sort(subs.begin(), subs.end());
  EXPECT_EQ(subs, (std::vector<std::string>{"4.0", "5.0"}));
}

TEST(LegacyCodePage, DecodesTheChosenCodePage) {
  SetLegacyCodePage("windows-1251");
  EXPECT_EQ(LegacyToUtf8("\xc2\xf5\xee\xe4\xff\xf9\xe8\xe5"), "Входящие");
  SetLegacyCodePage("windows-1252");
  EXPECT_EQ(LegacyToUtf8("Gel\xf6scht"), "Gelöscht");
  SetLegacyCodePage({});
}

}  // namespace
}  // namespace quenby
