#pragma once
// The main window's font: the system's message font, its size held to 8..12
// points so that the window's layout stays readable and fits.
#include <cstdint>

namespace cordalis {

inline constexpr std::int32_t kMinWindowFontPoints = 8;
inline constexpr std::int32_t kMaxWindowFontPoints = 12;

// The point size of a font of the given LOGFONT height (negative: the
// character height in pixels) at pixelsPerInch: -height * 72 / pixelsPerInch,
// rounded as MulDiv rounds.
std::int32_t FontPointSize(std::int32_t height, std::int32_t pixelsPerInch);
// The LOGFONT height of a font of points size: -(points * pixelsPerInch / 72).
std::int32_t FontHeightForPoints(std::int32_t points, std::int32_t pixelsPerInch);

// The height to give the window's font: the message font's own height when
// its size lies within 8..12 points, else the height of 8 or 12 points. A
// pixelsPerInch that is not positive counts as 96.
std::int32_t WindowFontHeight(std::int32_t messageFontHeight, std::int32_t pixelsPerInch);

}  // namespace cordalis
