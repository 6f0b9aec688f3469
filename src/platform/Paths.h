#pragma once
// Path and file-name routines. Paths are UTF-8 with "/" as the separator;
// the routines keep their historical "backslash" names, which here mean the
// separator.

#include <string>
#include <string_view>

namespace quenby {

std::string IncludeTrailingBackslash(std::string_view path);
std::string ExcludeTrailingBackslash(std::string_view path);  // "/" stays "/"

// The folder holding path, with its trailing separator: "/a/b" and "/a/b/"
// give "/a/"; "/x" and "/" give "/". A relative name without separator
// is returned unchanged.
std::string ParentFolder(std::string_view path);

struct TSplitPath {
  std::string First;
  std::string Rest;
};
TSplitPath SplitFirstPart(std::string_view path);

// Items of a ";"-separated list, one at a time.
bool NextListItem(std::string_view list, std::string& item, std::string& rest);

// The last component's extension (with its dot) equals ext ignoring case.
bool HasExtension(std::string_view name, std::string_view ext);

// POSIX paths have no drive: the path without its leading separator. A
// colon is an ordinary character of Linux names.
std::string PathWithoutDrive(std::string_view path);

bool HasSubfolders(const std::string& folder);

// Control characters dropped, the nine characters Windows refuses become a
// single "_", and the result fits one 255-byte name component without
// cutting a UTF-8 sequence; "", "." and ".." become "_".
std::string CleanFileName(std::string_view text);

bool SameFirstLetter(std::string_view a, std::string_view b);

// "options.ini" -> "options.~ini"; a name without extension gets ".~".
std::string BackupFileName(const std::string& path);

}  // namespace quenby
