#pragma once
// TMainForm: the main window. It lays out its children, turns each message
// into one call of the main-window model and mirrors what the model says.
#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>

#include <memory>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "app/win32/containers.h"
#include "app/win32/rich_edit_pane.h"
#include "app/win32/tree_view.h"
#include "controls/win32/controls_pane_view.h"
#include "controls/win32/gdi_text_measure.h"
#include "host/win32/unique_handle.h"
#include "host/win32/window.h"

namespace cordalis {

class TextSearch;

// What the window is made with: the ports the model stands on.
struct MainWindowSetup {
  HINSTANCE instance;
  RegistryApi& registry;
  HostQueries& host;
  const HostFacts& facts;
  MessageBoxes& boxes;
  SettingsStore& settings;
  const TextCollation& collation;
  std::vector<std::string> arguments;
  std::string programPath;
};

class TMainForm final : public Window, private MainFormView {
 public:
  static constexpr const char* kClassName = "TMainForm";
  static void RegisterClasses(HINSTANCE instance);

  explicit TMainForm(const MainWindowSetup& setup);
  ~TMainForm() override;

  MainFormModel& Model() { return *model_; }
  HACCEL Accelerators() const { return accelerators_; }
  // The message loop's share of the window: the status-bar hint follows the
  // mouse, and the command states are brought up to date when it is idle.
  void Mouse(const MSG& message);
  void Idle();
  // The modeless Find dialog, while open, for the message loop.
  HWND FindDialog() const { return findDialog_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // MainFormView
  void ShowTree(const TweakTree& tree) override;
  void ApplyTreeUpdate(const TweakTree& tree, const TreeUpdate& update) override;
  void ShowTreeStates() override;
  DriftChoice AskDrift(const std::vector<DriftRow>& rows) override;
  void ShowTweakPaneState(bool tweakSelected) override;
  void ShowControls(const ControlsPaneModel& pane, const ControlsGroupSize& size) override;
  void ShowLayout(int treeWidth, const ColumnSizes& column) override;
  void ShowCommandStates() override;
  void Terminate() override;
  std::optional<std::string> EditNote(const std::string& title, const std::string& note) override;
  void ShowAbout(const std::string& platformText) override;
  void ShowFindDialog(const FindState& find) override;
  void ShowHelp(const std::string& helpPath, HelpTopic topic) override;
  std::optional<std::string> AskRollbackFile() override;
  void CopyFocused() override;
  void SelectAllFocused() override;
  void Close() override;

  void CreateFonts();
  void CreateImageLists();
  void CreateMenuAndToolBar();
  void CreateChildren();
  void RestorePlacement();
  void SavePlacement();
  int Scale(int pixels) const { return MulDiv(pixels, ppi_, 96); }
  void LayoutWindow();
  void RememberFocus();
  void RestoreFocus();
  void SetHint(const std::string& hint);
  void HintAt(HWND over, POINT screen);
  std::vector<std::pair<HWND, CommandId>> CommandButtons() const;
  void CreateButtonTips();
  void PlaceButtonTips();
  LRESULT Notify(const NMHDR& header);
  void InitMenu(HMENU menu);
  void RichEditMenu(HWND richEdit, LPARAM at);
  void Browse(PaneHandler handler, int buttonNumber);
  void FindMessage(LPARAM lParam);
  FindOptions FindDialogOptions() const;
  void FindDialogGoes();

  HINSTANCE instance_;
  MainWindowSetup setup_;
  int ppi_ = 96;
  UniqueHandle<GdiObjectTraits> font_;
  std::string fontFace_;
  int fontPoints_ = 8;
  HIMAGELIST iltv_ = nullptr, ilHot_ = nullptr, ilDim_ = nullptr;
  HACCEL accelerators_ = nullptr;
  HWND toolBar_ = nullptr, statusBar_ = nullptr, bevel_ = nullptr, bvBtns_ = nullptr;
  HWND btnApply_ = nullptr, btnUndo_ = nullptr, btnNote_ = nullptr;
  HWND buttonTips_ = nullptr;
  HWND focus_ = nullptr;  // the control that had the keyboard when the window was left
  std::unique_ptr<GroupBox> gbTweaks_, gbDesc_, gbDetail_, gbCtrls_;
  std::unique_ptr<Panel> pnlDesc_, pnlDetCon_, pnlAct_;
  std::unique_ptr<Splitter> vSplit_, hSplitDD_, hsplitCd_;
  std::unique_ptr<TreeView> tv1_;
  std::unique_ptr<RichEditPane> reDesc_, reDetail_, reHiddenForFind_;
  std::unique_ptr<TextSearch> search_;
  GdiTextMeasure measure_;
  std::unique_ptr<MainFormModel> model_;
  std::unique_ptr<ControlsPaneView> sbCtrls_;
  ColumnSizes dragStart_;
  int dragTreeWidth_ = 0;
  std::string hint_;  // what the status bar shows
  bool hintShown_ = false;  // a command's hint, rather than the run's own state
  bool inMenu_ = false;
  HWND findDialog_ = nullptr;
  UINT findMessage_ = 0;
  UINT helpMessage_ = 0;
  std::string helpShown_;  // the help file WinHelp was asked to show, if any
  std::vector<char> findBuffer_;
  std::unique_ptr<FINDREPLACEA> findRequest_;
};

}  // namespace cordalis
