#pragma once
// The Description pane: the tweak's title and number, its description, the
// user's note and the platforms it is for, and the tweak's state under its title. Its opening (title to note) is
// also the text Find searches, so a match position there is one in the pane.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "db/records.h"
#include "engine/rich_text.h"

namespace cordalis {

// Title, " (#T0007)\r\n" and description, with their styles.
std::vector<TextRun> TitleRuns(const TweakRecord& tweak);
// "\r\n\r\nMy notes:" and " " + the note; nothing without a note row.
std::vector<TextRun> NoteRuns(const std::optional<NoteRecord>& note);
// The text Find searches: the title runs and the note runs, joined.
std::string SearchedText(const TweakRecord& tweak, const std::optional<NoteRecord>& note);

// Clears the pane and writes the title runs, with the tweak's state line
// (StateLine, none when empty) under the title. The state is not searched:
// the pane holds it between the searched text's title line and the rest.
void WriteTitleAndDescription(RichTextPane& pane, const TweakRecord& tweak, const std::string& stateLine);
// Where a place in the searched text is in the pane written with this state line.
int PanePosition(const TweakRecord& tweak, const std::string& stateLine, int searchedPosition);
// Moves the insertion point to the end, then writes the note runs when there
// is a note row.
void WriteNote(RichTextPane& pane, const std::optional<NoteRecord>& note);
// "Platforms: " and the list of the mask; on the NT family the administrator
// line when the tweak refers to any root but HKEY_CURRENT_USER.
void WritePlatforms(RichTextPane& pane, std::uint16_t platformMask, int referencedRoots, bool ntFamily);

// What the pane shows instead when the selected tweak's row is missing.
std::string MissingTweakText(std::int32_t twkId);
void WriteMissingTweak(RichTextPane& pane, std::int32_t twkId);

}  // namespace cordalis
