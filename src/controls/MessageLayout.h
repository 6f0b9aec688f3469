#pragma once
// The message box's geometry, as plain numbers so that it can be checked
// against any font: margins from the average character size, the text
// beside a 32-pixel icon, one row of equal buttons, and a nudge towards
// the golden proportion 162:100 when that grows the short side by at most
// a third.

#include "controls/DialogUnits.h"

namespace quenby {

struct TMessageLayoutInput {
  TCharSize Char;
  int TextWidth = 0;   // TW: the wrapped message
  int TextHeight = 0;  // TH
  bool Icon = true;
  int Buttons = 0;
  int ButtonTextWidth = 0;  // the widest button text
  int CaptionWidth = 0;
};

struct TMessageLayout {
  int HMargin = 0, VMargin = 0, HSpacing = 0, VSpacing = 0;
  int ButtonWidth = 0, ButtonHeight = 0, ButtonSpacing = 0;
  int IconTextWidth = 0, IconTextHeight = 0;  // IW, IH
  int ButtonRowWidth = 0;                     // BW
  int ClientWidth = 0, ClientHeight = 0;
  int TextLeft = 0;     // left to right; mirrored by the caller
  int ButtonsLeft = 0;  // the first button
  int ButtonsTop = 0;
};

inline constexpr int kIconSize = 32;

TMessageLayout LayOutMessage(const TMessageLayoutInput& in);

}  // namespace quenby
