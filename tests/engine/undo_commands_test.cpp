#include "engine/undo_commands.h"

#include <gtest/gtest.h>

#include "engine/undo_recorder.h"
#include "engine/undo_replay_order.h"
#include "support/engine_world.h"

namespace cordalis {
namespace {

using testing::ActionRow;
using testing::EngineWorld;
using testing::RegistryKind;
using testing::Tweaks;

TEST(Undo, AddedKeysGoWithEverythingPutInThemSince) {
  EngineWorld world(Tweaks{{1, {{"HKCU", "{S}\\A\\B\\C", "", 0, 0}}}});
  world.MakeKey("A");
  const std::string before = world.Snapshot();
  world.DoIt(1);
  world.PutText("A\\B", "later", "another program's value");
  world.Undo(1);
  EXPECT_EQ(world.Snapshot(), before);
  EXPECT_FALSE(world.HasUndoData(1));
}

TEST(Undo, AValueInAMissingKeyGoesWithTheKey) {
  EngineWorld world(Tweaks{{1, {{"HKCU", "{S}\\New", "v", 1, 1, "", "x"}}}});
  const std::string before = world.Snapshot();
  world.DoIt(1);
  EXPECT_EQ(world.UndoRows(1), (std::vector<std::string>{"2|{S}\\New||0|", "3|{S}\\New|v|1|"}));
  world.Undo(1);
  EXPECT_EQ(world.Snapshot(), before);
}

TEST(Undo, ValuesComeBackWithTheirRecordedTypes) {
  // A value changed to another type, or deleted since, returns as it was.
  EngineWorld world(Tweaks{{1, {{"HKCU", "{S}\\K", "e", 3, 1, "", "01 02"}, {"HKCU", "{S}\\K", "d", 1, 1, "", "text"}}}});
  world.PutText("K", "e", "%windir%", kRegExpandSz);
  world.Put("K", "d", kRegDword, {5, 0, 0, 0});
  const std::string before = world.Snapshot();
  world.DoIt(1);
  EXPECT_NE(world.Snapshot(), before);
  world.Undo(1);
  EXPECT_EQ(world.Snapshot(), before);

  world.AddUndoRows(1, {{"HKCU", "{S}\\K", "gone", 2, 1, "", "%temp%"}});
  world.Undo(1);
  EXPECT_NE(world.Snapshot().find("[gone] 2: 37 116 101 109 112 37 0"), std::string::npos)
      << "recreated as an expandable string";
}

// A tweak whose undo data holds actions that cannot be replayed among good
// ones: the good ones are undone, the bad ones stay (on disk too) and are
// named in one box, and Delete Undo data can then remove them.
class UndoWithBadActions : public ::testing::Test {
 protected:
  UndoWithBadActions() {
    world.MakeKey("Z");
    world.AddUndoRows(1, {
        {"hkcu", "{S}\\X", "", 0, 0},                     // no such root: kept untouched
        {"HKCU", "{S}\\X", "", 0, 9},                     // no such change type: kept untouched
        {"HKCU", "{S}\\Y", "", 0, 0},                     // Add key
        {"HKCU", "{S}\\Y", "bad", 3, 1, "", "01 02 "},    // three bytes in room for two
        {"HKCU", "{S}\\Y", "v", 1, 1, "", "text"},
        {"HKCU", "{S}\\Y", "", 7, 1, "hex", "61 00 62 "},  // exact bytes: four in room for three
        {"HKCU", "{S}\\Z", "", 0, 2},                     // Delete key
        {"HKCU", "{S}\\Y", "w", 3, 1, "", "0A 0B"},
    });
  }
  void Undo() { UndoCommand(UndoInputs{*world.dm, world.sandbox.Api(), world.boxes}, 1, [&] { ++refreshed; }); }
  std::string Where(const std::string& key) const { return "HKCU\\" + world.sandbox.Path(key); }

