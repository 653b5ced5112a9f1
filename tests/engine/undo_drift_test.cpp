#include "engine/undo_drift.h"

#include <gtest/gtest.h>

#include <memory>

#include "db/schema.h"
#include "engine/registry_reads.h"
#include "engine/undo_recorder.h"
#include "support/engine_world.h"

namespace cordalis {
namespace {

using testing::EngineWorld;
using testing::RegistryKind;
using testing::Tweaks;

// Sets a string, creates a value, deletes a value, and makes a key with a value in it.
const Tweaks kTweaks = {{1,
                         {{"HKCU", "{S}\\K", "sz", 1, 1, "", "new"},
                          {"HKCU", "{S}\\K", "fresh", 4, 1, "", "5"},
                          {"HKCU", "{S}\\K", "doomed", 0, 3},
                          {"HKCU", "{S}\\Made", "v", 1, 1, "", "made"}}}};

// The tweak applied on a day, beside what the Registry held before.
struct AppliedWorld {
  explicit AppliedWorld(RegistryKind kind) : world(kTweaks, kind) {
    world.PutText("K", "sz", "old");
    world.PutText("K", "doomed", "goodbye");
    before = world.Snapshot();
    ApplyInputs in = world.Inputs();
    in.appliedOn = "2026-03-04";
    world.BuildPane(1);
    EXPECT_TRUE(ApplyTweak(in, 1));
  }
  std::vector<DriftRow> Found() { return FindDrift(world.sandbox.Api(), ActionsWithKey(world.dm->cdsUndo, 1)); }
  void Undo(DriftChoice answer) {
    UndoInputs in{*world.dm, world.sandbox.Api(), world.boxes};
    in.askDrift = [this, answer](const std::vector<DriftRow>& rows) {
      asked.push_back(rows);
      return answer;
    };
    UndoCommand(in, 1, [] {});
  }
  std::string Text(const std::string& key, const std::string& value) {
    return ReadCurrentData(world.sandbox.Api(), "HKCU", world.sandbox.Path(key), value, false, "(none)");
  }

