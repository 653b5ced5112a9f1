#include "controls/win32/gdi_text_measure.h"

namespace cordalis {

TextSize GdiTextMeasure::Measure(std::string_view text) const {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font_ ? static_cast<HGDIOBJ>(font_) : GetStockObject(DEFAULT_GUI_FONT));
  SIZE extent{0, 0};
  GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &extent);
  TEXTMETRICA metrics;
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return {extent.cx, metrics.tmHeight};
}

}  // namespace cordalis
