#pragma once
// A whole engine to test against: tables on an in-memory disk that keeps
// through a crash only what was flushed, a Registry (in memory, or the real one
// confined to a sandbox), scripted message boxes, the controls pane model and
// the host facts.
#include <map>
#include <memory>
#include <optional>

#include "controls/controls_pane.h"
#include "db/dm1.h"
#include "db/packet_engine.h"
#include "db/record_codes.h"
#include "engine/apply_engine.h"
#include "engine/detail_text.h"
#include "engine/undo_commands.h"
#include "host/int_text.h"
#include "host/platform.h"
#include "host/text.h"
#include "doubles/memory_file_store.h"
#include "doubles/recording_message_boxes.h"
#include "doubles/recording_rich_text.h"
#include "doubles/scripted_host_queries.h"
#include "support/crashing_file_store.h"
#include "support/fixed_text_measure.h"
#include "support/registry_sandbox.h"
#include "support/table_files.h"

namespace cordalis::testing {

struct ActionRow {
  std::string root = "HKCU";
  std::string key;
  std::string value;
  int dataType = 0;
  int changeType = 0;
  std::string special;
  std::string data;
  int verMask = 0x0F3F;
};

struct TweakRows {
  std::int32_t id;
  std::vector<ActionRow> actions;
};
using Tweaks = std::vector<TweakRows>;

// The controls pane model, built as a selection builds it, with what a test
// typed pushed into its controls as the window view pushes the user's input.
// Records which controls DO IT read.
class TestPane final : public ControlPane {
 public:
  TestPane(RegistryApi& registry, HostQueries& host) : registry_(registry), host_(host) {}

  void Build(const std::vector<ActionRecord>& actions, bool hasUndoData, bool viewOnly, std::uint16_t currentMask) {
    model.Clear();
    model.RunActionPass({actions, registry_, host_, measure_, geometry_, hasUndoData, viewOnly, currentMask});
  }
  int FirstControlNumber(int position) const override { return model.FirstControlNumber(position); }
  std::string ReadControl(char kind, int number) const override {
    reads.push_back(std::string(1, kind) + std::to_string(number));
    Type();
    return model.ReadControl(kind, number);
  }
  PaneCompleteness Completeness() const override {
    Type();
    return model.Completeness();
  }

  // What the user typed, by the letter and number DO IT reads the control by;
  // it reaches a control only if the pane built one there.
  std::map<std::pair<char, int>, std::string> values;
  mutable std::vector<std::string> reads;
  mutable ControlsPaneModel model;

 private:
  void Type() const {
    for (const auto& [where, text] : values) {
      const std::string n = std::to_string(where.second);
      switch (where.first) {
        case 'E': model.TextChanged("cEdit" + n, text); break;
        case 'M': model.TextChanged("cMemo" + n, text); break;
        case 'C': model.TickChanged("cCheckBox" + n, text == "1"); break;
        case 'U': model.PositionChanged("cUpDown" + n, IntegerText(text, 0)); break;
        case 'L':
          if (model.Find("cLabel" + n)) model.BrowseSucceeded(where.second, text, measure_);
          break;
      }
    }
  }

  RegistryApi& registry_;
  HostQueries& host_;
  FixedTextMeasure measure_;
  PaneGeometry geometry_;
};

class EngineWorld {
 public:
  explicit EngineWorld(const Tweaks& tweaks, RegistryKind kind = RegistryKind::Memory)
      : sandbox(kind), tweaks_(tweaks) {
    std::vector<RowText> tweakRows, actionRows;
    for (const TweakRows& t : tweaks) {
      tweakRows.push_back({std::to_string(t.id), "FALSE", "Category", "", "Tweak " + std::to_string(t.id), "About it"});
      for (const ActionRow& a : t.actions)
        actionRows.push_back({std::to_string(t.id), a.root, Place(a.key), a.value, std::to_string(a.dataType),
                              std::to_string(a.changeType), a.special, Place(a.data), std::to_string(a.verMask)});
    }
    // Installed before the program first runs: on the disk for good.
    WriteTable(disk, PathInFolder("app", "Twks.xml"), Tdm1::TweakFields(), tweakRows);
    WriteTable(disk, PathInFolder("app", "Data.xml"), Tdm1::ActionFields(), actionRows);
    WriteTable(disk, PathInFolder("app", "Undo.xml"), Tdm1::UndoFields(), {});
    WriteTable(disk, PathInFolder("app", "Note.xml"), Tdm1::NoteFields(), {});
    Reopen();
    facts.windowsDirectory = "C:\\WINDOWS";
    facts.systemDirectory = "C:\\WINDOWS\\SYSTEM";
  }

