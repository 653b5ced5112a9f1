// No Registry change is made before the undo actions that describe it are on
// disk, and no undo action leaves the disk before its change is undone and on
// the disk too. The power goes at every Registry change and at every file
// operation of DO IT, of Undo and of Delete Undo data; the disk keeps only what
// was flushed, of the files and, where a case says so, of the Registry (which
// Windows writes to the disk only seconds after a change, unless it is
// flushed); the program starts again, and Undo brings the Registry back to
// where it was.
#include <gtest/gtest.h>

#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/engine_world.h"

namespace cordalis {
namespace {

using testing::EngineWorld;
using testing::SimulatedCrash;
using testing::Tweaks;

const Tweaks kCatalogue = {
    {1, {{"HKCU", "{S}\\Made\\Deeper\\Deepest", "", 0, 0}, {"HKCU", "{S}\\Kept", "", 0, 0}}},
    {2,
     {{"HKCU", "{S}\\Kept", "none", 0, 1, "", "was none"},
      {"HKCU", "{S}\\Kept", "sz", 1, 1, "", "new text"},
      {"HKCU", "{S}\\Kept", "expand", 2, 1, "expand", "%windir%\\x"},
      {"HKCU", "{S}\\Kept", "bin", 3, 1, "", "DE AD BE EF"},
      {"HKCU", "{S}\\Kept", "dword", 4, 1, "", "-2"},
      {"HKCU", "{S}\\Kept", "newdword", 4, 1, "", "9"},
      {"HKCU", "{S}\\Fresh\\Key", "typed", 1, 1, "text", "Type"},
      {"HKCU", "{S}\\\\\\Target", "var", 1, 1, "readkeyvar", "HKCU\\{S}\\Kept\\\\target|found"}}},
    {3, {{"HKCU", "{S}\\Tree", "", 0, 2}}},
    {4, {{"HKCU", "{S}\\Kept", "doomed", 0, 3}, {"HKCU", "{S}\\Kept", "multi", 0, 3}}},
    {5, {{"HKCU", "{S}\\Kept", "sz", 0, 4, "view", "Current"}}},
    {6, {{"HKCU", "{S}\\Toggle", "t", 4, 1, "toggle", "Switch it|1|0"}}},
};

void Prepare(EngineWorld& world) {
  world.MakeKey("Made");
  world.Put("Kept", "none", kRegNone, {1, 2});
  world.PutText("Kept", "sz", "old text");
  world.PutText("Kept", "expand", "%temp%", kRegExpandSz);
  world.Put("Kept", "bin", kRegBinary, {0, 1, 2});
  world.Put("Kept", "dword", kRegDword, {1, 0, 0, 0});
  world.PutText("Kept", "doomed", "goodbye");
  world.Put("Kept", "multi", kRegMultiSz, {'x', 0, 'y', 0, 0});
  world.PutText("Kept", "target", "Target");
  world.MakeKey("Target");
  world.PutText("Tree", "", "root default");
  world.Put("Tree\\A", "dw", kRegDword, {2, 0, 0, 0});
  world.Put("Tree\\A\\A1", "bin", kRegBinary, {9, 8, 7});
  world.PutText("Tree\\A\\A1", "ex", "%path%", kRegExpandSz);
  world.Put("Tree\\B", "big", kRegDwordBigEndian, {0, 0, 1, 0});
  world.Put("Tree\\B", "multi", kRegMultiSz, {'m', 0, 0});
  world.Put("Toggle", "t", kRegDword, {0, 0, 0, 0});
  world.pane.values[{'E', 0}] = "typed text";
  world.pane.values[{'C', 0}] = "1";  // the user ticks the toggle
}

// Closing writes the undo table whole and drops its journal; a start after a
// crash plays the journal into the file.
enum class Phase { DoIt, Undo, DeleteUndoData, Close, StartAfterCrash };
enum class Cut { RegistryChange, FileOperation };

// Runs DO IT on every tweak.
void DoItAll(EngineWorld& world) {
  for (const auto& t : kCatalogue) world.DoIt(t.id);
}

// Undo every tweak, and set the toggle back with its check box, which is how a
// toggle is undone (it records nothing).
void UndoAll(EngineWorld& world) {
  for (const auto& t : kCatalogue) world.Undo(t.id);
  world.pane.values[{'C', 0}] = "0";
  world.DoIt(6);
}

// The tweaks whose undo data may be deleted (tweak 3 deleted a key: refused).
constexpr std::int32_t kDeletable[] = {1, 2, 4};

void DeleteUndoDataOfAll(EngineWorld& world) {
  for (std::int32_t id : kDeletable) {
    world.boxes.answers.push_back(MsgAnswer::Yes);
    DeleteUndoDataCommand(UndoInputs{*world.dm, world.sandbox.Api(), world.boxes}, true, id, [] {});
  }
}

void RunPhase(EngineWorld& world, Phase phase) {
  switch (phase) {
    case Phase::DoIt: DoItAll(world); break;
    case Phase::Undo: UndoAll(world); break;
    case Phase::DeleteUndoData: DeleteUndoDataOfAll(world); break;
    case Phase::Close: world.dm->Close(); break;
    case Phase::StartAfterCrash: world.Start(); break;
  }
}

std::map<std::int32_t, std::vector<std::string>> UndoRowsOfAll(EngineWorld& world) {
  std::map<std::int32_t, std::vector<std::string>> rows;
  for (const auto& t : kCatalogue) rows[t.id] = world.UndoRows(t.id);
  return rows;
}

// What a power cut leaves of the Registry.
enum class RegistryKeeps {
  Everything,  // every change: Windows wrote each to the disk at once
  Flushed,     // what was flushed, and what Windows wrote on its own before the phase began
};

struct CrashCase {
  const char* name;
  Phase phase;
  Cut cut;
  bool oneStepReplace;  // false: files replaced in two renames, as on Windows 95, 98 and ME
  int fewestPoints;     // fewer crash points than this means the run did not happen as meant
  RegistryKeeps registryKeeps = RegistryKeeps::Everything;
  friend void PrintTo(const CrashCase& c, std::ostream* out) { *out << c.name; }
};

class CrashSafety : public ::testing::TestWithParam<CrashCase> {
 protected:
  // A world with the catalogue's Registry, and the phases before the tested one run.
  std::unique_ptr<EngineWorld> WorldBefore(Phase phase) {
    auto world = std::make_unique<EngineWorld>(kCatalogue);
    world->disk.oneStepReplace = GetParam().oneStepReplace;
    Prepare(*world);
    before_ = world->Snapshot();
    MemoryRegistry& registry = *world->sandbox.Memory();
    if (GetParam().registryKeeps == RegistryKeeps::Flushed) registry.KeepOnlyWhatIsFlushed();
    if (phase != Phase::DoIt) {
      DoItAll(*world);
      registry.WriteEverythingToDisk();  // seconds pass before the tested phase
    }
    if (phase == Phase::DeleteUndoData) afterDoIt_ = world->Snapshot();
    if (phase == Phase::StartAfterCrash) world->CrashWithoutRestart();
    return world;
  }
  int Points(EngineWorld& world) const {
    return GetParam().cut == Cut::RegistryChange ? world.sandbox.Memory()->changes : world.files.changes;
  }
  // How many crash points the tested phase has.
  int CountPoints() {
    auto world = WorldBefore(GetParam().phase);
    const int before = Points(*world);
    RunPhase(*world, GetParam().phase);
    return Points(*world) - before;
  }
  // Runs the tested phase with the power going at its k-th crash point; true
  // when the run got past it.
  bool RunCutAt(EngineWorld& world, int k) {
    MemoryRegistry& registry = *world.sandbox.Memory();
    if (GetParam().cut == Cut::RegistryChange) {
      registry.crashAtChange = registry.changes + k;
      registry.onCrash = [&world] { world.files.Crash(); };
    } else {
      world.files.crashAt = world.files.changes + k;
    }
    bool finished = false;
    try {
      RunPhase(world, GetParam().phase);
      finished = true;
    } catch (const RegistryCrash&) {
    } catch (const SimulatedCrash&) {
    }
    registry.crashAtChange.reset();
    world.files.crashAt.reset();
    return finished;
  }

