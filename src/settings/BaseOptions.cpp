#include "settings/BaseOptions.h"

#include <filesystem>

#include "platform/Version.h"
#include "settings/GlobStrings.h"
#include "settings/ShippedFiles.h"
#include "settings/WideText.h"

namespace quenby {

namespace {

bool FileExists(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

std::u16string FileNotFound(const std::string& path) {
  return FormatText(u"%s:/n%s", {u"File not found", path});
}

std::string AskForFile(IOptionsDialogs& dialogs, const std::string& preset) {
  std::optional<std::string> chosen = dialogs.OpenFile(preset);
  if (!chosen) throw ECancelled();
  return *chosen;
}

}  // namespace

TBaseOptions::TBaseOptions(IRegistry& registry, IOptionsDialogs& dialogs)
    : Registry_(registry), Dialogs_(dialogs) {
  try {
    LanguageFile_ = Registry_.ReadString(kProgramKey, "LanguageFile").value_or(std::string());
  } catch (const std::exception&) {
    LanguageFile_.clear();
  }
  if (!FileExists(LanguageFile_)) {
    if (!LanguageFile_.empty()) Dialogs_.ErrorBox(FileNotFound(LanguageFile_));
    const std::string shipped = FindShippedFile(kLanguageFileName);
    LanguageFile_ = FileExists(shipped) ? shipped : AskForFile(Dialogs_, LanguageFile_);
  }
  for (;;) {
    try {
      LoadLanguage(LanguageFile_);
      break;
    } catch (const std::exception& e) {
      Dialogs_.ErrorBox(
          FormatText(u"Invalid reading file: %s/nerror Message:/n%s", {LanguageFile_, e.what()}));
      LanguageFile_ = AskForFile(Dialogs_, LanguageFile_);
    }
  }
  StoreLanguageFile();
  Version_ = ProgramVersion();
}

TBaseOptions::~TBaseOptions() {
  SetGlobStrings(nullptr);
}

void TBaseOptions::ChangeLanguage(const std::string& requested) {
  const std::string fileName = requested;  // may be LanguageFile_ itself, which changes below
  const std::string loaded = GlobStrings()->LoadedFile();
  if (fileName.empty() || fileName == loaded) return;
  LanguageFile_ = loaded;
  if (!FileExists(fileName)) {
    Dialogs_.ShowError(FileNotFound(fileName));
    return;
  }
  try {
    LoadLanguage(fileName);
    LanguageFile_ = fileName;
  } catch (const EIniStringsError& e) {
    Dialogs_.ShowError(Utf8ToUtf16(e.what()));
  } catch (...) {
    Dialogs_.ShowFileError(fileName, std::current_exception());
  }
}

void TBaseOptions::ApplyLanguageFile() {
  ChangeLanguage(LanguageFile_);
  StoreLanguageFile();
}

void TBaseOptions::StoreLanguageFile() {
  try {
    Registry_.WriteString(kProgramKey, "LanguageFile", LanguageFile_);
  } catch (const std::exception&) {
    // The choice is asked for again on the next start.
  }
}

}  // namespace quenby
