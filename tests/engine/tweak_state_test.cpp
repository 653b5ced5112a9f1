#include "engine/tweak_state.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "support/engine_world.h"

namespace cordalis {
namespace {

using testing::ActionRow;
using testing::EngineWorld;
using testing::RegistryKind;
using testing::Tweaks;

// The Registry with one key (below the sandbox) that the account may not read,
// as Windows answers for a key whose permissions deny it.
class UnreadableKey final : public RegistryApi {
 public:
  UnreadableKey(RegistryApi& inner, std::string denied) : inner_(inner), denied_(ToLowerAscii(denied)) {}
  long OpenKey(HKey parent, const std::string& subKey, std::uint32_t access, HKey* result) override {
    if (ToLowerAscii(subKey).find(denied_) != std::string::npos) return kErrorAccessDenied;
    return inner_.OpenKey(parent, subKey, access, result);
  }
  long CreateKey(HKey parent, const std::string& subKey, std::uint32_t access, HKey* result, bool* created) override {
    if (ToLowerAscii(subKey).find(denied_) != std::string::npos) return kErrorAccessDenied;
    return inner_.CreateKey(parent, subKey, access, result, created);
  }
  long QueryValue(HKey key, const std::string& name, std::uint32_t* type, std::vector<std::uint8_t>* data,
                  std::uint32_t* size) override {
    return inner_.QueryValue(key, name, type, data, size);
  }
  long SetValue(HKey key, const std::string& name, std::uint32_t type, const std::uint8_t* data,
                std::uint32_t size) override {
    return inner_.SetValue(key, name, type, data, size);
  }
  long DeleteValue(HKey key, const std::string& name) override { return inner_.DeleteValue(key, name); }
  long DeleteKey(HKey parent, const std::string& subKey) override { return inner_.DeleteKey(parent, subKey); }
  long EnumKey(HKey key, std::uint32_t index, std::string* name) override { return inner_.EnumKey(key, index, name); }
  long EnumValue(HKey key, std::uint32_t index, std::string* name) override {
    return inner_.EnumValue(key, index, name);
  }
  long QueryInfoKey(HKey key, RegKeyInfo* info) override { return inner_.QueryInfoKey(key, info); }
  long CloseKey(HKey key) override { return inner_.CloseKey(key); }
  long FlushKey(HKey key) override { return inner_.FlushKey(key); }

