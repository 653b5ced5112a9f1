#include "app/find_model.h"

#include "app/description_text.h"
#include "app/text_search.h"
#include "db/dm1.h"
#include "db/records.h"
#include "engine/control_pane.h"
#include "host/format.h"

namespace cordalis {
namespace {

// The next tweak node after (or before) index; -1 at the end of the tree. The
// root, at 0, is never a candidate.
int NextCandidate(const TreeOrder& tree, int index, bool down) {
  if (down) {
    const int count = tree.NodeCount();
    for (++index; index < count && tree.TweakAt(index) == 0;) ++index;
    return index < count ? index : -1;
  }
  for (--index; index > 0 && tree.TweakAt(index) == 0;) --index;
  return index > 0 ? index : -1;
}

}  // namespace

TweakTextLookup TableTextLookup(const Tdm1& dm) {
  return [&dm](std::int32_t twkId) -> std::optional<std::string> {
    std::optional<TweakRecord> tweak = TweakWithKey(dm.cdsTwks, twkId);
    if (!tweak) return std::nullopt;
    return SearchedText(*tweak, NoteWithKey(dm.cdsNote, twkId));
  };
}

bool FindNextEnabled(const FindState& state, bool mainWindowEnabled) {
  return !state.findText.empty() && mainWindowEnabled;
}

FindResult FindNextStep(const FindState& state, const FindSources& sources) {
  const FindOptions& options = state.options;
  int index = sources.tree.SelectedIndex();
  if (index < 0) index = options.down ? 0 : sources.tree.NodeCount();
  while ((index = NextCandidate(sources.tree, index, options.down)) >= 0) {
    std::optional<std::string> text = sources.lookup(sources.tree.TweakAt(index));
    if (!text) continue;  // a node whose tweak is not in the table
    int at = sources.search.FindIn(*text, state.findText, SearchOptions{options.matchCase, options.wholeWord});
    if (at >= 0) return FindResult{true, index, at, static_cast<int>(state.findText.size()), {}};
  }
  return FindResult{false, -1, 0, 0, NotFoundMessage(state.findText)};
}

std::optional<FindResult> FindFromDialog(FindState& state, const std::string& dialogText, FindOptions dialogOptions,
                                         const FindSources& sources) {
  state.options = dialogOptions;
  if (dialogText.empty()) return std::nullopt;
  state.findText = dialogText;
  return FindNextStep(state, sources);
}

std::string NotFoundMessage(const std::string& findText) { return Format("\"%s\" not found.", {findText}); }

}  // namespace cordalis
