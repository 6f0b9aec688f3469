#pragma once
// The path logic of the directory tree, without the widget. The tree's top
// level ("drives") are folder roots: "/", the home folder and the mounted
// volumes; a node's path is its root followed by one name per level, each
// ending in '/'. Names compare exactly: on Linux "Mail" and "mail" are two
// folders.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quenby {

struct TMount {
  std::string Path;  // the mount point, escapes decoded
  std::string Type;  // the file system type
};

// The mounts of /proc/self/mountinfo's text; malformed lines are skipped.
std::vector<TMount> ParseMountInfo(std::string_view text);
// Kernel and runtime file systems (proc, sysfs, tmpfs, cgroup...) and
// mounts under the system folders (/proc, /sys, /dev, /run but for
// /run/media): nothing a user keeps mail in.
bool IsPseudoMount(const TMount& mount);

// Folder names beginning with "." are hidden.
inline bool IsHiddenName(std::string_view name) {
  return !name.empty() && name.front() == '.';
}

// The names of folder's sub-folders (symbolic links to folders included),
// in directory order; nothing when it cannot be listed.
std::vector<std::string> ListSubfolders(const std::string& folder);

struct TPathWalk {
  std::string Root;                     // one of the roots, with trailing '/'
  std::vector<std::string> Components;  // the names below it
};

class TDirPaths {
 public:
  // "/" first, then home, then the real mounts in name order; each once,
  // with trailing '/'.
  static std::vector<std::string> RootsOf(const std::vector<TMount>& mounts,
                                          const std::string& home);

  void SetRoots(std::vector<std::string> roots) { Roots_ = std::move(roots); }
  const std::vector<std::string>& Roots() const { return Roots_; }

  // The root with the longest match at a separator, and the names below
  // it; nothing for a relative path or one below no root. Doubled
  // separators, "." and ".." are resolved first.
  std::optional<TPathWalk> Walk(std::string_view path) const;

  // path (with trailing '/') when it is a folder, else its nearest
  // existing ancestor; empty when none is or path is relative.
  static std::string ClimbToExisting(std::string path,
                                     const std::function<bool(const std::string&)>& isFolder);

 private:
  std::vector<std::string> Roots_;
};

}  // namespace quenby
