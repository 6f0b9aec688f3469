#pragma once
// File dialog filters from the language section "FileExt". An entry is
// either Qt's "Messages (*.eml *.msg)" or the old "Messages|*.eml;*.msg"
// pair, which is converted; "*.*" becomes "*", which also matches names
// without a dot.

#include <initializer_list>
#include <string>
#include <string_view>

namespace quenby {

// The entries for keys, in order, joined with ";;"; missing keys are left out.
std::u16string FileDialogFilter(std::initializer_list<std::u16string_view> keys);

}  // namespace quenby
