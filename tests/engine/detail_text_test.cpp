#include "engine/detail_text.h"

#include <gtest/gtest.h>

#include "support/engine_world.h"

namespace cordalis {
namespace {

using testing::ActionRow;
using testing::EngineWorld;
using testing::Tweaks;

// One action's paragraph, as the pane shows it after the heading.
struct Case {
  const char* what;
  ActionRow action;
  std::string paragraph;
};

TEST(DetailText, OneParagraphPerAction) {
  const std::string sixty(60, 's'), sixtyOne(61, 's');
  const Case cases[] = {
      {"add key", {"HKCU", "{S}\\New", "", 0, 0}, "Add Registry key HKCU\\{S}\\New"},
      {"delete key", {"HKLM", "Soft\\Old", "", 0, 2}, "Delete Registry key HKLM\\Soft\\Old"},
      {"delete value", {"HKCU", "{S}\\K", "v", 0, 3}, "In Registry key HKCU\\{S}\\K, delete the value named v."},
      {"view default", {"HKCU", "{S}\\K", "", 0, 4}, "In Registry key HKCU\\{S}\\K, view the value named (Default)."},
      {"unknown change type", {"HKCU", "{S}\\K", "v", 1, 9}, "In Registry key HKCU\\{S}\\K"},
      {"change, stored data", {"HKCU", "{S}\\K", "s", 1, 1, "", "new"},
       "In Registry key HKCU\\{S}\\K, add or change the value named s, changing its current data of old to new."},
      {"change, no data", {"HKCU", "{S}\\K", "none", 1, 1, "", ""},
       "In Registry key HKCU\\{S}\\K, add or change the value named none, changing its current data of (none) to (none)."},
      {"empty current data", {"HKCU", "{S}\\K", "empty", 1, 1, "", "x"},
       "In Registry key HKCU\\{S}\\K, add or change the value named empty, changing its current data of (none) to x."},
      {"binary as hex", {"HKCU", "{S}\\K", "bin", 3, 1, "", "01 02"},
       "In Registry key HKCU\\{S}\\K, add or change the value named bin, changing its current data of 01 A0 FF to 01 02."},
      {"sixty shown whole", {"HKCU", "{S}\\K", "sixty", 1, 1, "", "x"},
       "In Registry key HKCU\\{S}\\K, add or change the value named sixty, changing its current data of " + sixty + " to x."},
      {"sixty-one shortened", {"HKCU", "{S}\\K", "sixtyone", 1, 1, "", "x"},
       "In Registry key HKCU\\{S}\\K, add or change the value named sixtyone, changing its current data of " + sixty +
           "... to x."},
      {"user value", {"HKCU", "{S}\\K", "s", 1, 1, "TEXT", "Prompt"},
       "In Registry key HKCU\\{S}\\K, add or change the value named s, changing its current data of old to a user-specified value."},
      {"view control", {"HKCU", "{S}\\K", "s", 1, 1, "view", "Prompt"},
       "In Registry key HKCU\\{S}\\K, add or change the value named s, changing its current data of old to a user-specified value."},
      {"toggle", {"HKCU", "{S}\\K", "s", 1, 1, "toggle", "Caption|on|"},
       "In Registry key HKCU\\{S}\\K, add or change the value named s, changing its current data of old to on if checked,  if not."},
      {"list of keywords is kind 0", {"HKCU", "{S}\\K", "s", 1, 1, "text|num", "a|b"},
       "In Registry key HKCU\\{S}\\K, add or change the value named s, changing its current data of old to a|b."},
      {"expand", {"HKCU", "{S}\\K", "s", 2, 1, "expand", "%WinDir%\\x;%sysdir%"},
       "In Registry key HKCU\\{S}\\K, add or change the value named s, changing its current data of old to "
       "C:\\WINDOWS\\x;C:\\WINDOWS\\SYSTEM."},
      {"invalid root described", {"hkcu", "{S}\\K", "s", 1, 1, "", "x"},
       "In Registry key hkcu\\{S}\\K, add or change the value named s, changing its current data of (none) to x."},
      {"readkeyvar, marker inside the key", {"HKCU", "{S}\\\\\\Sub", "v2", 1, 1, "readkeyvar", "HKCU\\{S}\\Var\\\\name|x"},
       "In Registry key HKCU\\{S}[VAR]\\Sub (where [VAR] is replaced by \"K\", found at HKCU\\{S}\\Var\\\\name), add "
       "or change the value named v2, changing its current data of 2 to x."},
      {"readkeyvar not found", {"HKCU", "\\\\\\K", "s", 1, 1, "readkeyvar", "HKU \\X\\\\n|x"},
       "In Registry key HKCU\\[VAR]\\K (where [VAR] is replaced by \"\", found at HKU \\X\\\\n), add or change the "
       "value named s, changing its current data of (none) to x."},
  };
  for (const Case& c : cases) {
    EngineWorld world(Tweaks{{1, {c.action}}});
    world.PutText("K", "s", "old");
    world.PutText("K", "empty", "");
    world.Put("K", "bin", kRegBinary, {1, 0xA0, 0xFF});
    world.PutText("K", "sixty", sixty);
    world.PutText("K", "sixtyone", sixtyOne);
    world.PutText("Var", "name", "K");
    world.PutText("K\\Sub", "v2", "2");
    const std::string heading = c.action.changeType == ctViewValue ? "(View only; no action)" : "DO IT action:";
    EXPECT_EQ(world.Detail(1).Text(), heading + "\r\n\r\n" + world.Place(c.paragraph)) << c.what;
  }
}

TEST(DetailText, FacesStylesAndIndents) {
  EngineWorld world(Tweaks{{1, {{"HKCU", "{S}\\K", "s", 1, 1, "toggle", "Cap|1|0"}}}});
  RecordingRichText text = world.Detail(1);
  EXPECT_EQ(text.document.Indents(), (ParagraphIndents{8, 8, 0}));
  const std::vector<TextRun> expected = {
      {"DO IT action:", Face::Pane, stUnderline},
      {"\r\n\r\nIn Registry key ", Face::Pane, stNone},
      {"HKCU\\" + world.sandbox.Path("K"), Face::Courier, stNone},
      {", add or change the value named ", Face::Pane, stNone},
      {"s", Face::Courier, stNone},
      {", changing its current data of ", Face::Pane, stNone},
      {"(none)", Face::Courier, stNone},
      {" to ", Face::Pane, stNone},
      {"1", Face::Courier, stNone},
      {" if checked, ", Face::Pane, stNone},
      {"0", Face::Courier, stNone},
      {" if not.", Face::Pane, stNone},
  };
  EXPECT_EQ(text.Runs(), expected);
}

TEST(DetailText, WhatIsListedAndTheHeading) {
  const ActionRow forXp{"HKCU", "{S}\\A", "", 0, 0, "", "", 0x0020};
  const ActionRow for98{"HKCU", "{S}\\B", "", 0, 0, "", "", 0x0002};
  const ActionRow view{"HKCU", "{S}\\C", "v", 0, 4, "", "", 0x0020};
  EngineWorld world(Tweaks{{1, {forXp, for98}}, {2, {forXp, view}}, {3, {view, forXp}}, {4, {for98}}});
  EXPECT_EQ(world.Detail(1).Text(), world.Place("DO IT action:\r\n\r\nAdd Registry key HKCU\\{S}\\A"))
      << "only actions for this platform";
  EXPECT_EQ(world.Detail(2).Text().substr(0, 22), "(View only; no action)") << "the last listed row views";
  EXPECT_EQ(world.Detail(3).Text().substr(0, 13), "DO IT action:");
  EXPECT_EQ(world.Detail(4).Text(), "DO IT action:") << "nothing listed";

  world.viewOnly = true;
  EXPECT_EQ(world.Detail(1).Text(), world.Place("DO IT action:\r\n\r\nAdd Registry key HKCU\\{S}\\A Platforms: XP"
                                                "\r\n\r\nAdd Registry key HKCU\\{S}\\B Platforms: 98"));
  RecordingRichText text = world.Detail(4);
  EXPECT_EQ(text.Runs().back(), (TextRun{" Platforms: 98", Face::Pane, stItalic}));

  world.viewOnly = false;
  ASSERT_TRUE(world.DoIt(1));
  EXPECT_EQ(world.Detail(1).Text(), world.Place("Undo action:\r\n\r\nDelete Registry key HKCU\\{S}\\A"))
      << "with undo data, the undo actions are listed";
  world.viewOnly = true;
  EXPECT_EQ(world.Detail(1).Text().substr(0, 13), "DO IT action:") << "view-only mode lists the actions";
}

}  // namespace
}  // namespace cordalis
