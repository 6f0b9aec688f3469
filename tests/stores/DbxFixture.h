#pragma once
// Runs TOEFile over bytes made by TDbxWriter and collects what it reports.

#include <cstdint>
#include <string>
#include <vector>

#include "DbxWriter.h"
#include "TempDir.h"
#include "platform/Errors.h"
#include "stores/OEFile.h"

namespace quenby::test {

struct TDbxRead {
  std::vector<Toe5_MessageInfo> Messages;
  std::vector<Toe5_FolderInfo> Folders;
  std::vector<std::string> Problems;  // "offset: what"
};

// Walks the tree of the file and collects records and problems.
TDbxRead ReadAll(TOEFile& file);
// The text whose first block is at bodyOffset.
std::string ReadText(TOEFile& file, std::int64_t bodyOffset);
std::string ProblemsText(const TOEFile& file);

}  // namespace quenby::test
