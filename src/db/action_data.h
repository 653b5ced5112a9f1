#pragma once
// The pieces an action's Data holds for the control kinds that DO IT and the
// detail text read whole: a toggle's three, and a readkeyvar's variable source
// and data. One parser each, so every reader splits them alike.
#include <optional>
#include <string>
#include <string_view>

namespace cordalis {

// "caption|data when ticked|data when not ticked"; the last is everything after
// the second "|", and missing pieces are empty.
struct TogglePieces {
  std::string caption;
  std::string whenTicked;
  std::string whenNotTicked;
};
TogglePieces SplitToggle(std::string_view data);

// "variable source|data": the data is everything after the first "|".
struct VariableData {
  std::string source;
  std::string data;
};
VariableData SplitVariableData(std::string_view data);

// A variable source: the root code is its first four characters, one
// separator follows, then the key path, "\\" and the value name (empty for the
// key's default value). Nothing when there is no "\\" after the separator.
// The root code is not checked here: an invalid one yields no variable.
struct VariableSource {
  std::string rootCode;
  std::string key;
  std::string valueName;
};
std::optional<VariableSource> ParseVariableSource(std::string_view source);

}  // namespace cordalis
