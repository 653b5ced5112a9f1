#include "app/load_summary.h"

#include "db/dm1.h"
#include "host/format.h"

namespace cordalis {

std::string LoadSummary(Tdm1& dm) {
  if (dm.LoadStatus() != lsLoaded) return Format("Load status %d", {std::int64_t{dm.LoadStatus()}});
  return Format("Load status 0: %d tweaks, %d actions, %d undo actions, %d notes.",
                {std::int64_t(dm.cdsTwks.Data().LiveRowCount()), std::int64_t(dm.cdsData.Data().LiveRowCount()),
                 std::int64_t(dm.cdsUndo.Data().LiveRowCount()), std::int64_t(dm.cdsNote.Data().LiveRowCount())});
}

}  // namespace cordalis
