#include "platform/Paths.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstring>
#include <memory>

namespace quenby {

namespace {

constexpr std::size_t kMaxNameBytes = 255;

char FoldAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view LastComponent(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// The longest prefix of at most limit bytes that ends on a character
// boundary.
std::size_t Utf8Cut(std::string_view text, std::size_t limit) {
  if (text.size() <= limit) return text.size();
  std::size_t cut = limit;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return cut;
}

}  // namespace

std::string IncludeTrailingBackslash(std::string_view path) {
  std::string result(path);
  if (result.empty() || result.back() != '/') result += '/';
  return result;
}

std::string ExcludeTrailingBackslash(std::string_view path) {
  std::string result(path);
  if (result.size() > 1 && result.back() == '/') result.pop_back();
  return result;
}

std::string ParentFolder(std::string_view path) {
  const std::string trimmed = ExcludeTrailingBackslash(path);
  const std::size_t slash = trimmed.rfind('/');
  if (slash == std::string::npos) return std::string(path);
  return trimmed.substr(0, slash + 1);
}

TSplitPath SplitFirstPart(std::string_view path) {
  const std::size_t slash = path.find('/');
  if (slash == std::string_view::npos) return {std::string(path), {}};
  return {std::string(path.substr(0, slash)), std::string(path.substr(slash + 1))};
}

bool NextListItem(std::string_view list, std::string& item, std::string& rest) {
  if (list.empty()) return false;
  const std::size_t semicolon = list.find(';');
  item = std::string(list.substr(0, semicolon));
  rest =
      semicolon == std::string_view::npos ? std::string() : std::string(list.substr(semicolon + 1));
  return true;
}

bool HasExtension(std::string_view name, std::string_view ext) {
  const std::string_view last = LastComponent(name);
  const std::size_t dot = last.rfind('.');
  if (dot == std::string_view::npos) return ext.empty();
  const std::string_view own = last.substr(dot);
  if (own.size() != ext.size()) return false;
  for (std::size_t i = 0; i < own.size(); ++i)
    if (FoldAscii(own[i]) != FoldAscii(ext[i])) return false;
  return true;
}

std::string PathWithoutDrive(std::string_view path) {
  return std::string(!path.empty() && path.front() == '/' ? path.substr(1) : path);
}

bool HasSubfolders(const std::string& folder) {
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
  if (!dir) return false;
  while (const dirent* entry = ::readdir(dir.get())) {
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    if (entry->d_type == DT_DIR) return true;
    if (entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK) continue;
    struct stat st {};
    const std::string full = IncludeTrailingBackslash(folder) + entry->d_name;
    if (::stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
  }
  return false;
}

std::string CleanFileName(std::string_view text) {
  static constexpr std::string_view kRefused = "\\/:*?\"<>|";
  std::string result;
  for (const char c : text) {
    if (static_cast<unsigned char>(c) < 32) continue;
    if (kRefused.find(c) != std::string_view::npos) {
      if (result.empty() || result.back() != '_') result += '_';
      continue;
    }
    result += c;
  }
  if (result.empty() || result == "." || result == "..") return "_";
  if (result.size() <= kMaxNameBytes) return result;
  // Too long for one name: shorten the stem and keep a short extension.
  const std::size_t dot = result.rfind('.');
  const std::string ext =
      dot != std::string::npos && result.size() - dot <= 16 ? result.substr(dot) : std::string();
  const std::string_view stem(result.data(), result.size() - ext.size());
  return std::string(stem.substr(0, Utf8Cut(stem, kMaxNameBytes - ext.size()))) + ext;
}

bool SameFirstLetter(std::string_view a, std::string_view b) {
  return !a.empty() && !b.empty() && FoldAscii(a.front()) == FoldAscii(b.front());
}

std::string BackupFileName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::size_t dot = path.rfind('.');
  // A dot file (".bashrc") has a name, not an extension.
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash) ||
      dot == (slash == std::string::npos ? 0 : slash + 1))
    return path + ".~";
  return path.substr(0, dot) + ".~" + path.substr(dot + 1);
}

}  // namespace quenby
