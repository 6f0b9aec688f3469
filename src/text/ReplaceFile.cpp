#include "text/ReplaceFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/Errors.h"

namespace quenby {

namespace {

class TTempFile {
 public:
  explicit TTempFile(const std::string& path) : Name_(path + ".XXXXXX") {
    Fd_ = mkstemp(Name_.data());
    if (Fd_ < 0) throw EStreamError(TStreamErrorKind::CannotCreate, path, std::strerror(errno));
  }
  ~TTempFile() {
    if (Fd_ >= 0) close(Fd_);
    if (!Kept_) unlink(Name_.c_str());
  }
  TTempFile(const TTempFile&) = delete;
  TTempFile& operator=(const TTempFile&) = delete;

  int Fd() const { return Fd_; }
  const std::string& Name() const { return Name_; }
  int Close() {
    const int result = close(Fd_);
    Fd_ = -1;
    return result;
  }
  void Keep() { Kept_ = true; }

 private:
  std::string Name_;
  int Fd_ = -1;
  bool Kept_ = false;
};

[[noreturn]] void WriteFailed(const std::string& path) {
  throw EStreamError(TStreamErrorKind::Write, path, std::strerror(errno));
}

}  // namespace

void ReplaceFile(const std::string& path, std::string_view bytes) {
  TTempFile temp(path);
  // mkstemp creates the file for the owner only; an existing file keeps its
  // mode, a new one gets the usual 0644.
  struct stat old {};
  const mode_t mode = stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
  if (fchmod(temp.Fd(), mode) != 0) WriteFailed(path);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t written = write(temp.Fd(), bytes.data() + done, bytes.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) WriteFailed(path);
    done += static_cast<std::size_t>(written);
  }
  if (fsync(temp.Fd()) != 0 || temp.Close() != 0) WriteFailed(path);
  if (rename(temp.Name().c_str(), path.c_str()) != 0) WriteFailed(path);
  temp.Keep();
}

}  // namespace quenby
