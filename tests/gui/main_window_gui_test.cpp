// The real program's main window under Wine, driven from outside as a user
// would drive it: its size on the first start, the tree of the shipped
// catalogue, the panes of a tweak, DO IT and Undo on the Registry, the
// settings across a restart, a second copy, view-only mode, and older Windows.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>

#include "app/commands.h"
#include "app/main_form.h"
#include "app/description_text.h"
#include "app/tweak_tree.h"
#include "db/dm1.h"
#include "db/packet_engine.h"
#include "db/records.h"
#include "doubles/recording_message_boxes.h"
#include "doubles/recording_rich_text.h"
#include "engine/detail_text.h"
#include "engine/tweak_state.h"
#include "gui/keyboard.h"
#include "gui/program_driver.h"
#include "gui/remote_tree.h"
#include "host/file_store.h"
#include "host/host_queries.h"
#include "host/platform.h"
#include "host/registry.h"
#include "host/roots.h"
#include "host/win32/win32_text_collation.h"
#include "support/registry_sandbox.h"
#include "support/table_files.h"
#include "support/temp_dir.h"

namespace cordalis {
namespace {

using testing::ProgramDriver;
using testing::RemoteTree;
using testing::TempDir;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A folder holding the program and its tables.
class Installation {
 public:
  explicit Installation(bool shippedCatalogue = true, bool firstRun = false) {
    if (shippedCatalogue) {
      for (const char* name : {"Twks.xml", "Data.xml"})
        std::filesystem::copy_file(std::string(CORDALIS_SOURCE_DIR) + "/catalogue/" + name, dir.File(name));
    }
    testing::WriteTable(SystemFileStore(), dir.File("Undo.xml"), Tdm1::UndoFields(), {});
    testing::WriteTable(SystemFileStore(), dir.File("Note.xml"), Tdm1::NoteFields(), {});
    if (!firstRun) WriteIni("[Settings]\r\nVeryFirst=0\r\n");
  }
  void WriteIni(const std::string& text) { std::ofstream(dir.File("cordalis.INI"), std::ios::binary) << text; }
  std::string Ini() const { return ReadFile(dir.File("cordalis.INI")); }
  TempDir dir;
};

struct MainWindow {
  // The main window, once the boxes its start shows (named, in order) are answered.
  explicit MainWindow(ProgramDriver& program, const std::vector<std::string>& startBoxes = {}) : program(program) {
    hwnd = program.WaitForWindow("TMainForm").hwnd;
    if (hwnd == nullptr) throw std::runtime_error("no main window");
    for (const std::string& box : startBoxes) program.ExpectBox(box);
    program.ExpectNoBox(hwnd);
  }
  // The window's control ids: tv1 300, reDesc 301, reDetail 302.
  HWND Tree() const { return ProgramDriver::DescendantById(hwnd, 300); }
  std::string Description() const { return ProgramDriver::Text(ProgramDriver::DescendantById(hwnd, 301)); }
  std::string Detail() const { return ProgramDriver::Text(ProgramDriver::DescendantById(hwnd, 302)); }
  HWND Button(CommandId id) const { return ProgramDriver::DescendantWithText(hwnd, CommandOf(id).caption); }
  HWND TreeGroup() const { return GetParent(Tree()); }
  int TreeGroupWidth() const {
    RECT r;
    GetWindowRect(TreeGroup(), &r);
    return r.right - r.left;
  }
  HWND StatusBar() const { return ProgramDriver::Descendant(hwnd, "msctls_statusbar32"); }
  // A command that shows no box: it has run when this returns.
  void Command(CommandId id) const { SendMessageA(hwnd, WM_COMMAND, id, 0); }
  void Close() const { PostMessageA(hwnd, WM_CLOSE, 0, 0); }
  ProgramDriver& program;
  HWND hwnd = nullptr;
};

// The tree the shipped catalogue gives on this system, as the model builds it.
std::vector<std::string> ExpectedOutline(const std::string& folder) {
  testing::RecordingMessageBoxes boxes;
  XmlPacketEngine engine(SystemFileStore());
  Tdm1 dm(engine, SystemFileStore(), boxes, folder);
  const std::vector<TreeTweak> tweaks = TreeTweaksOf(dm.cdsTwks, dm.cdsData);
  const CurrentPlatform platform = ComputeCurrentPlatform(SystemHostQueries(), SystemRegistry());
  const Win32TextCollation collation;
  const TweakTree tree(tweaks, {false, platform.mask, -1}, collation);
  std::vector<std::string> lines;
  for (int n = 0; n < tree.NodeCount(); ++n)
    lines.push_back(std::string(static_cast<std::size_t>(tree.Node(n).depth) * 2, ' ') + std::string(tree.Label(n)));
  return lines;
}

TEST(MainWindowGui, TheFirstStartOpensCentredAtItsSizeAndGivesTheNoticeOnce) {
  Installation install(true, true);
  {
    ProgramDriver program(install.dir.Str());
    MainWindow window(program, {kFirstRunNotice});
    RECT r, work;
    GetWindowRect(window.hwnd, &r);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    // The designed 592 x 501, no narrower than the window's minimum width of 620.
    EXPECT_EQ(r.right - r.left, 620);
    EXPECT_EQ(r.bottom - r.top, 501);
    EXPECT_EQ(r.left - work.left, (work.right - work.left - 620) / 2);
    EXPECT_EQ(r.top - work.top, (work.bottom - work.top - 501) / 2);
    EXPECT_EQ(ProgramDriver::Text(window.hwnd), "Cordalis");
    window.Close();
    EXPECT_EQ(program.WaitForExit(), 0);
  }
  EXPECT_NE(install.Ini().find("VeryFirst=0"), std::string::npos);
  ProgramDriver again(install.dir.Str());
  MainWindow window(again);  // the notice is shown once: no box
  window.Close();
  EXPECT_EQ(again.WaitForExit(), 0);
}

TEST(MainWindowGui, TheTreeHoldsTheShippedCatalogueForThisSystemAndATweakFillsThePanes) {
  Installation install;
  ProgramDriver program(install.dir.Str());
  MainWindow window(program);
  RemoteTree tree(window.Tree(), program.Process());
  EXPECT_EQ(tree.Outline(), ExpectedOutline(install.dir.Str()));
  // The first tweak's label is longer than the tree is wide; the tree still
  // shows its left edge, where the item sits.
  EXPECT_GT(tree.LabelRect(tree.Root()).left, 0);
  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(window.hwnd, nullptr), &thread));
  EXPECT_EQ(thread.hwndFocus, window.Tree()) << "the keyboard starts in the tree";

