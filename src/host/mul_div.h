#pragma once
// number * numerator / denominator with a 64-bit intermediate, rounded to the
// nearest integer with halves away from zero, as Windows' MulDiv computes
// font heights and point sizes; -1 when denominator is 0 or the result does
// not fit, as MulDiv answers.
#include <cstdint>

namespace cordalis {

std::int32_t MulDivRounded(std::int32_t number, std::int32_t numerator, std::int32_t denominator);

}  // namespace cordalis
