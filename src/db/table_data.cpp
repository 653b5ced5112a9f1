#include "db/table_data.h"

#include <cstring>
#include <stdexcept>

#include "host/text.h"

namespace cordalis {
namespace {

// A record: one byte with the number of cells less one, then each cell: the
// field's number in one byte, then
//   for a number field, the number zigzagged as a variable-length integer;
//   for a text field, its length in one byte and its bytes, or kOutside, its
//   length as a variable-length integer and the address of its own piece.
constexpr std::size_t kInlineMost = 254;  // longer texts go in a piece of their own
constexpr unsigned char kOutside = 0xFF;
constexpr std::size_t kMostCellBytes = 2 + kInlineMost;  // more than a number or a text outside takes
// Waste the table keeps before it copies its rows into fresh blocks.
constexpr std::size_t kLeastGarbageToCompact = 1u << 20;

std::uint32_t ZigZag(std::int32_t v) {
  return (static_cast<std::uint32_t>(v) << 1) ^ static_cast<std::uint32_t>(v >> 31);
}
std::int32_t UnZigZag(std::uint32_t z) { return static_cast<std::int32_t>((z >> 1) ^ (0u - (z & 1u))); }

unsigned char* PutVarint(unsigned char* p, std::uint32_t v) {
  while (v >= 0x80) {
    *p++ = static_cast<unsigned char>(v | 0x80);
    v >>= 7;
  }
  *p++ = static_cast<unsigned char>(v);
  return p;
}

const unsigned char* GetVarint(const unsigned char* p, std::uint32_t& v) {
  v = *p & 0x7F;
  for (unsigned shift = 7; *p++ & 0x80; shift += 7) v |= static_cast<std::uint32_t>(*p & 0x7F) << shift;
  return p;
}

}  // namespace

const char* FieldTypeName(FieldType type) {
  switch (type) {
    case FieldType::I4: return "i4";
    case FieldType::I2: return "i2";
    case FieldType::Boolean: return "boolean";
    case FieldType::String: return "string";
  }
  return "?";
}

struct TableData::Cell {
  std::size_t field = 0;
  std::int32_t number = 0;
  const char* text = nullptr;
  std::uint32_t length = 0;
  Address piece = kNoCells;  // a text's own piece; kNoCells when it is inside the record
};

// Walks the cells of one record.
class TableData::RecordReader {
 public:
  RecordReader(const TableData& table, Address record) : table_(table) {
    if (record >= BlockStore::kAddressLimit) return;  // no cells, or a deleted row
    at_ = reinterpret_cast<const unsigned char*>(table.store_.At(record));
    start_ = at_;
    left_ = std::size_t{*at_++} + 1;
  }

  bool Next(Cell& cell) {
    if (left_ == 0) return false;
    --left_;
    cell.field = *at_++;
    if (!table_.IsText(cell.field)) {
      std::uint32_t z;
      at_ = GetVarint(at_, z);
      cell.number = UnZigZag(z);
      return true;
    }
    const unsigned char length = *at_++;
    if (length != kOutside) {
      cell.length = length;
      cell.text = reinterpret_cast<const char*>(at_);
      cell.piece = kNoCells;
      at_ += length;
    } else {
      at_ = GetVarint(at_, cell.length);
      std::memcpy(&cell.piece, at_, sizeof cell.piece);
      at_ += sizeof cell.piece;
      cell.text = table_.store_.At(cell.piece);
    }
    return true;
  }

  // The bytes of the record, once every cell has been read.
  std::size_t RecordBytes() const { return static_cast<std::size_t>(at_ - start_); }

