#pragma once
// Names inside an Outlook Express store folder. Stores come from Windows,
// where names match ignoring case: the folder list says "Inbox.dbx" or
// "folders.dbx" while the disk holds "inbox.dbx" or "Folders.dbx". Names
// in the folder list are bytes in the legacy code page; names on disk are
// UTF-8.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quenby {

inline constexpr std::string_view kFoldersFileName = "folders.dbx";

class TStoreFolder {
 public:
  // path: the store folder, with or without a trailing '/'.
  explicit TStoreFolder(std::string path);

  const std::string& Path() const noexcept { return Path_; }  // ends with '/'
  // The full name of the entry matching name ignoring case: an exact match
  // first, else the first caseless one in name order. Empty when none.
  // The folder is listed once, on the first call.
  std::string Resolve(std::string_view utf8Name);
  // The same for a name from the folder list (legacy code page bytes).
  std::string ResolveLegacy(std::string_view legacyName);

 private:
  std::string Path_;
  std::optional<std::vector<std::string>> Entries_;
};

}  // namespace quenby
