#include "db/records.h"

#include "db/client_data_set.h"
#include "db/schema.h"

namespace cordalis {
namespace {

// A table's columns looked up by name once, then read by row.
class RowReader {
 public:
  explicit RowReader(const ClientDataSet& table) : data_(table.Data()) {}
  RowReader(const RowReader&) = delete;
  RowReader& operator=(const RowReader&) = delete;

  std::string Text(RowId row, const char* field) const {
    int f = Column(field);
    return std::string(data_.Text(row, static_cast<std::size_t>(f)));
  }
  std::int32_t Number(RowId row, const char* field) const {
    return data_.Number(row, static_cast<std::size_t>(Column(field)));
  }

  TweakRecord Tweak(RowId row) const {
    using namespace schema;
    return {Number(row, kTwkID), Number(row, kHide) != 0, Text(row, kCategory), Text(row, kSubCat),
            Text(row, kTitle),   Text(row, kDescription)};
  }
  // Every cell in one reading of the row: the state of a whole catalogue reads
  // tens of thousands of them.
  ActionRecord Action(RowId row) const {
    using namespace schema;
    data_.ReadRow(row, cells_);
    auto text = [&](const char* field) { return std::string(cells_[static_cast<std::size_t>(Column(field))].text); };
    auto number = [&](const char* field) { return cells_[static_cast<std::size_t>(Column(field))].number; };
    auto optionalText = [&](const char* field) {  // a field older tables lack reads as empty
      const int f = Find(field);
      return f < 0 ? std::string() : std::string(cells_[static_cast<std::size_t>(f)].text);
    };
    return {number(kTwkID),    text(kRoot),       text(kKey),     text(kValue),
            number(kDataType), number(kChangeType), text(kSpecial), text(kData),
            static_cast<std::uint16_t>(number(kVerMask)), optionalText(kWritten), optionalText(kAppliedOn)};
  }
  NoteRecord Note(RowId row) const { return {Number(row, schema::kTwkID), Text(row, schema::kNote)}; }

 private:
  // Looked up by name once per reader: the schema's names are constants, so
  // their addresses name them.
  int Find(const char* field) const {
    for (const auto& [name, index] : columns_)
      if (name == field) return index;
    const int f = data_.FieldIndex(field);
    columns_.emplace_back(field, f);
    return f;
  }
  int Column(const char* field) const {
    const int f = Find(field);
    if (f < 0) throw DataSetError(std::string("no field named ") + field);
    return f;
  }
  const TableData& data_;
  mutable std::vector<std::pair<const char*, int>> columns_;
  mutable std::vector<CellView> cells_;
};

}  // namespace

TweakRecord ReadTweak(const ClientDataSet& table) { return RowReader(table).Tweak(table.CurrentRow()); }
ActionRecord ReadAction(const ClientDataSet& table) { return RowReader(table).Action(table.CurrentRow()); }
NoteRecord ReadNote(const ClientDataSet& table) { return RowReader(table).Note(table.CurrentRow()); }

std::vector<TweakRecord> AllTweaks(const ClientDataSet& tweaks) {
  RowReader reader(tweaks);
  std::vector<TweakRecord> records;
  for (RowId row : tweaks.AllRows()) records.push_back(reader.Tweak(row));
  return records;
}

std::vector<ActionRecord> ActionsWithKey(const ClientDataSet& table, std::int32_t twkId) {
  RowReader reader(table);
  std::vector<ActionRecord> records;
  for (RowId row : table.RowsWithKey(twkId)) records.push_back(reader.Action(row));
  return records;
}

std::optional<NoteRecord> NoteWithKey(const ClientDataSet& notes, std::int32_t twkId) {
  std::vector<RowId> rows = notes.RowsWithKey(twkId);
  if (rows.empty()) return std::nullopt;
  return RowReader(notes).Note(rows.front());
}

std::optional<TweakRecord> TweakWithKey(const ClientDataSet& tweaks, std::int32_t twkId) {
  std::vector<RowId> rows = tweaks.RowsWithKey(twkId);
  if (rows.empty()) return std::nullopt;
  return RowReader(tweaks).Tweak(rows.front());
}

}  // namespace cordalis
