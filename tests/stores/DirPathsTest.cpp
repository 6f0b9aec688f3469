#include <gtest/gtest.h>

#include <set>

#include "stores/DirPaths.h"

namespace quenby {
namespace {

// Lines of a real mountinfo, with optional fields, escapes and a bind mount.
constexpr std::string_view kMountInfo =
    "22 28 0:21 / /proc rw,relatime - proc proc rw\n"
    "23 28 0:22 / /sys rw,relatime shared:7 - sysfs sysfs rw\n"
    "24 28 0:6 / /dev rw,relatime - devtmpfs devtmpfs rw,size=1k\n"
    "28 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw\n"
    "29 28 0:26 / /tmp rw - tmpfs tmpfs rw\n"
    "30 28 8:17 / /media/ann/USB\\040Stick rw shared:3 master:1 - vfat /dev/sdb1 rw\n"
    "31 28 8:2 / /home rw - ext4 /dev/sda2 rw\n"
    "32 28 0:40 / /run/user/1000 rw - tmpfs tmpfs rw\n"
    "33 28 8:33 / /run/media/ann/Disk rw - ext4 /dev/sdc1 rw\n"
    "34 28 8:34 / /run/lock rw - ext4 /dev/sdc2 rw\n"
    "35 28 0:45 / /sys/fs/cgroup/cpu rw - cgroup cgroup rw,cpu\n"
    "36 28 8:49 / /mnt/nas rw - nfs4 server:/export rw\n"
    "garbage line\n"
    "37 28 7:1 / /snap/core/1 ro - squashfs /dev/loop1 ro";

TEST(DirPaths, RootsAreSlashHomeAndRealVolumes) {
  const std::vector<TMount> mounts = ParseMountInfo(kMountInfo);
  ASSERT_EQ(mounts.size(), 13u);
  EXPECT_EQ(mounts[5].Path, "/media/ann/USB Stick");
  EXPECT_EQ(mounts[5].Type, "vfat");
  const std::vector<std::string> expected = {
      "/", "/home/ann/", "/home/", "/media/ann/USB Stick/", "/mnt/nas/", "/run/media/ann/Disk/"};
  EXPECT_EQ(TDirPaths::RootsOf(mounts, "/home/ann"), expected);
}

TEST(DirPaths, WalkTakesTheLongestRootAndKeepsNamesExact) {
  TDirPaths paths;
  paths.SetRoots({"/", "/home/ann/", "/media/ann/USB Stick/"});
  struct TCase {
    const char* Path;
    const char* Root;  // nullptr: no walk
    std::vector<std::string> Components;
  } cases[] = {
      {"/", "/", {}},
      {"/home/ann", "/home/ann/", {}},
      {"/home/ann/Mail/mail/", "/home/ann/", {"Mail", "mail"}},
      {"/home/anna/x", "/", {"home", "anna", "x"}},
      {"/home//ann/./.hidden/../.cache", "/home/ann/", {".cache"}},
      {"/media/ann/USB Stick/a\\b", "/media/ann/USB Stick/", {"a\\b"}},
      {"relative/path", nullptr, {}},
      {"", nullptr, {}},
  };
  for (const TCase& c : cases) {
    const auto walk = paths.Walk(c.Path);
    ASSERT_EQ(walk.has_value(), c.Root != nullptr) << c.Path;
    if (!walk) continue;
    EXPECT_EQ(walk->Root, c.Root) << c.Path;
    EXPECT_EQ(walk->Components, c.Components) << c.Path;
  }
}

TEST(DirPaths, ClimbToExistingStopsAtTheFirstFolder) {
  const std::set<std::string> folders = {"/", "/home/", "/home/ann/"};
  const auto isFolder = [&](const std::string& p) { return folders.count(p) > 0; };
  const std::pair<const char*, const char*> cases[] = {
      {"/home/ann", "/home/ann/"},
      {"/home/ann/gone/deeper/", "/home/ann/"},
      {"/nothing/here", "/"},
      {"relative", ""},
  };
  for (const auto& [path, expected] : cases)
    EXPECT_EQ(TDirPaths::ClimbToExisting(path, isFolder), expected) << path;
}

}  // namespace
}  // namespace quenby
