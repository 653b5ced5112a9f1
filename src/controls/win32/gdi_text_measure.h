#pragma once
// Text sizes in the main window's font, as labels show them.
#include <windows.h>

#include "controls/text_measure.h"

namespace cordalis {

class GdiTextMeasure final : public TextMeasure {
 public:
  void SetFont(HFONT font) { font_ = font; }
  TextSize Measure(std::string_view text) const override;

 private:
  HFONT font_ = nullptr;
};

}  // namespace cordalis