  EngineWorld world;
  std::string before;
  std::vector<std::vector<DriftRow>> asked;
};

class Drift : public ::testing::TestWithParam<RegistryKind>, public AppliedWorld {
 protected:
  Drift() : AppliedWorld(GetParam()) {}
};

TEST_P(Drift, DoItRecordsWhatItLeftOfEachValueAndTheDay) {
  const std::vector<UndoRecord> rows = ActionsWithKey(world.dm->cdsUndo, 1);
  ASSERT_EQ(rows.size(), 5u);
  // In order: the old string, the value that was not there, the deleted value,
  // the key that was not there, the value made in it.
  EXPECT_EQ(rows[0].written, WrittenForm(kRegSz, {'n', 'e', 'w', 0}));
  EXPECT_EQ(rows[1].written, WrittenForm(kRegDword, {5, 0, 0, 0}));
  EXPECT_EQ(rows[2].written, kWrittenAbsent);
  EXPECT_EQ(rows[3].written, "") << "a key DO IT made has no value to compare";
  EXPECT_EQ(rows[4].written, WrittenForm(kRegSz, {'m', 'a', 'd', 'e', 0}));
  for (const UndoRecord& row : rows) EXPECT_EQ(row.appliedOn, "2026-03-04");
  EXPECT_TRUE(Found().empty()) << "nothing changed since";
  EXPECT_TRUE(TweaksChangedSince(world.sandbox.Api(), world.dm->cdsUndo).empty());
}

TEST_P(Drift, EachValueChangedSinceIsFoundWithItsThreeStates) {
  world.PutText("K", "sz", "policy");
  world.Put("K", "fresh", kRegBinary, {5, 0, 0, 0});  // the same bytes, another type
  world.PutText("K", "doomed", "back again");
  const std::vector<DriftRow> found = Found();
  const std::string k = "HKCU\\" + world.sandbox.Path("K");
  ASSERT_EQ(found.size(), 3u);
  EXPECT_EQ(found[0], (DriftRow{k, "sz", "old", "new", "policy", {0}}));
  EXPECT_EQ(found[1], (DriftRow{k, "fresh", "(absent)", "5", "05 00 00 00", {1}}));
  EXPECT_EQ(found[2], (DriftRow{k, "doomed", "goodbye", "(deleted)", "back again", {2}}));
  EXPECT_EQ(TweaksChangedSince(world.sandbox.Api(), world.dm->cdsUndo), std::vector<std::int32_t>{1});

  // A value deleted by someone else has changed too; one that holds what Undo
  // would put back (an Undo cut short) has not, nor one gone that Undo would remove.
  world.PutText("K", "doomed", "goodbye");
  world.Put("K", "fresh", kRegDword, {5, 0, 0, 0});
  TRegistry reg(world.sandbox.Api());
  reg.SetRootKey(kHkeyCurrentUser);
  ASSERT_TRUE(reg.OpenKey("\\" + world.sandbox.Path("K"), false));
  ASSERT_TRUE(reg.DeleteValue("sz"));
  ASSERT_TRUE(reg.OpenKey("\\" + world.sandbox.Path("Made"), false));
  ASSERT_TRUE(reg.DeleteValue("v"));
  const std::vector<DriftRow> gone = Found();
  ASSERT_EQ(gone.size(), 1u);
  EXPECT_EQ(gone[0], (DriftRow{k, "sz", "old", "new", "(absent)", {0}}));
}

TEST_P(Drift, UndoWithoutAChangeSinceAsksNothing) {
  Undo(DriftChoice::Cancel);
  EXPECT_TRUE(asked.empty());
  EXPECT_EQ(world.Snapshot(), before);
  EXPECT_FALSE(world.HasUndoData(1));
}

struct ChoiceCase {
  const char* what;
  DriftChoice choice;
  const char* sz;       // the string another program changed
  const char* fresh;    // the value DO IT made, nobody touched
  const char* made;     // the value in the key DO IT made, changed since
  std::size_t rowsLeft;
};

TEST_P(Drift, EachAnswerDoesWhatItSays) {
  const ChoiceCase cases[] = {
      {"Undo all", DriftChoice::UndoAll, "old", "(none)", "(none)", 0},
      // The newer value in the key DO IT made keeps the removal of that key too.
      {"Keep newer changes", DriftChoice::KeepNewer, "policy", "(none)", "newer", 3},
      {"Cancel", DriftChoice::Cancel, "policy", "5", "newer", 5},
  };
  for (const ChoiceCase& c : cases) {
    AppliedWorld applied(GetParam());
    applied.world.PutText("K", "sz", "policy");
    applied.world.PutText("Made", "v", "newer");
    applied.Undo(c.choice);
    ASSERT_EQ(applied.asked.size(), 1u) << c.what;
    ASSERT_EQ(applied.asked[0].size(), 2u) << c.what;
    EXPECT_EQ(applied.asked[0][1].now, "newer") << c.what;
    EXPECT_EQ(applied.Text("K", "sz"), c.sz) << c.what;
    EXPECT_EQ(applied.Text("K", "fresh"), c.fresh) << c.what;
    EXPECT_EQ(applied.Text("Made", "v"), c.made) << c.what;
    EXPECT_EQ(applied.Text("K", "doomed"), c.choice == DriftChoice::Cancel ? "(none)" : "goodbye") << c.what;
    EXPECT_EQ(ActionsWithKey(applied.world.dm->cdsUndo, 1).size(), c.rowsLeft) << c.what;
    EXPECT_TRUE(applied.world.boxes.shown.empty()) << c.what;
    // What stays is on the disk, and a later Undo all finishes the job.
    applied.world.Reopen();
    EXPECT_EQ(ActionsWithKey(applied.world.dm->cdsUndo, 1).size(), c.rowsLeft) << c.what;
    applied.Undo(DriftChoice::UndoAll);
    EXPECT_EQ(applied.world.Snapshot(), applied.before) << c.what;
  }
}

// Undo data written before what DO IT wrote was kept: it loads as it always
// did, its rows are never taken for changed, and the file gets the new fields
// only when it is next written for a change.
TEST(OldUndoData, LoadsAsBeforeWithNoCheckForChangesSince) {
  EngineWorld world(kTweaks);
  FieldDefs oldFields = Tdm1::UndoFields();
  oldFields.resize(oldFields.size() - schema::FieldsAddedLater(oldFields).size());
  ASSERT_EQ(schema::FieldsAddedLater(oldFields).size(), 0u);
  const std::string undoFile = PathInFolder("app", "Undo.xml");
  testing::WriteTable(world.disk, undoFile, oldFields,
                      {{"1", "HKCU", world.sandbox.Path("K"), "sz", "1", "1", "", "old", "0"}});
  world.PutText("K", "sz", "something else entirely");
  world.Reopen();
  const std::string onDisk = world.disk.At(undoFile);
  world.Reopen();
  EXPECT_EQ(world.disk.At(undoFile), onDisk) << "opening alone writes nothing";
  EXPECT_TRUE(world.boxes.shown.empty());

  const std::vector<UndoRecord> rows = ActionsWithKey(world.dm->cdsUndo, 1);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].written, "");
  EXPECT_EQ(rows[0].appliedOn, "");
  EXPECT_TRUE(FindDrift(world.sandbox.Api(), rows).empty());

  bool asked = false;
  UndoInputs in{*world.dm, world.sandbox.Api(), world.boxes};
  in.askDrift = [&](const std::vector<DriftRow>&) {
    asked = true;
    return DriftChoice::Cancel;
  };
  UndoCommand(in, 1, [] {});
  EXPECT_FALSE(asked);
  EXPECT_FALSE(world.HasUndoData(1));
  EXPECT_NE(world.Snapshot().find("[sz] 1: 111 108 100 0"), std::string::npos) << world.Snapshot();

  // The next DO IT records them, on the disk too.
  world.BuildPane(1);
  ASSERT_TRUE(ApplyTweak(world.Inputs(), 1));
  world.Reopen();
  const std::vector<UndoRecord> recorded = ActionsWithKey(world.dm->cdsUndo, 1);
  ASSERT_FALSE(recorded.empty());
  EXPECT_EQ(recorded[0].written, WrittenForm(kRegSz, {'n', 'e', 'w', 0}));
  EXPECT_EQ(recorded[0].appliedOn, TodayText());
}

INSTANTIATE_TEST_SUITE_P(Registries, Drift, ::testing::ValuesIn(testing::RegistryKindsUnderTest()),
                         [](const auto& info) { return info.param == RegistryKind::Memory ? "Memory" : "System"; });

}  // namespace
}  // namespace cordalis
