#include "platform/Errors.h"

namespace quenby {

namespace {

std::string Describe(TStreamErrorKind kind, const std::string& path, const std::string& detail,
                     std::int64_t offset) {
  static const char* const kNames[] = {"stream error", "cannot open file", "cannot create file",
                                       "read error",   "write error",      "INI file error"};
  std::string text = kNames[static_cast<int>(kind)];
  if (!path.empty()) text += ": " + path;
  if (offset >= 0) text += " at offset " + std::to_string(offset);
  if (!detail.empty()) text += " (" + detail + ")";
  return text;
}

}  // namespace

EStreamError::EStreamError(TStreamErrorKind kind, std::string path, std::string detail,
                           std::int64_t offset)
    : std::runtime_error(Describe(kind, path, detail, offset)),
      Kind_(kind),
      Path_(std::move(path)),
      Detail_(std::move(detail)),
      Offset_(offset) {}

EListError::EListError(std::int64_t index)
    : std::out_of_range("List index out of bounds (" + std::to_string(index) + ")"),
      Index_(index) {}

}  // namespace quenby
