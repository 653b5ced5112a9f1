#include "host/mul_div.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace cordalis {
namespace {

struct MulDivCase {
  std::int32_t number, numerator, denominator, result;
};

TEST(MulDivRounded, RoundsHalvesAwayFromZeroAsMulDiv) {
  const MulDivCase cases[] = {
      {8, 96, 72, 11},       {-8, 96, 72, -11},     {8, -96, 72, -11},   {8, 96, -72, -11},
      {-8, -96, -72, -11},   {5, 1, 2, 3},          {-5, 1, 2, -3},      {7, 1, 2, 4},
      {1, 1, 3, 0},          {2, 1, 3, 1},          {-2, 1, 3, -1},      {0, -5, 7, 0},
      {65536, 65536, 65536, 65536},                 {2147483647, 2, 2, 2147483647},
      {1, 1, 0, -1},         {2147483647, 2, 1, -1},                     {-2147483647, 2, 1, -1},
  };
  for (const MulDivCase& c : cases)
    EXPECT_EQ(MulDivRounded(c.number, c.numerator, c.denominator), c.result)
        << c.number << " * " << c.numerator << " / " << c.denominator;
}

}  // namespace
}  // namespace cordalis
