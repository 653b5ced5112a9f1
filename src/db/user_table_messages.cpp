#include "db/user_table_messages.h"

#include "host/format.h"

namespace cordalis {
namespace {

// The two paragraphs of the message, filled with the description, the file
// name, the state word and the consequence.
constexpr const char* kFirstParagraph =
    "The database of %s (%s) is %s. Cordalis will create a new empty %1:s.%3:s\r\n\r\n";
constexpr const char* kLastParagraph =
    "If you can locate the old %1:s file, close Cordalis and copy the old file over the newly-created empty one.";

// The system's reason as a sentence of the message.
std::string AsSentence(std::string reason) {
  while (!reason.empty() && (reason.back() == ' ' || reason.back() == '\r' || reason.back() == '\n'))
    reason.pop_back();
  if (reason.empty() || (reason.back() != '.' && reason.back() != '!' && reason.back() != '?')) reason += '.';
  return reason;
}

}  // namespace

std::string MissingTableMessage(const UserTableWords& table) {
  return Format(std::string(kFirstParagraph) + kLastParagraph,
                {table.description, table.fileName, "missing", table.consequence});
}

std::string DamagedTableMessage(const UserTableWords& table, const std::string& reason, const std::string& keptName) {
  // Between the paragraphs, so that the text around it reads as it always has.
  const std::string why = "The old file is damaged (" + reason + ") and has been kept beside the program as " +
                          keptName + ".\r\n\r\n";
  return Format(std::string(kFirstParagraph) + "%4:s" + kLastParagraph,
                {table.description, table.fileName, "corrupted", table.consequence, why});
}

std::string DamagedJournalMessage(const UserTableWords& table, const std::string& reason,
                                  const std::string& keptName) {
  return Format(
      "Cordalis keeps the latest changes to the database of %s (%s) in a journal beside it until it closes. The "
      "journal that an earlier run left is damaged (%s). Cordalis has used what it could read of it, and has kept it "
      "beside the program as %s.\r\n\r\nSome of the changes of that run may be missing: check the Undo data of "
      "the tweaks you applied then before you rely on it.",
      {table.description, table.fileName, reason, keptName});
}

std::string OtherCopyMessage(const std::string& programFolder) {
  return Format(
      "Another copy of Cordalis, perhaps run by another user, is using the databases in the program's folder (%s). "
      "So that neither copy loses what the other records, this copy opens them for viewing only: it cannot apply, "
      "undo or hide tweaks, nor keep notes.\r\n\r\n"
      "To make changes, close the other copy and start Cordalis again.",
      {programFolder});
}

std::string UnreadableFileMessage(const std::string& path, const std::string& reason) {
  return Format(
      "Cordalis cannot read the file %s. The reason Windows gives: %s\r\n\r\n"
      "The file has been left as it is. Another program, such as a virus scanner, a synchronisation tool or an "
      "editor, may be holding it, or your account may not be allowed to read it. This copy of Cordalis opens the "
      "databases for viewing only; close that program and start Cordalis again.",
      {path, AsSentence(reason)});
}

std::string ReadOnlyFolderMessage(const std::string& programFolder, const std::string& reason) {
  return Format(
      "Cordalis cannot write to its program folder (%s). The reason Windows gives: %s\r\n\r\n"
      "This copy of Cordalis opens the databases for viewing only. To apply tweaks and keep notes, give the users "
      "of this computer write access to that folder, or run Cordalis as an administrator.",
      {programFolder, AsSentence(reason)});
}

}  // namespace cordalis
