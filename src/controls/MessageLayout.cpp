#include "controls/MessageLayout.h"

#include <algorithm>

namespace quenby {

TMessageLayout LayOutMessage(const TMessageLayoutInput& in) {
  TMessageLayout l;
  const int w = in.Char.Width, h = in.Char.Height;
  l.HMargin = MulDiv(8, w, 4);
  l.VMargin = MulDiv(8, h, 8);
  l.HSpacing = MulDiv(10, w, 4);
  l.VSpacing = MulDiv(10, h, 8);
  l.ButtonHeight = MulDiv(14, h, 8);
  l.ButtonSpacing = MulDiv(4, w, 4);
  l.ButtonWidth = std::max(MulDiv(50, w, 4), in.ButtonTextWidth + 8);

  l.IconTextWidth = in.Icon ? in.TextWidth + kIconSize + l.HSpacing : in.TextWidth;
  l.IconTextHeight = in.Icon ? std::max(in.TextHeight, kIconSize) : in.TextHeight;
  l.ButtonRowWidth =
      in.Buttons > 0 ? in.Buttons * l.ButtonWidth + (in.Buttons - 1) * l.ButtonSpacing : 0;

  int width = std::max(l.IconTextWidth, l.ButtonRowWidth) + 2 * l.HMargin;
  int height = l.IconTextHeight + l.ButtonHeight + l.VSpacing + 2 * l.VMargin;
  width = std::max(width, 2 * in.CaptionWidth);

  const int golden = 162 * height / 100;
  if (golden < width) {
    const int b = 100 * width / 162;
    if (height / 3 >= b - height) height = b;
  } else if (width / 3 >= golden - width) {
    width = golden;
  }
  l.ClientWidth = width;
  l.ClientHeight = height;
  l.TextLeft = l.IconTextWidth - in.TextWidth + l.HMargin;
  l.ButtonsLeft = (width - l.ButtonRowWidth) / 2;
  l.ButtonsTop = l.IconTextHeight + l.VMargin + l.VSpacing;
  return l;
}

}  // namespace quenby