  // A path in an action may say "{S}" for the sandbox key's path below HKCU.
  std::string Place(const std::string& text) const { return ReplaceAll(text, "{S}", sandbox.Path()); }

  // Opens the tables again from the disk, as a new start of the program does.
  void Reopen() {
    dm.reset();
    Start();
  }
  // The program starts: the data module opens the tables.
  void Start() { dm = std::make_unique<Tdm1>(engine, files, boxes, "app"); }
  // The power goes while the program runs; the machine starts again, but
  // not the program yet.
  void CrashWithoutRestart() {
    files.Crash();
    dm.reset();
    files.Restart();
    if (MemoryRegistry* memory = sandbox.Memory()) memory->PowerCut();
  }

  // The power went (now, unless a crash point already cut it): the disk keeps
  // what was flushed, of the files and of the Registry, then the program
  // starts again.
  void RestartAfterCrash() {
    if (!files.Crashed()) files.Crash();
    dm.reset();
    files.Restart();
    if (MemoryRegistry* memory = sandbox.Memory()) memory->PowerCut();
    Start();
  }

  const std::vector<ActionRow>& ActionsOf(std::int32_t id) const {
    for (const TweakRows& t : tweaks_)
      if (t.id == id) return t.actions;
    throw std::logic_error("no such tweak");
  }

  ApplyInputs Inputs() {
    return ApplyInputs{*dm, sandbox.Api(), boxes, facts, pane, currentMask, writableRoots, ReferencedRoots(), viewOnly};
  }
  int ReferencedRoots() const { return referencedRoots ? *referencedRoots : 31; }

  // Fills the controls pane for a tweak, as selecting it does.
  void BuildPane(std::int32_t id) {
    pane.Build(ActionsWithKey(dm->cdsData, id), HasUndoData(id), viewOnly, currentMask);
  }
  // DO IT on a tweak, with the controls pane built for it.
  std::optional<ApplyCounts> DoIt(std::int32_t id) {
    BuildPane(id);
    return ApplyTweak(Inputs(), id);
  }
  void Undo(std::int32_t id) {
    UndoCommand(UndoInputs{*dm, sandbox.Api(), boxes, viewOnly}, id, [] {});
  }
  bool HasUndoData(std::int32_t id) { return dm->cdsUndo.KeyCount(id) > 0; }

  RecordingRichText Detail(std::int32_t id) {
    RecordingRichText text;
    EXPECT_TRUE(dm->LocateTweak(id));
    BuildDetailText(DetailInputs{*dm, id, sandbox.Api(), facts, HasUndoData(id), viewOnly, currentMask}, text);
    return text;
  }

  // The undo actions of a tweak as "ChangeType|Key|Value|DataType|Data|Special" lines.
  std::vector<std::string> UndoRows(std::int32_t id) {
    std::vector<std::string> rows;
    dm->LocateTweak(id);
    ClientDataSet& u = dm->cdsUndo;
    for (u.First(); !u.Eof(); u.Next())
      rows.push_back(u.AsString("ChangeType") + "|" + ReplaceAll(u.AsString("Key"), sandbox.Path(), "{S}") + "|" +
                     u.AsString("Value") + "|" + u.AsString("DataType") + "|" + u.AsString("Data") +
                     (u.AsString("Special").empty() ? "" : "|" + u.AsString("Special")));
    return rows;
  }

