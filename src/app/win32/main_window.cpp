#include "app/win32/main_window.h"

#include <dlgs.h>
#include <windowsx.h>

#include <algorithm>
#include <initializer_list>
#include <utility>
#include <stdexcept>

#include "app/commands.h"
#include "app/help_topics.h"
#include "app/tree_state_marks.h"
#include "app/window_font.h"
#include "app/window_placement.h"
#include "app/win32/about_form.h"
#include "app/win32/drift_form.h"
#include "app/win32/note_form.h"
#include "app/win32/rich_edit_search.h"
#include "controls/browse_logic.h"
#include "controls/win32/browse_dialogs.h"
#include "host/file_store.h"
#include "host/message_boxes.h"
#include "host/platform.h"
#include "host/win32/system_libraries.h"

namespace cordalis {
namespace {

constexpr int kTreeId = 300;
constexpr int kDescId = 301;
constexpr int kDetailId = 302;
constexpr int kHiddenId = 303;
constexpr int kDesignWidth = 592, kDesignHeight = 501;
constexpr int kMinWidth = 620, kMinHeight = 480;
constexpr int kCommandPanelHeight = 39;
constexpr int kBevelHeight = 4;

// The numbered 16 x 16 bitmaps of the resources, magenta transparent, from
// each range in turn.
HIMAGELIST ImageList(HINSTANCE instance, std::initializer_list<std::pair<int, int>> ranges) {
  int count = 0;
  for (auto [first, last] : ranges) count += last - first + 1;
  HIMAGELIST list = ImageList_Create(16, 16, ILC_COLORDDB | ILC_MASK, count, 0);
  for (auto [first, last] : ranges)
    for (int id = first; id <= last; ++id) {
      HBITMAP bitmap = LoadBitmapA(instance, MAKEINTRESOURCEA(id));
      if (bitmap == nullptr) continue;
      ImageList_AddMasked(list, bitmap, RGB(255, 0, 255));
      DeleteObject(bitmap);
    }
  return list;
}

HWND Button(HWND parent, HINSTANCE instance, CommandId id) {
  return CreateWindowExA(0, WC_BUTTONA, CommandOf(id).caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0,
                         0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
}

// Moves a window only when its place changes: moving a rich edit makes it
// lay out its text again, and the layout runs on every selection.
// True when the window moved.
bool Place(HWND window, int x, int y, int width, int height) {
  RECT now;
  GetWindowRect(window, &now);
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&now), 2);
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (now.left == x && now.top == y && now.right - now.left == width && now.bottom - now.top == height) return false;
  // No repaint and no copying of the old bits for each window moved: the
  // layout repaints what it moved once, when every window is in its place.
  SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS | SWP_NOREDRAW);
  return true;
}