  EngineWorld world{Tweaks{{1, {}}}};
  int refreshed = 0;
  const std::string undone = "{S}\n{S}\\Y\n  [v] 1: 116 101 120 116 0\n  [w] 3: 10 11\n";
  const std::vector<std::string> badRows = {"0|{S}\\X||0|", "9|{S}\\X||0|", "1|{S}\\Y|bad|3|01 02 ",
                                            "1|{S}\\Y||7|61 00 62 |hex"};
};

TEST_F(UndoWithBadActions, UndoesTheRestKeepsTheBadOnesAndNamesThem) {
  Undo();
  EXPECT_EQ(world.Snapshot(), undone) << "every good action replayed, past the bad ones";
  EXPECT_EQ(world.UndoRows(1), badRows);
  EXPECT_EQ(refreshed, 1);
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  EXPECT_EQ(world.boxes.shown[0].owner, MsgOwner::MainWindow);
  EXPECT_EQ(world.boxes.shown[0].icon, MsgIcon::Error);
  EXPECT_EQ(world.boxes.shown[0].text,
            "Cordalis could not undo every change of the tweak \"Tweak 1\". The other changes were undone; these "
            "stay in its Undo data:\r\n\r\nhkcu\\" +
                world.sandbox.Path("X") + ": its root code \"hkcu\" names no root of the Registry\r\n" +
                Where("X") + ": its change type 9 is not one Undo knows\r\n" + Where("Y") +
                ", value \"bad\": its hex data holds more bytes than its 6 characters allow\r\n" +
                Where("Y") + ", the default value: its hex data holds more bytes than its 9 characters allow\r\n\r\n"
                             "Click Undo again once the cause is put right, or remove them with Delete Undo data.");
  world.Reopen();
  EXPECT_EQ(world.UndoRows(1), badRows) << "on disk as well";
}

TEST_F(UndoWithBadActions, UndoAgainChangesNothingAndDeleteUndoDataRemovesThem) {
  Undo();
  Undo();
  EXPECT_EQ(world.Snapshot(), undone);
  EXPECT_EQ(world.UndoRows(1), badRows);
  ASSERT_EQ(world.boxes.shown.size(), 2u);
  EXPECT_EQ(world.boxes.shown[1].text, world.boxes.shown[0].text);

  world.boxes.answers.push_back(MsgAnswer::Yes);
  DeleteUndoDataCommand(UndoInputs{*world.dm, world.sandbox.Api(), world.boxes}, true, 1, [] {});
  EXPECT_NE(world.boxes.shown.back().text.find("restore original data for one or more values"), std::string::npos);
  EXPECT_FALSE(world.HasUndoData(1));
  world.Reopen();
  EXPECT_FALSE(world.HasUndoData(1));
  EXPECT_EQ(world.Snapshot(), undone);
}

TEST(Undo, AWriteTheRegistryRefusesStaysAndTheLaterActionsGoOn) {
  EngineWorld world(Tweaks{{1, {}}});
  world.MakeKey("K");
  world.AddUndoRows(1, {{"HKCU", "{S}\\K", "a", 1, 1, "", "one"},
                        {"HKCU", "{S}\\K", "b", 1, 1, "", "two"},
                        {"HKCU", "{S}\\K", "c", 1, 1, "", "three"}});
  MemoryRegistry& registry = *world.sandbox.Memory();
  registry.failAtChange = registry.changes + 2;  // the write of b
  world.Undo(1);
  EXPECT_EQ(world.UndoRows(1), (std::vector<std::string>{"1|{S}\\K|b|1|two"}));
  EXPECT_EQ(world.Snapshot(), "{S}\n{S}\\K\n  [a] 1: 111 110 101 0\n  [c] 1: 116 104 114 101 101 0\n");
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  EXPECT_NE(world.boxes.shown[0].text.find("\r\n\r\nHKCU\\" + world.sandbox.Path("K") +
                                           ", value \"b\": Failed to set data for 'b'\r\n\r\n"),
            std::string::npos)
      << world.boxes.shown[0].text;
}

// A user without the rights to change what an undo action restores keeps the
// action: it holds the only copy of what DO IT took away, or stands for a
// change that is still there. What the action would remove and is gone
// already is done with.
TEST(Undo, WhatTheRegistryWillNotLetBeUndoneStays) {
  EngineWorld world(Tweaks{{1, {}}});
  world.PutText("K", "v", "mine");
  world.AddUndoRows(1, {{"HKCU", "{S}\\New", "", 0, 0},
                        {"HKCU", "{S}\\K", "a", 1, 1, "", "one"},
                        {"HKCU", "{S}\\K", "", 0, 2},
                        {"HKCU", "{S}\\Gone", "", 0, 2},
                        {"HKCU", "{S}\\K", "v", 1, 3},
                        {"HKCU", "{S}\\Gone", "w", 1, 3},
                        {"HKCU", "{S}\\K", "absent", 1, 3}});
  const std::string before = world.Snapshot();
  world.sandbox.Memory()->RefuseChangesUnder(kHkeyCurrentUser);
  world.Undo(1);
  world.sandbox.Memory()->AllowChangesUnder(kHkeyCurrentUser);
  EXPECT_EQ(world.Snapshot(), before);
  EXPECT_EQ(world.UndoRows(1), (std::vector<std::string>{"0|{S}\\New||0|", "1|{S}\\K|a|1|one", "2|{S}\\K||0|",
                                                         "3|{S}\\K|v|1|"}));
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  for (const char* line : {"\\New: the key cannot be created", "\\K, value \"a\": its key cannot be opened or created",
                           "\\K: the key cannot be deleted", "\\K, value \"v\": the value cannot be deleted"})
    EXPECT_NE(world.boxes.shown[0].text.find(line), std::string::npos) << line << "\n" << world.boxes.shown[0].text;

  world.Undo(1);
  EXPECT_FALSE(world.HasUndoData(1));
  // The last recorded first: K\v and K go, then K\a comes back in a new K.
  EXPECT_EQ(world.Snapshot(), "{S}\n{S}\\K\n  [a] 1: 111 110 101 0\n{S}\\New\n");
}

// The order of replay: the last action first, the copy of a deleted key as
// one step replayed in its own order.
TEST(UndoReplayOrder, LastRecordedFirstWithEachCopyOfADeletedKeyWhole) {
  struct Row {
    int changeType;
    const char* key;
    const char* value = "";
    const char* root = "HKCU";
  };
  struct Case {
    const char* name;
    std::vector<Row> rows;
    std::vector<std::size_t> order;
  };
  const Case cases[] = {
      {"nothing", {}, {}},
      {"single actions", {{1, "K", "v"}, {1, "K", "v"}, {3, "K", "w"}, {2, "K\\New"}}, {3, 2, 1, 0}},
      {"a copy between other actions",
       {{1, "J", "v"}, {0, "K"}, {1, "K", "a"}, {1, "K", "b"}, {0, "K\\S"}, {1, "K\\S", "c"}, {2, "K"}},
       {6, 1, 2, 3, 4, 5, 0}},
      {"two copies", {{0, "A"}, {1, "A", "v"}, {0, "B"}, {0, "B\\C"}}, {2, 3, 0, 1}},
      {"subkeys at every depth, back up the chain",
       {{0, "K"}, {0, "K\\A"}, {0, "K\\A\\X"}, {1, "K\\A\\X", "x"}, {0, "K\\B"}, {1, "K\\B", "v"}},
       {0, 1, 2, 3, 4, 5}},
      {"a value copied twice: the deletion failed and the value changed after",
       {{0, "K"}, {1, "K", "v"}, {1, "K", "V"}}, {2, 0, 1}},
      {"a value of the deleted key after its subkeys", {{0, "K"}, {0, "K\\S"}, {1, "K", "v"}}, {2, 0, 1}},
      {"a value of another key", {{0, "K"}, {1, "K\\S", "v"}}, {1, 0}},
      {"a key not below it", {{0, "K"}, {0, "K2"}, {0, "L"}}, {2, 1, 0}},
      {"a key two levels below it", {{0, "K"}, {0, "K\\A\\B"}}, {1, 0}},
      {"the same key under another root", {{0, "K"}, {1, "K", "v", "HKLM"}}, {1, 0}},
      {"a key deleted or a value deleted after it", {{0, "K"}, {2, "K\\S"}, {0, "L"}, {3, "L", "v"}}, {3, 2, 1, 0}},
  };
  for (const Case& c : cases) {
    std::vector<UndoRecord> actions;
    for (const Row& row : c.rows) actions.push_back({1, row.root, row.key, row.value, 0, row.changeType, "", "", 0});
    EXPECT_EQ(UndoReplayOrder(actions), c.order) << c.name;
  }
}

// A tweak whose actions touch one key or value twice is undone to where it
// began, every value in its place. The catalogue keeps such tweaks out, but
// a catalogue grows, and a user's own rows are not checked.
class UndoOrder : public ::testing::TestWithParam<RegistryKind> {};

TEST_P(UndoOrder, ATweakThatTouchesOneThingTwiceIsUndoneToWhereItBegan) {
  struct Case {
    const char* name;
    std::vector<ActionRow> actions;
  };
  const Case cases[] = {
      {"two changes of one value",
       {{"HKCU", "{S}\\K", "v", 1, 1, "", "first"}, {"HKCU", "{S}\\K", "v", 1, 1, "", "second"}}},
      {"a key deleted, then added", {{"HKCU", "{S}\\K", "", 0, 2}, {"HKCU", "{S}\\K", "", 0, 0}}},
      {"a value added in a new key, then the key deleted",
       {{"HKCU", "{S}\\New", "v", 1, 1, "", "x"}, {"HKCU", "{S}\\New", "", 0, 2}}},
      {"a key chain added below a key, then the key deleted",
       {{"HKCU", "{S}\\K\\Made\\Deeper", "", 0, 0}, {"HKCU", "{S}\\K", "", 0, 2}}},
      {"a value changed, then its key deleted",
       {{"HKCU", "{S}\\K", "v", 1, 1, "", "changed"}, {"HKCU", "{S}\\K", "", 0, 2}}},
      {"a value deleted, then written again",
       {{"HKCU", "{S}\\K", "v", 0, 3}, {"HKCU", "{S}\\K", "v", 1, 1, "", "again"}}},
      {"a subkey deleted, then its parent", {{"HKCU", "{S}\\K\\Sub", "", 0, 2}, {"HKCU", "{S}\\K", "", 0, 2}}},
  };
  for (const Case& c : cases) {
    EngineWorld world(Tweaks{{1, c.actions}}, GetParam());
    // Values made in an order that is not the order of their names; v last,
    // so that a value written anew comes back where it was.
    world.PutText("K", "b", "bee");
    world.Put("K", "a", kRegDword, {1, 0, 0, 0});
    world.PutText("K", "v", "original");
    world.PutText("K\\Sub", "z", "zed");
    world.PutText("K\\Sub", "y", "why");
    const std::string before = world.Listing();
    ASSERT_TRUE(world.DoIt(1)) << c.name;
    ASSERT_TRUE(world.HasUndoData(1)) << c.name;
    world.Reopen();  // undo data as a later run reads it from the disk
    world.Undo(1);
    EXPECT_EQ(world.Listing(), before) << c.name;
    EXPECT_FALSE(world.HasUndoData(1)) << c.name;
    EXPECT_TRUE(world.boxes.shown.empty()) << c.name;
  }
}

// Undo data as earlier releases recorded it, for tweaks that touch nothing
// twice: replayed in the new order, it restores what it always restored.
TEST_P(UndoOrder, UndoDataOfEarlierReleasesRestoresWhatItAlwaysDid) {
  EngineWorld world(Tweaks{{1, {}}}, GetParam());
  world.PutText("K", "v", "applied");
  world.PutText("K", "added", "by the tweak");
  world.MakeKey("Made\\Below");
  world.AddUndoRows(1, {{"HKCU", "{S}\\Made", "", 0, 2},
                        {"HKCU", "{S}\\Old", "", 0, 0},
                        {"HKCU", "{S}\\Old", "second", 1, 1, "", "two"},
                        {"HKCU", "{S}\\Old", "first", 4, 1, "", "1"},
                        {"HKCU", "{S}\\Old\\Inner", "", 0, 0},
                        {"HKCU", "{S}\\Old\\Inner", "bin", 3, 1, "", "0A 0B"},
                        {"HKCU", "{S}\\Old\\Inner", "ex", 2, 1, "", "%windir%"},
                        {"HKCU", "{S}\\K", "v", 1, 1, "", "before"},
                        {"HKCU", "{S}\\K", "added", 1, 3}});
  world.Undo(1);
  EXPECT_FALSE(world.HasUndoData(1));
  const bool valuesByName = GetParam() == RegistryKind::System;  // Wine lists values by name
  EXPECT_EQ(world.Listing(), "{S}\n"
                             "{S}\\K\n"
                             "  [v] 1: 98 101 102 111 114 101 0\n"
                             "{S}\\Old\n" +
                                 std::string(valuesByName ? "  [first] 4: 1 0 0 0\n  [second] 1: 116 119 111 0\n"
                                                          : "  [second] 1: 116 119 111 0\n  [first] 4: 1 0 0 0\n") +
                                 "{S}\\Old\\Inner\n"
                                 "  [bin] 3: 10 11\n"
                                 "  [ex] 2: 37 119 105 110 100 105 114 37 0\n");
}

INSTANTIATE_TEST_SUITE_P(Registries, UndoOrder, ::testing::ValuesIn(testing::RegistryKindsUnderTest()),
                         [](const auto& info) { return testing::KindName(info.param); });

TEST(Undo, ViewOnlyOrNothingSelectedDoesNothing) {
  EngineWorld world(Tweaks{{1, {}}});
  world.AddUndoRows(1, {{"HKCU", "{S}\\X", "", 0, 0}});
  UndoCommand(UndoInputs{*world.dm, world.sandbox.Api(), world.boxes, true}, 1, [] {});
  UndoCommand(UndoInputs{*world.dm, world.sandbox.Api(), world.boxes}, std::nullopt, [] {});
  EXPECT_TRUE(world.HasUndoData(1));
}

TEST(DeleteUndoData, AsksWithThePhraseOfWhatWouldBeLost) {
  struct Case {
    std::vector<ActionRow> rows;
    const char* phrase;  // nullptr: refused
  };
  const ActionRow value{"HKCU", "{S}\\K", "v", 1, 1, "", "x"};
  const ActionRow newValue{"HKCU", "{S}\\K", "v", 1, 3};
  const ActionRow newKey{"HKCU", "{S}\\K", "", 0, 2};
  const ActionRow deletedKey{"HKCU", "{S}\\K", "", 0, 0};
  const ActionRow odd{"HKCU", "{S}\\K", "", 0, 9};
  const Case cases[] = {
      {{odd}, "restore settings this tweak changed"},
      {{newKey}, "delete one or more keys this tweak added"},
      {{value, newValue}, "restore original data for one or more values this tweak changed"},
      {{newKey, newValue},
       "delete one or more keys this tweak added and restore original data for one or more values this tweak changed"},
      {{value, deletedKey}, nullptr},
  };
  for (const Case& c : cases) {
    for (MsgAnswer answer : {MsgAnswer::No, MsgAnswer::Yes}) {
      EngineWorld world(Tweaks{{1, {}}});
      world.AddUndoRows(1, c.rows);
      if (c.phrase) world.boxes.answers.push_back(answer);
      int refreshed = 0;
      DeleteUndoDataCommand(UndoInputs{*world.dm, world.sandbox.Api(), world.boxes}, true, 1, [&] { ++refreshed; });
      ASSERT_EQ(world.boxes.shown.size(), 1u);
      const testing::ShownBox& box = world.boxes.shown[0];
      EXPECT_EQ(box.owner, MsgOwner::MainWindow);
      if (!c.phrase) {
        EXPECT_EQ(box.icon, MsgIcon::Error);
        EXPECT_EQ(box.text,
                  "This tweak involved the deletion of a Registry key. If you were to delete the Undo information, it "
                  "would become impossible to restore that key and its subkeys and values. Cordalis cannot permit "
                  "this - it is too dangerous.");
        EXPECT_TRUE(world.HasUndoData(1));
        break;
      }
      EXPECT_EQ(box.icon, MsgIcon::Question);
      EXPECT_EQ(box.text, std::string("If you delete Undo information for this tweak, you will no longer be able to "
                                      "click Undo and ") +
                              c.phrase + ". Please review the Undo detail to be sure you wish to proceed.\r\n\r\nProceed anyway?");
      EXPECT_EQ(world.HasUndoData(1), answer == MsgAnswer::No);
      EXPECT_EQ(refreshed, answer == MsgAnswer::Yes ? 1 : 0);
      EXPECT_EQ(world.Snapshot(), "{S}\n") << "the Registry is not touched";
    }
  }
}

class TreeModel final : public TreeOrder {
 public:
  explicit TreeModel(std::vector<std::int32_t> nodes) : nodes_(std::move(nodes)) {}
  int NodeCount() const override { return static_cast<int>(nodes_.size()); }
  std::int32_t TweakAt(int index) const override { return nodes_[static_cast<std::size_t>(index)]; }
  int SelectedIndex() const override { return selected; }
  void Select(int index) override { selected = index; }
  int selected = -1;

