#include "app/plain_text_search.h"

#include <cstdint>

#include "host/cp1252.h"

namespace cordalis {
namespace {

std::uint32_t Folded(char c) { return UpperCaseOf(UnicodeOfByte(static_cast<unsigned char>(c))); }

bool MatchesAt(const std::string& text, std::size_t at, const std::string& what, bool matchCase) {
  for (std::size_t i = 0; i < what.size(); ++i) {
    if (matchCase ? text[at + i] != what[i] : Folded(text[at + i]) != Folded(what[i])) return false;
  }
  return true;
}

bool WordAround(const std::string& text, std::size_t at, std::size_t length) {
  if (at > 0 && IsWordCharacter(static_cast<unsigned char>(text[at - 1]))) return true;
  std::size_t end = at + length;
  return end < text.size() && IsWordCharacter(static_cast<unsigned char>(text[end]));
}

}  // namespace

bool IsWordCharacter(unsigned char byte) {
  if ((byte >= '0' && byte <= '9') || byte == '_') return true;
  std::uint32_t cp = UnicodeOfByte(byte);
  if ((cp >= 'A' && cp <= 'Z') || (cp >= 'a' && cp <= 'z')) return true;
  if (cp >= 0xC0 && cp <= 0xFF) return cp != 0xD7 && cp != 0xF7;  // not the multiplication and division signs
  switch (cp) {
    case 0x0160: case 0x0161: case 0x0152: case 0x0153: case 0x017D: case 0x017E: case 0x0178:  // Š š Œ œ Ž ž Ÿ
    case 0x0192: case 0xAA: case 0xB5: case 0xBA:                                                 // ƒ ª µ º
      return true;
    default:
      return false;
  }
}

int PlainTextSearch::FindIn(const std::string& text, const std::string& what, SearchOptions options) {
  if (what.empty() || what.size() > text.size()) return -1;
  for (std::size_t at = 0; at + what.size() <= text.size(); ++at) {
    if (!MatchesAt(text, at, what, options.matchCase)) continue;
    if (options.wholeWord && WordAround(text, at, what.size())) continue;
    return static_cast<int>(at);
  }
  return -1;
}

}  // namespace cordalis