RECT RectIn(HWND window, HWND parent) {
  RECT r;
  GetWindowRect(window, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

}  // namespace

void TMainForm::RegisterClasses(HINSTANCE instance) {
  RegisterWindowClass(instance, kClassName, LoadIconA(instance, MAKEINTRESOURCEA(1)));
  Panel::RegisterClasses(instance);
  Splitter::RegisterClasses(instance);
  ControlsPaneView::RegisterClasses(instance);
}

TMainForm::TMainForm(const MainWindowSetup& setup) : instance_(setup.instance), setup_(setup) {
  HDC screen = GetDC(nullptr);
  ppi_ = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  findMessage_ = RegisterWindowMessageA(FINDMSGSTRINGA);
  helpMessage_ = RegisterWindowMessageA(HELPMSGSTRINGA);
  Create(kClassName, "Cordalis", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, CW_USEDEFAULT, CW_USEDEFAULT,
         Scale(kDesignWidth), Scale(kDesignHeight), nullptr, instance_);
  CreateFonts();
  CreateImageLists();
  CreateMenuAndToolBar();
  CreateChildren();

  MainFormMetrics metrics;
  metrics.pane.pixelsPerInch = ppi_;
  metrics.pane.applyLeft = Scale(8);
  metrics.pane.applyWidth = Scale(75);
  metrics.pane.applyHeight = Scale(25);
  metrics.pane.commandPanelHeight = Scale(kCommandPanelHeight);
  metrics.pane.horizontalScrollBar = GetSystemMetrics(SM_CXHSCROLL);
  const TextSize text = measure_.Measure("Xg");
  metrics.pane.editHeight = text.height + 8;
  metrics.pane.checkBoxHeight = std::max(text.height + 4, 17);
  metrics.pane.upDownWidth = GetSystemMetrics(SM_CXVSCROLL);
  metrics.descriptionOverhead = gbDesc_->Overhead();
  metrics.detailOverhead = gbDetail_->Overhead();
  const MainFormPorts ports{setup.registry, SystemFileStore(), setup.host, setup.facts, setup.boxes, setup.settings,
                            setup.collation, measure_,         *search_,   *reDesc_,    *reDetail_};
  MainFormView& view = *this;
  model_ = std::make_unique<MainFormModel>(ports, view, setup.arguments, setup.programPath, metrics);
  SetWindowTextA(Handle(), model_->Caption().c_str());

  sbCtrls_ = std::make_unique<ControlsPaneView>(gbCtrls_->Handle(), instance_, model_->Pane(), measure_);
  sbCtrls_->SetFont(static_cast<HFONT>(font_.get()));
  sbCtrls_->onBrowse = [this](PaneHandler handler, int number) { Browse(handler, number); };
  SetWindowPos(sbCtrls_->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);  // first in the tab order

  RestorePlacement();
  LayoutWindow();
  ShowTweakPaneState(false);
  ShowCommandStates();
}

TMainForm::~TMainForm() {
  model_.reset();
  if (accelerators_) DestroyAcceleratorTable(accelerators_);
  for (HIMAGELIST list : {iltv_, ilHot_, ilDim_})
    if (list) ImageList_Destroy(list);
}

// The system's message font, kept to 8 to 12 points.
void TMainForm::CreateFonts() {
  LOGFONTA font = SystemMessageFont();
  font.lfHeight = WindowFontHeight(font.lfHeight, ppi_);
  font_.Reset(CreateFontIndirectA(&font));
  fontFace_ = font.lfFaceName;
  fontPoints_ = FontPointSize(font.lfHeight, ppi_);
  measure_.SetFont(static_cast<HFONT>(font_.get()));
}

void TMainForm::CreateImageLists() {
  // The tree's plain images, then the documents marked with a tweak's state.
  iltv_ = ImageList(instance_, {{2, 6}, {32, 32 + kLastStateMarkImage - kInEffectImage}});
  ilHot_ = ImageList(instance_, {{7, 21}});
  ilDim_ = ImageList(instance_, {{22, 31}});
}

void TMainForm::CreateMenuAndToolBar() {
  HMENU bar = CreateMenu();
  for (const Menu& menu : MainMenu()) {
    HMENU popup = CreatePopupMenu();
    for (CommandId id : menu.items) {
      if (id == cmdNone) {
        AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
        continue;
      }
      const Command& command = CommandOf(id);
      std::string item = command.caption;
      if (const std::string keys = ShortcutText(command.shortcut); !keys.empty()) item += "\t" + keys;
      AppendMenuA(popup, MF_STRING, static_cast<UINT_PTR>(id), item.c_str());
    }
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), menu.caption);
  }
  SetMenu(Handle(), bar);

  std::vector<ACCEL> keys;
  for (const Command& command : Commands()) {
    if (command.shortcut.key == vkNone) continue;
    BYTE flags = FVIRTKEY;
    if (command.shortcut.ctrl) flags |= FCONTROL;
    if (command.shortcut.shift) flags |= FSHIFT;
    if (command.shortcut.alt) flags |= FALT;
    keys.push_back({flags, static_cast<WORD>(command.shortcut.key), static_cast<WORD>(command.id)});
  }
  accelerators_ = CreateAcceleratorTableA(keys.data(), static_cast<int>(keys.size()));

  toolBar_ = CreateWindowExA(0, TOOLBARCLASSNAMEA, "",
                             WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP | CCS_NODIVIDER, 0, 0,
                             0, 0, Handle(), nullptr, instance_, nullptr);
  SendMessageA(toolBar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageA(toolBar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(ilDim_));
  SendMessageA(toolBar_, TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(ilHot_));
  std::vector<TBBUTTON> buttons;
  for (CommandId id : ToolBarButtons()) {
    TBBUTTON b{};
    b.iBitmap = id == cmdNone ? 0 : CommandOf(id).image;
    b.idCommand = id;
    b.fsState = TBSTATE_ENABLED;
    b.fsStyle = id == cmdNone ? TBSTYLE_SEP : TBSTYLE_BUTTON;
    buttons.push_back(b);
  }
  SendMessageA(toolBar_, TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
  SendMessageA(toolBar_, TB_AUTOSIZE, 0, 0);

  statusBar_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, Handle(),
                               nullptr, instance_, nullptr);
  SendMessageA(statusBar_, SB_SIMPLE, TRUE, 0);
  bevel_ = CreateWindowExA(0, WC_STATICA, "", WS_CHILD | WS_VISIBLE | SS_ETCHEDHORZ, 0, 0, 0, 0, Handle(), nullptr,
                           instance_, nullptr);
}

