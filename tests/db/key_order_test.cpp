#include "db/key_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace cordalis {
namespace {

bool Before(const KeyedRow& a, const KeyedRow& b) { return a.key != b.key ? a.key < b.key : a.row < b.row; }

// Inserts and erases at the places a table asks for, in runs at one place
// (as Undo and DO IT make them) and at random, and checks every entry and
// every search against a plain sorted vector after each step.
TEST(KeyOrder, KeepsEveryEntryInOrderThroughRunsOfChanges) {
  std::mt19937 random(23);
  std::vector<KeyedRow> plain;
  for (RowId row = 0; row < 200; ++row) plain.push_back({static_cast<std::int32_t>(row % 17) - 8, row});
  std::sort(plain.begin(), plain.end(), Before);
  KeyOrder order;
  order.Assign(plain);
  RowId next = 200;
  for (int step = 0; step < 4000; ++step) {
    const std::int32_t key = static_cast<std::int32_t>(random() % 21) - 10;
    const int kind = static_cast<int>(random() % 3);
    if (kind == 0 || plain.empty()) {
      const KeyedRow entry{key, next++};  // a new row: the last of its key
      const std::size_t at = order.UpperBound(key);
      const auto place = std::upper_bound(plain.begin(), plain.end(), entry, Before);
      ASSERT_EQ(at, static_cast<std::size_t>(place - plain.begin()));
      order.Insert(at, entry);
      plain.insert(plain.begin() + static_cast<std::ptrdiff_t>(at), entry);
    } else if (kind == 1) {
      // A run: every row of one key taken, first to last or last to first.
      const std::size_t first = order.LowerBound(key), end = order.UpperBound(key);
      const bool forward = random() % 2 == 0;
      for (std::size_t n = end - first; n > 0; --n) {
        const std::size_t at = forward ? first : first + n - 1;
        order.Erase(at);
        plain.erase(plain.begin() + static_cast<std::ptrdiff_t>(at));
      }
    } else {
      const std::size_t at = random() % plain.size();
      ASSERT_EQ(order.PlaceOf(plain[at]), at) << "step " << step;
      order.Erase(at);
      plain.erase(plain.begin() + static_cast<std::ptrdiff_t>(at));
    }
    ASSERT_EQ(order.Size(), plain.size()) << "step " << step;
    for (std::size_t i = 0; i < plain.size(); ++i) ASSERT_EQ(order[i], plain[i]) << "step " << step << ", place " << i;
    const auto low = std::lower_bound(plain.begin(), plain.end(), key,
                                      [](const KeyedRow& e, std::int32_t k) { return e.key < k; });
    const auto high = std::upper_bound(plain.begin(), plain.end(), key,
                                       [](std::int32_t k, const KeyedRow& e) { return k < e.key; });
    ASSERT_EQ(order.LowerBound(key), static_cast<std::size_t>(low - plain.begin())) << "step " << step;
    ASSERT_EQ(order.UpperBound(key), static_cast<std::size_t>(high - plain.begin())) << "step " << step;
  }
}

}  // namespace
}  // namespace cordalis
