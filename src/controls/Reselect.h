#pragma once
// Which row to select again after a collection was reloaded.

#include <cstdint>

namespace quenby {

struct TReselectState {
  std::int32_t Count = 0;            // rows now
  std::int32_t PendingKeyRow = -1;   // row of the pending key, when one was handed over
  std::int32_t CurrentItemRow = -1;  // row of the item last announced, if still there
  std::int32_t CurrentKeyRow = -1;   // first row with that item's key
  std::int32_t CurrentIndex = -1;    // the row it was announced at
};

// The row to select, or -1 for none: the pending key's row first; else,
// with more than one row, the remembered item, its key, then its old row,
// limited to the last row.
std::int32_t ReselectRow(const TReselectState& s);

}  // namespace quenby
