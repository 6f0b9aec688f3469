#pragma once
// Exceptions of the core. They carry the context a message needs to say
// where something failed (a path, a byte offset); the windows and the
// command-line tool turn them into language-file texts.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace quenby {

// Numbered like the texts 0 to 5 of the language section "Error".
enum class TStreamErrorKind : int {
  Stream = 0,
  CannotOpen = 1,
  CannotCreate = 2,
  Read = 3,
  Write = 4,
  IniFile = 5,
};

class EStreamError : public std::runtime_error {
 public:
  EStreamError(TStreamErrorKind kind, std::string path, std::string detail = {},
               std::int64_t offset = -1);

  TStreamErrorKind Kind() const noexcept { return Kind_; }
  const std::string& Path() const noexcept { return Path_; }
  const std::string& Detail() const noexcept { return Detail_; }
  std::int64_t Offset() const noexcept { return Offset_; }  // -1 when unknown

 private:
  TStreamErrorKind Kind_;
  std::string Path_;
  std::string Detail_;
  std::int64_t Offset_;
};

// The ordinary list's index error: "List index out of bounds (%d)".
class EListError : public std::out_of_range {
 public:
  explicit EListError(std::int64_t index);
  std::int64_t Index() const noexcept { return Index_; }

 private:
  std::int64_t Index_;
};

}  // namespace quenby
