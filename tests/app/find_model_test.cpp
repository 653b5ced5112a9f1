#include "app/find_model.h"

#include <gtest/gtest.h>

#include <map>

#include "app/description_text.h"
#include "app/plain_text_search.h"
#include "db/dm1.h"
#include "db/packet_engine.h"
#include "engine/control_pane.h"
#include "doubles/memory_file_store.h"
#include "doubles/recording_message_boxes.h"
#include "support/table_files.h"

namespace cordalis {
namespace {

// A tree in absolute order: the tweak number of each node, 0 for the root,
// categories and subcategories.
class FakeTree final : public TreeOrder {
 public:
  explicit FakeTree(std::vector<std::int32_t> nodes, int selected = -1) : nodes_(std::move(nodes)), selected_(selected) {}
  int NodeCount() const override { return static_cast<int>(nodes_.size()); }
  std::int32_t TweakAt(int index) const override { return nodes_.at(static_cast<std::size_t>(index)); }
  int SelectedIndex() const override { return selected_; }
  void Select(int index) override { selected_ = index; }

 private:
  std::vector<std::int32_t> nodes_;
  int selected_;
};

//  0 Categories | 1 Desktop | 2 tweak 5 | 3 Explorer | 4 Menus | 5 tweak 1 | 6 tweak 12 | 7 tweak 99 | 8 tweak 3
const std::vector<std::int32_t> kNodes = {0, 0, 5, 0, 0, 1, 12, 99, 3};

class Find : public ::testing::Test {
 protected:
  Find() {
    Add({5, false, "Desktop", "", "Wallpaper colour", "Sets the desktop colour."}, std::nullopt);
    Add({1, false, "Explorer", "Menus", "Menu speed", "Faster menus."}, NoteRecord{1, "works well"});
    Add({12, false, "Explorer", "Menus", "Colour of links", "Link colours in Explorer_bar."}, std::nullopt);
    Add({3, false, "Explorer", "Menus", "Recent documents", "Clears the recent list; colour stays."},
        NoteRecord{3, "keep"});
    // Tweak 99 is in the tree but not in the table.
  }
  void Add(const TweakRecord& tweak, const std::optional<NoteRecord>& note) {
    texts[tweak.twkId] = SearchedText(tweak, note);
  }
  FindResult Step(const FindState& state, int selected) {
    FakeTree tree(kNodes, selected);
    return FindNextStep(state, FindSources{tree, lookup, search});
  }

