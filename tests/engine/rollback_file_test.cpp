// The rollback file, read back by a reader of the Registry editor's format:
// importing it after DO IT gives the Registry Undo gives.
#include "engine/rollback_file.h"

#include <gtest/gtest.h>

#include "engine/undo_recorder.h"
#include "support/engine_world.h"
#include "support/reg_file_reader.h"

namespace cordalis {
namespace {

using testing::ActionRow;
using testing::EngineWorld;
using testing::RegFileReader;
using testing::Tweaks;

std::string RollbackOf(EngineWorld& world) { return RollbackFileText(RollbackTweaksOf(*world.dm), ""); }

void Import(EngineWorld& world, const std::string& text) { RegFileReader(world.sandbox.Api()).Import(text); }

std::vector<std::uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

struct ValueCase {
  const char* what;
  const char* name;
  std::uint32_t type;
  std::vector<std::uint8_t> bytes;
};

// Each value is deleted by DO IT, which records it exactly; the file brings
// it back with its type and bytes.
TEST(RollbackFile, BringsBackEveryTypeOfValueExactly) {
  std::vector<std::uint8_t> long_binary(100);
  for (std::size_t i = 0; i < long_binary.size(); ++i) long_binary[i] = static_cast<std::uint8_t>(i * 7);
  const ValueCase cases[] = {
      {"a string", "s", kRegSz, Bytes(std::string_view("plain\0", 6))},
      {"quotes and backslashes", "s", kRegSz, Bytes(std::string_view("say \"hi\" in C:\\dir\\\0", 21))},
      {"text beyond ASCII", "s", kRegSz, Bytes(std::string_view("caf\xE9 \xA0\xFF\0", 8))},
      {"an empty string", "s", kRegSz, {0}},
      {"line breaks", "s", kRegSz, Bytes(std::string_view("one\r\ntwo\0", 9))},
      {"a string with no end", "s", kRegSz, Bytes("ab")},
      {"a string holding zeros", "s", kRegSz, Bytes(std::string_view("a\0b\0", 4))},
      {"an expandable string", "s", kRegExpandSz, Bytes(std::string_view("%windir%\\x\0", 11))},
      {"binary data over many lines", "b", kRegBinary, long_binary},
      {"empty binary data", "b", kRegBinary, {}},
      {"a DWORD with the top bit", "d", kRegDword, {0xFF, 0xFF, 0xFF, 0xFF}},
      {"a DWORD", "d", kRegDword, {0x78, 0x56, 0x34, 0x12}},
      {"a DWORD of three bytes", "d", kRegDword, {1, 2, 3}},
      {"several strings", "m", kRegMultiSz, Bytes(std::string_view("a\0b\xE9\0\0", 6))},
      {"no type", "n", kRegNone, {0, 1, 2}},
      {"a big-endian DWORD", "e", kRegDwordBigEndian, {0x12, 0x34, 0x56, 0x78}},
      {"a QWORD", "q", 11, {1, 2, 3, 4, 5, 6, 7, 8}},
      {"the default value", "", kRegSz, Bytes(std::string_view("default\0", 8))},
      {"a name with a quote and a backslash", "na\"me\\x", kRegDword, {1, 0, 0, 0}},
  };
  for (const ValueCase& c : cases) {
    EngineWorld world(Tweaks{{1, {{"HKCU", "{S}\\K", c.name, 0, 3}}}});
    world.Put("K", c.name, c.type, c.bytes);
    const std::string before = world.Snapshot();
    world.DoIt(1);
    ASSERT_NE(world.Snapshot(), before) << c.what;
    const std::string text = RollbackOf(world);
    ASSERT_NO_THROW(Import(world, text)) << c.what << "\n" << text;
    EXPECT_EQ(world.Snapshot(), before) << c.what << "\n" << text;
  }
}

TEST(RollbackFile, RemovesTheKeysAndValuesDoItMade) {
  EngineWorld world(Tweaks{{1,
                            {{"HKCU", "{S}\\A\\B\\C", "", 0, 0},
                             {"HKCU", "{S}\\K", "new", 1, 1, "", "x"},
                             {"HKCU", "{S}\\M\\N", "v", 4, 1, "", "7"}}}});
  world.MakeKey("A");
  world.PutText("K", "old", "kept");
  const std::string before = world.Snapshot();
  world.DoIt(1);
  const std::string text = RollbackOf(world);
  Import(world, text);
  EXPECT_EQ(world.Snapshot(), before) << text;

  const std::string s = "HKEY_CURRENT_USER\\" + world.sandbox.Path();
  EXPECT_NE(text.find("\r\n[-" + s + "\\A\\B]\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\r\n[" + s + "\\K]\r\n\"new\"=-\r\n"), std::string::npos) << text;
  // The opening comment names each deletion; a value whose key goes is not named.
  EXPECT_NE(text.find(";   key " + s + "\\A\\B\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find(";   value \"new\" in " + s + "\\K\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find(";   key " + s + "\\M\r\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("\"v\""), std::string::npos) << "the value goes with its key M; a section would make M again";
  EXPECT_NE(text.find("the one of Windows 95 cannot delete"), std::string::npos);
}

// Two copies of one machine: Undo on one, the rollback file on the other.
struct UndoCase {
  const char* what;
  Tweaks tweaks;
  std::vector<std::int32_t> applied;  // in order
};

TEST(RollbackFile, ImportingItGivesWhatUndoGives) {
  const ActionRow deleteK{"HKCU", "{S}\\K", "", 0, 2};
  const UndoCase cases[] = {
      {"two tweaks changing one value, undone last first",
       Tweaks{{1, {{"HKCU", "{S}\\K", "v", 1, 1, "", "one"}}}, {2, {{"HKCU", "{S}\\K", "v", 1, 1, "", "two"}}}},
       {1, 2}},
      {"a key deleted, then made again by another tweak",
       Tweaks{{1, {deleteK}}, {2, {{"HKCU", "{S}\\K\\Sub", "w", 4, 1, "", "9"}}}}, {1, 2}},
      {"a key deleted and a value written into it by one tweak",
       Tweaks{{1, {deleteK, {"HKCU", "{S}\\K", "v", 1, 1, "", "new"}}}}, {1}},
      {"a value deleted, then written again by another tweak",
       Tweaks{{1, {{"HKCU", "{S}\\K", "v", 0, 3}}}, {2, {{"HKCU", "{S}\\K", "v", 4, 1, "", "5"}}}}, {1, 2}},
  };
  for (const UndoCase& c : cases) {
    auto setUp = [&](EngineWorld& world) {
      world.PutText("K", "v", "before");
      world.PutText("K\\Old", "x", "inside");
      for (std::int32_t id : c.applied) ASSERT_TRUE(world.DoIt(id)) << c.what;
    };
    EngineWorld undone(c.tweaks), imported(c.tweaks);
    setUp(undone);
    setUp(imported);
    for (auto it = c.applied.rbegin(); it != c.applied.rend(); ++it) undone.Undo(*it);
    const std::string text = RollbackOf(imported);
    Import(imported, text);
    EXPECT_EQ(imported.Snapshot(), undone.Snapshot()) << c.what << "\n" << text;
  }
}

UndoRecord Action(int changeType, const std::string& key, const std::string& value = "", int dataType = 0,
                  const std::string& data = "", const std::string& special = "") {
  return {1, "HKCU", key, value, dataType, changeType, special, data, 0};
}

// Some Registry editors may stop at a deletion they cannot make; what the
// file puts back comes first wherever the result stays the same.
TEST(RollbackFile, DeletionsComeLastUnlessAValuePutBackNeedsOneFirst) {
  const std::vector<RollbackTweak> independent = {
      {2, "Two", {Action(2, "A\\New")}},
      {1, "One", {Action(1, "B", "v", 1, "old"), Action(3, "B", "w", 1)}},
  };
  std::string text = RollbackFileText(independent, "");
  EXPECT_LT(text.find("\"v\"=\"old\""), text.find("[-HKEY_CURRENT_USER\\A\\New]")) << text;
  EXPECT_LT(text.find("\"v\"=\"old\""), text.find("\"w\"=-")) << text;

  const std::vector<RollbackTweak> dependent = {
      {2, "Two", {Action(2, "A")}},
      {1, "One", {Action(0, "A"), Action(1, "A", "v", 1, "old")}},
  };
  text = RollbackFileText(dependent, "");
  EXPECT_LT(text.find("[-HKEY_CURRENT_USER\\A]"), text.find("\"v\"=\"old\"")) << text;
}

TEST(RollbackFile, OpeningCommentNamesTheTweaksAndWhatCannotBeWritten) {
  const std::vector<RollbackTweak> tweaks = {
      {12, "Title with\r\na line break", {Action(1, "K", "v", 4, "5")}},
      {3, "Bad", {Action(1, "K", "b", 3, "1 2 3 4"), Action(1, "K", "x", 1, "kept")}},
  };
  const std::string text = RollbackFileText(tweaks, "2024-05-01 10:22 on PC-042");
  EXPECT_EQ(text.rfind("REGEDIT4\r\n\r\n; Cordalis rollback file, written 2024-05-01 10:22 on PC-042.\r\n", 0), 0u)
      << text;
  EXPECT_NE(text.find(";   #T0012 Title with  a line break\r\n;   #T0003 Bad\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("It deletes nothing"), std::string::npos) << text;
  EXPECT_NE(text.find(";   value \"b\" in HKEY_CURRENT_USER\\K: its recorded hex data"), std::string::npos) << text;
  EXPECT_EQ(text.find("\"b\"="), std::string::npos) << text;
  EXPECT_NE(text.find("\"x\"=\"kept\""), std::string::npos) << text;
  EXPECT_NE(text.find("\"v\"=dword:00000005"), std::string::npos) << text;

  EXPECT_EQ(RollbackFileText({}, ""),
            "REGEDIT4\r\n\r\n; Cordalis rollback file.\r\n; No tweak has undo data: importing this file changes "
            "nothing.\r\n\r\n");
}

TEST(RollbackFile, TweaksComeInTheOrderTheyWereApplied) {
  EngineWorld world(Tweaks{{1, {{"HKCU", "{S}\\K", "a", 1, 1, "", "1"}}},
                           {2, {{"HKCU", "{S}\\K", "b", 1, 1, "", "2"}}},
                           {3, {{"HKCU", "{S}\\K", "c", 1, 1, "", "3"}}}});
  for (std::int32_t id : {3, 1, 2}) world.DoIt(id);
  EXPECT_EQ(TweaksWithUndoData(world.dm->cdsUndo), (std::vector<std::int32_t>{3, 1, 2}));
  world.Undo(1);
  world.DoIt(1);
  world.Reopen();  // as the file keeps them
  EXPECT_EQ(TweaksWithUndoData(world.dm->cdsUndo), (std::vector<std::int32_t>{3, 2, 1}));
  std::vector<std::int32_t> newestFirst;
  for (const RollbackTweak& t : RollbackTweaksOf(*world.dm)) newestFirst.push_back(t.twkId);
  EXPECT_EQ(newestFirst, (std::vector<std::int32_t>{1, 2, 3}));
}

}  // namespace
}  // namespace cordalis
