#include "controls/win32/controls_pane_view.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <stdexcept>

#include "host/text.h"

namespace cordalis {
namespace {

constexpr int kFirstId = 1000;

// The "drive" box admits letters only, as capitals: a typed character reaches
// the edit box as the model's key rule has it, or not at all. The box has no
// case style of its own, which would turn more than the rule does.
LRESULT CALLBACK DriveBoxProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return SubclassMessage(hwnd, message, wParam, lParam, [&](const auto& callOn) {
    if (message != WM_CHAR) return callOn();
    const unsigned key = DriveKeyPress(static_cast<unsigned>(wParam));
    if (key == 0) return LRESULT{0};
    return CallWindowProcA(OwnProcedure(hwnd), hwnd, message, key, lParam);
  });
}

bool Has(const PaneControl& control, PaneHandler handler) {
  return std::find(control.handlers.begin(), control.handlers.end(), handler) != control.handlers.end();
}

std::optional<PaneHandler> BrowseHandler(const PaneControl& control) {
  for (PaneHandler h : {PaneHandler::btnFileClick, PaneHandler::btnFolderClick, PaneHandler::btnIconClick})
    if (Has(control, h)) return h;
  return std::nullopt;
}

}  // namespace

void ControlsPaneView::RegisterClasses(HINSTANCE instance) {
  RegisterWindowClass(instance, kClassName, nullptr, 0);
}

ControlsPaneView::ControlsPaneView(HWND parent, HINSTANCE instance, ControlsPaneModel& model,
                                   const TextMeasure& measure)
    : instance_(instance), model_(model), measure_(measure) {
  Create(kClassName, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL, WS_EX_CONTROLPARENT, 0, 0,
         0, 0, parent, instance);
  ShowScrollBar(Handle(), SB_BOTH, FALSE);
}

ControlsPaneView::~ControlsPaneView() { DestroyControls(); }

void ControlsPaneView::DestroyControls() {
  for (auto it = kept_.rbegin(); it != kept_.rend(); ++it) DestroyWindow(it->hwnd);  // the last first
  kept_.clear();
  created_.clear();
}

// The window a control needs: the class and styles it is created with, which
// decide whether a window kept from an earlier pane can serve for it.
ControlsPaneView::Recipe ControlsPaneView::RecipeOf(const PaneControl& c) {
  Recipe r{WC_EDITA, WS_CHILD, 0, Has(c, PaneHandler::AlphaKeyPress)};
  switch (c.kind) {
    case PaneControlKind::Label:
      r.className = WC_STATICA;
      r.style |= SS_NOPREFIX | (c.rightAligned ? SS_RIGHT : SS_LEFT);
      break;
    case PaneControlKind::Edit:
    case PaneControlKind::View:
      r.style |= WS_TABSTOP | ES_AUTOHSCROLL | (c.readOnly ? ES_READONLY : 0);
      r.exStyle = WS_EX_CLIENTEDGE;
      break;
    case PaneControlKind::Memo:
      r.style |= WS_TABSTOP | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | (c.verticalScrollBar ? WS_VSCROLL : 0) |
                 (c.wordWrap ? 0 : ES_AUTOHSCROLL);
      r.exStyle = WS_EX_CLIENTEDGE;
      break;
    case PaneControlKind::UpDown:
      r.className = UPDOWN_CLASSA;
      r.style |= UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS;
      break;
    case PaneControlKind::Button:
      r.className = WC_BUTTONA;
      r.style |= WS_TABSTOP | BS_PUSHBUTTON | BS_NOTIFY;
      break;
    case PaneControlKind::CheckBox:
      r.className = WC_BUTTONA;
      r.style |= WS_TABSTOP | BS_AUTOCHECKBOX | BS_NOTIFY;
      break;
  }
  return r;
}

