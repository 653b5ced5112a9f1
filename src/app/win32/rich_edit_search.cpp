#include "app/win32/rich_edit_search.h"

#include <richedit.h>

#include "app/rtf_text.h"

namespace cordalis {

int RichEditSearch::FindIn(const std::string& text, const std::string& what, SearchOptions options) {
  if (what.empty()) return -1;
  SetWindowTextA(richEdit_, text.c_str());
  FINDTEXTEXA find{};
  find.chrg.cpMin = 0;
  find.chrg.cpMax = -1;
  find.lpstrText = what.c_str();
  WPARAM flags = FR_DOWN;
  if (options.matchCase) flags |= FR_MATCHCASE;
  if (options.wholeWord) flags |= FR_WHOLEWORD;
  const LRESULT found = SendMessageA(richEdit_, EM_FINDTEXTEX, flags, reinterpret_cast<LPARAM>(&find));
  if (found < 0) return -1;
  return WrittenPosition(text, static_cast<int>(found), breakIsOneCharacter_);
}

}  // namespace cordalis
