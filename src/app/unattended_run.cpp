#include "app/unattended_run.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "app/run_report.h"
#include "app/set_file.h"
#include "app/tweak_settings.h"
#include "controls/controls_pane.h"
#include "controls/text_measure.h"
#include "db/dm1.h"
#include "db/record_codes.h"
#include "db/records.h"
#include "engine/apply_engine.h"
#include "engine/rollback_file.h"
#include "engine/tweak_state.h"
#include "engine/undo_commands.h"
#include "host/file_store.h"
#include "host/message_boxes.h"
#include "host/platform.h"
#include "host/roots.h"

namespace cordalis {
namespace {

constexpr const char* kLineEnd = "\r\n";

// The controls pane lays its controls out as if in a window; nobody sees them.
class NoWindowMeasure final : public TextMeasure {
 public:
  TextSize Measure(std::string_view text) const override { return {static_cast<int>(text.size()) * 6, 13}; }
};

// The tables cannot be written: the run stops where it is.
struct TablesUnwritable {};

std::uint16_t MaskOf(const std::vector<ActionRecord>& actions) {
  std::uint16_t mask = 0;
  for (const ActionRecord& action : actions) mask |= action.verMask;
  return mask;
}

std::string Label(std::int32_t twkId, const std::optional<TweakRecord>& tweak) {
  return TweakNumberText(twkId) + " " + (tweak ? tweak->title : std::string("(not in the catalogue)"));
}

// A tweak of /apply, checked before anything changes.
struct CheckedTweak {
  SetLine line;
  TweakRecord tweak;
  std::vector<ActionRecord> actions;
  int referencedRoots = 0;
};

class Run {
 public:
  Run(const UnattendedRequest& request, const UnattendedPorts& ports) : request_(request), ports_(ports) {}

  int Go() {
    if (!DatabasePreCheck(ports_.files, boxes_, ports_.programFolder)) return kExitCannotRun;
    const bool changes = request_.action == UnattendedAction::Apply || request_.action == UnattendedAction::Undo;
    // Listing and exporting only read: they take no lock, so they run beside an open window.
    Tdm1 dm(ports_.engine, ports_.files, boxes_, ports_.programFolder,
            changes ? TableAccess::ReadWrite : TableAccess::ViewOnly, changes ? kUnattendedLockPauses : 0);
    if (dm.LoadStatus() != lsLoaded) {
      Say(LoadFailureMessage(dm.LoadStatus()));
      return kExitCannotRun;
    }
    if (changes && dm.ViewOnly()) {
      Say("The tables are in use by another copy of Cordalis, or cannot be written. Nothing was changed.");
      return kExitTablesBusy;
    }
    mask_ = ComputeCurrentPlatform(ports_.host, ports_.registry).mask;
    int code = kExitDone;
    try {
      code = Action(dm);
      dm.Close();
    } catch (const TablesUnwritable&) {
      return kExitTablesBusy;
    } catch (const FileError& e) {
      Say("The tables cannot be written: " + std::string(e.what()));
      return kExitTablesBusy;
    }
    return code;
  }

 private:
  int Action(Tdm1& dm) {
    switch (request_.action) {
      case UnattendedAction::List: return List(dm);
      case UnattendedAction::Apply: return Apply(dm);
      case UnattendedAction::Undo: return Undo(dm);
      case UnattendedAction::ExportSet: return ExportSet(dm);
      case UnattendedAction::ExportReg: return ExportReg(dm);
      case UnattendedAction::Help: break;
    }
    return kExitDone;
  }

  void Say(const std::string& text) { ports_.report.Say(text); }

  int Write(const std::string& path, const std::string& text) {
    try {
      ReplaceFileAtomically(ports_.files, path, text);
      return kExitDone;
    } catch (const FileError& e) {
      Say("Cannot write " + path + ": " + e.Reason());
      return kExitCannotRun;
    }
  }

  ActionPassResult BuildPane(ControlsPaneModel& pane, const std::vector<ActionRecord>& actions) {
    pane.Clear();
    return pane.RunActionPass({actions, ports_.registry, ports_.host, measure_, geometry_, false, false, mask_});
  }

