#include "app/win32/containers.h"

#include <windowsx.h>

#include "app/pane_layout.h"

namespace cordalis {
namespace {

// What a container passes up: its children's commands, notifications, colour
// questions and scroll messages (the up-down arrows report by WM_VSCROLL).
bool PassedUp(UINT message) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_VSCROLL:
    case WM_HSCROLL:
      return true;
    default:
      return false;
  }
}

void Line(HDC dc, const GripLine& line, int colour) {
  HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(colour));
  HGDIOBJ old = SelectObject(dc, pen);
  MoveToEx(dc, line.x1, line.y1, nullptr);
  LineTo(dc, line.x2 + (line.x1 == line.x2 ? 0 : 1), line.y2 + (line.y1 == line.y2 ? 0 : 1));
  SelectObject(dc, old);
  DeleteObject(pen);
}

}  // namespace

void Panel::RegisterClasses(HINSTANCE instance) {
  RegisterWindowClass(instance, kClassName, nullptr, CS_HREDRAW | CS_VREDRAW);
}

Panel::Panel(HWND parent, HINSTANCE instance, int id) {
  Create(kClassName, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT, 0, 0, 0, 0,
         parent, instance, id);
}

void Panel::Place(int x, int y, int width, int height) {
  MoveWindow(Handle(), x, y, width > 0 ? width : 0, height > 0 ? height : 0, TRUE);
}

int Panel::Width() const {
  RECT r;
  GetClientRect(Handle(), &r);
  return r.right;
}

int Panel::Height() const {
  RECT r;
  GetClientRect(Handle(), &r);
  return r.bottom;
}

LRESULT Panel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (PassedUp(message)) return SendMessageA(GetParent(Handle()), message, wParam, lParam);
  return Default(message, wParam, lParam);
}

GroupBox::GroupBox(HWND parent, HINSTANCE instance, const std::string& caption) : caption_(caption) {
  Create(kClassName, caption.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT,
         0, 0, 0, 0, parent, instance);
}

void GroupBox::SetFont(HFONT font) {
  font_ = font;
  InvalidateRect(Handle(), nullptr, TRUE);
}

void GroupBox::SetCaptionGreyed(bool greyed) {
  if (greyed == greyed_) return;
  greyed_ = greyed;
  InvalidateRect(Handle(), nullptr, TRUE);
}

int GroupBox::CaptionHeight() const {
  HDC dc = GetDC(Handle());
  HGDIOBJ old = SelectObject(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICA metrics;
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(Handle(), dc);
  return metrics.tmHeight;
}

RECT GroupBox::ContentRect() const {
  RECT r;
  GetClientRect(Handle(), &r);
  r.left += 2;
  r.right -= 2;
  r.top += CaptionHeight() + 2;
  r.bottom -= 2;
  return r;
}

int GroupBox::Overhead() const { return CaptionHeight() + 4; }

void GroupBox::Paint(HDC dc) {
  RECT client;
  GetClientRect(Handle(), &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  HGDIOBJ old = SelectObject(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
  SIZE text;
  GetTextExtentPoint32A(dc, caption_.c_str(), static_cast<int>(caption_.size()), &text);
  RECT frame = client;
  frame.top += text.cy / 2;
  DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
  RECT label{6, 0, 6 + text.cx + 4, text.cy};
  FillRect(dc, &label, GetSysColorBrush(COLOR_BTNFACE));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(greyed_ ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));
  TextOutA(dc, 8, 0, caption_.c_str(), static_cast<int>(caption_.size()));
  SelectObject(dc, old);
}

LRESULT GroupBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(Handle(), &ps);
    Paint(dc);
    EndPaint(Handle(), &ps);
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;
  return Panel::HandleMessage(message, wParam, lParam);
}

void Splitter::RegisterClasses(HINSTANCE instance) {
  RegisterWindowClass(instance, kClassName, nullptr, CS_HREDRAW | CS_VREDRAW);
}

Splitter::Splitter(HWND parent, HINSTANCE instance, Direction direction, int id) : direction_(direction) {
  Create(kClassName, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 0, 0, parent, instance, id);
}

void Splitter::Place(int x, int y, int width, int height) {
  MoveWindow(Handle(), x, y, width > 0 ? width : 0, height > 0 ? height : 0, TRUE);
}

int Splitter::Along(LPARAM lParam) const {
  POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ClientToScreen(Handle(), &p);
  return direction_ == Direction::Vertical ? p.x : p.y;
}

void Splitter::Paint(HDC dc) {
  RECT r;
  GetClientRect(Handle(), &r);
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  const Grip grip = direction_ == Direction::Vertical ? VerticalGrip(r.right, r.bottom) : HorizontalGrip(r.right, r.bottom);
  Line(dc, grip.highlight, COLOR_BTNHIGHLIGHT);
  Line(dc, grip.shadow, COLOR_BTNSHADOW);
}

LRESULT Splitter::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(Handle(), &ps);
      Paint(dc);
      EndPaint(Handle(), &ps);
      return 0;
    }
    case WM_SETCURSOR:
      if (IsWindowEnabled(Handle())) {
        SetCursor(LoadCursorA(nullptr, direction_ == Direction::Vertical ? reinterpret_cast<LPCSTR>(IDC_SIZEWE)
                                                                        : reinterpret_cast<LPCSTR>(IDC_SIZENS)));
        return TRUE;
      }
      break;
    case WM_LBUTTONDOWN:
      dragging_ = true;
      dragFrom_ = Along(lParam);
      SetCapture(Handle());
      if (onDragStart) onDragStart();
      return 0;
    case WM_MOUSEMOVE:
      if (dragging_ && onDrag) onDrag(Along(lParam) - dragFrom_);
      return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      if (dragging_) {
        dragging_ = false;
        if (message == WM_LBUTTONUP) ReleaseCapture();
      }
      return 0;
  }
  return Default(message, wParam, lParam);
}

}  // namespace cordalis
