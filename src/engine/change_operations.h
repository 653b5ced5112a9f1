#pragma once
// The four operations DO IT carries actions out with. Each records, before it
// changes anything, what it is about to create or destroy, and returns an outcome.
#include <cstddef>
#include <cstdint>
#include <string>

#include "host/registry_api.h"

namespace cordalis {

class MessageBoxes;
class TSuperReg2;
class UndoRecorder;

enum Outcome : int {
  ocChanged = 1,      // the Registry is now as the action asks, by this operation's change
  ocUndoStored = 2,   // undo information stored
  ocUnnecessary = 4,  // the Registry already was as the action asks
};

struct ToggleState {
  bool isToggle = false;
  bool notTicked = false;
};

// Deleting a key whose values hold more than this many bytes asks first.
inline constexpr std::uint32_t kUndoSizeLimit = 255;

// Whether the value (in a key open for reading) already holds the data of a
// "Change value" action, as DO IT compares it: hex text for binary data, the
// text form otherwise. DO IT then leaves it alone.
bool ValueAsAsked(RegistryApi& registry, HKey key, const std::string& value, int dataType, const std::string& data);

class ChangeOperations {
 public:
  ChangeOperations(RegistryApi& registry, UndoRecorder& undo, MessageBoxes& boxes, HKey root);

  int AddKey(const std::string& key);
  int ChangeValue(const std::string& key, const std::string& value, int dataType, const std::string& data,
                  ToggleState toggle);
  int DeleteKey(const std::string& key);
  int DeleteValue(const std::string& key, const std::string& value);

  // The most bytes the operation of this change type can add to the undo
  // table, judged from the Registry as it is now; reads only, changes nothing.
  std::size_t UndoBytesBound(int changeType, const std::string& key, const std::string& value, int dataType,
                             bool isToggle);

  // The largest value data size in the key and every key below it.
  std::uint32_t LargestDataSize(TSuperReg2& reg, const std::string& path);

 private:
  // An undo action goes to the undo table, or, given measured, is only counted there.
  // written is what DO IT leaves of the value (WrittenForm), when it is known
  // before the change: a value it deletes.
  void Record(std::size_t* measured, int changeType, const std::string& key, const std::string& value, int dataType,
              const std::string& data, const std::string& special = "", const std::string& written = "");
  void RecordAndCreateKey(TSuperReg2& reg, const std::string& key);
  // False when the value could not be read, and nothing was recorded.
  bool CaptureValue(TSuperReg2& reg, const std::string& name, std::size_t* measured = nullptr,
                    const std::string& written = "");
  void CaptureSubtree(TSuperReg2& reg, const std::string& path, std::size_t* measured = nullptr);
  // What the value holds now, as WrittenForm gives it; empty when it cannot be read.
  std::string ReadBackForm(TSuperReg2& reg, const std::string& name);

  RegistryApi& registry_;
  UndoRecorder& undo_;
  MessageBoxes& boxes_;
  HKey root_;
};

}  // namespace cordalis
