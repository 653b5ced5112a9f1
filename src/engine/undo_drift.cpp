#include "engine/undo_drift.h"

namespace cordalis {

std::vector<DriftRow> FindDrift(RegistryApi&, const std::vector<UndoRecord>&) { return {}; }
std::vector<std::int32_t> TweaksChangedSince(RegistryApi&, const ClientDataSet&) { return {}; }

}  // namespace cordalis
