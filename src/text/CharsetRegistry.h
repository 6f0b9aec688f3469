#pragma once
// The registry of charset names: every IANA preferred name and alias is an
// entry with its own number, and the entries of one charset form a group
// whose first entry gives the group's canonical number. A few labels that
// real mail uses but IANA lacks ("utf8", "cp1251", "koi8r") join their group.
// Numbers are internal to the process; nothing stores them.

#include <cstdint>
#include <string>
#include <string_view>

namespace quenby {

using TCharsetNumber = std::int32_t;  // 0: no name, or a name the registry lacks

// Lower-case; drop a leading "x-" when more follows ("x-koi8-r" -> "koi8-r").
std::string NormalizeCharsetName(std::string_view name);

// Number of a name, matched ignoring case (without normalising); 0 when absent.
TCharsetNumber CharsetNumber(std::string_view name);
// NormalizeCharsetName, then CharsetNumber.
TCharsetNumber CharsetNumberOfLabel(std::string_view label);
// First entry of the number's group; a number outside every group is its own.
TCharsetNumber CanonicalCharset(TCharsetNumber number);
// The registry's spelling of the number's name; empty for numbers it lacks.
std::string_view CharsetName(TCharsetNumber number);

}  // namespace quenby
