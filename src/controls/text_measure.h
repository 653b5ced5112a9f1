#pragma once
// The size of a text in the main window's font, in pixels: the window font on
// Windows, a fixed-width stand-in in tests.
#include <string_view>

namespace cordalis {

struct TextSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const TextSize&, const TextSize&) = default;
};

class TextMeasure {
 public:
  virtual ~TextMeasure() = default;
  // One line of text, as a label shows it.
  virtual TextSize Measure(std::string_view text) const = 0;
};

}  // namespace cordalis
