#pragma once
// The case-insensitive comparison of the user's locale by which the tree sorts
// categories, subcategories and titles (CompareString with NORM_IGNORECASE on
// Windows). A replacement must ignore letter case and keep the order total.
#include <string>
#include <string_view>

namespace cordalis {

class TextCollation {
 public:
  virtual ~TextCollation() = default;
  // Negative, zero or positive as a sorts before, with or after b.
  virtual int Compare(std::string_view a, std::string_view b) const = 0;
  // A key whose byte order is this collation's order, equal exactly when the
  // texts compare equal: a long list is sorted with one key per text instead
  // of a comparison for every pair it looks at.
  virtual std::string SortKey(std::string_view text) const = 0;
};

// Byte order with the ASCII letters folded to lower case: the portable
// stand-in for the platform's collation.
class AsciiCollation final : public TextCollation {
 public:
  int Compare(std::string_view a, std::string_view b) const override;
  std::string SortKey(std::string_view text) const override;
};

}  // namespace cordalis
