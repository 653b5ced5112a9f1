#pragma once
// Pieces of bytes, each named by a 32-bit address, in blocks that never move.
//
// Memory grows by the pieces added and never by copying the ones held, so a
// store that has taken N bytes holds little more than N at any moment. Small
// pieces share blocks, which begin small (a table of a few rows costs a few
// kilobytes) and grow to kBlockBytes; a larger piece gets a block of its own,
// which takes as many addresses as its size spans.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace cordalis {

class BlockStore {
 public:
  using Address = std::uint32_t;
  static constexpr unsigned kOffsetBits = 18;
  static constexpr std::size_t kBlockBytes = std::size_t{1} << kOffsetBits;
  static constexpr std::size_t kLargestShared = kBlockBytes / 4;
  // Every address is below this; the numbers from it up are free for marks.
  static constexpr Address kAddressLimit = ((Address{1} << (32 - kOffsetBits)) - 1) << kOffsetBits;

  // A new piece of `bytes` bytes (at least one). Throws std::length_error
  // when the addresses are spent.
  Address Add(std::size_t bytes);
  char* At(Address address) { return blocks_[address >> kOffsetBits].get() + (address & kOffsetMask); }
  const char* At(Address address) const { return blocks_[address >> kOffsetBits].get() + (address & kOffsetMask); }
  // Keeps only the first `keep` of the `bytes` bytes of a piece. When it is
  // the last piece added, the rest is given back (a large piece's, once it
  // is worth a copy); with none kept, the piece is gone.
  void Shrink(Address address, std::size_t bytes, std::size_t keep);

  // The bytes of every block held.
  std::size_t HeldBytes() const { return held_; }

 private:
  static constexpr Address kOffsetMask = (Address{1} << kOffsetBits) - 1;
  static constexpr std::size_t kFirstSharedBytes = 4096;

  std::size_t NewSlots(std::size_t count);

  // By address >> kOffsetBits. A block of its own that spans several slots
  // is held by the first of them; the others are empty.
  std::vector<std::unique_ptr<char[]>> blocks_;
  std::size_t shared_ = 0;      // the slot of the shared block pieces go into
  std::size_t sharedBytes_ = 0;  // its size; 0 before the first
  std::size_t sharedUsed_ = 0;
  std::size_t held_ = 0;
};

}  // namespace cordalis
