#pragma once
// Drift: a value that DO IT wrote and that holds other data now, because a
// policy, an update or another program changed it since. Undo asks before it
// puts back the recorded data over such a change.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "db/records.h"

namespace cordalis {

class ClientDataSet;
class RegistryApi;

// One value that changed since DO IT, as the drift dialog lists it.
struct DriftRow {
  std::string key;      // root code and path, such as "HKCU\Control Panel\Desktop"
  std::string value;    // the value name; empty for the default value
  std::string before;   // display text of the data before DO IT ("(absent)" when there was none)
  std::string written;  // display text of what DO IT wrote ("(deleted)" when it deleted the value)
  std::string now;      // display text of the data now ("(absent)" when the value is gone)
  // The undo rows of this value: positions among the tweak's undo rows, in stored order.
  std::vector<std::size_t> positions;
  friend bool operator==(const DriftRow&, const DriftRow&) = default;
};

enum class DriftChoice { UndoAll, KeepNewer, Cancel };

// The values of one tweak's undo rows (in stored order) that changed since
// DO IT wrote them. Rows recorded without what DO IT wrote are not checked;
// a key that cannot be read counts as unchanged.
std::vector<DriftRow> FindDrift(RegistryApi& registry, const std::vector<UndoRecord>& rows);

// Every tweak with undo data one of whose values changed since DO IT, in the
// order they were applied.
std::vector<std::int32_t> TweaksChangedSince(RegistryApi& registry, const ClientDataSet& undo);

}  // namespace cordalis
