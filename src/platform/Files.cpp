#include "platform/Files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <vector>

#include "platform/Errors.h"
#include "platform/Paths.h"

namespace quenby {

namespace {

std::string EnvFolder(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return value && *value == '/' ? std::string(value) : fallback;
}

std::string Home() {
  return EnvFolder("HOME", {});
}

}  // namespace

bool IsReadOnly(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && (st.st_mode & S_IWUSR) == 0;
}

void SetReadOnlyAttribute(const std::string& path, bool readOnly) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return;
  const mode_t mode = readOnly ? (st.st_mode & ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH))
                               : (st.st_mode | S_IWUSR);
  ::chmod(path.c_str(), mode & 07777);
}

bool DeleteFileForce(const std::string& path) {
  if (::unlink(path.c_str()) == 0) return true;
  if (!IsReadOnly(path)) return false;
  SetReadOnlyAttribute(path, false);
  return ::unlink(path.c_str()) == 0;
}

void BackupFile(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return;
  if (::rename(path.c_str(), BackupFileName(path).c_str()) != 0)
    throw EStreamError(TStreamErrorKind::CannotCreate, path, std::strerror(errno));
}

std::string CreateShellLink(const std::string& target, const std::string& name) {
  for (int n = 0;; ++n) {
    std::string link = name;
    if (n > 0) link.append("(").append(std::to_string(n)).append(")");
    link.append(".lnk");
    if (::symlink(target.c_str(), link.c_str()) == 0) return link;
    if (errno != EEXIST)
      throw EStreamError(TStreamErrorKind::CannotCreate, link, std::strerror(errno));
  }
}

std::string ResolveShellLink(const std::string& link) {
  std::error_code ec;
  const std::filesystem::path target = std::filesystem::canonical(link, ec);
  return ec ? std::string() : target.string();
}

std::string SpecialFolder(TSpecialFolder id) {
  const std::string home = Home();
  const auto under = [&](const char* rest) {
    std::string path;
    if (!home.empty()) path.append(home).append(rest);
    return path;
  };
  std::string folder;
  switch (id) {
    case TSpecialFolder::AppData:
      folder = EnvFolder("XDG_DATA_HOME", under("/.local/share"));
      break;
    case TSpecialFolder::Config: folder = EnvFolder("XDG_CONFIG_HOME", under("/.config")); break;
    case TSpecialFolder::Documents:
      folder = EnvFolder("XDG_DOCUMENTS_DIR", under("/Documents"));
      break;
    case TSpecialFolder::Desktop: {
      folder = EnvFolder("XDG_DESKTOP_DIR", under("/Desktop"));
      std::error_code ec;
      if (!std::filesystem::is_directory(folder, ec)) folder = home;
      break;
    }
  }
  return folder.empty() ? folder : IncludeTrailingBackslash(folder);
}

std::string TempFolder() {
  static std::mutex mutex;
  static std::string folder;
  std::lock_guard guard(mutex);
  if (!folder.empty()) return folder;
  std::string pattern = IncludeTrailingBackslash(EnvFolder("TMPDIR", "/tmp"));
  pattern.append("quenby-mailer-XXXXXX");
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (!::mkdtemp(name.data()))
    throw EStreamError(TStreamErrorKind::CannotCreate, pattern, std::strerror(errno));
  folder = IncludeTrailingBackslash(name.data());
  return folder;
}

}  // namespace quenby
