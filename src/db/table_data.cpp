#include "db/table_data.h"

#include <stdexcept>

#include "host/text.h"

namespace cordalis {

const char* FieldTypeName(FieldType type) {
  switch (type) {
    case FieldType::I4: return "i4";
    case FieldType::I2: return "i2";
    case FieldType::Boolean: return "boolean";
    case FieldType::String: return "string";
  }
  return "?";
}

TableData::TableData(FieldDefs fields) : fields_(std::move(fields)) {}

int TableData::FieldIndex(std::string_view name) const {
  for (std::size_t i = 0; i < fields_.size(); ++i)
    if (EqualsIgnoreCase(fields_[i].name, name)) return static_cast<int>(i);
  return -1;
}

std::int32_t TableData::TakeAutoIncValue() { return autoIncValue_++; }

RowId TableData::AddRow() {
  if (dead_.size() >= 0xFFFFFFFFu) throw std::length_error("too many rows");
  cells_.resize(cells_.size() + fields_.size());
  dead_.push_back(false);
  return static_cast<RowId>(dead_.size() - 1);
}

void TableData::DeleteRow(RowId row) {
  if (dead_[row]) return;
  for (std::size_t f = 0; f < fields_.size(); ++f) SetNull(row, f);
  dead_[row] = true;
  ++deadCount_;
}

std::string_view TableData::Text(RowId row, std::size_t field) const {
  const CellData& c = Cell(row, field);
  if (c.length == kNull || !IsText(field)) return {};
  return std::string_view(text_).substr(c.word, c.length);
}

void TableData::SetNull(RowId row, std::size_t field) {
  CellData& c = Cell(row, field);
  Release(field, c);
  c = CellData{};
}

void TableData::SetNumber(RowId row, std::size_t field, std::int32_t value) {
  CellData& c = Cell(row, field);
  Release(field, c);
  c = CellData{static_cast<std::uint32_t>(value), 0};
}

void TableData::SetText(RowId row, std::size_t field, std::string_view text) {
  if (!text.empty() && text.data() >= text_.data() && text.data() < text_.data() + text_.size()) {
    const std::string copy(text);  // the text lives in this table, which may move it
    SetText(row, field, copy);
    return;
  }
  const FieldDef& def = fields_[field];
  if (text.size() > static_cast<std::size_t>(def.width))
    throw std::length_error("a text of " + std::to_string(text.size()) + " characters does not fit the field " +
                            def.name + " of width " + std::to_string(def.width));
  if (text_.size() + text.size() > 0x7FFFFFFFu) CompactText();
  if (text_.size() + text.size() > 0x7FFFFFFFu) throw std::length_error("table text exceeds 2 GB");
  CellData& c = Cell(row, field);
  Release(field, c);
  c = CellData{static_cast<std::uint32_t>(text_.size()), static_cast<std::uint32_t>(text.size())};
  text_.append(text);
}

void TableData::CompactText() {
  std::string compact;
  compact.reserve(text_.size() - garbage_);
  const std::size_t width = fields_.size();
  for (std::size_t i = 0; i < cells_.size(); ++i) {
    CellData& c = cells_[i];
    if (!IsText(i % width) || c.length == kNull || c.length == 0) continue;
    std::uint32_t offset = static_cast<std::uint32_t>(compact.size());
    compact.append(text_, c.word, c.length);
    c.word = offset;
  }
  text_ = std::move(compact);
  garbage_ = 0;
}

}  // namespace cordalis
