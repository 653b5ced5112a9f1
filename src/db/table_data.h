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

  bool IsNull(RowId row, std::size_t field) const { return Cell(row, field).null; }
  // Null reads as 0, false and empty text.
  std::int32_t Number(RowId row, std::size_t field) const { return Cell(row, field).number; }
  // Valid until the table is next changed.
  std::string_view Text(RowId row, std::size_t field) const;

  void SetNull(RowId row, std::size_t field);
  void SetNumber(RowId row, std::size_t field, std::int32_t value);  // integers and booleans (0/1)
  void SetText(RowId row, std::size_t field, std::string_view text);  // cut to the field's width

 private:
  struct CellData {
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
    std::int32_t number = 0;
    bool null = true;
  };
  const CellData& Cell(RowId row, std::size_t field) const { return cells_[row * fields_.size() + field]; }
  CellData& Cell(RowId row, std::size_t field) { return cells_[row * fields_.size() + field]; }
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
