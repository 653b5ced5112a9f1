#include "controls/controls_pane.h"

#include <gtest/gtest.h>

#include "engine/apply_engine.h"
#include "host/host_queries.h"
#include "doubles/memory_registry.h"
#include "doubles/scripted_host_queries.h"
#include "host/registry.h"
#include "host/roots.h"
#include "support/fixed_text_measure.h"

namespace cordalis {
namespace {

constexpr std::uint16_t kCurrentMask = 0x0C20;  // Windows XP with IE6
constexpr std::uint16_t kOtherPlatform = 0x0001;

ActionRecord Action(std::string special, std::string data, std::string value = "v", std::string root = "HKCU",
                    std::uint16_t verMask = 0x0F3F) {
  ActionRecord a;
  a.root = std::move(root);
  a.key = "Software\\Test";
  a.value = std::move(value);
  a.changeType = 1;
  a.dataType = 1;
  a.special = std::move(special);
  a.data = std::move(data);
  a.verMask = verMask;
  return a;
}

const char* KindName(PaneControlKind kind) {
  switch (kind) {
    case PaneControlKind::Label: return "Label";
    case PaneControlKind::Edit: return "Edit";
    case PaneControlKind::UpDown: return "UpDown";
    case PaneControlKind::Memo: return "Memo";
    case PaneControlKind::View: return "View";
    case PaneControlKind::Button: return "Button";
    case PaneControlKind::CheckBox: return "CheckBox";
  }
  return "?";
}

const char* HandlerName(PaneHandler handler) {
  switch (handler) {
    case PaneHandler::eBlankChange: return "eBlankChange";
    case PaneHandler::AlphaKeyPress: return "AlphaKeyPress";
    case PaneHandler::btnFileClick: return "btnFileClick";
    case PaneHandler::btnFolderClick: return "btnFolderClick";
    case PaneHandler::btnIconClick: return "btnIconClick";
  }
  return "?";
}

// One control on one line: name, kind, bounds, flags, text, mark, handlers.
std::string Describe(const PaneControl& c) {
  const ControlBounds& b = c.bounds;
  std::string s = c.name + " " + KindName(c.kind) + " #" + std::to_string(c.number) + " " + std::to_string(b.left) +
                  "," + std::to_string(b.top) + " " + std::to_string(b.width) + "x" + std::to_string(b.height);
  if (c.stretches) s += " stretch";
  if (c.rightAligned) s += " right";
  if (c.maxLength) s += " max" + std::to_string(c.maxLength);
  if (c.upperCase) s += " upper";
  if (c.readOnly) s += " readonly";
  if (c.wordWrap) s += " wrap";
  if (c.verticalScrollBar) s += " vscroll";
  if (c.kind == PaneControlKind::UpDown)
    s += " " + std::to_string(c.minimum) + ".." + std::to_string(c.maximum) + " step " + std::to_string(c.increment) +
         " at " + std::to_string(c.position) + " on " + c.buddy;
  if (c.ticked) s += " ticked";
  s += " \"" + c.text + "\" mark" + std::to_string(c.mark);
  for (PaneHandler h : c.handlers) s += std::string(" ") + HandlerName(h);
  return s;
}

class ControlsPaneTest : public ::testing::Test {
 protected:
  ActionPassResult Build(const std::vector<ActionRecord>& actions, bool hasUndoData = false, bool viewOnly = false) {
    pane.Clear();
    return pane.RunActionPass({actions, registry, host, measure, geometry, hasUndoData, viewOnly, kCurrentMask});
  }
  std::vector<std::string> Described() const {
    std::vector<std::string> lines;
    for (const PaneControl& c : pane.Controls()) lines.push_back(Describe(c));
    return lines;
  }
  void Put(const std::string& value, const std::string& text) {
    TRegistry reg(registry);
    reg.SetRootKey(kHkeyCurrentUser);
    ASSERT_TRUE(reg.OpenKey("Software\\Test", true));
    reg.WriteString(value, text);
  }
  std::vector<int> FirstNumbers(std::size_t actions) const {
    std::vector<int> numbers;
    for (std::size_t p = 0; p < actions; ++p) numbers.push_back(pane.FirstControlNumber(static_cast<int>(p)));
    return numbers;
  }

