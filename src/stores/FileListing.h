#pragma once
// One listing of a folder's message files: the regular files (symbolic
// links followed) whose names match one of the masks ignoring case, with
// what the listing tells of each.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/FileTimes.h"

namespace quenby {

struct TFileListing {
  std::string Name;  // as on disk
  std::int64_t Size = 0;
  std::uint32_t Attributes = 0;  // st_mode
  TFileTime CreationTime = 0;    // 0 where the file system keeps no birth time
  TFileTime WriteTime = 0;
};

// masks: ";"-separated shell patterns ("*.eml;*.msg").
bool MatchesMask(std::string_view name, std::string_view masks);

// Calls step once per matching entry, in directory order. A folder that
// cannot be listed, and entries that vanish or cannot be examined, give
// nothing. False when the folder itself could not be opened.
bool ListMessageFiles(const std::string& folder, std::string_view masks,
                      const std::function<void(const TFileListing&)>& step);

}  // namespace quenby
