#include "controls/ColumnFitting.h"

#include <algorithm>
#include <numeric>

namespace quenby {

void ShareOutColumns(std::int32_t clientWidth, const std::vector<std::int32_t>& m,
                     std::vector<std::int32_t>& fit) {
  const auto n = static_cast<std::int32_t>(m.size());
  if (n < 2) return;
  fit.resize(m.size(), 90);
  // after[i]: the summed content widths of the columns after i.
  std::vector<std::int64_t> after(m.size(), 0);
  for (std::int32_t i = n - 2; i >= 0; --i) after[i] = after[i + 1] + m[i + 1];

  if (clientWidth >= after[0] + m[0]) {
    for (std::int32_t i = 1; i < n; ++i) fit[i] = m[i];
    fit[0] = static_cast<std::int32_t>(clientWidth - after[0]);
    return;
  }
  std::int32_t r = clientWidth;
  for (std::int32_t i = 0; i < n && r > 0; ++i) {
    const std::int32_t left = n - i;
    std::int32_t w = r <= 16 ? r : r / left + r % left;
    if (i == 0) {
      w += 20;
      if (m[0] <= w + 16) w = m[0];
    }
    if (r - w >= after[i]) w = static_cast<std::int32_t>(r - after[i]);
    if (i >= 1 && w < r) w = std::max(16, std::min(w, m[i]));
    fit[i] = w;
    r -= w;
  }
}

}  // namespace quenby
