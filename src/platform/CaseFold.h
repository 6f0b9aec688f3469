#pragma once
// Caseless comparison of UTF-8 byte strings (full Unicode case folding).

#include <string_view>

namespace quenby {

bool SameTextUtf8(std::string_view a, std::string_view b);

}  // namespace quenby
