#include "app/main_form.h"

#include <algorithm>

#include "app/command_line.h"
#include "app/description_text.h"
#include "app/note_command.h"
#include "app/program_files.h"
#include "app/registry_read_cache.h"
#include "app/tree_state_marks.h"
#include "db/dm1.h"
#include "db/records.h"
#include "db/schema.h"
#include "db/writable_table.h"
#include "engine/detail_text.h"
#include "engine/rich_text.h"
#include "engine/rollback_file.h"
#include "engine/tweak_state.h"
#include "engine/undo_commands.h"
#include "host/file_store.h"
#include "host/format.h"
#include "host/message_boxes.h"
#include "host/platform.h"
#include "host/roots.h"

namespace cordalis {
namespace {

std::uint16_t MaskOf(const std::vector<ActionRecord>& actions) {
  std::uint16_t mask = 0;
  for (const ActionRecord& action : actions) mask |= action.verMask;
  return mask;
}

}  // namespace

// The tree order Find tweak with Undo walks; selecting goes through the window.
class MainFormModel::Order final : public TreeOrder {
 public:
  explicit Order(MainFormModel& form) : form_(form) {}
  int NodeCount() const override { return form_.tree_.NodeCount(); }
  std::int32_t TweakAt(int index) const override { return form_.tree_.TweakAt(index); }
  int SelectedIndex() const override { return form_.tree_.Selected(); }
  void Select(int index) override { form_.SelectNode(index); }

