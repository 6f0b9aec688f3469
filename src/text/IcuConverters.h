#pragma once
// Private to quenby_text: ICU converters, opened once per thread and kept for
// the thread's life (ICU converters are not shareable between threads).

#include <string>
#include <string_view>

struct UConverter;

namespace quenby::icu_detail {

// The calling thread's converter for an ICU name; null when ICU lacks it.
// Decoding writes "?" for bytes the charset does not assign (U+FFFD for the
// UTF family), encoding writes "?" for characters it cannot hold: ICU's own
// substitute is U+001A / byte 1A, which the program never shows.
UConverter* ThreadConverter(std::string_view name);

std::u16string Decode(UConverter* converter, std::string_view bytes);
std::string Encode(UConverter* converter, std::u16string_view text);

}  // namespace quenby::icu_detail
