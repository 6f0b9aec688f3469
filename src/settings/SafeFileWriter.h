#pragma once
// Rewriting a file whole without ever leaving it half-written or missing:
// the old file is kept as the ".~" backup, the new text goes to a temporary
// file in the same folder, is flushed, and is renamed over the old one.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/Errors.h"
#include "platform/Paths.h"  // BackupFileName

namespace quenby {

// Writes size bytes to the descriptor; returns how many it wrote, or -1 with
// errno set. Tests replace it to fail part-way.
using TWriteFunction = std::function<std::int64_t(int fd, const char* data, std::int64_t size)>;

struct TSafeWriteOptions {
  bool Backup = true;  // keep the old file as the ".~" backup
  TStreamErrorKind ErrorKind = TStreamErrorKind::Write;
  TWriteFunction Write;  // empty: ::write
};

// Raises EStreamError of options.ErrorKind naming path; the old file, if
// any, is then unchanged. The backup is a copy, made before the write: a
// failure to make it does not stop the save.
void SaveFileWhole(const std::string& path, std::string_view bytes,
                   const TSafeWriteOptions& options = {});

}  // namespace quenby