 private:
  RegistryApi& inner_;
  std::string denied_;
};

struct ActionCase {
  const char* what;
  ActionRow action;
  std::function<void(EngineWorld&)> setUp;
  ActionState state;
  std::string currentData = "";
};

ActionRecord RecordOf(EngineWorld& world, const ActionRow& row) {
  return {1, row.root, world.Place(row.key), row.value, row.dataType, row.changeType, row.special,
          world.Place(row.data), static_cast<std::uint16_t>(row.verMask), "", ""};
}

void Nothing(EngineWorld&) {}

TEST(TweakState, EachActionIsJudgedAsDoItWouldCarryItOut) {
  const ActionCase cases[] = {
      {"a key to add that is missing", {"HKCU", "{S}\\A", "", 0, 0}, Nothing, ActionState::NotInPlace},
      {"a key to add that exists", {"HKCU", "{S}\\A", "", 0, 0}, [](EngineWorld& w) { w.MakeKey("A"); },
       ActionState::InPlace},
      {"a key to delete that exists", {"HKCU", "{S}\\A", "", 0, 2}, [](EngineWorld& w) { w.MakeKey("A"); },
       ActionState::NotInPlace},
      {"a key to delete that is gone", {"HKCU", "{S}\\A", "", 0, 2}, Nothing, ActionState::InPlace},
      {"a value to delete that is there", {"HKCU", "{S}\\A", "v", 0, 3},
       [](EngineWorld& w) { w.PutText("A", "v", "x"); }, ActionState::NotInPlace},
      {"a value to delete that is gone", {"HKCU", "{S}\\A", "v", 0, 3}, [](EngineWorld& w) { w.MakeKey("A"); },
       ActionState::InPlace},
      {"a value to delete in a missing key", {"HKCU", "{S}\\A", "v", 0, 3}, Nothing, ActionState::InPlace},
      {"a string that holds the data", {"HKCU", "{S}\\A", "v", 1, 1, "", "on"},
       [](EngineWorld& w) { w.PutText("A", "v", "on"); }, ActionState::InPlace},
      {"a string that holds other data", {"HKCU", "{S}\\A", "v", 1, 1, "", "on"},
       [](EngineWorld& w) { w.PutText("A", "v", "off"); }, ActionState::NotInPlace},
      {"a string that is missing", {"HKCU", "{S}\\A", "v", 1, 1, "", "on"}, Nothing, ActionState::NotInPlace},
      {"a DWORD that holds the number", {"HKCU", "{S}\\A", "d", 4, 1, "", "7"},
       [](EngineWorld& w) { w.Put("A", "d", kRegDword, {7, 0, 0, 0}); }, ActionState::InPlace},
      {"a DWORD that holds another", {"HKCU", "{S}\\A", "d", 4, 1, "", "7"},
       [](EngineWorld& w) { w.Put("A", "d", kRegDword, {8, 0, 0, 0}); }, ActionState::NotInPlace},
      {"binary data that is there", {"HKCU", "{S}\\A", "b", 3, 1, "", "01 02"},
       [](EngineWorld& w) { w.Put("A", "b", kRegBinary, {1, 2}); }, ActionState::InPlace},
      {"binary data of other bytes", {"HKCU", "{S}\\A", "b", 3, 1, "", "01 02"},
       [](EngineWorld& w) { w.Put("A", "b", kRegBinary, {1, 3}); }, ActionState::NotInPlace},
      {"a directory placeholder, expanded", {"HKCU", "{S}\\A", "p", 1, 1, "expand", "%windir%\\x"},
       [](EngineWorld& w) { w.PutText("A", "p", "C:\\WINDOWS\\x"); }, ActionState::InPlace},
      {"a Registry variable found", {"HKCU", "{S}\\\\\\T", "v", 1, 1, "readkeyvar", "HKCU\\{S}\\Src\\\\name|on"},
       [](EngineWorld& w) {
         w.PutText("Src", "name", "Target");
         w.PutText("Target\\T", "v", "on");
       },
       ActionState::InPlace},
      {"a Registry variable not found", {"HKCU", "{S}\\\\\\T", "v", 1, 1, "readkeyvar", "HKCU\\{S}\\Src\\\\name|on"},
       Nothing, ActionState::CannotTell},
      {"a toggle ticked", {"HKCU", "{S}\\A", "t", 4, 1, "toggle", "Switch|1|0"},
       [](EngineWorld& w) { w.Put("A", "t", kRegDword, {1, 0, 0, 0}); }, ActionState::Ticked},
      {"a toggle not ticked", {"HKCU", "{S}\\A", "t", 4, 1, "toggle", "Switch|1|0"},
       [](EngineWorld& w) { w.Put("A", "t", kRegDword, {0, 0, 0, 0}); }, ActionState::Unticked},
      {"a toggle whose value is missing", {"HKCU", "{S}\\A", "t", 4, 1, "toggle", "Switch|1|0"}, Nothing,
       ActionState::Unticked},
      {"data from a control, there", {"HKCU", "{S}\\A", "n", 1, 1, "text", "Name"},
       [](EngineWorld& w) { w.PutText("A", "n", "Ann"); }, ActionState::CurrentData, "Ann"},
      {"data from a control, missing", {"HKCU", "{S}\\A", "n", 1, 1, "text", "Name"}, Nothing,
       ActionState::CurrentData, ""},
      {"a view action", {"HKCU", "{S}\\A", "v", 1, 4, "view", "Now"},
       [](EngineWorld& w) { w.PutText("A", "v", "x"); }, ActionState::NoState},
      {"an action for another platform", {"HKCU", "{S}\\A", "", 0, 0, "", "", 0x0001}, Nothing,
       ActionState::NoState},
      {"a root code that names no root", {"HKXX", "{S}\\A", "", 0, 0}, Nothing, ActionState::CannotTell},
      {"a key that cannot be read", {"HKCU", "{S}\\Locked", "v", 1, 1, "", "on"},
       [](EngineWorld& w) { w.PutText("Locked", "v", "on"); }, ActionState::CannotTell},
  };
  for (const ActionCase& c : cases) {
    EngineWorld world(Tweaks{{1, {}}});
    c.setUp(world);
    UnreadableKey registry(world.sandbox.Api(), "\\Locked");
    const ActionStateResult result = EvaluateAction(registry, world.facts, world.currentMask, RecordOf(world, c.action));
    EXPECT_EQ(result.state, c.state) << c.what;
    EXPECT_EQ(result.currentData, c.currentData) << c.what;
  }
}

struct TweakCase {
  const char* what;
  std::vector<ActionRow> actions;
  std::function<void(EngineWorld&)> setUp;
  TweakVerdict verdict;
  std::string line;
};

TEST(TweakState, ATweakIsInEffectPartlyOrNotByItsActions) {
  const ActionRow one{"HKCU", "{S}\\A", "one", 1, 1, "", "1"};
  const ActionRow two{"HKCU", "{S}\\A", "two", 1, 1, "", "2"};
  const ActionRow three{"HKCU", "{S}\\A", "three", 1, 1, "", "3"};
  // Puts the data the action of each name asks for.
  auto put = [](std::vector<const char*> names) {
    return [names](EngineWorld& w) {
      const std::map<std::string, std::string> data = {{"one", "1"}, {"two", "2"}, {"three", "3"}};
      for (const char* n : names) w.PutText("A", n, data.at(n));
    };
  };
  const TweakCase cases[] = {
      {"every change in place", {one, two, three}, put({"one", "two", "three"}), TweakVerdict::InEffect,
       "State: In effect"},
      {"two of three", {one, two, three}, put({"one", "two"}), TweakVerdict::Partly,
       "State: Partly in effect (2 of 3 changes)"},
      {"none", {one, two, three}, Nothing, TweakVerdict::NotInEffect, "State: Not in effect"},
      {"data from a control that holds a value", {{"HKCU", "{S}\\A", "n", 1, 1, "text", "Name"}},
       [](EngineWorld& w) { w.PutText("A", "n", "Ann"); }, TweakVerdict::SetByYou, "State: Set by you"},
      {"data from a control, no value", {{"HKCU", "{S}\\A", "n", 1, 1, "text", "Name"}}, Nothing,
       TweakVerdict::NoState, ""},
      {"view actions only", {{"HKCU", "{S}\\A", "v", 1, 4, "view", "Now"}}, Nothing, TweakVerdict::NoState, ""},
      {"one action for this platform, another for Windows 95",
       {{"HKCU", "{S}\\A", "one", 1, 1, "", "1", 0x0F20}, {"HKCU", "{S}\\A", "one", 1, 1, "", "95", 0x0101}},
       put({"one"}), TweakVerdict::InEffect, "State: In effect"},
      {"a key that cannot be read among changes in place", {one, {"HKCU", "{S}\\Locked", "v", 1, 1, "", "x"}},
       put({"one"}), TweakVerdict::Partly, "State: Partly in effect (1 of 2 changes)"},
      {"only a key that cannot be read", {{"HKCU", "{S}\\Locked", "v", 1, 1, "", "x"}}, Nothing,
       TweakVerdict::NoState, "State: Cannot tell (a key cannot be read)"},
  };
  for (const TweakCase& c : cases) {
    EngineWorld world(Tweaks{{1, c.actions}});
    c.setUp(world);
    UnreadableKey registry(world.sandbox.Api(), "\\Locked");
    const StateInputs in{world.dm->cdsData, world.dm->cdsUndo, registry, world.facts, world.currentMask};
    const TweakState state = EvaluateTweak(in, 1);
    EXPECT_EQ(state.verdict, c.verdict) << c.what;
    EXPECT_EQ(StateLine(state), c.line) << c.what;
    EXPECT_FALSE(state.applied) << c.what;
  }
}

TEST(TweakState, ATweakAppliedWithCordalisSaysWhenAndWhetherAValueChangedSince) {
  EngineWorld world(Tweaks{{1, {{"HKCU", "{S}\\A", "one", 1, 1, "", "1"}, {"HKCU", "{S}\\A", "two", 1, 1, "", "2"}}},
                           {2, {{"HKCU", "{S}\\B", "", 0, 0}}}});
  ApplyInputs apply = world.Inputs();
  apply.appliedOn = "2026-01-02";
  world.BuildPane(1);
  ASSERT_TRUE(ApplyTweak(apply, 1));
  const StateInputs in{world.dm->cdsData, world.dm->cdsUndo, world.sandbox.Api(), world.facts, world.currentMask};

  TweakState state = EvaluateTweak(in, 1);
  EXPECT_TRUE(state.applied);
  EXPECT_EQ(state.appliedOn, "2026-01-02");
  EXPECT_FALSE(state.changedSince);
  EXPECT_EQ(StateLine(state), "State: Applied with Cordalis on 2026-01-02; in effect");

  world.PutText("A", "two", "changed by another program");
  state = EvaluateTweak(in, 1);
  EXPECT_TRUE(state.changedSince);
  EXPECT_EQ(state.verdict, TweakVerdict::Partly);
  EXPECT_EQ(StateLine(state), "State: Applied with Cordalis on 2026-01-02; a value has been changed since");

  // Many at once answer as one at a time.
  const std::vector<TweakState> both = EvaluateTweaks(in, {1, 2});
  ASSERT_EQ(both.size(), 2u);
  EXPECT_EQ(both[0], state);
  EXPECT_EQ(both[1], EvaluateTweak(in, 2));
  EXPECT_EQ(StateLine(both[1]), "State: Not in effect");
}

}  // namespace
}  // namespace cordalis
