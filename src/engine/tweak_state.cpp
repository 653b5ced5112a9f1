#include "engine/tweak_state.h"

namespace cordalis {

ActionStateResult EvaluateAction(RegistryApi&, const HostFacts&, std::uint16_t, const ActionRecord&) { return {}; }
TweakState EvaluateTweak(const StateInputs&, std::int32_t) { return {}; }
std::vector<TweakState> EvaluateTweaks(const StateInputs&, const std::vector<std::int32_t>& twkIds) {
  return std::vector<TweakState>(twkIds.size());
}
std::string StateLine(const TweakState&) { return {}; }

}  // namespace cordalis
