#include "gui/help_viewer.h"

#include <filesystem>
#include <stdexcept>

#include "gui/keyboard.h"

namespace cordalis::testing {
namespace {

constexpr const char* kViewerClass = "MS_WINHELP";  // the class WinHelp calls look for
constexpr ULONG_PTR kWinHelpData = 0xA1DE505;      // WM_COPYDATA's tag of a WinHelp request

// The layout of a WinHelp request (WINHELP in Windows's own headers, which
// the SDK leaves out): the file name and the text follow it, by offset.
struct WinHelpRequest {
  WORD size;
  WORD command;
  LONG data;
  LONG reserved;
  WORD fileOffset;
  WORD dataOffset;
};

std::vector<WinHelpRecorder::Request>* recorded = nullptr;

HWND FindViewer() {
  struct Search {
    HWND found = nullptr;
  } search;
  EnumWindows(
      [](HWND window, LPARAM context) CALLBACK -> BOOL {
        char name[64] = "";
        GetClassNameA(window, name, sizeof name);
        if (lstrcmpiA(name, kViewerClass) != 0 || !IsWindowVisible(window)) return TRUE;
        reinterpret_cast<Search*>(context)->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

void InstallHelp(const std::string& folder) {
  for (const char* name : {"cordalis.HLP", "cordalis.CNT"})
    std::filesystem::copy_file(std::string(CORDALIS_HELP_DIR) + "/" + name, folder + "\\" + name,
                               std::filesystem::copy_options::overwrite_existing);
}

// The viewer is a process WinHelp starts: nothing of it can be waited on
// before its window exists, so the search ends early only when the process
// watched ends.
HWND WaitForHelpViewer(HANDLE watched, DWORD timeoutMs) {
  HWND viewer = nullptr;
  Eventually(watched, [&] { return (viewer = FindViewer()) != nullptr; }, timeoutMs);
  return viewer;
}

// WM_GETTEXT, not GetWindowText: for another process's window that gives the
// caption alone, never a rich edit's text.
std::string WindowText(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                           5000, &copied))
    return {};
  text.resize(static_cast<std::size_t>(copied));
  return text;
}

// The viewer's windows are its main window and, for the contents, a Help
// Topics box of its own.
std::vector<HWND> HelpViewerWindows(HWND viewer) {
  struct Viewer {
    DWORD process = 0;
    std::vector<HWND> windows;
  } found;
  GetWindowThreadProcessId(viewer, &found.process);
  EnumWindows(
      [](HWND window, LPARAM context) CALLBACK -> BOOL {
        auto* viewer = reinterpret_cast<Viewer*>(context);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process == viewer->process && IsWindowVisible(window)) viewer->windows.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found.windows;
}

// The topic's title and text are in panes below the viewer's windows.
std::string HelpViewerText(HWND viewer) {
  std::string text;
  for (HWND window : HelpViewerWindows(viewer)) {
    text += WindowText(window) + "\n";
    EnumChildWindows(
        window,
        [](HWND child, LPARAM context) CALLBACK -> BOOL {
          *reinterpret_cast<std::string*>(context) += WindowText(child) + "\n";
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&text));
  }
  return text;
}

bool HelpViewerShows(HWND viewer, const std::string& text, HANDLE watched, DWORD timeoutMs) {
  return Eventually(watched, [&] { return HelpViewerText(viewer).find(text) != std::string::npos; }, timeoutMs);
}

void CloseHelpViewer(HWND viewer) {
  DWORD id = 0;
  GetWindowThreadProcessId(viewer, &id);
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
  PostMessageA(viewer, WM_CLOSE, 0, 0);
  if (process != nullptr) {
    WaitForSingleObject(process, 20000);
    CloseHandle(process);
  }
}

HWND OpenHelpTopic(const std::string& helpFile, const std::string& topic, const std::string& shown) {
  std::string command = "winhlp32.exe -i " + topic + " \"" + helpFile + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    throw std::runtime_error("cannot start " + command);
  CloseHandle(process.hThread);
  HWND viewer = WaitForHelpViewer(process.hProcess);
  if (viewer != nullptr && !HelpViewerShows(viewer, shown, process.hProcess)) viewer = nullptr;
  CloseHandle(process.hProcess);
  return viewer;
}

WinHelpRecorder::WinHelpRecorder() {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = kViewerClass;
  RegisterClassA(&windowClass);
  window_ = CreateWindowA(kViewerClass, "Recorder", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                          windowClass.hInstance, nullptr);
}

WinHelpRecorder::~WinHelpRecorder() {
  DestroyWindow(window_);
  UnregisterClassA(kViewerClass, GetModuleHandleA(nullptr));
}

std::vector<WinHelpRecorder::Request> WinHelpRecorder::WaitForRequests(HANDLE program, DWORD timeoutMs) {
  std::vector<Request> requests;
  recorded = &requests;
  const DWORD start = GetTickCount();
  while (requests.empty() && GetTickCount() - start < timeoutMs) {
    // The program's WinHelp call sends to this thread's window: its messages are handled here.
    if (MsgWaitForMultipleObjects(1, &program, FALSE, 100, QS_ALLINPUT) == WAIT_OBJECT_0) break;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
  recorded = nullptr;
  return requests;
}

LRESULT CALLBACK WinHelpRecorder::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_COPYDATA) return DefWindowProcA(window, message, wParam, lParam);
  const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
  if (data->dwData != kWinHelpData || data->cbData < sizeof(WinHelpRequest) || recorded == nullptr) return FALSE;
  const auto* request = static_cast<const WinHelpRequest*>(data->lpData);
  const char* base = static_cast<const char*>(data->lpData);
  Request kept;
  kept.command = request->command;
  if (request->fileOffset != 0) kept.file = base + request->fileOffset;
  if (request->dataOffset != 0) kept.text = base + request->dataOffset;
  recorded->push_back(kept);
  return TRUE;
}

}  // namespace cordalis::testing
