#pragma once
// File operations of the program beyond reading and writing: attributes,
// backups, shortcuts, the special folders and the private temp folder.

#include <string>

namespace quenby {

// "Read-only" is a file without its owner's write bit. On POSIX deleting
// depends on the folder's permissions; the retry still clears the bit so
// that behaviour matches what callers expect of a forced delete.
bool IsReadOnly(const std::string& path);
void SetReadOnlyAttribute(const std::string& path, bool readOnly);  // nothing for a missing file
bool DeleteFileForce(const std::string& path);

// Renames an existing file to its ".~" backup name (rename replaces an old
// backup atomically, so it is never deleted first). Raises EStreamError
// (CannotCreate) naming the file when the rename fails.
void BackupFile(const std::string& path);

// Shortcuts are symbolic links named name.lnk, or the first free of
// name(1).lnk, name(2).lnk...; each name is claimed by the symlink call
// itself, so two callers never take the same one. Returns the link's path;
// raises EStreamError (CannotCreate).
std::string CreateShellLink(const std::string& target, const std::string& name);
// The link's target as an absolute path, empty when it cannot be resolved.
std::string ResolveShellLink(const std::string& link);

enum class TSpecialFolder { AppData, Documents, Desktop, Config };
// With a trailing separator; empty when the system gives none. AppData is
// $XDG_DATA_HOME, Desktop the XDG desktop folder when it exists, else home.
std::string SpecialFolder(TSpecialFolder id);

// A folder only this user can enter, made once per process with mkdtemp
// under $TMPDIR (or /tmp), with trailing separator. Raises EStreamError
// (CannotCreate) when it cannot be made.
std::string TempFolder();

}  // namespace quenby
