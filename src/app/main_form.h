#pragma once
// The main window's model: every rule of TMainForm lives here, portable and
// tested with the in-memory ports. The window turns each message into one
// call of this model and mirrors what the model tells it through MainFormView;
// it decides nothing itself.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/find_model.h"
#include "app/pane_layout.h"
#include "app/settings.h"
#include "app/tweak_state_cache.h"
#include "app/tweak_tree.h"
#include "controls/controls_pane.h"
#include "db/dm1.h"
#include "engine/apply_engine.h"
#include "engine/control_pane.h"
#include "engine/undo_drift.h"

namespace cordalis {

class FileStore;
class HostQueries;
class MessageBoxes;
class RegistryApi;
class RichTextPane;
class SettingsStore;
class TextCollation;
class TextMeasure;
class TextSearch;
struct HostFacts;

struct MainFormPorts {
  RegistryApi& registry;
  FileStore& files;  // the help file beside the program, the files the user saves
  HostQueries& host;
  const HostFacts& facts;
  MessageBoxes& boxes;
  SettingsStore& settings;
  const TextCollation& collation;
  const TextMeasure& measure;  // the window font
  TextSearch& search;          // the rich edit's own find
  RichTextPane& description;   // reDesc
  RichTextPane& detail;        // reDetail
};

// What the model asks of the window.
// Shown on the first activation of the first run with a settings file.
inline constexpr char kFirstRunNotice[] =
    "Please bear in mind that many of Cordalis's tweaks do not take effect immediately. Some require you to log off "
    "and on again, while others may require a full Windows restart. If you apply a tweak and it seems to have had no "
    "effect, first try logging off, then try a full restart.\r\n\r\nThis notification will not be repeated.";

// Where F1 and the Find dialog's Help button open the help file.
enum class HelpTopic { Contents, Find };

class MainFormView {
 public:
  virtual ~MainFormView() = default;
  // The tree was built anew: the control shows its root and what is open.
  virtual void ShowTree(const TweakTree& tree) = 0;
  // The states of the tweaks may have changed: the control asks TreeImages
  // again for the tweak nodes it holds.
  virtual void ShowTreeStates() = 0;
  // The control selects and opens what the update says. Selecting a node
  // raises the control's selection change, which comes back to the model as
  // SelectionChanged, as a user's click does; opening and closing nodes here
  // does not come back.
  virtual void ApplyTreeUpdate(const TweakTree& tree, const TreeUpdate& update) = 0;
  // Captions greyed and rich edits on the button-face colour when no tweak is
  // selected; the splitters between the panes disabled with them.
  virtual void ShowTweakPaneState(bool tweakSelected) = 0;
  // The controls pane's controls were rebuilt: the window creates them anew.
  virtual void ShowControls(const ControlsPaneModel& pane, const ControlsGroupSize& size) = 0;
  // Moves the groups and splitters of the right-hand column, and the tree
  // group's width.
  virtual void ShowLayout(int treeWidth, const ColumnSizes& column) = 0;
  // The window's enabled commands (DO IT, Undo, Note, ...) and buttons.
  virtual void ShowCommandStates() = 0;
  // The application ends when its message loop next runs.
  virtual void Terminate() = 0;
  // Dialogs.
  virtual std::optional<std::string> EditNote(const std::string& title, const std::string& note) = 0;
  virtual void ShowAbout(const std::string& platformText) = 0;
  virtual void ShowFindDialog(const FindState& find) = 0;
  virtual void ShowHelp(const std::string& helpPath, HelpTopic topic) = 0;
  // Undo found values changed since DO IT: the drift dialog lists them and
  // returns the user's answer.
  virtual DriftChoice AskDrift(const std::vector<DriftRow>& rows) = 0;
  // The save-file dialog for the rollback file; nothing when cancelled.
  virtual std::optional<std::string> AskRollbackFile() = 0;
  // The standard edit commands act on the focused control.
  virtual void CopyFocused() = 0;
  virtual void SelectAllFocused() = 0;
  virtual void Close() = 0;
};

// The window layout's measures at the screen's pixels per inch.
struct MainFormMetrics {
  PaneGeometry pane;          // the controls pane (label column, DO IT button, ...)
  int descriptionOverhead = 17;  // gbDesc's height less reDesc's
  int detailOverhead = 17;       // gbDetail's height less reDetail's
};

class MainFormModel {
 public:
  // Window creation: the view-only switch, the writable roots, the settings
  // and the current platform. The data module comes later (Attach).
  MainFormModel(const MainFormPorts& ports, MainFormView& view, const std::vector<std::string>& arguments,
                const std::string& programPath, const MainFormMetrics& metrics);
  MainFormModel(const MainFormModel&) = delete;
  MainFormModel& operator=(const MainFormModel&) = delete;

