#pragma once
// The data module: the four tables, their files beside the program and the
// load status that the main window reports.
#include <cstdint>
#include <memory>
#include <string>

#include "db/client_data_set.h"
#include "db/table_journal.h"

namespace cordalis {

class FileLock;
class FileStore;
class MessageBoxes;
struct UserTableWords;

// The file beside the tables that the one copy allowed to write them holds
// for its whole run.
inline constexpr char kTableLockFile[] = "Cordalis.lck";

// How long the data module waits for another program (a virus scanner, a
// synchronisation tool) to let go of a user table before it gives up.
inline constexpr int kReadPauses = 10;
inline constexpr int kReadPauseMilliseconds = 100;
inline constexpr int kLockPauseMilliseconds = 100;

// Whether the run asks to write the tables (the view-only switch says no).
enum class TableAccess { ReadWrite, ViewOnly };

// Why a run may not write the tables; None for the run that writes them,
// Asked for a run that asked only to view them.
enum class WriteRefusal { None, Asked, OtherCopy, FolderNotWritable, TableUnreadable };

enum LoadStatus : int {
  lsLoaded = 0,
  lsTweaksFailed = 1,
  lsActionsFailed = 2,
  lsEngineFailed = 3,
};

// The path of a file in a folder, with the host's separator.
std::string PathInFolder(const std::string& folder, const std::string& name);

class Tdm1 {
 public:
  // Opens the four tables; a missing or damaged Undo.xml or Note.xml is told to
  // the user and replaced by an empty table, the damaged file kept beside it.
  // Holds the lock file until destroyed; a copy that cannot runs view-only.
  // A run that asks only to view the tables takes no lock and writes, moves
  // and removes no file; a table it cannot read is empty in memory. While
  // another copy holds the lock, a writing run tries again after each of
  // lockPauses pauses of kLockPauseMilliseconds.
  Tdm1(PacketEngine& engine, FileStore& files, MessageBoxes& boxes, std::string programFolder,
       TableAccess access = TableAccess::ReadWrite, int lockPauses = 0);
  ~Tdm1();  // Close(), with any failure to save swallowed; call Close() to see it
  Tdm1(const Tdm1&) = delete;
  Tdm1& operator=(const Tdm1&) = delete;

  int LoadStatus() const { return loadStatus_; }
  // True when this run may not write the tables: it asked only to view them,
  // another copy holds them, a user table could not be read, or the program
  // folder could not be written. The user has been told why, unless the run
  // asked. The tables are then detached from their files: nothing is written
  // to any of them, whatever changes in memory.
  bool ViewOnly() const { return refusal_ != WriteRefusal::None; }
  WriteRefusal Refusal() const { return refusal_; }
  // Makes the tweak with this number the current row of cdsTwks, which moves
  // the three detail tables to its rows. False when there is no such tweak.
  bool LocateTweak(std::int32_t twkId);
  // Saves every table that changed since it was last saved, then closes all four.
  void Close();

  ClientDataSet cdsTwks;
  ClientDataSet cdsData;
  ClientDataSet cdsUndo;
  ClientDataSet cdsNote;

  // The fixed field lists of the four tables, in order.
  static const FieldDefs& TweakFields();
  static const FieldDefs& ActionFields();
  // The undo actions have the actions' fields, with room for any key path, value
  // name and data the Registry can hold, so that what is recorded is exact.
  static const FieldDefs& UndoFields();
  static const FieldDefs& NoteFields();

 private:
  enum class Outcome { Opened, Damaged, Unreadable };

  void Open(TableAccess access, int lockPauses);
  std::string TakeLock(int pauses);
  void OpenUserTable(ClientDataSet& table, TableJournal& journal, const FieldDefs& fields,
                     const UserTableWords& words);
  Outcome TryOpen(ClientDataSet& table, const FieldDefs& fields, std::string& reason, std::string& failedFile);
  void ReplaceDamaged(ClientDataSet& table, TableJournal& journal, const FieldDefs& fields,
                      const UserTableWords& words, const std::string& reason);
  void KeepDamagedJournal(TableJournal& journal, const UserTableWords& words);
  bool CreateOnDisk(ClientDataSet& table, const FieldDefs& fields);
  void FoldJournal(ClientDataSet& table);
  std::string KeepDamagedFile(const std::string& path);
  void BecomeViewOnly(WriteRefusal refusal, const std::string& message);

  FileStore& files_;
  MessageBoxes& boxes_;
  std::string folder_;
  // Undo is recorded before every Registry change; a journal makes that one
  // small write, however many undo actions the user has kept.
  TableJournal undoJournal_{files_, PathInFolder(folder_, "Undo.xml"), UndoFields()};
  TableJournal noteJournal_{files_, PathInFolder(folder_, "Note.xml"), NoteFields()};
  int loadStatus_ = lsLoaded;
  std::unique_ptr<FileLock> lock_;
  WriteRefusal refusal_ = WriteRefusal::None;
};

// Finishes or rolls back any replacement of the four table files that a crash
// cut short; throws FileError when that cannot be done, before anything is lost.
void RecoverTableFiles(FileStore& files, const std::string& programFolder);

// Ends the program before any window when a shipped table file is missing:
// shows the message and returns false. Returns true when both are present.
// A replacement cut short counts as present; the data module finishes it.
// Writes nothing: it runs before this copy knows whether another one is
// writing the tables.
bool DatabasePreCheck(FileStore& files, MessageBoxes& boxes, const std::string& programFolder);

// The message for a load status of 1, 2 or 3; empty for 0.
std::string LoadFailureMessage(int loadStatus);

}  // namespace cordalis
