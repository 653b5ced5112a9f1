// Saves pictures of the program's main states, for a person to look at:
//   cordalis_screenshots OUTPUT_FOLDER
// Each picture is the program's window (or a dialog over it) as a BMP.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/help_topics.h"
#include "db/dm1.h"
#include "db/user_table_messages.h"
#include "gui/control_catalogue.h"
#include "gui/help_viewer.h"
#include "gui/program_driver.h"
#include "gui/remote_tree.h"
#include "host/file_store.h"
#include "support/table_files.h"
#include "support/temp_dir.h"

namespace cordalis {
namespace {

using testing::ProgramDriver;
using testing::RemoteTree;

// The screen under a rectangle, as a 24-bit BMP file.
void SaveScreen(const RECT& r, const std::string& path) {
  const int width = r.right - r.left, height = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  const int stride = (width * 3 + 3) & ~3;
  BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + stride * height),
                        0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
  out.write(static_cast<const char*>(bits), static_cast<std::streamsize>(stride) * height);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  std::printf("%s\n", path.c_str());
}

// The screen under windows, repainted first.
void SaveWindows(const std::vector<HWND>& windows, const std::string& path) {
  RECT r{};
  for (HWND w : windows) {
    RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT one;
    GetWindowRect(w, &one);
    UnionRect(&r, &r, &one);
  }
  SaveScreen(r, path);
}

// The program's windows: the main window and what is open over it.
void SaveWindows(ProgramDriver& program, const std::string& path) {
  std::vector<HWND> windows;
  for (const auto& w : program.TopLevelWindows()) windows.push_back(w.hwnd);
  SaveWindows(windows, path);
}

// The help viewer's windows (its topic and its Help Topics box, if open).
void SaveHelpViewer(HWND viewer, const std::string& path) {
  DWORD id = 0;
  GetWindowThreadProcessId(viewer, &id);
  if (HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, id)) {
    WaitForInputIdle(process, 5000);  // the viewer has drawn its topic
    CloseHandle(process);
  }
  SaveWindows(testing::HelpViewerWindows(viewer), path);
}

// Lets the program paint what it was told to show.
void Settle(ProgramDriver& program, HWND window) {
  ProgramDriver::Settle(window);
  WaitForSingleObject(program.Process(), 300);
  ProgramDriver::Settle(window);
}

struct Session;
void SaveWindow(Session& session, const std::string& path);

struct Session {
  Session(const std::string& folder, const std::string& arguments = "", const std::vector<std::string>& startBoxes = {})
      : program(folder, arguments) {
    for (const std::string& box : startBoxes) program.ExpectBox(box);  // shown before the window
    window = program.WaitForWindow("TMainForm").hwnd;
    program.ExpectNoBox(window);
  }
  RemoteTree Tree() { return RemoteTree(ProgramDriver::DescendantById(window, 300), program.Process()); }
  void Select(const std::string& label) {
    RemoteTree tree = Tree();
    if (HTREEITEM item = tree.Find(label)) tree.Select(item);
    Settle(program, window);
  }
  void Close() {
    PostMessageA(window, WM_CLOSE, 0, 0);
    program.WaitForExit();
  }
  ProgramDriver program;
  HWND window = nullptr;
};

void SaveWindow(Session& session, const std::string& path) {
  Settle(session.program, session.window);
  SaveWindows(session.program, path);
}

// Opens a dialog by a command; the picture is taken with it open, then it is cancelled.
void SaveDialog(Session& session, CommandId id, const std::string& title, const std::string& path,
                const std::function<void(HWND)>& fill = nullptr) {
  PostMessageA(session.window, WM_COMMAND, id, 0);
  HWND dialog = session.program.WaitForDialog(title);
  if (dialog == nullptr) return;
  if (fill) fill(dialog);
  Settle(session.program, dialog);
  SaveWindows(session.program, path);
  session.program.EndDialog(dialog, IDCANCEL);
  session.program.ExpectNoBox(session.window);
}

void Install(const testing::TempDir& dir) {
  for (const char* name : {"Twks.xml", "Data.xml"})
    std::filesystem::copy_file(std::string(CORDALIS_SOURCE_DIR) + "/catalogue/" + name, dir.File(name));
  testing::WriteTable(SystemFileStore(), dir.File("Undo.xml"), Tdm1::UndoFields(), {});
  testing::WriteTable(SystemFileStore(), dir.File("Note.xml"), Tdm1::NoteFields(), {});
  std::ofstream(dir.File("cordalis.INI"), std::ios::binary) << "[Settings]\r\nVeryFirst=0\r\n";
}

