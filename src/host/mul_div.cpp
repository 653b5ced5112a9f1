#include "host/mul_div.h"

namespace cordalis {

std::int32_t MulDivRounded(std::int32_t number, std::int32_t numerator, std::int32_t denominator) {
  if (denominator == 0) return -1;
  std::int64_t product = std::int64_t{number} * numerator;
  std::int64_t divisor = denominator;
  if (divisor < 0) {
    product = -product;
    divisor = -divisor;
  }
  std::int64_t half = divisor / 2;
  std::int64_t result = (product >= 0 ? product + half : product - half) / divisor;
  if (result > INT32_MAX || result < -INT32_MAX) return -1;
  return static_cast<std::int32_t>(result);
}

}  // namespace cordalis
