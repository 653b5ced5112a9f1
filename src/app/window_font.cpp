#include "app/window_font.h"

#include "host/mul_div.h"

namespace cordalis {

std::int32_t FontPointSize(std::int32_t height, std::int32_t pixelsPerInch) {
  return -MulDivRounded(height, 72, pixelsPerInch);
}

std::int32_t FontHeightForPoints(std::int32_t points, std::int32_t pixelsPerInch) {
  return -MulDivRounded(points, pixelsPerInch, 72);
}

std::int32_t WindowFontHeight(std::int32_t messageFontHeight, std::int32_t pixelsPerInch) {
  if (pixelsPerInch <= 0) pixelsPerInch = 96;
  std::int32_t points = FontPointSize(messageFontHeight, pixelsPerInch);
  if (points < kMinWindowFontPoints) return FontHeightForPoints(kMinWindowFontPoints, pixelsPerInch);
  if (points > kMaxWindowFontPoints) return FontHeightForPoints(kMaxWindowFontPoints, pixelsPerInch);
  return messageFontHeight;
}

}  // namespace cordalis
