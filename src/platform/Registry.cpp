#include "platform/Registry.h"

#include <algorithm>
#include <cctype>

namespace quenby {

namespace {

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

}  // namespace

std::string NormalizeRegistryKey(const std::string& key) {
  const auto first = key.find_first_not_of('\\');
  if (first == std::string::npos) return {};
  const auto last = key.find_last_not_of('\\');
  return Lower(key.substr(first, last - first + 1));
}

bool TMemoryRegistry::KeyExists(const std::string& key) const {
  const std::string k = NormalizeRegistryKey(key);
  if (Keys_.count(k)) return true;
  const auto it = Keys_.lower_bound(k + "\\");
  return it != Keys_.end() && it->first.compare(0, k.size() + 1, k + "\\") == 0;
}

std::optional<std::string> TMemoryRegistry::ReadString(const std::string& key,
                                                       const std::string& name) const {
  const auto it = Keys_.find(NormalizeRegistryKey(key));
  if (it == Keys_.end()) return std::nullopt;
  const auto value = it->second.Values.find(Lower(name));
  if (value == it->second.Values.end()) return std::nullopt;
  return value->second;
}

std::vector<std::string> TMemoryRegistry::SubKeys(const std::string& key) const {
  const std::string prefix = NormalizeRegistryKey(key) + "\\";
  std::vector<std::string> names;
  for (auto it = Keys_.lower_bound(prefix); it != Keys_.end() && it->first.starts_with(prefix);
       ++it) {
    const std::string rest = it->second.Name.substr(prefix.size());
    const std::string child = rest.substr(0, rest.find('\\'));
    if (std::find(names.begin(), names.end(), child) == names.end()) names.push_back(child);
  }
  return names;
}

void TMemoryRegistry::WriteString(const std::string& key, const std::string& name,
                                  const std::string& value) {
  const std::string k = NormalizeRegistryKey(key);
  TKey& entry = Keys_[k];
  if (entry.Name.empty()) {
    const auto first = key.find_first_not_of('\\');
    entry.Name = key.substr(first, k.size());
  }
  entry.Values[Lower(name)] = value;
}

void TMemoryRegistry::DeleteKey(const std::string& key) {
  const std::string k = NormalizeRegistryKey(key);
  const std::string below = k + "\\";
  std::erase_if(
      Keys_, [&](const auto& entry) { return entry.first == k || entry.first.starts_with(below); });
}

}  // namespace quenby