// A window of the recipe that no control of this pane uses yet: one kept
// hidden from an earlier pane, or a new one.
HWND ControlsPaneView::WindowFor(const Recipe& recipe, const std::string& name) {
  for (Kept& k : kept_)
    if (!k.inUse && k.recipe == recipe) {
      k.inUse = true;
      return k.hwnd;
    }
  HWND hwnd = CreateWindowExA(recipe.exStyle, recipe.className, "", recipe.style, 0, 0, 0, 0, Handle(), nullptr,
                              instance_, nullptr);
  if (hwnd == nullptr) throw std::runtime_error("Cordalis cannot create the control " + name);
  SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  if (recipe.driveBox) Subclass(hwnd, DriveBoxProcedure);
  kept_.push_back({hwnd, recipe, true});
  return hwnd;
}

// Fills a window for a control: its id, place (after the previous control,
// which is the tab order), text and state.
HWND ControlsPaneView::ShowControl(const PaneControl& c, int id, HWND after) {
  HWND hwnd = WindowFor(RecipeOf(c), c.name);
  SetWindowLongPtrA(hwnd, GWLP_ID, id);
  SetWindowPos(hwnd, after ? after : HWND_TOP, c.bounds.left - scrollX_, c.bounds.top - scrollY_, c.bounds.width,
               c.bounds.height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  if (c.kind != PaneControlKind::UpDown && WindowText(hwnd) != c.text) SetWindowTextA(hwnd, c.text.c_str());
  if (c.kind == PaneControlKind::Edit || c.kind == PaneControlKind::View || c.kind == PaneControlKind::Memo) {
    SendMessageA(hwnd, EM_LIMITTEXT, static_cast<WPARAM>(c.maxLength), 0);  // 0: the most the box takes
    SendMessageA(hwnd, EM_SETSEL, 0, 0);
    SendMessageA(hwnd, EM_EMPTYUNDOBUFFER, 0, 0);
  }
  if (c.kind == PaneControlKind::CheckBox) SendMessageA(hwnd, BM_SETCHECK, c.ticked ? BST_CHECKED : BST_UNCHECKED, 0);
  if (c.kind == PaneControlKind::UpDown) {
    SendMessageA(hwnd, UDM_SETBUDDY, reinterpret_cast<WPARAM>(ControlWindow(c.buddy)), 0);
    SendMessageA(hwnd, UDM_SETRANGE, 0, MAKELPARAM(static_cast<short>(c.maximum), static_cast<short>(c.minimum)));
    // The arrows tell only the direction; the model steps (UDN_DELTAPOS).
    UDACCEL step{0, 1};
    SendMessageA(hwnd, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&step));
    SendMessageA(hwnd, UDM_SETPOS, 0, MAKELPARAM(static_cast<short>(c.position), 0));
  }
  return hwnd;
}

// The windows of the model's controls, in their order. Windows are kept from
// one pane to the next and only hidden, since making a window costs many
// times what filling one does; the focus does not stay on a hidden one.
void ControlsPaneView::Show() {
  showing_ = true;
  SendMessageA(Handle(), WM_SETREDRAW, FALSE, 0);
  created_.clear();
  for (Kept& k : kept_) k.inUse = false;
  ScrollTo(0, 0);
  const std::vector<PaneControl>& controls = model_.Controls();
  created_.reserve(controls.size());
  HWND after = nullptr;
  for (std::size_t i = 0; i < controls.size(); ++i) {
    after = ShowControl(controls[i], kFirstId + static_cast<int>(i), after);
    created_.push_back({after, &controls[i]});
  }
  const HWND focus = GetFocus();
  bool focusHidden = false;
  for (Kept& k : kept_) {
    if (k.inUse) continue;
    if (k.hwnd == focus) focusHidden = true;
    // Hidden arrows let go of their box, which may serve another control now.
    if (std::string_view(k.recipe.className) == UPDOWN_CLASSA) SendMessageA(k.hwnd, UDM_SETBUDDY, 0, 0);
    SetWindowLongPtrA(k.hwnd, GWLP_ID, 0);
    ShowWindow(k.hwnd, SW_HIDE);
  }
  SendMessageA(Handle(), WM_SETREDRAW, TRUE, 0);
  showing_ = false;
  UpdateScrollBars();
  InvalidateRect(Handle(), nullptr, TRUE);
  if (focusHidden) {  // the window gives the keyboard where it belongs
    HWND top = Handle();
    while (GetWindowLongA(top, GWL_STYLE) & WS_CHILD) top = GetParent(top);
    SetFocus(top);
  }
}

