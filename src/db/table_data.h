#pragma once
// The rows of one table in memory. Row ids are stable for the life of the data:
// a deleted row keeps its slot, so indexes that hold ids never go stale.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "db/field_defs.h"

namespace cordalis {

using RowId = std::uint32_t;

class TableData {
 public:
  TableData() = default;
  explicit TableData(FieldDefs fields);

  const FieldDefs& Fields() const { return fields_; }
  // Index of the field with this name (letter case ignored), or -1.
  int FieldIndex(std::string_view name) const;

  // Lets a text field hold longer text from now on; never shortens one.
  void WidenField(std::size_t field, int width) {
    if (width > fields_[field].width) fields_[field].width = width;
  }

  std::int32_t AutoIncValue() const { return autoIncValue_; }
  void SetAutoIncValue(std::int32_t next) { autoIncValue_ = next; }
  // The value the next new row gets in the auto-increment field; advances it.
  std::int32_t TakeAutoIncValue();

  std::size_t RowSlots() const { return dead_.size(); }
  std::size_t LiveRowCount() const { return dead_.size() - deadCount_; }
  bool IsLive(RowId row) const { return !dead_[row]; }
  RowId AddRow();  // every field null
  void DeleteRow(RowId row);

  bool IsNull(RowId row, std::size_t field) const { return Cell(row, field).length == kNull; }
  // Null reads as 0, false and empty text; a text field's number is 0.
  std::int32_t Number(RowId row, std::size_t field) const {
    return IsText(field) ? 0 : static_cast<std::int32_t>(Cell(row, field).word);
  }
  // Valid until the table is next changed.
  std::string_view Text(RowId row, std::size_t field) const;

  void SetNull(RowId row, std::size_t field);
  void SetNumber(RowId row, std::size_t field, std::int32_t value);  // integers and booleans (0/1)
  // Text wider than the field is never cut: it throws std::length_error, as
  // every writer checks or refuses a value before it sets it.
  void SetText(RowId row, std::size_t field, std::string_view text);

 private:
  // A text cell holds its offset and length, a number cell the number and 0;
  // a null cell has the length kNull. Eight bytes, so that the cells a file
  // may ask for cost little memory.
  static constexpr std::uint32_t kNull = 0xFFFFFFFFu;
  struct CellData {
    std::uint32_t word = 0;  // text offset, or the number
    std::uint32_t length = kNull;
  };
  static_assert(sizeof(CellData) == 8);
  const CellData& Cell(RowId row, std::size_t field) const { return cells_[row * fields_.size() + field]; }
  CellData& Cell(RowId row, std::size_t field) { return cells_[row * fields_.size() + field]; }
  bool IsText(std::size_t field) const { return fields_[field].type == FieldType::String; }
  void Release(std::size_t field, const CellData& c) {
    if (IsText(field) && c.length != kNull) garbage_ += c.length;
  }
  void CompactText();

  FieldDefs fields_;
  std::int32_t autoIncValue_ = 1;
  std::vector<CellData> cells_;
  std::vector<bool> dead_;
  std::size_t deadCount_ = 0;
  std::string text_;  // every text cell's bytes; replaced text leaves garbage until compaction
  std::size_t garbage_ = 0;
};

}  // namespace cordalis
