#include "cli/ErrorText.h"

#include "settings/GlobStrings.h"
#include "settings/ShippedFiles.h"
#include "settings/WideText.h"

namespace quenby::cli {

void LoadToolLanguage() {
  const std::string file = FindShippedFile(kLanguageFileName);
  if (file.empty() || GlobStrings()->LoadedFile() == file) return;
  try {
    LoadLanguage(file);
  } catch (const std::exception&) {
    // A broken language file must not hide the error being reported.
  }
}

std::string StreamErrorText(const EStreamError& error) {
  std::u16string kind;
  try {
    kind = SectionText(static_cast<std::int32_t>(error.Kind()), TLangSection::Error);
  } catch (const EListError&) {
    return error.what();
  }
  std::string text = Utf16ToUtf8(kind);
  if (!error.Path().empty()) text += ": " + error.Path();
  if (error.Offset() >= 0) text += " at offset " + std::to_string(error.Offset());
  if (!error.Detail().empty()) text += " (" + error.Detail() + ")";
  return text;
}

}  // namespace quenby::cli
