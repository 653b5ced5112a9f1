#pragma once
// The order in which Undo replays a tweak's undo actions.
#include <cstddef>
#include <vector>

#include "db/records.h"

namespace cordalis {

// The last action recorded is replayed first, as in any undo log, so that two
// changes of one key or value leave it as it was before the first. The copy
// of a deleted key (its "Add key" action and the actions that copied the
// key's values and subkeys after it) goes as one step in that order and is
// replayed first to last inside, each key before its values and subkeys, so
// that the key comes back with its values in the order the Registry listed
// them. Returns the positions of the actions in the order of their replay.
std::vector<std::size_t> UndoReplayOrder(const std::vector<UndoRecord>& actions);

}  // namespace cordalis
