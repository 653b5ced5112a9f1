#include "engine/tweak_state.h"

#include <map>
#include <optional>

#include "db/action_data.h"
#include "db/client_data_set.h"
#include "db/record_codes.h"
#include "engine/apply_engine.h"
#include "engine/change_operations.h"
#include "engine/registry_reads.h"
#include "engine/undo_drift.h"
#include "engine/undo_recorder.h"
#include "host/platform.h"
#include "host/registry.h"
#include "host/registry_api.h"
#include "host/roots.h"
#include "host/text.h"

namespace cordalis {
namespace {

enum class KeyReading { Open, Missing, Unreadable };

ActionState InPlaceWhen(bool inPlace) { return inPlace ? ActionState::InPlace : ActionState::NotInPlace; }

// The keys one tweak's actions read, each opened once (a tweak's actions
// mostly name one key), and told apart: missing, or not to be read.
class OpenKeys {
 public:
  explicit OpenKeys(RegistryApi& registry) : registry_(registry) {}
  OpenKeys(const OpenKeys&) = delete;
  OpenKeys& operator=(const OpenKeys&) = delete;
  ~OpenKeys() {
    for (const Entry& e : entries_)
      if (e.reading == KeyReading::Open) registry_.CloseKey(e.handle);
  }
  struct Entry {
    HKey root;
    std::string key;
    KeyReading reading;
    HKey handle;
  };
  const Entry& Open(HKey root, const std::string& key) {
    for (const Entry& e : entries_)
      if (e.root == root && EqualsIgnoreCase(e.key, key)) return e;
    HKey handle = 0;
    const long opened = registry_.OpenKey(root, WithoutLeadingBackslash(key), kKeyQueryValue, &handle);
    const KeyReading reading = opened == kErrorSuccess        ? KeyReading::Open
                               : opened == kErrorFileNotFound ? KeyReading::Missing
                                                              : KeyReading::Unreadable;
    entries_.push_back({root, key, reading, handle});
    return entries_.back();
  }
  RegistryApi& Registry() { return registry_; }

 private:
  RegistryApi& registry_;
  std::vector<Entry> entries_;
};

ActionStateResult Evaluate(OpenKeys& keys, const HostFacts& facts, std::uint16_t currentMask,
                           const ActionRecord& action, const VariableLookUp& lookUp) {
  if (!PlatformApplies(action.verMask, currentMask)) return {};
  const int kind = KeywordCode(action.special);
  if (action.changeType < ctAddKey || action.changeType > ctDeleteValue || kind == ckView) return {};
  const HKey root = RootFromCode(action.root);
  const char letter = ControlLetter(kind);
  const std::optional<std::string> key = letter ? std::optional<std::string>(action.key) : ResolvedKey(action, lookUp);
  if (root == 0 || !key) return {ActionState::CannotTell, {}, false};
  const OpenKeys::Entry opened = keys.Open(root, *key);
  if (opened.reading == KeyReading::Unreadable) return {ActionState::CannotTell, {}, false};
  const bool keyThere = opened.reading == KeyReading::Open;
  RegistryApi& registry = keys.Registry();
  auto read = [&](bool asHex) {
    return keyThere ? TSuperReg2::ValueTextOf(registry, opened.handle, action.value, asHex) : std::nullopt;
  };
  try {
    switch (action.changeType) {
      case ctAddKey: return {InPlaceWhen(keyThere), {}, false};
      case ctDeleteKey: return {InPlaceWhen(!keyThere), {}, false};
      case ctDeleteValue: {
        std::uint32_t type = 0, size = 0;
        const bool there = keyThere && registry.QueryValue(opened.handle, action.value, &type, nullptr, &size) ==
                                           kErrorSuccess;
        return {InPlaceWhen(!there), {}, false};
      }
      default: break;
    }
    if (kind == ckToggle) {
      const std::optional<std::string> now = read(false);
      const bool ticked = now && *now == SplitToggle(action.data).whenTicked;
      return {ticked ? ActionState::Ticked : ActionState::Unticked, {}, false};
    }
    if (letter) {
      const std::optional<std::string> now = read(action.dataType == dtBinary);
      return {ActionState::CurrentData, now.value_or(""), now.has_value()};
    }
    return {InPlaceWhen(keyThere && ValueAsAsked(registry, opened.handle, action.value, action.dataType,
                                                 FixedData(action, facts))),
            {}, false};
  } catch (const std::exception&) {
    return {ActionState::CannotTell, {}, false};  // a value that cannot be read
  }
}

// Registry variables looked up once for a whole run of evaluations.
class VariableCache {
 public:
  explicit VariableCache(RegistryApi& registry) : registry_(registry) {}
  VariableLookUp LookUp() {
    return [this](std::string_view source) {
      auto [at, first] = found_.try_emplace(std::string(source));
      if (first) at->second = LookUpVariable(registry_, source);
      return at->second;
    };
  }

