#pragma once
// One table of the data module: its rows in memory, a cursor, an optional index
// on one integer field, an optional master link, and the write protocol.
//
// Writers clear the read-only mark, append, edit or delete rows, post them and
// set the mark again. Setting the mark again after a change saves the table at
// once, so no change lives only in memory once its writer has finished; a writer
// that must have its rows on disk before it goes on calls Persist().
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "db/field_defs.h"
#include "db/key_order.h"
#include "db/table_data.h"

namespace cordalis {

class PacketEngine;
class TableJournal;

// Misuse of a table: writing while read-only, no current row, unknown field.
class DataSetError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A row that would make the table's file larger than a table file may hold.
class TableFullError : public DataSetError {
 public:
  using DataSetError::DataSetError;
};

class ClientDataSet {
 public:
  ClientDataSet(std::string name, PacketEngine& engine);
  ClientDataSet(const ClientDataSet&) = delete;
  ClientDataSet& operator=(const ClientDataSet&) = delete;

  const std::string& Name() const { return name_; }

  // Definition
  std::string FileName;
  FieldDefs FieldList;  // the field list CreateDataSet gives a new table
  void SetIndexField(std::string field);                       // order, FindKey and the master link
  void SetMaster(ClientDataSet& master, std::string field);    // present only rows whose field equals the master's

  // Life
  bool Active() const { return active_; }
  void Open();           // loads FileName; throws what the engine throws
  // An empty table with FieldList, saved at once to FileName and opened from
  // it; a table without a file name has it in memory only.
  void CreateDataSet();
  void Close();          // saves first when the data changed since the last save
  void Drop();           // closes without saving: for a table found unusable once open
  bool Changed() const { return changed_; }          // since loaded or last saved
  // Puts the changes on the disk now: in the journal when the table has one,
  // else by saving the table whole.
  void Persist();
  // With a journal, a save point appends the rows changed to it instead of
  // writing the whole file, which is written when the table closes. Opening
  // plays a journal a crash left over the file in memory; FoldJournal then
  // writes the file whole, so the run can journal afresh. The journal must
  // outlive the table's use of it; a table with an auto-increment field
  // cannot have one.
  void SetJournal(TableJournal* journal) { journal_ = journal; }
  void FoldJournal();
  // The bytes of the table's file were it saved now; kept as rows change, so
  // asking costs little. Post refuses (TableFullError) a row that would take
  // the table past the most a table file may hold, so a save never fails for size.
  std::size_t SavedBytes() const;

  // Write protocol
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly);  // true after a change saves the table
  void Append();
  void Edit();
  void Post();
  void Cancel();
  void Delete();
  // Text wider than the field is a fault of the writer, which must check or
  // refuse it first: it throws DataSetError and is never cut.
  void SetAsString(const std::string& field, const std::string& text);
  void SetAsInteger(const std::string& field, std::int32_t value);
  void SetAsBoolean(const std::string& field, bool value);
  void SetNull(const std::string& field);

  // Cursor, within the rows presented (the master's subset for a detail)
  void First();
  void Next();
  bool Eof() const { return eof_; }
  bool IsEmpty() const { return ViewSize() == 0; }
  int RecordCount() const { return static_cast<int>(ViewSize()); }
  bool FindKey(std::int32_t key);  // makes the first row with this index value current
  // How many rows carry this index value, whatever subset is presented; the cursor stays.
  int KeyCount(std::int32_t key) const;
  // The rows that carry this index value, in stored order, whatever subset is
  // presented; the cursor stays.
  std::vector<RowId> RowsWithKey(std::int32_t key) const;
  // Every row, by index value when the table has an index, else as stored; the cursor stays.
  std::vector<RowId> AllRows() const;
  // The current row's id; throws when there is none.
  RowId CurrentRow() const { return Current(); }

  // Fields of the current row (of the edit buffer while appending or editing)
  std::string AsString(const std::string& field) const;
  std::int32_t AsInteger(const std::string& field) const;
  bool AsBoolean(const std::string& field) const;
  bool IsNull(const std::string& field) const;

  const TableData& Data() const { return data_; }
  // Widens the open table's text fields to these widths where they are narrower.
  void WidenFields(const FieldDefs& widths);
  // Adds each of these fields the table lacks, null in every row. The file
  // gets them when it is next written: the first save point after a change
  // writes it whole, as a journal must follow a file with the same fields.
  // Opening alone writes nothing.
  void AddMissingFields(const FieldDefs& fields);

 private:
  enum class State { Browse, Edit, Insert };
  struct PendingCell {
    bool set = false;
    bool null = true;
    std::int32_t number = 0;
    std::string text;
  };

  void Activate(TableData data);
  std::size_t Field(const std::string& name) const;
  void RequireActive() const;
  void RequireWritable() const;
  std::size_t ViewSize() const { return viewEnd_ - viewBegin_; }
  RowId ViewRow(std::size_t i) const { return order_[viewBegin_ + i].row; }
  bool HasCurrent() const { return ViewSize() != 0; }
  RowId Current() const;
  std::int32_t KeyOf(RowId row) const;
  KeyedRow EntryOf(RowId row) const { return {indexColumn_ >= 0 ? KeyOf(row) : 0, row}; }
  void RebuildIndex();
  void SetViewRange();
  void RefreshView();
  void CurrentChanged();
  void MasterMoved();
  void Save();
  PendingCell& Pending(const std::string& field);
  std::size_t RowBytesTotal() const;
  std::size_t FrameBytes(std::int32_t autoIncValue) const;
  std::vector<CellView> RowAfterPost(RowId editedRow, bool inserting, std::int32_t& autoIncAfter) const;
  std::size_t RowBytesAfterPost(const std::vector<CellView>& cells, RowId editedRow, bool inserting,
                                std::int32_t autoIncAfter) const;
  void PlaceInView(RowId row, bool inserting);

  std::string name_;
  PacketEngine& engine_;
  TableJournal* journal_ = nullptr;
  bool journalPlayed_ = false;  // the rows in memory hold a journal the file does not
  bool fieldsAdded_ = false;    // the rows in memory have fields the file does not
  TableData data_;
  bool active_ = false;
  bool readOnly_ = false;
  bool changed_ = false;
  State state_ = State::Browse;
  std::vector<PendingCell> pending_;
  // The encoded bytes of the live rows, worked out when first asked for, and
  // of the rest of the file for the auto-increment value it was measured at.
  mutable std::optional<std::size_t> rowBytes_;
  mutable std::optional<std::pair<std::int32_t, std::size_t>> frameBytes_;

  std::string indexField_;
  int indexColumn_ = -1;
  // Every live row with its key (the index field's number, or 0 for a table
  // without an index), by key and then in stored order. The rows presented
  // are the places [viewBegin_, viewEnd_) of it: a detail's are the rows of
  // its master's key, any other table's are all of them.
  KeyOrder order_;
  std::size_t viewBegin_ = 0;
  std::size_t viewEnd_ = 0;

  ClientDataSet* master_ = nullptr;
  std::string masterField_;
  std::vector<ClientDataSet*> details_;

  std::size_t pos_ = 0;  // within the rows presented
  bool eof_ = true;
};

}  // namespace cordalis
