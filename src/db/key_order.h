#pragma once
// A table's rows in the order of its index: every live row with its key, by
// key and then by stored order. Eight bytes a row, whatever the number of
// distinct keys, so that a file of many tweaks costs no more than one of few.
//
// The entries are a gap buffer: the free room sits where the last change was
// made, so a run of changes at one place (Undo takes a tweak's rows one after
// another, DO IT adds them one after another) moves nothing but the gap.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "db/table_data.h"

namespace cordalis {

struct KeyedRow {
  std::int32_t key;
  RowId row;

  friend bool operator==(const KeyedRow&, const KeyedRow&) = default;
};

class KeyOrder {
 public:
  // Entries already in order.
  void Assign(std::vector<KeyedRow> entries);
  void Clear();

  std::size_t Size() const { return entries_.size() - Gap(); }
  const KeyedRow& operator[](std::size_t i) const { return entries_[i < gapBegin_ ? i : i + Gap()]; }

  // The first place whose key is not less than key / is greater than key.
  std::size_t LowerBound(std::int32_t key) const;
  std::size_t UpperBound(std::int32_t key) const;
  // The place of the entry, or where it would go.
  std::size_t PlaceOf(KeyedRow entry) const;

  void Insert(std::size_t at, KeyedRow entry);
  void Erase(std::size_t at);

 private:
  std::size_t Gap() const { return gapEnd_ - gapBegin_; }
  void MoveGap(std::size_t to);
  template <class Before>
  std::size_t FirstNotBefore(Before before) const;

  std::vector<KeyedRow> entries_;
  std::size_t gapBegin_ = 0;  // entries_[gapBegin_, gapEnd_) hold nothing
  std::size_t gapEnd_ = 0;
};

}  // namespace cordalis