  // The panes of a tweak: exactly what the description and detail writers give.
  HTREEITEM item = tree.Find("Show the Windows version on the desktop");
  ASSERT_NE(item, nullptr);
  tree.Select(item);
  testing::RecordingMessageBoxes boxes;
  XmlPacketEngine engine(SystemFileStore());
  Tdm1 dm(engine, SystemFileStore(), boxes, install.dir.Str());
  ASSERT_TRUE(dm.LocateTweak(19));
  RecordingRichText description, detail;
  HostEnvironment environment(SystemHostQueries());
  const CurrentPlatform platform = ComputeCurrentPlatform(SystemHostQueries(), SystemRegistry());
  std::uint16_t mask = 0;
  int roots = 0;
  for (const ActionRecord& a : ActionsWithKey(dm.cdsData, 19)) {
    mask |= a.verMask;
    if (PlatformApplies(a.verMask, platform.mask)) roots |= RootBitOfCode(a.root);
  }
  const std::string stateLine = StateLine(
      EvaluateTweak({dm.cdsData, dm.cdsUndo, SystemRegistry(), environment.Facts(), platform.mask}, 19));
  WriteTitleAndDescription(description, ReadTweak(dm.cdsTwks), stateLine);
  WritePlatforms(description, mask, roots, environment.Facts().ntFamily);
  BuildDetailText({dm, 19, SystemRegistry(), environment.Facts(), false, false, platform.mask}, detail);
  EXPECT_EQ(window.Description(), description.Text());
  EXPECT_EQ(window.Detail(), detail.Text());
  EXPECT_TRUE(IsWindowEnabled(window.Button(cmdApply)));
  EXPECT_FALSE(IsWindowEnabled(window.Button(cmdUndo)));
  window.Close();
  EXPECT_EQ(program.WaitForExit(), 0);
}