  std::map<std::int32_t, std::string> texts;
  std::vector<std::int32_t> looked;  // the tweaks examined, in order
  TweakTextLookup lookup = [this](std::int32_t id) -> std::optional<std::string> {
    looked.push_back(id);
    auto it = texts.find(id);
    return it == texts.end() ? std::nullopt : std::optional<std::string>(it->second);
  };
  PlainTextSearch search;
};

struct StepCase {
  const char* name;
  std::string what;
  FindOptions options;
  int selected;
  int node;   // -1: not found
  int at = 0;
};

constexpr FindOptions kDown{true, false, false};
constexpr FindOptions kUp{false, false, false};

TEST_F(Find, StepsFromTweakToTweakInTreeOrder) {
  const StepCase cases[] = {
      {"nothing selected, forward: from the start", "colour", kDown, -1, 2, 10},
      {"the selected tweak itself is not examined", "colour", kDown, 2, 6, 0},
      {"from a category: the first tweak after it", "colour", kDown, 3, 6, 0},
      {"a missing tweak is skipped", "colour", kDown, 6, 8, 51},
      {"the last tweak forward: not found though it holds the text", "colour", kDown, 8, -1},
      {"nothing selected, backward: from the end", "colour", kUp, -1, 8, 51},
      {"backward", "colour", kUp, 6, 2, 10},
      {"backward from the first tweak: not found", "colour", kUp, 2, -1},
      {"match case", "colour", {true, true, false}, 2, 6, 31},
      {"match case and whole word", "colour", {true, true, true}, 2, 8, 51},
      {"capitals match lower case", "COLOUR", kDown, 2, 6, 0},
      {"part of a word", "link", kDown, 2, 6, 10},
      {"whole word", "link", {true, false, true}, 2, 6, 26},
      {"the note label is searched", "notes", kDown, -1, 5, 41},
      {"the note itself", "keep", kDown, -1, 8, 78},
      {"the tweak number", "#T0012", kDown, -1, 6, 17},
      {"the platforms are not searched", "Platforms", kDown, -1, -1},
  };
  for (const StepCase& c : cases) {
    FindState state;
    state.findText = c.what;
    state.options = c.options;
    FindResult result = Step(state, c.selected);
    EXPECT_EQ(result.found, c.node >= 0) << c.name;
    if (c.node < 0) {
      EXPECT_EQ(result.message, "\"" + c.what + "\" not found.") << c.name;
      continue;
    }
    EXPECT_EQ(result.nodeIndex, c.node) << c.name;
    EXPECT_EQ(result.matchStart, c.at) << c.name;
    EXPECT_EQ(result.matchLength, static_cast<int>(c.what.size())) << c.name;
  }
}

TEST_F(Find, ExaminesEachCandidateOnceAndNeverTheSelectedTweak) {
  FindState state;
  state.findText = "absent";
  EXPECT_FALSE(Step(state, 5).found);
  EXPECT_EQ(looked, (std::vector<std::int32_t>{12, 99, 3}));
  looked.clear();
  state.options.down = false;
  EXPECT_FALSE(Step(state, -1).found);
  EXPECT_EQ(looked, (std::vector<std::int32_t>{3, 99, 12, 1, 5}));
}

TEST_F(Find, TheRootIsNeverExamined) {
  texts[77] = "colour at the root";
  FakeTree tree({77, 5}, 1);  // a root that carried a tweak number would still be passed over
  FindState state{"colour", 10, 10, kUp};
  EXPECT_FALSE(FindNextStep(state, FindSources{tree, lookup, search}).found);
  EXPECT_TRUE(looked.empty());
}

TEST_F(Find, RepeatedStepsMoveOnToTheNextTweak) {
  FindState state;
  state.findText = "colour";
  std::vector<int> nodes;
  FakeTree tree(kNodes);
  for (FindResult r; (r = FindNextStep(state, FindSources{tree, lookup, search})).found;) {
    nodes.push_back(r.nodeIndex);
    tree.Select(r.nodeIndex);
  }
  EXPECT_EQ(nodes, (std::vector<int>{2, 6, 8}));
}

TEST_F(Find, FindNextIsEnabledWithATextAndAnEnabledWindow) {
  FindState state;
  EXPECT_FALSE(FindNextEnabled(state, true));
  state.findText = "x";
  EXPECT_TRUE(FindNextEnabled(state, true));
  EXPECT_FALSE(FindNextEnabled(state, false)) << "a modal window in front";
}

TEST_F(Find, F3BeforeTheDialogUsesTheRememberedTextAndPresetOptions) {
  FindState state;  // as start-up leaves it, with "FindWhat" read from the settings
  state.findText = "COLOUR";
  EXPECT_EQ(state.options, (FindOptions{true, false, false}));
  EXPECT_EQ(state.dialogX, 10);
  EXPECT_EQ(state.dialogY, 10);
  FindResult result = Step(state, -1);
  EXPECT_TRUE(result.found);
  EXPECT_EQ(result.nodeIndex, 2);
}

TEST_F(Find, TheDialogSetsTheTextAndOptions) {
  FakeTree tree(kNodes, 6);
  FindSources sources{tree, lookup, search};
  FindState state;
  state.findText = "menu";
  EXPECT_FALSE(FindFromDialog(state, "", kUp, sources)) << "an empty text does nothing";
  EXPECT_EQ(state.findText, "menu");
  EXPECT_TRUE(looked.empty());

  std::optional<FindResult> result = FindFromDialog(state, "colour", kUp, sources);
  ASSERT_TRUE(result);
  EXPECT_EQ(result->nodeIndex, 2);
  EXPECT_EQ(state.findText, "colour");
  EXPECT_EQ(state.options, kUp) << "kept for F3 after the dialog closes";
}

TEST(FindInTables, SearchesTitlesNumbersAndNotesOfTheTweakTable) {
  testing::MemoryFileStore files;
  XmlPacketEngine engine{files};
  testing::RecordingMessageBoxes boxes;
  testing::WriteSampleCatalogue(files, "app");
  testing::WriteTable(files, PathInFolder("app", "Note.xml"), Tdm1::NoteFields(), {{"5", "mine"}});
  testing::WriteTable(files, PathInFolder("app", "Undo.xml"), Tdm1::UndoFields(), {});
  Tdm1 dm(engine, files, boxes, "app");
  ASSERT_TRUE(dm.LocateTweak(1));

  TweakTextLookup lookup = TableTextLookup(dm);
  PlainTextSearch search;
  FakeTree tree({0, 0, 5, 0, 0, 1, 2, 4});  // tweak 4 is not in the table
  FindState state;
  state.findText = "notes";
  FindResult result = FindNextStep(state, FindSources{tree, lookup, search});
  EXPECT_TRUE(result.found);
  EXPECT_EQ(result.nodeIndex, 2);
  EXPECT_EQ(lookup(5), "Fifth (#T0005)\r\nDesc 5\r\n\r\nMy notes: mine");
  EXPECT_EQ(lookup(4), std::nullopt);

  tree.Select(2);
  state.findText = "#T0002";
  EXPECT_EQ(FindNextStep(state, FindSources{tree, lookup, search}).nodeIndex, 6);
  EXPECT_EQ(dm.cdsTwks.AsInteger("TwkID"), 1) << "the search moves no cursor";
}

}  // namespace
}  // namespace cordalis
