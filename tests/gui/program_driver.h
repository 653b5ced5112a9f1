#pragma once
// Runs the real cordalis.exe in a folder of a test's making and drives it
// through window messages, as a user would through the mouse and keyboard.
#include <windows.h>

#include <string>
#include <vector>

namespace cordalis::testing {

struct WindowInfo {
  HWND hwnd = nullptr;
  std::string className;
  std::string title;
  HWND owner = nullptr;
};

class ProgramDriver {
 public:
  // Starts a copy of the built program placed in folder.
  ProgramDriver(const std::string& folder, const std::string& arguments = "", int show = SW_SHOWNORMAL);
  ~ProgramDriver();  // ends the program if it still runs

  // The process's visible top-level window of this class, waited for.
  WindowInfo WaitForWindow(const std::string& className, DWORD timeoutMs = 20000);
  std::vector<WindowInfo> TopLevelWindows() const;
  // Text of a message box: its static text control.
  static std::string MessageBoxText(HWND box);
  static std::string ChildText(HWND parent, int id);
  static void Press(HWND dialog, int buttonId);
  // The nth window of a class below a window (depth first, in creation order).
  static HWND Descendant(HWND parent, const std::string& className, int nth = 0);
  // The window below a window with this control id.
  static HWND DescendantById(HWND parent, int id);
  // The window below a window whose text is this one.
  static HWND DescendantWithText(HWND parent, const std::string& text);
  // Any window's text, however long; a rich edit's line breaks read "\r\n".
  static std::string Text(HWND window);
  // Waits until the program has handled what was sent to it (not what was
  // posted: a posted message may still wait behind this one).
  static void Settle(HWND window) { SendMessageA(window, WM_NULL, 0, 0); }
  // The program's boxes and dialogs, each matched by its window: a step names
  // the one it expects, and any other fails it (these throw). A window that
  // was answered is never taken for a new one, even while it closes.
  //
  // Waits for a message box with this text, answers it with the button and
  // waits until it is gone.
  void ExpectBox(const std::string& text, int button = IDOK);
  // Once the window has handled what was sent to it, no message box is up.
  void ExpectNoBox(HWND mainWindow);
  // Waits for a new dialog (not a message box) with this title.
  HWND WaitForDialog(const std::string& title, DWORD timeoutMs = 20000);
  // Ends a dialog with a command (IDOK, IDCANCEL, ...) and waits until it is gone.
  void EndDialog(HWND dialog, int command);
  // Closes a modeless dialog, as its close box does, and waits until it is gone.
  void CloseDialog(HWND dialog);
  HANDLE Process() const { return process_.hProcess; }
  // Sends a message whose lParam is text, copied into the program's memory
  // first: for messages Windows does not carry across processes itself.
  LRESULT SendText(HWND window, UINT message, WPARAM wParam, const std::string& text) const;
  // The simple text of a status bar of the program.
  std::string StatusText(HWND statusBar) const;
  // Waits for the process to end; returns its exit code, or -1 on timeout.
  int WaitForExit(DWORD timeoutMs = 20000);

 private:
  std::vector<WindowInfo> NewBoxes(bool messageBoxes) const;
  void WaitUntilGone(HWND window);

  PROCESS_INFORMATION process_{};
  std::vector<HWND> answered_;  // boxes and dialogs this driver has ended
};

// The path of the built program, as Windows sees it.
std::string ProgramPath();

}  // namespace cordalis::testing
