#pragma once
// The tree's picture of a tweak's state: the document image with a mark on
// its lower right for how much of the tweak is in effect, and one on its lower
// left when Cordalis applied it ("C") or a value it wrote has been changed
// since ("!"). The marked documents follow the plain images in the tree's
// state image list (a state image index holds 4 bits: at most 15 images).
#include "engine/tweak_state.h"

namespace cordalis {

enum TreeStateMark : int {
  kInEffectImage = 5,
  kPartlyImage,
  kAppliedImage,
  kAppliedInEffectImage,
  kAppliedPartlyImage,
  kChangedImage,
  kChangedInEffectImage,
  kChangedPartlyImage,
  kLastStateMarkImage = kChangedPartlyImage,
};

// The image of a tweak node that shows plainImage (kTweakImage, or the red
// document of a tweak not for this system, which is never marked) once its
// state is known.
int MarkedTweakImage(int plainImage, const TweakState& state);

}  // namespace cordalis
