#include "controls/Reselect.h"

namespace quenby {

std::int32_t ReselectRow(const TReselectState& s) {
  if (s.PendingKeyRow >= 0) return s.PendingKeyRow;
  std::int32_t r = 0;
  if (s.Count > 1) {
    r = s.CurrentItemRow;
    if (r < 0) r = s.CurrentKeyRow;
    if (r < 0) r = s.CurrentIndex;
  }
  if (r > s.Count - 1) r = s.Count - 1;
  return r >= 0 ? r : -1;
}

}  // namespace quenby
