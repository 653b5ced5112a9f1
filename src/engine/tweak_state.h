#pragma once
// Whether a tweak is in effect on this computer now, judged from its actions
// and the live Registry the way DO IT would carry them out, and whether
// Cordalis applied it and something changed its values since. Reading only:
// a key that cannot be read makes its action "cannot tell", never an error.
#include <cstdint>
#include <string>
#include <vector>

#include "db/records.h"

namespace cordalis {

class ClientDataSet;
class RegistryApi;
struct HostFacts;

enum class ActionState {
  InPlace,      // the Registry already is as the action asks
  NotInPlace,   // DO IT would change something
  NoState,      // a view action, or one for another platform
  CannotTell,   // its key cannot be read, its root or variable is unknown
  Ticked,       // a toggle whose value holds its "ticked" data
  Unticked,     // a toggle in any other state
  CurrentData,  // data from a control: currentData holds what is there now
};

struct ActionStateResult {
  ActionState state = ActionState::NoState;
  std::string currentData;  // CurrentData only; empty when the value is absent
  bool holdsValue = false;  // CurrentData only: the value is there
};

enum class TweakVerdict {
  InEffect,     // every action that has a state is in place
  Partly,       // some are
  NotInEffect,  // none is
  SetByYou,     // an action whose data comes from a control holds a value
  NoState,      // nothing to judge (view actions only, or none for this platform)
};

struct TweakState {
  TweakVerdict verdict = TweakVerdict::NoState;
  int inPlace = 0;   // actions in place (a ticked toggle counts as in place)
  int stateful = 0;  // actions with a verdict of their own
  bool applied = false;   // the tweak has undo data
  std::string appliedOn;  // the date DO IT recorded, "YYYY-MM-DD"; empty when not known
  bool changedSince = false;  // a value DO IT wrote holds other data now
  int cannotTell = 0;  // actions whose key could not be read (not in stateful)
  friend bool operator==(const TweakState&, const TweakState&) = default;
};

// What the evaluation reads: the action and undo tables (read by key, no
// cursor moves), the Registry, and the platform.
struct StateInputs {
  const ClientDataSet& actions;
  const ClientDataSet& undo;
  RegistryApi& registry;
  const HostFacts& facts;
  std::uint16_t currentMask = 0;
};

// One action on this platform (an action for another platform has no state).
ActionStateResult EvaluateAction(RegistryApi& registry, const HostFacts& facts, std::uint16_t currentMask,
                                 const ActionRecord& action);

TweakState EvaluateTweak(const StateInputs& in, std::int32_t twkId);

// Many tweaks at once, in the order given; each Registry variable is looked
// up once for the whole run.
std::vector<TweakState> EvaluateTweaks(const StateInputs& in, const std::vector<std::int32_t>& twkIds);

// The description's line for the state, such as "State: In effect"; empty
// for a tweak with nothing to judge, nothing unreadable and no undo data.
std::string StateLine(const TweakState& state);

}  // namespace cordalis
