#pragma once
// The user's collation (ICU's default locale), for ordering message lists.
// ICU collators are not shareable between threads: each thread opens its own.

#include <string>
#include <string_view>

namespace quenby {

// Negative, zero or positive. Without a collator, the code units' order.
int CollateWide(std::u16string_view a, std::u16string_view b);
int CollateUtf8(std::string_view a, std::string_view b);
// A byte key whose plain byte order (unsigned) is CollateWide's order.
std::string CollationKey(std::u16string_view text);

}  // namespace quenby