HWND ControlsPaneView::ControlWindow(const std::string& name) const {
  for (const Created& c : created_)
    if (EqualsIgnoreCase(c.control->name, name)) return c.hwnd;
  return nullptr;
}

void ControlsPaneView::LabelChanged(int buttonNumber) {
  const std::string name = "cLabel" + std::to_string(buttonNumber);
  HWND label = ControlWindow(name);
  const PaneControl* control = model_.Find(name);
  if (label == nullptr || control == nullptr) return;
  SetWindowTextA(label, control->text.c_str());
  SetWindowPos(label, nullptr, control->bounds.left - scrollX_, control->bounds.top - scrollY_, control->bounds.width,
               control->bounds.height, SWP_NOZORDER | SWP_NOACTIVATE);
  UpdateScrollBars();
}

int ControlsPaneView::ClientWidth() const {
  RECT r;
  GetClientRect(Handle(), &r);
  return r.right;
}

int ControlsPaneView::ContentWidth() const {
  int right = 0;
  for (const Created& c : created_)
    if (!c.control->stretches) right = std::max(right, c.control->bounds.left + c.control->bounds.width);
  return right > 0 ? right + 8 : 0;
}

int ControlsPaneView::ContentHeight() const {
  int bottom = 0;
  for (const Created& c : created_) bottom = std::max(bottom, c.control->bounds.top + c.control->bounds.height);
  return bottom > 0 ? bottom + 8 : 0;
}

// Scroll bars appear when the controls do not fit; controls anchored right
// follow the width that is left.
void ControlsPaneView::UpdateScrollBars() {
  // Showing or hiding a bar resizes the box, which comes back here.
  if (updatingBars_) return;
  updatingBars_ = true;
  RECT client;
  GetClientRect(Handle(), &client);
  for (int bar : {SB_VERT, SB_HORZ}) {
    const int content = bar == SB_VERT ? ContentHeight() : ContentWidth();
    const int page = bar == SB_VERT ? client.bottom : client.right;
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, content > page ? content - 1 : 0,
                    static_cast<UINT>(content > page ? page : 0), bar == SB_VERT ? scrollY_ : scrollX_, 0};
    SetScrollInfo(Handle(), bar, &info, TRUE);
  }
  GetClientRect(Handle(), &client);
  const int maxX = std::max(0, ContentWidth() - static_cast<int>(client.right));
  const int maxY = std::max(0, ContentHeight() - static_cast<int>(client.bottom));
  ScrollTo(std::min(scrollX_, maxX), std::min(scrollY_, maxY));
  // Stretched without a repaint each; the box repaints once, if anything moved.
  bool stretched = false;
  for (const Created& c : created_) {
    if (!c.control->stretches) continue;
    const int width = std::max(0, static_cast<int>(client.right) + scrollX_ - c.control->bounds.left - 8);
    RECT now;
    GetWindowRect(c.hwnd, &now);
    if (now.right - now.left == width && now.bottom - now.top == c.control->bounds.height) continue;
    SetWindowPos(c.hwnd, nullptr, 0, 0, width, c.control->bounds.height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS | SWP_NOREDRAW);
    stretched = true;
  }
  if (stretched) RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  updatingBars_ = false;
}

void ControlsPaneView::ScrollTo(int x, int y) {
  if (x == scrollX_ && y == scrollY_) return;
  ScrollWindowEx(Handle(), scrollX_ - x, scrollY_ - y, nullptr, nullptr, nullptr, nullptr,
                 SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
  scrollX_ = x;
  scrollY_ = y;
  SetScrollPos(Handle(), SB_HORZ, x, TRUE);
  SetScrollPos(Handle(), SB_VERT, y, TRUE);
}

void ControlsPaneView::ScrollBy(int bar, int action, int thumb) {
  SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(Handle(), bar, &info);
  int pos = info.nPos;
  const int line = 16, page = static_cast<int>(info.nPage);
  switch (action) {
    case SB_LINEUP: pos -= line; break;
    case SB_LINEDOWN: pos += line; break;
    case SB_PAGEUP: pos -= page; break;
    case SB_PAGEDOWN: pos += page; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: pos = thumb; break;
    case SB_TOP: pos = 0; break;
    case SB_BOTTOM: pos = info.nMax; break;
    default: return;
  }
  pos = std::clamp(pos, 0, std::max(0, info.nMax - page + 1));
  if (bar == SB_VERT) ScrollTo(scrollX_, pos);
  else ScrollTo(pos, scrollY_);
}

void ControlsPaneView::EnsureVisible(HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&r), 2);
  RECT client;
  GetClientRect(Handle(), &client);
  if (r.top < 0) ScrollTo(scrollX_, scrollY_ + r.top - 4);
  else if (r.bottom > client.bottom) ScrollTo(scrollX_, scrollY_ + std::min(r.bottom - client.bottom + 4, r.top));
}

