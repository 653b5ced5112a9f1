#pragma once
// The states the window shows, worked out only for the tweaks it asks about
// (the tree's inserted nodes, the selected tweak) and kept until something
// may have changed them: reading a tweak's values costs a Registry call per
// action, and the tree asks again whenever it inserts or redraws items.
//
// What may change a state: DO IT, Undo and Delete Undo data change one tweak
// (Forget); the user's Refresh and the window's coming back to the front, after
// which any program may have changed any value, change them all (ForgetAll).
#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

#include "engine/tweak_state.h"

namespace cordalis {

class TweakStateCache {
 public:
  // Works out the states of the tweaks named, in their order, in one pass.
  using Evaluator = std::function<std::vector<TweakState>(const std::vector<std::int32_t>& twkIds)>;

  TweakStateCache() = default;  // knows nothing and works out nothing until given an evaluator
  explicit TweakStateCache(Evaluator evaluate) : evaluate_(std::move(evaluate)) {}

  // Makes the states of these tweaks known, working out together (and once
  // each) those that are not.
  void Prepare(const std::vector<std::int32_t>& twkIds);
  // The state of one tweak, worked out now when it is not known.
  const TweakState& Get(std::int32_t twkId);
  bool Knows(std::int32_t twkId) const { return states_.count(twkId) != 0; }

  // One tweak's state is stale: DO IT, Undo or Delete Undo data of it.
  void Forget(std::int32_t twkId) { states_.erase(twkId); }
  // Every state is stale: Refresh, or the window is active again.
  void ForgetAll() { states_.clear(); }

 private:
  Evaluator evaluate_;
  std::unordered_map<std::int32_t, TweakState> states_;
};

}  // namespace cordalis
