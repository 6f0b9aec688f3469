// Its own executable: GIO reads XDG_DATA_HOME once per process, so the
// sandbox must be set before the first trash call, and never the user's.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "TempDir.h"
#include "platform/Shell.h"

namespace quenby {
namespace {

TEST(Trash, MovesTheFileIntoTheSandboxTrashEvenWithoutOne) {
  test::TTempDir home;
  ASSERT_EQ(::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1), 0);
  ASSERT_FALSE(std::filesystem::exists(home / "data"));
  const std::string file = home / "doomed.eml";
  test::WriteAll(file, "x");
  ASSERT_TRUE(DeleteToRecycleBin(file));
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_TRUE(std::filesystem::exists(home / "data/Trash/files/doomed.eml"));
  EXPECT_TRUE(std::filesystem::exists(home / "data/Trash/info/doomed.eml.trashinfo"));
  EXPECT_FALSE(DeleteToRecycleBin(home / "missing.eml"));
}

}  // namespace
}  // namespace quenby
