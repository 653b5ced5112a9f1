#include "db/dm1.h"

#include "db/data_packet.h"
#include "db/packet_engine.h"
#include "db/schema.h"
#include "db/user_table_messages.h"
#include "host/file_store.h"
#include "host/format.h"
#include "host/message_boxes.h"

namespace cordalis {
namespace {

// Every field the program reads must be there with its type; a file that lacks
// one is as unusable as one that does not parse.
void RequireFields(const ClientDataSet& table, const FieldDefs& required) {
  const FieldDefs& present = table.Data().Fields();
  for (const FieldDef& want : required) {
    int f = table.Data().FieldIndex(want.name);
    if (f < 0) throw DataSetError("the field " + want.name + " is missing");
    const FieldDef& have = present[static_cast<std::size_t>(f)];
    if (have.type != want.type)
      throw DataSetError("the field " + want.name + " is not of type " + FieldTypeName(want.type));
    // Text longer than the program's field would be cut when it is written.
    if (want.type == FieldType::String && have.width > want.width)
      throw DataSetError("the field " + want.name + " is declared " + std::to_string(have.width) +
                         " characters wide, more than the " + std::to_string(want.width) + " Cordalis keeps");
  }
}

// The reader's account of the damage, without the path the engine puts first.
std::string DamageOf(const std::string& what, const std::string& path) {
  const std::string prefix = path + ": ";
  return what.compare(0, prefix.size(), prefix) == 0 ? what.substr(prefix.size()) : what;
}

std::string NameOf(const std::string& path) {
  const std::size_t separator = path.find_last_of("\\/");
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

const UserTableWords kUndoWords{"stored undo actions", "undo.xml",
                                " You will not be able to undo tweaks that were used previously."};
const UserTableWords kNoteWords{"your notes", "note.xml", ""};

}  // namespace

std::string PathInFolder(const std::string& folder, const std::string& name) {
#ifdef _WIN32
  return folder + "\\" + name;
#else
  return folder + "/" + name;
#endif
}

const FieldDefs& Tdm1::TweakFields() { return schema::TweakFields(); }
const FieldDefs& Tdm1::ActionFields() { return schema::ActionFields(); }
const FieldDefs& Tdm1::UndoFields() { return schema::UndoFields(); }
const FieldDefs& Tdm1::NoteFields() { return schema::NoteFields(); }

Tdm1::Tdm1(PacketEngine& engine, FileStore& files, MessageBoxes& boxes, std::string programFolder,
           TableAccess access, int lockPauses)
    : cdsTwks("cdsTwks", engine),
      cdsData("cdsData", engine),
      cdsUndo("cdsUndo", engine),
      cdsNote("cdsNote", engine),
      files_(files),
      boxes_(boxes),
      folder_(std::move(programFolder)) {
  cdsTwks.FieldList = TweakFields();
  cdsData.FieldList = ActionFields();
  cdsUndo.FieldList = UndoFields();
  cdsNote.FieldList = NoteFields();
  cdsUndo.SetJournal(&undoJournal_);
  cdsNote.SetJournal(&noteJournal_);
  cdsTwks.SetIndexField(schema::kTwkID);
  for (ClientDataSet* detail : {&cdsData, &cdsUndo, &cdsNote}) detail->SetMaster(cdsTwks, schema::kTwkID);
  for (ClientDataSet* table : {&cdsTwks, &cdsData, &cdsUndo, &cdsNote}) table->SetReadOnly(true);
  Open(access, lockPauses);
}

Tdm1::~Tdm1() {
  try {
    Close();
  } catch (...) {
    // Every writer has already saved its table; nothing is lost here.
  }
}

void Tdm1::Open(TableAccess access, int lockPauses) {
  loadStatus_ = lsLoaded;
  cdsTwks.FileName = PathInFolder(folder_, "Twks.xml");
  cdsData.FileName = PathInFolder(folder_, "Data.xml");
  cdsUndo.FileName = PathInFolder(folder_, "Undo.xml");
  cdsNote.FileName = PathInFolder(folder_, "Note.xml");
  // A run that only views keeps no other copy from writing and has nothing to tell.
  if (access == TableAccess::ViewOnly) refusal_ = WriteRefusal::Asked;
  const std::string lockMessage = ViewOnly() ? std::string() : TakeLock(lockPauses);
  try {
    cdsTwks.Open();
    RequireFields(cdsTwks, TweakFields());
  } catch (const EngineUnavailableError&) {
    cdsTwks.Close();
    loadStatus_ = lsEngineFailed;
    return;
  } catch (const std::exception&) {
    cdsTwks.Close();
    loadStatus_ = lsTweaksFailed;
    return;
  }
  try {
    cdsData.Open();
    RequireFields(cdsData, ActionFields());
  } catch (const std::exception&) {
    cdsData.Close();
    loadStatus_ = lsActionsFailed;
    return;
  }
  if (!lockMessage.empty()) boxes_.Show(MsgOwner::None, MsgIcon::Information, lockMessage);
  OpenUserTable(cdsUndo, undoJournal_, UndoFields(), kUndoWords);
  OpenUserTable(cdsNote, noteJournal_, NoteFields(), kNoteWords);
  if (ViewOnly()) {
    for (ClientDataSet* table : {&cdsTwks, &cdsData, &cdsUndo, &cdsNote}) table->FileName.clear();
  }
}

// Only the copy that holds the lock writes the tables, and so only it may
// finish a replacement that a crash cut short. Returns the message that tells
// why this copy views the tables only, or nothing when it holds the lock.
std::string Tdm1::TakeLock(int pauses) {
  try {
    lock_ = files_.HoldLock(PathInFolder(folder_, kTableLockFile));
    for (int paused = 0; !lock_ && paused < pauses; ++paused) {
      files_.Pause(kLockPauseMilliseconds);
      lock_ = files_.HoldLock(PathInFolder(folder_, kTableLockFile));
    }
    if (!lock_) {
      refusal_ = WriteRefusal::OtherCopy;
      return OtherCopyMessage(folder_);
    }
    RecoverTableFiles(files_, folder_);
    return {};
  } catch (const FileError& e) {
    lock_.reset();  // a copy that writes nothing keeps no other from writing
    refusal_ = WriteRefusal::FolderNotWritable;
    return ReadOnlyFolderMessage(folder_, e.Reason());
  }
}

void Tdm1::BecomeViewOnly(WriteRefusal refusal, const std::string& message) {
  refusal_ = refusal;
  boxes_.Show(MsgOwner::None, MsgIcon::Information, message);
}

// A copy that may not write makes a table it cannot use empty in memory only.
void Tdm1::OpenUserTable(ClientDataSet& table, TableJournal& journal, const FieldDefs& fields,
                         const UserTableWords& words) {
  if (!files_.Exists(table.FileName)) {
    if (!ViewOnly()) {
      boxes_.Show(MsgOwner::None, MsgIcon::Information, MissingTableMessage(words));
      if (CreateOnDisk(table, fields)) return;
    }
  } else {
    std::string reason, failedFile;
    switch (TryOpen(table, fields, reason, failedFile)) {
      case Outcome::Opened:
        if (!ViewOnly() && !journal.Damage().empty()) KeepDamagedJournal(journal, words);
        if (!ViewOnly()) FoldJournal(table);
        return;
      case Outcome::Unreadable:
        if (!ViewOnly()) BecomeViewOnly(WriteRefusal::TableUnreadable, UnreadableFileMessage(failedFile, reason));
        break;
      case Outcome::Damaged:
        if (!ViewOnly()) ReplaceDamaged(table, journal, fields, words, reason);
        break;
    }
    if (table.Active()) return;
  }
  table.FileName.clear();
  table.FieldList = fields;
  table.CreateDataSet();
}

// A file that another program holds is tried again a few times. Only a file
// that was read and found wanting is damaged; one that could not be read may
// be whole. failedFile names the file that could not be read: the table's, or
// its journal's.
Tdm1::Outcome Tdm1::TryOpen(ClientDataSet& table, const FieldDefs& fields, std::string& reason,
                            std::string& failedFile) {
  for (int pauses = 0;; ++pauses) {
    try {
      table.Open();
      table.AddMissingFields(schema::FieldsAddedLater(fields));
      RequireFields(table, fields);
      table.WidenFields(fields);  // a file written with narrower fields must not cut new rows
      return Outcome::Opened;
    } catch (const FileError& e) {
      table.Drop();
      if (e.Fault() == FileFault::SharingViolation && pauses < kReadPauses) {
        files_.Pause(kReadPauseMilliseconds);
        continue;
      }
      reason = e.Reason();
      const auto* journal = dynamic_cast<const JournalReadError*>(&e);
      failedFile = journal ? journal->Path() : table.FileName;
      // Larger than any table the program writes: read, in a sense, and wanting.
      return e.Fault() == FileFault::TooLarge ? Outcome::Damaged : Outcome::Unreadable;
    } catch (const DataPacketError& e) {
      table.Drop();
      reason = DamageOf(e.what(), table.FileName);
      return Outcome::Damaged;
    } catch (const DataSetError& e) {
      table.Drop();
      reason = e.what();
      return Outcome::Damaged;
    } catch (const std::exception& e) {
      table.Drop();
      reason = e.what();
      failedFile = table.FileName;
      return Outcome::Unreadable;
    }
  }
}

// What a crash left in the journal goes into the file before the run
// journals afresh; a folder that takes no file leaves it in memory only.
void Tdm1::FoldJournal(ClientDataSet& table) {
  try {
    table.FoldJournal();
  } catch (const FileError& e) {
    BecomeViewOnly(WriteRefusal::FolderNotWritable, ReadOnlyFolderMessage(folder_, e.Reason()));
  }
}

// The user hears of the damaged file only once it is safe beside the new
// empty table; a folder that takes neither leaves it where it was.
void Tdm1::ReplaceDamaged(ClientDataSet& table, TableJournal& journal, const FieldDefs& fields,
                          const UserTableWords& words, const std::string& reason) {
  std::string kept;
  try {
    kept = KeepDamagedFile(table.FileName);
  } catch (const FileError& e) {
    BecomeViewOnly(WriteRefusal::FolderNotWritable, ReadOnlyFolderMessage(folder_, e.Reason()));
    return;
  }
  // A journal follows the damaged file; it goes aside with it, not away.
  std::string keptJournal;
  try {
    if (files_.Exists(journal.Path())) keptJournal = KeepDamagedFile(journal.Path());
  } catch (const FileError&) {
  }
  if (!CreateOnDisk(table, fields)) {
    try {
      files_.MoveNoReplace(kept, table.FileName);
      if (!keptJournal.empty()) files_.MoveNoReplace(keptJournal, journal.Path());
    } catch (const FileError&) {
      // They stay beside the program under the kept names; nothing is lost.
    }
    return;
  }
  boxes_.Show(MsgOwner::None, MsgIcon::Information, DamagedTableMessage(words, reason, NameOf(kept)));
}

// The latest changes a damaged journal still held are in memory; the journal
// goes aside before the run journals afresh over it.
void Tdm1::KeepDamagedJournal(TableJournal& journal, const UserTableWords& words) {
  std::string kept;
  try {
    kept = KeepDamagedFile(journal.Path());
  } catch (const FileError& e) {
    BecomeViewOnly(WriteRefusal::FolderNotWritable, ReadOnlyFolderMessage(folder_, e.Reason()));
    return;
  }
  boxes_.Show(MsgOwner::None, MsgIcon::Information, DamagedJournalMessage(words, journal.Damage(), NameOf(kept)));
}

// False, with the user told and the run view-only, when the folder takes no new file.
bool Tdm1::CreateOnDisk(ClientDataSet& table, const FieldDefs& fields) {
  table.FieldList = fields;
  try {
    table.CreateDataSet();
    return true;
  } catch (const FileError& e) {
    table.Close();
    BecomeViewOnly(WriteRefusal::FolderNotWritable, ReadOnlyFolderMessage(folder_, e.Reason()));
    return false;
  }
}

// A damaged user file may still hold what the user needs; it is moved aside
// under a name of its own, never over an earlier damaged copy.
std::string Tdm1::KeepDamagedFile(const std::string& path) {
  for (int n = 1; n <= 1000; ++n) {
    std::string kept = path + ".damaged" + (n == 1 ? std::string() : "-" + std::to_string(n));
    if (files_.MoveNoReplace(path, kept)) return kept;
  }
  throw FileError("Cannot keep the damaged file " + path + ": too many damaged copies beside it", FileFault::Other,
                  "There are too many damaged copies of " + NameOf(path) + " beside it.");
}

bool Tdm1::LocateTweak(std::int32_t twkId) { return cdsTwks.Active() && cdsTwks.FindKey(twkId); }

void Tdm1::Close() {
  for (ClientDataSet* table : {&cdsNote, &cdsUndo, &cdsData, &cdsTwks}) table->Close();
}

void RecoverTableFiles(FileStore& files, const std::string& programFolder) {
  for (const char* name : {"Twks.xml", "Data.xml", "Undo.xml", "Note.xml", "Undo.xml.journal", "Note.xml.journal"})
    RecoverInterruptedReplacement(files, PathInFolder(programFolder, name));
}

bool DatabasePreCheck(FileStore& files, MessageBoxes& boxes, const std::string& programFolder) {
  bool tweaks = ExistsOrRecoverable(files, PathInFolder(programFolder, "twks.xml"));
  bool actions = ExistsOrRecoverable(files, PathInFolder(programFolder, "Data.xml"));
  if (tweaks && actions) return true;
  const char* subject = !tweaks && !actions ? "twks.xml and data.xml databases are"
                        : !tweaks           ? "twks.xml database is"
                                            : "data.xml database is";
  boxes.Show(MsgOwner::None, MsgIcon::Error,
             Format("Cordalis's essential %s not present in the program's folder (%s).\r\n\r\n"
                    "Without the database files, it is impossible for Cordalis to function. You will need to "
                    "reinstall the program.\r\n\r\nClick OK to terminate",
                    {subject, programFolder}));
  return false;
}

std::string LoadFailureMessage(int loadStatus) {
  switch (loadStatus) {
    case lsTweaksFailed:
    case lsActionsFailed:
      return Format("Cordalis's essential database file %s.xml is present in the program's folder, but it is "
                    "corrupted.\r\n\r\nWithout this database file, it is impossible for Cordalis to function. You "
                    "will need to reinstall the program.\r\n\r\nClick OK to terminate.",
                    {loadStatus == lsTweaksFailed ? "Twks" : "Data"});
    case lsEngineFailed:
      return "Cordalis relies on the support file MIDAS.DLL for database handling. This file is apparently absent "
             "from your Windows System folder. Please reinstall Cordalis.";
    default:
      return {};
  }
}

}  // namespace cordalis
