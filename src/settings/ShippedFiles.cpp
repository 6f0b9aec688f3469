#include "settings/ShippedFiles.h"

#include <filesystem>

#include "platform/Paths.h"

namespace quenby {

std::string ProgramFolder() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : IncludeTrailingBackslash(exe.parent_path().string());
}

std::vector<std::string> ShippedFileCandidates(std::string_view name) {
  std::vector<std::string> candidates;
  if (const std::string folder = ProgramFolder(); !folder.empty())
    candidates.push_back(folder + "local/" + std::string(name));
  candidates.push_back(std::string(QUENBY_INSTALL_DATA_DIR "/") + std::string(name));
  candidates.push_back(std::string(QUENBY_SOURCE_LANG_DIR "/") + std::string(name));
  return candidates;
}

std::string FindShippedFile(std::string_view name) {
  std::error_code ec;
  for (std::string& candidate : ShippedFileCandidates(name))
    if (std::filesystem::is_regular_file(candidate, ec)) return candidate;
  return {};
}

}  // namespace quenby
