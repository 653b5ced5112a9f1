#pragma once
// The rich edit's find rules on plain windows-1252 text.
//
// Without match case, letters compare by their upper-case form: A-Z and the
// windows-1252 letters that have one (Latin-1 letters, S/Z caron, OE, Y
// diaeresis). With whole word, a match must not have a word character
// directly before or after it; word characters are letters (A-Z, a-z, the
// windows-1252 letters), digits 0-9 and the underscore. An empty search text
// never matches.
#include "app/text_search.h"

namespace cordalis {

class PlainTextSearch final : public TextSearch {
 public:
  int FindIn(const std::string& text, const std::string& what, SearchOptions options) override;
};

// A letter, digit or underscore of windows-1252.
bool IsWordCharacter(unsigned char byte);

}  // namespace cordalis