TEST(MainWindowGui, DoItAndUndoChangeAndRestoreTheRegistry) {
  testing::RegistrySandbox sandbox(testing::RegistryKind::System);
  Installation install(false);
  testing::WriteTable(SystemFileStore(), install.dir.File("Twks.xml"), Tdm1::TweakFields(),
                      {{"1", "FALSE", "Test", "", "Set the sandbox value", "A test tweak"}});
  testing::WriteTable(SystemFileStore(), install.dir.File("Data.xml"), Tdm1::ActionFields(),
                      {{"1", "HKCU", sandbox.Path("Tweak"), "Setting", "4", "1", "", "42", "63"}});
  ProgramDriver program(install.dir.Str());
  MainWindow window(program);
  TRegistry reg(SystemRegistry());
  reg.SetRootKey(kHkeyCurrentUser);
  // What the Detail pane promises is what DO IT writes.
  EXPECT_NE(window.Detail().find("named Setting, changing its current data of (none) to 42."), std::string::npos)
      << window.Detail();

  PostMessageA(window.Button(cmdApply), BM_CLICK, 0, 0);
  program.ExpectBox("This tweak's 1 action was performed successfully.");
  program.ExpectNoBox(window.hwnd);
  ASSERT_TRUE(reg.OpenKey(sandbox.Path("Tweak"), false));
  EXPECT_EQ(reg.ReadInteger("Setting"), 42);
  reg.CloseKey();
  EXPECT_EQ(window.Detail().substr(0, 12), "Undo action:");
  EXPECT_FALSE(IsWindowEnabled(window.Button(cmdApply)));

  window.Command(cmdUndo);
  program.ExpectNoBox(window.hwnd);
  EXPECT_FALSE(reg.KeyExists(sandbox.Path("Tweak"))) << "the key DO IT made is gone again";
  EXPECT_EQ(window.Detail().substr(0, 13), "DO IT action:");
  window.Close();
  EXPECT_EQ(program.WaitForExit(), 0);
}

TEST(MainWindowGui, TheSettingsBringBackTheSelectedTweakAndTheTreeWidth) {
  Installation install;
  {
    ProgramDriver program(install.dir.Str());
    MainWindow window(program);
    RemoteTree tree(window.Tree(), program.Process());
    HTREEITEM item = tree.Find("Show the Windows version on the desktop");
    ASSERT_NE(item, nullptr);
    tree.Select(item);
    window.Close();
    EXPECT_EQ(program.WaitForExit(), 0);
  }
  const std::string ini = install.Ini();
  EXPECT_NE(ini.find("LastTip=19"), std::string::npos) << ini;
  EXPECT_NE(ini.find("Split1=250"), std::string::npos) << ini;
  EXPECT_NE(ini.find("[MainForm Settings]"), std::string::npos) << ini;
  ProgramDriver program(install.dir.Str());
  MainWindow window(program);
  RemoteTree tree(window.Tree(), program.Process());
  EXPECT_EQ(tree.Label(tree.Selected()), "Show the Windows version on the desktop");
  EXPECT_EQ(window.Description().substr(0, 39), "Show the Windows version on the desktop");
  window.Close();
  EXPECT_EQ(program.WaitForExit(), 0);
}

TEST(MainWindowGui, ASecondCopyBringsTheFirstForwardAndEnds) {
  Installation install;
  ProgramDriver first(install.dir.Str());
  MainWindow window(first);
  ShowWindow(window.hwnd, SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(window.hwnd));
  {
    ProgramDriver second(install.dir.Str());
    EXPECT_EQ(second.WaitForExit(), 0);
    EXPECT_TRUE(second.TopLevelWindows().empty());
  }
  EXPECT_FALSE(IsIconic(window.hwnd)) << "restored";
  window.Close();
  EXPECT_EQ(first.WaitForExit(), 0);
}

