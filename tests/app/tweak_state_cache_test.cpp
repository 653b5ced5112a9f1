#include "app/tweak_state_cache.h"

#include <gtest/gtest.h>

#include <map>

namespace cordalis {
namespace {

// An evaluator that records what it was asked and answers from a table that
// the test changes as the Registry would change.
struct Evaluations {
  std::vector<std::vector<std::int32_t>> asked;
  std::map<std::int32_t, TweakState> now;

  TweakStateCache::Evaluator Evaluator() {
    return [this](const std::vector<std::int32_t>& twkIds) {
      asked.push_back(twkIds);
      std::vector<TweakState> states;
      for (std::int32_t id : twkIds) states.push_back(now[id]);
      return states;
    };
  }
};

TweakState InEffect() { return {TweakVerdict::InEffect, 1, 1, false, "", false}; }
TweakState Applied() { return {TweakVerdict::InEffect, 1, 1, true, "2026-12-10", false}; }

TEST(TweakStateCache, WorksOutOnlyTheTweaksAskedAboutOnceEachAndTogether) {
  Evaluations evaluations;
  evaluations.now = {{1, InEffect()}, {2, Applied()}, {3, InEffect()}};
  TweakStateCache cache(evaluations.Evaluator());
  EXPECT_TRUE(evaluations.asked.empty()) << "nothing is worked out before it is asked for";

  cache.Prepare({2, 1, 2});
  ASSERT_EQ(evaluations.asked.size(), 1u);
  EXPECT_EQ(evaluations.asked[0], (std::vector<std::int32_t>{2, 1}));
  EXPECT_FALSE(cache.Knows(3));

  EXPECT_EQ(cache.Get(2), Applied());
  EXPECT_EQ(cache.Get(1), InEffect());
  cache.Prepare({1, 2, 3});
  ASSERT_EQ(evaluations.asked.size(), 2u);
  EXPECT_EQ(evaluations.asked[1], (std::vector<std::int32_t>{3})) << "only what is not known yet";
  EXPECT_EQ(cache.Get(3), InEffect());
  EXPECT_EQ(evaluations.asked.size(), 2u);
}

TEST(TweakStateCache, AStateIsKeptUntilItIsForgotten) {
  struct Case {
    const char* name;
    std::function<void(TweakStateCache&)> event;
    std::vector<bool> readAgain;  // tweaks 1 and 2
  };
  const Case cases[] = {
      {"no event", [](TweakStateCache&) {}, {false, false}},
      {"DO IT, Undo or Delete Undo data of tweak 1", [](TweakStateCache& c) { c.Forget(1); }, {true, false}},
      {"Refresh, or the window active again", [](TweakStateCache& c) { c.ForgetAll(); }, {true, true}},
  };
  for (const Case& c : cases) {
    Evaluations evaluations;
    evaluations.now = {{1, InEffect()}, {2, InEffect()}};
    TweakStateCache cache(evaluations.Evaluator());
    cache.Prepare({1, 2});
    evaluations.now = {{1, Applied()}, {2, Applied()}};  // the Registry and undo data changed
    c.event(cache);
    for (std::int32_t id : {1, 2})
      EXPECT_EQ(cache.Get(id), c.readAgain[static_cast<std::size_t>(id - 1)] ? Applied() : InEffect())
          << c.name << ", tweak " << id;
  }
}

TEST(TweakStateCache, WithoutAnEvaluatorNothingIsKnown) {
  TweakStateCache cache;
  EXPECT_EQ(cache.Get(5), TweakState{});
  EXPECT_FALSE(cache.Knows(5));
}

}  // namespace
}  // namespace cordalis
