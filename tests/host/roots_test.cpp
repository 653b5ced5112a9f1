#include "host/roots.h"

#include <gtest/gtest.h>

#include "doubles/scripted_host_queries.h"
#include "doubles/memory_registry.h"
#include "host/registry.h"
#include "host/text.h"

namespace cordalis {
namespace {

TEST(Roots, OnlyTheFiveCodesNameARoot) {
  const std::pair<const char*, HKey> cases[] = {
      {"HKCR", kHkeyClassesRoot}, {"HKCU", kHkeyCurrentUser}, {"HKLM", kHkeyLocalMachine},
      {"HKU", kHkeyUsers},        {"HKCC", kHkeyCurrentConfig}, {"hkcu", 0},
      {"HKEY_CURRENT_USER", 0},   {" HKCU", 0},                {"HKCU ", 0},
      {"", 0},                    {"HK", 0},                   {"CU^H", 0},
      {"^", 0},                   {"HKCU^HKLM", 0},
  };
  for (const auto& [code, root] : cases) EXPECT_EQ(RootFromCode(code), root) << "'" << code << "'";
  EXPECT_EQ(RootBitOfCode("HKCU") | RootBitOfCode("HKCR") | RootBitOfCode("HKCC") | RootBitOfCode("HKLM") |
                RootBitOfCode("HKU"),
            31);
  EXPECT_EQ(RootBitOfCode("HKLM"), 8);
  EXPECT_EQ(RootBitOfCode("hklm"), 0);
}

TEST(Roots, RootListText) {
  const std::pair<int, const char*> cases[] = {
      {16, "HKEY_USERS"},
      {8 + 16, "HKEY_LOCAL_MACHINE and HKEY_USERS"},
      {2 + 8, "HKEY_CLASSES_ROOT and HKEY_LOCAL_MACHINE"},
      {2 + 8 + 16, "HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE, and HKEY_USERS"},
      {31, "HKEY_CURRENT_USER, HKEY_CLASSES_ROOT, HKEY_CURRENT_CONFIG, HKEY_LOCAL_MACHINE, and HKEY_USERS"},
  };
  for (const auto& [set, text] : cases) EXPECT_EQ(RootListText(set), text) << set;
}

// A Registry with the keys every Windows has where the probe looks.
void AddStandardKeys(MemoryRegistry& registry) {
  TRegistry reg(registry);
  reg.SetRootKey(kHkeyLocalMachine);
  reg.CreateKey("SOFTWARE");
  reg.SetRootKey(kHkeyUsers);
  reg.CreateKey(".Default");
}

TEST(Roots, EveryWritableSetIsReachable) {
  const std::pair<HKey, int> roots[] = {{kHkeyCurrentUser, 1},
                                        {kHkeyClassesRoot, 2},
                                        {kHkeyCurrentConfig, 4},
                                        {kHkeyLocalMachine, 8},
                                        {kHkeyUsers, 16}};
  MemoryRegistry untouched;
  AddStandardKeys(untouched);
  for (int set = 0; set < 32; ++set) {
    MemoryRegistry registry;
    AddStandardKeys(registry);
    for (const auto& [root, bit] : roots)
      if (!(set & bit)) registry.RefuseChangesUnder(root);
    ScriptedHostQueries host;
    EXPECT_EQ(WritableRootSet(registry, host), set);
    EXPECT_EQ(registry.Dump(), untouched.Dump()) << "the probe leaves nothing behind";
  }
}

TEST(Roots, TheProbeNeverTouchesAnExistingKey) {
  MemoryRegistry registry;
  ScriptedHostQueries host;
  std::uint8_t first[16] = {};
  TRegistry reg(registry);
  reg.SetRootKey(kHkeyLocalMachine);
  reg.OpenKey("SOFTWARE\\" + GuidText(first), true);
  reg.WriteString("keep", "me");
  reg.CloseKey();
  const std::string before = registry.Dump();
  EXPECT_TRUE(ProbeWritableRoot(registry, host, kHkeyLocalMachine));
  EXPECT_EQ(registry.Dump(), before);
  EXPECT_EQ(host.nextGuid[15], 2) << "a second name was drawn";
}

TEST(Roots, ProbeKeyNamesAreGuidsUnderTheRightPlaces) {
  std::uint8_t bytes[16] = {0x78, 0x56, 0x34, 0x12, 0x34, 0x12, 0x78, 0x56, 0x9A, 0xBC, 0xDE, 0xF0, 0x01, 0x23, 0x45, 0x67};
  EXPECT_EQ(GuidText(bytes), "{12345678-1234-5678-9ABC-DEF001234567}");
  // A refused key creation under SOFTWARE shows where the probe looks.
  MemoryRegistry registry;
  registry.crashAtChange = 1;
  ScriptedHostQueries host;
  EXPECT_THROW(ProbeWritableRoot(registry, host, kHkeyUsers), RegistryCrash);
}

TEST(Roots, DirectoryPlaceholdersAndEnvironment) {
  const std::pair<const char*, const char*> cases[] = {
      {"%windir%\\notepad.exe", "C:\\WIN\\notepad.exe"},
      {"%WinDir%;%SYSDIR%;%sysdir%", "C:\\WIN;C:\\WIN\\SYS;C:\\WIN\\SYS"},
      {"%windir\\x", "%windir\\x"},
      {"%temp%", "%temp%"},
      {"plain", "plain"},
  };
  for (const auto& [text, expanded] : cases)
    EXPECT_EQ(ExpandDirectoryPlaceholders(text, "C:\\WIN", "C:\\WIN\\SYS"), expanded) << text;

  ScriptedHostQueries host;
  host.expanded = "C:\\TEMP";
  EXPECT_EQ(ExpandEnvironmentReferences(host, "%TEMP%"), "C:\\TEMP");
  EXPECT_EQ(ExpandEnvironmentReferences(host, "no percent"), "no percent");
  host.expanded = "";
  EXPECT_EQ(ExpandEnvironmentReferences(host, "%NOTHING%"), "%NOTHING%") << "nothing expanded gives the input";
}

TEST(Roots, TakeFirstField) {
  FirstField f = TakeFirstField("caption|1|0");
  EXPECT_EQ(f.field, "caption");
  f = TakeFirstField(f.rest);
  EXPECT_EQ(f.field, "1");
  f = TakeFirstField(f.rest);
  EXPECT_EQ(f.field, "0");
  EXPECT_EQ(f.rest, "");
  f = TakeFirstField("whole");
  EXPECT_EQ(f.field, "whole");
  EXPECT_EQ(f.rest, "");
  f = TakeFirstField("|after");
  EXPECT_EQ(f.field, "");
  EXPECT_EQ(f.rest, "after");
  f = TakeFirstField("a||b");
  EXPECT_EQ(TakeFirstField(f.rest).field, "") << "two bars in a row give an empty field";
}

TEST(Roots, PiecesSplitAlikeWhicheverWayTheyAreTaken) {
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"", {}},
      {"whole", {"whole"}},
      {"a|", {"a", ""}},
      {"|a", {"", "a"}},
      {"a||b", {"a", "", "b"}},
  };
  for (const auto& [text, pieces] : cases) {
    EXPECT_EQ(SplitPieces(text), pieces) << text;
    std::string rest = text;
    for (const std::string& piece : pieces) EXPECT_EQ(TakePiece(rest), piece) << text;
    EXPECT_EQ(rest, "") << text;
  }
}

}  // namespace
}  // namespace cordalis
