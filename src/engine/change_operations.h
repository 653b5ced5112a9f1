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
  void Record(std::size_t* measured, int changeType, const std::string& key, const std::string& value, int dataType,
              const std::string& data, const std::string& special = "");
  void RecordAndCreateKey(TSuperReg2& reg, const std::string& key);
  void CaptureValue(TSuperReg2& reg, const std::string& name, std::size_t* measured = nullptr);
  void CaptureSubtree(TSuperReg2& reg, const std::string& path, std::size_t* measured = nullptr);

  RegistryApi& registry_;
  UndoRecorder& undo_;
  MessageBoxes& boxes_;
  HKey root_;
};

}  // namespace cordalis