  MemoryRegistry registry;
  ScriptedHostQueries host;
  testing::FixedTextMeasure measure;  // 6 pixels a character, 13 a line
  PaneGeometry geometry;              // 96 pixels per inch, client width 400
  ControlsPaneModel pane;
};

// At 96 pixels per inch the label column is 8 + 120 = 128, boxes start at 136
// and a stretching box is 400 - 136 - 8 = 256 wide; prompt labels end at 128.
TEST_F(ControlsPaneTest, EachKindIsLaidOutInItsRow) {
  struct Case {
    const char* special;
    const char* data;
    const char* current;  // nullptr: the value does not exist
    std::vector<std::string> controls;
  };
  const Case cases[] = {
      {"drive", "Drive:", "c",
       {"cLabel0 Label #0 92,12 36x13 right \"Drive:\" mark0",
        "cEdit0 Edit #0 136,8 32x21 max1 upper \"C\" mark0 AlphaKeyPress eBlankChange"}},
      {"drive", "D:", "abc",
       {"cLabel0 Label #0 116,12 12x13 right \"D:\" mark0",
        "cEdit0 Edit #0 136,8 32x21 max1 upper \"ABC\" mark0 AlphaKeyPress eBlankChange"}},
      {"drive", "D:", "",
       {"cLabel0 Label #0 116,12 12x13 right \"D:\" mark0",
        "cEdit0 Edit #0 136,8 32x21 max1 upper \"\" mark1 AlphaKeyPress eBlankChange"}},
      {"text", "Name:", nullptr,
       {"cLabel0 Label #0 98,12 30x13 right \"Name:\" mark0", "cEdit0 Edit #0 136,8 256x21 stretch max255 \"\" mark0"}},
      {"textb", "Name:", "Bob",
       {"cLabel0 Label #0 98,12 30x13 right \"Name:\" mark0",
        "cEdit0 Edit #0 136,8 256x21 stretch max255 \"Bob\" mark0 eBlankChange"}},
      {"view", "Now:", "shown",
       {"cLabel0 Label #0 104,12 24x13 right \"Now:\" mark0",
        "cView0 View #0 136,8 256x21 stretch readonly \"shown\" mark2"}},
      {"memo", "Text:", nullptr,
       {"cLabel0 Label #0 98,12 30x13 right \"Text:\" mark0",
        "cMemo0 Memo #0 136,8 256x64 stretch max4096 wrap vscroll \"\" mark1 eBlankChange"}},
      {"num", "Count:|10|20|4", "not a number",
       {"cLabel0 Label #0 92,12 36x13 right \"Count:\" mark0", "cEdit0 Edit #0 136,8 34x21 \"12\" mark0",
        "cUpDown0 UpDown #0 170,8 16x21 10..20 step 4 at 12 on cEdit0 \"\" mark0"}},
      {"file", "Pick a file|Programs|*.exe", nullptr,
       {"cButton0 Button #0 8,8 75x25 \"Browse...\" mark0 btnFileClick",
        "cLabel0 Label #0 96,14 66x13 \"Pick a file\" mark1"}},
      {"folder", "Pick", "C:\\Data",
       {"cButton0 Button #0 8,8 75x25 \"Browse...\" mark0 btnFolderClick",
        "cLabel0 Label #0 96,14 42x13 \"C:\\Data\" mark1"}},
      {"icon", "", "",
       {"cButton0 Button #0 8,8 75x25 \"Browse...\" mark0 btnIconClick", "cLabel0 Label #0 96,14 6x13 \"\" mark1"}},
      {"toggle", "Show it|1|0", "1", {"cCheckBox0 CheckBox #0 8,8 74x17 ticked \"Show it\" mark0"}},
      {"toggle", "Show it|1|0", "0", {"cCheckBox0 CheckBox #0 8,8 74x17 \"Show it\" mark0"}},
      {"readkeyvar", "HKCU\\Software\\\\v", "x", {}},
      {"expand", "%windir%", "x", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.special) + " " + c.data);
    registry = MemoryRegistry();
    if (c.current) Put("v", c.current);
    Build({Action(c.special, c.data)});
    EXPECT_EQ(Described(), c.controls);
  }
}

TEST_F(ControlsPaneTest, TheLabelColumnFollowsTheScreenResolution) {
  geometry.pixelsPerInch = 120;  // label column 8 + 150
  Build({Action("text", "Name:"), Action("num", "N:")});
  EXPECT_EQ(Described(), (std::vector<std::string>{
                             "cLabel0 Label #0 128,12 30x13 right \"Name:\" mark0",
                             "cEdit0 Edit #0 166,8 226x21 stretch max255 \"\" mark0",
                             "cLabel1 Label #1 146,41 12x13 right \"N:\" mark0",
                             "cEdit1 Edit #1 166,37 34x21 \"16383\" mark0",
                             "cUpDown1 UpDown #1 200,37 16x21 0..32767 step 1 at 16383 on cEdit1 \"\" mark0",
                         }));
}

TEST_F(ControlsPaneTest, RowsStackByTheirTallestControl) {
  // memo 64 high, then a button row 25 high, then "readkeyvar" and "expand"
  // taking 8 each, then a check box.
  Build({Action("memo", "M:"), Action("file|readkeyvar|expand", "F:||src|x"), Action("toggle", "T|1")});
  const std::vector<std::string> lines = Described();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[2], "cButton1 Button #1 8,80 75x25 \"Browse...\" mark0 btnFileClick");  // 8 + 64 + 8
  EXPECT_EQ(lines[4], "cCheckBox4 CheckBox #4 8,129 38x17 \"T\" mark0");           // 80 + 25 + 8 + 8 + 8
  const ControlsGroupSize size = pane.SizeControlsGroup(geometry);
  EXPECT_TRUE(size.separatorVisible);
  EXPECT_EQ(size.groupBoxHeight, 129 + 17 + 8 + 39 + 16);
  EXPECT_EQ(size.desiredHeight, size.groupBoxHeight + 16);
  EXPECT_EQ(size.minimumHeight, 39 + 50);
}

