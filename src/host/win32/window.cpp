#include "host/win32/window.h"

#include <stdexcept>

#include "host/message_boxes.h"

namespace cordalis {
namespace {

MessageBoxes* uncaughtErrorBoxes = nullptr;

}  // namespace

void SetUncaughtErrorBoxes(MessageBoxes* boxes) { uncaughtErrorBoxes = boxes; }

void ReportUncaught(const std::exception& error) noexcept {
  try {
    if (uncaughtErrorBoxes != nullptr) {
      uncaughtErrorBoxes->Show(MsgOwner::MainWindow, MsgIcon::Error, error.what());
      return;
    }
  } catch (...) {
    // The box itself failed: fall back to the plainest one there is.
  }
  MessageBoxA(nullptr, error.what(), kCaption, MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

Window::~Window() {
  if (hwnd_ == nullptr) return;
  HWND hwnd = hwnd_;
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
  hwnd_ = nullptr;
  DestroyWindow(hwnd);
}

void Window::RegisterWindowClass(HINSTANCE instance, const char* className, HICON icon, UINT style,
                                 HBRUSH background) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = style;
  wc.lpfnWndProc = Procedure;
  wc.hInstance = instance;
  wc.hIcon = icon;
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = background;
  wc.lpszClassName = className;
  RegisterClassExA(&wc);
}

HWND Window::Create(const char* className, const char* caption, DWORD style, DWORD exStyle, int x, int y, int width,
                    int height, HWND parent, HINSTANCE instance, int id) {
  HMENU menu = id != 0 ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)) : nullptr;
  HWND hwnd = CreateWindowExA(exStyle, className, caption, style, x, y, width, height, parent, menu, instance, this);
  if (hwnd == nullptr) throw std::runtime_error(std::string("Cannot create the window ") + className);
  return hwnd;
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) { return Default(message, wParam, lParam); }

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
  const LRESULT result = Guarded(LRESULT{0}, [&] { return self->HandleMessage(message, wParam, lParam); });
  // The binding ends with the window, whatever the handler did.
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
  }
  return result;
}

Dialog::~Dialog() {
  if (hwnd_ == nullptr) return;
  HWND hwnd = hwnd_;
  SetWindowLongPtrA(hwnd, DWLP_USER, 0);
  hwnd_ = nullptr;
  DestroyWindow(hwnd);
}

INT_PTR Dialog::ShowModal(HINSTANCE instance, int templateId, HWND owner) {
  return DialogBoxParamA(instance, MAKEINTRESOURCEA(templateId), owner, Procedure, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK Dialog::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<Dialog*>(lParam);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
  }
  auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  if (self == nullptr) return FALSE;
  const INT_PTR result = Guarded(INT_PTR{FALSE}, [&] { return self->HandleMessage(message, wParam, lParam); });
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, DWLP_USER, 0);
    self->hwnd_ = nullptr;
  }
  return result;
}

namespace {
constexpr const char* kOwnProcedure = "CordalisOwnProc";
}  // namespace

void Subclass(HWND control, WNDPROC procedure) {
  SetPropA(control, kOwnProcedure, reinterpret_cast<HANDLE>(GetWindowLongPtrA(control, GWLP_WNDPROC)));
  SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
}

WNDPROC OwnProcedure(HWND control) { return reinterpret_cast<WNDPROC>(GetPropA(control, kOwnProcedure)); }

void Unsubclass(HWND control) {
  SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(OwnProcedure(control)));
  RemovePropA(control, kOwnProcedure);
}

std::string WindowText(HWND window) {
  const int length = GetWindowTextLengthA(window);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int got = GetWindowTextA(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return text;
}

LOGFONTA SystemMessageFont() {
  // With WINVER at 0x0400 the structure has the 340 bytes every system from
  // Windows 95 on accepts; the later, longer form fails on them.
  static_assert(sizeof(NONCLIENTMETRICSA) == 340);
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  LOGFONTA font{};
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) font = metrics.lfMessageFont;
  else GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
  return font;
}

}  // namespace cordalis
