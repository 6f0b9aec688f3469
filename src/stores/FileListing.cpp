#include "stores/FileListing.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include "platform/Paths.h"

namespace quenby {
namespace {

TFileTime FileTimeOf(const statx_timestamp& t) {
  return FileTimeFromTimespec(
      timespec{static_cast<time_t>(t.tv_sec), static_cast<long>(t.tv_nsec)});
}

struct TDirCloser {
  DIR* Dir;
  ~TDirCloser() {
    if (Dir) ::closedir(Dir);
  }
};

}  // namespace

bool MatchesMask(std::string_view name, std::string_view masks) {
  const std::string text(name);
  std::string mask;
  std::string rest(masks);
  while (NextListItem(std::string(rest), mask, rest))
    if (!mask.empty() && ::fnmatch(mask.c_str(), text.c_str(), FNM_CASEFOLD) == 0) return true;
  return false;
}

bool ListMessageFiles(const std::string& folder, std::string_view masks,
                      const std::function<void(const TFileListing&)>& step) {
  TDirCloser dir{::opendir(folder.c_str())};
  if (!dir.Dir) return false;
  const int fd = ::dirfd(dir.Dir);
  while (const dirent* entry = ::readdir(dir.Dir)) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == ".." || !MatchesMask(name, masks)) continue;
    struct statx st {};
    if (::statx(fd, entry->d_name, 0, STATX_BASIC_STATS | STATX_BTIME, &st) != 0) continue;
    // Only regular files: opening a FIFO or a device would block or worse.
    if (!S_ISREG(st.stx_mode)) continue;
    TFileListing listing;
    listing.Name = std::string(name);
    listing.Size = static_cast<std::int64_t>(st.stx_size);
    listing.Attributes = st.stx_mode;
    listing.CreationTime = (st.stx_mask & STATX_BTIME) ? FileTimeOf(st.stx_btime) : 0;
    listing.WriteTime = FileTimeOf(st.stx_mtime);
    step(listing);
  }
  return true;
}

}  // namespace quenby
