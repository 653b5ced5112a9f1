#include "engine/apply_engine.h"

#include <cstdio>
#include <ctime>

#include "db/action_data.h"
#include "db/data_packet.h"
#include "db/dm1.h"
#include "db/records.h"
#include "db/writable_table.h"
#include "db/record_codes.h"
#include "engine/change_operations.h"
#include "engine/registry_reads.h"
#include "engine/undo_recorder.h"
#include "host/format.h"
#include "host/message_boxes.h"
#include "host/platform.h"
#include "host/roots.h"

namespace cordalis {

char ControlLetter(int kind) {
  switch (kind) {
    case ckDrive:
    case ckText:
    case ckTextB: return 'E';
    case ckFile:
    case ckFolder:
    case ckIcon: return 'L';
    case ckMemo: return 'M';
    case ckNum: return 'U';
    case ckToggle: return 'C';
    default: return 0;
  }
}

std::optional<std::string> ResolvedKey(const ActionRecord& action, const VariableLookUp& lookUp) {
  if (KeywordCode(action.special) != ckReadKeyVar) return action.key;
  const std::string variable = lookUp(SplitVariableData(action.data).source);
  if (variable.empty()) return std::nullopt;
  return KeyWithVariable(action.key, variable);
}

std::string FixedData(const ActionRecord& action, const HostFacts& facts) {
  switch (KeywordCode(action.special)) {
    case ckReadKeyVar: return SplitVariableData(action.data).data;
    case ckExpand: return ExpandDirectoryPlaceholders(action.data, facts.windowsDirectory, facts.systemDirectory);
    default: return action.data;
  }
}

std::string TodayText() {
  const std::time_t now = std::time(nullptr);
  const std::tm* local = std::localtime(&now);
  if (local == nullptr) return {};
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", local->tm_year + 1900, local->tm_mon + 1, local->tm_mday);
  return text;
}

namespace {

VariableLookUp LookUpIn(RegistryApi& registry) {
  return [&registry](std::string_view source) { return LookUpVariable(registry, source); };
}

// Whether the undo table can take every undo action the tweak may record,
// judged before anything changes from the table's size (kept as it changes,
// so this costs no more than the tweak's own Registry reads) and the most each
// action's operation can record from the Registry as it is now. An action that
// would capture what an earlier one of the same tweak wrote can still meet
// the limit; UndoRecorder then stops the run before that action's change.
bool UndoWouldFit(const ApplyInputs& in, const std::vector<ActionRecord>& actions, std::int32_t twkId) {
  std::size_t bytes = in.dm.cdsUndo.SavedBytes();
  for (const ActionRecord& action : actions) {
    if (!PlatformApplies(action.verMask, in.currentMask)) continue;
    const HKey root = RootFromCode(action.root);
    if (root == 0) continue;
    const std::optional<std::string> key = ResolvedKey(action, LookUpIn(in.registry));
    if (!key) continue;  // the run stops at this action, unless an earlier one makes the variable
    UndoRecorder undo(in.dm.cdsUndo, twkId, action.root);
    ChangeOperations operations(in.registry, undo, in.boxes, root);
    bytes += operations.UndoBytesBound(action.changeType, *key, action.value, action.dataType,
                                       KeywordCode(action.special) == ckToggle);
    if (bytes > kMaxPacketBytes) return false;
  }
  return true;
}

const char* Ending(int k) { return k == 1 ? "" : "s"; }
const char* Verb(int k) { return k == 1 ? "was" : "were"; }

int CarryOut(const ApplyInputs& in, const ActionRecord& action, UndoRecorder& undo, HKey root, int position,
             bool& isToggle) {
  const int kind = KeywordCode(action.special);
  std::string key = action.key;
  std::string data;
  ToggleState toggle;

  if (char letter = ControlLetter(kind)) {
    const std::string read = in.pane.ReadControl(letter, in.pane.FirstControlNumber(position));
    if (kind == ckToggle) {
      const TogglePieces pieces = SplitToggle(action.data);
      toggle.isToggle = true;
      toggle.notTicked = read != "1";
      data = toggle.notTicked ? pieces.whenNotTicked : pieces.whenTicked;
    } else {
      data = read;
    }
  } else {
    data = FixedData(action, in.facts);
    const std::optional<std::string> resolved = ResolvedKey(action, LookUpIn(in.registry));
    if (!resolved)
      throw EngineError("This action uses data drawn from specific Registry location. That data was not found.");
    key = *resolved;
  }
  isToggle = toggle.isToggle;

  ChangeOperations operations(in.registry, undo, in.boxes, root);
  switch (action.changeType) {
    case ctAddKey: return operations.AddKey(key);
    case ctChangeValue: return operations.ChangeValue(key, action.value, action.dataType, data, toggle);
    case ctDeleteKey: return operations.DeleteKey(key);
    case ctDeleteValue: return operations.DeleteValue(key, action.value);
    default: return 0;  // viewing, or a code DO IT does not know
  }
}

}  // namespace

CommandStates UpdateCommandStates(bool tweakSelected, bool viewOnly, bool hasUndoData, const ControlPane& pane,
                                  int needsDataMark) {
  CommandStates states;
  states.needsDataMark = needsDataMark;
  if (!tweakSelected || viewOnly) return states;
  states.hide = states.note = true;
  if (hasUndoData) {
    states.undo = states.deleteUndo = true;
    return states;
  }
  states.needsDataMark = 0;
  switch (pane.Completeness()) {
    case PaneCompleteness::NeedsData:
      states.needsDataMark = 1;
      states.apply = true;
      break;
    case PaneCompleteness::DisplayOnly: break;
    case PaneCompleteness::Complete: states.apply = true; break;
  }
  return states;
}

std::string ResultSummary(const ApplyCounts& c) {
  using A = std::int64_t;
  if (c.total == c.unnecessary)
    return Format("This tweak's %d action%s %s unnecessary.", {A{c.total}, Ending(c.total), Verb(c.total)});
  if (c.total == c.changed && c.total == c.undoStored)
    return Format("This tweak's %d action%s %s performed successfully.", {A{c.total}, Ending(c.total), Verb(c.total)});
  if (c.changed == 0)
    return Format("This tweak's %d action%s %s not successful.", {A{c.total}, Ending(c.total), Verb(c.total)});
  if (c.changed == c.undoStored)
    return Format("Of this tweak's %d action%s, %d %s unnecessary and %d %s changed successfully.",
                  {A{c.total}, Ending(c.total), A{c.unnecessary}, Verb(c.unnecessary), A{c.changed}, Verb(c.changed)});
  return Format("Of %d action%s, %d %s unnecessary, %d %s changed successfully, and %d had undo information stored.",
                {A{c.total}, Ending(c.total), A{c.unnecessary}, Verb(c.unnecessary), A{c.changed}, Verb(c.changed),
                 A{c.undoStored}});
}

std::string PermissionMessage(int missingRoots) {
  return Format("You do not have the necessary permissions to modify some of the keys that are referenced by this "
                "tweak, specifically %s.\r\n\r\nYou will need to log on as a user with administrative privileges "
                "in order to apply this tweak.",
                {RootListText(missingRoots)});
}

std::optional<ApplyCounts> ApplyTweak(const ApplyInputs& in, std::optional<std::int32_t> selectedTweak) {
  if (in.viewOnly) return std::nullopt;
  ApplyCounts counts;
  if (!selectedTweak || !in.dm.LocateTweak(*selectedTweak)) return std::nullopt;
  if (int missing = MissingRoots(in.referencedRoots, in.writableRoots)) {
    in.boxes.Show(MsgOwner::MainWindow, MsgIcon::Error, PermissionMessage(missing));
    return std::nullopt;
  }
  const std::vector<ActionRecord> actions = ActionsWithKey(in.dm.cdsData, *selectedTweak);
  if (!UndoWouldFit(in, actions, *selectedTweak)) {
    in.boxes.Show(MsgOwner::MainWindow, MsgIcon::Error, kUndoTableFullMessage);
    return std::nullopt;
  }
  WritableTable writing(in.dm.cdsUndo);
  for (int position = 0; position < static_cast<int>(actions.size()); ++position) {
    const ActionRecord& action = actions[static_cast<std::size_t>(position)];
    if (!PlatformApplies(action.verMask, in.currentMask)) continue;
    ++counts.total;
    const HKey root = RootFromCode(action.root);
    if (root == 0) continue;
    UndoRecorder undo(in.dm.cdsUndo, *selectedTweak, action.root, in.appliedOn);
    bool isToggle = false;
    const int outcome = CarryOut(in, action, undo, root, position, isToggle);
    if (outcome & ocUnnecessary) ++counts.unnecessary;
    if (outcome & ocChanged) {
      ++counts.changed;
      if (isToggle || (outcome & ocUndoStored)) ++counts.undoStored;
    }
  }
  writing.Finish();
  return counts;
}

void DoItCommand(const ApplyInputs& in, int needsDataMark, std::optional<std::int32_t> selectedTweak,
                 const std::function<void()>& refreshSelection) {
  if (needsDataMark == 1) {
    in.boxes.Show(MsgOwner::MainWindow, MsgIcon::Information, kNeedsDataMessage);
    return;
  }
  std::optional<ApplyCounts> counts = ApplyTweak(in, selectedTweak);
  if (!counts) return;
  refreshSelection();
  in.boxes.Show(MsgOwner::MainWindow, MsgIcon::Information, ResultSummary(*counts));
}

}  // namespace cordalis
