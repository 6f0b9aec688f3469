#include "app/TriLayout.h"

#include <algorithm>

namespace quenby {

int GoldenPart(int value) {
  return static_cast<int>((100LL * value + 81) / 162);
}

TTriLayout TriLayout(const QRect& area, bool showTree, bool showPane) {
  const int h = std::max(0, area.height());
  const int w = std::max(0, area.width());
  const int band = showPane ? h - GoldenPart(h) : h;
  const int tree = showTree ? w - GoldenPart(w) : 0;
  auto box = [](int left, int top, int width, int height) {
    return QRect(left, top, std::max(0, width), std::max(0, height));
  };
  TTriLayout layout;
  const int left = area.left();
  const int top = area.top();
  if (showTree) layout.Tree = box(left, top, tree - 1, band - 1);
  layout.List = box(left + tree, top, w - tree, band - 1);
  if (showPane) layout.Pane = box(left, top + band, w, h - band);
  return layout;
}

}  // namespace quenby
