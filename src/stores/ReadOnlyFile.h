#pragma once
// A file opened read-only on one descriptor and read with pread, so reads
// share no file position. Linux has no deny-write sharing: another program
// may rewrite the file meanwhile, so callers bound every read by Size() and
// treat short reads as the end of what they were reading.

#include <sys/types.h>

#include <cstdint>
#include <string>

namespace quenby {

class TReadOnlyFile {
 public:
  TReadOnlyFile() = default;
  ~TReadOnlyFile();
  TReadOnlyFile(const TReadOnlyFile&) = delete;
  TReadOnlyFile& operator=(const TReadOnlyFile&) = delete;

  // Raises the "cannot open file" stream error with the path.
  void Open(const std::string& path);
  void Close() noexcept;
  bool IsOpen() const noexcept { return Fd_ >= 0; }
  const std::string& Path() const noexcept { return Path_; }
  std::int64_t Size() const noexcept { return Size_; }

  // True when the path now names another file, or the file's size or
  // modification time changed since Open (or it is gone).
  bool ChangedOnDisk() const;

  // Reads up to count bytes at offset; fewer at the end of the file.
  // An I/O error raises the read error with the path and offset.
  std::int64_t ReadAt(std::int64_t offset, void* buffer, std::int64_t count) const;

 private:
  int Fd_ = -1;
  std::string Path_;
  std::int64_t Size_ = 0;
  dev_t Device_ = 0;
  ino_t Inode_ = 0;
  std::int64_t ModifiedNs_ = 0;
};

}  // namespace quenby
