// The core links no Qt: no source outside a Qt library may include a Qt
// header. (The link side is held by quenby_library, which refuses a Qt
// target for a core layer.) Qt code lives in src/<subsystem>/qt/, in
// src/controls/ and in src/app/.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

bool IsQtDirectory(const fs::path& relative) {
  const std::string first = relative.begin()->string();
  if (first == "controls" || first == "app") return true;
  for (const auto& part : relative)
    if (part == "qt") return true;
  return false;
}

TEST(Architecture, CoreSourcesIncludeNoQtHeader) {
  const fs::path src = fs::path(QUENBY_SOURCE_DIR) / "src";
  const std::regex qtInclude(R"(^\s*#\s*include\s*<Q[A-Za-z]*(/|>))");
  std::vector<std::string> offenders;
  int scanned = 0;
  for (const auto& entry : fs::recursive_directory_iterator(src)) {
    if (!entry.is_regular_file()) continue;
    const auto ext = entry.path().extension();
    if (ext != ".h" && ext != ".cpp") continue;
    if (IsQtDirectory(fs::relative(entry.path(), src))) continue;
    ++scanned;
    std::ifstream in(entry.path());
    std::string line;
    for (int number = 1; std::getline(in, line); ++number)
      if (std::regex_search(line, qtInclude))
        offenders.push_back(fs::relative(entry.path(), src).string() + ":" +
                            std::to_string(number));
  }
  EXPECT_GT(scanned, 0);
  EXPECT_TRUE(offenders.empty()) << "Qt headers in core sources: "
                                 << ::testing::PrintToString(offenders);
}

}  // namespace