  // Appends undo actions to a tweak as if an earlier DO IT had recorded them.
  void AddUndoRows(std::int32_t id, const std::vector<ActionRow>& rows) {
    dm->LocateTweak(id);
    ClientDataSet& u = dm->cdsUndo;
    u.SetReadOnly(false);
    for (const ActionRow& r : rows) {
      u.Append();
      u.SetAsString("Root", r.root);
      u.SetAsString("Key", Place(r.key));
      u.SetAsString("Value", r.value);
      u.SetAsInteger("DataType", r.dataType);
      u.SetAsInteger("ChangeType", r.changeType);
      u.SetAsString("Special", r.special);
      u.SetAsString("Data", r.data);
      u.SetAsInteger("VerMask", 0);
      u.Post();
    }
    u.SetReadOnly(true);
  }

  // The Registry under the sandbox key as text, one line per key and value.
  std::string Snapshot() {
    std::string out;
    TRegistry reg(sandbox.Api());
    reg.SetRootKey(kHkeyCurrentUser);
    SnapshotKey(reg, sandbox.Path(), out, false);
    return out;
  }
  // The same, with keys and values in the order the Registry lists them
  // (Windows NT lists values in the order they were made; Wine by name).
  std::string Listing() {
    std::string out;
    TRegistry reg(sandbox.Api());
    reg.SetRootKey(kHkeyCurrentUser);
    SnapshotKey(reg, sandbox.Path(), out, true);
    return out;
  }

  // Writes a value with exact bytes under the sandbox (keys created as needed).
  void Put(const std::string& key, const std::string& name, std::uint32_t type, const std::vector<std::uint8_t>& bytes) {
    TRegistry reg(sandbox.Api());
    reg.SetRootKey(kHkeyCurrentUser);
    ASSERT_TRUE(reg.OpenKey(sandbox.Path(key), true));
    ASSERT_EQ(sandbox.Api().SetValue(reg.CurrentKey(), name, type, bytes.data(), static_cast<std::uint32_t>(bytes.size())),
              kErrorSuccess);
  }
  void PutText(const std::string& key, const std::string& name, const std::string& text, std::uint32_t type = kRegSz) {
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    Put(key, name, type, bytes);
  }
  void MakeKey(const std::string& key) {
    TRegistry reg(sandbox.Api());
    reg.SetRootKey(kHkeyCurrentUser);
    reg.CreateKey(sandbox.Path(key));
  }

  RegistrySandbox sandbox;
  MemoryFileStore disk;            // the files as they are
  CrashingFileStore files{disk};   // the program's file layer, and what a crash keeps
  XmlPacketEngine engine{files};
  RecordingMessageBoxes boxes;
  std::unique_ptr<Tdm1> dm;
  ScriptedHostQueries host;
  TestPane pane{sandbox.Api(), host};
  HostFacts facts;
  std::uint16_t currentMask = 0x0C20;  // Windows XP with IE6
  int writableRoots = 31;
  std::optional<int> referencedRoots;
  bool viewOnly = false;

 private:
  void SnapshotKey(TRegistry& reg, const std::string& path, std::string& out, bool listingOrder) {
    if (!reg.OpenKey("\\" + path, false)) return;
    out += ReplaceAll(path, sandbox.Path(), "{S}") + "\n";
    std::vector<std::string> values = reg.GetValueNames();
    if (!listingOrder) std::sort(values.begin(), values.end());
    for (const std::string& name : values) {
      std::uint32_t type = 0;
      std::vector<std::uint8_t> bytes;
      sandbox.Api().QueryValue(reg.CurrentKey(), name, &type, &bytes, nullptr);
      out += "  [" + name + "] " + std::to_string(type) + ":";
      for (std::uint8_t b : bytes) out += " " + std::to_string(b);
      out += "\n";
    }
    std::vector<std::string> names = reg.GetKeyNames();
    if (!listingOrder)
      std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return ToLowerAscii(a) < ToLowerAscii(b);  // one order whatever the Registry lists
      });
    for (const std::string& name : names) SnapshotKey(reg, path + "\\" + name, out, listingOrder);
  }

  Tweaks tweaks_;
};

}  // namespace cordalis::testing
