#include "stores/DirPaths.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <memory>

#include "platform/Paths.h"

namespace quenby {
namespace {

// mountinfo writes space, tab, newline and backslash as \ooo.
std::string Unescape(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() &&
        std::all_of(field.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                    field.begin() + static_cast<std::ptrdiff_t>(i) + 4,
                    [](char c) { return c >= '0' && c <= '7'; })) {
      out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                               (field[i + 3] - '0'));
      i += 3;
    } else {
      out += field[i];
    }
  }
  return out;
}

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t at = 0;
  while (at < line.size()) {
    const std::size_t end = std::min(line.find(' ', at), line.size());
    if (end > at) fields.push_back(line.substr(at, end - at));
    at = end + 1;
  }
  return fields;
}

bool Below(std::string_view path, std::string_view folder) {
  return path == folder ||
         (path.size() > folder.size() && path.starts_with(folder) && path[folder.size()] == '/');
}

}  // namespace

std::vector<std::string> ListSubfolders(const std::string& folder) {
  std::vector<std::string> names;
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
  if (!dir) return names;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    bool folderEntry = entry->d_type == DT_DIR;
    if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
      struct stat st {};
      folderEntry =
          ::fstatat(::dirfd(dir.get()), entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
    }
    if (folderEntry) names.emplace_back(name);
  }
  return names;
}

std::vector<TMount> ParseMountInfo(std::string_view text) {
  std::vector<TMount> mounts;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    const std::vector<std::string_view> fields = Fields(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    // id parent dev root mountpoint options [optional...] - type source super
    const auto dash = std::find(fields.begin(), fields.end(), "-");
    if (fields.size() < 5 || dash == fields.end() || dash - fields.begin() < 6 ||
        dash + 1 == fields.end())
      continue;
    mounts.push_back({Unescape(fields[4]), std::string(*(dash + 1))});
  }
  return mounts;
}

bool IsPseudoMount(const TMount& mount) {
  static constexpr std::array<std::string_view, 26> kPseudo = {
      "proc",       "sysfs",     "devtmpfs",  "devpts",      "tmpfs",
      "ramfs",      "cgroup",    "cgroup2",   "securityfs",  "debugfs",
      "tracefs",    "pstore",    "bpf",       "configfs",    "fusectl",
      "mqueue",     "hugetlbfs", "autofs",    "binfmt_misc", "rpc_pipefs",
      "nsfs",       "efivarfs",  "selinuxfs", "squashfs",    "fuse.gvfsd-fuse",
      "fuse.portal"};
  if (std::find(kPseudo.begin(), kPseudo.end(), mount.Type) != kPseudo.end()) return true;
  if (Below(mount.Path, "/run")) return !Below(mount.Path, "/run/media");
  return Below(mount.Path, "/proc") || Below(mount.Path, "/sys") || Below(mount.Path, "/dev");
}

std::vector<std::string> TDirPaths::RootsOf(const std::vector<TMount>& mounts,
                                            const std::string& home) {
  std::vector<std::string> volumes;
  for (const TMount& mount : mounts)
    if (!mount.Path.empty() && mount.Path.front() == '/' && !IsPseudoMount(mount))
      volumes.push_back(IncludeTrailingBackslash(mount.Path));
  std::sort(volumes.begin(), volumes.end());
  std::vector<std::string> roots{"/"};
  if (!home.empty() && home.front() == '/') roots.push_back(IncludeTrailingBackslash(home));
  for (std::string& volume : volumes)
    if (std::find(roots.begin(), roots.end(), volume) == roots.end())
      roots.push_back(std::move(volume));
  return roots;
}

std::optional<TPathWalk> TDirPaths::Walk(std::string_view path) const {
  if (path.empty() || path.front() != '/') return std::nullopt;
  // "." and ".." resolved by the names alone, as the tree shows them.
  const std::string full =
      IncludeTrailingBackslash(std::filesystem::path(path).lexically_normal().string());
  const std::string* best = nullptr;
  for (const std::string& root : Roots_)
    if (full.starts_with(root) && (!best || root.size() > best->size())) best = &root;
  if (!best) return std::nullopt;
  TPathWalk walk{*best, {}};
  std::string_view rest = std::string_view(full).substr(best->size());
  while (!rest.empty()) {
    const std::size_t slash = rest.find('/');
    const std::string_view name = rest.substr(0, slash);
    if (!name.empty()) walk.Components.emplace_back(name);
    rest.remove_prefix(std::min(slash + 1, rest.size()));
  }
  return walk;
}

std::string TDirPaths::ClimbToExisting(std::string path,
                                       const std::function<bool(const std::string&)>& isFolder) {
  if (path.empty() || path.front() != '/') return {};
  path = IncludeTrailingBackslash(path);
  for (;;) {
    if (isFolder(path)) return path;
    const std::string parent = ParentFolder(path);
    if (parent == path) return {};
    path = parent;
  }
}

}  // namespace quenby
