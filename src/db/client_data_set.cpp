#include "db/client_data_set.h"

#include <algorithm>
#include <utility>

#include "db/data_packet.h"
#include "db/packet_engine.h"
#include "db/table_journal.h"
#include "host/int_text.h"

namespace cordalis {

ClientDataSet::ClientDataSet(std::string name, PacketEngine& engine) : name_(std::move(name)), engine_(engine) {}

void ClientDataSet::SetIndexField(std::string field) {
  indexField_ = std::move(field);
  if (active_) {
    RebuildIndex();
    RefreshView();
  }
}

void ClientDataSet::SetMaster(ClientDataSet& master, std::string field) {
  master_ = &master;
  masterField_ = std::move(field);
  master.details_.push_back(this);
  if (indexField_.empty()) indexField_ = masterField_;
}

void ClientDataSet::Open() {
  if (active_) return;
  TableData data = engine_.Load(FileName);
  const bool played = journal_ && journal_->PlayOver(data);
  Activate(std::move(data));
  journalPlayed_ = changed_ = played;
}

// A journal begun afresh must follow a file that holds the rows played.
void ClientDataSet::FoldJournal() {
  if (!active_ || !journalPlayed_ || FileName.empty()) return;
  Save();
  journalPlayed_ = false;
}

void ClientDataSet::Activate(TableData data) {
  data_ = std::move(data);
  rowBytes_.reset();
  frameBytes_.reset();
  active_ = true;
  changed_ = fieldsAdded_ = false;
  state_ = State::Browse;
  RebuildIndex();
  RefreshView();
  CurrentChanged();
}

void ClientDataSet::CreateDataSet() {
  active_ = false;
  if (FileName.empty()) {
    Activate(TableData(FieldList));
    return;
  }
  const TableData empty(FieldList);
  engine_.Save(FileName, empty);
  if (journal_) journal_->TableWritten(empty);
  Open();
}

void ClientDataSet::Close() {
  if (!active_) return;
  if (state_ != State::Browse) Cancel();
  if (changed_ && !FileName.empty()) Save();
  Drop();
}

void ClientDataSet::Drop() {
  state_ = State::Browse;
  pending_.clear();
  changed_ = journalPlayed_ = fieldsAdded_ = false;
  active_ = false;
  data_ = TableData();
  rowBytes_.reset();
  frameBytes_.reset();
  order_.Clear();
  viewBegin_ = viewEnd_ = pos_ = 0;
  eof_ = true;
  CurrentChanged();
}

// A journal that has grown longer than the table it follows goes into the
// table file, so that a run that changes the same rows over and over keeps it
// short; the whole write it then costs is paid for by the appends before it.
void ClientDataSet::Persist() {
  if (!active_ || !changed_ || FileName.empty()) return;
  constexpr std::size_t kJournalSlack = 1 << 20;
  if (journal_ && journal_->Usable() && !journalPlayed_ && !fieldsAdded_ &&
      journal_->BytesOnDisk() <= SavedBytes() + kJournalSlack) {
    journal_->Write();
  } else {
    Save();
  }
}

std::size_t ClientDataSet::RowBytesTotal() const {
  if (!rowBytes_) {
    std::size_t bytes = 0;
    for (RowId row = 0; row < data_.RowSlots(); ++row)
      if (data_.IsLive(row)) bytes += EncodedRowBytes(data_, row);
    rowBytes_ = bytes;
  }
  return *rowBytes_;
}

std::size_t ClientDataSet::FrameBytes(std::int32_t autoIncValue) const {
  if (!frameBytes_ || frameBytes_->first != autoIncValue)
    frameBytes_.emplace(autoIncValue, EncodedFrameBytes(data_.Fields(), autoIncValue));
  return frameBytes_->second;
}

std::size_t ClientDataSet::SavedBytes() const {
  RequireActive();
  return FrameBytes(data_.AutoIncValue()) + RowBytesTotal();
}

// The cells the row will hold once posted: the pending ones over the row's
// own, and a new row's auto-increment field numbered as it will be, which
// advances autoIncAfter.
std::vector<CellView> ClientDataSet::RowAfterPost(RowId editedRow, bool inserting, std::int32_t& autoIncAfter) const {
  const FieldDefs& fields = data_.Fields();
  std::vector<CellView> cells;
  if (inserting) {
    cells.assign(fields.size(), CellView{});
  } else {
    data_.ReadRow(editedRow, cells);
  }
  for (std::size_t f = 0; f < fields.size(); ++f) {
    const PendingCell& p = pending_[f];
    if (p.set) {
      cells[f] = p.null ? CellView{} : CellView{false, p.number, p.text};
    } else if (inserting && fields[f].autoInc) {
      cells[f] = CellView{false, autoIncAfter++, {}};
    }
  }
  return cells;
}

// The rows' bytes once the row is posted, measured before the table
// changes; throws when the file would be too large.
std::size_t ClientDataSet::RowBytesAfterPost(const std::vector<CellView>& cells, RowId editedRow, bool inserting,
                                             std::int32_t autoIncAfter) const {
  const std::size_t before = inserting ? 0 : EncodedRowBytes(data_, editedRow);
  const std::size_t rows = RowBytesTotal() - before + EncodedRowBytes(data_.Fields(), cells);
  if (FrameBytes(autoIncAfter) + rows > kMaxPacketBytes)
    throw TableFullError(name_ + ": the row would make the table larger than the " + std::to_string(kMaxPacketBytes) +
                         " bytes a table file may hold");
  return rows;
}

void ClientDataSet::Save() {
  engine_.Save(FileName, data_);
  changed_ = fieldsAdded_ = false;
  if (journal_) journal_->TableWritten(data_);
}

void ClientDataSet::SetReadOnly(bool readOnly) {
  readOnly_ = readOnly;
  if (readOnly) Persist();
}

void ClientDataSet::RequireActive() const {
  if (!active_) throw DataSetError(name_ + ": the table is not open");
}

void ClientDataSet::RequireWritable() const {
  RequireActive();
  if (readOnly_) throw DataSetError(name_ + ": cannot modify a read-only table");
  if (state_ != State::Browse) throw DataSetError(name_ + ": a row is already being edited");
}

std::size_t ClientDataSet::Field(const std::string& name) const {
  RequireActive();
  int f = data_.FieldIndex(name);
  if (f < 0) throw DataSetError(name_ + ": no field named " + name);
  return static_cast<std::size_t>(f);
}

RowId ClientDataSet::Current() const {
  if (!HasCurrent()) throw DataSetError(name_ + ": there is no current row");
  return ViewRow(pos_);
}

std::int32_t ClientDataSet::KeyOf(RowId row) const {
  return data_.Number(row, static_cast<std::size_t>(indexColumn_));
}

void ClientDataSet::RebuildIndex() {
  indexColumn_ = indexField_.empty() ? -1 : data_.FieldIndex(indexField_);
  order_.Clear();
  std::vector<KeyedRow> entries;
  entries.reserve(data_.LiveRowCount());
  for (RowId row = 0; row < data_.RowSlots(); ++row)
    if (data_.IsLive(row)) entries.push_back(EntryOf(row));
  if (indexColumn_ >= 0)
    std::sort(entries.begin(), entries.end(),
              [](const KeyedRow& a, const KeyedRow& b) { return a.key != b.key ? a.key < b.key : a.row < b.row; });
  order_.Assign(std::move(entries));
}

// The rows presented: a detail's are its master's subset in stored order,
// an indexed table's all rows by key, any other table's all rows as stored.
void ClientDataSet::SetViewRange() {
  viewBegin_ = 0;
  viewEnd_ = order_.Size();
  if (!master_) return;
  viewEnd_ = 0;
  if (!master_->active_ || !master_->HasCurrent() || indexColumn_ < 0) return;
  const int masterColumn = master_->data_.FieldIndex(masterField_);
  if (masterColumn < 0) return;
  const std::int32_t key = master_->data_.Number(master_->Current(), static_cast<std::size_t>(masterColumn));
  viewBegin_ = order_.LowerBound(key);
  viewEnd_ = order_.UpperBound(key);
}

void ClientDataSet::RefreshView() {
  SetViewRange();
  pos_ = 0;
  eof_ = ViewSize() == 0;
}

// After a post: the row stays current while it is among the rows presented,
// which a new row of the subset is, last, as its stored order says.
void ClientDataSet::PlaceInView(RowId row, bool inserting) {
  if (inserting) {
    RefreshView();
  } else {
    SetViewRange();
  }
  const std::size_t place = order_.PlaceOf(EntryOf(row));
  if (place >= viewBegin_ && place < viewEnd_ && order_[place].row == row) {
    pos_ = place - viewBegin_;
    eof_ = false;
    return;
  }
  if (!inserting) {
    pos_ = std::min(pos_, ViewSize() == 0 ? 0 : ViewSize() - 1);
    eof_ = ViewSize() == 0;
  }
}

void ClientDataSet::CurrentChanged() {
  for (ClientDataSet* detail : details_) detail->MasterMoved();
}

void ClientDataSet::MasterMoved() {
  if (!active_) return;
  if (state_ != State::Browse) Cancel();
  RefreshView();
  CurrentChanged();
}

void ClientDataSet::First() {
  RequireActive();
  pos_ = 0;
  eof_ = !HasCurrent();
  CurrentChanged();
}

void ClientDataSet::Next() {
  RequireActive();
  if (pos_ + 1 < ViewSize()) {
    ++pos_;
    CurrentChanged();
  } else {
    eof_ = true;
  }
}

bool ClientDataSet::FindKey(std::int32_t key) {
  RequireActive();
  if (indexColumn_ < 0) throw DataSetError(name_ + ": the table has no index");
  // The rows presented are in key order, a detail's all of one key.
  const std::size_t place = order_.LowerBound(key);
  if (place < viewBegin_ || place >= viewEnd_ || order_[place].key != key) return false;
  pos_ = place - viewBegin_;
  eof_ = false;
  CurrentChanged();
  return true;
}

void ClientDataSet::WidenFields(const FieldDefs& widths) {
  RequireActive();
  for (const FieldDef& want : widths) {
    int f = data_.FieldIndex(want.name);
    if (f >= 0 && want.type == FieldType::String) data_.WidenField(static_cast<std::size_t>(f), want.width);
  }
  frameBytes_.reset();  // the widths are written in the field list
}

void ClientDataSet::AddMissingFields(const FieldDefs& fields) {
  RequireActive();
  bool added = false;
  for (const FieldDef& field : fields) {
    if (data_.FieldIndex(field.name) >= 0) continue;
    data_.AddField(field);
    added = true;
  }
  if (!added) return;
  rowBytes_.reset();
  frameBytes_.reset();
  fieldsAdded_ = true;
}

int ClientDataSet::KeyCount(std::int32_t key) const {
  RequireActive();
  return indexColumn_ < 0 ? 0 : static_cast<int>(order_.UpperBound(key) - order_.LowerBound(key));
}

std::vector<RowId> ClientDataSet::RowsWithKey(std::int32_t key) const {
  RequireActive();
  std::vector<RowId> rows;
  if (indexColumn_ < 0) return rows;
  for (std::size_t i = order_.LowerBound(key), end = order_.UpperBound(key); i < end; ++i)
    rows.push_back(order_[i].row);
  return rows;
}

std::vector<RowId> ClientDataSet::AllRows() const {
  RequireActive();
  std::vector<RowId> rows;
  rows.reserve(order_.Size());
  for (std::size_t i = 0; i < order_.Size(); ++i) rows.push_back(order_[i].row);
  return rows;
}

void ClientDataSet::Append() {
  RequireWritable();
  pending_.assign(data_.Fields().size(), PendingCell{});
  state_ = State::Insert;
  if (master_ && master_->active_ && master_->HasCurrent() && indexColumn_ >= 0) {
    int masterColumn = master_->data_.FieldIndex(masterField_);
    if (masterColumn >= 0) {
      PendingCell& link = pending_[static_cast<std::size_t>(indexColumn_)];
      link.set = true;
      link.null = false;
      link.number = master_->data_.Number(master_->Current(), static_cast<std::size_t>(masterColumn));
    }
  }
}

void ClientDataSet::Edit() {
  RequireWritable();
  Current();
  pending_.assign(data_.Fields().size(), PendingCell{});
  state_ = State::Edit;
}

ClientDataSet::PendingCell& ClientDataSet::Pending(const std::string& field) {
  std::size_t f = Field(field);
  if (state_ == State::Browse) throw DataSetError(name_ + ": the table is not in edit or append state");
  if (data_.Fields()[f].readOnly) throw DataSetError(name_ + ": field " + field + " cannot be modified");
  PendingCell& cell = pending_[f];
  cell.set = true;
  cell.null = false;
  return cell;
}

void ClientDataSet::SetAsString(const std::string& field, const std::string& text) {
  std::size_t f = Field(field);
  const FieldDef& def = data_.Fields()[f];
  if (def.type != FieldType::String) throw DataSetError(name_ + ": field " + field + " does not hold text");
  if (text.size() > static_cast<std::size_t>(def.width))
    throw DataSetError(name_ + ": a text of " + std::to_string(text.size()) + " characters does not fit the field " +
                       field + " of width " + std::to_string(def.width));
  Pending(field).text = text;
}

void ClientDataSet::SetAsInteger(const std::string& field, std::int32_t value) {
  std::size_t f = Field(field);
  FieldType type = data_.Fields()[f].type;
  if (type == FieldType::String) throw DataSetError(name_ + ": field " + field + " holds text");
  if (type == FieldType::I2 && (value < -32768 || value > 32767))
    throw DataSetError(name_ + ": " + std::to_string(value) + " does not fit the 16-bit field " + field);
  Pending(field).number = type == FieldType::Boolean ? (value != 0) : value;
}

void ClientDataSet::SetAsBoolean(const std::string& field, bool value) {
  std::size_t f = Field(field);
  if (data_.Fields()[f].type != FieldType::Boolean) throw DataSetError(name_ + ": field " + field + " is not boolean");
  Pending(field).number = value ? 1 : 0;
}

void ClientDataSet::SetNull(const std::string& field) { Pending(field).null = true; }

void ClientDataSet::Post() {
  RequireActive();
  if (state_ == State::Browse) return;
  const bool inserting = state_ == State::Insert;
  const RowId edited = inserting ? 0 : Current();
  std::int32_t autoIncAfter = data_.AutoIncValue();
  const std::vector<CellView> cells = RowAfterPost(edited, inserting, autoIncAfter);
  const std::size_t rowBytesAfter = RowBytesAfterPost(cells, edited, inserting, autoIncAfter);
  const KeyedRow before = inserting ? KeyedRow{} : EntryOf(edited);
  RowId row = edited;
  if (inserting) {
    row = data_.AddRow(cells);
  } else {
    data_.SetRow(row, cells);
  }
  data_.SetAutoIncValue(autoIncAfter);
  rowBytes_ = rowBytesAfter;
  state_ = State::Browse;
  pending_.clear();
  changed_ = true;
  if (journal_) inserting ? journal_->RowAdded(data_, row) : journal_->RowChanged(data_, row);
  const KeyedRow after = EntryOf(row);
  if (inserting) {
    order_.Insert(order_.UpperBound(after.key), after);  // the last row stored, so last of its key
  } else if (after.key != before.key) {
    order_.Erase(order_.PlaceOf(before));
    order_.Insert(order_.PlaceOf(after), after);
  }
  PlaceInView(row, inserting);
  CurrentChanged();
}

void ClientDataSet::Cancel() {
  state_ = State::Browse;
  pending_.clear();
}

void ClientDataSet::Delete() {
  RequireWritable();
  const RowId row = Current();
  if (rowBytes_) *rowBytes_ -= EncodedRowBytes(data_, row);
  order_.Erase(viewBegin_ + pos_);
  --viewEnd_;
  data_.DeleteRow(row);
  changed_ = true;
  if (journal_) journal_->RowDeleted(row);
  pos_ = HasCurrent() ? std::min(pos_, ViewSize() - 1) : 0;
  eof_ = !HasCurrent();
  CurrentChanged();
}

std::string ClientDataSet::AsString(const std::string& field) const {
  std::size_t f = Field(field);
  const FieldDef& def = data_.Fields()[f];
  if (state_ != State::Browse && pending_[f].set) {
    const PendingCell& cell = pending_[f];
    if (cell.null) return {};
    if (def.type == FieldType::String) return cell.text;
    if (def.type == FieldType::Boolean) return cell.number ? "True" : "False";
    return std::to_string(cell.number);
  }
  if (state_ == State::Insert) return {};
  RowId row = Current();
  if (data_.IsNull(row, f)) return {};
  if (def.type == FieldType::String) return std::string(data_.Text(row, f));
  if (def.type == FieldType::Boolean) return data_.Number(row, f) ? "True" : "False";
  return std::to_string(data_.Number(row, f));
}

std::int32_t ClientDataSet::AsInteger(const std::string& field) const {
  std::size_t f = Field(field);
  if (data_.Fields()[f].type == FieldType::String) {
    std::string text = AsString(field);
    if (text.empty()) return 0;
    std::optional<std::int32_t> number = ParseIntegerText(text);
    if (!number) throw DataSetError(name_ + ": '" + text + "' in field " + field + " is not a number");
    return *number;
  }
  if (state_ != State::Browse && pending_[f].set) return pending_[f].null ? 0 : pending_[f].number;
  if (state_ == State::Insert) return 0;
  return data_.Number(Current(), f);
}

bool ClientDataSet::AsBoolean(const std::string& field) const { return AsInteger(field) != 0; }

bool ClientDataSet::IsNull(const std::string& field) const {
  std::size_t f = Field(field);
  if (state_ != State::Browse && pending_[f].set) return pending_[f].null;
  if (state_ == State::Insert) return true;
  return data_.IsNull(Current(), f);
}

}  // namespace cordalis
