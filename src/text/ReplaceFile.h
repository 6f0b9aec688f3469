#pragma once
// Writing a whole file so that a failure never leaves it half written: the
// bytes go to a temporary file in the same folder, which is flushed and
// renamed over the old one.

#include <string>
#include <string_view>

namespace quenby {

// Raises EStreamError (CannotCreate or Write, with the path and the system's
// reason); the old file, if any, is then left as it was.
void ReplaceFile(const std::string& path, std::string_view bytes);

}  // namespace quenby
