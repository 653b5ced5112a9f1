#include "engine/change_operations.h"

#include "db/record_codes.h"
#include "engine/undo_recorder.h"
#include "host/int_text.h"
#include "host/message_boxes.h"
#include "host/registry.h"

namespace cordalis {
namespace {

// The highest key on the path that does not exist: each step goes to the
// parent (the text before the last "\"), so the walk always ends.
std::string HighestMissingKey(TSuperReg2& reg, std::string path) {
  std::string highest;
  while (!path.empty() && !reg.KeyExists(path)) {
    highest = path;
    std::size_t slash = path.rfind('\\');
    path = slash == std::string::npos ? std::string() : path.substr(0, slash);
  }
  return highest;
}

// Opens the key the value goes in. Recording anything against a key that did
// not open would name the root instead, so that is an error at once.
void OpenOrCreate(TSuperReg2& reg, const std::string& key) {
  if (!reg.OpenKey(key, true)) throw ERegistryException("Failed to create key " + WithoutLeadingBackslash(key));
}

// A key by its full path below the root, whatever key the accessor has open.
std::string FromRoot(const std::string& path) { return "\\" + WithoutLeadingBackslash(path); }

}  // namespace

bool ValueAsAsked(RegistryApi& registry, HKey key, const std::string& value, int dataType, const std::string& data) {
  const std::optional<std::string> now = TSuperReg2::ValueTextOf(registry, key, value, dataType == dtBinary);
  return now && *now == data;
}

ChangeOperations::ChangeOperations(RegistryApi& registry, UndoRecorder& undo, MessageBoxes& boxes, HKey root)
    : registry_(registry), undo_(undo), boxes_(boxes), root_(root) {}

void ChangeOperations::RecordAndCreateKey(TSuperReg2& reg, const std::string& key) {
  if (reg.KeyExists(key)) return;
  Record(nullptr, ctDeleteKey, HighestMissingKey(reg, key), "", dtNone, "");
  undo_.Persist();
  reg.CreateKey(key);
}

int ChangeOperations::AddKey(const std::string& key) {
  TSuperReg2 reg(registry_);
  reg.SetRootKey(root_);
  if (reg.KeyExists(key)) return ocUnnecessary;
  RecordAndCreateKey(reg, key);
  return ocChanged | ocUndoStored;
}

int ChangeOperations::ChangeValue(const std::string& key, const std::string& value, int dataType,
                                  const std::string& data, ToggleState toggle) {
  TSuperReg2 reg(registry_);
  reg.SetRootKey(root_);
  bool recorded = false;  // the value's own undo action, which what is written completes
  if (toggle.isToggle) {
    // A toggle records nothing: its check box sets the value back.
    OpenOrCreate(reg, key);
    if (toggle.notTicked && !reg.ValueExists(value)) return ocUnnecessary;
    if (reg.ReadValueText(value, "") == data) return ocUnnecessary;
  } else {
    RecordAndCreateKey(reg, key);
    OpenOrCreate(reg, key);
    if (reg.ValueExists(value)) {
      if (ValueAsAsked(registry_, reg.CurrentKey(), value, dataType, data)) return ocUnnecessary;
      recorded = CaptureValue(reg, value);
    } else {
      Record(nullptr, ctDeleteValue, reg.CurrentPath(), value, dataType, "");
      recorded = true;
    }
    undo_.Persist();
  }
  if (dataType == dtBinary) {
    reg.WriteHexText(value, data);
  } else if (dataType == dtDword) {
    reg.WriteIntegerKeepType(value, IntegerText(data, 0));
  } else {
    reg.WriteTextValue(value, data);
  }
  // Read back rather than foretold: the writes keep an existing value's type.
  if (recorded) undo_.NoteWritten(ReadBackForm(reg, value));
  return ocChanged | ocUndoStored;
}

std::uint32_t ChangeOperations::LargestDataSize(TSuperReg2& reg, const std::string& path) {
  if (!reg.OpenKey(FromRoot(path), false)) return 0;
  RegKeyInfo info;
  std::uint32_t largest = reg.GetKeyInfo(info) ? info.maxValueLen : 0;
  for (const std::string& name : reg.GetKeyNames())
    largest = std::max(largest, LargestDataSize(reg, WithoutLeadingBackslash(path) + "\\" + name));
  return largest;
}

int ChangeOperations::DeleteKey(const std::string& key) {
  TSuperReg2 reg(registry_);
  reg.SetRootKey(root_);
  if (!reg.OpenKey(key, false)) return ocUnnecessary;
  if (LargestDataSize(reg, key) > kUndoSizeLimit) {
    if (boxes_.Show(MsgOwner::MainWindow, MsgIcon::Question,
                    "Too much data - undo will not be possible. Proceed anyway?") != MsgAnswer::Yes)
      return 0;
    reg.CloseKey();
    return reg.DeleteKey(FromRoot(key)) ? ocChanged : 0;
  }
  reg.OpenKey(FromRoot(key), false);
  CaptureSubtree(reg, WithoutLeadingBackslash(key));
  undo_.Persist();
  reg.CloseKey();
  return reg.DeleteKey(FromRoot(key)) ? ocChanged | ocUndoStored : ocUndoStored;
}

int ChangeOperations::DeleteValue(const std::string& key, const std::string& value) {
  TSuperReg2 reg(registry_);
  reg.SetRootKey(root_);
  if (!reg.OpenKey(key, false) || !reg.ValueExists(value)) return ocUnnecessary;
  CaptureValue(reg, value, nullptr, kWrittenAbsent);
  undo_.Persist();
  return reg.DeleteValue(value) ? ocChanged | ocUndoStored : ocUndoStored;
}

// The bound of the table's size leaves out what DO IT writes: UndoRecorder
// drops that rather than refuse a tweak for it.
void ChangeOperations::Record(std::size_t* measured, int changeType, const std::string& key, const std::string& value,
                              int dataType, const std::string& data, const std::string& special,
                              const std::string& written) {
  if (measured) {
    *measured += undo_.RowBytes(changeType, key, value, dataType, data, special);
  } else {
    undo_.Add(changeType, key, value, dataType, data, special, written);
  }
}

bool ChangeOperations::CaptureValue(TSuperReg2& reg, const std::string& name, std::size_t* measured,
                                    const std::string& written) {
  std::uint32_t type = 0;
  std::vector<std::uint8_t> bytes;
  if (registry_.QueryValue(reg.CurrentKey(), name, &type, &bytes, nullptr) != kErrorSuccess) return false;
  CapturedData captured = CaptureForm(type, bytes);
  Record(measured, ctChangeValue, reg.CurrentPath(), name, captured.dataType, captured.data, captured.special,
         written);
  return true;
}

std::string ChangeOperations::ReadBackForm(TSuperReg2& reg, const std::string& name) {
  std::uint32_t type = 0;
  std::vector<std::uint8_t> bytes;
  if (registry_.QueryValue(reg.CurrentKey(), name, &type, &bytes, nullptr) != kErrorSuccess) return {};
  return WrittenForm(type, bytes);
}

// Depth first: each key before its values, its values before its subkeys.
void ChangeOperations::CaptureSubtree(TSuperReg2& reg, const std::string& path, std::size_t* measured) {
  Record(measured, ctAddKey, path, "", dtNone, "");
  for (const std::string& name : reg.GetValueNames()) CaptureValue(reg, name, measured, kWrittenAbsent);
  for (const std::string& name : reg.GetKeyNames()) {
    const std::string child = path + "\\" + name;
    if (reg.OpenKey(FromRoot(child), false)) CaptureSubtree(reg, child, measured);
  }
}

// Each operation below records at most what is measured here for its change
// type, as long as the Registry stays as it is: a created key's path is never
// longer than the key, and a captured value is the one there now.
std::size_t ChangeOperations::UndoBytesBound(int changeType, const std::string& key, const std::string& value,
                                             int dataType, bool isToggle) {
  TSuperReg2 reg(registry_);
  reg.SetRootKey(root_);
  std::size_t bytes = 0;
  switch (changeType) {
    case ctAddKey: Record(&bytes, ctDeleteKey, key, "", dtNone, ""); break;
    case ctChangeValue:
      if (isToggle) break;
      Record(&bytes, ctDeleteKey, key, "", dtNone, "");
      if (reg.OpenKey(key, false) && reg.ValueExists(value)) {
        CaptureValue(reg, value, &bytes);
      } else {
        Record(&bytes, ctDeleteValue, key, value, dataType, "");
      }
      break;
    case ctDeleteKey:
      if (reg.OpenKey(key, false) && LargestDataSize(reg, key) <= kUndoSizeLimit && reg.OpenKey(FromRoot(key), false))
        CaptureSubtree(reg, WithoutLeadingBackslash(key), &bytes);
      break;
    case ctDeleteValue:
      if (reg.OpenKey(key, false) && reg.ValueExists(value)) CaptureValue(reg, value, &bytes);
      break;
    default: break;
  }
  return bytes;
}

}  // namespace cordalis
