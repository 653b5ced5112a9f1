// The real program's tweak states under Wine: the tree's marks, the state line
// of the description and Refresh, and Undo of a tweak whose value something
// else changed since DO IT, for each answer of the drift dialog.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <fstream>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/tree_state_marks.h"
#include "app/tweak_tree.h"
#include "app/win32/drift_form_ids.h"
#include "db/dm1.h"
#include "gui/program_driver.h"
#include "gui/remote_tree.h"
#include "host/file_store.h"
#include "host/registry.h"
#include "support/registry_sandbox.h"
#include "support/table_files.h"
#include "support/temp_dir.h"

namespace cordalis {
namespace {

using testing::ProgramDriver;
using testing::RemoteTree;

constexpr char kDriftTitle[] = "Values changed since DO IT";
constexpr char kTitle[] = "Set two sandbox values";

// One tweak that writes two values into a key of the sandbox that exists
// already, so that each value has undo data of its own.
class Installation {
 public:
  explicit Installation(testing::RegistrySandbox& sandbox) : key(sandbox.Path("Tweak")) {
    testing::WriteTable(SystemFileStore(), dir.File("Twks.xml"), Tdm1::TweakFields(),
                        {{"1", "FALSE", "Test", "", kTitle, "A test tweak"}});
    testing::WriteTable(SystemFileStore(), dir.File("Data.xml"), Tdm1::ActionFields(),
                        {{"1", "HKCU", key, "Kept", "4", "1", "", "42", "63"},
                         {"1", "HKCU", key, "Moved", "4", "1", "", "42", "63"}});
    testing::WriteTable(SystemFileStore(), dir.File("Undo.xml"), Tdm1::UndoFields(), {});
    testing::WriteTable(SystemFileStore(), dir.File("Note.xml"), Tdm1::NoteFields(), {});
    std::ofstream(dir.File("cordalis.INI"), std::ios::binary) << "[Settings]\r\nVeryFirst=0\r\n";
    reg.SetRootKey(kHkeyCurrentUser);
    reg.CreateKey(key);
  }
  // The value's data, or -1 when it is absent.
  int Value(const std::string& name) {
    if (!reg.OpenKey(key, false)) return -1;
    const int data = reg.ValueExists(name) ? reg.ReadInteger(name) : -1;
    reg.CloseKey();
    return data;
  }
  // Another program writes the value.
  void Write(const std::string& name, int data) {
    reg.OpenKey(key, false);
    reg.WriteInteger(name, data);
    reg.CloseKey();
  }
  testing::TempDir dir;
  std::string key;
  TRegistry reg{SystemRegistry()};
};

struct Window {
  explicit Window(ProgramDriver& program) : program(program) {
    hwnd = program.WaitForWindow("TMainForm").hwnd;
    if (hwnd == nullptr) throw std::runtime_error("no main window");
    program.ExpectNoBox(hwnd);
  }
  HWND Tree() const { return ProgramDriver::DescendantById(hwnd, 300); }
  // The description's second line: the state under the title.
  std::string StateLine() const {
    const std::string text = ProgramDriver::Text(ProgramDriver::DescendantById(hwnd, 301));
    const std::size_t start = text.find("\r\n") + 2;
    return text.substr(start, text.find("\r\n", start) - start);
  }
  HWND UndoButton() const { return ProgramDriver::DescendantWithText(hwnd, CommandOf(cmdUndo).caption); }
  void Command(CommandId id) const { SendMessageA(hwnd, WM_COMMAND, id, 0); }
  ProgramDriver& program;
  HWND hwnd = nullptr;
};

// The texts of a list view's row in the program.
std::vector<std::string> ListRow(HANDLE process, HWND list, int row, int columns) {
  constexpr std::size_t kRoom = 512;
  char* remote = static_cast<char*>(
      VirtualAllocEx(process, nullptr, sizeof(LVITEMA) + kRoom, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  std::vector<std::string> cells;
  for (int column = 0; column < columns; ++column) {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = remote + sizeof(LVITEMA);
    item.cchTextMax = kRoom;
    WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
    SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(remote));
    char text[kRoom] = {};
    ReadProcessMemory(process, remote + sizeof(LVITEMA), text, kRoom - 1, nullptr);
    cells.emplace_back(text);
  }
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  return cells;
}

TEST(TweakStateGui, AValueChangedBehindTheProgramsBackIsMarkedAndUndoAsksBeforePuttingTheOldDataBack) {
  struct Case {
    const char* name;
    int button;
    int kept, moved;  // the values after Undo, -1 for absent
    bool undoDataLeft;
  };
  const Case cases[] = {
      {"Undo all", IDC_UNDOALL, -1, -1, false},
      {"Keep newer changes", IDC_KEEPNEWER, -1, 7, true},
      {"Cancel", IDCANCEL, 42, 7, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::RegistrySandbox sandbox(testing::RegistryKind::System);
    Installation install(sandbox);
    ProgramDriver program(install.dir.Str());
    Window window(program);
    RemoteTree tree(window.Tree(), program.Process());
    HTREEITEM item = tree.Find(kTitle);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(tree.StateImage(item), kTweakImage) << "nothing of the tweak is in effect";

    PostMessageA(window.hwnd, WM_COMMAND, cmdApply, 0);
    program.ExpectBox("This tweak's 2 actions were performed successfully.");
    program.ExpectNoBox(window.hwnd);
    EXPECT_EQ(tree.StateImage(item), kAppliedInEffectImage);
    const std::string applied = window.StateLine();
    EXPECT_EQ(applied.substr(0, 7), "State: ") << applied;

    install.Write("Moved", 7);
    EXPECT_EQ(tree.StateImage(item), kAppliedInEffectImage) << "the state is kept until something may change it";
    window.Command(cmdRefresh);  // F5
    EXPECT_EQ(tree.StateImage(item), kChangedPartlyImage);
    EXPECT_EQ(window.StateLine().substr(0, 7), "State: ");
    EXPECT_NE(window.StateLine(), applied) << "the description follows the state";

    PostMessageA(window.hwnd, WM_COMMAND, cmdUndo, 0);
    HWND dialog = program.WaitForDialog(kDriftTitle);
    ASSERT_NE(dialog, nullptr);
    HWND list = GetDlgItem(dialog, IDC_DRIFTLIST);
    ASSERT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 1) << "only the value that was changed";
    const std::vector<std::string> row = ListRow(program.Process(), list, 0, 5);
    EXPECT_NE(row[0].find(install.key), std::string::npos) << row[0];
    EXPECT_EQ(row[1], "Moved");
    EXPECT_NE(row[3], row[4]) << "written by DO IT, and now";
    program.EndDialog(dialog, c.button);
    program.ExpectNoBox(window.hwnd);

    EXPECT_EQ(install.Value("Kept"), c.kept);
    EXPECT_EQ(install.Value("Moved"), c.moved);
    EXPECT_EQ(IsWindowEnabled(window.UndoButton()) != FALSE, c.undoDataLeft);
    PostMessageA(window.hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(), 0);
  }
}

TEST(TweakStateGui, CheckAppliedTweaksNamesTheTweakAndTheStatusBarCountsItAtTheNextStart) {
  testing::RegistrySandbox sandbox(testing::RegistryKind::System);
  Installation install(sandbox);
  {
    ProgramDriver program(install.dir.Str());
    Window window(program);
    PostMessageA(window.hwnd, WM_COMMAND, cmdApply, 0);
    program.ExpectBox("This tweak's 2 actions were performed successfully.");
    PostMessageA(window.hwnd, WM_COMMAND, cmdCheckApplied, 0);
    program.ExpectBox("No value of the tweaks that Cordalis applied has been changed since.");
    install.Write("Kept", 1);
    PostMessageA(window.hwnd, WM_COMMAND, cmdCheckApplied, 0);
    program.ExpectBox(
        "Since Cordalis applied these tweaks, something else (you, a policy, an update or another program) has "
        "changed values they wrote:\r\n\r\n#T0001  " + std::string(kTitle) +
        "\r\n\r\nThe tree marks them with \"!\". Undo of such a tweak lists the values and asks before it puts the "
        "old data back over the newer.");
    PostMessageA(window.hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(), 0);
  }
  ProgramDriver program(install.dir.Str());
  Window window(program);
  const HWND status = ProgramDriver::Descendant(window.hwnd, "msctls_statusbar32");
  ProgramDriver::Settle(window.hwnd);
  EXPECT_EQ(program.StatusText(status),
            "A value of 1 tweak that Cordalis applied has been changed since. Tweak, Check applied tweaks names it.");
  PostMessageA(window.hwnd, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.WaitForExit(), 0);
}

}  // namespace
}  // namespace cordalis