void ControlsPaneView::Command(int id, int code, HWND from) {
  const int index = id - kFirstId;
  if (showing_ || index < 0 || index >= static_cast<int>(created_.size()) || created_[index].hwnd != from) return;
  const PaneControl& control = *created_[static_cast<std::size_t>(index)].control;
  if (code == EN_SETFOCUS || code == BN_SETFOCUS) {
    EnsureVisible(from);
    return;
  }
  switch (control.kind) {
    case PaneControlKind::Edit:
    case PaneControlKind::Memo:
      if (code == EN_KILLFOCUS) ShowModelText(from, model_.SettledText(control.name));
      if (code != EN_CHANGE) return;
      model_.TextChanged(control.name, WindowText(from));
      if (control.upperCase) ShowModelText(from, control.text);  // a pasted text, as DO IT reads it
      return;
    case PaneControlKind::CheckBox:
      if (code == BN_CLICKED) model_.TickChanged(control.name, SendMessageA(from, BM_GETCHECK, 0, 0) == BST_CHECKED);
      return;
    case PaneControlKind::Button:
      if (code == BN_CLICKED && onBrowse)
        if (std::optional<PaneHandler> handler = BrowseHandler(control)) onBrowse(*handler, control.number);
      return;
    default:
      return;
  }
}

// The box shows what the model holds, changed only where it differs, so
// that the change it raises finds nothing more to change.
void ControlsPaneView::ShowModelText(HWND box, const std::string& text) {
  if (WindowText(box) != text) SetWindowTextA(box, text.c_str());
}

// An arrow pressed, or an arrow key in the box: the model steps, the arrows
// show its position (and their box with them), and the control's own step is
// refused.
bool ControlsPaneView::ArrowPressed(const NMHDR& header) {
  if (header.code != UDN_DELTAPOS) return false;
  for (const Created& c : created_) {
    if (c.hwnd != header.hwndFrom || c.control->kind != PaneControlKind::UpDown) continue;
    const auto& change = reinterpret_cast<const NMUPDOWN&>(header);
    if (const std::optional<int> position = model_.Step(c.control->name, change.iDelta))
      SendMessageA(c.hwnd, UDM_SETPOS, 0, MAKELPARAM(static_cast<short>(*position), 0));
    return true;
  }
  return true;  // arrows of no control of this pane step nothing
}

LRESULT ControlsPaneView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      Command(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return 0;
    case WM_VSCROLL:
    case WM_HSCROLL:
      if (lParam == 0) ScrollBy(message == WM_VSCROLL ? SB_VERT : SB_HORZ, LOWORD(wParam), HIWORD(wParam));
      return 0;  // the arrows' own scrolling reaches the model through their box
    case WM_MOUSEWHEEL:
      ScrollBy(SB_VERT, static_cast<short>(HIWORD(wParam)) > 0 ? SB_LINEUP : SB_LINEDOWN, 0);
      return 0;
    case WM_SIZE:
      UpdateScrollBars();
      return 0;
    case WM_NOTIFY:
      if (ArrowPressed(*reinterpret_cast<const NMHDR*>(lParam))) return TRUE;
      return SendMessageA(GetParent(Handle()), message, wParam, lParam);
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      return SendMessageA(GetParent(Handle()), message, wParam, lParam);
  }
  return Default(message, wParam, lParam);
}

}  // namespace cordalis
