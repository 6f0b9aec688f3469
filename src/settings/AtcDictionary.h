#pragma once
// The advertisement dictionary's file, "atcdict.txt": one advertising
// phrase a line, kept in the options folder.

#include <string>
#include <vector>

namespace quenby {

class TOptions;

using TAtcDictionary = std::vector<std::u16string>;

// The file's lines, each trimmed of blanks and controls and upper-cased,
// empty ones dropped. The text is read by its byte-order mark (UTF-16 of
// either order, UTF-8), else as UTF-8 when it is valid UTF-8, else in the
// legacy code page. Raises EStreamError (CannotOpen, Read).
TAtcDictionary ReadAtcDictionary(const std::string& fileName);

// Rewrites the file whole, the old one kept as its ".~" backup: in the
// legacy code page with CR LF line ends, or, when an entry holds a
// character that page has no byte for, in UTF-8 behind a byte-order mark,
// so that no entry is lost. Raises EStreamError (Write) and then leaves
// the old file.
void SaveAtcDictionary(const std::string& fileName, const TAtcDictionary& dictionary);

// Start-up: the user's dictionary in the options folder, else the one the
// program ships, which is then written into the options folder. Raises
// EStreamError when a file cannot be read or the copy cannot be written;
// what was read stays in the options.
void PrepareAtcDictionary(TOptions& options);

}  // namespace quenby
