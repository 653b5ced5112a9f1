#pragma once
// The four tables' field names and widths, in one place: every reader and
// writer names a field through these, never by a literal or an index.
#include "db/field_defs.h"

namespace cordalis::schema {

// Field names. The action and undo tables share theirs.
inline constexpr const char* kTwkID = "TwkID";
inline constexpr const char* kHide = "Hide";
inline constexpr const char* kCategory = "Category";
inline constexpr const char* kSubCat = "SubCat";
inline constexpr const char* kTitle = "Title";
inline constexpr const char* kDescription = "Description";
inline constexpr const char* kRoot = "Root";
inline constexpr const char* kKey = "Key";
inline constexpr const char* kValue = "Value";
inline constexpr const char* kDataType = "DataType";
inline constexpr const char* kChangeType = "ChangeType";
inline constexpr const char* kSpecial = "Special";
inline constexpr const char* kData = "Data";
inline constexpr const char* kVerMask = "VerMask";
inline constexpr const char* kNote = "Note";
// Undo actions only, added after the first release: what DO IT left in the
// Registry, and the day it ran. A table file without them opens with them
// null in every row; the copies of Cordalis from before them open a file that
// has them, keep them in every row they hold and write them back, null in the
// rows they add (their reader asks only for the fields it knows, and writes
// every field the file has).
inline constexpr const char* kWritten = "Written";
inline constexpr const char* kAppliedOn = "AppliedOn";

// The field lists, in stored order.
const FieldDefs& TweakFields();
const FieldDefs& ActionFields();
// The undo actions have the actions' fields, with room for any key path, value
// name and data the Registry can hold, so that what is recorded is exact.
const FieldDefs& UndoFields();
// The fields of the list that a table file written before them lacks; the
// data module adds them when it opens such a file.
FieldDefs FieldsAddedLater(const FieldDefs& fields);
const FieldDefs& NoteFields();

// The width of a text field of a list, by name; 0 when there is no such text field.
int WidthOf(const FieldDefs& fields, const char* name);

}  // namespace cordalis::schema
