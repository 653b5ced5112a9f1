#pragma once
// DO IT: the command states, the permission check, the action loop that
// resolves each action's data and carries it out, and the result summary.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "db/records.h"
#include "engine/control_pane.h"

namespace cordalis {

class MessageBoxes;
class RegistryApi;
class Tdm1;
struct HostFacts;

struct CommandStates {
  bool apply = false;
  bool undo = false;
  bool note = false;
  bool deleteUndo = false;
  bool hide = false;
  int needsDataMark = 0;  // 1 while a required control is empty
};

// The command-state update: runs whenever the program is idle, so it only looks
// at the selection and the pane (and scans the pane only when it matters).
CommandStates UpdateCommandStates(bool tweakSelected, bool viewOnly, bool hasUndoData, const ControlPane& pane,
                                  int needsDataMark);

struct ApplyCounts {
  int total = 0;        // actions that apply to this platform
  int unnecessary = 0;  // outcome bit 4
  int changed = 0;      // outcome bit 1
  int undoStored = 0;   // changed, and a toggle or with undo stored
};

std::string ResultSummary(const ApplyCounts& counts);

// The roots a tweak needs that the user may not change: the permission check
// DO IT makes before it changes anything, and its message naming them.
inline int MissingRoots(int referencedRoots, int writableRoots) { return referencedRoots & ~writableRoots; }
std::string PermissionMessage(int missingRoots);

// How DO IT reads an action, shared with whatever judges the action without
// carrying it out. The letter by which DO IT asks the pane for the control of
// a kind; 0 for a kind whose data is the action's own.
char ControlLetter(int kind);
// The Registry variable a variable source names (LookUpVariable, or a cache of it).
using VariableLookUp = std::function<std::string(std::string_view source)>;
// The key of an action with any Registry variable it asks for in place; none
// when the variable is not found.
std::optional<std::string> ResolvedKey(const ActionRecord& action, const VariableLookUp& lookUp);
// The data of an action that does not come from a control, as DO IT writes
// it: a variable's data without its source, directory placeholders expanded.
std::string FixedData(const ActionRecord& action, const HostFacts& facts);

// Today's date as undo actions keep it, "YYYY-MM-DD", by the local clock.
std::string TodayText();

struct ApplyInputs {
  Tdm1& dm;
  RegistryApi& registry;
  MessageBoxes& boxes;
  const HostFacts& facts;
  const ControlPane& pane;
  std::uint16_t currentMask = 0;
  int writableRoots = 0;
  int referencedRoots = 0;
  bool viewOnly = false;
  std::string appliedOn = TodayText();  // kept with each undo action
};

// The apply engine on the selected tweak. Nothing when it did nothing: view-only
// mode, no tweak, or roots the user may not change (told in a message).
std::optional<ApplyCounts> ApplyTweak(const ApplyInputs& in, std::optional<std::int32_t> selectedTweak);

// The DO IT command: refuses while data is missing; otherwise applies the tweak,
// runs the selection handling again and shows the result summary.
void DoItCommand(const ApplyInputs& in, int needsDataMark, std::optional<std::int32_t> selectedTweak,
                 const std::function<void()>& refreshSelection);

inline constexpr const char* kNeedsDataMessage =
    "Cordalis needs you to supply some data before it can make the changes specified by this tweak. Please check "
    "the Controls pane.";

}  // namespace cordalis
