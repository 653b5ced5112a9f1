#include "db/block_store.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace cordalis {

std::size_t BlockStore::NewSlots(std::size_t count) {
  const std::size_t slots = static_cast<std::size_t>(kAddressLimit >> kOffsetBits);
  if (count > slots - blocks_.size()) throw std::length_error("a table's storage is spent");
  const std::size_t first = blocks_.size();
  blocks_.resize(first + count);
  return first;
}

BlockStore::Address BlockStore::Add(std::size_t bytes) {
  bytes = std::max<std::size_t>(bytes, 1);
  if (bytes > kLargestShared) {
    const std::size_t slot = NewSlots((bytes + kBlockBytes - 1) / kBlockBytes);
    blocks_[slot].reset(new char[bytes]);
    held_ += bytes;
    return static_cast<Address>(slot << kOffsetBits);
  }
  if (sharedBytes_ - sharedUsed_ < bytes) {
    // Each shared block is twice the last, up to the full size: a small
    // table stays small, and a large one takes few blocks.
    const std::size_t next = sharedBytes_ == 0 ? kFirstSharedBytes : std::min(2 * sharedBytes_, kBlockBytes);
    const std::size_t size = std::max(bytes, next);
    const std::size_t slot = NewSlots(1);
    blocks_[slot].reset(new char[size]);
    held_ += size;
    shared_ = slot;
    sharedBytes_ = size;
    sharedUsed_ = 0;
  }
  const Address address = static_cast<Address>((shared_ << kOffsetBits) | sharedUsed_);
  sharedUsed_ += bytes;
  return address;
}

void BlockStore::Shrink(Address address, std::size_t bytes, std::size_t keep) {
  bytes = std::max<std::size_t>(bytes, 1);  // as Add took it
  if (keep >= bytes) return;
  const std::size_t slot = address >> kOffsetBits;
  if (bytes <= kLargestShared) {
    if (sharedBytes_ != 0 && slot == shared_ && (address & kOffsetMask) + bytes == sharedUsed_)
      sharedUsed_ -= bytes - keep;
    return;
  }
  // A block of its own, given back or cut to size when it is the last one
  // added, which it is while a reader fills it.
  const std::size_t span = (bytes + kBlockBytes - 1) / kBlockBytes;
  if (slot + span != blocks_.size() || (keep != 0 && bytes - keep < bytes / 8)) return;
  held_ -= bytes;
  if (keep == 0) {
    blocks_.resize(slot);
    return;
  }
  std::unique_ptr<char[]> exact(new char[keep]);
  std::memcpy(exact.get(), blocks_[slot].get(), keep);
  blocks_[slot] = std::move(exact);
  blocks_.resize(slot + (keep + kBlockBytes - 1) / kBlockBytes);
  held_ += keep;
}

}  // namespace cordalis
