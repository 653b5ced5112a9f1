#include "engine/undo_recorder.h"

#include <algorithm>
#include <type_traits>

#include "db/client_data_set.h"
#include "db/data_packet.h"
#include "db/schema.h"
#include "host/int_text.h"
#include "host/registry.h"

namespace cordalis {

CapturedData CaptureForm(std::uint32_t type, const std::vector<std::uint8_t>& bytes) {
  const auto count = static_cast<int>(bytes.size());
  if (type == kRegBinary) return {static_cast<int>(type), TSuperReg2::ByteArrayToString(bytes.data(), count), ""};
  if ((type == kRegSz || type == kRegExpandSz) && !bytes.empty() && bytes.back() == 0 &&
      std::find(bytes.begin(), bytes.end() - 1, 0) == bytes.end() - 1)
    return {static_cast<int>(type), std::string(bytes.begin(), bytes.end() - 1), ""};
  if (type == kRegDword && bytes.size() == 4) {
    std::uint32_t u = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    return {static_cast<int>(type), IntegerToText(static_cast<std::int32_t>(u)), ""};
  }
  // Text would lose bytes or the type (several strings, no terminator, other types).
  return {static_cast<int>(type), TSuperReg2::ByteArrayToString(bytes.data(), count), kExactBytesMark};
}

std::string WrittenForm(std::uint32_t type, const std::vector<std::uint8_t>& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string form = std::to_string(type) + ":";
  form.reserve(form.size() + bytes.size() * 2);
  for (std::uint8_t b : bytes) {
    form += kDigits[b >> 4];
    form += kDigits[b & 15];
  }
  return form;
}

std::string WithoutLeadingBackslash(const std::string& path) {
  return !path.empty() && path[0] == '\\' ? path.substr(1) : path;
}

UndoRecorder::UndoRecorder(ClientDataSet& undo, std::int32_t twkId, std::string rootCode, std::string appliedOn)
    : undo_(undo), twkId_(twkId), rootCode_(std::move(rootCode)), appliedOn_(std::move(appliedOn)) {}

// The fields of an undo action, in one place for recording and for measuring;
// the key comes without its leading "\".
template <class Put>
void UndoRecorder::PutFields(Put&& put, int changeType, const std::string& key, const std::string& value,
                             int dataType, const std::string& data, const std::string& special) const {
  using namespace schema;
  put(kTwkID, twkId_);
  put(kRoot, rootCode_);
  put(kKey, key);
  put(kValue, value);
  put(kDataType, dataType);
  put(kChangeType, changeType);
  put(kSpecial, special);
  put(kData, data);
  put(kVerMask, 0);
  if (!appliedOn_.empty()) put(kAppliedOn, appliedOn_);
}

std::size_t UndoRecorder::RowBytes(int changeType, const std::string& key, const std::string& value, int dataType,
                                   const std::string& data, const std::string& special) const {
  const TableData& table = undo_.Data();
  if (columns_.empty()) {  // looked up once: DO IT measures many rows before it starts
    auto find = [&](const char* field, const auto&) {
      int f = table.FieldIndex(field);
      if (f < 0) throw EngineError(std::string("the undo table has no field ") + field);
      columns_.push_back(static_cast<std::size_t>(f));
    };
    PutFields(find, 0, "", "", 0, "", "");
  }
  std::vector<CellView> cells(table.Fields().size());
  std::size_t next = 0;
  auto put = [&](const char*, const auto& v) {
    CellView& cell = cells[columns_[next++]];
    cell.null = false;
    if constexpr (std::is_same_v<std::decay_t<decltype(v)>, std::string>) {
      cell.text = v;
    } else {
      cell.number = v;
    }
  };
  const std::string keptKey = WithoutLeadingBackslash(key);  // outlives the views of it
  PutFields(put, changeType, keptKey, value, dataType, data, special);
  return EncodedRowBytes(table.Fields(), cells);
}

bool UndoRecorder::WrittenFits(const std::string& written) const {
  return !written.empty() && written.size() <= static_cast<std::size_t>(schema::WidthOf(schema::UndoFields(),
                                                                                        schema::kWritten));
}

void UndoRecorder::Add(int changeType, const std::string& key, const std::string& value, int dataType,
                       const std::string& data, const std::string& special, const std::string& written) {
  // An action that cannot be kept whole is refused before anything changes.
  using namespace schema;
  const FieldDefs& fields = UndoFields();
  auto fits = [&](const char* field, const std::string& text) {
    return text.size() <= static_cast<std::size_t>(WidthOf(fields, field));
  };
  if (!fits(kKey, key) || !fits(kValue, value) || !fits(kData, data))
    throw EngineError("The value " + value + " in " + key +
                      " holds more data than Cordalis can record for Undo, so it was not changed.");
  auto put = [&](const char* field, const auto& v) {
    if constexpr (std::is_same_v<std::decay_t<decltype(v)>, std::string>) {
      undo_.SetAsString(field, v);
    } else {
      undo_.SetAsInteger(field, v);
    }
  };
  added_ = false;
  undo_.Append();
  PutFields(put, changeType, WithoutLeadingBackslash(key), value, dataType, data, special);
  if (WrittenFits(written)) {
    undo_.SetAsString(kWritten, written);
    try {
      undo_.Post();
      added_ = true;
      return;
    } catch (const TableFullError&) {
      undo_.SetNull(kWritten);  // the action itself may still fit
    }
  }
  try {
    undo_.Post();
    added_ = true;
  } catch (const TableFullError&) {
    // DO IT refuses a tweak whose undo actions would not fit before it starts;
    // this stops one that captures more than it could see then.
    undo_.Cancel();
    throw EngineError("The stored undo actions (undo.xml) cannot grow to record the undo actions for " +
                      WithoutLeadingBackslash(key) + ", so it was not changed. Delete the undo data of tweaks you no "
                      "longer need to undo, then try again.");
  }
}

void UndoRecorder::NoteWritten(const std::string& written) {
  if (!added_ || !WrittenFits(written)) return;
  undo_.Edit();
  undo_.SetAsString(schema::kWritten, written);
  try {
    undo_.Post();
  } catch (const TableFullError&) {
    undo_.Cancel();
  }
}

void UndoRecorder::Persist() { undo_.Persist(); }

}  // namespace cordalis
