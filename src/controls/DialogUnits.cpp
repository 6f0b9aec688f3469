#include "controls/DialogUnits.h"

#include <QFontMetrics>
#include <QString>
#include <cstdlib>

namespace quenby {

TCharSize AverageCharSize(const QFontMetrics& metrics) {
  static const QString kLetters =
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  return {metrics.horizontalAdvance(kLetters) / 52, metrics.height()};
}

int MulDiv(std::int64_t a, std::int64_t b, std::int64_t c) {
  if (c == 0) return 0;
  const std::int64_t product = a * b;
  const bool negative = (product < 0) != (c < 0);
  const std::int64_t magnitude = (std::abs(product) * 2 + std::abs(c)) / (std::abs(c) * 2);
  return static_cast<int>(negative ? -magnitude : magnitude);
}

}  // namespace quenby