TEST_F(ControlsPaneTest, APathLabelTallerThanTheButtonSetsTheRowHeight) {
  geometry.applyHeight = 10;
  Build({Action("folder", "Where"), Action("text", "T:")});
  EXPECT_EQ(pane.Find("cLabel0")->bounds, (ControlBounds{96, 8, 30, 13}));
  EXPECT_EQ(pane.Find("cEdit1")->bounds.top, 8 + 13 + 8) << "the path label is the first row's tallest control";
  geometry.applyHeight = 25;
  Build({Action("folder", "Where"), Action("text", "T:")});
  EXPECT_EQ(pane.Find("cEdit1")->bounds.top, 8 + 25 + 8);
}

TEST_F(ControlsPaneTest, AStretchingBoxNeverGetsANegativeWidth) {
  geometry.clientWidth = 100;
  Build({Action("text", "T:")});
  EXPECT_EQ(pane.Find("cEdit0")->bounds.width, 0);
}

TEST_F(ControlsPaneTest, SizingWithoutControls) {
  struct Case {
    std::vector<ActionRecord> actions;
    int desired;
  };
  const Case cases[] = {
      {{}, 8 + 39 + 16},
      {{Action("", "x")}, 63},
      {{Action("nothing|text", "x")}, 63},
      {{Action("readkeyvar", "src")}, 16 + 39 + 16},
  };
  for (const Case& c : cases) {
    Build(c.actions);
    const ControlsGroupSize size = pane.SizeControlsGroup(geometry);
    EXPECT_FALSE(size.separatorVisible);
    EXPECT_EQ(size.desiredHeight, c.desired);
    EXPECT_EQ(size.groupBoxHeight, c.desired);
    EXPECT_EQ(size.minimumHeight, 55);
  }
  geometry.horizontalScrollBar = 21;
  Build({Action("text", "T:")});
  EXPECT_EQ(pane.SizeControlsGroup(geometry).desiredHeight, 8 + 21 + 8 + 39 + 16 + 21);
}

