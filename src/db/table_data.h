#pragma once
// The rows of one table in memory.
//
// A row is one record of its cells that are not null: the field's number, then
// a number as a variable-length integer, or a text: a short one inside the
// record, a longer one in a piece of its own that the record names. Records
// and texts live in a BlockStore, whose blocks never move, so a table takes
// memory in proportion to what its rows hold (less than the file they were
// read from), never by copying what it already holds.
//
// Row ids are stable for the life of the data: a deleted row keeps its slot,
// so indexes that hold ids never go stale.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "db/block_store.h"
#include "db/field_defs.h"

namespace cordalis {

using RowId = std::uint32_t;

// One cell of a row: null, a number (integers and booleans) or a text.
struct CellView {
  bool null = true;
  std::int32_t number = 0;
  std::string_view text;
};

class TableRowBuilder;

class TableData {
 public:
  // A record names each field in one byte.
  static constexpr std::size_t kMaxFields = 256;

  TableData() = default;
  explicit TableData(FieldDefs fields);  // throws std::length_error beyond kMaxFields
  // A copy holds the same rows in the same slots, without the waste.
  TableData(const TableData& other);
  TableData& operator=(const TableData& other);
  TableData(TableData&&) noexcept = default;
  TableData& operator=(TableData&&) noexcept = default;

  const FieldDefs& Fields() const { return fields_; }
  // Index of the field with this name (letter case ignored), or -1.
  int FieldIndex(std::string_view name) const;

  // A field after the last: every row reads it as null, since no record names
  // it. Throws std::length_error beyond kMaxFields.
  void AddField(FieldDef field);

  // Lets a text field hold longer text from now on; never shortens one.
  void WidenField(std::size_t field, int width) {
    if (width > fields_[field].width) fields_[field].width = width;
  }

  std::int32_t AutoIncValue() const { return autoIncValue_; }
  void SetAutoIncValue(std::int32_t next) { autoIncValue_ = next; }
  // The value the next new row gets in the auto-increment field; advances it.
  std::int32_t TakeAutoIncValue();

  std::size_t RowSlots() const { return rowCount_; }
  std::size_t LiveRowCount() const { return rowCount_ - deadCount_; }
  bool IsLive(RowId row) const { return Slot(row) != kDeadRow; }
  RowId AddRow();  // every field null
  // A row of these cells, as SetRow sets them; throws, adding nothing, as it does.
  RowId AddRow(const std::vector<CellView>& cells);
  void DeleteRow(RowId row);

  bool IsNull(RowId row, std::size_t field) const;
  // Null reads as 0, false and empty text; a text field's number is 0.
  std::int32_t Number(RowId row, std::size_t field) const;
  // Valid until the table is next changed.
  std::string_view Text(RowId row, std::size_t field) const;
  // Every cell of the row, by field, in one reading; the texts are valid
  // until the table is next changed.
  void ReadRow(RowId row, std::vector<CellView>& cells) const;

  void SetNull(RowId row, std::size_t field);
  void SetNumber(RowId row, std::size_t field, std::int32_t value);  // integers and booleans (0/1)
  // Text wider than the field is never cut: it throws std::length_error, as
  // every writer checks or refuses a value before it sets it.
  void SetText(RowId row, std::size_t field, std::string_view text);
  // Every cell at once, cells[f] for field f (null past the end), as one
  // change; throws std::length_error, changing nothing, for text wider than
  // its field.
  void SetRow(RowId row, const std::vector<CellView>& cells);

  // The bytes the rows take: their records and texts, with their slots.
  std::size_t HeldBytes() const;

 private:
  friend class TableRowBuilder;
  using Address = BlockStore::Address;
  // A row's slot holds its record's address or one of these marks.
  static constexpr Address kNoCells = 0xFFFFFFFFu;  // live, every cell null
  static constexpr Address kDeadRow = 0xFFFFFFFEu;
  static_assert(kDeadRow >= BlockStore::kAddressLimit);
  static constexpr std::size_t kRowsPerPage = 1024;

  struct Cell;
  class RecordReader;
  bool IsText(std::size_t field) const { return fields_[field].type == FieldType::String; }
  Address Slot(RowId row) const { return rowPages_[row / kRowsPerPage][row % kRowsPerPage]; }
  Address& Slot(RowId row) { return rowPages_[row / kRowsPerPage][row % kRowsPerPage]; }
  RowId AppendSlot(Address record);
  bool FindCell(RowId row, std::size_t field, Cell& cell) const;
  // The bytes of a record and of the texts it holds in pieces of their own.
  std::size_t RecordBytes(Address record) const;
  void RequireFits(const std::vector<CellView>& cells) const;
  void Forget(Address record);
  void CompactIfWasteful();
  // A record of a table with the same fields, this one or another, made
  // again by the builder, in the builder's store.
  Address CopyRecord(const TableData& from, Address record, TableRowBuilder& build);

  FieldDefs fields_;
  std::int32_t autoIncValue_ = 1;
  // The rows' slots, in pages that never move, as the blocks do not.
  std::vector<std::unique_ptr<Address[]>> rowPages_;
  std::size_t rowCount_ = 0;
  std::size_t deadCount_ = 0;
  BlockStore store_;
  std::size_t garbage_ = 0;  // bytes of the store no row uses any longer
};

// Adds rows to a table cell by cell, as a reader meets them: text goes
// straight into the table's storage, never through a copy. Give each field
// of a row at most once. A row is in the table once End has added it.
class TableRowBuilder {
 public:
  explicit TableRowBuilder(TableData& table);

  void Number(std::size_t field, std::int32_t value);
  // Room for a text of at most `most` bytes, for the next Text call.
  char* TextRoom(std::size_t most);
  // The first `length` bytes of the room are the field's text.
  void Text(std::size_t field, std::size_t length);
  RowId End();

 private:
  friend class TableData;
  TableRowBuilder(TableData& table, BlockStore& store);
  // A text already in a piece of the store.
  void Piece(std::size_t field, BlockStore::Address piece, std::size_t length);
  // The record of the cells given so far, put in the store; begins the next.
  BlockStore::Address Finish();

  TableData& table_;
  BlockStore& store_;
  std::unique_ptr<unsigned char[]> record_;
  std::size_t used_ = 1;  // the first byte counts the cells
  std::size_t cells_ = 0;
  // The room TextRoom gave: in the record, or a piece of its own.
  BlockStore::Address room_ = 0;
  std::size_t roomBytes_ = 0;
  bool roomOutside_ = false;
};

}  // namespace cordalis
