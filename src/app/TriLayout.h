#pragma once
// Where the explorer's three panes go: the upper band (tree and list) and
// the tree each get the smaller part of the golden section of the area.

#include <QRect>

namespace quenby {

struct TTriLayout {
  QRect Tree;  // empty when no tree is shown
  QRect List;
  QRect Pane;  // empty when no pane is shown
};

// 100 * value / 162 rounded to nearest, as the window's proportions need.
int GoldenPart(int value);

// area: the client area between the tool bar and the status bar. Areas
// too small (or negative) give empty rectangles, never negative sizes.
TTriLayout TriLayout(const QRect& area, bool showTree, bool showPane);

}  // namespace quenby
