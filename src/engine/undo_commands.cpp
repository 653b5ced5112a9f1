#include "engine/undo_commands.h"

#include "db/dm1.h"
#include "db/writable_table.h"
#include "db/record_codes.h"
#include "engine/control_pane.h"
#include "engine/undo_recorder.h"
#include "host/int_text.h"
#include "host/message_boxes.h"
#include "host/registry.h"
#include "host/roots.h"

namespace cordalis {
namespace {

void PutBack(TSuperReg2& reg, const std::string& value, int dataType, const std::string& data,
             const std::string& special) {
  if (special == kExactBytesMark) {
    std::vector<std::uint8_t> bytes(HexTextByteCount(data), 0);
    TSuperReg2::StringToByteArray(data, bytes.data(), bytes.size());
    reg.WriteExactData(value, static_cast<std::uint32_t>(dataType), bytes);
  } else if (dataType == dtBinary) {
    reg.WriteHexText(value, data);
  } else if (dataType == dtDword) {
    reg.WriteInteger(value, IntegerText(data, 0));
  } else if (dataType == dtString) {
    reg.WriteString(value, data);
  } else if (dataType == dtExpand) {
    reg.WriteExpandString(value, data);
  } else if (dataType == 5) {
    reg.WriteIntegerKeepType(value, IntegerText(data, 0));
  } else {
    reg.WriteTextKeepType(value, data);  // undo actions recorded as text by earlier versions
  }
}

}  // namespace

void ReplayUndoAction(RegistryApi& registry, HKey root, const UndoRecord& action) {
  TSuperReg2 reg(registry);
  reg.SetRootKey(root);
  switch (action.changeType) {
    case ctAddKey: reg.OpenKey(action.key, true); break;
    case ctChangeValue:
      if (reg.OpenKey(action.key, true)) PutBack(reg, action.value, action.dataType, action.data, action.special);
      break;
    case ctDeleteKey: reg.DeleteKey(action.key); break;
    case ctDeleteValue:
      if (reg.OpenKey(action.key, false)) reg.DeleteValue(action.value);
      break;
    default: break;
  }
}

void UndoCommand(const UndoInputs& in, std::optional<std::int32_t> selectedTweak,
                 const std::function<void()>& refreshSelection) {
  if (in.viewOnly || !selectedTweak || !in.dm.LocateTweak(*selectedTweak)) return;
  ClientDataSet& undo = in.dm.cdsUndo;
  WritableTable writing(undo);
  // Replaying the whole list again is harmless, so removals are saved once at
  // the end: a run cut short is simply undone again from the start.
  while (!undo.IsEmpty()) {
    undo.First();
    const UndoRecord action = ReadAction(undo);
    if (HKey root = RootFromCode(action.root)) ReplayUndoAction(in.registry, root, action);
    undo.Delete();
  }
  writing.Finish();
  refreshSelection();
}

void DeleteUndoDataCommand(const UndoInputs& in, bool enabled, std::optional<std::int32_t> selectedTweak,
                           const std::function<void()>& refreshSelection) {
  if (!enabled || !selectedTweak || !in.dm.LocateTweak(*selectedTweak)) return;
  ClientDataSet& undo = in.dm.cdsUndo;
  int addKeys = 0, values = 0, deleteKeys = 0;
  for (const UndoRecord& action : ActionsWithKey(undo, *selectedTweak)) {
    switch (action.changeType) {
      case ctAddKey: ++addKeys; break;
      case ctChangeValue:
      case ctDeleteValue: ++values; break;
      case ctDeleteKey: ++deleteKeys; break;
      default: break;
    }
  }
  if (addKeys > 0) {
    in.boxes.Show(MsgOwner::MainWindow, MsgIcon::Error,
                  "This tweak involved the deletion of a Registry key. If you were to delete the Undo information, it "
                  "would become impossible to restore that key and its subkeys and values. Cordalis cannot permit "
                  "this - it is too dangerous.");
    return;
  }
  const char* phrase = values == 0 && deleteKeys == 0 ? "restore settings this tweak changed"
                       : values == 0                  ? "delete one or more keys this tweak added"
                       : deleteKeys == 0 ? "restore original data for one or more values this tweak changed"
                                         : "delete one or more keys this tweak added and restore original data for "
                                           "one or more values this tweak changed";
  const std::string question = std::string("If you delete Undo information for this tweak, you will no longer be "
                                           "able to click Undo and ") +
                               phrase + ". Please review the Undo detail to be sure you wish to " +
                               "proceed.\r\n\r\nProceed anyway?";
  if (in.boxes.Show(MsgOwner::MainWindow, MsgIcon::Question, question) != MsgAnswer::Yes) return;
  WritableTable writing(undo);
  while (!undo.IsEmpty()) {
    undo.First();
    undo.Delete();
  }
  writing.Finish();
  refreshSelection();
}

void FindTweakWithUndoCommand(Tdm1& dm, MessageBoxes& boxes, TreeOrder& tree) {
  const int count = tree.NodeCount();
  for (int index = std::max(tree.SelectedIndex(), 0) + 1; index < count; ++index) {
    const std::int32_t twkId = tree.TweakAt(index);
    if (twkId == 0 || dm.cdsTwks.KeyCount(twkId) == 0 || dm.cdsUndo.KeyCount(twkId) == 0) continue;
    tree.Select(index);
    return;
  }
  boxes.Show(MsgOwner::MainWindow, MsgIcon::Information, "There are no more tweaks that have Undo data stored.");
}

}  // namespace cordalis
