#pragma once
// Find: the remembered text, dialog position and options, and the search step
// that moves from tweak to tweak in tree order until one tweak's searched text
// holds a match. There is no wrap-around.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace cordalis {

class TextSearch;
class TreeOrder;
class Tdm1;

struct FindOptions {
  bool down = true;  // the dialog opens with Down set
  bool matchCase = false;
  bool wholeWord = false;
  friend bool operator==(const FindOptions&, const FindOptions&) = default;
};

// Kept for the whole run; the text and position come from and go to the settings.
struct FindState {
  std::string findText;
  int dialogX = 10;
  int dialogY = 10;
  FindOptions options;  // as last set in the dialog, even after it closed
};

// The searched text of a tweak; nothing when its number is not in the table.
using TweakTextLookup = std::function<std::optional<std::string>(std::int32_t twkId)>;
// Reads the tweak and note tables by key, moving no cursor.
TweakTextLookup TableTextLookup(const Tdm1& dm);

struct FindSources {
  const TreeOrder& tree;
  const TweakTextLookup& lookup;
  TextSearch& search;
};

struct FindResult {
  bool found = false;
  int nodeIndex = -1;   // the tree node to select
  int matchStart = 0;   // in the searched text, which is the pane's opening
  int matchLength = 0;  // the find text's length
  std::string message;  // when nothing was found
};

// acFindNextUpdate
bool FindNextEnabled(const FindState& state, bool mainWindowEnabled);
// The search step of acFindNextExecute, with the remembered text and options.
FindResult FindNextStep(const FindState& state, const FindSources& sources);
// FindDialog1Find: the dialog's options are kept; a non-empty text becomes the
// find text and the step runs. Nothing happens for an empty text.
std::optional<FindResult> FindFromDialog(FindState& state, const std::string& dialogText, FindOptions dialogOptions,
                                         const FindSources& sources);

std::string NotFoundMessage(const std::string& findText);

}  // namespace cordalis
