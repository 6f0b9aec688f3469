#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "TempDir.h"
#include "platform/Errors.h"
#include "settings/IniRegistry.h"

namespace quenby {
namespace {

using test::ReadAll;
using test::TTempDir;

const std::string kKey = "software\\Tolvane\\Quenby Mailer";

TEST(IniRegistry, ValuesPersistAndMatchIgnoringCase) {
  TTempDir dir;
  const std::string path =
      dir / "Tolvane/Quenby Mailer.ini";  // the folder is created on first write
  {
    TIniRegistry reg(path);
    EXPECT_FALSE(reg.KeyExists(kKey));
    reg.WriteString(kKey, "LanguageFile", "/usr/share/quenby/local/english.ini");
    reg.WriteString("\\" + kKey + "\\History\\Find", "0", "subject: x");
    WriteRegistryInteger(reg, kKey, "Width", -12);
  }
  TIniRegistry reg(path);
  EXPECT_EQ(reg.ReadString("SOFTWARE\\tolvane\\quenby mailer", "languagefile"),
            "/usr/share/quenby/local/english.ini");
  EXPECT_EQ(reg.ReadString(kKey + "\\history\\find", "0"), "subject: x");
  EXPECT_EQ(ReadRegistryInteger(reg, kKey, "width", 0), -12);
  EXPECT_EQ(ReadRegistryInteger(reg, kKey, "LanguageFile", 7), 7);
  EXPECT_EQ(reg.ReadString(kKey, "Missing"), std::nullopt);
  EXPECT_TRUE(reg.KeyExists("Software\\Tolvane"));
  EXPECT_FALSE(reg.KeyExists("Software\\Tolv"));
  EXPECT_EQ(reg.SubKeys("software\\tolvane\\QUENBY MAILER"), std::vector<std::string>{"History"});
  EXPECT_NE(ReadAll(path).find("[software\\Tolvane\\Quenby Mailer]\nLanguageFile="),
            std::string::npos);
}

TEST(IniRegistry, SubKeysListEachChildOnce) {
  TTempDir dir;
  TIniRegistry reg(dir / "r.ini");
  reg.WriteString("Identities\\{A}\\Software\\Microsoft\\Outlook Express\\5.0", "Store Root", "x");
  reg.WriteString("identities\\{a}\\software\\microsoft\\outlook express\\5.0\\Mail", "k", "y");
  reg.WriteString("Identities\\{A}\\Software\\Microsoft\\Outlook Express\\4.0", "k", "z");
  auto subs = reg.SubKeys("Identities\\{A}\\Software\\Microsoft\\Outlook Express");
  std::sort(subs.begin(), subs.end());
  EXPECT_EQ(subs, (std::vector<std::string>{"4.0", "5.0"}));
}

TEST(IniRegistry, AFailedSaveKeepsFileAndMemoryAsTheyWere) {
  TTempDir dir;
  TIniRegistry reg(dir / "r.ini");
  reg.WriteString(kKey, "OptionsPath", "/old");
  const std::string before = ReadAll(dir / "r.ini");
  reg.File().SetWriteFunction([](int, const char*, std::int64_t) -> std::int64_t {
    errno = EIO;
    return -1;
  });
  EXPECT_THROW(reg.WriteString(kKey, "OptionsPath", "/new"), EStreamError);
  EXPECT_THROW(reg.WriteString(kKey + "\\History", "0", "x"), EStreamError);
  EXPECT_EQ(reg.ReadString(kKey, "OptionsPath"), "/old");
  EXPECT_FALSE(reg.KeyExists(kKey + "\\History"));
  EXPECT_EQ(ReadAll(dir / "r.ini"), before);
}

TEST(IniRegistry, DefaultFileFollowsXdgConfigHome) {
  const char* saved = std::getenv("XDG_CONFIG_HOME");
  const std::string keep = saved ? saved : "",
                    home = std::getenv("HOME") ? std::getenv("HOME") : "";
  ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
  EXPECT_EQ(DefaultRegistryFileName(), "/cfg/Tolvane/Quenby Mailer.ini");
  ::setenv("XDG_CONFIG_HOME", "relative", 1);  // not absolute: ignored, as the XDG rules say
  ::setenv("HOME", "/home/u", 1);
  EXPECT_EQ(DefaultRegistryFileName(), "/home/u/.config/Tolvane/Quenby Mailer.ini");
  if (saved)
    ::setenv("XDG_CONFIG_HOME", keep.c_str(), 1);
  else
    ::unsetenv("XDG_CONFIG_HOME");
  ::setenv("HOME", home.c_str(), 1);
}

}  // namespace
}  // namespace quenby