 private:
  MainFormModel& form_;
};

MainFormModel::MainFormModel(const MainFormPorts& ports, MainFormView& view, const std::vector<std::string>& arguments,
                             const std::string& programPath, const MainFormMetrics& metrics)
    : ports_(ports), view_(view), metrics_(metrics) {
  viewOnly_ = HasViewOnlySwitch(arguments);
  // The probe makes and removes a key in each root: no change, but a write,
  // which a view-only run does not make. It applies nothing either.
  writableRoots_ = viewOnly_ ? 0 : WritableRootSet(ports.registry, ports.host);
  settingsPath_ = SettingsPathFor(programPath);
  settings_.Load(ports.settings);
  lastTip_ = settings_.lastTip;
  treeWidth_ = std::max(settings_.split1, kMinTreeWidth);
  find_.findText = settings_.findWhat;
  find_.dialogX = settings_.findX;
  find_.dialogY = settings_.findY;
  treePending_ = true;
  const CurrentPlatform platform = ComputeCurrentPlatform(ports.host, ports.registry);
  platformMask_ = platform.mask;
  platformText_ = platform.text;
  pane_.Clear();
  helpPath_ = HelpPathFor(programPath);
}

// A run that may not write keeps the normal display: only the switch shows
// every tweak, action and control. Such a run only refuses what would write.
void MainFormModel::Attach(Tdm1& dm) {
  dm_ = &dm;
  refusal_ = dm.Refusal();
  tweakStates_ = TweakStateCache(StateEvaluator());
}

TweakStateCache::Evaluator MainFormModel::StateEvaluator() {
  return [this](const std::vector<std::int32_t>& twkIds) {
    RegistryReadCache reads(ports_.registry);
    return EvaluateTweaks({dm_->cdsData, dm_->cdsUndo, reads, ports_.facts, platformMask_}, twkIds);
  };
}

std::string MainFormModel::Caption() const {
  if (viewOnly_) return "Cordalis (view only)";
  switch (refusal_) {
    case WriteRefusal::None: return "Cordalis";
    case WriteRefusal::Asked: return "Cordalis (view only)";
    case WriteRefusal::OtherCopy: return "Cordalis (read only: another copy holds the tables)";
    case WriteRefusal::FolderNotWritable: return "Cordalis (read only: the program folder cannot be written)";
    case WriteRefusal::TableUnreadable: return "Cordalis (read only: a table could not be read)";
  }
  return "Cordalis";
}

std::string MainFormModel::IdleStatusText() const {
  switch (refusal_) {
    case WriteRefusal::None:
    case WriteRefusal::Asked: return changedSinceText_;
    case WriteRefusal::OtherCopy:
      return "Changes are off: another copy of Cordalis holds the tables. Close it and start Cordalis again.";
    case WriteRefusal::FolderNotWritable: return "Changes are off: Cordalis cannot write in its program folder.";
    case WriteRefusal::TableUnreadable: return "Changes are off: Cordalis could not read one of its tables.";
  }
  return {};
}

void MainFormModel::Activated() {
  if (dm_ == nullptr || terminating_) return;
  if (dm_->LoadStatus() != lsLoaded) {
    // Once: the window is active again when the box closes, and the program is ending.
    terminating_ = true;
    ports_.boxes.Show(MsgOwner::MainWindow, MsgIcon::Error, LoadFailureMessage(dm_->LoadStatus()));
    view_.Terminate();
    return;
  }
  if (!treePending_) return;
  BuildTree();
  treePending_ = false;
  CountChangedSince();
  if (ReadVeryFirst(ports_.settings)) ports_.boxes.Show(MsgOwner::MainWindow, MsgIcon::Information, kFirstRunNotice);
  if (!viewOnly_) ClearVeryFirst(ports_.settings);
}

void MainFormModel::ActivatedFromElsewhere() {
  if (dm_ == nullptr || treePending_ || terminating_) return;
  StatesChanged(std::nullopt);
  ShowStateLine();
}

void MainFormModel::CountChangedSince() {
  RegistryReadCache reads(ports_.registry);
  ShowChangedSinceCount(TweaksChangedSince(reads, dm_->cdsUndo).size());
}

void MainFormModel::ShowChangedSinceCount(std::size_t count) {
  if (count == 0)
    changedSinceText_.clear();
  else if (count == 1)
    changedSinceText_ =
        "A value of 1 tweak that Cordalis applied has been changed since. Tweak, Check applied tweaks names it.";
  else
    changedSinceText_ = "Values of " + std::to_string(count) +
                        " tweaks that Cordalis applied have been changed since. Tweak, Check applied tweaks names "
                        "them.";
}

std::vector<int> MainFormModel::TreeImages(const std::vector<int>& nodes) {
  std::vector<std::int32_t> tweaks;
  for (int node : nodes)
    if (tree_.Node(node).stateImage == kTweakImage) tweaks.push_back(tree_.TweakAt(node));
  tweakStates_.Prepare(tweaks);
  std::vector<int> images;
  images.reserve(nodes.size());
  for (int node : nodes) {
    const TreeNode& n = tree_.Node(node);
    images.push_back(n.stateImage == kTweakImage ? MarkedTweakImage(n.stateImage, tweakStates_.Get(n.twkId))
                                                 : n.stateImage);
  }
  return images;
}

void MainFormModel::StatesChanged(std::optional<std::int32_t> twkId) {
  if (twkId) tweakStates_.Forget(*twkId);
  else tweakStates_.ForgetAll();
  view_.ShowTreeStates();
}

// The description follows the selected tweak's state; it is written anew only
// when the state line changed, which keeps the user's place and selection in it.
void MainFormModel::ShowStateLine() {
  const std::optional<std::int32_t> twkId = SelectedTweak();
  if (!twkId || filledNode_ != tree_.Selected() || StateLine(tweakStates_.Get(*twkId)) == stateLine_) return;
  if (!dm_->LocateTweak(*twkId)) return;
  WriteDescription(*twkId, ReadTweak(dm_->cdsTwks));
  ContentResized();
}

void MainFormModel::Destroying() {
  // A window that never showed its tree has nothing to remember, and must not
  // overwrite what the last good run remembered.
  if (treePending_ || viewOnly_) return;
  const std::optional<std::int32_t> tweak = SelectedTweak();
  settings_.lastTip = tweak ? *tweak : -1;
  settings_.findX = find_.dialogX;
  settings_.findY = find_.dialogY;
  settings_.findWhat = find_.findText;
  settings_.split1 = treeWidth_;
  settings_.Save(ports_.settings);  // a settings file that cannot be written loses only the settings
}

std::optional<std::int32_t> MainFormModel::SelectedTweak() const {
  if (!TweakSelected()) return std::nullopt;
  return tree_.TweakAt(tree_.Selected());
}

// The whole tree from the tables, selecting the tweak LastTip names (or the
// first), which fills the panes.
void MainFormModel::BuildTree() {
  const std::vector<TreeTweak> tweaks = TreeTweaksOf(dm_->cdsTwks, dm_->cdsData);
  const std::int32_t lastTip = lastTip_;
  lastTip_ = -1;  // consumed, also when the build fails half-way
  tree_ = TweakTree(tweaks, {viewOnly_, platformMask_, lastTip}, ports_.collation);
  filledNode_ = -1;  // the node numbers are the new tree's
  view_.ShowTree(tree_);
  if (tree_.Selected() >= 0) SelectNode(tree_.Selected());
}

void MainFormModel::SelectNode(int node) { ApplyTree(tree_.Select(node)); }

// The control raises a selection change only when a select moves its
// selection: a node that closes over the selection takes it without one, and
// the select that follows names the node already selected. The panes follow
// the model's selection whichever way it moved.
void MainFormModel::ApplyTree(const TreeUpdate& update) {
  view_.ApplyTreeUpdate(tree_, update);
  if (update.select && tree_.Selected() >= 0 && tree_.Selected() != filledNode_) FillPanes(tree_.Selected());
}

void MainFormModel::SelectionChanged(int node) {
  if (node < 0) {
    tree_.Select(-1);
    return;  // nothing at all happens for no node
  }
  if (tree_.Selected() != node) tree_.Select(node);
  FillPanes(node);
}

void MainFormModel::Refresh() {
  if (tree_.Selected() >= 0) FillPanes(tree_.Selected());
}

// The selection handling, in its order.
void MainFormModel::FillPanes(int node) {
  filledNode_ = node;
  pane_.Clear();
  hasUndoData_ = false;
  stateLine_.clear();
  const bool isTweak = tree_.IsTweak(node);
  view_.ShowTweakPaneState(isTweak);
  if (!isTweak) {
    ports_.description.Clear();
    ports_.detail.Clear();
    ports_.description.Present();
    ports_.detail.Present();
  } else {
    const std::int32_t twkId = tree_.TweakAt(node);
    if (!dm_->LocateTweak(twkId)) {
      WriteMissingTweak(ports_.description, twkId);
      ports_.description.Present();
      view_.ShowControls(pane_, pane_.SizeControlsGroup(metrics_.pane));  // the cleared pane's controls go
      return;
    }
    const TweakRecord tweak = ReadTweak(dm_->cdsTwks);
    stateLine_ = StateLine(tweakStates_.Get(twkId));
    WriteTitleAndDescription(ports_.description, tweak, stateLine_);
    hasUndoData_ = dm_->cdsUndo.KeyCount(twkId) > 0;
    const std::vector<ActionRecord> actions = ActionsWithKey(dm_->cdsData, twkId);
    const ActionPassResult pass = pane_.RunActionPass(
        {actions, ports_.registry, ports_.host, ports_.measure, metrics_.pane, hasUndoData_, viewOnly_, platformMask_});
    referencedRoots_ = pass.referencedRoots;
    WriteNote(ports_.description, NoteWithKey(dm_->cdsNote, twkId));
    WritePlatforms(ports_.description, pass.platformMask, referencedRoots_, ports_.facts.ntFamily);
    ports_.description.MoveToStart();
    ports_.description.Present();
    BuildDetailText({*dm_, twkId, ports_.registry, ports_.facts, hasUndoData_, viewOnly_, platformMask_},
                    ports_.detail);
    ports_.detail.Present();
  }
  SizeControls();
  UpdateCommandStates();
  ContentResized();
}

void MainFormModel::SizeControls() {
  const ControlsGroupSize size = pane_.SizeControlsGroup(metrics_.pane);
  wants_.controls = {size.desiredHeight, size.minimumHeight};
  view_.ShowControls(pane_, size);
}

void MainFormModel::UpdateCommandStates() {
  states_ = cordalis::UpdateCommandStates(TweakSelected(), MayNotWrite(), hasUndoData_, pane_, states_.needsDataMark);
  view_.ShowCommandStates();
}

bool MainFormModel::Enabled(CommandId id) const {
  const Command& command = CommandOf(id);
  return command.enabled == nullptr || (this->*command.enabled)();
}

void MainFormModel::NodeExpanded(int node) { ApplyTree(tree_.Expand(node)); }
void MainFormModel::NodeCollapsed(int node) { ApplyTree(tree_.Collapse(node)); }
void MainFormModel::RightClicked(int node) { SelectNode(node); }

// Enter and Escape reach the window as IDOK and IDCANCEL, which are not
// commands: they do nothing.
void MainFormModel::Execute(CommandId id) {
  const Command* command = FindCommand(id);
  if (command == nullptr || !Enabled(id)) return;
  (this->*command->execute)();
}

void MainFormModel::acExitExecute() { view_.Close(); }
void MainFormModel::EditCopy1Execute() { view_.CopyFocused(); }
void MainFormModel::EditSelectAll1Execute() { view_.SelectAllFocused(); }
void MainFormModel::acFindExecute() { view_.ShowFindDialog(find_); }
bool MainFormModel::acFindNextEnabled() const { return FindNextEnabled(find_, windowEnabled_); }

void MainFormModel::acFindUndoExecute() {
  if (dm_ == nullptr) return;
  Order order(*this);
  FindTweakWithUndoCommand(*dm_, ports_.boxes, order);
}

void MainFormModel::acExAllExecute() { ApplyTree(tree_.ExpandAll()); }
void MainFormModel::acColAllExecute() { ApplyTree(tree_.CollapseAll()); }
void MainFormModel::acExOneExecute() { ApplyTree(tree_.ExpandCategory()); }
void MainFormModel::acColOneExecute() { ApplyTree(tree_.CollapseCategory()); }
void MainFormModel::acNextTweakExecute() { ApplyTree(tree_.GoNextTweak()); }
void MainFormModel::acPrevTweakExecute() { ApplyTree(tree_.GoPreviousTweak()); }
void MainFormModel::acTopExecute() { ApplyTree(tree_.GoTop()); }
void MainFormModel::acBottomExecute() { ApplyTree(tree_.GoBottom()); }

void MainFormModel::acApplyExecute() {
  const ApplyInputs in{*dm_,          ports_.registry, ports_.boxes,    ports_.facts, pane_,
                       platformMask_, writableRoots_,  referencedRoots_, MayNotWrite()};
  const std::optional<std::int32_t> tweak = SelectedTweak();
  DoItCommand(in, states_.needsDataMark, tweak, [&] {
    StatesChanged(tweak);
    Refresh();
  });
}

// Undo and Delete Undo data may end what the status bar counts.
void MainFormModel::acUndoExecute() {
  const std::optional<std::int32_t> tweak = SelectedTweak();
  const auto askDrift = [this](const std::vector<DriftRow>& rows) { return view_.AskDrift(rows); };
  UndoCommand({*dm_, ports_.registry, ports_.boxes, MayNotWrite(), askDrift}, tweak, [&] {
    StatesChanged(tweak);
    if (!changedSinceText_.empty()) CountChangedSince();
    Refresh();
  });
}

void MainFormModel::acDelUndoExecute() {
  const std::optional<std::int32_t> tweak = SelectedTweak();
  DeleteUndoDataCommand({*dm_, ports_.registry, ports_.boxes, MayNotWrite(), {}}, states_.deleteUndo, tweak, [&] {
    StatesChanged(tweak);
    if (!changedSinceText_.empty()) CountChangedSince();
    Refresh();
  });
}

// The status bar's count too: reading every undo action's value is worth it
// when the user asks, not on each return to the window.
void MainFormModel::acRefreshExecute() {
  if (dm_ == nullptr || treePending_) return;
  StatesChanged(std::nullopt);
  CountChangedSince();
  Refresh();
}

void MainFormModel::acCheckAppliedExecute() {
  RegistryReadCache reads(ports_.registry);
  const std::vector<std::int32_t> changed = TweaksChangedSince(reads, dm_->cdsUndo);
  StatesChanged(std::nullopt);
  ShowStateLine();
  ShowChangedSinceCount(changed.size());
  ports_.boxes.Show(MsgOwner::MainWindow, MsgIcon::Information, ChangedSinceMessage(changed));
}

// The tweaks by number and title, as many as a box can show.
std::string MainFormModel::ChangedSinceMessage(const std::vector<std::int32_t>& changed) {
  if (changed.empty()) return "No value of the tweaks that Cordalis applied has been changed since.";
  constexpr std::size_t kShown = 20;
  std::string text =
      "Since Cordalis applied these tweaks, something else (you, a policy, an update or another program) has "
      "changed values they wrote:\r\n";
  for (std::size_t i = 0; i < changed.size() && i < kShown; ++i) {
    text += "\r\n" + Format("#T%.04d  ", {std::int64_t{changed[i]}});
    if (dm_->LocateTweak(changed[i])) text += ReadTweak(dm_->cdsTwks).title;
  }
  if (changed.size() > kShown) text += "\r\n... and " + std::to_string(changed.size() - kShown) + " more";
  return text + "\r\n\r\nThe tree marks them with \"!\". Undo of such a tweak lists the values and asks before it "
                "puts the old data back over the newer.";
}

bool MainFormModel::acExportUndoEnabled() const { return dm_ != nullptr && dm_->cdsUndo.Data().LiveRowCount() > 0; }

void MainFormModel::acExportUndoExecute() {
  const std::optional<std::string> path = view_.AskRollbackFile();
  if (!path) return;
  const std::vector<RollbackTweak> tweaks = RollbackTweaksOf(*dm_);
  try {
    ReplaceFileAtomically(ports_.files, *path, RollbackFileText(tweaks, ""));
  } catch (const FileError& e) {
    ports_.boxes.Show(MsgOwner::MainWindow, MsgIcon::Error, "Cordalis cannot write " + *path + ": " + e.Reason());
    return;
  }
  ports_.boxes.Show(MsgOwner::MainWindow, MsgIcon::Information,
                    "The undo data of " + std::to_string(tweaks.size()) + " tweak" + (tweaks.size() == 1 ? "" : "s") +
                        " is in " + *path + ".\r\n\r\nImported with the Registry editor (a double click on the "
                        "file, or regedit /s and the file), it puts back what Undo would, without Cordalis. The "
                        "comment at its top says what each Windows can and cannot do with it.");
}

void MainFormModel::acHelpExecute() { HelpRequested(HelpTopic::Contents); }

// WinHelp offers to look for a missing file itself, which a user cannot
// answer: the window says where the help is expected instead.
void MainFormModel::HelpRequested(HelpTopic topic) {
  if (ports_.files.Exists(helpPath_)) {
    view_.ShowHelp(helpPath_, topic);
    return;
  }
  ports_.boxes.Show(MsgOwner::MainWindow, MsgIcon::Information,
                    "Cordalis's help is not installed. Cordalis looks for it in the file " + helpPath_ + ".");
}
void MainFormModel::acAboutExecute() { view_.ShowAbout(platformText_); }

void MainFormModel::WriteDescription(std::int32_t twkId, const TweakRecord& tweak) {
  stateLine_ = StateLine(tweakStates_.Get(twkId));
  WriteTitleAndDescription(ports_.description, tweak, stateLine_);
  WriteNote(ports_.description, NoteWithKey(dm_->cdsNote, twkId));
  WritePlatforms(ports_.description, MaskOf(ActionsWithKey(dm_->cdsData, twkId)), referencedRoots_,
                 ports_.facts.ntFamily);
  ports_.description.MoveToStart();
  ports_.description.Present();
}

void MainFormModel::acNoteExecute() {
  const std::optional<std::int32_t> twkId = SelectedTweak();
  if (!twkId || !dm_->LocateTweak(*twkId)) return;
  const std::optional<NoteRecord> note = NoteWithKey(dm_->cdsNote, *twkId);
  const std::optional<std::string> text =
      view_.EditNote(std::string(tree_.Label(tree_.Selected())), note ? note->note : std::string());
  if (text && SaveNote(dm_->cdsNote, *twkId, *text) == NoteOutcome::TooLong)
    ports_.boxes.Show(MsgOwner::MainWindow, MsgIcon::Error,
                      "The note is longer than the " + std::to_string(NoteWidth(dm_->cdsNote)) +
                          " characters Cordalis can keep, so it was not saved. Shorten it and try again.");
  WriteDescription(*twkId, ReadTweak(dm_->cdsTwks));
  ContentResized();
}

void MainFormModel::acHideExecute() {
  const std::optional<std::int32_t> twkId = SelectedTweak();
  if (!twkId || !dm_->LocateTweak(*twkId)) return;
  int neighbour = tree_.NextTweak(tree_.Selected());
  if (neighbour < 0) neighbour = tree_.PreviousTweak(tree_.Selected());
  if (neighbour >= 0) lastTip_ = tree_.TweakAt(neighbour);
  WritableTable writing(dm_->cdsTwks);
  dm_->cdsTwks.Edit();
  dm_->cdsTwks.SetAsBoolean(schema::kHide, true);
  dm_->cdsTwks.Post();
  writing.Finish();
  BuildTree();
}

void MainFormModel::acRevealExecute() {
  if (const std::optional<std::int32_t> twkId = SelectedTweak()) lastTip_ = *twkId;
  ClientDataSet& tweaks = dm_->cdsTwks;
  WritableTable writing(tweaks);
  for (tweaks.First(); !tweaks.Eof(); tweaks.Next()) {
    tweaks.Edit();
    tweaks.SetAsBoolean(schema::kHide, false);
    tweaks.Post();
  }
  writing.Finish();
  BuildTree();
}

void MainFormModel::FindRequested(const std::string& dialogText, FindOptions options) {
  if (dm_ == nullptr) return;
  Order order(*this);
  const TweakTextLookup lookup = TableTextLookup(*dm_);
  if (std::optional<FindResult> result = FindFromDialog(find_, dialogText, options, {order, lookup, ports_.search}))
    ShowFindResult(*result);
}

void MainFormModel::FindDialogClosed(int x, int y, FindOptions options) {
  find_.dialogX = x;
  find_.dialogY = y;
  find_.options = options;
}

void MainFormModel::acFindNextExecute() {
  if (dm_ == nullptr) return;
  Order order(*this);
  const TweakTextLookup lookup = TableTextLookup(*dm_);
  ShowFindResult(FindNextStep(find_, {order, lookup, ports_.search}));
}

void MainFormModel::ShowFindResult(const FindResult& result) {
  if (!result.found) {
    ports_.boxes.Show(MsgOwner::MainWindow, MsgIcon::Information, result.message);
    return;
  }
  SelectNode(result.nodeIndex);
  const std::optional<std::int32_t> twkId = SelectedTweak();
  int start = result.matchStart;
  if (twkId && dm_->LocateTweak(*twkId)) start = PanePosition(ReadTweak(dm_->cdsTwks), stateLine_, start);
  ports_.description.Select(start, result.matchLength);
}

void MainFormModel::ColumnResized(int columnHeight, int clientWidth) {
  // A minimised window has no client area; its panes keep their sizes for
  // its return, and the tree its width for the settings.
  if (clientWidth <= 0) return;
  column_.column = columnHeight;
  clientWidth_ = clientWidth;
  if (!VSplitAccepts(treeWidth_, clientWidth_)) {
    // A narrower window gives the tree what the column leaves, down to its minimum.
    treeWidth_ = std::max(kMinTreeWidth, clientWidth_ - kVSplitWidth - kMinColumnWidth);
  }
  ContentResized();
}

void MainFormModel::ContentResized() {
  wants_.description.desired =
      DesiredPaneHeight(ports_.description.RequestedHeight(), metrics_.descriptionOverhead, kMinPaneHeight);
  wants_.detail.desired = DesiredPaneHeight(ports_.detail.RequestedHeight(), metrics_.detailOverhead, kMinPaneHeight);
  Layout();
}

void MainFormModel::Layout() {
  column_ = DivideColumn(column_, wants_);
  view_.ShowLayout(treeWidth_, column_);
}

bool MainFormModel::TreeSplitterMoved(int proposedTreeWidth) {
  if (!VSplitAccepts(proposedTreeWidth, clientWidth_)) return false;
  treeWidth_ = proposedTreeWidth;
  ContentResized();
  return true;
}

bool MainFormModel::DescSplitterMoved(int proposedDetCon) {
  if (!DescSplitterAccepts(proposedDetCon, column_, wants_)) return false;
  ColumnSizes moved = column_;
  moved.detCon = proposedDetCon;
  column_ = AfterDescSplitterMoved(moved, wants_);
  view_.ShowLayout(treeWidth_, column_);
  return true;
}

bool MainFormModel::CtrlsSplitterMoved(int proposedControls) {
  if (!CtrlsSplitterAccepts(proposedControls, column_, wants_)) return false;
  column_.controls = proposedControls;
  view_.ShowLayout(treeWidth_, column_);
  return true;
}

std::string MainFormModel::CommandPanelHint(const std::vector<ButtonPlace>& buttons, int x, int y) {
  std::string hint;
  for (const ButtonPlace& b : buttons)
    if (x >= b.left && x < b.left + b.width && y >= b.top && y < b.top + b.height)
      hint = std::string(LongHint(CommandOf(b.command).hint));
  return hint;
}

}  // namespace cordalis
