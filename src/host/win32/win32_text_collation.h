#pragma once
// The user's locale's comparison without regard to letter case (CompareString
// with NORM_IGNORECASE), by which the tree sorts its lists.
#include "host/text_collation.h"

namespace cordalis {

class Win32TextCollation final : public TextCollation {
 public:
  int Compare(std::string_view a, std::string_view b) const override;
  // LCMapString's sort key, which orders as CompareString does.
  std::string SortKey(std::string_view text) const override;
};

}  // namespace cordalis
