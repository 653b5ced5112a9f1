#include "engine/change_operations.h"

#include <gtest/gtest.h>

#include "db/client_data_set.h"
#include "db/data_packet.h"
#include "db/record_codes.h"
#include "db/schema.h"
#include "engine/undo_recorder.h"
#include "support/engine_world.h"

namespace cordalis {
namespace {

using testing::EngineWorld;
using testing::Tweaks;
using Bytes = std::vector<std::uint8_t>;

class Operations : public ::testing::Test {
 protected:
  Operations() : world(Tweaks{{1, {}}}) {
    EXPECT_TRUE(world.dm->LocateTweak(1));
    world.dm->cdsUndo.SetReadOnly(false);
  }
  ~Operations() override { world.dm->cdsUndo.SetReadOnly(true); }

  std::string S(const std::string& sub) { return world.sandbox.Path(sub); }
  ChangeOperations Ops() { return ChangeOperations(world.sandbox.Api(), recorder, world.boxes, kHkeyCurrentUser); }

  EngineWorld world;
  UndoRecorder recorder{world.dm->cdsUndo, 1, "HKCU"};
};

TEST_F(Operations, AddKeyRecordsTheHighestKeyItCreates) {
  world.MakeKey("A");
  EXPECT_EQ(Ops().AddKey(S("A")), ocUnnecessary);
  EXPECT_TRUE(world.UndoRows(1).empty());
  EXPECT_EQ(Ops().AddKey(S("A\\B\\C")), ocChanged | ocUndoStored);
  EXPECT_EQ(world.UndoRows(1), (std::vector<std::string>{"2|{S}\\A\\B||0|"}));
  EXPECT_NE(world.Snapshot().find("{S}\\A\\B\\C\n"), std::string::npos);
}

TEST_F(Operations, OddPathsStillEndTheirWalk) {
  for (const char* odd : {"X\\\\Y", "C:\\dir", "\\Lead\\K"}) {
    std::string key = odd[0] == '\\' ? "\\" + S(odd + 1) : S(odd);
    int outcome = Ops().AddKey(key);
    EXPECT_TRUE(outcome == 3 || outcome == 4) << odd;
  }
  for (const std::string& row : world.UndoRows(1)) EXPECT_NE(row.substr(2, 1), "\\") << "no leading backslash: " << row;
}

TEST_F(Operations, ChangeValueInAMissingKeyRecordsKeyThenValue) {
  world.MakeKey("A");
  EXPECT_EQ(Ops().ChangeValue(S("A\\B\\C"), "v", dtString, "new", {}), ocChanged | ocUndoStored);
  EXPECT_EQ(world.UndoRows(1), (std::vector<std::string>{"2|{S}\\A\\B||0|", "3|{S}\\A\\B\\C|v|1|"}));
}

TEST_F(Operations, ChangeValueComparesExactlyAndRecordsTheOldData) {
  struct Case {
    const char* what;
    std::uint32_t type;
    Bytes old;
    int dataType;
    const char* data;
    int outcome;
    const char* undoRow;  // empty: nothing recorded
  };
  const Case cases[] = {
      {"dword 1 to 1", kRegDword, {1, 0, 0, 0}, dtDword, "1", ocUnnecessary, ""},
      {"dword 1 to 01", kRegDword, {1, 0, 0, 0}, dtDword, "01", 3, "1|{S}\\K|v|4|1"},
      {"case differs", kRegSz, {'a', 'B', 0}, dtString, "Ab", 3, "1|{S}\\K|v|1|aB"},
      {"same text", kRegSz, {'a', 'B', 0}, dtString, "aB", ocUnnecessary, ""},
      {"binary compared as hex", kRegBinary, {1, 0xA0}, dtBinary, "01 A0", ocUnnecessary, ""},
      {"binary changed", kRegBinary, {1, 0xA0}, dtBinary, "01 A1", 3, "1|{S}\\K|v|3|01 A0"},
      {"expand kept", kRegExpandSz, {'%', 'x', '%', 0}, dtString, "y", 3, "1|{S}\\K|v|2|%x%"},
      {"several strings compared by their first", kRegMultiSz, {'a', 0, 'b', 0, 0}, dtString, "a", ocUnnecessary, ""},
      {"several strings kept whole", kRegMultiSz, {'a', 0, 'b', 0, 0}, dtString, "c", 3,
       "1|{S}\\K|v|7|61 00 62 00 00|hex"},
      {"string without its zero", kRegSz, {'a', 'b'}, dtString, "c", 3, "1|{S}\\K|v|1|61 62|hex"},
  };
  for (const Case& c : cases) {
    EngineWorld fresh(Tweaks{{1, {}}});
    fresh.dm->LocateTweak(1);
    fresh.dm->cdsUndo.SetReadOnly(false);
    UndoRecorder undo(fresh.dm->cdsUndo, 1, "HKCU");
    fresh.Put("K", "v", c.type, c.old);
    ChangeOperations ops(fresh.sandbox.Api(), undo, fresh.boxes, kHkeyCurrentUser);
    EXPECT_EQ(ops.ChangeValue(fresh.sandbox.Path("K"), "v", c.dataType, c.data, {}), c.outcome) << c.what;
    fresh.dm->cdsUndo.SetReadOnly(true);
    std::vector<std::string> expected;
    if (*c.undoRow) expected.push_back(c.undoRow);
    EXPECT_EQ(fresh.UndoRows(1), expected) << c.what;
  }
}

TEST_F(Operations, TogglesRecordNothing) {
  EXPECT_EQ(Ops().ChangeValue(S("T"), "v", dtDword, "0", {true, true}), ocUnnecessary)
      << "not ticked and no value: whatever the data";
  EXPECT_EQ(Ops().ChangeValue(S("T"), "v", dtDword, "1", {true, false}), ocChanged | ocUndoStored);
  EXPECT_EQ(Ops().ChangeValue(S("T"), "v", dtDword, "1", {true, false}), ocUnnecessary);
  EXPECT_EQ(Ops().ChangeValue(S("T"), "v", dtDword, "0", {true, true}), ocChanged | ocUndoStored);
  EXPECT_TRUE(world.UndoRows(1).empty());
}

TEST_F(Operations, DeleteKeyRecordsTheSubtreeDepthFirst) {
  world.PutText("D", "top", "t");
  world.Put("D\\A", "bin", kRegBinary, {1, 2});
  world.Put("D\\A\\Deep", "d", kRegDword, {7, 0, 0, 0});
  world.PutText("D\\B", "e", "%windir%", kRegExpandSz);
  EXPECT_EQ(Ops().DeleteKey(S("D")), ocChanged | ocUndoStored);
  EXPECT_EQ(world.UndoRows(1), (std::vector<std::string>{"0|{S}\\D||0|", "1|{S}\\D|top|1|t", "0|{S}\\D\\A||0|",
                                                         "1|{S}\\D\\A|bin|3|01 02", "0|{S}\\D\\A\\Deep||0|",
                                                         "1|{S}\\D\\A\\Deep|d|4|7", "0|{S}\\D\\B||0|",
                                                         "1|{S}\\D\\B|e|2|%windir%"}));
  EXPECT_EQ(world.Snapshot(), "{S}\n");
  EXPECT_EQ(Ops().DeleteKey(S("D")), ocUnnecessary);
}

TEST_F(Operations, DeletingMoreThan255BytesAsksFirst) {
  struct Case {
    std::size_t bytes;
    std::optional<MsgAnswer> answer;  // none: no question
    int outcome;
    bool recorded;
    bool deleted;
  };
  const Case cases[] = {{255, std::nullopt, 3, true, true},
                        {256, MsgAnswer::No, 0, false, false},
                        {256, MsgAnswer::Yes, ocChanged, false, true}};
  for (const Case& c : cases) {
    EngineWorld fresh(Tweaks{{1, {}}});
    fresh.dm->LocateTweak(1);
    fresh.dm->cdsUndo.SetReadOnly(false);
    UndoRecorder undo(fresh.dm->cdsUndo, 1, "HKCU");
    fresh.Put("D\\Sub", "big", kRegBinary, Bytes(c.bytes, 0x42));
    if (c.answer) fresh.boxes.answers.push_back(*c.answer);
    ChangeOperations ops(fresh.sandbox.Api(), undo, fresh.boxes, kHkeyCurrentUser);
    EXPECT_EQ(ops.DeleteKey(fresh.sandbox.Path("D")), c.outcome) << c.bytes;
    fresh.dm->cdsUndo.SetReadOnly(true);
    ASSERT_EQ(fresh.boxes.shown.size(), c.answer ? 1u : 0u) << c.bytes;
    if (c.answer) {
      EXPECT_EQ(fresh.boxes.shown[0].text, "Too much data - undo will not be possible. Proceed anyway?");
      EXPECT_EQ(fresh.boxes.shown[0].icon, MsgIcon::Question);
      EXPECT_EQ(fresh.boxes.shown[0].owner, MsgOwner::MainWindow);
    }
    EXPECT_EQ(!fresh.UndoRows(1).empty(), c.recorded) << c.bytes;
    EXPECT_EQ(fresh.Snapshot().find("{S}\\D") == std::string::npos, c.deleted) << c.bytes;
  }
}

TEST_F(Operations, DeleteValue) {
  EXPECT_EQ(Ops().DeleteValue(S("K"), "v"), ocUnnecessary) << "no key";
  world.PutText("K", "v", "old");
  world.PutText("K", "", "default");
  EXPECT_EQ(Ops().DeleteValue(S("K"), "missing"), ocUnnecessary);
  EXPECT_TRUE(world.UndoRows(1).empty());
  EXPECT_EQ(Ops().DeleteValue(S("K"), "v"), ocChanged | ocUndoStored);
  EXPECT_EQ(Ops().DeleteValue(S("K"), ""), ocChanged | ocUndoStored);
  EXPECT_EQ(world.UndoRows(1), (std::vector<std::string>{"1|{S}\\K|v|1|old", "1|{S}\\K||1|default"}));
}

// The bytes of what DO IT wrote in the undo table's rows from this slot on:
// kept only where it fits, so no part of the bound.
std::size_t WrittenBytes(const ClientDataSet& undo, std::size_t fromSlot) {
  const TableData& table = undo.Data();
  const auto written = static_cast<std::size_t>(table.FieldIndex(schema::kWritten));
  std::size_t bytes = 0;
  std::vector<CellView> cells;
  for (auto row = static_cast<RowId>(fromSlot); row < table.RowSlots(); ++row) {
    if (!table.IsLive(row)) continue;
    table.ReadRow(row, cells);
    const std::size_t whole = EncodedRowBytes(table.Fields(), cells);
    cells[written] = CellView{};
    bytes += whole - EncodedRowBytes(table.Fields(), cells);
  }
  return bytes;
}

// DO IT judges before it starts whether the undo table can take a tweak's
// undo actions: no operation may record more than was measured for it.
TEST_F(Operations, UndoBytesBoundCoversWhatEachOperationRecords) {
  world.PutText("K", "old", "some text & \x01 more");
  world.Put("K", "bin", kRegBinary, {1, 2, 3});
  world.PutText("D", "top", "t");
  world.Put("D\\A", "x", kRegDword, {7, 0, 0, 0});
  world.Put("Big\\Sub", "b", kRegBinary, Bytes(300, 1));
  world.boxes.answers = {MsgAnswer::No};
  struct Case {
    const char* what;
    int changeType;
    const char* key;
    const char* value;
    bool toggle;
    bool exact;  // the bound is what is recorded
  };
  const Case cases[] = {
      {"add a key below missing ones", ctAddKey, "New\\A\\B", "", false, false},
      {"add a key that exists", ctAddKey, "K", "", false, false},
      {"change a value", ctChangeValue, "K", "old", false, false},
      {"create a value", ctChangeValue, "K", "fresh", false, false},
      {"create a value in a missing key", ctChangeValue, "M", "v", false, true},
      {"a toggle", ctChangeValue, "K", "t", true, true},
      {"delete a key", ctDeleteKey, "D", "", false, true},
      {"delete a key too large to record", ctDeleteKey, "Big", "", false, true},
      {"delete a value", ctDeleteValue, "K", "bin", false, true},
      {"delete a missing value", ctDeleteValue, "K", "none", false, true},
  };
  for (const Case& c : cases) {
    const std::string key = S(c.key);
    const std::size_t bound = Ops().UndoBytesBound(c.changeType, key, c.value, dtString, c.toggle);
    const std::size_t before = world.dm->cdsUndo.SavedBytes();
    const std::size_t firstSlot = world.dm->cdsUndo.Data().RowSlots();
    switch (c.changeType) {
      case ctAddKey: Ops().AddKey(key); break;
      case ctChangeValue: Ops().ChangeValue(key, c.value, dtString, "new data", {c.toggle, false}); break;
      case ctDeleteKey: Ops().DeleteKey(key); break;
      default: Ops().DeleteValue(key, c.value);
    }
    const std::size_t recorded =
        world.dm->cdsUndo.SavedBytes() - before - WrittenBytes(world.dm->cdsUndo, firstSlot);
    EXPECT_LE(recorded, bound) << c.what;
    if (c.exact) {
      EXPECT_EQ(recorded, bound) << c.what;
    }
  }
}

TEST(CaptureForm, KeepsEveryValueExactly) {
  struct Case {
    std::uint32_t type;
    Bytes bytes;
    int dataType;
    const char* data;
    const char* special;
  };
  const Case cases[] = {
      {kRegSz, {'a', 'b', 0}, 1, "ab", ""},
      {kRegSz, {0}, 1, "", ""},
      {kRegSz, {}, 1, "", "hex"},
      {kRegSz, {'a', 0, 'b', 0}, 1, "61 00 62 00", "hex"},
      {kRegExpandSz, {'x', 0}, 2, "x", ""},
      {kRegDword, {0xFF, 0xFF, 0xFF, 0xFF}, 4, "-1", ""},
      {kRegDword, {1, 2}, 4, "01 02", "hex"},
      {kRegBinary, {}, 3, "", ""},
      {kRegBinary, {0, 0xFF}, 3, "00 FF", ""},
      {kRegDwordBigEndian, {0, 0, 1, 0}, 5, "00 00 01 00", "hex"},
      {kRegMultiSz, {'a', 0, 0}, 7, "61 00 00", "hex"},
      {kRegNone, {'n'}, 0, "6E", "hex"},
      {0x1234, {9}, 0x1234, "09", "hex"},
  };
  for (const Case& c : cases) {
    CapturedData got = CaptureForm(c.type, c.bytes);
    EXPECT_EQ(got.dataType, c.dataType);
    EXPECT_EQ(got.data, c.data) << c.type;
    EXPECT_EQ(got.special, c.special) << c.type << " " << c.data;
  }
}

}  // namespace
}  // namespace cordalis
