#include "engine/undo_commands.h"

#include <map>
#include <stdexcept>
#include <utility>
#include <vector>

#include "db/dm1.h"
#include "db/schema.h"
#include "db/writable_table.h"
#include "db/record_codes.h"
#include "engine/control_pane.h"
#include "engine/undo_recorder.h"
#include "engine/undo_replay_order.h"
#include "host/int_text.h"
#include "host/message_boxes.h"
#include "host/registry.h"
#include "host/roots.h"
#include "host/text.h"

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

// Hex text that holds more bytes than its length allows cannot be written:
// found before anything changes, and said in words.
std::string HexProblem(const std::string& hex) {
  std::vector<std::uint8_t> bytes(HexTextByteCount(hex), 0);
  try {
    TSuperReg2::StringToByteArray(hex, bytes.data(), bytes.size());
    return {};
  } catch (const std::runtime_error&) {
    return "its hex data holds more bytes than its " + std::to_string(hex.size()) + " characters allow";
  }
}

// Replays the action; returns what kept it from being replayed, or nothing.
// An action Undo cannot read stays too: it may be all that is left of a change.
std::string ReplayProblem(RegistryApi& registry, const UndoRecord& action) {
  const HKey root = RootFromCode(action.root);
  if (!root) return "its root code \"" + action.root + "\" names no root of the Registry";
  if (action.changeType < ctAddKey || action.changeType > ctDeleteValue)
    return "its change type " + std::to_string(action.changeType) + " is not one Undo knows";
  if (action.changeType == ctChangeValue && (action.special == kExactBytesMark || action.dataType == dtBinary))
    if (std::string problem = HexProblem(action.data); !problem.empty()) return problem;
  try {
    ReplayUndoAction(registry, root, action);
    return {};
  } catch (const std::exception& error) {
    return error.what();
  }
}

std::string ParentOf(const std::string& path) {
  const std::size_t slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// Flushes the hive that holds the key, or the nearest key above it that
// exists (the root's when none does); false when Windows cannot.
bool FlushHiveOf(RegistryApi& registry, HKey root, std::string path) {
  TSuperReg2 reg(registry);
  reg.SetRootKey(root);
  while (!path.empty() && !reg.OpenKeyReadOnly("\\" + path)) path = ParentOf(path);
  return reg.Flush();
}

// Windows writes Registry changes to the disk seconds after they are made,
// while the undo actions leave Undo.xml for good: a power cut in between
// would keep the tweak and lose what undoes it. So the keys the replays
// changed go to the disk first, each once; an action whose change cannot be
// put there stays.
void FlushReplayed(RegistryApi& registry, const std::vector<UndoRecord>& actions, const std::vector<bool>& kept,
                   std::vector<std::string>& problems) {
  std::map<std::pair<HKey, std::string>, bool> flushed;
  for (std::size_t i = 0; i < actions.size(); ++i) {
    if (kept[i] || !problems[i].empty()) continue;
    const UndoRecord& action = actions[i];
    const std::string key = WithoutLeadingBackslash(action.key);
    const HKey root = RootFromCode(action.root);
    auto [at, first] = flushed.try_emplace({root, action.changeType == ctDeleteKey ? ParentOf(key) : key}, false);
    if (first) at->second = FlushHiveOf(registry, root, at->first.second);
    if (!at->second) problems[i] = "Windows could not write the change to the disk";
  }
}

// Removes the actions that were replayed; the table presents the tweak's rows.
void RemoveReplayed(ClientDataSet& undo, const std::vector<bool>& kept, const std::vector<std::string>& problems) {
  WritableTable writing(undo);
  undo.First();
  for (std::size_t i = 0; i < problems.size(); ++i) {
    if (!kept[i] && problems[i].empty()) {
      undo.Delete();  // the next row becomes the current one
    } else {
      undo.Next();
    }
  }
  writing.Finish();
}

std::string KeptActionLine(const UndoRecord& action, const std::string& problem) {
  std::string where = action.root + "\\" + action.key;
  if (action.changeType == ctChangeValue || action.changeType == ctDeleteValue)
    where += action.value.empty() ? ", the default value" : ", value \"" + action.value + "\"";
  return where + ": " + problem;
}

std::string KeptActionsMessage(const std::string& title, const std::vector<std::string>& lines) {
  constexpr std::size_t kListed = 10;
  std::string text = "Cordalis could not undo every change of the tweak \"" + title +
                     "\". The other changes were undone; these stay in its Undo data:\r\n";
  for (std::size_t i = 0; i < lines.size() && i < kListed; ++i) text += "\r\n" + lines[i];
  if (lines.size() > kListed) text += "\r\n... and " + std::to_string(lines.size() - kListed) + " more.";
  return text + "\r\n\r\nClick Undo again once the cause is put right, or remove them with Delete Undo data.";
}

bool IsSameOrBelow(const std::string& path, const std::string& key) {
  const std::string p = ToLowerAscii(WithoutLeadingBackslash(path)), k = ToLowerAscii(WithoutLeadingBackslash(key));
  return p.size() >= k.size() && p.compare(0, k.size(), k) == 0 && (p.size() == k.size() || p[k.size()] == '\\');
}

// The actions "Keep newer changes" leaves in the undo data: those of each
// value changed since, and the removal of any key DO IT made that holds one,
// which would take the newer value with it.
std::vector<bool> KeptForNewerChanges(const std::vector<UndoRecord>& actions, const std::vector<DriftRow>& drift) {
  std::vector<bool> kept(actions.size(), false);
  for (const DriftRow& row : drift)
    for (std::size_t i : row.positions) kept[i] = true;
  for (std::size_t i = 0; i < actions.size(); ++i) {
    if (actions[i].changeType != ctDeleteKey) continue;
    for (std::size_t j = 0; j < actions.size() && !kept[i]; ++j)
      kept[i] = kept[j] && actions[j].changeType != ctDeleteKey && actions[j].root == actions[i].root &&
                IsSameOrBelow(actions[j].key, actions[i].key);
  }
  return kept;
}

}  // namespace