TEST(MainWindowGui, ViewOnlyShowsEveryTweakAndDisablesTheCommands) {
  Installation install;
  ProgramDriver program(install.dir.Str(), "-ViewOnly");
  MainWindow window(program);
  EXPECT_EQ(ProgramDriver::Text(window.hwnd), "Cordalis (view only)");
  RemoteTree tree(window.Tree(), program.Process());
  bool red = false;
  for (HTREEITEM category : tree.Children(tree.Root()))
    for (HTREEITEM child : tree.Children(category)) {
      red = red || tree.StateImage(child) == 4;
      for (HTREEITEM grandchild : tree.Children(child)) red = red || tree.StateImage(grandchild) == 4;
    }
  EXPECT_TRUE(red) << "a tweak not for this platform is shown with the red image";
  for (CommandId id : {cmdApply, cmdUndo, cmdNote}) EXPECT_FALSE(IsWindowEnabled(window.Button(id))) << id;
  window.Close();
  EXPECT_EQ(program.WaitForExit(), 0);
}

// Alt and a menu's letter open the menu, whichever control has the focus,
// even where a button of the window has the same letter (Fi&nd, &Note).
TEST(MainWindowGui, AltAndAMenusLetterOpenThatMenu) {
  Installation install;
  ProgramDriver program(install.dir.Str());
  MainWindow window(program);
  ASSERT_TRUE(IsWindowEnabled(window.Button(cmdNote)));
  PostMessageA(window.Tree(), WM_SYSCHAR, 'n', 0x20000001);  // Alt held
  EXPECT_NE(program.WaitForWindow("#32768", 5000).hwnd, nullptr) << "the Find menu is open";
  for (const testing::WindowInfo& w : program.TopLevelWindows())
    EXPECT_NE(w.className, "#32770") << "a dialog opened: " << w.title;
  SendMessageA(window.hwnd, WM_CANCELMODE, 0, 0);
  window.Close();
  EXPECT_EQ(program.WaitForExit(), 0);
}

// The key that tells Wine which Windows to report to the program, removed
// however the test ends.
class ReportedWindowsVersion {
 public:
  ReportedWindowsVersion() : reg_(SystemRegistry()) { reg_.SetRootKey(kHkeyCurrentUser); }
  ~ReportedWindowsVersion() { reg_.DeleteKey(kKey); }
  bool Absent() { return !reg_.KeyExists(kKey); }
  bool Set(const char* version) {
    if (!reg_.OpenKey(kKey, true)) return false;
    reg_.WriteString("Version", version);
    reg_.CloseKey();
    return true;
  }

 private:
  static constexpr const char* kKey = "Software\\Wine\\AppDefaults\\cordalis.exe";
  TRegistry reg_;
};

// The title of a shipped tweak for this system and not for the one Wine
// reports to other programs, so that it shows only when the version took.
std::string OnlyOn(const std::string& folder, std::uint16_t system) {
  testing::RecordingMessageBoxes boxes;
  XmlPacketEngine engine(SystemFileStore());
  Tdm1 dm(engine, SystemFileStore(), boxes, folder);
  const std::uint16_t usual = ComputeCurrentPlatform(SystemHostQueries(), SystemRegistry()).mask & 0x00FF;
  for (const TreeTweak& t : TreeTweaksOf(dm.cdsTwks, dm.cdsData))
    if (!t.hide && (t.mask & system) != 0 && (t.mask & usual) == 0) return std::string(t.title);
  return {};
}

