#pragma once
// Small text helpers on 8-bit ANSI strings.
#include <string>
#include <string_view>
#include <vector>

namespace cordalis {

char ToUpperAscii(char c);
char ToLowerAscii(char c);
std::string ToLowerAscii(std::string_view text);
// Letter case ignored for A-Z only, as keywords, field and file names need.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
// Every occurrence of from (compared exactly) replaced by to.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);
// Every occurrence of from, letter case ignored, replaced by to.
std::string ReplaceAllIgnoreCase(std::string_view text, std::string_view from, std::string_view to);

// Splits "|"-separated pieces one at a time: the text before the first "|" and
// everything after it; a text without "|" is one whole field with nothing left.
struct FirstField {
  std::string field;
  std::string rest;
};
FirstField TakeFirstField(std::string_view text);
// Takes the next piece off the front of text, which keeps what follows the "|".
std::string TakePiece(std::string& text);
// Every piece of a text in order; an empty text has none, "a|" has two.
std::vector<std::string> SplitPieces(std::string_view text);

}  // namespace cordalis
