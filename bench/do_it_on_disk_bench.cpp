// DO IT of a ten-action tweak when the user already has much undo data: the
// tables on a real disk, every flush included, the Registry in memory.
#include <benchmark/benchmark.h>

#include <memory>

#include "db/dm1.h"
#include "db/packet_engine.h"
#include "doubles/memory_registry.h"
#include "engine/apply_engine.h"
#include "engine/undo_commands.h"
#include "host/file_store.h"
#include "host/message_boxes.h"
#include "host/platform.h"
#include "support/table_files.h"
#include "support/temp_dir.h"

namespace cordalis {
namespace {

class YesBoxes final : public MessageBoxes {
 public:
  MsgAnswer Show(MsgOwner, MsgIcon, const std::string&) override { return MsgAnswer::Yes; }
};

class NoControls final : public ControlPane {
 public:
  int FirstControlNumber(int) const override { return -1; }
  std::string ReadControl(char, int) const override { return {}; }
  PaneCompleteness Completeness() const override { return PaneCompleteness::Complete; }
};

// Undo rows of other tweaks, about 250 bytes each on disk.
std::vector<testing::RowText> EarlierUndoRows(std::size_t bytes) {
  std::vector<testing::RowText> rows;
  for (std::size_t made = 0; made < bytes; made += 250) {
    const std::string n = std::to_string(rows.size());
    rows.push_back({std::to_string(2 + rows.size() % 500), "HKCU", "Software\\Earlier\\Tweak\\Key" + n, "Value" + n,
                    "1", "1", "", "the data that was there before, number " + n, "0"});
  }
  return rows;
}

// The tables on disk: a ten-action tweak and undo rows of other tweaks.
struct DiskTables {
  explicit DiskTables(std::size_t undoBytes) {
    FileStore& files = SystemFileStore();
    std::vector<testing::RowText> actions;
    for (int i = 0; i < 10; ++i)
      actions.push_back({"1", "HKCU", "Software\\Bench", "V" + std::to_string(i), "1", "1", "", "new", "63"});
    testing::WriteTable(files, dir.File("Twks.xml"), Tdm1::TweakFields(), {{"1", "FALSE", "Bench", "", "Ten", ""}});
    testing::WriteTable(files, dir.File("Data.xml"), Tdm1::ActionFields(), actions);
    testing::WriteTable(files, dir.File("Undo.xml"), Tdm1::UndoFields(), EarlierUndoRows(undoBytes));
    testing::WriteTable(files, dir.File("Note.xml"), Tdm1::NoteFields(), {});
  }
  testing::TempDir dir;
  XmlPacketEngine engine{SystemFileStore()};
  YesBoxes boxes;
  MemoryRegistry registry;
  HostFacts facts;
  NoControls pane;
};

// Any DO IT after the first of a run.
void BM_DoItWithLargeUndoFile(benchmark::State& state) {
  DiskTables disk(static_cast<std::size_t>(state.range(0)) << 20);
  Tdm1 dm(disk.engine, SystemFileStore(), disk.boxes, disk.dir.Str());
  for (auto _ : state) {
    ApplyInputs in{dm, disk.registry, disk.boxes, disk.facts, disk.pane, 0x0C20, 31, 31, false};
    benchmark::DoNotOptimize(ApplyTweak(in, 1));
    state.PauseTiming();
    UndoCommand(UndoInputs{dm, disk.registry, disk.boxes}, 1, [] {});
    state.ResumeTiming();
  }
  state.counters["undo_MB"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_DoItWithLargeUndoFile)->Arg(5)->Unit(benchmark::kMillisecond)->Iterations(20);

// The first DO IT of a run also begins the journal, with a fingerprint of
// the table file (opening the tables, and closing them, not counted).
void BM_FirstDoItOfARunWithLargeUndoFile(benchmark::State& state) {
  DiskTables disk(static_cast<std::size_t>(state.range(0)) << 20);
  for (auto _ : state) {
    state.PauseTiming();
    auto dm = std::make_unique<Tdm1>(disk.engine, SystemFileStore(), disk.boxes, disk.dir.Str());
    state.ResumeTiming();
    ApplyInputs in{*dm, disk.registry, disk.boxes, disk.facts, disk.pane, 0x0C20, 31, 31, false};
    benchmark::DoNotOptimize(ApplyTweak(in, 1));
    state.PauseTiming();
    UndoCommand(UndoInputs{*dm, disk.registry, disk.boxes}, 1, [] {});
    dm.reset();
    state.ResumeTiming();
  }
  state.counters["undo_MB"] = static_cast<double>(state.range(0));
}
BENCHMARK(BM_FirstDoItOfARunWithLargeUndoFile)->Arg(5)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
}  // namespace cordalis
