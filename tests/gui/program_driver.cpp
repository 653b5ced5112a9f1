#include "gui/program_driver.h"

#include <algorithm>
#include <filesystem>

#include <commctrl.h>
#include <stdexcept>

#include "support/build_path.h"

namespace cordalis::testing {

std::string ProgramPath() { return BuildPath(CORDALIS_EXE); }

ProgramDriver::ProgramDriver(const std::string& folder, const std::string& arguments, int show) {
  const std::string exe = (std::filesystem::path(folder) / "cordalis.exe").string();
  // A second copy runs the very program the first one runs, which is in use.
  std::filesystem::copy_file(ProgramPath(), exe, std::filesystem::copy_options::skip_existing);
  std::string commandLine = "\"" + exe + "\" " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(show);
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

namespace {

// A message box holds its text in the static 0xFFFF and has nothing but
// static texts and buttons; other dialogs have more, or no such text.
bool IsMessageBox(HWND dialog) {
  if (GetDlgItem(dialog, 0xFFFF) == nullptr) return false;
  bool onlyTextsAndButtons = true;
  EnumChildWindows(
      dialog,
      [](HWND child, LPARAM result) CALLBACK -> BOOL {
        char name[64] = {};
        GetClassNameA(child, name, sizeof name);
        if (lstrcmpiA(name, "Static") == 0 || lstrcmpiA(name, "Button") == 0) return TRUE;
        *reinterpret_cast<bool*>(result) = false;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&onlyTextsAndButtons));
  return onlyTextsAndButtons;
}

}  // namespace

// The dialogs of the program not yet ended by this driver: its message boxes,
// or its other dialogs.
std::vector<WindowInfo> ProgramDriver::NewBoxes(bool messageBoxes) const {
  std::vector<WindowInfo> found;
  for (const WindowInfo& w : TopLevelWindows()) {
    if (w.className != "#32770" || std::find(answered_.begin(), answered_.end(), w.hwnd) != answered_.end()) continue;
    if (IsMessageBox(w.hwnd) == messageBoxes) found.push_back(w);
  }
  return found;
}

void ProgramDriver::WaitUntilGone(HWND window) {
  answered_.push_back(window);
  // The other process gives no event when its window goes; look again shortly.
  for (int i = 0; i < 800 && IsWindow(window) && IsWindowVisible(window); ++i)
    if (WaitForSingleObject(process_.hProcess, 25) == WAIT_OBJECT_0) return;
  if (IsWindow(window) && IsWindowVisible(window))
    throw std::runtime_error("the dialog \"" + Text(window) + "\" stays open");
}

void ProgramDriver::ExpectBox(const std::string& text, int button) {
  const DWORD start = GetTickCount();
  for (;;) {
    const std::vector<WindowInfo> boxes = NewBoxes(true);
    if (!boxes.empty()) {
      const std::string shown = MessageBoxText(boxes.front().hwnd);
      if (shown != text)
        throw std::runtime_error("expected the box \"" + text + "\" but the program showed \"" + shown + "\"");
      Press(boxes.front().hwnd, button);
      WaitUntilGone(boxes.front().hwnd);
      return;
    }
    if (GetTickCount() - start > 20000) throw std::runtime_error("the box \"" + text + "\" did not come");
    if (WaitForSingleObject(process_.hProcess, 25) == WAIT_OBJECT_0)
      throw std::runtime_error("the program ended instead of showing \"" + text + "\"");
  }
}

void ProgramDriver::ExpectNoBox(HWND mainWindow) {
  Settle(mainWindow);  // a box shown from the window's own handling is up by now
  for (const WindowInfo& box : NewBoxes(true))
    throw std::runtime_error("the program showed an unexpected box: \"" + MessageBoxText(box.hwnd) + "\"");
}

HWND ProgramDriver::WaitForDialog(const std::string& title, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    for (const WindowInfo& box : NewBoxes(true))
      throw std::runtime_error("expected the dialog \"" + title + "\" but the program showed the box \"" +
                               MessageBoxText(box.hwnd) + "\"");
    for (const WindowInfo& dialog : NewBoxes(false))
      if (dialog.title == title) return dialog.hwnd;
    if (GetTickCount() - start > timeoutMs) return nullptr;
    if (WaitForSingleObject(process_.hProcess, 25) == WAIT_OBJECT_0) return nullptr;
  }
}

void ProgramDriver::EndDialog(HWND dialog, int command) {
  Press(dialog, command);
  WaitUntilGone(dialog);
}

void ProgramDriver::CloseDialog(HWND dialog) {
  PostMessageA(dialog, WM_CLOSE, 0, 0);
  WaitUntilGone(dialog);
}

std::string ProgramDriver::StatusText(HWND statusBar) const {
  constexpr std::size_t kRoom = 1024;
  void* remote = VirtualAllocEx(process_.hProcess, nullptr, kRoom, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (remote == nullptr) throw std::runtime_error("cannot reach the program's memory");
  std::string text(kRoom, '\0');
  // The simple text is part 255 to Windows and part 0 to Wine's status bar.
  for (WPARAM part : {255, 0}) {
    const WORD length = LOWORD(SendMessageA(statusBar, SB_GETTEXTLENGTHA, part, 0));
    if (length == 0 || length >= kRoom) continue;
    SendMessageA(statusBar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(remote));
    ReadProcessMemory(process_.hProcess, remote, text.data(), kRoom, nullptr);
    break;
  }
  VirtualFreeEx(process_.hProcess, remote, 0, MEM_RELEASE);
  return text.c_str();
}

int ProgramDriver::WaitForExit(DWORD timeoutMs) {
  if (WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(process_.hProcess, &code);
  return static_cast<int>(code);
}

}  // namespace cordalis::testing
