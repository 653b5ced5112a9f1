#pragma once
// The help file beside a test's program, and the WinHelp viewer it opens.
#include <windows.h>

#include <string>
#include <vector>

namespace cordalis::testing {

// Copies the built cordalis.HLP and cordalis.CNT into a program folder.
void InstallHelp(const std::string& folder);

// The viewer's main window, once it is shown; nullptr after the timeout or
// when the process watched ends first.
HWND WaitForHelpViewer(HANDLE watched, DWORD timeoutMs = 20000);
// The visible top-level windows of the viewer's process.
std::vector<HWND> HelpViewerWindows(HWND viewer);
// The viewer's caption and the text of its child windows, where the topic's
// title and text are.
std::string HelpViewerText(HWND viewer);
// Whether the viewer comes to show this text (it loads the file and the topic
// after its window is up); false after the timeout or when the process
// watched ends first.
bool HelpViewerShows(HWND viewer, const std::string& text, HANDLE watched, DWORD timeoutMs = 20000);
// Ends the viewer and waits until its process is gone.
void CloseHelpViewer(HWND viewer);
// Opens a topic of a help file by its name in a viewer of its own, as the
// WinHelp command line does (winhlp32 -i NAME FILE); the viewer's window once
// it shows text.
HWND OpenHelpTopic(const std::string& helpFile, const std::string& topic, const std::string& shown);

// Stands in for the viewer: a window of WinHelp's class in the test's own
// process, which WinHelp calls of the program reach instead of the real one.
// It keeps each request: the command and its text (a macro, for HELP_COMMAND).
class WinHelpRecorder {
 public:
  WinHelpRecorder();
  ~WinHelpRecorder();
  struct Request {
    UINT command = 0;
    std::string file;
    std::string text;
  };
  // Handles the requests that arrived, until one has or the process ends.
  std::vector<Request> WaitForRequests(HANDLE program, DWORD timeoutMs = 10000);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND window_ = nullptr;
};

}  // namespace cordalis::testing