 private:
  const TableData& table_;
  const unsigned char* at_ = nullptr;
  const unsigned char* start_ = nullptr;
  std::size_t left_ = 0;
};

TableData::TableData(FieldDefs fields) : fields_(std::move(fields)) {
  if (fields_.size() > kMaxFields)
    throw std::length_error("a table may have at most " + std::to_string(kMaxFields) + " fields");
}

void TableData::AddField(FieldDef field) {
  if (fields_.size() >= kMaxFields)
    throw std::length_error("a table may have at most " + std::to_string(kMaxFields) + " fields");
  fields_.push_back(std::move(field));
}

int TableData::FieldIndex(std::string_view name) const {
  for (std::size_t i = 0; i < fields_.size(); ++i)
    if (EqualsIgnoreCase(fields_[i].name, name)) return static_cast<int>(i);
  return -1;
}

std::int32_t TableData::TakeAutoIncValue() { return autoIncValue_++; }

RowId TableData::AppendSlot(Address record) {
  if (rowCount_ >= 0xFFFFFFFFu) throw std::length_error("too many rows");
  if (rowCount_ % kRowsPerPage == 0) rowPages_.emplace_back(new Address[kRowsPerPage]);
  const RowId row = static_cast<RowId>(rowCount_++);
  Slot(row) = record;
  return row;
}

RowId TableData::AddRow() { return AppendSlot(kNoCells); }

RowId TableData::AddRow(const std::vector<CellView>& cells) {
  RequireFits(cells);
  const RowId row = AddRow();
  SetRow(row, cells);
  return row;
}

void TableData::DeleteRow(RowId row) {
  Address& slot = Slot(row);
  if (slot == kDeadRow) return;
  Forget(slot);
  slot = kDeadRow;
  ++deadCount_;
  CompactIfWasteful();
}

bool TableData::FindCell(RowId row, std::size_t field, Cell& cell) const {
  RecordReader cells(*this, Slot(row));
  while (cells.Next(cell))
    if (cell.field == field) return true;
  return false;
}

bool TableData::IsNull(RowId row, std::size_t field) const {
  Cell cell;
  return !FindCell(row, field, cell);
}

std::int32_t TableData::Number(RowId row, std::size_t field) const {
  Cell cell;
  return !IsText(field) && FindCell(row, field, cell) ? cell.number : 0;
}

std::string_view TableData::Text(RowId row, std::size_t field) const {
  Cell cell;
  return IsText(field) && FindCell(row, field, cell) ? std::string_view(cell.text, cell.length) : std::string_view();
}

void TableData::ReadRow(RowId row, std::vector<CellView>& cells) const {
  cells.assign(fields_.size(), CellView{});
  RecordReader reader(*this, Slot(row));
  for (Cell cell; reader.Next(cell);) {
    CellView& view = cells[cell.field];
    view.null = false;
    if (IsText(cell.field)) {
      view.text = std::string_view(cell.text, cell.length);
    } else {
      view.number = cell.number;
    }
  }
}

void TableData::SetNull(RowId row, std::size_t field) {
  std::vector<CellView> cells;
  ReadRow(row, cells);
  cells[field] = CellView{};
  SetRow(row, cells);
}

void TableData::SetNumber(RowId row, std::size_t field, std::int32_t value) {
  std::vector<CellView> cells;
  ReadRow(row, cells);
  cells[field] = CellView{false, value, {}};
  SetRow(row, cells);
}

void TableData::SetText(RowId row, std::size_t field, std::string_view text) {
  std::vector<CellView> cells;
  ReadRow(row, cells);
  cells[field] = CellView{false, 0, text};
  SetRow(row, cells);
}

void TableData::RequireFits(const std::vector<CellView>& cells) const {
  for (std::size_t f = 0; f < cells.size() && f < fields_.size(); ++f) {
    const FieldDef& def = fields_[f];
    if (cells[f].null || def.type != FieldType::String || cells[f].text.size() <= static_cast<std::size_t>(def.width))
      continue;
    throw std::length_error("a text of " + std::to_string(cells[f].text.size()) +
                            " characters does not fit the field " + def.name + " of width " + std::to_string(def.width));
  }
}

// The new record is made before the old one is let go, so cells may show
// this table's own text; a text that keeps its piece is not copied.
void TableData::SetRow(RowId row, const std::vector<CellView>& cells) {
  RequireFits(cells);
  Address& slot = Slot(row);
  if (slot == kDeadRow) throw std::logic_error("a deleted row cannot be set");
  std::vector<Cell> pieces;  // the old record's texts outside it
  RecordReader old(*this, slot);
  for (Cell cell; old.Next(cell);)
    if (cell.piece != kNoCells) pieces.push_back(cell);

  TableRowBuilder build(*this);
  std::size_t kept = 0;
  for (std::size_t f = 0; f < cells.size() && f < fields_.size(); ++f) {
    const CellView& cell = cells[f];
    if (cell.null) continue;
    if (!IsText(f)) {
      build.Number(f, cell.number);
      continue;
    }
    const Cell* same = nullptr;
    for (const Cell& piece : pieces)
      if (piece.field == f && piece.text == cell.text.data() && piece.length == cell.text.size()) same = &piece;
    if (same) {
      build.Piece(f, same->piece, same->length);
      kept += same->length;
    } else {
      char* room = build.TextRoom(cell.text.size());
      if (!cell.text.empty()) std::memcpy(room, cell.text.data(), cell.text.size());
      build.Text(f, cell.text.size());
    }
  }
  const Address fresh = build.Finish();
  garbage_ += RecordBytes(slot) - kept;
  slot = fresh;
  CompactIfWasteful();
}

std::size_t TableData::RecordBytes(Address record) const {
  RecordReader reader(*this, record);
  std::size_t bytes = 0;
  for (Cell cell; reader.Next(cell);)
    if (cell.piece != kNoCells) bytes += cell.length;
  return bytes + reader.RecordBytes();
}

void TableData::Forget(Address record) { garbage_ += RecordBytes(record); }

// Replaced and deleted rows leave their bytes behind; once they are most of
// what the table holds, the live rows move to fresh blocks.
void TableData::CompactIfWasteful() {
  if (garbage_ < kLeastGarbageToCompact || garbage_ * 2 < store_.HeldBytes()) return;
  BlockStore fresh;
  TableRowBuilder build(*this, fresh);
  for (RowId row = 0; row < rowCount_; ++row) Slot(row) = CopyRecord(*this, Slot(row), build);
  store_ = std::move(fresh);
  garbage_ = 0;
}

TableData::Address TableData::CopyRecord(const TableData& from, Address record, TableRowBuilder& build) {
  if (record >= BlockStore::kAddressLimit) return record;
  RecordReader reader(from, record);
  for (Cell cell; reader.Next(cell);) {
    if (!IsText(cell.field)) {
      build.Number(cell.field, cell.number);
    } else {
      char* room = build.TextRoom(cell.length);
      if (cell.length != 0) std::memcpy(room, cell.text, cell.length);
      build.Text(cell.field, cell.length);
    }
  }
  return build.Finish();
}

TableData::TableData(const TableData& other) : fields_(other.fields_), autoIncValue_(other.autoIncValue_) {
  TableRowBuilder build(*this);
  for (RowId row = 0; row < other.rowCount_; ++row) AppendSlot(CopyRecord(other, other.Slot(row), build));
  deadCount_ = other.deadCount_;
}

TableData& TableData::operator=(const TableData& other) {
  if (this != &other) *this = TableData(other);
  return *this;
}

std::size_t TableData::HeldBytes() const {
  return store_.HeldBytes() + rowPages_.size() * kRowsPerPage * sizeof(Address) +
         rowPages_.capacity() * sizeof(rowPages_[0]);
}

TableRowBuilder::TableRowBuilder(TableData& table) : TableRowBuilder(table, table.store_) {}

TableRowBuilder::TableRowBuilder(TableData& table, BlockStore& store)
    : table_(table), store_(store), record_(new unsigned char[1 + table.fields_.size() * kMostCellBytes]) {}

void TableRowBuilder::Number(std::size_t field, std::int32_t value) {
  record_[used_++] = static_cast<unsigned char>(field);
  used_ = static_cast<std::size_t>(PutVarint(record_.get() + used_, ZigZag(value)) - record_.get());
  ++cells_;
}

char* TableRowBuilder::TextRoom(std::size_t most) {
  roomOutside_ = most > kInlineMost;
  if (!roomOutside_) return reinterpret_cast<char*>(record_.get() + used_ + 2);
  room_ = store_.Add(most);
  roomBytes_ = most;
  return store_.At(room_);
}

void TableRowBuilder::Text(std::size_t field, std::size_t length) {
  if (roomOutside_ && length <= kInlineMost) {
    std::memcpy(record_.get() + used_ + 2, store_.At(room_), length);
    store_.Shrink(room_, roomBytes_, 0);
    roomOutside_ = false;
  }
  if (!roomOutside_) {
    record_[used_] = static_cast<unsigned char>(field);
    record_[used_ + 1] = static_cast<unsigned char>(length);
    used_ += 2 + length;
    ++cells_;
    return;
  }
  store_.Shrink(room_, roomBytes_, length);
  roomOutside_ = false;
  Piece(field, room_, length);
}

void TableRowBuilder::Piece(std::size_t field, BlockStore::Address piece, std::size_t length) {
  record_[used_++] = static_cast<unsigned char>(field);
  record_[used_++] = kOutside;
  unsigned char* end = PutVarint(record_.get() + used_, static_cast<std::uint32_t>(length));
  used_ = static_cast<std::size_t>(end - record_.get());
  std::memcpy(record_.get() + used_, &piece, sizeof piece);
  used_ += sizeof piece;
  ++cells_;
}

BlockStore::Address TableRowBuilder::Finish() {
  BlockStore::Address record = TableData::kNoCells;
  if (cells_ != 0) {
    record_[0] = static_cast<unsigned char>(cells_ - 1);
    record = store_.Add(used_);
    std::memcpy(store_.At(record), record_.get(), used_);
  }
  used_ = 1;
  cells_ = 0;
  return record;
}

RowId TableRowBuilder::End() { return table_.AppendSlot(Finish()); }

}  // namespace cordalis