TEST_F(ControlsPaneTest, CompletenessFollowsTheMarks) {
  using P = PaneCompleteness;
  struct Case {
    const char* name;
    std::vector<ActionRecord> actions;
    P outcome;
  };
  // Value "set" holds data; value "v" does not exist.
  const Case cases[] = {
      {"empty pane", {}, P::Complete},
      {"empty text", {Action("text", "T")}, P::Complete},
      {"empty textb", {Action("textb", "T")}, P::NeedsData},
      {"filled textb", {Action("textb", "T", "set")}, P::Complete},
      {"empty drive", {Action("drive", "D")}, P::NeedsData},
      {"empty memo", {Action("memo", "M")}, P::NeedsData},
      {"file showing current data", {Action("file", "F", "set")}, P::NeedsData},
      {"num and toggle", {Action("num", "N"), Action("toggle", "T|1")}, P::Complete},
      {"view", {Action("view", "V")}, P::DisplayOnly},
      {"textb then view", {Action("textb", "T"), Action("view", "V")}, P::DisplayOnly},
      {"view then textb", {Action("view", "V"), Action("textb", "T")}, P::NeedsData},
      {"file then view", {Action("file", "F"), Action("view", "V")}, P::DisplayOnly},
      {"view then file", {Action("view", "V"), Action("file", "F")}, P::DisplayOnly},
  };
  Put("set", "data");
  for (const Case& c : cases) {
    Build(c.actions);
    EXPECT_EQ(pane.Completeness(), c.outcome) << c.name;
  }
}

TEST_F(ControlsPaneTest, TheCommandStatesFollowThePane) {
  Build({Action("textb", "B")});
  CommandStates states = UpdateCommandStates(true, false, false, pane, 0);
  EXPECT_TRUE(states.apply);
  EXPECT_EQ(states.needsDataMark, 1);
  pane.TextChanged("cEdit0", "typed");
  states = UpdateCommandStates(true, false, false, pane, 1);
  EXPECT_TRUE(states.apply);
  EXPECT_EQ(states.needsDataMark, 0);
  Build({Action("view", "V")});
  EXPECT_FALSE(UpdateCommandStates(true, false, false, pane, 0).apply);
}

TEST_F(ControlsPaneTest, RequiredBoxesAreMarkedWhileEmpty) {
  Build({Action("text", "T"), Action("textb", "B"), Action("drive", "D"), Action("memo", "M")});
  EXPECT_EQ(pane.Completeness(), PaneCompleteness::NeedsData);
  EXPECT_TRUE(pane.TextChanged("cEdit1", "b"));
  EXPECT_TRUE(pane.TextChanged("CEDIT2", "c"));
  EXPECT_EQ(pane.Completeness(), PaneCompleteness::NeedsData) << "the memo is still empty";
  EXPECT_TRUE(pane.TextChanged("cMemo3", "lines"));
  EXPECT_EQ(pane.Completeness(), PaneCompleteness::Complete);
  EXPECT_TRUE(pane.TextChanged("cEdit0", ""));
  EXPECT_EQ(pane.Completeness(), PaneCompleteness::Complete) << "an empty text box does not block";
  EXPECT_TRUE(pane.TextChanged("cEdit2", ""));
  EXPECT_EQ(pane.Completeness(), PaneCompleteness::NeedsData);
  EXPECT_EQ(pane.Find("cEdit2")->mark, cmInputMissing);
  EXPECT_FALSE(pane.TextChanged("cLabel0", "x")) << "only edit boxes and memos take typed text";
  EXPECT_FALSE(pane.TextChanged("cEdit9", "x"));
  EXPECT_EQ(pane.Find("cLabel0")->text, "T");
}

