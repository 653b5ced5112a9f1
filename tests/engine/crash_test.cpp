// No Registry change is ever made before the undo actions that describe it are
// on disk: the program is stopped at every changing call of a DO IT run (and at
// every file operation), started again, and Undo brings the Registry back.
#include <gtest/gtest.h>

#include "support/engine_world.h"

namespace cordalis {
namespace {

using testing::ActionRow;
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

// Runs DO IT on every tweak; true when the whole run finished.
bool DoItAll(EngineWorld& world) {
  try {
    for (const auto& t : kCatalogue) world.DoIt(t.id);
    return true;
  } catch (const RegistryCrash&) {
  } catch (const SimulatedCrash&) {
  }
  return false;
}

// After the restart: Undo every tweak, and set the toggle back with its check
// box, which is how a toggle is undone (it records nothing).
void UndoAll(EngineWorld& world) {
  for (const auto& t : kCatalogue) world.Undo(t.id);
  world.pane.values[{'C', 0}] = "0";
  world.DoIt(6);
}

// The changes, of the Registry or of files, that a whole DO IT run makes.
std::pair<int, int> ChangesOfAWholeRun() {
  EngineWorld world(kCatalogue);
  Prepare(world);
  const int registryBefore = world.sandbox.Memory()->changes, filesBefore = world.files.changes;
  EXPECT_TRUE(DoItAll(world));
  return {world.sandbox.Memory()->changes - registryBefore, world.files.changes - filesBefore};
}

TEST(CrashSafety, EveryRegistryChangeCanBeUndoneAfterACrashAtIt) {
  const int changes = ChangesOfAWholeRun().first;
  for (int k = 1; k <= changes; ++k) {
    EngineWorld world(kCatalogue);
    Prepare(world);
    const std::string before = world.Snapshot();
    world.sandbox.Memory()->crashAtChange = world.sandbox.Memory()->changes + k;
    world.sandbox.Memory()->onCrash = [&] { world.files.crashed = true; };
    EXPECT_FALSE(DoItAll(world)) << k;
    world.sandbox.Memory()->crashAtChange.reset();
    world.RestartAfterCrash();
    UndoAll(world);
    EXPECT_EQ(world.Snapshot(), before) << "stopped at Registry change " << k;
    for (const auto& t : kCatalogue) EXPECT_FALSE(world.HasUndoData(t.id)) << k;
  }
  EXPECT_GE(changes, 15);
  std::cout << "[ crash points ] Registry changes: " << changes << "\n";
}

TEST(CrashSafety, AFileWriteCutShortStopsTheRunBeforeItsRegistryChange) {
  const int operations = ChangesOfAWholeRun().second;
  for (int j = 1; j <= operations; ++j) {
    EngineWorld world(kCatalogue);
    Prepare(world);
    const std::string before = world.Snapshot();
    world.files.crashAt = world.files.changes + j;
    EXPECT_FALSE(DoItAll(world)) << j;
    world.files.crashAt.reset();
    world.RestartAfterCrash();
    UndoAll(world);
    EXPECT_EQ(world.Snapshot(), before) << "stopped at file operation " << j;
  }
  EXPECT_GE(operations, 10);
  std::cout << "[ crash points ] file operations: " << operations << "\n";
}

}  // namespace
}  // namespace cordalis