  std::string before_, afterDoIt_;
};

TEST_P(CrashSafety, TheNextStartFinishesOrUndoesWhatTheCutLeft) {
  const int points = CountPoints();
  EXPECT_GE(points, GetParam().fewestPoints);
  std::cout << "[ crash points ] " << points << "\n";
  for (int k = 1; k <= points && !HasFailure(); ++k) {
    SCOPED_TRACE("the power went at crash point " + std::to_string(k) + " of " + std::to_string(points));
    auto world = WorldBefore(GetParam().phase);
    // (After a crash the program has not started again: there are no tables.)
    const auto rowsBefore = world->dm ? UndoRowsOfAll(*world) : std::map<std::int32_t, std::vector<std::string>>();
    EXPECT_FALSE(RunCutAt(*world, k));
    const std::size_t boxesBefore = world->boxes.shown.size();
    world->RestartAfterCrash();
    EXPECT_EQ(world->boxes.shown.size(), boxesBefore) << "no table was found damaged";
    if (GetParam().phase == Phase::DeleteUndoData) {
      EXPECT_EQ(world->Snapshot(), afterDoIt_) << "the Registry is not touched";
      for (const auto& [id, rows] : UndoRowsOfAll(*world))
        EXPECT_TRUE(rows == rowsBefore.at(id) || (rows.empty() && id != 3)) << "tweak " << id << ": all or none";
      continue;
    }
    UndoAll(*world);
    EXPECT_EQ(world->Snapshot(), before_) << "Undo after the restart brings the Registry back";
    for (const auto& t : kCatalogue) EXPECT_FALSE(world->HasUndoData(t.id)) << "tweak " << t.id;
  }
}

const CrashCase kCrashCases[] = {
    {"DoItAtRegistryChanges", Phase::DoIt, Cut::RegistryChange, true, 21},
    {"DoItAtFileOperations", Phase::DoIt, Cut::FileOperation, true, 15},
    {"UndoAtRegistryChanges", Phase::Undo, Cut::RegistryChange, true, 25},
    {"UndoAtFileOperations", Phase::Undo, Cut::FileOperation, true, 4},
    {"DeleteUndoDataAtFileOperations", Phase::DeleteUndoData, Cut::FileOperation, true, 3},
    {"CloseAtFileOperations", Phase::Close, Cut::FileOperation, true, 3},
    {"StartAfterCrashAtFileOperations", Phase::StartAfterCrash, Cut::FileOperation, true, 3},
    {"DoItAtFileOperationsInTwoRenames", Phase::DoIt, Cut::FileOperation, false, 18},
    {"UndoAtFileOperationsInTwoRenames", Phase::Undo, Cut::FileOperation, false, 4},
    {"DeleteUndoDataAtFileOperationsInTwoRenames", Phase::DeleteUndoData, Cut::FileOperation, false, 3},
    {"CloseAtFileOperationsInTwoRenames", Phase::Close, Cut::FileOperation, false, 6},
    {"StartAfterCrashAtFileOperationsInTwoRenames", Phase::StartAfterCrash, Cut::FileOperation, false, 6},
    {"DoItAtRegistryChangesNotYetOnDisk", Phase::DoIt, Cut::RegistryChange, true, 21, RegistryKeeps::Flushed},
    {"DoItAtFileOperationsNotYetOnDisk", Phase::DoIt, Cut::FileOperation, true, 15, RegistryKeeps::Flushed},
    {"UndoAtRegistryChangesNotYetOnDisk", Phase::Undo, Cut::RegistryChange, true, 25, RegistryKeeps::Flushed},
    {"UndoAtFileOperationsNotYetOnDisk", Phase::Undo, Cut::FileOperation, true, 4, RegistryKeeps::Flushed},
};

INSTANTIATE_TEST_SUITE_P(, CrashSafety, ::testing::ValuesIn(kCrashCases),
                         [](const auto& info) { return std::string(info.param.name); });

// RegCreateKeyEx makes a chain of missing keys one key at a time, so the power
// can go between them; the "Delete key" action written ahead covers the part made.
TEST(CrashSafetyOfKeyChains, APowerCutBetweenTheKeysOfAChainIsUndone) {
  EngineWorld world(Tweaks{{1, {{"HKCU", "{S}\\A\\B\\C", "", 0, 0}}}});
  world.MakeKey("A");
  const std::string before = world.Snapshot();
  MemoryRegistry& registry = *world.sandbox.Memory();
  registry.crashAtChange = registry.changes + 2;  // B is made, C is not
  registry.onCrash = [&world] { world.files.Crash(); };
  EXPECT_THROW(world.DoIt(1), RegistryCrash);
  registry.crashAtChange.reset();
  EXPECT_EQ(world.Snapshot(), before + "{S}\\A\\B\n");
  world.RestartAfterCrash();
  world.Undo(1);
  EXPECT_EQ(world.Snapshot(), before);
  EXPECT_FALSE(world.HasUndoData(1));
}

}  // namespace
}  // namespace cordalis