  int List(Tdm1& dm) {
    std::string text = std::string("Number\tCategory\tTitle\tState") + kLineEnd;
    int listed = 0;
    const StateInputs states{dm.cdsData, dm.cdsUndo, ports_.registry, ports_.facts, mask_};
    for (const TweakRecord& tweak : AllTweaks(dm.cdsTwks)) {
      if (!request_.viewOnly && !PlatformApplies(MaskOf(ActionsWithKey(dm.cdsData, tweak.twkId)), mask_)) continue;
      const std::string category = tweak.subCat.empty() ? tweak.category : tweak.category + "\\" + tweak.subCat;
      text += std::to_string(tweak.twkId) + "\t" + NoTabs(category) + "\t" + NoTabs(tweak.title) + "\t" +
              TweakStateText(EvaluateTweak(states, tweak.twkId)) + kLineEnd;
      ++listed;
    }
    if (request_.file.empty()) {
      ports_.output.Say(text.substr(0, text.size() - 2));
    } else if (int code = Write(request_.file, text)) {
      return code;
    }
    Say("Listed " + std::to_string(listed) + " tweaks" + (request_.file.empty() ? "." : " in " + request_.file + "."));
    return kExitDone;
  }

  static std::string NoTabs(std::string text) {
    std::replace_if(text.begin(), text.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
    return text;
  }

  // The lines of /apply: the set file's, or one without data a number.
  std::optional<std::vector<SetLine>> ApplyLines() {
    const TweakChoice& choice = request_.tweaks;
    if (choice.setFile.empty()) {
      std::vector<SetLine> lines;
      for (std::int32_t n : choice.numbers) lines.push_back({0, n, {}});
      return lines;
    }
    std::string text;
    try {
      text = ports_.files.Read(choice.setFile, kMaxSetFileBytes);
    } catch (const FileError& e) {
      Say("Cannot read the set file " + choice.setFile + ": " + e.Reason() + " Nothing was changed.");
      return std::nullopt;
    }
    SetFile set = ReadSetFile(text);
    if (set.problems.empty()) return std::move(set.lines);
    for (const SetFileProblem& p : set.problems) Say(Where(p.lineNumber) + p.message);
    Say("Nothing was changed.");
    return std::nullopt;
  }

  std::string Where(int lineNumber) const {
    return lineNumber == 0 ? std::string() : request_.tweaks.setFile + ", line " + std::to_string(lineNumber) + ": ";
  }

  // Every line checked against the catalogue and the controls before the first change.
  std::optional<std::vector<CheckedTweak>> Check(Tdm1& dm, const std::vector<SetLine>& lines) {
    std::vector<CheckedTweak> checked;
    std::vector<std::string> problems;
    for (const SetLine& line : lines) {
      const std::optional<TweakRecord> tweak = TweakWithKey(dm.cdsTwks, line.twkId);
      if (!tweak) {
        problems.push_back(Where(line.lineNumber) + "there is no tweak " + std::to_string(line.twkId));
        continue;
      }
      const std::string label = Where(line.lineNumber) + Label(line.twkId, tweak) + ": ";
      std::vector<ActionRecord> actions = ActionsWithKey(dm.cdsData, line.twkId);
      if (!PlatformApplies(MaskOf(actions), mask_)) {
        problems.push_back(label + "it is not for this system; it is for " + PlatformListText(MaskOf(actions)));
        continue;
      }
      ControlsPaneModel pane;
      const ActionPassResult pass = BuildPane(pane, actions);
      const std::vector<SettableControl> controls = SettableControls(actions, pane);
      std::vector<std::string> found = FillControls(pane, controls, line.data, measure_);
      if (found.empty())
        if (std::string missing = CompletenessProblem(pane, controls); !missing.empty()) found.push_back(missing);
      for (const std::string& p : found) problems.push_back(label + p);
      checked.push_back({line, *tweak, std::move(actions), pass.referencedRoots});
    }
    if (problems.empty()) return checked;
    for (const std::string& p : problems) Say(p);
    Say("Nothing was changed.");
    return std::nullopt;
  }

  int Apply(Tdm1& dm) {
    const std::optional<std::vector<SetLine>> lines = ApplyLines();
    if (!lines) return kExitBadInput;
    const std::optional<std::vector<CheckedTweak>> checked = Check(dm, *lines);
    if (!checked) return kExitBadInput;
    writableRoots_ = WritableRootSet(ports_.registry, ports_.host);
    bool refused = false;
    for (const CheckedTweak& t : *checked) {
      if (dm.cdsUndo.KeyCount(t.tweak.twkId) > 0) continue;  // skipped, not applied
      if (int missing = MissingRoots(t.referencedRoots, writableRoots_)) {
        Say(Label(t.tweak.twkId, t.tweak) + ": " + PermissionMessage(missing));
        refused = true;
      }
    }
    if (refused) {
      Say("Nothing was changed.");
      return kExitNoPermission;
    }
    int code = kExitDone;
    for (const CheckedTweak& t : *checked) code = std::max(code, ApplyOne(dm, t));
    return code;
  }

  // DO IT of one tweak, the controls filled afresh: an earlier tweak of the
  // set may have changed the data they start from.
  int ApplyOne(Tdm1& dm, const CheckedTweak& t) {
    const std::string label = Label(t.tweak.twkId, t.tweak) + ": ";
    if (dm.cdsUndo.KeyCount(t.tweak.twkId) > 0) {
      Say(label + "skipped: it has undo data already. Undo it first, as the window asks.");
      return kExitSomeNotDone;
    }
    ControlsPaneModel pane;
    const ActionPassResult pass = BuildPane(pane, t.actions);
    const std::vector<SettableControl> controls = SettableControls(t.actions, pane);
    std::vector<std::string> problems = FillControls(pane, controls, t.line.data, measure_);
    if (problems.empty())
      if (std::string missing = CompletenessProblem(pane, controls); !missing.empty()) problems.push_back(missing);
    if (!problems.empty()) {
      for (const std::string& p : problems) Say(label + "refused: " + p);
      return kExitSomeNotDone;
    }
    const ApplyInputs in{dm, ports_.registry, boxes_, ports_.facts, pane, mask_, writableRoots_, pass.referencedRoots,
                         false};
    std::optional<ApplyCounts> counts;
    try {
      counts = ApplyTweak(in, t.tweak.twkId);
    } catch (const FileError& e) {
      Say(label + "stopped: the tables cannot be written: " + e.what() +
          " What it changed before is in its undo data; the tweaks after it were not applied.");
      throw TablesUnwritable{};
    } catch (const std::exception& e) {
      Say(label + "failed: " + e.what() + " What it changed before is in its undo data.");
      return kExitSomeNotDone;
    }
    if (!counts) {
      Say(label + "refused.");
      return kExitSomeNotDone;
    }
    Say(label + ResultSummary(*counts));
    return counts->changed + counts->unnecessary < counts->total ? kExitSomeNotDone : kExitDone;
  }

  int Undo(Tdm1& dm) {
    std::vector<std::int32_t> ids;
    if (request_.tweaks.all) {
      ids = TweaksWithUndoData(dm.cdsUndo);
      std::reverse(ids.begin(), ids.end());  // the tweak applied last is undone first
    } else {
      bool unknown = false;
      for (std::int32_t n : request_.tweaks.numbers) {
        if (!TweakWithKey(dm.cdsTwks, n) && dm.cdsUndo.KeyCount(n) == 0) {
          Say("There is no tweak " + std::to_string(n) + ".");
          unknown = true;
        }
        ids.push_back(n);
      }
      if (unknown) {
        Say("Nothing was changed.");
        return kExitBadInput;
      }
    }
    writableRoots_ = WritableRootSet(ports_.registry, ports_.host);
    bool refused = false;
    for (std::int32_t id : ids) {
      int roots = 0;
      for (const UndoRecord& action : ActionsWithKey(dm.cdsUndo, id)) roots |= RootBitOfCode(action.root);
      if (int missing = MissingRoots(roots, writableRoots_)) {
        Say(Label(id, TweakWithKey(dm.cdsTwks, id)) + ": its undo data restores keys under " + RootListText(missing) +
            ", which you may not change. Log on as a user with administrative privileges to undo it.");
        refused = true;
      }
    }
    if (refused) {
      Say("Nothing was changed.");
      return kExitNoPermission;
    }
    int code = kExitDone;
    for (std::int32_t id : ids) code = std::max(code, UndoOne(dm, id));
    if (ids.empty()) Say("No tweak has undo data; there is nothing to undo.");
    return code;
  }

  int UndoOne(Tdm1& dm, std::int32_t id) {
    const std::string label = Label(id, TweakWithKey(dm.cdsTwks, id)) + ": ";
    if (dm.cdsUndo.KeyCount(id) == 0) {
      Say(label + "skipped: it has no undo data.");
      return kExitSomeNotDone;
    }
    std::vector<DriftRow> newer;
    try {
      UndoTweak(dm, id, newer);
    } catch (const FileError& e) {
      Say(label + "stopped: the tables cannot be written: " + e.what());
      throw TablesUnwritable{};
    } catch (const std::exception& e) {
      Say(label + "failed: " + e.what());
      return kExitSomeNotDone;
    }
    for (const DriftRow& row : newer)
      Say(label + (request_.replaceNewer ? "replaced a newer change of " : "kept a newer change of ") + row.key +
          (row.value.empty() ? ", the default value" : ", value \"" + row.value + "\"") + ": before DO IT " +
          row.before + ", written by DO IT " + row.written + ", now " + row.now + ".");
    if (dm.cdsUndo.KeyCount(id) > 0) {
      Say(label + (newer.empty() || request_.replaceNewer
                       ? "not all undone; what was not stays in its undo data."
                       : "partly undone; the values changed since DO IT stay, with their undo data (/replace-newer "
                         "undoes them too)."));
      return kExitSomeNotDone;
    }
    Say(label + "undone.");
    return kExitDone;
  }

  // Undo of one tweak, as the window's Undo command makes it; the values
  // changed since DO IT go to newer, and stay unless /replace-newer.
  void UndoTweak(Tdm1& dm, std::int32_t id, std::vector<DriftRow>& newer) {
    const DriftChoice choice = request_.replaceNewer ? DriftChoice::UndoAll : DriftChoice::KeepNewer;
    UndoInputs in{dm, ports_.registry, boxes_, false, [&](const std::vector<DriftRow>& rows) {
                    newer = rows;
                    return choice;
                  }};
    UndoCommand(in, id, [] {});
  }

  int ExportSet(Tdm1& dm) {
    std::string text = "# Cordalis set: the tweaks that had undo data" +
                       (ports_.writtenOn.empty() ? std::string() : ", written " + ports_.writtenOn) + "." + kLineEnd +
                       "# Apply it on another machine with: cordalis /apply @FILE" + kLineEnd;
    const std::vector<std::int32_t> ids = TweaksWithUndoData(dm.cdsUndo);
    for (std::int32_t id : ids) {
      const std::optional<TweakRecord> tweak = TweakWithKey(dm.cdsTwks, id);
      if (!tweak) {
        text += "# " + Label(id, tweak) + " has undo data, but the catalogue has no such tweak." + kLineEnd;
        continue;
      }
      const std::vector<ActionRecord> actions = ActionsWithKey(dm.cdsData, id);
      ControlsPaneModel pane;
      BuildPane(pane, actions);
      std::vector<std::string> notes;
      const std::vector<SetControlData> data =
          ControlDataOf(pane, SettableControls(actions, pane), actions, ports_.registry, notes);
      for (const std::string& note : notes) text += "# " + TweakNumberText(id) + ": " + note + "." + kLineEnd;
      text += SetFileLine(id, data, tweak->title) + kLineEnd;
    }
    if (int code = Write(request_.file, text)) return code;
    Say("Wrote the set of " + std::to_string(ids.size()) + " tweaks with undo data to " + request_.file + ".");
    return kExitDone;
  }

  int ExportReg(Tdm1& dm) {
    const std::vector<RollbackTweak> tweaks = RollbackTweaksOf(dm);
    if (int code = Write(request_.file, RollbackFileText(tweaks, ports_.writtenOn))) return code;
    Say("Wrote the rollback file of " + std::to_string(tweaks.size()) + " tweaks with undo data to " + request_.file +
        ".");
    return kExitDone;
  }

  const UnattendedRequest& request_;
  const UnattendedPorts& ports_;
  ReportedMessageBoxes boxes_{ports_.report};
  NoWindowMeasure measure_;
  PaneGeometry geometry_;
  std::uint16_t mask_ = 0;
  int writableRoots_ = 0;
};

}  // namespace

int RunUnattended(const CommandLineReading& reading, const UnattendedPorts& ports) {
  const UnattendedRequest& request = reading.request;
  ports.report.Say("Cordalis " + ports.commandLine);
  int code = kExitCannotRun;
  if (!reading.error.empty()) {
    ports.report.Say(reading.error + " Nothing was changed.");
    if (!request.quiet) ports.boxes.Show(MsgOwner::None, MsgIcon::Error, reading.error + "\r\n\r\n" + UsageText());
    code = kExitBadInput;
  } else if (request.action == UnattendedAction::Help) {
    ports.report.Say(UsageText());
    if (!request.quiet) ports.boxes.Show(MsgOwner::None, MsgIcon::Information, UsageText());
    code = kExitDone;
  } else {
    try {
      code = Run(request, ports).Go();
    } catch (const std::exception& e) {
      ports.report.Say("An error stopped the run: " + std::string(e.what()));
    }
  }
  ports.report.Say("Exit code " + std::to_string(code) + ": " + ExitCodeText(code) + ".");
  return code;
}

// The description's words without "State: ", and "no state" for a tweak
// with nothing to judge.
std::string TweakStateText(const TweakState& state) {
  const std::string line = StateLine(state);
  constexpr std::string_view kLead = "State: ";
  return line.empty() ? "no state" : line.substr(kLead.size());
}

}  // namespace cordalis
