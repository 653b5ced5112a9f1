// The state of every tweak of a 10,000-tweak catalogue, three actions each,
// against the Registry in memory: half the tweaks in effect, and one in ten
// with undo data (each checked for values changed since).
#include <benchmark/benchmark.h>

#include <algorithm>

#include "db/dm1.h"
#include "db/packet_engine.h"
#include "doubles/memory_file_store.h"
#include "doubles/memory_registry.h"
#include "doubles/recording_message_boxes.h"
#include "engine/tweak_state.h"
#include "engine/undo_recorder.h"
#include "host/platform.h"
#include "support/table_files.h"

namespace cordalis {
namespace {

constexpr int kTweaks = 10000;

struct Catalogue {
  Catalogue() {
    std::vector<testing::RowText> tweaks, actions, undo;
    for (int i = 1; i <= kTweaks; ++i) {
      const std::string n = std::to_string(i), key = "Software\\Bench\\Tweak" + n;
      tweaks.push_back({n, "FALSE", "Category" + std::to_string(i % 40), "", "Tweak " + n, ""});
      actions.push_back({n, "HKCU", key, "Setting", "1", "1", "", "on", "3903"});
      actions.push_back({n, "HKCU", key, "Level", "4", "1", "", "2", "3903"});
      actions.push_back({n, "HKCU", key, "Legacy", "0", "3", "", "", "3903"});
      if (i % 2 == 0) {
        PutText(key, "Setting", "on");
        const std::uint8_t two[] = {2, 0, 0, 0};
        Put(key, "Level", kRegDword, two, 4);
      }
      if (i % 10 == 0)
        undo.push_back({n, "HKCU", key, "Setting", "1", "1", "", "off", "0",
                        WrittenForm(kRegSz, {'o', 'n', 0}), "2026-01-02"});
    }
    testing::WriteTable(files, PathInFolder("app", "Twks.xml"), Tdm1::TweakFields(), tweaks);
    testing::WriteTable(files, PathInFolder("app", "Data.xml"), Tdm1::ActionFields(), actions);
    testing::WriteTable(files, PathInFolder("app", "Undo.xml"), Tdm1::UndoFields(), undo);
    testing::WriteTable(files, PathInFolder("app", "Note.xml"), Tdm1::NoteFields(), {});
    for (int i = 1; i <= kTweaks; ++i) ids.push_back(i);
  }
  void Put(const std::string& key, const std::string& name, std::uint32_t type, const std::uint8_t* data,
           std::uint32_t size) {
    HKey k = 0;
    registry.CreateKey(kHkeyCurrentUser, key, kKeyAllAccess, &k, nullptr);
    registry.SetValue(k, name, type, data, size);
    registry.CloseKey(k);
  }
  void PutText(const std::string& key, const std::string& name, const std::string& text) {
    Put(key, name, kRegSz, reinterpret_cast<const std::uint8_t*>(text.c_str()),
        static_cast<std::uint32_t>(text.size() + 1));
  }

  testing::MemoryFileStore files;
  XmlPacketEngine engine{files};
  testing::SilentMessageBoxes boxes;
  MemoryRegistry registry;
  HostFacts facts;
  std::vector<std::int32_t> ids;
};

void BM_StateOfEveryTweakOfALargeCatalogue(benchmark::State& state) {
  Catalogue catalogue;
  Tdm1 dm(catalogue.engine, catalogue.files, catalogue.boxes, "app");
  const StateInputs in{dm.cdsData, dm.cdsUndo, catalogue.registry, catalogue.facts, 0x0C20};
  int inEffect = 0;
  for (auto _ : state) {
    const std::vector<TweakState> states = EvaluateTweaks(in, catalogue.ids);
    inEffect = static_cast<int>(std::count_if(states.begin(), states.end(),
                                              [](const TweakState& s) { return s.verdict == TweakVerdict::InEffect; }));
    benchmark::DoNotOptimize(states.data());
  }
  state.counters["tweaks"] = kTweaks;
  state.counters["in_effect"] = inEffect;
}
BENCHMARK(BM_StateOfEveryTweakOfALargeCatalogue)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace cordalis
