#include "catalogue/catalogue_check.h"

#include <gtest/gtest.h>

#include "catalogue/catalogue_overlaps.h"
#include "problem_lines.h"

namespace cordalis::catalogue {
namespace {

using testing::ProblemsOf;
using Lines = std::vector<std::string>;

// One tweak with one action whose fields are on fixed lines: Root 6, Key 7,
// Change 8, Type 9, Special 10, Data 11, Platforms 12.
struct ActionLines {
  std::string root = "HKCU";
  std::string key = "K";
  std::string change = "change value";
  std::string type = "string";
  std::string special = "";
  std::string data = "";
  std::string platforms = "XP";

  std::string Text() const {
    return "tweak 7\nCategory: C\nTitle: T\nSource: S\naction\nRoot: " + root + "\nKey: " + key +
           "\nChange: " + change + "\nType: " + type + "\nSpecial: " + special + "\nData: " + data +
           "\nPlatforms: " + platforms + "\n";
  }
};

const std::string kMarkedKey = "Services\\\\\\Parameters";

TEST(CatalogueCheck, FindsEveryFaultOfAnAction) {
  struct Case {
    ActionLines action;
    Lines problems;
  };
  const Case cases[] = {
      {{}, {}},
      // Codes.
      {{.root = "hkcu"}, {"t.twk:6: #T0007 action 1 Root: \"hkcu\" is not one of HKCR, HKCU, HKLM, HKU, HKCC"}},
      {{.root = "HKEY_CURRENT_USER"},
       {"t.twk:6: #T0007 action 1 Root: longer than 4 characters (17)",
        "t.twk:6: #T0007 action 1 Root: \"HKEY_CURRENT_USER\" is not one of HKCR, HKCU, HKLM, HKU, HKCC"}},
      {{.change = "5", .type = "-1"},
       {"t.twk:9: #T0007 action 1 DataType: -1 is outside 0..4", "t.twk:8: #T0007 action 1 ChangeType: 5 is outside 0..4"}},
      {{.platforms = ""}, {"t.twk:12: #T0007 action 1 VerMask: 0: the action applies to no platform"}},
      // Keywords and the pieces they take.
      {{.special = "text|tex", .data = "A|B"}, {"t.twk:10: #T0007 action 1 Special: \"tex\" is not a keyword"}},
      {{.special = "text|", .data = "A"}, {"t.twk:10: #T0007 action 1 Special: \"\" is not a keyword"}},
      {{.special = "num", .data = "P|1|2"}, {"t.twk:11: #T0007 action 1 Data: \"num\" takes 5 pieces, Data has 3"}},
      {{.special = "file", .data = ""}, {"t.twk:11: #T0007 action 1 Data: \"file\" takes 3 pieces, Data has 0"}},
      {{.special = "text|num", .data = "A|P"},
       {"t.twk:11: #T0007 action 1 Data: the keywords take 6 pieces, Data has 2"}},
      {{.special = "file|text", .data = "P||*.bmp|Q"}, {}},
      {{.special = "toggle", .data = "Cap|1"},
       {"t.twk:11: #T0007 action 1 Data: a toggle needs three pieces: caption|data when ticked|data when not ticked"}},
      // The numbers of "num".
      {{.special = "num", .data = "P|abc|70000|0|x"},
       {"t.twk:11: #T0007 action 1 Data: num minimum \"abc\" is not a number",
        "t.twk:11: #T0007 action 1 Data: num maximum 70000 is outside -32768..32767",
        "t.twk:11: #T0007 action 1 Data: num default \"x\" is not a number",
        "t.twk:11: #T0007 action 1 Data: num increment 0 is not above 0"}},
      {{.special = "num", .data = "P|50|10|1|"}, {"t.twk:11: #T0007 action 1 Data: num minimum 50 is above the maximum 10"}},
      {{.special = "num", .data = "P|0|10|1|20"}, {"t.twk:11: #T0007 action 1 Data: num default 20 is outside 0..10"}},
      {{.special = "num", .data = "P|||-2|"}, {"t.twk:11: #T0007 action 1 Data: num increment -2 is not above 0"}},
      {{.type = "dword", .special = "num", .data = "P|-32768|$10||"}, {}},
      // "readkeyvar": the marker in Key and the variable source.
      {{.key = kMarkedKey, .type = "dword", .special = "readkeyvar", .data = "HKLM\\K\\\\V|1500"}, {}},
      {{.type = "dword", .special = "readkeyvar", .data = "HKU\\K\\\\V|x"},
       {"t.twk:7: #T0007 action 1 Key: no variable marker \\\\\\ for readkeyvar",
        "t.twk:11: #T0007 action 1 Data: variable source \"HKU\\K\\\\V\" does not start with HKCR, HKCU, HKLM or HKCC",
        "t.twk:11: #T0007 action 1 Data: \"x\" is not a number for a DWORD"}},
      {{.key = kMarkedKey, .special = "readkeyvar", .data = "HKLM\\K\\\\V"},
       {"t.twk:11: #T0007 action 1 Data: readkeyvar needs two pieces: variable source|data"}},
      {{.key = kMarkedKey},
       {"t.twk:7: #T0007 action 1 Key: holds the variable marker \\\\\\ but Special is not readkeyvar"}},
      // Data written as it stands must fit its type.
      {{.type = "dword", .data = "abc"}, {"t.twk:11: #T0007 action 1 Data: \"abc\" is not a number for a DWORD"}},
      {{.type = "dword", .data = ""}, {"t.twk:11: #T0007 action 1 Data: \"\" is not a number for a DWORD"}},
      {{.type = "dword", .data = "0xB5"}, {}},
      {{.type = "dword", .special = "expand", .data = "%windir%"},
       {"t.twk:11: #T0007 action 1 Data: \"%windir%\" is not a number for a DWORD"}},
      {{.type = "binary", .data = "0a ff"},
       {"t.twk:11: #T0007 action 1 Data: \"0a ff\" is not hex text (upper-case byte pairs separated by one blank)"}},
      {{.type = "binary", .data = "01 A0 FF"}, {}},
      {{.type = "binary", .data = ""}, {}},
      {{.type = "dword", .special = "Toggle", .data = "Cap|yes|0"},
       {"t.twk:11: #T0007 action 1 Data: data when ticked \"yes\" is not a number for a DWORD"}},
      {{.type = "binary", .special = "toggle", .data = "Cap|01|00 0"},
       {"t.twk:11: #T0007 action 1 Data: data when not ticked \"00 0\" is not hex text (upper-case byte pairs "
        "separated by one blank)"}},
      // Data the user supplies, or that the change type does not use, is not checked.
      {{.type = "dword", .special = "text", .data = "Prompt"}, {}},
      {{.change = "delete value", .type = "dword", .data = "abc"}, {}},
      // Widths.
      {{.key = std::string(256, 'k'), .data = std::string(255, 'd')},
       {"t.twk:7: #T0007 action 1 Key: longer than 255 characters (256)"}},
      {{.special = "text", .data = std::string(256, 'd')},
       {"t.twk:11: #T0007 action 1 Data: longer than 255 characters (256)"}},
  };
  for (const Case& c : cases) EXPECT_EQ(ProblemsOf(c.action.Text()), c.problems) << c.action.Text();
}

TEST(CatalogueCheck, FindsEveryFaultOfATweak) {
  const std::string action = "action\nRoot: HKCU\nKey: K\nChange: add key\nPlatforms: 95\n";
  const std::string noSource =
      "Source: none given: say where the facts come from (a KB article, a Registry reference entry, a policy "
      "template and policy name, an MSDN page)";
  struct Case {
    std::string text;
    Lines problems;
  };
  const Case cases[] = {
      {"tweak 7\nCategory: C\nTitle: T\nSource: S\n", {"t.twk:1: #T0007: no actions"}},
      {"tweak 7\nCategory:\nTitle:\nSource: S\n" + action,
       {"t.twk:2: #T0007 Category: empty", "t.twk:3: #T0007 Title: empty"}},
      {"tweak 7\n" + action,
       {"t.twk:1: #T0007 Category: empty", "t.twk:1: #T0007 Title: empty", "t.twk:1: #T0007 " + noSource}},
      {"tweak 7\nCategory: C\nTitle: T\nSource:\n" + action, {"t.twk:4: #T0007 " + noSource}},
      {"tweak 7\nCategory: C\nTitle: T\nSource: S\n" + action + "tweak 0\nCategory: C\nTitle: T\nSource: S\n" +
           action + "tweak 7\nCategory: C\nTitle: T\nSource: S\n" + action,
       {"t.twk:10: #T0000 TwkID: the tweak number must be positive",
        "t.twk:19: #T0007 TwkID: the number is already used by the tweak at t.twk:1"}},
      {"tweak 7\nCategory: " + std::string(26, 'c') + "\nSubCat: " + std::string(26, 's') + "\nTitle: " +
           std::string(256, 't') + "\nDescription:\n| " + std::string(4097, 'd') + "\nSource: S\n" + action,
       {"t.twk:2: #T0007 Category: longer than 25 characters (26)",
        "t.twk:3: #T0007 SubCat: longer than 25 characters (26)",
        "t.twk:4: #T0007 Title: longer than 255 characters (256)",
        "t.twk:5: #T0007 Description: longer than 4096 characters (4097)"}},
      {"tweak 7\nCategory: " + std::string(25, 'c') + "\nTitle: " + std::string(255, 't') + "\nSource: S\n" + action,
       {}},
  };
  for (const Case& c : cases) EXPECT_EQ(ProblemsOf(c.text), c.problems) << c.text;
}

std::string ActionText(const std::string& root, const std::string& key, const std::string& change,
                       const std::string& value, const std::string& platforms) {
  return "action\nRoot: " + root + "\nKey: " + key + "\nValue: " + value + "\nChange: " + change +
         "\nType: string\nData: x\nPlatforms: " + platforms + "\n";
}

std::string TweakText(int number, const std::string& alternatives, const std::string& actions) {
  return "tweak " + std::to_string(number) + "\nCategory: C\nTitle: T\nSource: S\n" +
         (alternatives.empty() ? "" : "Alternatives: " + alternatives + "\n") + actions;
}

// The problems without "t.twk:N: ", for cases whose point is not the line.
Lines WithoutLines(const Lines& problems) {
  Lines stripped;
  for (const std::string& p : problems) stripped.push_back(p.substr(p.find(": ") + 2));
  return stripped;
}

// Undo replays first recorded first, so some pairs of actions in one tweak
// cannot be undone rightly when one system runs both.
TEST(CatalogueCheck, RefusesActionsThatUndoCannotTakeBackInOrder) {
  const auto action = ActionText;
  struct Case {
    std::string first, second;
    bool refused;
  };
  const Case cases[] = {
      {action("HKCU", "A\\K", "delete key", "", "XP"), action("HKCU", "A\\K", "add key", "", "XP"), true},
      {action("HKCU", "A\\K", "delete key", "", "XP"), action("HKCU", "a\\k\\Sub", "change value", "V", "2000 XP"),
       true},
      {action("HKCU", "A\\K\\Sub", "change value", "V", "XP"), action("HKCU", "A\\K", "delete key", "", "XP"), true},
      {action("HKCU", "A", "change value", "V", "XP"), action("HKCU", "A", "delete value", "v", "XP"), true},
      {action("HKCU", "A", "change value", "V", "95 98"), action("HKCU", "A", "change value", "V", "98 ME"), true},
      // No bit in common, yet one system runs both: Windows 95 with Internet
      // Explorer 5, NT 4.0 with the desktop update, Windows 2000 (which always
      // has it).
      {action("HKCU", "A", "change value", "V", "95"), action("HKCU", "A", "change value", "V", "IE5"), true},
      {action("HKCU", "A", "change value", "V", "NT4"), action("HKCU", "A", "delete value", "V", "WDU"), true},
      {action("HKCU", "A", "change value", "V", "WDU"), action("HKCU", "A", "change value", "V", "2000"), true},
      // Split by platform: no system runs both.
      {action("HKCU", "A\\K", "delete key", "", "95"), action("HKCU", "A\\K", "add key", "", "XP"), false},
      {action("HKCU", "A", "change value", "V", "95 98 ME"), action("HKCU", "A", "change value", "V", "NT4 XP"),
       false},
      // Undone rightly: the added key goes, and its values with it.
      {action("HKCU", "A\\K", "add key", "", "XP"), action("HKCU", "A\\K", "change value", "V", "XP"), false},
      // Different things.
      {action("HKCU", "A\\K", "delete key", "", "XP"), action("HKCU", "A\\KK", "change value", "V", "XP"), false},
      {action("HKCU", "A\\K", "delete key", "", "XP"), action("HKLM", "A\\K", "add key", "", "XP"), false},
      {action("HKCU", "A", "change value", "V", "XP"), action("HKCU", "A", "change value", "W", "XP"), false},
      {action("HKCU", "A", "view value", "V", "XP"), action("HKCU", "A", "change value", "V", "XP"), false},
  };
  for (const Case& c : cases) {
    const std::string text = TweakText(7, "", c.first + c.second);
    const Lines problems = ProblemsOf(text);
    if (!c.refused) {
      EXPECT_EQ(problems, Lines{}) << text;
      continue;
    }
    ASSERT_EQ(problems.size(), 1u) << text;
    EXPECT_NE(problems[0].find("#T0007 action 2 Key: changes what action 1 changes"), std::string::npos) << problems[0];
  }
}

TEST(CatalogueCheck, NamesAPolicyThatOneTweakSetsForTheUserAndForTheMachine) {
  const std::string explorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
  const std::string system = "Software\\Policies\\Microsoft\\Windows\\System";
  struct Case {
    std::string actions;
    Lines problems;
  };
  const Case cases[] = {
      {ActionText("HKCU", explorer, "change value", "NoRun", "XP") +
           ActionText("HKLM", explorer, "change value", "norun", "2000 XP"),
       {"#T0007 action 2 Root: sets the policy HKLM\\" + explorer +
        " \"norun\" that action 1 sets under HKCU, on a system that runs both; a policy is the user's or the "
        "machine's: make two tweaks"}},
      {ActionText("HKLM", system, "change value", "DisableCMD", "XP") +
           ActionText("HKCU", system, "delete value", "DisableCMD", "XP"),
       {"#T0007 action 2 Root: sets the policy HKCU\\" + system +
        " \"DisableCMD\" that action 1 sets under HKLM, on a system that runs both; a policy is the user's or the "
        "machine's: make two tweaks"}},
      // The machine's on one family, the user's on the other.
      {ActionText("HKLM", explorer, "change value", "NoRun", "95 98 ME") +
           ActionText("HKCU", explorer, "change value", "NoRun", "NT4 2000 XP"),
       {}},
      // Two policies, a key that is no policy's, a name that only ends in Policies.
      {ActionText("HKCU", explorer, "change value", "NoRun", "XP") +
           ActionText("HKLM", explorer, "change value", "NoFind", "XP"),
       {}},
      {ActionText("HKCU", "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer", "change value", "V", "XP") +
           ActionText("HKLM", "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer", "change value", "V", "XP"),
       {}},
      {ActionText("HKCU", "Software\\MyPolicies", "change value", "V", "XP") +
           ActionText("HKLM", "Software\\MyPolicies", "change value", "V", "XP"),
       {}},
      // Shown, not set.
      {ActionText("HKCU", explorer, "view value", "NoRun", "XP") +
           ActionText("HKLM", explorer, "view value", "NoRun", "XP"),
       {}},
  };
  for (const Case& c : cases) {
    const std::string text = TweakText(7, "", c.actions);
    EXPECT_EQ(WithoutLines(ProblemsOf(text)), c.problems) << text;
  }
}

// Two tweaks that change one place undo each other's work, unless the user
// is meant to pick one of them and both say so.
TEST(CatalogueCheck, TweaksThatChangeOnePlaceMustNameEachOther) {
  const std::string setV = ActionText("HKCU", "A\\K", "change value", "V", "XP");
  const std::string pairFault =
      "#T0002 action 1 Key: changes what #T0001 action 1 changes (HKCU\\A\\K \"V\") on a system that runs both; "
      "allowed only when the two tweaks name each other in Alternatives:";
  struct Case {
    std::string first, second;
    Lines problems;
  };
  const Case cases[] = {
      {TweakText(1, "", setV), TweakText(2, "", setV), {pairFault}},
      {TweakText(1, "2", setV), TweakText(2, "1", setV), {}},
      {TweakText(1, "2", setV), TweakText(2, "", setV), {pairFault}},
      {TweakText(1, "", setV), TweakText(2, "3, 1", setV + ActionText("HKCU", "B", "change value", "W", "XP")) +
                                   TweakText(3, "2", ActionText("HKCU", "B", "delete value", "w", "XP")),
       {pairFault}},
      {TweakText(1, "", setV), TweakText(2, "", ActionText("HKCU", "a\\k", "delete value", "v", "2000 XP")),
       {"#T0002 action 1 Key: changes what #T0001 action 1 changes (HKCU\\A\\K \"V\") on a system that runs both; "
        "allowed only when the two tweaks name each other in Alternatives:"}},
      {TweakText(1, "", ActionText("HKCU", "A", "delete key", "", "95")),
       TweakText(2, "", ActionText("HKCU", "A\\K", "change value", "V", "IE5")),
       {"#T0002 action 1 Key: changes what #T0001 action 1 changes (HKCU\\A) on a system that runs both; allowed "
        "only when the two tweaks name each other in Alternatives:"}},
      // No system runs both; only one of them writes; different roots or values.
      {TweakText(1, "", ActionText("HKCU", "A\\K", "change value", "V", "95 98 ME")), TweakText(2, "", setV), {}},
      {TweakText(1, "", ActionText("HKCU", "A\\K", "view value", "V", "XP")), TweakText(2, "", setV), {}},
      {TweakText(1, "", ActionText("HKLM", "A\\K", "change value", "V", "XP")), TweakText(2, "", setV), {}},
      {TweakText(1, "", ActionText("HKCU", "A\\K", "change value", "W", "XP")), TweakText(2, "", setV), {}},
      // Alternatives that name no fitting tweak.
      {TweakText(1, "1, 9", setV), TweakText(2, "1", ActionText("HKCU", "A\\K", "change value", "V", "95")),
       {"#T0001 Alternatives: names the tweak itself", "#T0001 Alternatives: names 9, which is not a tweak",
        "#T0002 Alternatives: names 1, but the two change no place in common on a system that runs both"}},
  };
  for (const Case& c : cases) {
    const std::string text = c.first + c.second;
    EXPECT_EQ(WithoutLines(ProblemsOf(text)), c.problems) << text;
  }
}

TEST(CatalogueCheck, SomeSystemRunsBothMasksWhenOneComputedPlatformMatchesEach) {
  struct Case {
    std::uint16_t a, b;
    bool both;
  };
  const Case cases[] = {
      {0x0001, 0x0001, true},   {0x0001, 0x0002, false}, {0x0001, 0x0200, true},  {0x0008, 0x0800, true},
      {0x0001, 0x0800, true},   {0x0010, 0x0800, true},  {0x0036, 0x0800, true},  {0x0100, 0x0200, false},
      {0x0400, 0x0400, true},   {0x0000, 0x003F, false}, {0x0040, 0x0040, false}, {0x1000, 0x1000, false},
      {0x0007, 0x0038, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SomeSystemRunsBoth(c.a, c.b), c.both) << std::hex << c.a << " " << c.b;
    EXPECT_EQ(SomeSystemRunsBoth(c.b, c.a), c.both) << std::hex << c.b << " " << c.a;
  }
}

TEST(CatalogueCheck, HexTextIsUpperCaseBytePairsSeparatedByOneBlank) {
  for (const char* good : {"", "00", "01 A0 FF", "9F"}) EXPECT_TRUE(IsHexText(good)) << good;
  for (const char* bad : {"0", "a0", "01  A0", " 01", "01 ", "01A0", "0G", "01-A0", "01 A"})
    EXPECT_FALSE(IsHexText(bad)) << bad;
}

TEST(CatalogueCheck, VariableSourceIsRootSeparatorKeyAndValueName) {
  const std::pair<const char*, const char*> cases[] = {
      {"HKLM\\SOFTWARE\\Cards\\1\\\\ServiceName", ""},
      {"HKCU\\Key\\\\", ""},  // the key's default value
      {"HKCR\\K\\\\V", ""},
      {"HKCC\\K\\\\V", ""},
      {"HKU\\K\\\\V", "does not start with HKCR, HKCU, HKLM or HKCC"},
      {"hklm\\K\\\\V", "does not start with HKCR, HKCU, HKLM or HKCC"},
      {"", "does not start with HKCR, HKCU, HKLM or HKCC"},
      {"HKLM", "has no \\ after the root code"},
      {"HKLM/K\\\\V", "has no \\ after the root code"},
      {"HKLM\\K\\V", "has no \\\\ before the value name"},
      {"HKLM\\\\\\V", "has no key path"},
      {"HKLM\\\\K\\\\V", "has more than one \\ after the root code"},
  };
  for (const auto& [source, fault] : cases) EXPECT_EQ(VariableSourceFault(source), fault) << source;
}

}  // namespace
}  // namespace cordalis::catalogue