 private:
  RegistryApi& registry_;
  std::map<std::string, std::string, std::less<>> found_;
};

TweakState Judge(const StateInputs& in, std::int32_t twkId, const VariableLookUp& lookUp) {
  TweakState state;
  bool userData = false;
  OpenKeys keys(in.registry);
  for (const ActionRecord& action : ActionsWithKey(in.actions, twkId)) {
    const ActionStateResult result = Evaluate(keys, in.facts, in.currentMask, action, lookUp);
    switch (result.state) {
      case ActionState::InPlace:
      case ActionState::Ticked: ++state.inPlace, ++state.stateful; break;
      case ActionState::NotInPlace:
      case ActionState::Unticked: ++state.stateful; break;
      case ActionState::CannotTell: ++state.cannotTell; break;
      case ActionState::CurrentData: userData = userData || result.holdsValue; break;
      case ActionState::NoState: break;
    }
  }
  if (state.stateful > 0 && state.cannotTell == 0 && state.inPlace == state.stateful) {
    state.verdict = TweakVerdict::InEffect;
  } else if (state.inPlace > 0) {
    state.verdict = TweakVerdict::Partly;
  } else if (userData) {
    state.verdict = TweakVerdict::SetByYou;
  } else if (state.stateful > 0) {
    state.verdict = TweakVerdict::NotInEffect;
  }
  if (in.undo.KeyCount(twkId) > 0) {
    const std::vector<UndoRecord> rows = ActionsWithKey(in.undo, twkId);
    state.applied = true;
    state.appliedOn = rows.front().appliedOn;
    state.changedSince = !FindDrift(in.registry, rows).empty();
  }
  return state;
}

std::string VerdictText(const TweakState& state) {
  switch (state.verdict) {
    case TweakVerdict::InEffect: return "In effect";
    case TweakVerdict::Partly:
      return "Partly in effect (" + std::to_string(state.inPlace) + " of " +
             std::to_string(state.stateful + state.cannotTell) + " changes)";
    case TweakVerdict::NotInEffect: return "Not in effect";
    case TweakVerdict::SetByYou: return "Set by you";
    case TweakVerdict::NoState: break;
  }
  return state.cannotTell > 0 ? "Cannot tell (a key cannot be read)" : "";
}

}  // namespace

ActionStateResult EvaluateAction(RegistryApi& registry, const HostFacts& facts, std::uint16_t currentMask,
                                 const ActionRecord& action) {
  VariableCache variables(registry);
  OpenKeys keys(registry);
  return Evaluate(keys, facts, currentMask, action, variables.LookUp());
}

TweakState EvaluateTweak(const StateInputs& in, std::int32_t twkId) {
  VariableCache variables(in.registry);
  return Judge(in, twkId, variables.LookUp());
}

std::vector<TweakState> EvaluateTweaks(const StateInputs& in, const std::vector<std::int32_t>& twkIds) {
  VariableCache variables(in.registry);
  const VariableLookUp lookUp = variables.LookUp();
  std::vector<TweakState> states;
  states.reserve(twkIds.size());
  for (std::int32_t twkId : twkIds) states.push_back(Judge(in, twkId, lookUp));
  return states;
}

// The verdict first, unless Cordalis applied the tweak: then when, and
// whether a value has been changed since, which matters more than how much of
// the tweak is still there.
std::string StateLine(const TweakState& state) {
  const std::string verdict = VerdictText(state);
  if (!state.applied) return verdict.empty() ? std::string() : "State: " + verdict;
  std::string line = "State: Applied with Cordalis";
  if (!state.appliedOn.empty()) line += " on " + state.appliedOn;
  if (state.changedSince) return line + "; a value has been changed since";
  if (verdict.empty()) return line;
  std::string lowered = verdict;
  lowered[0] = static_cast<char>(lowered[0] - 'A' + 'a');
  return line + "; " + lowered;
}

}  // namespace cordalis
