#include "app/tree_state_marks.h"

#include <gtest/gtest.h>

#include <set>

#include "app/tweak_tree.h"

namespace cordalis {
namespace {

TweakState State(TweakVerdict verdict, bool applied, bool changedSince) {
  TweakState state;
  state.verdict = verdict;
  state.applied = applied;
  state.changedSince = changedSince;
  return state;
}

TEST(TreeStateMarks, EachStateHasItsImage) {
  using V = TweakVerdict;
  struct Case {
    TweakVerdict verdict;
    bool applied, changed;
    int image;
  };
  const Case cases[] = {
      {V::NotInEffect, false, false, kTweakImage},      {V::NoState, false, false, kTweakImage},
      {V::SetByYou, false, false, kTweakImage},         {V::InEffect, false, false, kInEffectImage},
      {V::Partly, false, false, kPartlyImage},          {V::NotInEffect, true, false, kAppliedImage},
      {V::SetByYou, true, false, kAppliedImage},        {V::InEffect, true, false, kAppliedInEffectImage},
      {V::Partly, true, false, kAppliedPartlyImage},    {V::NotInEffect, true, true, kChangedImage},
      {V::InEffect, true, true, kChangedInEffectImage}, {V::Partly, true, true, kChangedPartlyImage},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MarkedTweakImage(kTweakImage, State(c.verdict, c.applied, c.changed)), c.image)
        << static_cast<int>(c.verdict) << " applied " << c.applied << " changed " << c.changed;
}

TEST(TreeStateMarks, FoldersAndTweaksForOtherSystemsKeepTheirImages) {
  for (int image : {kNoStateImage, kClosedFolderImage, kOpenFolderImage, kRedTweakImage})
    EXPECT_EQ(MarkedTweakImage(image, State(TweakVerdict::InEffect, true, true)), image);
}

TEST(TreeStateMarks, TheMarkedImagesFollowThePlainOnesWithinAStateImagesRange) {
  std::set<int> images;
  for (int image = kInEffectImage; image <= kLastStateMarkImage; ++image) images.insert(image);
  EXPECT_EQ(*images.begin(), kRedTweakImage + 1);
  EXPECT_LE(kLastStateMarkImage, 15) << "a tree item's state image index has 4 bits";
}

}  // namespace
}  // namespace cordalis
