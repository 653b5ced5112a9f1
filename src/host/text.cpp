#include "host/text.h"

namespace cordalis {

char ToUpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
char ToLowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string ToLowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = ToLowerAscii(c);
  return out;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (ToLowerAscii(a[i]) != ToLowerAscii(b[i])) return false;
  return true;
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(text);
  std::string out;
  std::size_t start = 0;
  for (std::size_t hit; (hit = text.find(from, start)) != std::string_view::npos; start = hit + from.size()) {
    out.append(text, start, hit - start);
    out.append(to);
  }
  out.append(text, start);
  return out;
}

std::string ReplaceAllIgnoreCase(std::string_view text, std::string_view from, std::string_view to) {
  if (from.empty() || text.size() < from.size()) return std::string(text);
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    if (i + from.size() <= text.size() && EqualsIgnoreCase(text.substr(i, from.size()), from)) {
      out.append(to);
      i += from.size();
    } else {
      out += text[i++];
    }
  }
  return out;
}

FirstField TakeFirstField(std::string_view text) {
  std::size_t bar = text.find('|');
  if (bar == std::string_view::npos) return {std::string(text), {}};
  return {std::string(text.substr(0, bar)), std::string(text.substr(bar + 1))};
}

std::string TakePiece(std::string& text) {
  FirstField split = TakeFirstField(text);
  text = std::move(split.rest);
  return std::move(split.field);
}

std::vector<std::string> SplitPieces(std::string_view text) {
  std::vector<std::string> pieces;
  if (text.empty()) return pieces;
  for (std::size_t start = 0;;) {
    const std::size_t bar = text.find('|', start);
    pieces.emplace_back(text.substr(start, bar - start));
    if (bar == std::string_view::npos) return pieces;
    start = bar + 1;
  }
}

}  // namespace cordalis
