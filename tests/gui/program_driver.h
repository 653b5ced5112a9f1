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
  ProgramDriver(const std::string& folder, const std::string& arguments = "");
  ~ProgramDriver();  // ends the program if it still runs

  // The process's visible top-level window of this class, waited for.
  WindowInfo WaitForWindow(const std::string& className, DWORD timeoutMs = 20000);
  std::vector<WindowInfo> TopLevelWindows() const;
  // Text of a message box: its static text control.
  static std::string MessageBoxText(HWND box);
  static std::string ChildText(HWND parent, int id);
  static void Press(HWND dialog, int buttonId);
  // Waits for the process to end; returns its exit code, or -1 on timeout.
  int WaitForExit(DWORD timeoutMs = 20000);

 private:
  PROCESS_INFORMATION process_{};
};

// The path of the built program, as Windows sees it.
std::string ProgramPath();

}  // namespace cordalis::testing
