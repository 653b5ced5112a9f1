#include "app/tweak_state_cache.h"

#include <stdexcept>
#include <unordered_set>

namespace cordalis {

void TweakStateCache::Prepare(const std::vector<std::int32_t>& twkIds) {
  if (!evaluate_) return;
  std::vector<std::int32_t> missing;
  std::unordered_set<std::int32_t> named;  // a tweak named twice is worked out once
  for (std::int32_t id : twkIds)
    if (!Knows(id) && named.insert(id).second) missing.push_back(id);
  if (missing.empty()) return;
  std::vector<TweakState> found = evaluate_(missing);
  if (found.size() != missing.size())
    throw std::logic_error("the state evaluator answered for another number of tweaks than it was asked about");
  for (std::size_t i = 0; i < missing.size(); ++i) states_.emplace(missing[i], std::move(found[i]));
}

const TweakState& TweakStateCache::Get(std::int32_t twkId) {
  static const TweakState kNothingKnown{};
  Prepare({twkId});
  const auto it = states_.find(twkId);
  return it == states_.end() ? kNothingKnown : it->second;
}

}  // namespace cordalis
