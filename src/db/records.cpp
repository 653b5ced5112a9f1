#include "db/records.h"

#include "db/client_data_set.h"
#include "db/schema.h"

namespace cordalis {
namespace {

// A table's columns looked up by name once, then read by row.
class RowReader {
 public:
  explicit RowReader(const ClientDataSet& table) : data_(table.Data()) {}

  std::string Text(RowId row, const char* field) const {
    int f = Column(field);
    return std::string(data_.Text(row, static_cast<std::size_t>(f)));
  }
  // A field that older tables lack reads as empty.
  std::string OptionalText(RowId row, const char* field) const {
    int f = data_.FieldIndex(field);
    return f < 0 ? std::string() : std::string(data_.Text(row, static_cast<std::size_t>(f)));
  }
  std::int32_t Number(RowId row, const char* field) const {
    return data_.Number(row, static_cast<std::size_t>(Column(field)));
  }

  TweakRecord Tweak(RowId row) const {
    using namespace schema;
    return {Number(row, kTwkID), Number(row, kHide) != 0, Text(row, kCategory), Text(row, kSubCat),
            Text(row, kTitle),   Text(row, kDescription)};
  }
  ActionRecord Action(RowId row) const {
    using namespace schema;
    return {Number(row, kTwkID),     Text(row, kRoot),     Text(row, kKey),  Text(row, kValue),
            Number(row, kDataType),  Number(row, kChangeType), Text(row, kSpecial), Text(row, kData),
            static_cast<std::uint16_t>(Number(row, kVerMask)), OptionalText(row, kWritten),
            OptionalText(row, kAppliedOn)};
  }
  NoteRecord Note(RowId row) const { return {Number(row, schema::kTwkID), Text(row, schema::kNote)}; }

 private:
  int Column(const char* field) const {
    int f = data_.FieldIndex(field);
    if (f < 0) throw DataSetError(std::string("no field named ") + field);
    return f;
  }
  const TableData& data_;
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