namespace cordalis {
namespace {

// "Keep newer changes" cut short by the power at each of its Registry changes
// and file operations: after the restart the undo data and the Registry agree,
// and the same answer again ends where a run never cut ends.
class CrashSafetyOfKeepingNewer : public ::testing::TestWithParam<Cut> {
 protected:
  static std::unique_ptr<EngineWorld> AppliedAndChangedSince() {
    auto world = std::make_unique<EngineWorld>(kCatalogue);
    Prepare(*world);
    DoItAll(*world);
    world->PutText("Kept", "sz", "another program's text");
    world->Put("Kept", "bin", kRegBinary, {7, 7});
    world->PutText("Fresh\\Key", "typed", "changed since");
    world->sandbox.Memory()->WriteEverythingToDisk();
    return world;
  }
  static void UndoKeepingNewer(EngineWorld& world) {
    for (const auto& t : kCatalogue) {
      UndoInputs in{*world.dm, world.sandbox.Api(), world.boxes};
      in.askDrift = [](const std::vector<DriftRow>&) { return DriftChoice::KeepNewer; };
      UndoCommand(in, t.id, [] {});
    }
  }
  int Points(EngineWorld& world) const {
    return GetParam() == Cut::RegistryChange ? world.sandbox.Memory()->changes : world.files.changes;
  }
};

TEST_P(CrashSafetyOfKeepingNewer, TheSameAnswerAfterTheRestartEndsAsAnUncutRun) {
  auto uncut = AppliedAndChangedSince();
  const int first = Points(*uncut);
  UndoKeepingNewer(*uncut);
  const int points = Points(*uncut) - first;
  const std::string expected = uncut->Snapshot();
  const auto expectedRows = UndoRowsOfAll(*uncut);
  ASSERT_FALSE(expectedRows.at(2).empty()) << "the values changed since keep their undo data";
  EXPECT_NE(expected.find("[sz] 1: 97 110 111"), std::string::npos) << "\"another program's text\" stays";
  ASSERT_GE(points, 3);
  for (int k = 1; k <= points && !HasFailure(); ++k) {
    SCOPED_TRACE("the power went at crash point " + std::to_string(k) + " of " + std::to_string(points));
    auto world = AppliedAndChangedSince();
    MemoryRegistry& registry = *world->sandbox.Memory();
    if (GetParam() == Cut::RegistryChange) {
      registry.crashAtChange = registry.changes + k;
      registry.onCrash = [&world] { world->files.Crash(); };
    } else {
      world->files.crashAt = world->files.changes + k;
    }
    bool finished = false;
    try {
      UndoKeepingNewer(*world);
      finished = true;
    } catch (const RegistryCrash&) {
    } catch (const SimulatedCrash&) {
    }
    EXPECT_FALSE(finished);
    registry.crashAtChange.reset();
    world->files.crashAt.reset();
    world->RestartAfterCrash();
    UndoKeepingNewer(*world);
    EXPECT_EQ(world->Snapshot(), expected);
    EXPECT_EQ(UndoRowsOfAll(*world), expectedRows);
  }
}

INSTANTIATE_TEST_SUITE_P(, CrashSafetyOfKeepingNewer, ::testing::Values(Cut::RegistryChange, Cut::FileOperation),
                         [](const auto& info) {
                           return std::string(info.param == Cut::RegistryChange ? "AtRegistryChanges"
                                                                                : "AtFileOperations");
                         });

}  // namespace
}  // namespace cordalis
