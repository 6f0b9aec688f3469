#include "settings/IniRegistry.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "settings/WideText.h"

namespace quenby {

namespace {

// Registry paths keep their spelling but lose edge backslashes, so that
// "\software\x" and "software\x" are one section.
std::string SectionOf(const std::string& key) {
  const auto first = key.find_first_not_of('\\');
  if (first == std::string::npos) return {};
  return key.substr(first, key.find_last_not_of('\\') - first + 1);
}

}  // namespace

std::string DefaultRegistryFileName() {
  std::filesystem::path base;
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/') {
    base = config;
  } else {
    const char* home = std::getenv("HOME");
    base = std::filesystem::path(home && *home ? home : ".") / ".config";
  }
  return (base / "Tolvane" / "Quenby Mailer.ini").string();
}

TIniRegistry::TIniRegistry(std::string fileName) : File_(std::move(fileName)) {}

bool TIniRegistry::KeyExists(const std::string& key) const {
  std::lock_guard guard(Mutex_);
  const std::string section = FoldKey(SectionOf(key));
  for (const std::string& name : File_.ReadSections()) {
    const std::string folded = FoldKey(name);
    if (folded == section || folded.starts_with(section + "\\")) return true;
  }
  return false;
}

std::optional<std::string> TIniRegistry::ReadString(const std::string& key,
                                                    const std::string& name) const {
  std::lock_guard guard(Mutex_);
  return File_.Read(SectionOf(key), name);
}

std::vector<std::string> TIniRegistry::SubKeys(const std::string& key) const {
  std::lock_guard guard(Mutex_);
  const std::string prefix = FoldKey(SectionOf(key)) + "\\";
  std::vector<std::string> names;
  for (const std::string& section : File_.ReadSections()) {
    if (!FoldKey(section).starts_with(prefix)) continue;
    const std::string rest = section.substr(prefix.size());
    std::string child = rest.substr(0, rest.find('\\'));
    const auto same = [&](const std::string& n) { return FoldKey(n) == FoldKey(child); };
    if (!child.empty() && std::none_of(names.begin(), names.end(), same))
      names.push_back(std::move(child));
  }
  return names;
}

void TIniRegistry::WriteString(const std::string& key, const std::string& name,
                               const std::string& value) {
  std::lock_guard guard(Mutex_);
  if (File_.Read(SectionOf(key), name) == value) return;  // nothing to save
  const std::filesystem::path folder = std::filesystem::path(File_.FileName()).parent_path();
  std::error_code ec;
  if (!folder.empty()) std::filesystem::create_directories(folder, ec);
  // A failed save must not leave the change in memory as if it were stored.
  const std::string section = SectionOf(key);
  const bool hadSection = File_.SectionExists(section);
  const std::optional<std::string> old = File_.Read(section, name);
  File_.WriteString(section, name, value);
  try {
    File_.UpdateFile();
  } catch (...) {
    if (old)
      File_.WriteString(section, name, *old);
    else if (hadSection)
      File_.DeleteKey(section, name);
    else
      File_.EraseSection(section);
    throw;
  }
}

void TIniRegistry::DeleteKey(const std::string& key) {
  std::lock_guard guard(Mutex_);
  const std::string folded = FoldKey(SectionOf(key));
  const std::string before = File_.Text();
  bool changed = false;
  for (const std::string& section : File_.ReadSections()) {
    const std::string name = FoldKey(section);
    if (name != folded && !name.starts_with(folded + "\\")) continue;
    File_.EraseSection(section);
    changed = true;
  }
  if (!changed) return;
  try {
    File_.UpdateFile();
  } catch (...) {
    File_.SetText(before);
    throw;
  }
}

std::int64_t ReadRegistryInteger(const IRegistry& registry, const std::string& key,
                                 const std::string& name, std::int64_t defaultValue) {
  std::int64_t value;
  const std::optional<std::string> text = registry.ReadString(key, name);
  return text && ParseInt64(*text, value) ? value : defaultValue;
}

void WriteRegistryInteger(IRegistry& registry, const std::string& key, const std::string& name,
                          std::int64_t value) {
  registry.WriteString(key, name, std::to_string(value));
}

}  // namespace quenby
