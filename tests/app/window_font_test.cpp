// The window font's size held to 8..12 points.
#include "app/window_font.h"

#include <gtest/gtest.h>

namespace cordalis {
namespace {

struct FontCase {
  std::int32_t points;  // of the message font
  std::int32_t pixelsPerInch;
  std::int32_t height;  // the window font's height
};

TEST(WindowFont, TheMessageFontIsHeldToEightToTwelvePoints) {
  const FontCase cases[] = {
      {14, 96, -16},  {6, 96, -11},  {14, 120, -20}, {6, 120, -13},
      {12, 96, -16},  {8, 96, -11},  {9, 96, -12},   {10, 120, -17},
      {13, 96, -16},  {7, 120, -13}, {72, 96, -16},  {1, 96, -11},
  };
  for (const FontCase& c : cases) {
    std::int32_t messageHeight = FontHeightForPoints(c.points, c.pixelsPerInch);
    EXPECT_EQ(WindowFontHeight(messageHeight, c.pixelsPerInch), c.height)
        << c.points << " pt at " << c.pixelsPerInch << " pixels per inch";
  }
}

TEST(WindowFont, PointsAndHeightsRoundAsMulDiv) {
  EXPECT_EQ(FontHeightForPoints(8, 96), -11);   // 10.67 rounds up
  EXPECT_EQ(FontHeightForPoints(14, 96), -19);  // 18.67
  EXPECT_EQ(FontHeightForPoints(14, 120), -23); // 23.33 rounds down
  EXPECT_EQ(FontPointSize(-19, 96), 14);        // 14.25
  EXPECT_EQ(FontPointSize(-11, 96), 8);         // 8.25
  EXPECT_EQ(FontPointSize(-10, 120), 6);        // 6.0
  EXPECT_EQ(FontPointSize(-15, 120), 9);        // 9.0
  EXPECT_EQ(FontPointSize(-13, 96), 10);        // 9.75
}

TEST(WindowFont, AHeightOnTheEdgeOfTheRangeIsKept) {
  // -17 pixels at 96 is 12.75 points: 13 after rounding, so it becomes 12.
  EXPECT_EQ(WindowFontHeight(-17, 96), -16);
  // -10 pixels at 96 is 7.5 points: 8 after rounding, so it stays.
  EXPECT_EQ(WindowFontHeight(-10, 96), -10);
  // 12.4 points stays as it is.
  EXPECT_EQ(WindowFontHeight(-31, 180), -31);
}

TEST(WindowFont, NoPixelsPerInchCountsAsNinetySix) {
  EXPECT_EQ(WindowFontHeight(-19, 0), -16);
  EXPECT_EQ(WindowFontHeight(-19, -5), -16);
}

}  // namespace
}  // namespace cordalis
