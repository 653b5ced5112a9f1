#pragma once
// A table's journal: the rows added, changed and deleted since its file was
// last written whole, appended to a file beside it and flushed at each save
// point. A save point then costs one small write however large the table is;
// the table file is written whole when the table closes, and a journal that a
// crash left behind is played over the file at the next open.
//
// The journal begins with a fingerprint of the table file it follows. One
// whose table file has since been written whole (a crash between that write
// and the journal's removal) no longer matches and is passed over. A record
// cut short by a crash ends the journal: it was never flushed, so nothing was
// done on its word.
#include <cstdint>
#include <string>
#include <vector>

#include "db/field_defs.h"
#include "db/table_data.h"
#include "host/file_store.h"

namespace cordalis {

// The journal could not be read (another program holds it, the account may
// not read it); the table file itself may be whole.
class JournalReadError : public FileError {
 public:
  JournalReadError(const FileError& cause, std::string path) : FileError(cause), path_(std::move(path)) {}
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

class TableJournal {
 public:
  // The journal of the table file at tablePath lies beside it, its name
  // followed by ".journal". Its rows are held to the widths of keptFields,
  // the table's fields as the program keeps them.
  TableJournal(FileStore& files, std::string tablePath, FieldDefs keptFields);

  const std::string& Path() const { return path_; }

  // Changes of the table in memory, kept until Write.
  void RowAdded(const TableData& data, RowId row) { Keep('A', data, row); }
  void RowChanged(const TableData& data, RowId row) { Keep('C', data, row); }
  void RowDeleted(RowId row);
  bool HasPending() const { return !pending_.empty(); }
  // False once a write failed part-way: what it left at the end would hide
  // every later record, so the table must be written whole instead.
  bool Usable() const { return usable_; }

  // Puts the changes kept so far on the disk. The first write after the
  // table file was written whole begins the journal anew with the file's
  // fingerprint. Throws FileError; the journal is then no longer usable.
  void Write();
  // The table file has just been written whole from data: the journal is not
  // needed, and later records name rows as that file numbers them.
  void TableWritten(const TableData& data);

  // Plays the journal that follows the table file's present bytes over the
  // rows loaded from them; true when it changed any row. The table must then
  // be written whole before it is journaled again, since a journal begun
  // afresh would follow a file without those rows. A text wider than the
  // loaded field, but not than the program keeps, widens the field, as it had
  // in the run that wrote it. Throws JournalReadError when the journal cannot
  // be read.
  bool PlayOver(TableData& data);
  // What was wrong with the journal PlayOver found, beyond the end a crash
  // cuts short; empty when nothing was. Such a journal must be kept aside
  // before the table is journaled again, which would replace it. What could
  // be read of it up to the damage was played.
  const std::string& Damage() const { return damage_; }
  // The bytes of the journal on the disk now.
  std::size_t BytesOnDisk() const { return bytesOnDisk_; }

 private:
  void Keep(char kind, const TableData& data, RowId row);
  std::uint32_t FileRow(RowId row) const;
  std::string TableFingerprint();

  FileStore& files_;
  std::string tablePath_;
  std::string path_;
  FieldDefs keptFields_;
  std::string pending_;   // records not yet written
  bool started_ = false;  // the journal on the disk follows the table file
  bool usable_ = true;
  std::size_t bytesOnDisk_ = 0;
  std::string damage_;
  // Rows in memory keep their slots when deleted; the file written whole
  // holds only the live ones. Its row numbers are the memory slots less the
  // dead slots below them, and rows added since follow on.
  std::size_t slotsAtWrite_ = 0;
  std::vector<RowId> deadAtWrite_;  // ascending
};

}  // namespace cordalis
