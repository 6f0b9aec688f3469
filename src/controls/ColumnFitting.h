#pragma once
// How the client width is shared out over the columns, as a pure function
// of the width and the measured content widths.

#include <cstdint>
#include <vector>

namespace quenby {

// contentWidths[i] is the widest text of column i plus 16. fitWidths comes
// in with the previous fitting (columns after the point where the width ran
// out keep theirs) and goes out with the new one. Nothing happens with
// fewer than two columns.
void ShareOutColumns(std::int32_t clientWidth, const std::vector<std::int32_t>& contentWidths,
                     std::vector<std::int32_t>& fitWidths);

// The first row from start whose first-column text begins with prefix,
// ignoring case; rows are searched to the end and, with wrap, on from row 0
// up to the row before start. -1 when none matches or there are no rows.
template <class RowText>
std::int32_t FindPrefixRow(std::int32_t count, std::int32_t start, bool wrap, RowText&& matches) {
  if (count <= 0) return -1;
  if (start < 0 || start >= count) start = 0;
  for (std::int32_t row = start; row < count; ++row)
    if (matches(row)) return row;
  if (wrap)
    for (std::int32_t row = 0; row < start; ++row)
      if (matches(row)) return row;
  return -1;
}

}  // namespace quenby