  // The viewonly switch: every tweak, action and control shown, nothing written.
  bool ViewOnly() const { return viewOnly_; }
  // Why this run may not write its tables (another copy holds them, ...); it
  // shows the normal tree and panes and refuses only what would write.
  WriteRefusal Refusal() const { return refusal_; }
  bool MayNotWrite() const { return viewOnly_ || refusal_ != WriteRefusal::None; }
  std::string Caption() const;
  // The status bar's text while no hint is shown: why nothing can be written.
  std::string IdleStatusText() const;
  const std::string& SettingsPath() const { return settingsPath_; }
  const std::string& HelpPath() const { return helpPath_; }
  std::uint16_t PlatformMask() const { return platformMask_; }
  const std::string& PlatformText() const { return platformText_; }
  int WritableRoots() const { return writableRoots_; }
  int TreeWidth() const { return treeWidth_; }
  const TweakTree& Tree() const { return tree_; }
  ControlsPaneModel& Pane() { return pane_; }
  const FindState& Find() const { return find_; }
  bool HasUndoData() const { return hasUndoData_; }
  int NeedsDataMark() const { return states_.needsDataMark; }

  // The data module, created after the window. When it could not take the
  // tables for writing, the caption says why, and nothing of it is
  // remembered for the next run.
  void Attach(Tdm1& dm);
  // Every activation: the first reports a failed load or builds the tree.
  void Activated();
  // Destruction: the settings of section "Settings", except in a view-only
  // run, which changes no file.
  void Destroying();

  // The images of these tree nodes, each tweak's marked with its state. The
  // control asks for the nodes it inserts, so only those are worked out.
  std::vector<int> TreeImages(const std::vector<int>& nodes);
  // The window came to the front from another program, which may have
  // changed any value: the states are read again.
  void ActivatedFromElsewhere();

  // Events of the tree control.
  void SelectionChanged(int node);
  void NodeExpanded(int node);
  void NodeCollapsed(int node);
  void RightClicked(int node);  // -1 over empty space

  // Commands, through the command table.
  void Execute(CommandId id);
  // The command-state update, run whenever the program is idle.
  void UpdateCommandStates();
  bool Enabled(CommandId id) const;

  // The command table's handlers and enabled states.
  void acExitExecute();
  void EditCopy1Execute();
  void EditSelectAll1Execute();
  void acFindExecute();
  void acFindNextExecute();
  bool acFindNextEnabled() const;
  void acFindUndoExecute();
  void acExAllExecute();
  void acColAllExecute();
  void acExOneExecute();
  void acColOneExecute();
  void acNextTweakExecute();
  void acPrevTweakExecute();
  void acTopExecute();
  void acBottomExecute();
  void acApplyExecute();
  bool acApplyEnabled() const { return states_.apply; }
  void acUndoExecute();
  bool acUndoEnabled() const { return states_.undo; }
  void acDelUndoExecute();
  bool acDelUndoEnabled() const { return states_.deleteUndo; }
  void acNoteExecute();
  bool acNoteEnabled() const { return states_.note; }
  void acHideExecute();
  bool acHideEnabled() const { return states_.hide; }
  void acRevealExecute();
  bool acRevealEnabled() const { return !MayNotWrite(); }  // such a run writes no hidden flag
  void acHelpExecute();
  // F1, or the Find dialog's Help button: the help file, or where it is expected.
  void HelpRequested(HelpTopic topic);
  void acAboutExecute();
  void acExportUndoExecute();
  bool acExportUndoEnabled() const;
  void acRefreshExecute();
  void acCheckAppliedExecute();
  bool acCheckAppliedEnabled() const { return acExportUndoEnabled(); }
  void SetWindowEnabled(bool enabled) { windowEnabled_ = enabled; }

