#include "settings/AtcDictionary.h"

#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/Errors.h"
#include "platform/LegacyCodePage.h"
#include "settings/Options.h"
#include "settings/SafeFileWriter.h"
#include "settings/ShippedFiles.h"
#include "settings/WideText.h"

namespace quenby {

namespace {

bool IsRegularFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

std::u16string UpperTrimmed(std::u16string_view line) {
  while (!line.empty() && line.front() <= u' ') line.remove_prefix(1);
  while (!line.empty() && line.back() <= u' ') line.remove_suffix(1);
  icu::UnicodeString text(line.data(), static_cast<int32_t>(line.size()));
  text.toUpper(icu::Locale::getRoot());
  return {text.getBuffer(), static_cast<std::size_t>(text.length())};
}

}  // namespace

TAtcDictionary ReadAtcDictionary(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) throw EStreamError(TStreamErrorKind::CannotOpen, fileName);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) throw EStreamError(TStreamErrorKind::Read, fileName);

  TAtcDictionary dictionary;
  const std::u16string text = DecodeIniText(bytes.str());
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find_first_of(u"\r\n", start);
    if (end == std::u16string::npos) end = text.size();
    if (std::u16string entry = UpperTrimmed(std::u16string_view(text).substr(start, end - start));
        !entry.empty())
      dictionary.push_back(std::move(entry));
    start = end + 1;
  }
  return dictionary;
}

void SaveAtcDictionary(const std::string& fileName, const TAtcDictionary& dictionary) {
  std::string utf8;
  for (const std::u16string& entry : dictionary) utf8 += Utf16ToUtf8(entry) + "\r\n";
  std::string bytes;
  if (!Utf8ToLegacy(utf8, bytes)) bytes = "\xEF\xBB\xBF" + utf8;
  SaveFileWhole(fileName, bytes);
}

void PrepareAtcDictionary(TOptions& options) {
  const std::string own = options.DictionaryFile();
  if (IsRegularFile(own)) {
    options.Dictionary() = ReadAtcDictionary(own);
    return;
  }
  const std::string shipped = FindShippedFile(kAtcDictionaryFileName);
  if (shipped.empty()) return;
  options.Dictionary() = ReadAtcDictionary(shipped);
  SaveAtcDictionary(own, options.Dictionary());
}

}  // namespace quenby
