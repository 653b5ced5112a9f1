#pragma once
// A window font in which every character is equally wide, so layouts can be
// worked out by hand: 6 pixels a character, 13 pixels a line.
#include "controls/text_measure.h"

namespace cordalis::testing {

class FixedTextMeasure final : public TextMeasure {
 public:
  static constexpr int kCharWidth = 6;
  static constexpr int kLineHeight = 13;
  TextSize Measure(std::string_view text) const override {
    return {static_cast<int>(text.size()) * kCharWidth, kLineHeight};
  }
};

}  // namespace cordalis::testing
