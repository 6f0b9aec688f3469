#pragma once
// A private folder for one test, removed with its content afterwards.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace quenby::test {

class TTempDir {
 public:
  TTempDir() {
    std::string name = (std::filesystem::temp_directory_path() / "quenby-ini-XXXXXX").string();
    Path_ = ::mkdtemp(name.data()) ? name : std::string();
  }
  ~TTempDir() {
    std::error_code ec;
    std::filesystem::remove_all(Path_, ec);
  }
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;
  std::string operator/(const std::string& name) const { return Path_ + "/" + name; }
  const std::string& Path() const { return Path_; }

 private:
  std::string Path_;
};

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace quenby::test