void TMainForm::CreateChildren() {
  const HFONT font = static_cast<HFONT>(font_.get());
  gbTweaks_ = std::make_unique<GroupBox>(Handle(), instance_, "Tweaks");
  tv1_ = std::make_unique<TreeView>(gbTweaks_->Handle(), instance_, kTreeId);
  tv1_->SetStateImages(iltv_);
  tv1_->onSelectionChanged = [this](int node) { model_->SelectionChanged(node); };
  tv1_->onExpanded = [this](int node) { model_->NodeExpanded(node); };
  tv1_->onCollapsed = [this](int node) { model_->NodeCollapsed(node); };
  tv1_->onRightClick = [this](int node) { model_->RightClicked(node); };
  tv1_->imagesOf = [this](const std::vector<int>& nodes) { return model_->TreeImages(nodes); };
  vSplit_ = std::make_unique<Splitter>(Handle(), instance_, Splitter::Direction::Vertical, 0);
  pnlDesc_ = std::make_unique<Panel>(Handle(), instance_);
  gbDesc_ = std::make_unique<GroupBox>(pnlDesc_->Handle(), instance_, "Description");
  const RichEditClass richEdit = LoadRichEdit(RealSystemLibraries());
  reDesc_ = std::make_unique<RichEditPane>(gbDesc_->Handle(), instance_, richEdit, kDescId);
  hSplitDD_ = std::make_unique<Splitter>(pnlDesc_->Handle(), instance_, Splitter::Direction::Horizontal, 0);
  pnlDetCon_ = std::make_unique<Panel>(pnlDesc_->Handle(), instance_);
  gbDetail_ = std::make_unique<GroupBox>(pnlDetCon_->Handle(), instance_, "Detail");
  reDetail_ = std::make_unique<RichEditPane>(gbDetail_->Handle(), instance_, richEdit, kDetailId);
  hsplitCd_ = std::make_unique<Splitter>(pnlDetCon_->Handle(), instance_, Splitter::Direction::Horizontal, 0);
  gbCtrls_ = std::make_unique<GroupBox>(pnlDetCon_->Handle(), instance_, "Controls");
  pnlAct_ = std::make_unique<Panel>(gbCtrls_->Handle(), instance_);
  bvBtns_ = CreateWindowExA(0, WC_STATICA, "", WS_CHILD | SS_ETCHEDHORZ, 0, 0, 0, 0, pnlAct_->Handle(), nullptr,
                            instance_, nullptr);
  btnApply_ = Button(pnlAct_->Handle(), instance_, cmdApply);
  btnUndo_ = Button(pnlAct_->Handle(), instance_, cmdUndo);
  btnNote_ = Button(pnlAct_->Handle(), instance_, cmdNote);
  CreateButtonTips();
  reHiddenForFind_ = std::make_unique<RichEditPane>(Handle(), instance_, richEdit, kHiddenId);
  ShowWindow(reHiddenForFind_->Handle(), SW_HIDE);
  search_ = std::make_unique<RichEditSearch>(reHiddenForFind_->Handle(), richEdit.version >= 2);

  for (GroupBox* box : {gbTweaks_.get(), gbDesc_.get(), gbDetail_.get(), gbCtrls_.get()}) box->SetFont(font);
  for (HWND w : {tv1_->Handle(), btnApply_, btnUndo_, btnNote_, statusBar_, reHiddenForFind_->Handle()})
    SendMessageA(w, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  for (RichEditPane* pane : {reDesc_.get(), reDetail_.get()}) {
    pane->SetFont(font, fontFace_, fontPoints_);
    pane->SetParagraphIndents(0, 8, 8);
  }

  vSplit_->onDragStart = [this] { dragTreeWidth_ = model_->TreeWidth(); };
  vSplit_->onDrag = [this](int moved) { model_->TreeSplitterMoved(dragTreeWidth_ + moved); };
  hSplitDD_->onDragStart = [this] { dragStart_ = model_->Column(); };
  hSplitDD_->onDrag = [this](int moved) { model_->DescSplitterMoved(dragStart_.detCon - moved); };
  hsplitCd_->onDragStart = [this] { dragStart_ = model_->Column(); };
  hsplitCd_->onDrag = [this](int moved) { model_->CtrlsSplitterMoved(dragStart_.controls - moved); };
}

void TMainForm::RestorePlacement() {
  RECT work;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  WINDOWPLACEMENT now{};
  now.length = sizeof now;
  GetWindowPlacement(Handle(), &now);
  // A placement's rectangle is in workspace coordinates: the work area's own.
  const WindowRect area{0, 0, work.right - work.left, work.bottom - work.top};
  const WindowPlacement current{static_cast<std::int32_t>(now.flags), static_cast<std::int32_t>(now.showCmd),
                                now.ptMinPosition.x, now.ptMinPosition.y, now.ptMaxPosition.x, now.ptMaxPosition.y,
                                {now.rcNormalPosition.left, now.rcNormalPosition.top, now.rcNormalPosition.right,
                                 now.rcNormalPosition.bottom}};
  // The designed width is below the window's minimum, which wins. Both are
  // the design's pixels at 96 per inch and grow with the screen's, as the
  // window's font and every control in it do.
  const WindowPlacement p =
      cordalis::RestorePlacement(setup_.settings, PlacementSection("MainForm"), current,
                                 std::max(Scale(kDesignWidth), Scale(kMinWidth)),
                                 std::max(Scale(kDesignHeight), Scale(kMinHeight)), area);
  WINDOWPLACEMENT next{};
  next.length = sizeof next;
  next.flags = static_cast<UINT>(p.flags);
  next.showCmd = static_cast<UINT>(p.showCmd);
  next.ptMinPosition = {p.minX, p.minY};
  next.ptMaxPosition = {p.maxX, p.maxY};
  next.rcNormalPosition = {p.normal.left, p.normal.top, p.normal.right, p.normal.bottom};
  SetWindowPlacement(Handle(), &next);
}

void TMainForm::SavePlacement() {
  WINDOWPLACEMENT now{};
  now.length = sizeof now;
  if (!GetWindowPlacement(Handle(), &now)) return;
  cordalis::SavePlacement(setup_.settings, PlacementSection("MainForm"),
                          {static_cast<std::int32_t>(now.flags), static_cast<std::int32_t>(now.showCmd),
                           now.ptMinPosition.x, now.ptMinPosition.y, now.ptMaxPosition.x, now.ptMaxPosition.y,
                           {now.rcNormalPosition.left, now.rcNormalPosition.top, now.rcNormalPosition.right,
                            now.rcNormalPosition.bottom}});
}

void TMainForm::LayoutWindow() {
  if (!model_) return;
  RECT client;
  GetClientRect(Handle(), &client);
  SendMessageA(toolBar_, TB_AUTOSIZE, 0, 0);
  SendMessageA(statusBar_, WM_SIZE, 0, 0);
  const RECT tools = RectIn(toolBar_, Handle());
  const RECT status = RectIn(statusBar_, Handle());
  const int top = tools.bottom;
  const int bottom = status.top - kBevelHeight;
  MoveWindow(bevel_, 0, bottom + 1, client.right, 2, TRUE);
  model_->ColumnResized(std::max<int>(bottom - top, 0), client.right);
}

void TMainForm::ShowLayout(int treeWidth, const ColumnSizes& column) {
  RECT client;
  GetClientRect(Handle(), &client);
  const int top = RectIn(toolBar_, Handle()).bottom;
  bool moved = false;
  const auto place = [&moved](HWND window, int x, int y, int width, int height) {
    moved = Place(window, x, y, width, height) || moved;
  };
  const int height = column.column;
  place(gbTweaks_->Handle(), 0, top, treeWidth, height);
  const RECT treeArea = gbTweaks_->ContentRect();
  place(tv1_->Handle(), treeArea.left, treeArea.top, treeArea.right - treeArea.left, treeArea.bottom - treeArea.top);
  place(vSplit_->Handle(), treeWidth, top, kVSplitWidth, height);
  const int width = client.right - treeWidth - kVSplitWidth;
  place(pnlDesc_->Handle(), treeWidth + kVSplitWidth, top, width, height);
  place(gbDesc_->Handle(), 0, 0, width, column.Description());
  place(hSplitDD_->Handle(), 0, column.DescSplitterTop(), width, kDescSplitterHeight);
  place(pnlDetCon_->Handle(), 0, column.DetConTop(), width, column.detCon);
  place(gbDetail_->Handle(), 0, 0, width, column.Detail());
  place(hsplitCd_->Handle(), 0, column.CtrlsSplitterTop(), width, kCtrlsSplitterHeight);
  place(gbCtrls_->Handle(), 0, column.ControlsTop(), width, column.controls);
  for (auto [box, pane] : {std::pair{gbDesc_.get(), reDesc_.get()}, std::pair{gbDetail_.get(), reDetail_.get()}}) {
    const RECT r = box->ContentRect();
    place(pane->Handle(), r.left, r.top, r.right - r.left, r.bottom - r.top);
  }
  const RECT ctrls = gbCtrls_->ContentRect();
  const int actHeight = Scale(kCommandPanelHeight);
  const int ctrlsWidth = ctrls.right - ctrls.left;
  place(pnlAct_->Handle(), ctrls.left, ctrls.bottom - actHeight, ctrlsWidth, actHeight);
  place(sbCtrls_->Handle(), ctrls.left, ctrls.top, ctrlsWidth, ctrls.bottom - ctrls.top - actHeight);
  model_->PaneResized(sbCtrls_->ClientWidth());
  place(bvBtns_, 0, 0, ctrlsWidth, 2);
  int left = Scale(8);
  for (HWND button : {btnApply_, btnUndo_, btnNote_}) {
    place(button, left, Scale(9), Scale(75), Scale(25));
    left += Scale(80);
  }
  PlaceButtonTips();
  if (!moved) return;
  for (HWND area : {gbTweaks_->Handle(), vSplit_->Handle(), pnlDesc_->Handle()})
    RedrawWindow(area, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void TMainForm::ShowTree(const TweakTree& tree) { tv1_->Show(tree); }

void TMainForm::ApplyTreeUpdate(const TweakTree& tree, const TreeUpdate& update) { tv1_->Apply(tree, update); }

void TMainForm::ShowTreeStates() { tv1_->ShowStates(); }

DriftChoice TMainForm::AskDrift(const std::vector<DriftRow>& rows) {
  TDriftForm form(rows);
  return form.Ask(instance_, Handle());
}

void TMainForm::ShowTweakPaneState(bool tweakSelected) {
  for (GroupBox* box : {gbDesc_.get(), gbDetail_.get(), gbCtrls_.get()}) box->SetCaptionGreyed(!tweakSelected);
  for (HWND w : {gbDesc_->Handle(), gbDetail_->Handle(), hSplitDD_->Handle(), hsplitCd_->Handle()})
    EnableWindow(w, tweakSelected);
  for (RichEditPane* pane : {reDesc_.get(), reDetail_.get()}) {
    pane->SetBackground(tweakSelected ? COLOR_WINDOW : COLOR_BTNFACE);
    EnableWindow(pane->Handle(), tweakSelected);
  }
}

void TMainForm::ShowControls(const ControlsPaneModel&, const ControlsGroupSize& size) {
  ShowWindow(bvBtns_, size.separatorVisible ? SW_SHOW : SW_HIDE);
  sbCtrls_->Show();
}

void TMainForm::ShowCommandStates() {
  if (!model_) return;
  for (auto [button, id] : {std::pair{btnApply_, cmdApply}, std::pair{btnUndo_, cmdUndo}, std::pair{btnNote_, cmdNote}})
    EnableWindow(button, model_->Enabled(id));
  for (CommandId id : ToolBarButtons())
    if (id != cmdNone) SendMessageA(toolBar_, TB_ENABLEBUTTON, id, MAKELPARAM(model_->Enabled(id) ? TRUE : FALSE, 0));
}

void TMainForm::Terminate() { PostMessageA(Handle(), WM_CLOSE, 0, 0); }

void TMainForm::Idle() {
  if (!model_) return;
  model_->SetWindowEnabled(IsWindowEnabled(Handle()) != FALSE);
  model_->UpdateCommandStates();
  if (!hintShown_) SetHint("");  // the run's own state may have changed
}

// Without a hint, the status bar tells why the run cannot write, if it cannot.
void TMainForm::SetHint(const std::string& hint) {
  hintShown_ = !hint.empty();
  const std::string shown = hint.empty() && model_ ? model_->IdleStatusText() : hint;
  if (shown == hint_) return;
  hint_ = shown;
  SendMessageA(statusBar_, SB_SETTEXTA, 255, reinterpret_cast<LPARAM>(hint_.c_str()));
}

// The status bar shows the long hint of the button under the mouse, enabled
// or not, and nothing once the mouse has left it or the window.
void TMainForm::Mouse(const MSG& message) {
  if (inMenu_) return;
  if (message.message == WM_MOUSELEAVE) {
    POINT at;
    GetCursorPos(&at);
    HintAt(WindowFromPoint(at), at);
  } else if (message.message == WM_MOUSEMOVE) {
    HintAt(message.hwnd, message.pt);
  }
}

void TMainForm::HintAt(HWND over, POINT screen) {
  if (over == toolBar_) {
    POINT at = screen;
    ScreenToClient(toolBar_, &at);
    const int index = static_cast<int>(SendMessageA(toolBar_, TB_HITTEST, 0, reinterpret_cast<LPARAM>(&at)));
    TBBUTTON button{};
    const bool onButton = index >= 0 &&
                          SendMessageA(toolBar_, TB_GETBUTTON, index, reinterpret_cast<LPARAM>(&button)) &&
                          !(button.fsStyle & TBSTYLE_SEP);
    SetHint(onButton ? std::string(LongHint(CommandOf(static_cast<CommandId>(button.idCommand)).hint)) : std::string());
  } else if (over == pnlAct_->Handle() || over == btnApply_ || over == btnUndo_ || over == btnNote_) {
    // A disabled button does not see the mouse, so the panel carries its hint.
    POINT at = screen;
    ScreenToClient(pnlAct_->Handle(), &at);
    std::vector<MainFormModel::ButtonPlace> places;
    for (auto [button, id] : CommandButtons()) {
      const RECT r = RectIn(button, pnlAct_->Handle());
      places.push_back({id, r.left, r.top, r.right - r.left, r.bottom - r.top});
    }
    SetHint(MainFormModel::CommandPanelHint(places, at.x, at.y));
    // The buttons' tips answer the panel's mouse, so that a disabled one shows its tip too.
    MSG relayed{pnlAct_->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y), 0, screen};
    SendMessageA(buttonTips_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
  } else {
    SetHint("");
    return;
  }
  TrackMouseLeave(RealSystemLibraries(), over);
}

std::vector<std::pair<HWND, CommandId>> TMainForm::CommandButtons() const {
  return {{btnApply_, cmdApply}, {btnUndo_, cmdUndo}, {btnNote_, cmdNote}};
}

// Tips over the DO IT, Undo and Note buttons, the short hints of their
// commands, found by place on the command panel.
void TMainForm::CreateButtonTips() {
  buttonTips_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr, instance_, nullptr);
  for (auto [button, id] : CommandButtons()) {
    std::string tip(ShortHint(CommandOf(id).hint));  // the control keeps a copy
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V1_SIZE;
    tool.hwnd = pnlAct_->Handle();
    tool.uId = static_cast<UINT_PTR>(id);
    tool.lpszText = tip.data();
    SendMessageA(buttonTips_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

// The tips' places follow the buttons'.
void TMainForm::PlaceButtonTips() {
  for (auto [button, id] : CommandButtons()) {
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V1_SIZE;
    tool.hwnd = pnlAct_->Handle();
    tool.uId = static_cast<UINT_PTR>(id);
    tool.rect = RectIn(button, pnlAct_->Handle());
    SendMessageA(buttonTips_, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void TMainForm::InitMenu(HMENU menu) {
  for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
    const UINT id = GetMenuItemID(menu, i);
    if (id != 0 && id != static_cast<UINT>(-1))
      EnableMenuItem(menu, id, MF_BYCOMMAND | (model_->Enabled(static_cast<CommandId>(id)) ? MF_ENABLED : MF_GRAYED));
  }
}

void TMainForm::RichEditMenu(HWND richEdit, LPARAM at) {
  RichEditPane* pane = richEdit == reDesc_->Handle() ? reDesc_.get() : reDetail_.get();
  HMENU menu = CreatePopupMenu();
  for (CommandId id : cordalis::RichEditMenu()) {
    if (id == cmdNone) {
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    const Command& command = CommandOf(id);
    AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(id),
                (std::string(command.caption) + "\t" + ShortcutText(command.shortcut)).c_str());
  }
  POINT p{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
  if (p.x == -1 && p.y == -1) GetCursorPos(&p);  // from the keyboard
  const int chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, p.x, p.y, 0, Handle(), nullptr);
  DestroyMenu(menu);
  if (chosen == cmdCopy) pane->Copy();
  if (chosen == cmdSelectAll) pane->SelectAll();
}

std::optional<std::string> TMainForm::EditNote(const std::string& title, const std::string& note) {
  TNoteForm form(setup_.settings, static_cast<HFONT>(font_.get()), title, note, ppi_);
  return form.Edit(instance_, Handle());
}

void TMainForm::ShowAbout(const std::string& platformText) {
  TAboutForm form(setup_.programPath, platformText, ppi_);
  form.Show(instance_, Handle());
}

// The standard Find dialog, modeless, at its remembered place with the
// remembered text and options.
void TMainForm::ShowFindDialog(const FindState& find) {
  if (findDialog_ != nullptr) {  // opened again: as a first open would show it
    SetDlgItemTextA(findDialog_, edt1, find.findText.c_str());
    CheckDlgButton(findDialog_, chx1, find.options.wholeWord ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(findDialog_, chx2, find.options.matchCase ? BST_CHECKED : BST_UNCHECKED);
    CheckRadioButton(findDialog_, rad1, rad2, find.options.down ? rad2 : rad1);
    SetWindowPos(findDialog_, HWND_TOP, find.dialogX, find.dialogY, 0, 0, SWP_NOSIZE);
    SetActiveWindow(findDialog_);
    return;
  }
  findBuffer_.assign(256, '\0');
  find.findText.copy(findBuffer_.data(), findBuffer_.size() - 1);
  findRequest_ = std::make_unique<FINDREPLACEA>();
  *findRequest_ = FINDREPLACEA{};
  findRequest_->lStructSize = sizeof(FINDREPLACEA);
  findRequest_->hwndOwner = Handle();
  findRequest_->lpstrFindWhat = findBuffer_.data();
  findRequest_->wFindWhatLen = static_cast<WORD>(findBuffer_.size());
  findRequest_->Flags = FR_SHOWHELP | (find.options.down ? FR_DOWN : 0) | (find.options.matchCase ? FR_MATCHCASE : 0) |
                        (find.options.wholeWord ? FR_WHOLEWORD : 0);
  findDialog_ = FindTextA(findRequest_.get());
  if (findDialog_ != nullptr)
    SetWindowPos(findDialog_, nullptr, find.dialogX, find.dialogY, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

// The Find dialog's topic is opened by its name: the help file maps no
// context numbers.
void TMainForm::ShowHelp(const std::string& helpPath, HelpTopic topic) {
  if (topic == HelpTopic::Find) {
    const std::string macro = JumpToTopicMacro(kHelpTopicFind);
    WinHelpA(Handle(), helpPath.c_str(), HELP_COMMAND, reinterpret_cast<ULONG_PTR>(macro.c_str()));
  } else {
    WinHelpA(Handle(), helpPath.c_str(), HELP_FINDER, 0);
  }
  helpShown_ = helpPath;
}

std::optional<std::string> TMainForm::AskRollbackFile() {
  char file[MAX_PATH] = "Cordalis rollback.reg";
  static const char kFilter[] = "Registration files (*.reg)\0*.reg\0All files (*.*)\0*.*\0";
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;  // the size Windows 95 and NT 4.0 know, with _WIN32_WINNT at 0x0400
  dialog.hwndOwner = Handle();
  dialog.lpstrFilter = kFilter;
  dialog.lpstrFile = file;
  dialog.nMaxFile = sizeof file;
  dialog.lpstrTitle = "Export undo data";
  dialog.lpstrDefExt = "reg";
  dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetSaveFileNameA(&dialog)) return std::nullopt;
  return std::string(file);
}

void TMainForm::CopyFocused() {
  HWND focus = GetFocus();
  if (focus == reDesc_->Handle()) reDesc_->Copy();
  else if (focus == reDetail_->Handle()) reDetail_->Copy();
  else if (focus) SendMessageA(focus, WM_COPY, 0, 0);
}

void TMainForm::SelectAllFocused() {
  HWND focus = GetFocus();
  if (focus == reDesc_->Handle()) reDesc_->SelectAll();
  else if (focus == reDetail_->Handle()) reDetail_->SelectAll();
  else if (focus) SendMessageA(focus, EM_SETSEL, 0, -1);
}

void TMainForm::Close() { PostMessageA(Handle(), WM_CLOSE, 0, 0); }

void TMainForm::Browse(PaneHandler handler, int buttonNumber) {
  ControlsPaneModel& pane = model_->Pane();
  std::optional<std::string> label;
  switch (handler) {
    case PaneHandler::btnFileClick:
      label = ChooseFile(Handle(), FileDialogFor(buttonNumber, pane));
      break;
    case PaneHandler::btnFolderClick:
      if (std::optional<std::string> folder = BrowseForFolder(Handle(), FolderBrowserStart(buttonNumber, pane),
                                                              setup_.facts.shellVersion, measure_))
        label = AcceptedFolder(*folder, FolderExists);
      break;
    case PaneHandler::btnIconClick:
      if (std::optional<IconChoice> icon = PickIcon(Handle(), IconPickerStart(buttonNumber, pane), setup_.facts.ntFamily))
        label = IconLabelText(icon->file, icon->index);
      break;
    default:
      return;
  }
  if (!label) return;  // cancelled, or not a folder the tweak can use: nothing changes
  pane.BrowseSucceeded(buttonNumber, *label, measure_);
  sbCtrls_->LabelChanged(buttonNumber);
  model_->UpdateCommandStates();
}

void TMainForm::FindMessage(LPARAM lParam) {
  const auto& request = *reinterpret_cast<const FINDREPLACEA*>(lParam);
  if (request.Flags & FR_DIALOGTERM) {
    FindDialogGoes();
    return;
  }
  if (request.Flags & FR_FINDNEXT) model_->FindRequested(findBuffer_.data(), FindDialogOptions());
}

FindOptions TMainForm::FindDialogOptions() const {
  const DWORD flags = findRequest_->Flags;
  return {(flags & FR_DOWN) != 0, (flags & FR_MATCHCASE) != 0, (flags & FR_WHOLEWORD) != 0};
}

void TMainForm::FindDialogGoes() {
  RECT r;
  if (findDialog_ != nullptr && GetWindowRect(findDialog_, &r))
    model_->FindDialogClosed(r.left, r.top, FindDialogOptions());
  findDialog_ = nullptr;
}

LRESULT TMainForm::Notify(const NMHDR& header) {
  LRESULT result = 0;
  if (tv1_ && tv1_->Notify(header, result)) return result;
  if (RichEditPane::RouteNotify(header)) return 0;
  if (header.code == TTN_GETDISPINFOA) {
    auto& info = const_cast<NMTTDISPINFOA&>(reinterpret_cast<const NMTTDISPINFOA&>(header));
    static std::string tip;
    tip = std::string(ShortHint(CommandOf(static_cast<CommandId>(header.idFrom)).hint));
    info.lpszText = tip.data();
    return 0;
  }
  return 0;
}

// The control that had the keyboard gets it back when the window is active
// again, the tree at first, as in a dialog.
void TMainForm::RememberFocus() {
  HWND focus = GetFocus();
  if (focus != nullptr && IsChild(Handle(), focus)) focus_ = focus;
}

void TMainForm::RestoreFocus() {
  // The controls pane is rebuilt on every selection; a control may be gone or hidden.
  if (focus_ == nullptr || !IsWindow(focus_) || !IsChild(Handle(), focus_) || !IsWindowEnabled(focus_) ||
      !IsWindowVisible(focus_))
    focus_ = tv1_->Handle();
  SetFocus(focus_);
}

LRESULT TMainForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) LayoutWindow();
      return 0;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize = {Scale(kMinWidth), Scale(kMinHeight)};
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        RememberFocus();
        break;
      }
      if (model_) model_->Activated();
      if (hint_.empty()) SetHint("");  // the run's own state, once the tables are open
      if (HIWORD(wParam) == 0) RestoreFocus();  // not while minimised
      return 0;
    case WM_SETFOCUS:
      RestoreFocus();
      return 0;
    case WM_ACTIVATEAPP:
      // Back from another program, which may have changed any value.
      if (wParam && model_) model_->ActivatedFromElsewhere();
      return 0;
    case WM_COMMAND:
      if (lParam == 0 || reinterpret_cast<HWND>(lParam) == toolBar_ || GetParent(reinterpret_cast<HWND>(lParam)) == pnlAct_->Handle()) {
        if (HIWORD(wParam) <= 1 || HIWORD(wParam) == BN_CLICKED) model_->Execute(static_cast<CommandId>(LOWORD(wParam)));
        return 0;
      }
      break;
    case WM_NOTIFY:
      return Notify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_INITMENUPOPUP:
      InitMenu(reinterpret_cast<HMENU>(wParam));
      return 0;
    case WM_MENUSELECT: {
      const UINT flags = HIWORD(wParam);
      if (flags == 0xFFFF && lParam == 0) {
        SetHint("");
      } else if (!(flags & MF_POPUP) && !(flags & MF_SEPARATOR)) {
        const auto id = static_cast<CommandId>(LOWORD(wParam));
        const Command* command = FindCommand(id);
        SetHint(command ? std::string(LongHint(command->hint)) : std::string());
      }
      return 0;
    }
    case WM_ENTERMENULOOP:
      inMenu_ = true;
      break;
    case WM_EXITMENULOOP:
      inMenu_ = false;
      SetHint("");
      break;
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) == reDesc_->Handle() || reinterpret_cast<HWND>(wParam) == reDetail_->Handle()) {
        RichEditMenu(reinterpret_cast<HWND>(wParam), lParam);
        return 0;
      }
      break;
    case WM_CLOSE:
      DestroyWindow(Handle());
      return 0;
    case WM_DESTROY:
      if (!model_ || !model_->ViewOnly()) SavePlacement();  // a view-only run changes no file
      if (model_) FindDialogGoes();  // an open dialog's place is kept as when it closes
      if (model_) model_->Destroying();
      // WinHelp keeps a viewer for each window that asked it; it closes with the window.
      if (!helpShown_.empty()) WinHelpA(Handle(), helpShown_.c_str(), HELP_QUIT, 0);
      PostQuitMessage(0);
      return 0;
  }
  if (message == findMessage_) {
    FindMessage(lParam);
    return 0;
  }
  if (message == helpMessage_) {  // the Find dialog's Help button
    model_->HelpRequested(HelpTopic::Find);
    return 0;
  }
  return Default(message, wParam, lParam);
}

}  // namespace cordalis
