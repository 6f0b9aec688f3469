#include "platform/LegacyCodePage.h"

#include <unicode/ucnv.h>
#include <unicode/unistr.h>

#include <cstdlib>
#include <mutex>

namespace quenby {

namespace {

std::mutex Mutex;
std::string Chosen;

std::string FromEnvironment() {
  if (const char* forced = std::getenv("QUENBY_LEGACY_CODEPAGE"); forced && *forced) return forced;
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(name);
    if (!value || !*value) continue;
    const std::string_view lang(value);
    for (const char* cyrillic : {"ru", "uk", "be", "bg"})
      if (lang.substr(0, 2) == cyrillic) return "windows-1251";
    break;
  }
  return "windows-1252";
}

}  // namespace

std::string LegacyCodePage() {
  std::lock_guard guard(Mutex);
  if (Chosen.empty()) Chosen = FromEnvironment();
  return Chosen;
}

void SetLegacyCodePage(std::string name) {
  std::lock_guard guard(Mutex);
  Chosen = name.empty() ? FromEnvironment() : std::move(name);
}

std::string LegacyToUtf8(std::string_view bytes) {
  const std::string codePage = LegacyCodePage();
  UErrorCode status = U_ZERO_ERROR;
  UConverter* converter = ucnv_open(codePage.c_str(), &status);
  if (U_FAILURE(status)) return std::string(bytes);
  // ICU's default substitute for an unmappable byte is U+001A; the program shows "?".
  ucnv_setSubstString(converter, u"?", 1, &status);
  status = U_ZERO_ERROR;
  const icu::UnicodeString text(bytes.data(), static_cast<int32_t>(bytes.size()), converter,
                                status);
  ucnv_close(converter);
  std::string out;
  text.toUTF8String(out);
  return out;
}

bool Utf8ToLegacy(std::string_view text, std::string& out) {
  const std::string codePage = LegacyCodePage();
  UErrorCode status = U_ZERO_ERROR;
  UConverter* converter = ucnv_open(codePage.c_str(), &status);
  if (U_FAILURE(status)) return false;
  // Stop at the first character the page cannot hold instead of writing a
  // substitute.
  ucnv_setFromUCallBack(converter, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
  const icu::UnicodeString wide = icu::UnicodeString::fromUTF8(
      icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
  out.resize(static_cast<std::size_t>(UCNV_GET_MAX_BYTES_FOR_STRING(wide.length(), 1)));
  const int32_t length = ucnv_fromUChars(converter, out.data(), static_cast<int32_t>(out.size()),
                                         wide.getBuffer(), wide.length(), &status);
  ucnv_close(converter);
  if (U_FAILURE(status)) return false;
  out.resize(static_cast<std::size_t>(length));
  return true;
}

}  // namespace quenby
