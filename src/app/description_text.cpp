#include "app/description_text.h"

#include "host/format.h"
#include "host/platform.h"
#include "host/roots.h"

namespace cordalis {

std::vector<TextRun> TitleRuns(const TweakRecord& tweak) {
  return {
      {tweak.title, Face::Pane, stBold | stUnderline},
      {Format(" (#T%.04d)\r\n", {std::int64_t{tweak.twkId}}), Face::Pane, stItalic},
      {tweak.description, Face::Pane, stNone},
  };
}

std::vector<TextRun> NoteRuns(const std::optional<NoteRecord>& note) {
  if (!note) return {};
  return {
      {"\r\n\r\nMy notes:", Face::Pane, stUnderline},
      {" " + note->note, Face::Pane, stItalic},
  };
}

std::string SearchedText(const TweakRecord& tweak, const std::optional<NoteRecord>& note) {
  std::string text;
  for (const TextRun& run : TitleRuns(tweak)) text += run.text;
  for (const TextRun& run : NoteRuns(note)) text += run.text;
  return text;
}

namespace {

void InsertRuns(RichTextPane& pane, const std::vector<TextRun>& runs) {
  for (const TextRun& run : runs) pane.Insert(run.text, run.face, run.style);
}

// The title's line: the title and the number, which ends the line.
constexpr std::size_t kTitleLineRuns = 2;

std::size_t TitleLineLength(const TweakRecord& tweak) {
  const std::vector<TextRun> runs = TitleRuns(tweak);
  std::size_t length = 0;
  for (std::size_t i = 0; i < kTitleLineRuns; ++i) length += runs[i].text.size();
  return length;
}

std::string StateLineText(const std::string& stateLine) { return stateLine.empty() ? "" : stateLine + "\r\n"; }

}  // namespace

void WriteTitleAndDescription(RichTextPane& pane, const TweakRecord& tweak, const std::string& stateLine) {
  pane.Clear();
  const std::vector<TextRun> runs = TitleRuns(tweak);
  for (std::size_t i = 0; i < runs.size(); ++i) {
    if (i == kTitleLineRuns && !stateLine.empty()) pane.Insert(StateLineText(stateLine), Face::Pane, stNone);
    pane.Insert(runs[i].text, runs[i].face, runs[i].style);
  }
}

int PanePosition(const TweakRecord& tweak, const std::string& stateLine, int searchedPosition) {
  if (searchedPosition < static_cast<int>(TitleLineLength(tweak))) return searchedPosition;
  return searchedPosition + static_cast<int>(StateLineText(stateLine).size());
}

void WriteNote(RichTextPane& pane, const std::optional<NoteRecord>& note) {
  pane.MoveToEnd();
  InsertRuns(pane, NoteRuns(note));
}

void WritePlatforms(RichTextPane& pane, std::uint16_t platformMask, int referencedRoots, bool ntFamily) {
  pane.Insert("\r\n\r\nPlatforms: ", Face::Pane, stBold);
  pane.Insert(PlatformListText(platformMask), Face::Pane, stNone);
  if (ntFamily && (referencedRoots & ~rbHKCU) != 0)
    pane.Insert("\r\nAdministrator privileges required", Face::Pane, stNone);
}

std::string MissingTweakText(std::int32_t twkId) {
  return Format("Database error: The specified tweak ID #T%.04d does not exist", {std::int64_t{twkId}});
}

void WriteMissingTweak(RichTextPane& pane, std::int32_t twkId) {
  pane.Clear();
  pane.Insert(MissingTweakText(twkId), Face::Pane, stNone);
}

}  // namespace cordalis