// Tweaks in each state, under a key of the pictures' own: in effect, partly,
// not, applied with Cordalis, and applied with a value changed since; then
// the drift dialog of the last one's Undo.
void SaveStates(const std::string& output) {
  testing::TempDir dir;
  const std::string key = "Software\\CordalisPictures";
  testing::WriteTable(SystemFileStore(), dir.File("Twks.xml"), Tdm1::TweakFields(),
                      {{"1", "FALSE", "States", "", "In effect", "Its value is set already."},
                       {"2", "FALSE", "States", "", "Partly in effect", "One of its two values is set."},
                       {"3", "FALSE", "States", "", "Not in effect", "Its value is not set."},
                       {"4", "FALSE", "States", "", "Applied with Cordalis", "DO IT set its value."},
                       {"5", "FALSE", "States", "", "Changed since DO IT", "Something else changed its value."}});
  const auto action = [&](const char* tweak, const char* value) {
    return testing::RowText{tweak, "HKCU", key, value, "4", "1", "", "1", "63"};
  };
  testing::WriteTable(SystemFileStore(), dir.File("Data.xml"), Tdm1::ActionFields(),
                      {action("1", "One"), action("2", "Two"), action("2", "Three"), action("3", "Four"),
                       action("4", "Five"), action("5", "Six"), action("5", "Seven")});
  testing::WriteTable(SystemFileStore(), dir.File("Undo.xml"), Tdm1::UndoFields(), {});
  testing::WriteTable(SystemFileStore(), dir.File("Note.xml"), Tdm1::NoteFields(), {});
  std::ofstream(dir.File("cordalis.INI"), std::ios::binary) << "[Settings]\r\nVeryFirst=0\r\n";
  HKEY values = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &values, nullptr);
  const DWORD one = 1, seven = 7;
  for (const char* name : {"One", "Two"})
    RegSetValueExA(values, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
  {
    Session session(dir.Str());
    for (const char* title : {"Applied with Cordalis", "Changed since DO IT"}) {
      session.Select(title);
      PostMessageA(session.window, WM_COMMAND, cmdApply, 0);
      session.program.ExpectBox(std::string("This tweak's ") + (title[0] == 'A' ? "1 action was" : "2 actions were") +
                                " performed successfully.");
    }
    RegSetValueExA(values, "Six", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&seven), sizeof seven);
    SendMessageA(session.window, WM_COMMAND, cmdRefresh, 0);
    SaveWindow(session, output + "\\tree-states.bmp");
    PostMessageA(session.window, WM_COMMAND, cmdUndo, 0);
    if (HWND dialog = session.program.WaitForDialog("Values changed since DO IT")) {
      Settle(session.program, dialog);
      SaveWindows(session.program, output + "\\drift-dialog.bmp");
      session.program.EndDialog(dialog, IDCANCEL);
    }
    session.Close();
  }
  RegCloseKey(values);
  RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
}

