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

// What DO IT left of a value, as an undo action keeps it: the type code, ":"
// and the hex text of the bytes (two digits a byte), or kWrittenAbsent when
// the value is not there. Empty in an action stands for "not recorded".
inline constexpr const char* kWrittenAbsent = "-";
std::string WrittenForm(std::uint32_t type, const std::vector<std::uint8_t>& bytes);

class UndoRecorder {
 public:
  // The undo table must present the tweak's rows and be writable (read-only
  // mark cleared). appliedOn ("YYYY-MM-DD", or empty) goes in every action.
  UndoRecorder(ClientDataSet& undo, std::int32_t twkId, std::string rootCode, std::string appliedOn = "");

  // Throws EngineError, appending nothing, when the action cannot be kept
  // whole: a text wider than its field, or a table grown past what its file
  // may hold. What DO IT writes (WrittenForm) is no part of that: one too
  // large for its field or for the table is left out, and the action then has
  // no check for later changes.
  void Add(int changeType, const std::string& key, const std::string& value, int dataType, const std::string& data,
           const std::string& special = "", const std::string& written = "");
  // Sets what DO IT wrote in the action added last, once it is written; the
  // next Persist puts it on the disk. Left out as Add leaves it out.
  void NoteWritten(const std::string& written);
  // The bytes the same action would add to the undo table's file.
  std::size_t RowBytes(int changeType, const std::string& key, const std::string& value, int dataType,
                       const std::string& data, const std::string& special = "") const;
  void Persist();

 private:
  template <class Put>
  void PutFields(Put&& put, int changeType, const std::string& key, const std::string& value, int dataType,
                 const std::string& data, const std::string& special) const;
  bool WrittenFits(const std::string& written) const;

  ClientDataSet& undo_;
  std::int32_t twkId_;
  std::string rootCode_;
  std::string appliedOn_;
  bool added_ = false;  // the table's current row is the action added last
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
