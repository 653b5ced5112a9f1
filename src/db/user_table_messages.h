#pragma once
// What the data module tells the user about Undo.xml and Note.xml at start-up:
// a table that was missing or damaged and is now empty, and the reasons a copy
// of the program opens the tables for viewing only.
#include <string>

namespace cordalis {

// One user table as the messages name it.
struct UserTableWords {
  const char* description;  // "stored undo actions"
  const char* fileName;     // "undo.xml", in lower case as the message has it
  const char* consequence;  // a sentence with a leading space, or empty
};

// The table was missing; an empty one is being made.
std::string MissingTableMessage(const UserTableWords& table);
// The file was read and found damaged (reason), kept under keptName, and an
// empty table now stands in its place.
std::string DamagedTableMessage(const UserTableWords& table, const std::string& reason, const std::string& keptName);

// The journal of the table's latest changes that an earlier run left was
// damaged (reason); what could be read of it was used, and it is kept under
// keptName.
std::string DamagedJournalMessage(const UserTableWords& table, const std::string& reason,
                                  const std::string& keptName);

// Another running copy holds the tables.
std::string OtherCopyMessage(const std::string& programFolder);
// The file could not be read at all (reason: the system's words).
std::string UnreadableFileMessage(const std::string& path, const std::string& reason);
// The program folder could not be written (reason: the system's words).
std::string ReadOnlyFolderMessage(const std::string& programFolder, const std::string& reason);

}  // namespace cordalis
