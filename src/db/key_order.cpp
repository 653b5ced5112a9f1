#include "db/key_order.h"

#include <algorithm>

namespace cordalis {

void KeyOrder::Assign(std::vector<KeyedRow> entries) {
  entries_ = std::move(entries);
  gapBegin_ = gapEnd_ = entries_.size();
}

void KeyOrder::Clear() { Assign({}); }

template <class Before>
std::size_t KeyOrder::FirstNotBefore(Before before) const {
  std::size_t low = 0, high = Size();
  while (low < high) {
    const std::size_t mid = low + (high - low) / 2;
    if (before((*this)[mid])) {
      low = mid + 1;
    } else {
      high = mid;
    }
  }
  return low;
}

std::size_t KeyOrder::LowerBound(std::int32_t key) const {
  return FirstNotBefore([key](const KeyedRow& e) { return e.key < key; });
}

std::size_t KeyOrder::UpperBound(std::int32_t key) const {
  return FirstNotBefore([key](const KeyedRow& e) { return e.key <= key; });
}

std::size_t KeyOrder::PlaceOf(KeyedRow entry) const {
  return FirstNotBefore(
      [entry](const KeyedRow& e) { return e.key != entry.key ? e.key < entry.key : e.row < entry.row; });
}

// The gap moves to just before the entry that is at place `to` now.
void KeyOrder::MoveGap(std::size_t to) {
  if (to < gapBegin_) {
    std::move_backward(entries_.begin() + static_cast<std::ptrdiff_t>(to),
                       entries_.begin() + static_cast<std::ptrdiff_t>(gapBegin_),
                       entries_.begin() + static_cast<std::ptrdiff_t>(gapEnd_));
  } else if (to > gapBegin_) {
    std::move(entries_.begin() + static_cast<std::ptrdiff_t>(gapEnd_),
              entries_.begin() + static_cast<std::ptrdiff_t>(gapEnd_ + (to - gapBegin_)),
              entries_.begin() + static_cast<std::ptrdiff_t>(gapBegin_));
  }
  const std::size_t gap = Gap();
  gapBegin_ = to;
  gapEnd_ = to + gap;
}

void KeyOrder::Insert(std::size_t at, KeyedRow entry) {
  if (Gap() == 0) {
    // Room for a run of additions, grown by an eighth rather than doubled:
    // a large table does not briefly take three times its index.
    const std::size_t size = entries_.size();
    entries_.reserve(size + size / 8 + 16);
    entries_.resize(entries_.capacity());
    gapBegin_ = size;
    gapEnd_ = entries_.size();
  }
  MoveGap(at);
  entries_[gapBegin_++] = entry;
}

void KeyOrder::Erase(std::size_t at) {
  MoveGap(at);
  ++gapEnd_;
}

}  // namespace cordalis
