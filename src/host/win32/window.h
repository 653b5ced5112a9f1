#pragma once
// The one window wrapper: a C++ object bound to its HWND at WM_NCCREATE (a
// dialog at WM_INITDIALOG), messages forwarded to a virtual handler. No
// exception leaves a window procedure, a dialog procedure or any other
// callback: Guarded() hands it to the handler for uncaught errors.
#include <windows.h>

#include <exception>
#include <stdexcept>
#include <string>

namespace cordalis {

class MessageBoxes;

// The application's handler for uncaught errors: the error's message in a box
// with the error icon, owned by the main window once there is one.
void SetUncaughtErrorBoxes(MessageBoxes* boxes);
void ReportUncaught(const std::exception& error) noexcept;

// Runs body; an exception it throws is reported and fallback returned.
template <typename Result, typename Body>
Result Guarded(Result fallback, Body&& body) noexcept {
  try {
    return body();
  } catch (const std::exception& error) {
    ReportUncaught(error);
  } catch (...) {
    ReportUncaught(std::runtime_error("An unexpected error occurred."));
  }
  return fallback;
}

class Window {
 public:
  Window() = default;
  // Destroys the window if it still exists; its messages no longer reach the
  // object, which is going.
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND Handle() const { return hwnd_; }

  // Registers a window class whose procedure dispatches to Window objects.
  static void RegisterWindowClass(HINSTANCE instance, const char* className, HICON icon, UINT style = 0,
                                  HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));

 protected:
  HWND Create(const char* className, const char* caption, DWORD style, DWORD exStyle, int x, int y, int width,
              int height, HWND parent, HINSTANCE instance, int id = 0);
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd_, message, wParam, lParam);
  }

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
};

// A dialog made from a resource template, modal or modeless.
class Dialog {
 public:
  Dialog() = default;
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  HWND Handle() const { return hwnd_; }
  INT_PTR ShowModal(HINSTANCE instance, int templateId, HWND owner);

 protected:
  // Answers as a dialog procedure does: TRUE when the message was handled.
  virtual INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

 private:
  static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
};

// A control's window procedure replaced by procedure; the control's own is
// kept, to be called on for what the new one passes.
void Subclass(HWND control, WNDPROC procedure);
WNDPROC OwnProcedure(HWND control);
void Unsubclass(HWND control);

// The body of a subclass procedure: handle(callOn) runs guarded, and callOn()
// passes the message to the control's own procedure. At WM_NCDESTROY the own
// procedure is put back, outside the guard, whatever the handler would do.
template <typename Handle>
LRESULT SubclassMessage(HWND control, UINT message, WPARAM wParam, LPARAM lParam, Handle&& handle) noexcept {
  const WNDPROC own = OwnProcedure(control);
  const auto callOn = [&] { return CallWindowProcA(own, control, message, wParam, lParam); };
  if (message == WM_NCDESTROY) {
    Unsubclass(control);
    return callOn();
  }
  return Guarded(LRESULT{0}, [&] { return handle(callOn); });
}

// Text of a window.
std::string WindowText(HWND window);

// The font the system gives message boxes, or the default GUI font where the
// system does not tell it.
LOGFONTA SystemMessageFont();

}  // namespace cordalis
