// Golden runs of the quenby tool. Each tests/data/<format>/<case>.expected
// begins with the command line ("$ quenby VERB ARGS", run inside that
// folder) and then holds what the tool prints: standard output, then
// standard error, then "[exit N]" when N is not 0. Adding a case needs no
// code. QUENBY_UPDATE_GOLDEN=1 rewrites the files from what the tool prints.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/Tool.h"

namespace quenby::test {
namespace {

namespace fs = std::filesystem;

const char* const kGoldenFolders[] = {"dbx", "broken", "mbox", "files"};

struct TGolden {
  std::string Name;
  fs::path File;
};

std::vector<TGolden> FindGoldens() {
  std::vector<TGolden> cases;
  for (const char* folder : kGoldenFolders) {
    const fs::path dir = fs::path(QUENBY_TEST_DATA) / folder;
    for (const auto& entry : fs::directory_iterator(dir))
      if (entry.path().extension() == ".expected")
        cases.push_back({std::string(folder) + "/" + entry.path().stem().string(), entry.path()});
  }
  std::sort(cases.begin(), cases.end(),
            [](const auto& a, const auto& b) { return a.Name < b.Name; });
  return cases;
}

std::string ReadWhole(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> SplitArgs(const std::string& line) {
  std::istringstream words(line);
  std::vector<std::string> args;
  for (std::string word; words >> word;) args.push_back(word);
  return args;
}

TEST(Golden, ToolPrintsTheExpectedText) {
  const auto cases = FindGoldens();
  ASSERT_FALSE(cases.empty());
  const fs::path home = fs::current_path();
  for (const auto& golden : cases) {
    SCOPED_TRACE(golden.Name);
    const std::string expected = ReadWhole(golden.File);
    const std::size_t lineEnd = expected.find('\n');
    const std::string command = expected.substr(0, lineEnd);
    ASSERT_TRUE(command.starts_with("$ quenby ")) << "first line must be the command";
    std::ostringstream out, err;
    fs::current_path(golden.File.parent_path());
    const int code = cli::RunTool(SplitArgs(command.substr(9)), out, err);
    fs::current_path(home);
    std::string actual = command + "\n" + out.str() + err.str();
    if (code != 0) actual += "[exit " + std::to_string(code) + "]\n";
    if (std::getenv("QUENBY_UPDATE_GOLDEN")) {
      std::ofstream(golden.File, std::ios::binary | std::ios::trunc) << actual;
      continue;
    }
    EXPECT_EQ(actual, expected);
  }
}

}  // namespace
}  // namespace quenby::test