// A replay that cannot be made throws, so that its action stays: removing it
// would lose the only copy of what it restores, or hide a change DO IT made
// that is still there. What a replay would remove and is gone already is no
// failure.
void ReplayUndoAction(RegistryApi& registry, HKey root, const UndoRecord& action) {
  TSuperReg2 reg(registry);
  reg.SetRootKey(root);
  switch (action.changeType) {
    case ctAddKey:
      if (!reg.OpenKey(action.key, true)) throw std::runtime_error("the key cannot be created");
      break;
    case ctChangeValue:
      if (!reg.OpenKey(action.key, true)) throw std::runtime_error("its key cannot be opened or created");
      PutBack(reg, action.value, action.dataType, action.data, action.special);
      break;
    case ctDeleteKey:
      if (!reg.DeleteKey(action.key) && reg.KeyExists(action.key))
        throw std::runtime_error("the key cannot be deleted");
      break;
    case ctDeleteValue: {
      const bool opened = reg.OpenKey(action.key, false);
      const bool deleted = opened && reg.DeleteValue(action.value);
      // A key that will not open for changing may still be read, to see the value is there.
      if (!deleted && (opened || reg.OpenKeyReadOnly(action.key)) && reg.ValueExists(action.value))
        throw std::runtime_error("the value cannot be deleted");
      break;
    }
    default: break;
  }
}

void UndoCommand(const UndoInputs& in, std::optional<std::int32_t> selectedTweak,
                 const std::function<void()>& refreshSelection) {
  if (in.viewOnly || !selectedTweak || !in.dm.LocateTweak(*selectedTweak)) return;
  ClientDataSet& undo = in.dm.cdsUndo;
  const std::vector<UndoRecord> actions = ActionsWithKey(undo, *selectedTweak);
  std::vector<bool> kept(actions.size(), false);
  if (in.askDrift) {
    if (const std::vector<DriftRow> drift = FindDrift(in.registry, actions); !drift.empty()) {
      switch (in.askDrift(drift)) {
        case DriftChoice::Cancel: return;
        case DriftChoice::UndoAll: break;
        case DriftChoice::KeepNewer: kept = KeptForNewerChanges(actions, drift); break;
      }
    }
  }
  // The removals reach the file once, at the end, after every change is made
  // and on the disk: a run cut short leaves all the actions there, and
  // replaying them again from the start ends in the same state, since each one
  // sets a key or a value whatever it was (a kept type is fixed by the first
  // write). An action that cannot be replayed stays, so that it can be seen
  // and removed with Delete Undo data; the actions after it go on.
  std::vector<std::string> problems(actions.size());
  for (std::size_t i : UndoReplayOrder(actions))
    if (!kept[i]) problems[i] = ReplayProblem(in.registry, actions[i]);
  FlushReplayed(in.registry, actions, kept, problems);
  RemoveReplayed(undo, kept, problems);
  std::vector<std::string> failed;
  for (std::size_t i = 0; i < actions.size(); ++i)
    if (!problems[i].empty()) failed.push_back(KeptActionLine(actions[i], problems[i]));
  refreshSelection();
  if (!failed.empty())
    in.boxes.Show(MsgOwner::MainWindow, MsgIcon::Error, KeptActionsMessage(ReadTweak(in.dm.cdsTwks).title, failed));
}

void DeleteUndoDataCommand(const UndoInputs& in, bool enabled, std::optional<std::int32_t> selectedTweak,
                           const std::function<void()>& refreshSelection) {
  if (!enabled || !selectedTweak || !in.dm.LocateTweak(*selectedTweak)) return;
  ClientDataSet& undo = in.dm.cdsUndo;
  int addKeys = 0, values = 0, deleteKeys = 0;
  for (const UndoRecord& action : ActionsWithKey(undo, *selectedTweak)) {
    switch (action.changeType) {
      // A copy under a root code that names no root can never be put back.
      case ctAddKey: addKeys += RootFromCode(action.root) ? 1 : 0; break;
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

std::vector<std::int32_t> TweaksWithUndoData(const ClientDataSet& undo) {
  const int column = undo.Data().FieldIndex(schema::kTwkID);
  if (column < 0) return {};
  std::map<RowId, std::int32_t> byFirstRow;  // row ids grow as rows are added
  for (RowId row : undo.AllRows()) {
    const std::int32_t twkId = undo.Data().Number(row, static_cast<std::size_t>(column));
    byFirstRow.try_emplace(undo.RowsWithKey(twkId).front(), twkId);
  }
  std::vector<std::int32_t> tweaks;
  for (const auto& [row, twkId] : byFirstRow) tweaks.push_back(twkId);
  return tweaks;
}

}  // namespace cordalis
