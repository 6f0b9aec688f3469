#include "stores/FindStoreRoot.h"

#include <strings.h>
#include <algorithm>
#include <cstdlib>

namespace quenby {

namespace {

constexpr const char* kOutlookKey = "\\Software\\Microsoft\\Outlook Express";
constexpr const char* kStoreRootValue = "Store Root";

std::string FromIdentity(const IRegistry& registry) {
  const auto id = registry.ReadString("\\Identities", "Default User ID");
  if (!id || id->empty()) return {};
  const std::string key = "\\Identities\\" + *id + kOutlookKey;
  std::vector<std::string> versions = registry.SubKeys(key);
  if (versions.empty()) return {};
  // An ordinary caseless sort: the last name is taken as the highest version.
  std::sort(versions.begin(), versions.end(), [](const std::string& a, const std::string& b) {
    return ::strcasecmp(a.c_str(), b.c_str()) < 0;
  });
  return registry.ReadString(key + "\\" + versions.back(), kStoreRootValue).value_or("");
}

}  // namespace

bool ExpandEnvironmentStrings(std::string& text, std::size_t limit) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t close = text[i] == '%' ? text.find('%', i + 1) : std::string::npos;
    if (close == std::string::npos) {
      out += text[i++];
      continue;
    }
    const std::string name = text.substr(i + 1, close - i - 1);
    const char* value = name.empty() ? nullptr : std::getenv(name.c_str());
    if (value) {
      out += value;
      i = close + 1;
    } else {
      // Not a variable: keep the '%' and look for a reference after it.
      out += text[i++];
    }
  }
  if (out.size() > limit) return false;
  text = std::move(out);
  return true;
}

std::string FindStoreRoot(const IRegistry& registry) {
  std::string root = registry.ReadString(kOutlookKey, kStoreRootValue).value_or("");
  if (root.empty()) root = FromIdentity(registry);
  if (root.empty()) return {};
  ExpandEnvironmentStrings(root);
  std::replace(root.begin(), root.end(), '\\', '/');
  if (root.back() != '/') root += '/';
  return root;
}

}  // namespace quenby
