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
    RefreshView(false);
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
  changed_ = false;
  state_ = State::Browse;
  RebuildIndex();
  RefreshView(false);
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
  changed_ = journalPlayed_ = false;
  active_ = false;
  data_ = TableData();
  rowBytes_.reset();
  frameBytes_.reset();
  index_.clear();
  view_.clear();
  eof_ = true;
  CurrentChanged();
}

// A journal that has grown longer than the table it follows goes into the
// table file, so that a run that changes the same rows over and over keeps it
// short; the whole write it then costs is paid for by the appends before it.
void ClientDataSet::Persist() {
  if (!active_ || !changed_ || FileName.empty()) return;
  constexpr std::size_t kJournalSlack = 1 << 20;
  if (journal_ && journal_->Usable() && !journalPlayed_ && journal_->BytesOnDisk() <= SavedBytes() + kJournalSlack) {
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

// The rows' bytes once the row being posted is in, measured before the table
// changes; throws when the file would be too large.
std::size_t ClientDataSet::RowBytesAfterPost(RowId editedRow, bool inserting) const {
  const FieldDefs& fields = data_.Fields();
  std::vector<CellView> cells(fields.size());
  std::int32_t autoIncAfter = data_.AutoIncValue();
  for (std::size_t f = 0; f < fields.size(); ++f) {
    const PendingCell& p = pending_[f];
    if (p.set) {
      cells[f] = p.null ? CellView{} : CellView{false, p.number, p.text};
    } else if (inserting && fields[f].autoInc) {
      cells[f] = CellView{false, autoIncAfter++, {}};
    } else if (!inserting) {
      cells[f] = CellView{data_.IsNull(editedRow, f), data_.Number(editedRow, f), data_.Text(editedRow, f)};
    }
  }
  const std::size_t before = inserting ? 0 : EncodedRowBytes(data_, editedRow);
  const std::size_t rows = RowBytesTotal() - before + EncodedRowBytes(fields, cells);
  if (FrameBytes(autoIncAfter) + rows > kMaxPacketBytes)
    throw TableFullError(name_ + ": the row would make the table larger than the " + std::to_string(kMaxPacketBytes) +
                         " bytes a table file may hold");
  return rows;
}

void ClientDataSet::Save() {
  engine_.Save(FileName, data_);
  changed_ = false;
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
  if (view_.empty()) throw DataSetError(name_ + ": there is no current row");
  return view_[pos_];
}

std::int32_t ClientDataSet::KeyOf(RowId row) const {
  return data_.Number(row, static_cast<std::size_t>(indexColumn_));
}

void ClientDataSet::RebuildIndex() {
  index_.clear();
  indexColumn_ = indexField_.empty() ? -1 : data_.FieldIndex(indexField_);
  if (indexColumn_ < 0) return;
  for (RowId row = 0; row < data_.RowSlots(); ++row)
    if (data_.IsLive(row)) index_[KeyOf(row)].push_back(row);
}

// Recomputes the rows presented: a detail shows its master's subset in stored
// order, an indexed table all rows by key, any other table all rows as stored.
void ClientDataSet::RefreshView(bool keepCurrent) {
  RowId current = HasCurrent() ? view_[pos_] : 0;
  bool hadCurrent = HasCurrent();
  view_.clear();
  if (master_) {
    if (master_->active_ && master_->HasCurrent() && indexColumn_ >= 0) {
      int masterColumn = master_->data_.FieldIndex(masterField_);
      if (masterColumn >= 0) {
        auto it = index_.find(master_->data_.Number(master_->Current(), static_cast<std::size_t>(masterColumn)));
        if (it != index_.end()) view_.assign(it->second.begin(), it->second.end());
      }
    }
  } else if (indexColumn_ >= 0) {
    for (const auto& [key, rows] : index_) view_.insert(view_.end(), rows.begin(), rows.end());
  } else {
    for (RowId row = 0; row < data_.RowSlots(); ++row)
      if (data_.IsLive(row)) view_.push_back(row);
  }
  if (keepCurrent && hadCurrent) {
    auto it = std::find(view_.begin(), view_.end(), current);
    if (it != view_.end()) {
      pos_ = static_cast<std::size_t>(it - view_.begin());
      eof_ = false;
      return;
    }
    pos_ = std::min(pos_, view_.empty() ? 0 : view_.size() - 1);
  } else {
    pos_ = 0;
  }
  eof_ = view_.empty();
}

void ClientDataSet::CurrentChanged() {
  for (ClientDataSet* detail : details_) detail->MasterMoved();
}

void ClientDataSet::MasterMoved() {
  if (!active_) return;
  if (state_ != State::Browse) Cancel();
  RefreshView(false);
  CurrentChanged();
}

void ClientDataSet::First() {
  RequireActive();
  pos_ = 0;
  eof_ = view_.empty();
  CurrentChanged();
}

void ClientDataSet::Next() {
  RequireActive();
  if (pos_ + 1 < view_.size()) {
    ++pos_;
    CurrentChanged();
  } else {
    eof_ = true;
  }
}

bool ClientDataSet::FindKey(std::int32_t key) {
  RequireActive();
  if (indexColumn_ < 0) throw DataSetError(name_ + ": the table has no index");
  // A detail presents rows of one key in stored order; any other table by key.
  auto it = master_ ? std::find_if(view_.begin(), view_.end(), [&](RowId row) { return KeyOf(row) == key; })
                    : std::lower_bound(view_.begin(), view_.end(), key,
                                       [&](RowId row, std::int32_t k) { return KeyOf(row) < k; });
  if (it != view_.end() && KeyOf(*it) != key) it = view_.end();
  if (it == view_.end()) return false;
  pos_ = static_cast<std::size_t>(it - view_.begin());
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

int ClientDataSet::KeyCount(std::int32_t key) const {
  RequireActive();
  auto it = index_.find(key);
  return it == index_.end() ? 0 : static_cast<int>(it->second.size());
}

std::vector<RowId> ClientDataSet::RowsWithKey(std::int32_t key) const {
  RequireActive();
  auto it = index_.find(key);
  return it == index_.end() ? std::vector<RowId>() : std::vector<RowId>(it->second.begin(), it->second.end());
}

std::vector<RowId> ClientDataSet::AllRows() const {
  RequireActive();
  std::vector<RowId> rows;
  rows.reserve(data_.LiveRowCount());
  if (indexColumn_ >= 0) {
    for (const auto& [key, keyRows] : index_) rows.insert(rows.end(), keyRows.begin(), keyRows.end());
  } else {
    for (RowId row = 0; row < data_.RowSlots(); ++row)
      if (data_.IsLive(row)) rows.push_back(row);
  }
  return rows;
}

void ClientDataSet::KeyRows::Remove(RowId row) {
  if (head_ < rows_.size() && rows_[head_] == row) {
    ++head_;  // how Undo and Delete Undo data take rows
    if (head_ > 64 && head_ * 2 > rows_.size()) {
      rows_.erase(rows_.begin(), rows_.begin() + static_cast<std::ptrdiff_t>(head_));
      head_ = 0;
    }
  } else {
    auto it = std::find(begin(), end(), row);
    if (it != end()) rows_.erase(it);
  }
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
  RowId row;
  bool inserting = state_ == State::Insert;
  const RowId edited = inserting ? 0 : Current();
  const std::size_t rowBytesAfter = RowBytesAfterPost(edited, inserting);
  if (inserting) {
    row = data_.AddRow();
    for (std::size_t f = 0; f < data_.Fields().size(); ++f)
      if (data_.Fields()[f].autoInc && !pending_[f].set) {
        pending_[f].set = true;
        pending_[f].null = false;
        pending_[f].number = data_.TakeAutoIncValue();
      }
  } else {
    row = Current();
  }
  std::int32_t oldKey = indexColumn_ >= 0 && !inserting ? KeyOf(row) : 0;
  for (std::size_t f = 0; f < data_.Fields().size(); ++f) {
    const PendingCell& cell = pending_[f];
    if (!cell.set) continue;
    if (cell.null) {
      data_.SetNull(row, f);
    } else if (data_.Fields()[f].type == FieldType::String) {
      data_.SetText(row, f, cell.text);
    } else {
      data_.SetNumber(row, f, cell.number);
    }
  }
  rowBytes_ = rowBytesAfter;
  state_ = State::Browse;
  pending_.clear();
  changed_ = true;
  if (journal_) inserting ? journal_->RowAdded(data_, row) : journal_->RowChanged(data_, row);
  if (indexColumn_ >= 0) {
    std::int32_t key = KeyOf(row);
    if (inserting) {
      index_[key].push_back(row);
    } else if (key != oldKey) {
      RebuildIndex();  // rows keep their stored order within each key
    }
  }
  if (inserting && master_) {
    // A new row of the subset presented goes last, as its stored order says.
    if (indexColumn_ >= 0 && !view_.empty() && KeyOf(view_.front()) == KeyOf(row)) {
      view_.push_back(row);
    } else {
      RefreshView(false);
    }
    if (!view_.empty() && view_.back() == row) {
      pos_ = view_.size() - 1;
      eof_ = false;
    }
  } else if (inserting) {
    RefreshView(false);
    auto it = std::find(view_.begin(), view_.end(), row);
    if (it != view_.end()) {
      pos_ = static_cast<std::size_t>(it - view_.begin());
      eof_ = false;
    }
  } else {
    RefreshView(true);
  }
  CurrentChanged();
}

void ClientDataSet::Cancel() {
  state_ = State::Browse;
  pending_.clear();
}

void ClientDataSet::Delete() {
  RequireWritable();
  RowId row = Current();
  if (indexColumn_ >= 0) {
    auto it = index_.find(KeyOf(row));
    if (it != index_.end()) {
      it->second.Remove(row);
      if (it->second.empty()) index_.erase(it);
    }
  }
  if (rowBytes_) *rowBytes_ -= EncodedRowBytes(data_, row);
  data_.DeleteRow(row);
  changed_ = true;
  if (journal_) journal_->RowDeleted(row);
  std::size_t pos = pos_;
  view_.erase(view_.begin() + static_cast<std::ptrdiff_t>(pos));
  pos_ = view_.empty() ? 0 : std::min(pos, view_.size() - 1);
  eof_ = view_.empty();
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
