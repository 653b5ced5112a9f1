#include "host/text_collation.h"

namespace cordalis {
namespace {

// Kept here, inline, because the tree sorts every title with it.
unsigned char Folded(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

}  // namespace

int AsciiCollation::Compare(std::string_view a, std::string_view b) const {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (a[i] == b[i]) continue;
    const unsigned char x = Folded(a[i]);
    const unsigned char y = Folded(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

std::string AsciiCollation::SortKey(std::string_view text) const {
  std::string key(text);
  for (char& c : key)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return key;
}

}  // namespace cordalis
