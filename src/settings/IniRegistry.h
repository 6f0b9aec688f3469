#pragma once
// The persistent registry stand-in: one INI file, one section per key path
// ("[software\Tolvane\Quenby Mailer]"), one line per value. Paths and value
// names match ignoring case, as in the registry. Every change is saved at
// once, safely, so a crash never loses more than the change under way.

#include <mutex>
#include <string>

#include "platform/Registry.h"
#include "settings/IniFile.h"

namespace quenby {

// $XDG_CONFIG_HOME/Tolvane/Quenby Mailer.ini, or ~/.config/... without it.
std::string DefaultRegistryFileName();

class TIniRegistry : public IRegistry {
 public:
  explicit TIniRegistry(std::string fileName = DefaultRegistryFileName());

  bool KeyExists(const std::string& key) const override;
  std::optional<std::string> ReadString(const std::string& key,
                                        const std::string& name) const override;
  std::vector<std::string> SubKeys(const std::string& key) const override;
  // Creates the file's folder when needed; raises EStreamError (IniFile).
  void WriteString(const std::string& key, const std::string& name,
                   const std::string& value) override;
  // Raises EStreamError (IniFile) and keeps the key when the save fails.
  void DeleteKey(const std::string& key) override;

  TIniFile& File() { return File_; }  // for tests: the write seam

 private:
  mutable std::mutex Mutex_;
  TIniFile File_;
};

// Integer values are stored as decimal text.
std::int64_t ReadRegistryInteger(const IRegistry& registry, const std::string& key,
                                 const std::string& name, std::int64_t defaultValue);
void WriteRegistryInteger(IRegistry& registry, const std::string& key, const std::string& name,
                          std::int64_t value);

}  // namespace quenby
