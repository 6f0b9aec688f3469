#pragma once
// Dialog geometry from the font: the average character size (the 52
// letters A-Z and a-z measured, divided by 52) and the one rounding rule
// of dialog arithmetic.

#include <cstdint>

class QFontMetrics;

namespace quenby {

struct TCharSize {
  int Width = 0;   // W
  int Height = 0;  // H
};

TCharSize AverageCharSize(const QFontMetrics& metrics);

// a*b/c in 64 bits, rounded to the nearest integer, halves away from zero.
int MulDiv(std::int64_t a, std::int64_t b, std::int64_t c);

}  // namespace quenby
