#include "platform/CaseFold.h"

#include <unicode/uchar.h>
#include <unicode/unistr.h>

namespace quenby {

bool SameTextUtf8(std::string_view a, std::string_view b) {
  if (a.size() == b.size() && a == b) return true;
  const icu::UnicodeString ua =
      icu::UnicodeString::fromUTF8(icu::StringPiece(a.data(), static_cast<int32_t>(a.size())));
  const icu::UnicodeString ub =
      icu::UnicodeString::fromUTF8(icu::StringPiece(b.data(), static_cast<int32_t>(b.size())));
  return ua.caseCompare(ub, U_FOLD_CASE_DEFAULT) == 0;
}

}  // namespace quenby
