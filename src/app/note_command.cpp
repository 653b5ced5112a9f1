#include "app/note_command.h"

#include <stdexcept>

#include "db/client_data_set.h"
#include "db/schema.h"
#include "db/writable_table.h"

namespace cordalis {
namespace {

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

std::size_t NoteWidth(const ClientDataSet& notes) {
  int f = notes.Data().FieldIndex(schema::kNote);
  if (f < 0) throw DataSetError(notes.Name() + ": no field named " + schema::kNote);
  return static_cast<std::size_t>(notes.Data().Fields()[static_cast<std::size_t>(f)].width);
}

std::string TrimNoteText(std::string_view text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && IsBlankOrControl(text[begin])) ++begin;
  while (end > begin && IsBlankOrControl(text[end - 1])) --end;
  return std::string(text.substr(begin, end - begin));
}

NoteOutcome SaveNote(ClientDataSet& notes, std::int32_t twkId, std::string_view memoText) {
  const std::string text = TrimNoteText(memoText);
  notes.First();
  const bool hasNote = !notes.IsEmpty();
  if (hasNote && notes.AsInteger(schema::kTwkID) != twkId)
    throw std::logic_error("the notes table is not on tweak " + std::to_string(twkId));
  if (text.size() > NoteWidth(notes)) return NoteOutcome::TooLong;  // never cut a note in silence
  if (!hasNote && text.empty()) return NoteOutcome::Unchanged;

  WritableTable writing(notes);
  NoteOutcome outcome;
  if (hasNote && text.empty()) {
    notes.Delete();
    outcome = NoteOutcome::Deleted;
  } else {
    if (hasNote) {
      notes.Edit();
      outcome = NoteOutcome::Edited;
    } else {
      notes.Append();
      notes.SetAsInteger(schema::kTwkID, twkId);
      outcome = NoteOutcome::Appended;
    }
    notes.SetAsString(schema::kNote, text);
    notes.Post();
  }
  writing.Finish();
  return outcome;
}

}  // namespace cordalis
