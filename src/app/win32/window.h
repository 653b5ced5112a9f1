#pragma once
// The one window wrapper: binds a C++ object to its HWND at WM_NCCREATE and
// forwards messages to it. No exception leaves a window procedure: the dispatch
// boundary hands it to the application's handler for uncaught errors.
#include <windows.h>

#include <exception>

namespace cordalis {

class Window {
 public:
  virtual ~Window() = default;
  HWND Handle() const { return hwnd_; }

  // Registers a window class whose procedure dispatches to Window objects.
  static void RegisterClass(HINSTANCE instance, const char* className, HICON icon);
  // Shows the message of an error that reached the message loop.
  static void ReportUncaught(HWND owner, const std::exception& error) noexcept;

 protected:
  HWND Create(const char* className, const char* caption, DWORD style, DWORD exStyle, int x, int y, int width,
              int height, HWND parent, HINSTANCE instance);
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
};

}  // namespace cordalis
