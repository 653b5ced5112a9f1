// DO IT deleting a large key (capture and persistence included) and its Undo,
// at two sizes to show the cost grows with the number of values; and the
// detail text of a tweak of 50 actions.
#include <benchmark/benchmark.h>

#include "db/dm1.h"
#include "db/packet_engine.h"
#include "engine/apply_engine.h"
#include "engine/detail_text.h"
#include "doubles/recording_rich_text.h"
#include "engine/undo_commands.h"
#include "doubles/memory_registry.h"
#include "host/message_boxes.h"
#include "host/platform.h"
#include "host/registry.h"
#include "doubles/memory_file_store.h"
#include "support/table_files.h"

namespace cordalis {
namespace {

class NoBoxes final : public MessageBoxes {
 public:
  MsgAnswer Show(MsgOwner, MsgIcon, const std::string&) override { return MsgAnswer::Yes; }
};

class NoControls final : public ControlPane {
 public:
  int FirstControlNumber(int) const override { return -1; }
  std::string ReadControl(char, int) const override { return {}; }
  PaneCompleteness Completeness() const override { return PaneCompleteness::Complete; }
};

struct World {
  explicit World(const std::vector<testing::RowText>& actions, const std::vector<testing::RowText>& undo = {}) {
    testing::WriteTable(files, PathInFolder("app", "Twks.xml"), Tdm1::TweakFields(),
                        {{"1", "FALSE", "Bench", "", "Big", ""}});
    testing::WriteTable(files, PathInFolder("app", "Data.xml"), Tdm1::ActionFields(), actions);
    testing::WriteTable(files, PathInFolder("app", "Undo.xml"), Tdm1::UndoFields(), undo);
    testing::WriteTable(files, PathInFolder("app", "Note.xml"), Tdm1::NoteFields(), {});
    dm = std::make_unique<Tdm1>(engine, files, boxes, "app");
  }
  testing::MemoryFileStore files;
  XmlPacketEngine engine{files};
  NoBoxes boxes;
  std::unique_ptr<Tdm1> dm;
  MemoryRegistry registry;
  HostFacts facts;
  NoControls pane;
};

void FillTree(MemoryRegistry& registry, int subkeys) {
  TRegistry reg(registry);
  reg.SetRootKey(kHkeyCurrentUser);
  for (int k = 0; k < subkeys; ++k) {
    reg.OpenKey("\\Software\\Bench\\Sub" + std::to_string(k), true);
    for (int v = 0; v < 10; ++v) reg.WriteString("Value" + std::to_string(v), "data of value " + std::to_string(v));
  }
}

void BM_DeleteKeyThenUndo(benchmark::State& state) {
  const int subkeys = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    World world({{"1", "HKCU", "Software\\Bench", "", "0", "2", "", "", "63"}});
    FillTree(world.registry, subkeys);
    state.ResumeTiming();
    ApplyInputs in{*world.dm, world.registry, world.boxes, world.facts, world.pane, 0x0C20, 31, 31, false};
    std::optional<ApplyCounts> counts = ApplyTweak(in, 1);
    UndoCommand(UndoInputs{*world.dm, world.registry, world.boxes}, 1, [] {});
    benchmark::DoNotOptimize(counts);
  }
  state.counters["values"] = subkeys * 10;
  state.counters["per_value_us"] =
      benchmark::Counter(static_cast<double>(subkeys * 10), benchmark::Counter::kIsIterationInvariantRate |
                                                                benchmark::Counter::kInvert);
}
BENCHMARK(BM_DeleteKeyThenUndo)->Arg(1000)->Arg(2000)->Arg(4000)->Unit(benchmark::kMillisecond);

// DO IT of ten value changes and its Undo, beside a 5 MB Undo.xml of other
// tweaks. Each change saves the undo table first, so that is most of the
// cost; the check that the undo actions will fit must add nothing like it.
void BM_DoItOfTenActionsBesideALargeUndoTable(benchmark::State& state) {
  std::vector<testing::RowText> actions, undo;
  for (int i = 0; i < 10; ++i)
    actions.push_back({"1", "HKCU", "Software\\Bench\\Sub0", "Value" + std::to_string(i), "1", "1", "",
                       "new data " + std::to_string(i), "63"});
  for (std::size_t bytes = 0; bytes < (5u << 20); bytes += 330)
    undo.push_back({"2", "HKCU", "Software\\Bench\\Old" + std::to_string(bytes), "Value", "1", "1", "",
                    std::string(200, 'd'), "0"});
  World world(actions, undo);
  FillTree(world.registry, 1);
  ApplyInputs in{*world.dm, world.registry, world.boxes, world.facts, world.pane, 0x0C20, 31, 31, false};
  for (auto _ : state) {
    std::optional<ApplyCounts> counts = ApplyTweak(in, 1);
    UndoCommand(UndoInputs{*world.dm, world.registry, world.boxes}, 1, [] {});
    benchmark::DoNotOptimize(counts);
  }
  state.counters["undo_file_bytes"] = static_cast<double>(world.files.At(PathInFolder("app", "Undo.xml")).size());
}
BENCHMARK(BM_DoItOfTenActionsBesideALargeUndoTable)->Unit(benchmark::kMillisecond);

void BM_DetailTextOf50Actions(benchmark::State& state) {
  std::vector<testing::RowText> actions;
  for (int i = 0; i < 50; ++i)
    actions.push_back({"1", "HKCU", "Software\\Bench\\K" + std::to_string(i % 5), "V" + std::to_string(i), "1", "1",
                       i % 3 ? "" : "text", "new data " + std::to_string(i), "63"});
  World world(actions);
  FillTree(world.registry, 5);
  world.dm->LocateTweak(1);
  for (auto _ : state) {
    RecordingRichText text;
    BuildDetailText(DetailInputs{*world.dm, 1, world.registry, world.facts, false, false, 0x0C20}, text);
    benchmark::DoNotOptimize(text.Runs().size());
  }
}
BENCHMARK(BM_DetailTextOf50Actions)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace cordalis
