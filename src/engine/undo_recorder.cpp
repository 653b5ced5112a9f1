#include "engine/undo_recorder.h"

#include <algorithm>

#include "db/client_data_set.h"
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

std::string WithoutLeadingBackslash(const std::string& path) {
  return !path.empty() && path[0] == '\\' ? path.substr(1) : path;
}

UndoRecorder::UndoRecorder(ClientDataSet& undo, std::int32_t twkId, std::string rootCode)
    : undo_(undo), twkId_(twkId), rootCode_(std::move(rootCode)) {}

void UndoRecorder::Add(int changeType, const std::string& key, const std::string& value, int dataType,
                       const std::string& data, const std::string& special) {
  // An action that cannot be kept whole is refused before anything changes.
  using namespace schema;
  const FieldDefs& fields = UndoFields();
  auto fits = [&](const char* field, const std::string& text) {
    return text.size() <= static_cast<std::size_t>(WidthOf(fields, field));
  };
  if (!fits(kKey, key) || !fits(kValue, value) || !fits(kData, data))
    throw EngineError("The value " + value + " in " + key +
                      " holds more data than Cordalis can record for Undo, so it was not changed.");
  undo_.Append();
  undo_.SetAsInteger(kTwkID, twkId_);
  undo_.SetAsString(kRoot, rootCode_);
  undo_.SetAsString(kKey, WithoutLeadingBackslash(key));
  undo_.SetAsString(kValue, value);
  undo_.SetAsInteger(kDataType, dataType);
  undo_.SetAsInteger(kChangeType, changeType);
  undo_.SetAsString(kSpecial, special);
  undo_.SetAsString(kData, data);
  undo_.SetAsInteger(kVerMask, 0);
  undo_.Post();
}

void UndoRecorder::Persist() { undo_.Persist(); }

}  // namespace cordalis
