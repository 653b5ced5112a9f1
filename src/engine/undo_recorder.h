#pragma once
// Undo actions of one DO IT run. Every Registry change is preceded by
// Persist(), so the actions that describe it are on disk before it happens.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace cordalis {

class ClientDataSet;

// A failure of the engine itself (as opposed to the Registry layer's).
class EngineError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Marks an undo action whose Data is the hex text of the value's exact bytes,
// for types whose text form would lose something.
inline constexpr const char* kExactBytesMark = "hex";

// How a value's data is kept in an undo action so that Undo restores it exactly.
struct CapturedData {
  int dataType = 0;     // the value's Registry type
  std::string data;     // text form, or hex text
  std::string special;  // kExactBytesMark when data is the hex text of the bytes
};
CapturedData CaptureForm(std::uint32_t type, const std::vector<std::uint8_t>& bytes);

class UndoRecorder {
 public:
  // The undo table must present the tweak's rows and be writable (read-only mark cleared).
  UndoRecorder(ClientDataSet& undo, std::int32_t twkId, std::string rootCode);

  // Throws EngineError, appending nothing, when the action cannot be kept
  // whole: a text wider than its field, or a table grown past what its file
  // may hold.
  void Add(int changeType, const std::string& key, const std::string& value, int dataType, const std::string& data,
           const std::string& special = "");
  // The bytes the same action would add to the undo table's file.
  std::size_t RowBytes(int changeType, const std::string& key, const std::string& value, int dataType,
                       const std::string& data, const std::string& special = "") const;
  void Persist();

 private:
  template <class Put>
  void PutFields(Put&& put, int changeType, const std::string& key, const std::string& value, int dataType,
                 const std::string& data, const std::string& special) const;

  ClientDataSet& undo_;
  std::int32_t twkId_;
  std::string rootCode_;
  mutable std::vector<std::size_t> columns_;  // each field PutFields sets, by its place in the table
};

// Why DO IT refuses a tweak whose undo actions the undo table could not hold.
inline constexpr const char* kUndoTableFullMessage =
    "Cordalis cannot apply this tweak: recording its undo actions would make the stored undo actions (undo.xml) "
    "larger than Cordalis can store.\r\n\r\nNothing was changed. To make room, delete the undo data of tweaks you "
    "no longer need to undo (Delete Undo data), then try again.";

// Removes one leading "\": undo actions name keys below their root without it.
std::string WithoutLeadingBackslash(const std::string& path);

}  // namespace cordalis