  // The selection handling for the node that is already selected: DO IT, Undo
  // and Delete Undo data run it to fill the panes again.
  void Refresh();

  // Find dialog events.
  void FindRequested(const std::string& dialogText, FindOptions options);
  // The dialog closed, or the window goes while it is open: its place and
  // the options it shows are remembered.
  void FindDialogClosed(int x, int y, FindOptions options);

  // Layout: the column's height changed, the rich edits' content asks for
  // new heights, or a splitter was dragged (false: refused).
  void ColumnResized(int columnHeight, int clientWidth);
  // The controls pane's client width, for the controls built from now on.
  void PaneResized(int clientWidth) { metrics_.pane.clientWidth = clientWidth; }
  void ContentResized();
  bool TreeSplitterMoved(int proposedTreeWidth);
  bool DescSplitterMoved(int proposedDetCon);
  bool CtrlsSplitterMoved(int proposedControls);
  const ColumnSizes& Column() const { return column_; }

  // The controls pane's input went through Pane(); the command states follow
  // on the next idle update.
  // The long hint of the command panel's buttons under a point, as the
  // window's buttons lie there (the last one that holds the point wins).
  struct ButtonPlace {
    CommandId command;
    int left, top, width, height;
  };
  static std::string CommandPanelHint(const std::vector<ButtonPlace>& buttons, int x, int y);

 private:
  class Order;  // the engine's TreeOrder over this model's tree
  bool TweakSelected() const { return tree_.IsTweak(tree_.Selected()); }
  std::optional<std::int32_t> SelectedTweak() const;
  void BuildTree();
  void SelectNode(int node);
  void ApplyTree(const TreeUpdate& update);
  void FillPanes(int node);
  void WriteDescription(std::int32_t twkId, const TweakRecord& tweak);
  void SizeControls();
  void Layout();
  void ShowFindResult(const FindResult& result);
  TweakStateCache::Evaluator StateEvaluator();
  // After DO IT, Undo or Delete Undo data of one tweak, or (nullopt) when
  // anything may have changed: the tree and the description follow.
  void StatesChanged(std::optional<std::int32_t> twkId);
  void ShowStateLine();
  // The status bar's count of the tweaks whose values changed since DO IT.
  void CountChangedSince();
  void ShowChangedSinceCount(std::size_t count);
  std::string ChangedSinceMessage(const std::vector<std::int32_t>& changed);

  MainFormPorts ports_;
  MainFormView& view_;
  MainFormMetrics metrics_;
  Tdm1* dm_ = nullptr;

  bool viewOnly_ = false;
  WriteRefusal refusal_ = WriteRefusal::None;
  int writableRoots_ = 0;
  std::string settingsPath_;
  std::string helpPath_;
  Settings settings_;
  std::int32_t lastTip_ = -1;
  bool treePending_ = true;
  bool terminating_ = false;
  std::uint16_t platformMask_ = 0;
  std::string platformText_;
  FindState find_;
  bool windowEnabled_ = true;

  TweakTree tree_;
  int filledNode_ = -1;  // the node the panes show
  ControlsPaneModel pane_;
  bool hasUndoData_ = false;
  TweakStateCache tweakStates_;
  std::string stateLine_;         // the one the description shows
  std::string changedSinceText_;  // the status bar's count of tweaks changed since DO IT
  int referencedRoots_ = 0;
  CommandStates states_;

  int treeWidth_ = 250;
  int clientWidth_ = 0;
  ColumnSizes column_;
  ColumnWants wants_;
};

}  // namespace cordalis
