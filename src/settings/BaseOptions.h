#pragma once
// The options base: chooses and loads the language file, and owns the
// language table in force for as long as it lives.
//
// The named mutex of the original design is not kept: nothing ever waited
// on it, and the single instance is decided elsewhere.

#include <string>

#include "platform/Registry.h"
#include "settings/OptionsDialogs.h"
#include "settings/Persistent.h"

namespace quenby {

inline constexpr const char* kProgramKey = "software\\Tolvane\\Quenby Mailer";

class TBaseOptions : public TIniPersistent {
 public:
  // Loads the language: the registry's "LanguageFile", else the shipped
  // file; a missing file is reported and the shipped one tried, then the
  // user is asked; a file that does not load is reported and the user
  // asked again. Raises ECancelled when the user gives up.
  TBaseOptions(IRegistry& registry, IOptionsDialogs& dialogs);
  ~TBaseOptions() override;
  TBaseOptions(const TBaseOptions&) = delete;
  TBaseOptions& operator=(const TBaseOptions&) = delete;

  std::u16string GetSectionName() const override { return u"Options"; }

  // Loads another language; a file that fails is reported, and the texts,
  // LanguageFile and the stored choice stay those of the file in force.
  void ChangeLanguage(const std::string& fileName);
  // ChangeLanguage(LanguageFile), then remembers the file in force.
  void ApplyLanguageFile();

  const std::string& OptionsFile() const { return OptionsFile_; }
  void SetOptionsFile(std::string file) { OptionsFile_ = std::move(file); }
  const std::string& Version() const { return Version_; }
  const std::string& LanguageFile() const { return LanguageFile_; }
  void SetLanguageFile(std::string file) { LanguageFile_ = std::move(file); }

 protected:
  IRegistry& Registry() const { return Registry_; }
  IOptionsDialogs& Dialogs() const { return Dialogs_; }

 private:
  void StoreLanguageFile();

  IRegistry& Registry_;
  IOptionsDialogs& Dialogs_;
  std::string OptionsFile_;
  std::string Version_;
  std::string LanguageFile_;
};

}  // namespace quenby
