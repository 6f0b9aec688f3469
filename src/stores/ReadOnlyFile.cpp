#include "stores/ReadOnlyFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/Errors.h"

namespace quenby {

namespace {

std::int64_t ModifiedNs(const struct stat& st) {
  return std::int64_t(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
}

}  // namespace

TReadOnlyFile::~TReadOnlyFile() {
  Close();
}

void TReadOnlyFile::Open(const std::string& path) {
  Close();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw EStreamError(TStreamErrorKind::CannotOpen, path, std::strerror(errno));
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    const std::string why = S_ISDIR(st.st_mode) ? "is a folder" : "not a regular file";
    ::close(fd);
    throw EStreamError(TStreamErrorKind::CannotOpen, path, why);
  }
  Fd_ = fd;
  Path_ = path;
  Size_ = st.st_size;
  Device_ = st.st_dev;
  Inode_ = st.st_ino;
  ModifiedNs_ = ModifiedNs(st);
}

void TReadOnlyFile::Close() noexcept {
  if (Fd_ >= 0) ::close(Fd_);
  Fd_ = -1;
}

bool TReadOnlyFile::ChangedOnDisk() const {
  struct stat st {};
  if (::stat(Path_.c_str(), &st) != 0) return true;
  return st.st_dev != Device_ || st.st_ino != Inode_ || st.st_size != Size_ ||
         ModifiedNs(st) != ModifiedNs_;
}

std::int64_t TReadOnlyFile::ReadAt(std::int64_t offset, void* buffer, std::int64_t count) const {
  auto* out = static_cast<char*>(buffer);
  std::int64_t done = 0;
  while (done < count) {
    const ssize_t got = ::pread(Fd_, out + done, static_cast<size_t>(count - done), offset + done);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      throw EStreamError(TStreamErrorKind::Read, Path_, std::strerror(errno), offset + done);
    }
    done += got;
  }
  return done;
}

}  // namespace quenby
