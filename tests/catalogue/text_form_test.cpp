#include "catalogue/text_form.h"

#include <gtest/gtest.h>

#include "problem_lines.h"

namespace cordalis::catalogue {
namespace {

using testing::ProblemsOf;
using Lines = std::vector<std::string>;

TEST(TextForm, ReadsTweaksAndActionsAsWritten) {
  const std::string text =
      "# A comment, then a blank line\r\n"
      "\r\n"
      "tweak 12\r\n"
      "category: Start Menu\r\n"
      "SubCat: Speed   \r\n"
      "Title: Make menus: open faster\r\n"
      "Source: Q123456; Windows 2000 Registry Reference, MenuShowDelay\r\n"
      "Alternatives: 40, 41\r\n"
      "Description:\r\n"
      "| Sets how long Windows waits\r\n"
      "| before it opens a submenu.\r\n"
      "|\r\n"
      "|  Takes effect after you log off.\r\n"
      "\r\n"
      "action\r\n"
      "Root: HKCU\r\n"
      "Key: Control Panel\\Desktop\r\n"
      "Value: MenuShowDelay\r\n"
      "Change: Change Value\r\n"
      "Type: string\r\n"
      "Special: num\r\n"
      "Data: Delay (ms)|0|4000|50|400\r\n"
      "Platforms: 95, 98 me nt4 2000 XP\r\n"
      "ACTION\r\n"
      "Root: HKLM\r\n"
      "Key: K\r\n"
      "Value:\r\n"
      "Change: 2\r\n"
      "Platforms: 0x0A02\r\n"
      "action\r\n"
      "Root: HKCR\r\n"
      "Key: K\r\n"
      "Change: view value\r\n"
      "Type: 4\r\n"
      "Platforms: IE4 IE5 IE6 WDU\r\n"
      "tweak 3\n"
      "Category: Desktop\n"
      "Title: T\n";
  Catalogue catalogue;
  std::vector<Problem> problems;
  ParseTextForm("start.twk", text, catalogue, problems);
  EXPECT_EQ(testing::Lines(problems), Lines{});
  EXPECT_TRUE(catalogue.fromTextForm) << "so its sources are checked";
  ASSERT_EQ(catalogue.tweaks.size(), 2u);

  const Tweak& t = catalogue.tweaks[0];
  EXPECT_EQ(t.twkId, 12);
  EXPECT_EQ(t.category, "Start Menu");
  EXPECT_EQ(t.subCat, "Speed");
  EXPECT_EQ(t.title, "Make menus: open faster");
  EXPECT_EQ(t.description,
            "Sets how long Windows waits before it opens a submenu.\r\n\r\n Takes effect after you log off.");
  EXPECT_EQ(t.origin.file, "start.twk");
  EXPECT_EQ(t.source, "Q123456; Windows 2000 Registry Reference, MenuShowDelay");
  EXPECT_EQ(t.alternatives, (std::vector<std::int32_t>{40, 41}));
  EXPECT_EQ(t.origin.line, 3);
  ASSERT_EQ(t.actions.size(), 3u);

  const Action& a = t.actions[0];
  EXPECT_EQ(a.root, "HKCU");
  EXPECT_EQ(a.key, "Control Panel\\Desktop");
  EXPECT_EQ(a.value, "MenuShowDelay");
  EXPECT_EQ(a.changeType, 1);
  EXPECT_EQ(a.dataType, 1);
  EXPECT_EQ(a.special, "num");
  EXPECT_EQ(a.data, "Delay (ms)|0|4000|50|400");
  EXPECT_EQ(a.verMask, 0x003F);
  EXPECT_EQ(a.origin.line, 15);
  EXPECT_EQ(a.lines.at("Data"), 22);

  const Action& b = t.actions[1];
  EXPECT_EQ(b.value, "");
  EXPECT_EQ(b.changeType, 2);
  EXPECT_EQ(b.dataType, 0);  // the default type
  EXPECT_EQ(b.special, "");
  EXPECT_EQ(b.verMask, 0x0A02);

  const Action& c = t.actions[2];
  EXPECT_EQ(c.changeType, 4);
  EXPECT_EQ(c.dataType, 4);
  EXPECT_EQ(c.verMask, 0x0F00);

  EXPECT_EQ(catalogue.tweaks[1].twkId, 3);
  EXPECT_EQ(catalogue.tweaks[1].description, "");
  EXPECT_TRUE(catalogue.tweaks[1].actions.empty());
}

TEST(TextForm, ReportsEveryLineThatBreaksTheForm) {
  const std::string head = "tweak 7\nCategory: C\nTitle: T\nSource: S\n";  // lines 1-4
  const std::string action = "action\nRoot: HKCU\nKey: K\nChange: add key\nPlatforms: XP\n";
  struct Case {
    std::string text;
    Lines problems;
  };
  const Case cases[] = {
      {"Title: T\n" + head + action, {"t.twk:1: \"Title:\" before the first tweak"}},
      {action + head + action,
       {"t.twk:1: an action before the first tweak"}},
      {head + "Root: HKCU\n" + action, {"t.twk:5: \"Root:\" before the tweak's first \"action\" line"}},
      {head + action + "SubCat: S\n", {"t.twk:10: \"SubCat:\" after the tweak's first \"action\" line"}},
      {head + action + "Frobnicate: yes\nsomething else\n",
       {"t.twk:10: unknown line \"Frobnicate: yes\"", "t.twk:11: unknown line \"something else\""}},
      {head + "action\nRoot: HKCU\nKey:K\nKey: K\nChange: add key\nPlatforms: XP\n",
       {"t.twk:7: \"Key:\" must be followed by a blank"}},
      {head + "Title: U\n" + action, {"t.twk:5: \"Title:\" given twice (first on line 3)"}},
      {head + "Alternatives: 12, twelve\n" + action,
       {"t.twk:5: \"twelve\" in Alternatives: is not a tweak number",
        "t.twk:5: #T0007 Alternatives: names 12, which is not a tweak"}},
      {head + "action\nRoot: HKCU\nKey: K\nChange: modify\nType: text\nPlatforms: XP Win7\n",
       {"t.twk:8: unknown change \"modify\": add key, change value, delete key, delete value, view value, or a number",
        "t.twk:9: unknown type \"text\": none, string, expand, binary, dword, or a number",
        "t.twk:10: unknown platform \"Win7\": 95, 98, ME, NT4, 2000, XP, IE4, IE5, IE6, WDU, or one number from 0 to "
        "0xFFFF"}},
      {head + "action\nRoot: HKCU\nKey: K\nChange: add key\nPlatforms: 0x10000\n",
       {"t.twk:9: unknown platform \"0x10000\": 95, 98, ME, NT4, 2000, XP, IE4, IE5, IE6, WDU, or one number from 0 "
        "to 0xFFFF",
        "t.twk:9: #T0007 action 1 VerMask: 0: the action applies to no platform"}},
      {head + "action\nRoot: HKCU\nPlatforms: XP\n",
       {"t.twk:5: #T0007 action 1: no \"Key:\" line", "t.twk:5: #T0007 action 1: no \"Change:\" line"}},
      {"tweak seven\n" + action.substr(0, 7) + "Root: hkcu\nKey: K\n" + head + action,
       {"t.twk:1: the tweak number \"seven\" is not a number", "t.twk:2: #T0000 action 1: no \"Change:\" line"}},
      {head + "Description: Inline\n" + action,
       {"t.twk:5: the description goes on the lines below \"Description:\", each starting with \"| \""}},
      {head + "Description:\n|\n| A\n|x\n| B\n|\n" + action,
       {"t.twk:6: an empty paragraph in the Description", "t.twk:8: a description line starts with \"| \"",
        "t.twk:10: the Description ends with an empty paragraph"}},
      {head + "Description:\n| A\n\n| B\n" + action, {"t.twk:8: a description line outside a Description"}},
  };
  for (const Case& c : cases) EXPECT_EQ(ProblemsOf(c.text), c.problems) << c.text;
}

}  // namespace
}  // namespace cordalis::catalogue