TEST_F(ControlsPaneTest, ABrowseClearsThePathLabelsMark) {
  host.expanded = "C:\\WINDOWS\\notepad.exe";
  Put("set", "%windir%\\notepad.exe");
  Build({Action("file", "Pick|Programs|*.exe", "set"), Action("folder", "Where")});
  EXPECT_EQ(pane.ReadControl('L', 0), "%windir%\\notepad.exe") << "the label shows the data unexpanded";
  EXPECT_EQ(pane.BrowsePath(0), "C:\\WINDOWS\\notepad.exe");
  EXPECT_EQ(pane.BrowseFilter(0), "Programs|*.exe");
  EXPECT_EQ(pane.BrowsePath(1), "");
  EXPECT_EQ(pane.BrowseFilter(1), "") << "only file buttons have a filter";
  pane.BrowseSucceeded(0, "C:\\x.exe", measure);
  EXPECT_EQ(pane.Completeness(), PaneCompleteness::NeedsData);
  pane.BrowseSucceeded(1, "D:", measure);
  EXPECT_EQ(pane.Completeness(), PaneCompleteness::Complete);
  EXPECT_EQ(pane.ReadControl('L', 1), "D:");
  EXPECT_EQ(pane.BrowsePath(1), "D:");
  EXPECT_EQ(pane.Find("cLabel1")->bounds.width, 12) << "the label sizes itself to its caption";
  pane.Clear();
  EXPECT_TRUE(pane.Controls().empty());
  EXPECT_EQ(pane.BrowsePath(0), "");
  EXPECT_EQ(pane.BrowseFilter(0), "");
}

TEST_F(ControlsPaneTest, BrowseButtonsNumberedTenAndUpHaveTableEntries) {
  std::vector<ActionRecord> actions(11, Action("text", "T"));
  actions.push_back(Action("file", "F|All|*.*"));
  Put("v", "C:\\x.txt");
  Build(actions);
  EXPECT_EQ(pane.FirstControlNumber(11), 11);
  EXPECT_EQ(pane.BrowsePath(11), "C:\\x.txt");
  EXPECT_EQ(pane.BrowseFilter(11), "All|*.*");
  pane.BrowseSucceeded(11, "C:\\y.txt", measure);
  EXPECT_EQ(pane.ReadControl('L', 11), "C:\\y.txt");
  EXPECT_EQ(pane.BrowsePath(11), "C:\\y.txt");
}

