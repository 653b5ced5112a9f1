// Building the tweak tree from 10,000 and from 100,000 tweaks (10 categories
// of 10 subcategories, random titles): the cost must grow as n log n, so the
// larger build may take at most 12 times as long as the smaller one.
// BM_TreeBuildRatio times the two sizes in turn, so that neither runs with
// caches kept warm by its own previous run, and reports the ratio.
#include <benchmark/benchmark.h>

#include <ctime>
#include <deque>
#include <random>
#include <string>
#include <vector>

#include "app/tweak_tree.h"
#include "host/text_collation.h"

namespace cordalis {
namespace {

constexpr std::uint16_t kPlatform = 0x0222;

// Words of two or three syllables, some capitalised, as titles use them.
std::vector<std::string> Vocabulary(std::mt19937& random) {
  static const char* const kSyllables[] = {"ba", "con", "de", "fi", "gu", "ho", "ker", "li", "mo", "net",
                                           "po", "qua", "re", "sho", "ta", "ul", "vi", "win", "xe", "zo"};
  std::vector<std::string> words;
  for (int i = 0; i < 500; ++i) {
    std::string w;
    for (unsigned s = 0; s < 2 + random() % 2; ++s) w += kSyllables[random() % std::size(kSyllables)];
    if (random() % 3 == 0) w[0] = static_cast<char>(w[0] - 'a' + 'A');
    words.push_back(w);
  }
  return words;
}

// The tweaks' texts, as the tables would hold them, and the tree's view of them.
struct Synthetic {
  std::deque<std::string> texts;
  std::vector<TreeTweak> tweaks;
};

Synthetic SyntheticTweaks(int count) {
  std::mt19937 random(2024);
  const std::vector<std::string> words = Vocabulary(random);
  auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
  Synthetic s;
  s.tweaks.reserve(static_cast<std::size_t>(count));
  for (int id = 1; id <= count; ++id) {
    TreeTweak t;
    t.twkId = id;
    t.hide = pick(50) == 0;
    const std::size_t category = pick(10);
    t.category = s.texts.emplace_back("Category " + std::to_string(category));
    const std::size_t sub = pick(11);  // one in eleven without a subcategory
    t.subCat = s.texts.emplace_back(sub == 10 ? "" : "Subcategory " + std::to_string(category) + "." + std::to_string(sub));
    const std::size_t length = 3 + pick(3);
    std::string title;
    for (std::size_t w = 0; w < length; ++w) title += (w ? " " : "") + words[pick(words.size())];
    t.title = s.texts.emplace_back(std::move(title));
    t.mask = pick(20) == 0 ? 0x0008 : 0x0002;
    s.tweaks.push_back(t);
  }
  return s;
}

// Processor time of this thread, so that other work on a busy machine counts less.
double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double SecondsToBuild(const std::vector<TreeTweak>& tweaks, const TextCollation& collation) {
  const double start = ThreadSeconds();
  {
    TweakTree tree(tweaks, TreeBuildInputs{false, kPlatform, -1}, collation);
    benchmark::DoNotOptimize(tree);
  }
  return ThreadSeconds() - start;
}

void BM_TreeBuild(benchmark::State& state) {
  const Synthetic synthetic = SyntheticTweaks(static_cast<int>(state.range(0)));
  const std::vector<TreeTweak>& tweaks = synthetic.tweaks;
  const AsciiCollation collation;
  for (auto _ : state) {
    TweakTree tree(tweaks, TreeBuildInputs{false, kPlatform, -1}, collation);
    benchmark::DoNotOptimize(tree);
  }
  state.counters["tweaks"] = static_cast<double>(tweaks.size());
}
BENCHMARK(BM_TreeBuild)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Both sizes timed side by side; "ratio" is the larger build's time over the smaller's.
void BM_TreeBuildRatio(benchmark::State& state) {
  const Synthetic smallSet = SyntheticTweaks(10000);
  const Synthetic largeSet = SyntheticTweaks(100000);
  const std::vector<TreeTweak>& small = smallSet.tweaks;
  const std::vector<TreeTweak>& large = largeSet.tweaks;
  const AsciiCollation collation;
  double smallSeconds = 0;
  double largeSeconds = 0;
  for (auto _ : state) {
    smallSeconds += SecondsToBuild(small, collation);
    largeSeconds += SecondsToBuild(large, collation);
  }
  const auto runs = static_cast<double>(state.iterations());
  state.counters["small_ms"] = smallSeconds / runs * 1000;
  state.counters["large_ms"] = largeSeconds / runs * 1000;
  state.counters["ratio"] = largeSeconds / smallSeconds;
}
BENCHMARK(BM_TreeBuildRatio)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace cordalis