 private:
  std::vector<std::int32_t> nodes_;
};

TEST(FindTweakWithUndo, SelectsTheNextTweakWithUndoDataInTreeOrder) {
  EngineWorld world(Tweaks{{1, {}}, {2, {}}, {3, {}}, {4, {}}});
  world.AddUndoRows(2, {{"HKCU", "{S}\\K", "", 0, 2}});
  world.AddUndoRows(4, {{"HKCU", "{S}\\K", "", 0, 2}});
  // root, category, 1, 2, subcategory, a number with no tweak, 3, 4
  TreeModel tree({0, 0, 1, 2, 0, 99, 3, 4});
  FindTweakWithUndoCommand(*world.dm, world.boxes, tree);
  EXPECT_EQ(tree.selected, 3);
  FindTweakWithUndoCommand(*world.dm, world.boxes, tree);
  EXPECT_EQ(tree.selected, 7);
  ASSERT_TRUE(world.dm->LocateTweak(4));
  FindTweakWithUndoCommand(*world.dm, world.boxes, tree);
  EXPECT_EQ(tree.selected, 7) << "no wrapping around";
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  EXPECT_EQ(world.boxes.shown[0].text, "There are no more tweaks that have Undo data stored.");
  EXPECT_EQ(world.dm->cdsTwks.AsInteger("TwkID"), 4) << "the tweak the commands work on is unchanged";
  EXPECT_EQ(world.dm->cdsUndo.RecordCount(), 1);
}

// The lines of a listing for one key and the keys below it, with their values.
std::string ListingOf(const std::string& listing, const std::string& key) {
  std::string out;
  bool within = false;
  for (std::size_t at = 0; at < listing.size();) {
    const std::size_t end = listing.find('\n', at);
    const std::string line = listing.substr(at, end - at + 1);
    if (line[0] != ' ') within = line.rfind(key + "\n", 0) == 0 || line.rfind(key + "\\", 0) == 0;
    if (within) out += line;
    at = end + 1;
  }
  return out;
}

// DO IT then Undo of every change type restores the Registry exactly, value
// types included: in memory, and under Wine in a sandbox of the real Registry.
class RoundTrip : public ::testing::TestWithParam<RegistryKind> {};

TEST_P(RoundTrip, EveryChangeTypeIsUndoneExactly) {
  const Tweaks tweaks = {
      {1, {{"HKCU", "{S}\\Added\\Deeper", "", 0, 0}}},
      {2,
       {{"HKCU", "{S}\\Values", "sz", 1, 1, "", "new"},
        {"HKCU", "{S}\\Values", "expand", 2, 1, "", "%temp%\\new"},
        {"HKCU", "{S}\\Values", "bin", 3, 1, "", "0A 0B"},
        {"HKCU", "{S}\\Values", "dword", 4, 1, "", "$FF"},
        {"HKCU", "{S}\\Values", "none", 0, 1, "", "was none"},
        {"HKCU", "{S}\\Values", "multi", 1, 1, "", "now a string"},
        {"HKCU", "{S}\\Values", "fresh", 4, 1, "", "7"},
        {"HKCU", "{S}\\Values", "", 1, 1, "", "default"},
        {"HKCU", "{S}\\NewKey\\Sub", "v", 3, 1, "", "01"}}},
      {3, {{"HKCU", "{S}\\Tree", "", 0, 2}}},
      {4, {{"HKCU", "{S}\\Values", "gone", 0, 3}, {"HKCU", "{S}\\Values", "multi2", 0, 3}}},
      {5, {{"HKCU", "{S}\\Values", "sz", 0, 4, "view", "Shown"}}},
  };
  EngineWorld world(tweaks, GetParam());
  world.PutText("Values", "sz", "old");
  world.PutText("Values", "expand", "%windir%\\old", kRegExpandSz);
  world.Put("Values", "bin", kRegBinary, {1, 2, 3});
  world.Put("Values", "dword", kRegDword, {0x78, 0x56, 0x34, 0x12});
  world.Put("Values", "none", kRegNone, {1, 0, 2});
  world.Put("Values", "multi", kRegMultiSz, {'a', 0, 'b', 0, 0});
  world.Put("Values", "multi2", kRegMultiSz, {'c', 0, 'd', 0, 0});
  world.PutText("Values", "gone", "bye");
  world.PutText("Tree", "", "tree default");
  world.Put("Tree\\One", "big", kRegDwordBigEndian, {0, 0, 0, 9});
  world.PutText("Tree\\One\\Two", "x", "%path%", kRegExpandSz);
  world.Put("Tree\\One\\Two", "raw", kRegBinary, {});
  world.Put("Tree\\Other", "odd", 0x1234, {7, 7});
  const std::string before = world.Snapshot();
  const std::string treeBefore = ListingOf(world.Listing(), "{S}\\Tree");
  for (std::int32_t id = 1; id <= 5; ++id) {
    std::optional<ApplyCounts> counts = world.DoIt(id);
    ASSERT_TRUE(counts) << id;
    EXPECT_EQ(counts->changed, id == 5 ? 0 : counts->total) << id;
  }
  EXPECT_NE(world.Snapshot(), before);
  world.Reopen();
  for (std::int32_t id = 1; id <= 5; ++id) world.Undo(id);
  EXPECT_EQ(world.Snapshot(), before);
  EXPECT_EQ(ListingOf(world.Listing(), "{S}\\Tree"), treeBefore) << "the deleted key's values in their order";
}

INSTANTIATE_TEST_SUITE_P(Registries, RoundTrip, ::testing::ValuesIn(testing::RegistryKindsUnderTest()),
                         [](const auto& info) { return testing::KindName(info.param); });

}  // namespace
}  // namespace cordalis
