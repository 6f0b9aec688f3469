#pragma once
// Saves objects to an INI file and restores them, property by property,
// section by section. A filer lives for one save or one load: it holds the
// file in memory, and UpdateFile writes it whole (safely) at the end of a
// save; a filer destroyed without UpdateFile leaves the file as it was.

#include <string>
#include <string_view>

#include "settings/IniFile.h"
#include "settings/Persistent.h"

namespace quenby {

enum class TIniFilerMode {
  Update,   // start from the file's content
  Rewrite,  // start empty: the save replaces the whole file
};

class TIniFiler {
 public:
  // Raises EStreamError (IniFile) when the file exists but cannot be read.
  explicit TIniFiler(std::string fileName, TIniFilerMode mode = TIniFilerMode::Update);

  TIniFile& IniFile() { return File_; }
  const std::string& Section() const { return Section_; }
  void SetSection(std::string section) { Section_ = std::move(section); }

  std::string ReadValue(std::string_view key) const;  // empty when missing
  void WriteValue(std::string_view key, std::string_view text);

  void ReadObject(TPersistent* object);
  void WriteObject(TPersistent* object);
  void ReadProperties(TPersistent* object);
  void WriteProperties(TPersistent* object);
  void ReadProperty(TPersistent* object, const TPropInfo* property);
  void WriteProperty(TPersistent* object, const TPropInfo* property);
  void ReadPropertyByName(TPersistent* object, std::string_view name);
  void WritePropertyByName(TPersistent* object, std::string_view name);

  // Writes the file when anything changed; raises EStreamError (IniFile)
  // and keeps the old file when that fails.
  void UpdateFile();

 private:
  void WalkObject(TPersistent* object, bool reading);
  void WalkProperties(TPersistent* object, bool reading);
  void ReadCollection(TIniCollection& collection);
  void WriteCollection(TIniCollection& collection);
  bool Persisted(const TPersistent& object, const TPropInfo& property) const;

  TIniFile File_;
  std::string Section_;
};

}  // namespace quenby
