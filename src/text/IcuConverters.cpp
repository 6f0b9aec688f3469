#include "text/IcuConverters.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

#include <memory>
#include <string>
#include <unordered_map>

namespace quenby::icu_detail {

namespace {

struct TCloseConverter {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};

constexpr char16_t kQuestion = u'?';
constexpr char16_t kReplacement = u'\uFFFD';

// ICU's UCNV_TO_U_CALLBACK_SUBSTITUTE gives U+001A for unassigned single
// bytes; this one writes the character passed as its context.
void SubstituteToUnicode(const void* context, UConverterToUnicodeArgs* args, const char*, int32_t,
                         UConverterCallbackReason reason, UErrorCode* status) {
  if (reason > UCNV_IRREGULAR) return;  // reset, close, clone: nothing to write
  *status = U_ZERO_ERROR;
  ucnv_cbToUWriteUChars(args, static_cast<const UChar*>(context), 1, 0, status);
}

bool IsUtfFamily(std::string_view name) {
  return name.size() >= 3 && (name[0] == 'U' || name[0] == 'u') &&
         (name[1] == 'T' || name[1] == 't') && (name[2] == 'F' || name[2] == 'f');
}

std::unique_ptr<UConverter, TCloseConverter> Open(const std::string& name) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<UConverter, TCloseConverter> converter(ucnv_open(name.c_str(), &status));
  if (U_FAILURE(status) || !converter) return nullptr;
  status = U_ZERO_ERROR;
  ucnv_setSubstString(converter.get(), u"?", 1, &status);
  if (U_FAILURE(status)) return nullptr;
  const char16_t* substitute = IsUtfFamily(name) ? &kReplacement : &kQuestion;
  ucnv_setToUCallBack(converter.get(), SubstituteToUnicode, substitute, nullptr, nullptr, &status);
  if (U_FAILURE(status)) return nullptr;
  return converter;
}

}  // namespace

UConverter* ThreadConverter(std::string_view name) {
  // A null entry remembers that ICU lacks the name, so a bad label in every
  // message of a folder costs one failed open per thread.
  thread_local std::unordered_map<std::string, std::unique_ptr<UConverter, TCloseConverter>> cache;
  std::string key(name);
  auto found = cache.find(key);
  if (found == cache.end()) found = cache.emplace(key, Open(key)).first;
  return found->second.get();
}

namespace {

// Runs one of ICU's streaming conversions over all of source, growing out
// as needed. The streaming calls take any 64-bit length; the one-shot
// ucnv_toUChars family stops at 2 GB.
template <class Out, class In, class Convert>
Out Stream(const In* source, const In* sourceEnd, Out out, Convert convert) {
  std::size_t written = 0;
  for (;;) {
    UErrorCode status = U_ZERO_ERROR;
    auto* target = out.data() + written;
    convert(&target, out.data() + out.size(), &source, sourceEnd, &status);
    written = static_cast<std::size_t>(target - out.data());
    if (status != U_BUFFER_OVERFLOW_ERROR) {
      out.resize(U_FAILURE(status) ? 0 : written);
      return out;
    }
    out.resize(out.size() * 2);
  }
}

}  // namespace

std::u16string Decode(UConverter* converter, std::string_view bytes) {
  ucnv_resetToUnicode(converter);
  return Stream(bytes.data(), bytes.data() + bytes.size(), std::u16string(bytes.size() + 16, u'\0'),
                [converter](UChar** t, UChar* te, const char** s, const char* se, UErrorCode* st) {
                  ucnv_toUnicode(converter, t, te, s, se, nullptr, true, st);
                });
}

std::string Encode(UConverter* converter, std::u16string_view text) {
  ucnv_resetFromUnicode(converter);
  return Stream(
      text.data(), text.data() + text.size(),
      std::string(text.size() * static_cast<std::size_t>(ucnv_getMaxCharSize(converter)) + 16,
                  '\0'),
      [converter](char** t, const char* te, const UChar** s, const UChar* se, UErrorCode* st) {
        ucnv_fromUnicode(converter, t, te, s, se, nullptr, true, st);
      });
}

}  // namespace quenby::icu_detail
