#pragma once
// Find's text search with the rich edit's own rules (case, whole word), on a
// hidden rich edit that receives the text of each tweak examined.
#include <windows.h>

#include "app/text_search.h"

namespace cordalis {

class RichEditSearch final : public TextSearch {
 public:
  RichEditSearch(HWND hiddenRichEdit, bool breakIsOneCharacter)
      : richEdit_(hiddenRichEdit), breakIsOneCharacter_(breakIsOneCharacter) {}
  int FindIn(const std::string& text, const std::string& what, SearchOptions options) override;

 private:
  HWND richEdit_;
  bool breakIsOneCharacter_;
};

}  // namespace cordalis
