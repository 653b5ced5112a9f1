#include "engine/apply_engine.h"

#include <gtest/gtest.h>

#include "db/data_packet.h"
#include "db/writable_table.h"
#include "engine/undo_recorder.h"
#include "host/roots.h"
#include "support/engine_world.h"

namespace cordalis {
namespace {

using testing::ActionRow;
using testing::EngineWorld;
using testing::Tweaks;

// A pane that answers only the completeness scan.
class ScannedPane final : public ControlPane {
 public:
  explicit ScannedPane(PaneCompleteness outcome) : outcome_(outcome) {}
  int FirstControlNumber(int) const override { return -1; }
  std::string ReadControl(char, int) const override { return {}; }
  PaneCompleteness Completeness() const override { return outcome_; }

 private:
  PaneCompleteness outcome_;
};

TEST(ResultSummary, WordingFollowsTheCounts) {
  struct Case {
    ApplyCounts counts;
    const char* text;
  };
  const Case cases[] = {
      {{0, 0, 0, 0}, "This tweak's 0 actions were unnecessary."},
      {{2, 2, 0, 0}, "This tweak's 2 actions were unnecessary."},
      {{1, 0, 1, 1}, "This tweak's 1 action was performed successfully."},
      {{1, 0, 0, 0}, "This tweak's 1 action was not successful."},
      {{3, 1, 2, 2}, "Of this tweak's 3 actions, 1 was unnecessary and 2 were changed successfully."},
      {{2, 0, 1, 1}, "Of this tweak's 2 actions, 0 were unnecessary and 1 was changed successfully."},
      {{2, 0, 2, 0}, "Of 2 actions, 0 were unnecessary, 2 were changed successfully, and 0 had undo information stored."},
      {{3, 1, 2, 1}, "Of 3 actions, 1 was unnecessary, 2 were changed successfully, and 1 had undo information stored."},
  };
  for (const Case& c : cases) EXPECT_EQ(ResultSummary(c.counts), c.text);
}

TEST(ApplyEngine, CountsOutcomesAsTheSummaryNeedsThem) {
  const ActionRow viewOnly{"HKCU", "{S}\\K", "v", 0, 4};
  const ActionRow badRoot{"hkcu", "{S}\\K", "v", 1, 1, "", "x"};
  const ActionRow otherPlatform{"HKCU", "{S}\\K", "v", 1, 1, "", "x", 0x0001};
  const ActionRow set1{"HKCU", "{S}\\K", "a", 1, 1, "", "1"};
  const ActionRow set2{"HKCU", "{S}\\K", "b", 1, 1, "", "2"};
  const ActionRow already{"HKCU", "{S}\\K", "same", 1, 1, "", "same"};
  const ActionRow bigDelete1{"HKCU", "{S}\\Big1", "", 0, 2};
  const ActionRow bigDelete2{"HKCU", "{S}\\Big2", "", 0, 2};
  EngineWorld world(Tweaks{{1, {otherPlatform}}, {2, {set1}}, {3, {set1, already, set2}}, {4, {viewOnly}},
                           {5, {badRoot}}, {6, {bigDelete1, bigDelete2}}});
  world.PutText("K", "same", "same");
  world.Put("Big1", "b", kRegBinary, std::vector<std::uint8_t>(300, 1));
  world.Put("Big2", "b", kRegBinary, std::vector<std::uint8_t>(300, 2));
  world.boxes.answers = {MsgAnswer::Yes, MsgAnswer::Yes};
  const std::pair<std::int32_t, const char*> cases[] = {
      {1, "This tweak's 0 actions were unnecessary."},
      {2, "This tweak's 1 action was performed successfully."},
      {4, "This tweak's 1 action was not successful."},
      {5, "This tweak's 1 action was not successful."},
      {6, "Of 2 actions, 0 were unnecessary, 2 were changed successfully, and 0 had undo information stored."},
  };
  for (const auto& [id, summary] : cases) {
    std::optional<ApplyCounts> counts = world.DoIt(id);
    ASSERT_TRUE(counts) << id;
    EXPECT_EQ(ResultSummary(*counts), summary) << id;
  }
  world.Undo(2);
  EXPECT_EQ(ResultSummary(*world.DoIt(3)),
            "Of this tweak's 3 actions, 1 was unnecessary and 2 were changed successfully.");
}

TEST(ApplyEngine, RefusesRootsTheUserMayNotChange) {
  EngineWorld world(Tweaks{{1, {{"HKLM", "Software\\X", "", 0, 0}, {"HKCR", "X", "", 0, 0}}}});
  const std::string before = world.sandbox.Memory()->Dump();
  world.writableRoots = rbHKCU;
  world.referencedRoots = rbHKLM | rbHKCR;
  EXPECT_FALSE(world.DoIt(1));
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  EXPECT_EQ(world.boxes.shown[0].text,
            "You do not have the necessary permissions to modify some of the keys that are referenced by this tweak, "
            "specifically HKEY_CLASSES_ROOT and HKEY_LOCAL_MACHINE.\r\n\r\nYou will need to log on as a user with "
            "administrative privileges in order to apply this tweak.");
  EXPECT_EQ(world.boxes.shown[0].icon, MsgIcon::Error);
  EXPECT_EQ(world.sandbox.Memory()->Dump(), before);
  EXPECT_FALSE(world.HasUndoData(1));
}

TEST(ApplyEngine, EachActionReadsTheControlThePaneBuiltForIt) {
  // Actions that build a control DO IT never reads, that take a number without
  // a control, or that DO IT skips, come before the one the user typed into.
  const ActionRow view{"HKCU", "{S}\\K", "shown", 0, 4, "view", "Shown"};
  const ActionRow readKeyVar{"HKCU", "{S}\\\\\\Sub", "r", 1, 1, "readkeyvar", "HKCU\\{S}\\Var\\\\name|fixed"};
  const ActionRow badRoot{"HKXX", "{S}\\K", "skipped", 1, 1, "text", "Never read"};
  const ActionRow list{"HKCU", "{S}\\K", "list", 1, 1, "text|num", "a|b|0|9|1|5"};
  const ActionRow typed{"HKCU", "{S}\\K", "typed", 1, 1, "text", "Type here"};
  EngineWorld world(Tweaks{{1, {view, readKeyVar, badRoot, list, typed}}});
  world.PutText("Var", "name", "Target");
  world.pane.values[{'E', 0}] = "wrong: the view's number";
  world.pane.values[{'E', 2}] = "wrong: the invalid root's number";
  world.pane.values[{'E', 5}] = "what the user typed";
  ASSERT_TRUE(world.DoIt(1));
  EXPECT_EQ(world.pane.reads, (std::vector<std::string>{"E5"}));
  const std::string snapshot = world.Snapshot();
  EXPECT_NE(snapshot.find("[typed] 1: 119 104 97 116"), std::string::npos) << snapshot;  // "what..."
  EXPECT_NE(snapshot.find("{S}\\Target\\Sub\n  [r] 1: 102 105 120 101 100 0"), std::string::npos) << snapshot;
  EXPECT_NE(snapshot.find("[list] 1: 97 124 98"), std::string::npos) << "a list of keywords writes Data as stored";
}

TEST(ApplyEngine, ControlNumbersCountEveryKeywordBefore) {
  const ActionRow text1{"HKCU", "{S}\\K", "one", 1, 1, "text", "P"};
  const ActionRow toggle{"HKCU", "{S}\\K", "t", 4, 1, "toggle", "Cap|1|0"};
  const ActionRow text2{"HKCU", "{S}\\K", "two", 1, 1, "text", "P"};
  EngineWorld world(Tweaks{{1, {text1, text2}}, {2, {text1, toggle, text2}}});
  world.DoIt(1);
  EXPECT_EQ(world.pane.reads, (std::vector<std::string>{"E0", "E1"}));
  world.pane.reads.clear();
  world.Undo(1);
  world.DoIt(2);
  EXPECT_EQ(world.pane.reads, (std::vector<std::string>{"E0", "C1", "E2"}));
}

TEST(ApplyEngine, AToggleRecordsNothingAndTheNextActionIsOrdinary) {
  const ActionRow toggle{"HKCU", "{S}\\K", "t", 4, 1, "toggle", "Cap|1|0"};
  const ActionRow after{"HKCU", "{S}\\K", "after", 1, 1, "", "x"};
  const ActionRow alone{"HKCU", "{S}\\T", "t", 4, 1, "toggle", "Cap|1|0"};
  EngineWorld world(Tweaks{{1, {toggle, after}}, {2, {alone}}});
  world.pane.values[{'C', 0}] = "1";
  std::optional<ApplyCounts> counts = world.DoIt(1);
  EXPECT_EQ(counts->changed, 2);
  EXPECT_EQ(counts->undoStored, 2);
  EXPECT_EQ(world.UndoRows(1), (std::vector<std::string>{"3|{S}\\K|after|1|"}))
      << "the toggle made the key and its value unrecorded; the next action records its own change";

  world.pane.values[{'C', 0}] = "0";
  counts = world.DoIt(2);
  EXPECT_EQ(ResultSummary(*counts), "This tweak's 1 action was unnecessary.") << "not ticked, no value";
  world.pane.values[{'C', 0}] = "1";
  EXPECT_EQ(ResultSummary(*world.DoIt(2)), "This tweak's 1 action was performed successfully.");
  EXPECT_FALSE(world.HasUndoData(2)) << "so DO IT stays available";
  world.pane.values[{'C', 0}] = "0";
  EXPECT_EQ(ResultSummary(*world.DoIt(2)), "This tweak's 1 action was performed successfully.");
  EXPECT_NE(world.Snapshot().find("{S}\\T\n  [t] 4: 0 0 0 0"), std::string::npos) << "the check box set it back";
}

TEST(ApplyEngine, AMissingRegistryVariableEndsTheRunKeepingWhatWasDone) {
  const ActionRow first{"HKCU", "{S}\\K", "first", 1, 1, "", "1"};
  const ActionRow needsVar{"HKCU", "\\\\\\K", "v", 1, 1, "readkeyvar", "HKCU\\{S}\\Nowhere\\\\name|x"};
  const ActionRow never{"HKCU", "{S}\\K", "never", 1, 1, "", "1"};
  EngineWorld world(Tweaks{{1, {first, needsVar, never}}});
  try {
    world.DoIt(1);
    FAIL() << "no error";
  } catch (const EngineError& e) {
    EXPECT_STREQ(e.what(), "This action uses data drawn from specific Registry location. That data was not found.");
  }
  EXPECT_TRUE(world.dm->cdsUndo.ReadOnly()) << "the undo table is closed for writing again";
  EXPECT_EQ(world.UndoRows(1), (std::vector<std::string>{"2|{S}\\K||0|", "3|{S}\\K|first|1|"}));
  EXPECT_EQ(world.Snapshot().find("never"), std::string::npos);
  world.Reopen();
  EXPECT_EQ(world.UndoRows(1).size(), 2u) << "and on disk";
}

TEST(ApplyEngine, ExpandsDirectoryPlaceholders) {
  EngineWorld world(Tweaks{{1, {{"HKCU", "{S}\\K", "cmd", 2, 1, "expand", "%SysDir%\\cmd.exe /k"}}}});
  world.DoIt(1);
  EXPECT_NE(world.Snapshot().find("[cmd] 1: 67 58 92 87 73 78"), std::string::npos)  // "C:\WIN..."
      << world.Snapshot();
}

// A tweak whose undo actions would take Undo.xml past the most a table file may
// hold is refused before anything changes; one that fits is carried out.
TEST(ApplyEngine, RefusesATweakWhoseUndoActionsTheUndoFileCouldNotHold) {
  const ActionRow setNew{"HKCU", "{S}\\K", "new", 1, 1, "", "1"};
  const ActionRow dropBig{"HKCU", "{S}\\K", "big", 0, 3};
  const ActionRow addKey{"HKCU", "{S}\\Added", "", 0, 0};
  EngineWorld world(Tweaks{{1, {setNew, dropBig, addKey}}, {9, {}}});
  // Other undo data fill the file to within 4 MB of the limit; control bytes
  // are written eight bytes each, so they take little memory here.
  const std::string filler(1u << 19, '\x01');
  world.AddUndoRows(9, std::vector<ActionRow>(15, ActionRow{"HKCU", "K", "v", 1, 1, "", filler}));
  const std::size_t room = kMaxPacketBytes - world.dm->cdsUndo.SavedBytes();
  ASSERT_GT(room, 3u << 20);
  ASSERT_LT(room, 4u << 20);

  // Capturing "big" would take 8 bytes a character: just too much.
  world.PutText("K", "big", std::string(room / 8 + 1, '\x01'));
  const std::string registry = world.Snapshot();
  const int changes = world.files.changes;
  EXPECT_FALSE(world.DoIt(1));
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  EXPECT_EQ(world.boxes.shown[0].text, kUndoTableFullMessage);
  EXPECT_EQ(world.boxes.shown[0].icon, MsgIcon::Error);
  EXPECT_EQ(world.boxes.shown[0].owner, MsgOwner::MainWindow);
  EXPECT_EQ(world.Snapshot(), registry) << "not even the first action was carried out";
  EXPECT_FALSE(world.HasUndoData(1));
  EXPECT_EQ(world.files.changes, changes) << "no file was written";
  EXPECT_TRUE(world.dm->cdsUndo.ReadOnly());

  // A little less fits, and the file it leaves loads again.
  world.PutText("K", "big", std::string(room / 8 - 10000, '\x01'));
  ASSERT_TRUE(world.DoIt(1));
  EXPECT_EQ(world.boxes.shown.size(), 1u);
  EXPECT_EQ(world.UndoRows(1).size(), 3u);
  world.Reopen();
  EXPECT_TRUE(world.boxes.shown.size() == 1u && world.HasUndoData(1)) << "Undo.xml was not taken for damaged";

  // Should a tweak still capture more than could be foreseen, the row that
  // would not fit is refused before its change, and nothing of it is kept.
  ASSERT_TRUE(world.dm->LocateTweak(1));
  WritableTable writing(world.dm->cdsUndo);
  UndoRecorder recorder(world.dm->cdsUndo, 1, "HKCU");
  const std::size_t before = world.dm->cdsUndo.SavedBytes();
  EXPECT_THROW(recorder.Add(1, "K", "v", 1, std::string(200000, '\x01')), EngineError);
  EXPECT_EQ(world.dm->cdsUndo.SavedBytes(), before);
  EXPECT_EQ(world.UndoRows(1).size(), 3u);
}

TEST(DoItCommand, NeedsDataRefusesAndViewOnlyDoesNothing) {
  EngineWorld world(Tweaks{{1, {{"HKCU", "{S}\\K", "v", 1, 1, "textb", "P"}}}});
  const std::string before = world.sandbox.Memory()->Dump();
  int refreshed = 0;
  DoItCommand(world.Inputs(), 1, 1, [&] { ++refreshed; });
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  EXPECT_EQ(world.boxes.shown[0].text, kNeedsDataMessage);
  EXPECT_EQ(world.boxes.shown[0].icon, MsgIcon::Information);
  world.viewOnly = true;
  DoItCommand(world.Inputs(), 0, 1, [&] { ++refreshed; });
  DoItCommand(world.Inputs(), 0, std::nullopt, [&] { ++refreshed; });
  EXPECT_EQ(world.boxes.shown.size(), 1u);
  EXPECT_EQ(refreshed, 0);
  EXPECT_EQ(world.sandbox.Memory()->Dump(), before);

  world.viewOnly = false;
  world.BuildPane(1);
  world.pane.values[{'E', 0}] = "typed";
  DoItCommand(world.Inputs(), 0, 1, [&] { ++refreshed; });
  EXPECT_EQ(refreshed, 1) << "the selection handling runs before the summary";
  EXPECT_EQ(world.boxes.shown.back().text, "This tweak's 1 action was performed successfully.");
  EXPECT_EQ(world.boxes.shown.back().owner, MsgOwner::MainWindow);
}

TEST(CommandStates, FollowTheSelectionAndThePane) {
  struct Case {
    bool tweak, viewOnly, undoData;
    PaneCompleteness pane;
    int markBefore;
    CommandStates expected;
  };
  using P = PaneCompleteness;
  const Case cases[] = {
      {false, false, false, P::Complete, 1, {false, false, false, false, false, 1}},
      {true, true, false, P::Complete, 0, {false, false, false, false, false, 0}},
      {true, false, true, P::NeedsData, 1, {false, true, true, true, true, 1}},
      {true, false, false, P::Complete, 1, {true, false, true, false, true, 0}},
      {true, false, false, P::NeedsData, 0, {true, false, true, false, true, 1}},
      {true, false, false, P::DisplayOnly, 1, {false, false, true, false, true, 0}},
  };
  for (const Case& c : cases) {
    const ScannedPane pane(c.pane);
    CommandStates s = UpdateCommandStates(c.tweak, c.viewOnly, c.undoData, pane, c.markBefore);
    EXPECT_EQ(s.apply, c.expected.apply);
    EXPECT_EQ(s.undo, c.expected.undo);
    EXPECT_EQ(s.note, c.expected.note);
    EXPECT_EQ(s.deleteUndo, c.expected.deleteUndo);
    EXPECT_EQ(s.hide, c.expected.hide);
    EXPECT_EQ(s.needsDataMark, c.expected.needsDataMark);
  }
}

}  // namespace
}  // namespace cordalis
