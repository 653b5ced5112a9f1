#include "host/win32/win32_text_collation.h"

#include <windows.h>

namespace cordalis {

int Win32TextCollation::Compare(std::string_view a, std::string_view b) const {
  const int result = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                                    b.data(), static_cast<int>(b.size()));
  if (result == 0) return AsciiCollation().Compare(a, b);  // the call failed: the order must stay total
  return result - CSTR_EQUAL;
}

}  // namespace cordalis
