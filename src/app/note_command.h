#pragma once
// The Note command's change to the notes table: the memo's text, trimmed,
// replaces, removes or adds the tweak's one note row.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace cordalis {

class ClientDataSet;

enum class NoteOutcome {
  Edited,     // the note row now holds the text
  Deleted,    // the text was empty: the note row is gone
  Appended,   // a note row was added
  Unchanged,  // no note and an empty text
  TooLong,    // the text does not fit the Note field; nothing was changed
};

// The most characters a note may hold: the width of the Note field.
std::size_t NoteWidth(const ClientDataSet& notes);

// Leading and trailing blanks and control characters (bytes up to ' ') removed.
std::string TrimNoteText(std::string_view text);

// Applies the memo's text to the note of the tweak. The notes table presents
// that tweak's rows (the tweak was located in the data module). Under the
// write protocol, so the change is in Note.xml when this returns.
NoteOutcome SaveNote(ClientDataSet& notes, std::int32_t twkId, std::string_view memoText);

}  // namespace cordalis
