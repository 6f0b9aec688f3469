#include "text/Collation.h"

#include <unicode/ucol.h>

#include <memory>

namespace quenby {

namespace {

struct TCloseCollator {
  void operator()(UCollator* collator) const { ucol_close(collator); }
};

// Opened once per thread; nil when ICU has no collator for the locale.
UCollator* ThreadCollator() {
  thread_local const std::unique_ptr<UCollator, TCloseCollator> collator = [] {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UCollator, TCloseCollator> opened(ucol_open(nullptr, &status));
    return U_FAILURE(status) ? nullptr : std::move(opened);
  }();
  return collator.get();
}

template <class T>
int Sign(T a, T b) {
  return a < b ? -1 : a == b ? 0 : 1;
}

int FromResult(UCollationResult result) {
  return result == UCOL_LESS ? -1 : result == UCOL_EQUAL ? 0 : 1;
}

}  // namespace

int CollateWide(std::u16string_view a, std::u16string_view b) {
  UCollator* collator = ThreadCollator();
  if (!collator) return Sign(a, b);
  return FromResult(ucol_strcoll(collator, a.data(), static_cast<int32_t>(a.size()), b.data(),
                                 static_cast<int32_t>(b.size())));
}

int CollateUtf8(std::string_view a, std::string_view b) {
  UCollator* collator = ThreadCollator();
  if (!collator) return Sign(a, b);
  UErrorCode status = U_ZERO_ERROR;
  const UCollationResult result =
      ucol_strcollUTF8(collator, a.data(), static_cast<int32_t>(a.size()), b.data(),
                       static_cast<int32_t>(b.size()), &status);
  // Ill-formed UTF-8 is compared with U+FFFD by ICU; a failure here is
  // only a missing collator's, answered by the bytes.
  return U_FAILURE(status) ? Sign(a, b) : FromResult(result);
}

std::string CollationKey(std::u16string_view text) {
  UCollator* collator = ThreadCollator();
  if (!collator) {
    // Big-endian code units keep the code units' order as bytes.
    std::string key;
    key.reserve(text.size() * 2);
    for (const char16_t c : text) {
      key.push_back(static_cast<char>(c >> 8));
      key.push_back(static_cast<char>(c & 0xFF));
    }
    return key;
  }
  std::string key(text.size() * 2 + 16, '\0');
  for (;;) {
    const int32_t length =
        ucol_getSortKey(collator, text.data(), static_cast<int32_t>(text.size()),
                        reinterpret_cast<uint8_t*>(key.data()), static_cast<int32_t>(key.size()));
    // The length counts the terminating zero, which the key does not keep.
    if (length <= static_cast<int32_t>(key.size())) {
      key.resize(length > 0 ? static_cast<std::size_t>(length - 1) : 0);
      return key;
    }
    key.resize(static_cast<std::size_t>(length));
  }
}

}  // namespace quenby
