#include "host/win32/win32_text_collation.h"

#include <windows.h>

namespace cordalis {

int Win32TextCollation::Compare(std::string_view a, std::string_view b) const {
  const int result = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                                    b.data(), static_cast<int>(b.size()));
  if (result == 0) return AsciiCollation().Compare(a, b);  // the call failed: the order must stay total
  return result - CSTR_EQUAL;
}

std::string Win32TextCollation::SortKey(std::string_view text) const {
  if (text.empty()) return {};  // before every other key, as it sorts first
  constexpr DWORD kFlags = LCMAP_SORTKEY | NORM_IGNORECASE;
  const int length = static_cast<int>(text.size());
  char small[256];
  int size = LCMapStringA(LOCALE_USER_DEFAULT, kFlags, text.data(), length, small, sizeof small);
  if (size > 0) return std::string(small, static_cast<std::size_t>(size - 1));  // without the closing zero
  size = LCMapStringA(LOCALE_USER_DEFAULT, kFlags, text.data(), length, nullptr, 0);
  std::string key(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size <= 0 || LCMapStringA(LOCALE_USER_DEFAULT, kFlags, text.data(), length, key.data(), size) <= 0)
    return AsciiCollation().SortKey(text);  // the call failed: the order must stay total
  key.pop_back();
  return key;
}

}  // namespace cordalis
