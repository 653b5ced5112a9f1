#include "app/tree_state_marks.h"

#include "app/tweak_tree.h"

namespace cordalis {

int MarkedTweakImage(int plainImage, const TweakState& state) {
  if (plainImage != kTweakImage) return plainImage;
  // Of the verdicts only these two say that the tweak's changes are there;
  // "set by you" and "not in effect" look as an untouched tweak does.
  const int effect = state.verdict == TweakVerdict::InEffect ? 1 : state.verdict == TweakVerdict::Partly ? 2 : 0;
  const int cordalis = state.changedSince ? 2 : state.applied ? 1 : 0;
  if (effect == 0 && cordalis == 0) return kTweakImage;
  static constexpr int kImages[3][3] = {
      {kTweakImage, kInEffectImage, kPartlyImage},
      {kAppliedImage, kAppliedInEffectImage, kAppliedPartlyImage},
      {kChangedImage, kChangedInEffectImage, kChangedPartlyImage},
  };
  return kImages[cordalis][effect];
}

}  // namespace cordalis
