#include "app/description_text.h"

#include <gtest/gtest.h>

#include "doubles/recording_rich_text.h"
#include "host/platform.h"
#include "host/roots.h"

namespace cordalis {
namespace {

const TweakRecord kTweak{7, false, "Explorer", "", "Show file extensions", "Shows every extension."};
const NoteRecord kNote{7, "Tried on XP"};
constexpr std::uint16_t kMask = pm98 | pmXP | pmIE5;

// The description pane as the selection handling writes it.
RecordingRichText WrittenPane(const TweakRecord& tweak, const std::optional<NoteRecord>& note, int roots = rbHKCU,
                              bool nt = true, const std::string& stateLine = "") {
  RecordingRichText pane;
  WriteTitleAndDescription(pane, tweak, stateLine);
  WriteNote(pane, note);
  WritePlatforms(pane, kMask, roots, nt);
  return pane;
}

TEST(DescriptionText, TweakNumberFollowsTheTitle) {
  const std::pair<std::int32_t, const char*> cases[] = {{7, " (#T0007)\r\n"}, {12345, " (#T12345)\r\n"}};
  for (const auto& [number, text] : cases) {
    TweakRecord tweak = kTweak;
    tweak.twkId = number;
    EXPECT_EQ(TitleRuns(tweak)[1], (TextRun{text, Face::Pane, stItalic})) << number;
  }
}

TEST(DescriptionText, WithoutANoteThePlatformsFollowTheDescription) {
  RecordingRichText pane = WrittenPane(kTweak, std::nullopt);
  const std::vector<TextRun> expected = {
      {"Show file extensions", Face::Pane, stBold | stUnderline},
      {" (#T0007)\r\n", Face::Pane, stItalic},
      {"Shows every extension.", Face::Pane, stNone},
      {"\r\n\r\nPlatforms: ", Face::Pane, stBold},
      {PlatformListText(kMask), Face::Pane, stNone},
  };
  EXPECT_EQ(pane.Runs(), expected);
}

TEST(DescriptionText, TheNoteComesBetweenDescriptionAndPlatforms) {
  RecordingRichText pane = WrittenPane(kTweak, kNote);
  const std::vector<TextRun> expected = {
      {"Show file extensions", Face::Pane, stBold | stUnderline},
      {" (#T0007)\r\n", Face::Pane, stItalic},
      {"Shows every extension.", Face::Pane, stNone},
      {"\r\n\r\nMy notes:", Face::Pane, stUnderline},
      {" Tried on XP", Face::Pane, stItalic},
      {"\r\n\r\nPlatforms: ", Face::Pane, stBold},
      {PlatformListText(kMask), Face::Pane, stNone},
  };
  EXPECT_EQ(pane.Runs(), expected);
}

TEST(DescriptionText, TheStateLineStandsUnderTheTitle) {
  RecordingRichText pane = WrittenPane(kTweak, std::nullopt, rbHKCU, true, "State: Partly in effect (2 of 3 changes)");
  const std::vector<TextRun> expected = {
      {"Show file extensions", Face::Pane, stBold | stUnderline},
      {" (#T0007)\r\n", Face::Pane, stItalic},
      {"State: Partly in effect (2 of 3 changes)\r\nShows every extension.", Face::Pane, stNone},
      {"\r\n\r\nPlatforms: ", Face::Pane, stBold},
      {PlatformListText(kMask), Face::Pane, stNone},
  };
  EXPECT_EQ(pane.Runs(), expected);
}

// Find searches the text without the state line: a match is selected where
// the pane holds it, past the state line when it lies past the title.
TEST(DescriptionText, AMatchInTheSearchedTextIsFoundInThePaneWithItsStateLine) {
  const std::string state = "State: In effect";
  const std::string searched = SearchedText(kTweak, kNote);
  RecordingRichText pane = WrittenPane(kTweak, kNote, rbHKCU, true, state);
  for (const std::string word : {"Show", "T0007", "every", "Tried"}) {
    const int at = static_cast<int>(searched.find(word));
    EXPECT_EQ(pane.Text().substr(static_cast<std::size_t>(PanePosition(kTweak, state, at)), word.size()), word)
        << word;
    EXPECT_EQ(PanePosition(kTweak, "", at), at) << "without a state line the pane begins with the searched text";
  }
}

TEST(DescriptionText, ThePaneBeginsWithTheSearchedText) {
  for (const std::optional<NoteRecord>& note : {std::optional<NoteRecord>(), std::optional<NoteRecord>(kNote)}) {
    const std::string searched = SearchedText(kTweak, note);
    const std::string shown = WrittenPane(kTweak, note, rbHKLM).Text();
    EXPECT_EQ(shown.substr(0, searched.size()), searched);
    EXPECT_EQ(shown.substr(searched.size(), 5), "\r\n\r\nP") << "the platforms are not searched";
  }
  EXPECT_EQ(SearchedText(kTweak, kNote),
            "Show file extensions (#T0007)\r\nShows every extension.\r\n\r\nMy notes: Tried on XP");
}

TEST(DescriptionText, WritingStartsFromAnEmptyPaneAndNotesGoAtTheEnd) {
  RecordingRichText pane;
  pane.Insert("left over", Face::Courier, stNone);
  WriteTitleAndDescription(pane, kTweak, "");
  pane.MoveToStart();
  WriteNote(pane, kNote);
  EXPECT_EQ(pane.clears, 1);
  EXPECT_EQ(pane.Text(), SearchedText(kTweak, kNote));
}

TEST(DescriptionText, AdministratorLineOnlyOnNtForRootsBeyondTheUsersOwn) {
  struct Case {
    bool nt;
    int roots;
    bool line;
  };
  const Case cases[] = {
      {false, rbHKLM, false},          {false, rbHKLM | rbHKCR | rbHKU, false}, {true, rbHKLM, true},
      {true, rbHKCU, false},           {true, 0, false},                         {true, rbHKCU | rbHKCR, true},
      {true, rbHKU, true},             {true, rbHKCC, true},
  };
  const std::string line = "\r\nAdministrator privileges required";
  for (const Case& c : cases) {
    std::string text = WrittenPane(kTweak, std::nullopt, c.roots, c.nt).Text();
    bool written = text.size() > line.size() && text.compare(text.size() - line.size(), line.size(), line) == 0;
    EXPECT_EQ(written, c.line) << "nt " << c.nt << " roots " << c.roots;
  }
}

TEST(DescriptionText, MissingTweakReplacesTheWholeText) {
  RecordingRichText pane = WrittenPane(kTweak, kNote);
  WriteMissingTweak(pane, 42);
  EXPECT_EQ(pane.Text(), "Database error: The specified tweak ID #T0042 does not exist");
}

}  // namespace
}  // namespace cordalis