int Run(const std::string& output) {
  testing::TempDir dir;
  Install(dir);
  {
    Session session(dir.Str());
    session.Select("Show the Windows version on the desktop");
    SaveWindow(session, output + "\\main-tweak.bmp");
    session.Select("Desktop");
    SaveWindow(session, output + "\\main-category.bmp");
    session.Select("Show a legal notice before logon");
    SaveWindow(session, output + "\\controls-shipped.bmp");
    SaveDialog(session, cmdNote, "Add/edit note", output + "\\note-dialog.bmp", [](HWND dialog) {
      HWND memo = ProgramDriver::Descendant(dialog, "Edit");
      for (char c : std::string("Shown on the computers in the library."))
        SendMessageA(memo, WM_CHAR, static_cast<unsigned char>(c), 0);
    });
    SaveDialog(session, cmdAbout, "About Cordalis", output + "\\about.bmp");
    SendMessageA(session.window, WM_COMMAND, cmdTop, 0);  // a search from the top finds the text
    PostMessageA(session.window, WM_COMMAND, cmdFind, 0);
    if (HWND find = session.program.WaitForDialog("Find")) {
      SendMessageA(GetDlgItem(find, 0x480), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("wallpaper"));
      SendMessageA(find, WM_COMMAND, IDOK, 0);
      SaveWindow(session, output + "\\find.bmp");
      session.program.CloseDialog(find);
    }
    session.Close();
  }
  {
    // F1 opens the help on its contents; the Find dialog's Help names the
    // Find topic, which Wine's viewer cannot be asked for: it is opened by
    // that name as the WinHelp command line does.
    testing::InstallHelp(dir.Str());
    Session session(dir.Str());
    SetForegroundWindow(session.window);
    PostMessageA(session.window, WM_COMMAND, cmdHelp, 0);
    HWND viewer = testing::WaitForHelpViewer(session.program.Process());
    if (viewer != nullptr && testing::HelpViewerShows(viewer, "Cordalis Help", session.program.Process())) {
      SaveHelpViewer(viewer, output + "\\help-contents.bmp");
      testing::CloseHelpViewer(viewer);
    }
    session.Close();
    if (HWND viewer = testing::OpenHelpTopic(dir.File("cordalis.HLP"), kHelpTopicFind, "Finding a tweak")) {
      SaveHelpViewer(viewer, output + "\\help-find.bmp");
      testing::CloseHelpViewer(viewer);
    }
  }
  {
    Session session(dir.Str(), "-viewonly");
    SaveWindow(session, output + "\\view-only.bmp");
    session.Close();
  }
  {
    // Another copy holds the tables: the run refuses to write, and says why.
    std::unique_ptr<FileLock> otherCopy = SystemFileStore().HoldLock(dir.File(kTableLockFile));
    Session session(dir.Str(), "", {OtherCopyMessage(dir.Str())});
    SaveWindow(session, output + "\\read-only.bmp");
    session.Close();
  }
  {
    testing::TempDir controls;
    testing::WriteControlCatalogue(SystemFileStore(), controls.Str(), "Software\\CordalisPictures");
    testing::WriteTable(SystemFileStore(), controls.File("Undo.xml"), Tdm1::UndoFields(), {});
    testing::WriteTable(SystemFileStore(), controls.File("Note.xml"), Tdm1::NoteFields(), {});
    std::ofstream(controls.File("cordalis.INI"), std::ios::binary) << "[Settings]\r\nVeryFirst=0\r\n";
    Session session(controls.Str());
    session.Select("Every control");
    SaveWindow(session, output + "\\controls-every-kind.bmp");
    session.Close();
  }
  {
    // Current data outside a number box's bounds and a drive in lower case:
    // the boxes show what DO IT would write.
    testing::TempDir shown;
    const std::string key = "Software\\CordalisPictures";
    testing::WriteTable(SystemFileStore(), shown.File("Twks.xml"), Tdm1::TweakFields(),
                        {{"1", "FALSE", "Shown", "", "Shown and written", "Every box as DO IT writes it."}});
    testing::WriteTable(SystemFileStore(), shown.File("Data.xml"), Tdm1::ActionFields(),
                        {{"1", "HKCU", key, "Drive", "1", "1", "drive", "Drive", "63"},
                         {"1", "HKCU", key, "Small", "4", "1", "num", "From 1 to 16 (now 20)|1|16", "63"}});
    testing::WriteTable(SystemFileStore(), shown.File("Undo.xml"), Tdm1::UndoFields(), {});
    testing::WriteTable(SystemFileStore(), shown.File("Note.xml"), Tdm1::NoteFields(), {});
    std::ofstream(shown.File("cordalis.INI"), std::ios::binary) << "[Settings]\r\nVeryFirst=0\r\n";
    HKEY values = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &values, nullptr);
    const DWORD twenty = 20;
    RegSetValueExA(values, "Drive", 0, REG_SZ, reinterpret_cast<const BYTE*>("c"), 2);
    RegSetValueExA(values, "Small", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&twenty), sizeof twenty);
    RegCloseKey(values);
    Session session(shown.Str());
    SaveWindow(session, output + "\\controls-shown-as-written.bmp");
    session.Close();
    RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
  }
  SaveStates(output);
  return 0;
}

}  // namespace
}  // namespace cordalis

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: cordalis_screenshots OUTPUT_FOLDER\n");
    return 2;
  }
  return cordalis::Run(argv[1]);
}