// Windows 95, 98 and NT 4.0, as Wine reports them to the program: the About
// box names the system, and a tweak only that system has is in the tree.
TEST(MainWindowGui, TheProgramStartsOnOlderWindows) {
  ReportedWindowsVersion reported;
  ASSERT_TRUE(reported.Absent());
  struct Case {
    const char* version;
    const char* platformLine;  // the start of the About box's platform line
    std::uint16_t bit;
  };
  for (const Case& c : {Case{"win95", "Platform: 95", 0x0001}, Case{"win98", "Platform: 98", 0x0002},
                        Case{"nt40", "Platform: NT", 0x0008}}) {
    ASSERT_TRUE(reported.Set(c.version));
    Installation install;
    const std::string only = OnlyOn(install.dir.Str(), c.bit);
    ASSERT_FALSE(only.empty()) << "the catalogue has a tweak only for " << c.version;
    ProgramDriver program(install.dir.Str());
    MainWindow window(program);
    RemoteTree tree(window.Tree(), program.Process());
    EXPECT_NE(tree.Find(only), nullptr) << c.version << ": " << only;
    PostMessageA(window.hwnd, WM_COMMAND, cmdAbout, 0);
    HWND about = program.WaitForDialog("About Cordalis");
    ASSERT_NE(about, nullptr) << c.version;
    bool named = false;
    for (int n = 0; HWND label = ProgramDriver::Descendant(about, "Static", n); ++n)
      named = named || ProgramDriver::Text(label).rfind(c.platformLine, 0) == 0;
    EXPECT_TRUE(named) << c.version << " is not named in the About box";
    program.EndDialog(about, IDOK);
    window.Close();
    EXPECT_EQ(program.WaitForExit(), 0) << c.version;
  }
}

// The tree control moves its selection to a node that closes over it, and
// tells nobody: the panes show the category all the same. By the keyboard
// (Num -, Shift+Num -) and by the menu.
TEST(MainWindowGui, CollapsingOverTheSelectedTweakShowsTheCategory) {
  Installation install;
  ProgramDriver program(install.dir.Str());
  MainWindow window(program);
  RemoteTree tree(window.Tree(), program.Process());
  struct Case {
    const char* how;
    std::function<void()> collapse;
  };
  const Case cases[] = {
      {"Num -", [] { testing::PressKey(VK_SUBTRACT); }},
      {"Shift+Num -", [] { testing::PressKey(VK_SUBTRACT, {true, false}); }},
      {"Collapse all", [&] { window.Command(cmdCollapseAll); }},
      {"Collapse category", [&] { window.Command(cmdCollapseCategory); }},
  };
  for (const Case& c : cases) {
    HTREEITEM item = tree.Find("Show the Windows version on the desktop");
    ASSERT_NE(item, nullptr);
    tree.Select(item);
    SetForegroundWindow(window.hwnd);
    ASSERT_EQ(window.Description().substr(0, 39), "Show the Windows version on the desktop") << c.how;
    c.collapse();
    ASSERT_TRUE(testing::Eventually(program.Process(), [&] { return tree.Selected() != item; })) << c.how;
    const std::string category = tree.Label(tree.Selected());
    EXPECT_EQ(category, "Desktop") << c.how;
    EXPECT_EQ(window.Description(), "") << c.how << ": the panes of a category";
    EXPECT_EQ(window.Detail(), "") << c.how;
    EXPECT_FALSE(IsWindowEnabled(window.Button(cmdNote))) << c.how;
  }
  // Num + opens the selected category again.
  HTREEITEM category = tree.Selected();
  testing::PressKey(VK_ADD);
  EXPECT_TRUE(testing::Eventually(program.Process(), [&] {
    return (SendMessageA(window.Tree(), TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(category), TVIS_EXPANDED) &
            TVIS_EXPANDED) != 0;
  }));
  window.Close();
  EXPECT_EQ(program.WaitForExit(), 0);
}

// Minimised, the window has no client area; the tree keeps its width for
// the restore and for the settings, also when the program starts minimised.
// (280 and the column's 310 fit the window's smallest width.)
TEST(MainWindowGui, MinimisingKeepsTheTreeWidth) {
  Installation install;
  install.WriteIni("[Settings]\r\nVeryFirst=0\r\nSplit1=280\r\n");
  for (int start : {SW_SHOWNORMAL, SW_SHOWMINNOACTIVE}) {
    ProgramDriver program(install.dir.Str(), "", start);
    MainWindow window(program);
    if (start == SW_SHOWNORMAL) {
      EXPECT_EQ(window.TreeGroupWidth(), 280);
      ShowWindow(window.hwnd, SW_MINIMIZE);
    }
    ASSERT_TRUE(IsIconic(window.hwnd)) << start;
    ShowWindow(window.hwnd, SW_RESTORE);
    ProgramDriver::Settle(window.hwnd);
    EXPECT_EQ(window.TreeGroupWidth(), 280) << start;
    window.Close();
    EXPECT_EQ(program.WaitForExit(), 0);
    EXPECT_NE(install.Ini().find("Split1=280"), std::string::npos) << install.Ini();
  }
}

