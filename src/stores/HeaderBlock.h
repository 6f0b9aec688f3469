#pragma once
// The header block of a message file, read without the body.

#include <string>

namespace quenby {

// The file's bytes up to and including the empty line that ends the
// headers (all of it when there is none). Raises EStreamError: CannotOpen
// for a file that is gone or unreadable, Read for an I/O error, Stream
// (damaged or of another kind) for an Outlook compound document.
std::string ReadHeaderBlock(const std::string& path);

}  // namespace quenby
