#pragma once
// Undo, Delete Undo data and Find tweak with Undo.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "db/records.h"
#include "engine/undo_drift.h"
#include "host/registry_api.h"

namespace cordalis {

class ClientDataSet;
class MessageBoxes;
class Tdm1;
class TreeOrder;

// Replays one undo action against the Registry, under the root of its root
// code. A "Change value" action puts back the value's recorded data with its
// recorded type, whatever became of the value since.
void ReplayUndoAction(RegistryApi& registry, HKey root, const UndoRecord& action);

struct UndoInputs {
  Tdm1& dm;
  RegistryApi& registry;
  MessageBoxes& boxes;
  bool viewOnly = false;
  // Asked, with every value changed since DO IT, before Undo puts anything
  // back over such a change; empty puts everything back.
  std::function<DriftChoice(const std::vector<DriftRow>&)> askDrift = nullptr;
};

// Before anything changes, asks askDrift (when given) about each value
// changed since DO IT: Cancel changes nothing, KeepNewer leaves those values
// and their undo actions as they are. Then replays the selected tweak's undo actions, the last recorded first (the
// copy of a deleted key as one, in its own order: UndoReplayOrder), puts the
// keys they changed on the disk and then removes the actions from the table
// and its file; then runs the selection handling again. An action that cannot
// be replayed (one whose root or change type Undo does not know, hex text that
// holds more bytes than its length allows, a write the Registry refuses)
// stays in the table, the others go on, and one error box names the tweak and
// each action that stayed.
void UndoCommand(const UndoInputs& in, std::optional<std::int32_t> selectedTweak,
                 const std::function<void()>& refreshSelection);

// Removes the selected tweak's undo actions after a warning, never when the
// tweak deleted a key (the recorded copy is the only one left).
void DeleteUndoDataCommand(const UndoInputs& in, bool enabled, std::optional<std::int32_t> selectedTweak,
                           const std::function<void()>& refreshSelection);

// Selects the next tweak in tree order that has undo data.
void FindTweakWithUndoCommand(Tdm1& dm, MessageBoxes& boxes, TreeOrder& tree);

// Every tweak that has undo data, in the order they were applied: by the
// first undo action each one recorded.
std::vector<std::int32_t> TweaksWithUndoData(const ClientDataSet& undo);

}  // namespace cordalis