TEST_F(ControlsPaneTest, ReadBackByKindLetter) {
  Put("drive", "e");
  Put("num", "7");
  Put("memo", "two\r\nlines");
  Put("toggle", "on");
  Build({Action("drive", "D", "drive"), Action("file", "F", "drive"), Action("memo", "M", "memo"),
         Action("num", "N|0|9", "num"), Action("text", "T"), Action("toggle", "Tick|on", "toggle"),
         Action("view", "V", "num")});
  pane.PositionChanged("cUpDown3", 8);
  pane.TextChanged("cEdit4", "typed");
  struct Case {
    char letter;
    int number;
    const char* text;
  };
  const Case cases[] = {
      {'E', 0, "E"},           {'L', 1, "e"},  {'M', 2, "two\r\nlines"}, {'U', 3, "8"},
      {'E', 3, "7"},           {'E', 4, "typed"}, {'C', 5, "1"},       {'L', 6, "V"},
      {'E', 6, ""},            {'C', 4, "0"},  {'C', 99, "0"},          {'E', 99, ""},
      {'L', 99, ""},           {'M', 0, ""},   {'U', 0, ""},            {'U', -1, ""},
      {'V', 6, ""},            {'X', 0, ""},   {'e', 0, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(pane.ReadControl(c.letter, c.number), c.text) << c.letter << c.number;
  pane.TickChanged("cCheckBox5", false);
  EXPECT_EQ(pane.ReadControl('C', 5), "0");
  EXPECT_FALSE(pane.TickChanged("cEdit4", true));
  EXPECT_FALSE(pane.PositionChanged("cEdit3", 1));
}

TEST_F(ControlsPaneTest, NumbersEveryKeywordOfEveryProcessedAction) {
  struct Case {
    const char* name;
    std::vector<ActionRecord> actions;
    std::vector<int> first;
  };
  const Case cases[] = {
      {"view before", {Action("view", "V"), Action("text", "T")}, {0, 1}},
      {"readkeyvar before", {Action("readkeyvar", "src|x"), Action("text", "T")}, {0, 1}},
      {"expand before", {Action("expand", "%windir%"), Action("text", "T")}, {0, 1}},
      {"invalid root before", {Action("text", "T", "v", "HKXX"), Action("text", "T")}, {0, 1}},
      {"list before", {Action("text|num|toggle", "T|N|0|9|1|5|C|1"), Action("text", "T")}, {0, 3}},
      {"no keyword before", {Action("", "data"), Action("text", "T")}, {-1, 0}},
      {"unknown keyword before", {Action("nothing|text", "x|T"), Action("text", "T")}, {-1, 0}},
      {"other platform before", {Action("text", "T", "v", "HKCU", kOtherPlatform), Action("text", "T")}, {-1, 0}},
  };
  for (const Case& c : cases) {
    Build(c.actions);
    EXPECT_EQ(FirstNumbers(c.actions.size()), c.first) << c.name;
  }
  Build({Action("text", "T", "v", "HKXX")});
  EXPECT_NE(pane.Find("cEdit0"), nullptr) << "an invalid root still builds its controls";
}

TEST_F(ControlsPaneTest, UndoDataAndViewOnlyDecideWhatIsBuilt) {
  const std::vector<ActionRecord> actions = {
      Action("text", "T"),
      Action("textb", "B", "v", "HKLM", kOtherPlatform),
      Action("view", "V", "v", "hkcu"),
  };
  ActionPassResult result = Build(actions);
  EXPECT_EQ(FirstNumbers(3), (std::vector<int>{0, -1, 1}));
  EXPECT_EQ(result.referencedRoots, rbHKCU) << "an invalid root adds nothing";
  EXPECT_EQ(result.platformMask, 0x0F3F | kOtherPlatform) << "every action's mask counts";

  result = Build(actions, /*hasUndoData=*/true);
  EXPECT_TRUE(pane.Controls().empty());
  EXPECT_EQ(FirstNumbers(3), (std::vector<int>{-1, -1, -1}));
  EXPECT_EQ(result.referencedRoots, rbHKCU) << "the roots still count";

  result = Build(actions, false, /*viewOnly=*/true);
  EXPECT_EQ(FirstNumbers(3), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(result.referencedRoots, rbHKCU | rbHKLM);
  EXPECT_EQ(result.platformMask, 0x0F3F | kOtherPlatform);
}

TEST_F(ControlsPaneTest, ClearingEmptiesThePane) {
  Build({Action("text", "T"), Action("file", "F")});
  pane.Clear();
  EXPECT_TRUE(pane.Controls().empty());
  EXPECT_EQ(pane.FirstControlNumber(0), -1);
  EXPECT_EQ(pane.Completeness(), PaneCompleteness::Complete);
  EXPECT_EQ(pane.SizeControlsGroup(geometry).desiredHeight, 63);
  pane.RunActionPass({{Action("text", "T")}, registry, host, measure, geometry, false, false, kCurrentMask});
  EXPECT_EQ(pane.Find("cEdit0")->bounds.top, 8) << "the numbers and rows start again";
}

TEST(AlphaKeyPress, AdmitsLettersAndControlKeys) {
  for (unsigned c = 0; c < 256; ++c) {
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    EXPECT_EQ(AlphaKeyPress(c), c < 32 || letter) << c;
    const unsigned typed = c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
    EXPECT_EQ(DriveKeyPress(c), c < 32 || letter ? typed : 0u) << c;
  }
  EXPECT_FALSE(AlphaKeyPress(0x100 + 'a'));
  EXPECT_EQ(DriveKeyPress(0x100 + 'a'), 0u);
}

// What each control shows when it is built is what DO IT reads back from it,
// with current data outside the number box's bounds and in lower case.
TEST_F(ControlsPaneTest, EveryBuiltControlShowsWhatItReadsBack) {
  Put("drive", "c");
  Put("num", "20");
  Put("wide", "40000");
  Put("memo", "two\r\nlines");
  Put("toggle", "on");
  Put("text", "lower case");
  Build({Action("drive", "D", "drive"), Action("num", "N|1|16", "num"), Action("num", "W", "wide"),
         Action("memo", "M", "memo"), Action("text", "T", "text"), Action("textb", "B", "text"),
         Action("toggle", "Tick|on", "toggle"), Action("file", "F", "drive")});
  struct Case {
    const char* shown;  // the control whose text the window shows
    char letter;        // and the read-back of its number
    int number;
    const char* text;
  };
  const Case cases[] = {
      {"cEdit0", 'E', 0, "C"},  {"cEdit1", 'U', 1, "16"}, {"cEdit2", 'U', 2, "0"}, {"cMemo3", 'M', 3, "two\r\nlines"},
      {"cEdit4", 'E', 4, "lower case"}, {"cEdit5", 'E', 5, "lower case"}, {"cLabel7", 'L', 7, "c"},
  };
  for (const Case& c : cases) {
    ASSERT_NE(pane.Find(c.shown), nullptr) << c.shown;
    EXPECT_EQ(pane.Find(c.shown)->text, c.text) << c.shown;
    EXPECT_EQ(pane.ReadControl(c.letter, c.number), c.text) << c.shown;
  }
  EXPECT_TRUE(pane.Find("cCheckBox6")->ticked);
  EXPECT_EQ(pane.ReadControl('C', 6), "1");
}

// Typing into a number box moves the position to what was typed, within the
// bounds; leaving the box shows that position. The arrows step by the
// increment in its direction, and the box follows them.
TEST_F(ControlsPaneTest, TheNumberBoxFollowsTypingAndTheArrows) {
  Put("num", "10");
  Build({Action("num", "N|0|50|-5", "num"), Action("drive", "D", "drive")});
  struct Case {
    const char* typed;
    const char* read;
    const char* settled;
  };
  const Case cases[] = {
      {"12", "12", "12"}, {"99", "50", "50"}, {"-3", "0", "0"}, {"abc", "0", "0"}, {"$1F", "31", "31"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(pane.TextChanged("cEdit0", c.typed));
    EXPECT_EQ(pane.ReadControl('U', 0), c.read) << c.typed;
    EXPECT_EQ(pane.SettledText("cEdit0"), c.settled) << c.typed;
  }
  EXPECT_EQ(pane.Step("cUpDown0", +1), 26) << "the increment is -5";
  EXPECT_EQ(pane.Find("cEdit0")->text, "26");
  EXPECT_EQ(pane.Step("cUpDown0", -1), 31);
  EXPECT_EQ(pane.ReadControl('U', 0), "31");
  EXPECT_EQ(pane.Step("cEdit0", +1), std::nullopt) << "not arrows";
  EXPECT_EQ(pane.SettledText("cEdit1"), "") << "the drive box settles as it is";
  ASSERT_TRUE(pane.TextChanged("cEdit1", "e"));
  EXPECT_EQ(pane.ReadControl('E', 1), "E") << "a pasted letter, as the box shows it";
}

}  // namespace
}  // namespace cordalis