// Until the help file is installed, F1 says where it is expected instead of
// WinHelp's offer to look for it.
TEST(MainWindowGui, HelpWithoutItsFileSaysWhereItIsExpected) {
  Installation install;
  ProgramDriver program(install.dir.Str());
  MainWindow window(program);
  SetForegroundWindow(window.hwnd);
  testing::PressKey(VK_F1);
  program.ExpectBox("Cordalis's help is not installed. Cordalis looks for it in the file " + install.dir.Str() +
                    "\\cordalis.HLP.");
  program.ExpectNoBox(window.hwnd);
  window.Close();
  EXPECT_EQ(program.WaitForExit(), 0);
}

// The buttons' hints: a tool tip for each, the long hint in the status bar
// also over a disabled button, and nothing there once the mouse has left.
TEST(MainWindowGui, TheCommandButtonsHintsFollowTheMouse) {
  Installation install;
  ProgramDriver program(install.dir.Str());
  MainWindow window(program);
  HWND undo = window.Button(cmdUndo);
  ASSERT_FALSE(IsWindowEnabled(undo));
  RECT r;
  GetWindowRect(undo, &r);
  SetForegroundWindow(window.hwnd);
  SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  POINT inPanel{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ScreenToClient(GetParent(undo), &inPanel);
  PostMessageA(GetParent(undo), WM_MOUSEMOVE, 0, MAKELPARAM(inPanel.x, inPanel.y));
  ASSERT_TRUE(testing::Eventually(program.Process(), [&] {
    return program.StatusText(window.StatusBar()) == "Undo the current tweak";
  })) << program.StatusText(window.StatusBar());
  // A disabled tool bar button gives its hint too: Find next, with nothing to find yet.
  HWND toolBar = ProgramDriver::Descendant(window.hwnd, TOOLBARCLASSNAMEA);
  ASSERT_FALSE(SendMessageA(toolBar, TB_ISBUTTONENABLED, cmdFindNext, 0));
  const LRESULT size = SendMessageA(toolBar, TB_GETBUTTONSIZE, 0, 0);  // Find, then Find next
  POINT onFindNext{LOWORD(size) * 3 / 2, HIWORD(size) / 2};
  ClientToScreen(toolBar, &onFindNext);
  SetCursorPos(onFindNext.x, onFindNext.y);
  ScreenToClient(toolBar, &onFindNext);
  PostMessageA(toolBar, WM_MOUSEMOVE, 0, MAKELPARAM(onFindNext.x, onFindNext.y));
  EXPECT_TRUE(testing::Eventually(program.Process(), [&] {
    return program.StatusText(window.StatusBar()) == "Repeat the last find operation";
  })) << program.StatusText(window.StatusBar());

  // The tips are hidden windows the main window owns: the tool bar's, with a
  // tool for each of its 9 buttons, and the command panel's (the tree's has none).
  std::vector<int> tools;
  for (HWND tips = nullptr; (tips = FindWindowExA(nullptr, tips, TOOLTIPS_CLASSA, nullptr)) != nullptr;) {
    if (GetWindow(tips, GW_OWNER) != window.hwnd) continue;
    const int count = static_cast<int>(SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0));
    if (count > 0) tools.push_back(count);
  }
  std::sort(tools.begin(), tools.end());
  EXPECT_EQ(tools, (std::vector<int>{3, 9})) << "DO IT, Undo and Note have tips";

  RECT outside;
  GetWindowRect(window.hwnd, &outside);
  SetCursorPos(outside.right + 40, outside.bottom + 40);
  EXPECT_TRUE(testing::Eventually(program.Process(), [&] { return program.StatusText(window.StatusBar()).empty(); }))
      << program.StatusText(window.StatusBar());
  window.Close();
  EXPECT_EQ(program.WaitForExit(), 0);
}

}  // namespace
}  // namespace cordalis
