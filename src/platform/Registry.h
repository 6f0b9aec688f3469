#pragma once
// The stand-in for the current user's registry hive: keys with
// backslash-separated paths ("software\Tolvane\Quenby Mailer"), matched
// ignoring ASCII case, holding named string values and sub-keys.
//
// The in-memory hive serves tests and the first run; the persistent hive is
// an INI file of the program's own INI code.

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quenby {

class IRegistry {
 public:
  virtual ~IRegistry() = default;
  virtual bool KeyExists(const std::string& key) const = 0;
  virtual std::optional<std::string> ReadString(const std::string& key,
                                                const std::string& name) const = 0;
  // Names of the direct sub-keys of key, in no particular order.
  virtual std::vector<std::string> SubKeys(const std::string& key) const = 0;
  virtual void WriteString(const std::string& key, const std::string& name,
                           const std::string& value) = 0;
  // Removes the key with its values and sub-keys; nothing for a missing key.
  virtual void DeleteKey(const std::string& key) = 0;
};

class TMemoryRegistry : public IRegistry {
 public:
  bool KeyExists(const std::string& key) const override;
  std::optional<std::string> ReadString(const std::string& key,
                                        const std::string& name) const override;
  std::vector<std::string> SubKeys(const std::string& key) const override;
  void WriteString(const std::string& key, const std::string& name,
                   const std::string& value) override;
  void DeleteKey(const std::string& key) override;

 private:
  // Normalised key (lower case, no leading or trailing backslash) ->
  // the key's name as first written, and its values by lower-cased name.
  struct TKey {
    std::string Name;
    std::map<std::string, std::string> Values;
  };
  std::map<std::string, TKey> Keys_;
};

// Lower-cases ASCII and strips leading and trailing backslashes.
std::string NormalizeRegistryKey(const std::string& key);

}  // namespace quenby
