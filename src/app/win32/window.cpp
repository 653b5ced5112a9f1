#include "app/win32/window.h"

#include <stdexcept>

#include "host/message_boxes.h"

namespace cordalis {
namespace {

// The top-level window a window belongs to. GetAncestor is missing on Windows
// 95 and NT 4.0; child windows lead to it through their parents.
HWND TopLevelOf(HWND hwnd) {
  while (hwnd != nullptr && (GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD)) hwnd = GetParent(hwnd);
  return hwnd;
}

}  // namespace

void Window::RegisterClass(HINSTANCE instance, const char* className, HICON icon) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = Procedure;
  wc.hInstance = instance;
  wc.hIcon = icon;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = className;
  RegisterClassExA(&wc);
}

void Window::ReportUncaught(HWND owner, const std::exception& error) noexcept {
  MessageBoxA(owner, error.what(), kCaption, MB_OK | MB_ICONERROR);
}

HWND Window::Create(const char* className, const char* caption, DWORD style, DWORD exStyle, int x, int y, int width,
                    int height, HWND parent, HINSTANCE instance) {
  return CreateWindowExA(exStyle, className, caption, style, x, y, width, height, parent, nullptr, instance, this);
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
  try {
    LRESULT result = self->HandleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
      self->hwnd_ = nullptr;
    }
    return result;
  } catch (const std::exception& error) {
    ReportUncaught(TopLevelOf(hwnd), error);
  } catch (...) {
    ReportUncaught(TopLevelOf(hwnd), std::runtime_error("An unexpected error occurred."));
  }
  return 0;
}

}  // namespace cordalis
