#pragma once
// The rich edit's own find, which Find uses on the composed text of each
// tweak: case-insensitive unless asked, whole words only when asked. The Win32
// search runs a hidden rich edit; the portable one applies the same rules to
// plain text, and tests hold the two to the same answers.
#include <string>

namespace cordalis {

struct SearchOptions {
  bool matchCase = false;
  bool wholeWord = false;
};

class TextSearch {
 public:
  virtual ~TextSearch() = default;
  // The position of the first match of what in text, searched from its start
  // to its end; -1 when there is none.
  virtual int FindIn(const std::string& text, const std::string& what, SearchOptions options) = 0;
};

}  // namespace cordalis
