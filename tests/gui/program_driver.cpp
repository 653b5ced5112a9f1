#include "gui/program_driver.h"

#include <filesystem>
#include <stdexcept>

#include "support/build_path.h"

namespace cordalis::testing {

std::string ProgramPath() { return BuildPath(CORDALIS_EXE); }

ProgramDriver::ProgramDriver(const std::string& folder, const std::string& arguments) {
  const std::string exe = (std::filesystem::path(folder) / "cordalis.exe").string();
  // A second copy runs the very program the first one runs, which is in use.
  std::filesystem::copy_file(ProgramPath(), exe, std::filesystem::copy_options::skip_existing);
  std::string commandLine = "\"" + exe + "\" " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                      &process_))
    throw std::runtime_error("cannot start " + exe);
  WaitForInputIdle(process_.hProcess, 20000);
}

ProgramDriver::~ProgramDriver() {
  if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 5000);
  }
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

namespace {

struct WindowSearch {
  DWORD pid;
  std::vector<WindowInfo> found;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM lParam) {
  auto* search = reinterpret_cast<WindowSearch*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != search->pid || !IsWindowVisible(hwnd)) return TRUE;
  char name[256] = {}, title[1024] = {};
  GetClassNameA(hwnd, name, sizeof name);
  GetWindowTextA(hwnd, title, sizeof title);
  search->found.push_back({hwnd, name, title, GetWindow(hwnd, GW_OWNER)});
  return TRUE;
}

}  // namespace

std::vector<WindowInfo> ProgramDriver::TopLevelWindows() const {
  WindowSearch search{process_.dwProcessId, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

WindowInfo ProgramDriver::WaitForWindow(const std::string& className, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    for (const WindowInfo& w : TopLevelWindows())
      if (w.className == className) return w;
    if (GetTickCount() - start > timeoutMs) return {};
    // The other process gives no event for a new window; check again shortly.
    if (WaitForSingleObject(process_.hProcess, 25) == WAIT_OBJECT_0) {
      for (const WindowInfo& w : TopLevelWindows())
        if (w.className == className) return w;
      return {};
    }
  }
}

std::string ProgramDriver::ChildText(HWND parent, int id) {
  char text[8192] = {};
  GetDlgItemTextA(parent, id, text, sizeof text);
  return text;
}

std::string ProgramDriver::MessageBoxText(HWND box) { return ChildText(box, 0xFFFF); }

void ProgramDriver::Press(HWND dialog, int buttonId) { PostMessageA(dialog, WM_COMMAND, buttonId, 0); }

namespace {

struct DescendantSearch {
  std::string className;
  std::string text;
  int nth;
  HWND found = nullptr;
};

BOOL CALLBACK MatchDescendant(HWND hwnd, LPARAM lParam) {
  auto* search = reinterpret_cast<DescendantSearch*>(lParam);
  char name[256] = {};
  GetClassNameA(hwnd, name, sizeof name);
  const bool match = search->className.empty() ? ProgramDriver::Text(hwnd) == search->text : search->className == name;
  if (match && search->nth-- == 0) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND ProgramDriver::Descendant(HWND parent, const std::string& className, int nth) {
  DescendantSearch search{className, "", nth};
  EnumChildWindows(parent, MatchDescendant, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND ProgramDriver::DescendantById(HWND parent, int id) {
  struct Search {
    int id;
    HWND found;
  } search{id, nullptr};
  EnumChildWindows(
      parent,
      [](HWND hwnd, LPARAM lParam) CALLBACK -> BOOL {
        auto* s = reinterpret_cast<Search*>(lParam);
        if (GetDlgCtrlID(hwnd) != s->id) return TRUE;
        s->found = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND ProgramDriver::DescendantWithText(HWND parent, const std::string& text) {
  DescendantSearch search{"", text, 0};
  EnumChildWindows(parent, MatchDescendant, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string ProgramDriver::Text(HWND window) {
  const LRESULT length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const LRESULT got = SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(got));
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) {
      out += "\r\n";
    } else {
      out += text[i];
    }
  }
  return out;
}

LRESULT ProgramDriver::SendText(HWND window, UINT message, WPARAM wParam, const std::string& text) const {
  void* remote = VirtualAllocEx(process_.hProcess, nullptr, text.size() + 1, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (remote == nullptr) throw std::runtime_error("cannot reach the program's memory");
  WriteProcessMemory(process_.hProcess, remote, text.c_str(), text.size() + 1, nullptr);
  const LRESULT result = SendMessageA(window, message, wParam, reinterpret_cast<LPARAM>(remote));
  VirtualFreeEx(process_.hProcess, remote, 0, MEM_RELEASE);
  return result;
}

std::vector<std::string> ProgramDriver::AnswerBoxes(HWND mainWindow) {
  std::vector<std::string> texts;
  for (;;) {
    Settle(mainWindow);  // a box shown from the window's own handling is up by now
    WindowInfo box{};
    for (const WindowInfo& w : TopLevelWindows())
      if (w.className == "#32770") box = w;
    if (box.hwnd == nullptr) return texts;
    texts.push_back(MessageBoxText(box.hwnd));
    Press(box.hwnd, IDOK);
    for (int i = 0; i < 400 && IsWindow(box.hwnd); ++i) WaitForSingleObject(process_.hProcess, 25);
  }
}

int ProgramDriver::WaitForExit(DWORD timeoutMs) {
  if (WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(process_.hProcess, &code);
  return static_cast<int>(code);
}

}  // namespace cordalis::testing
