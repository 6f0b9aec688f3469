#include "settings/SafeFileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

namespace quenby {

namespace {

std::int64_t PlainWrite(int fd, const char* data, std::int64_t size) {
  return ::write(fd, data, static_cast<std::size_t>(size));
}

// The backup is a hard link to the old file where the file system has them
// (the rename below then leaves it holding the old text), else a copy. The
// old file itself is never moved away before the new one is complete.
void MakeBackup(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (!fs::exists(path, ec)) return;
  const std::string backup = BackupFileName(path);
  fs::remove(backup, ec);
  fs::create_hard_link(path, backup, ec);
  if (ec) fs::copy_file(path, backup, fs::copy_options::overwrite_existing, ec);
}

// Makes the rename itself durable; a failure here changes nothing the
// caller could act on, so it is not reported.
void SyncFolder(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "."
                             : slash == 0               ? "/"
                                                        : path.substr(0, slash);
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

class TTempFile {
 public:
  explicit TTempFile(const std::string& path) : Name_(path + ".XXXXXX") {
    std::vector<char> name(Name_.begin(), Name_.end());
    name.push_back('\0');
    Fd_ = ::mkstemp(name.data());
    Name_.assign(name.data());
  }
  ~TTempFile() {
    if (Fd_ >= 0) ::close(Fd_);
    if (!Renamed_) ::unlink(Name_.c_str());
  }
  TTempFile(const TTempFile&) = delete;
  TTempFile& operator=(const TTempFile&) = delete;

  int Fd() const { return Fd_; }
  bool Close() {
    const int fd = Fd_;
    Fd_ = -1;
    return ::close(fd) == 0;
  }
  bool RenameTo(const std::string& path) {
    Renamed_ = ::rename(Name_.c_str(), path.c_str()) == 0;
    return Renamed_;
  }

 private:
  std::string Name_;
  int Fd_ = -1;
  bool Renamed_ = false;
};

}  // namespace

void SaveFileWhole(const std::string& path, std::string_view bytes,
                   const TSafeWriteOptions& options) {
  const auto fail = [&](const char* step) {
    throw EStreamError(options.ErrorKind, path, std::string(step) + ": " + std::strerror(errno));
  };
  if (options.Backup) MakeBackup(path);
  TTempFile temp(path);
  if (temp.Fd() < 0) fail("cannot create a temporary file");
  struct stat old {};
  if (::stat(path.c_str(), &old) == 0) ::fchmod(temp.Fd(), old.st_mode & 07777);
  const TWriteFunction& write = options.Write ? options.Write : TWriteFunction(PlainWrite);
  std::int64_t done = 0;
  const auto size = static_cast<std::int64_t>(bytes.size());
  while (done < size) {
    const std::int64_t n = write(temp.Fd(), bytes.data() + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      fail("write");
    }
    done += n;
  }
  if (::fsync(temp.Fd()) != 0) fail("flush");
  if (!temp.Close()) fail("close");
  if (!temp.RenameTo(path)) fail("rename");
  SyncFolder(path);
}

}  // namespace quenby
