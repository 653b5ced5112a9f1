// The controls pane of the real program under Wine: a tweak with one control
// of every kind is filled in as a user would (typing, arrows, the toggle and
// the three browse dialogs), applied, and undone after a restart.
#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <filesystem>
#include <cstdio>
#include <fstream>

#include "app/commands.h"
#include "engine/apply_engine.h"
#include "gui/control_catalogue.h"
#include "gui/program_driver.h"
#include "gui/remote_tree.h"
#include "host/registry.h"
#include "support/registry_sandbox.h"
#include "support/temp_dir.h"

namespace cordalis {
namespace {

using testing::ProgramDriver;

class ControlsPaneGui : public ::testing::Test {
 protected:
  ControlsPaneGui() : sandbox(testing::RegistryKind::System), key(sandbox.Path("Controls")), ids(testing::ControlIds(key)) {
    testing::WriteControlCatalogue(SystemFileStore(), dir.Str(), key);
    testing::WriteTable(SystemFileStore(), dir.File("Undo.xml"), Tdm1::UndoFields(), {});
    testing::WriteTable(SystemFileStore(), dir.File("Note.xml"), Tdm1::NoteFields(), {});
    std::ofstream(dir.File("cordalis.INI"), std::ios::binary) << "[Settings]\r\nVeryFirst=0\r\n";
  }
  HWND Control(const std::string& name) const { return ProgramDriver::DescendantById(window, ids.at(name)); }
  std::string Value(const std::string& name) {
    TRegistry reg(SystemRegistry());
    reg.SetRootKey(kHkeyCurrentUser);
    if (!reg.OpenKeyReadOnly(key) || !reg.ValueExists(name)) return "(none)";
    RegDataInfo info = reg.GetDataInfo(name);
    return info.type == kRegDword ? std::to_string(reg.ReadInteger(name)) : reg.ReadString(name);
  }
  void Start(ProgramDriver& program) {
    window = program.WaitForWindow("TMainForm").hwnd;
    ASSERT_NE(window, nullptr);
    program.ExpectNoBox(window);
  }
  // Presses a button that opens a modal dialog with this title, and returns the dialog.
  HWND OpenDialog(ProgramDriver& program, HWND button, const std::string& title) {
    PostMessageA(button, BM_CLICK, 0, 0);
    return program.WaitForDialog(title);
  }
  // The edit box of a dialog with this id, also inside a combo box of that id.
  static HWND EditBox(HWND dialog, int id) {
    struct Search {
      int id;
      HWND found;
    } search{id, nullptr};
    EnumChildWindows(
        dialog,
        [](HWND h, LPARAM p) CALLBACK -> BOOL {
          auto* s = reinterpret_cast<Search*>(p);
          char name[64] = {};
          GetClassNameA(h, name, sizeof name);
          if (GetDlgCtrlID(h) != s->id || std::string(name) != "Edit") return TRUE;
          s->found = h;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
  }
  // Sets the dialog's edit box of this id and presses OK; waits for it to go.
  static void Answer(ProgramDriver& program, HWND dialog, int editId, const std::string& text) {
    ASSERT_NE(dialog, nullptr);
    HWND edit = EditBox(dialog, editId);
    ASSERT_NE(edit, nullptr) << editId;
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    program.EndDialog(dialog, IDOK);
  }
  std::string Label(const std::string& name) const { return ProgramDriver::Text(Control(name)); }
  // Types into a box, a character at a time, as the keyboard would.
  static void Type(HWND box, const std::string& text) {
    for (char c : text)
      if (c != '\n') SendMessageA(box, WM_CHAR, static_cast<unsigned char>(c), 0);
  }

  testing::RegistrySandbox sandbox;
  std::string key;
  std::map<std::string, int> ids;
  testing::TempDir dir;
  HWND window = nullptr;
};

TEST_F(ControlsPaneGui, EveryControlIsFilledAppliedAndUndone) {
  const std::string folder = dir.Str();
  {
    ProgramDriver program(folder);
    Start(program);
    testing::RemoteTree tree(ProgramDriver::DescendantById(window, 300), program.Process());
    tree.Select(tree.Find("Every control"));
    HWND doIt = ProgramDriver::DescendantWithText(window, CommandOf(cmdApply).caption);

    // Required input is missing: DO IT says so and changes nothing.
    PostMessageA(doIt, BM_CLICK, 0, 0);
    program.ExpectBox(kNeedsDataMessage);
    program.ExpectNoBox(window);
    EXPECT_EQ(Value("Drive"), "(none)");

    // The drive box admits letters only, as capitals.
    SendMessageA(Control("cEdit0"), WM_CHAR, '7', 0);
    SendMessageA(Control("cEdit0"), WM_CHAR, 'd', 0);
    EXPECT_EQ(ProgramDriver::Text(Control("cEdit0")), "D");
    Type(Control("cMemo3"), "Line one\r\nLine two");
    SendMessageA(Control("cEdit4"), WM_KEYDOWN, VK_UP, 0);  // the arrows: one step of 5 up from 20
    SendMessageA(Control("cEdit4"), WM_KEYUP, VK_UP, 0);
    EXPECT_EQ(ProgramDriver::Text(Control("cEdit4")), "25");
    Type(Control("cEdit6"), "Required");
    SendMessageA(Control("cCheckBox7"), BM_CLICK, 0, 0);

    // The three browse dialogs, and one of them cancelled.
    const std::string file = folder + "\\cordalis.exe";
    Answer(program, OpenDialog(program, Control("cButton1"), "Open"), 1148, file);  // cmb13, the file name
    program.ExpectNoBox(window);
    EXPECT_EQ(Label("cLabel1"), file);
    HWND cancelled = OpenDialog(program, Control("cButton1"), "Open");
    ASSERT_NE(cancelled, nullptr);
    program.EndDialog(cancelled, IDCANCEL);
    program.ExpectNoBox(window);
    EXPECT_EQ(Label("cLabel1"), file) << "a cancelled dialog changes nothing";
    HWND folders = OpenDialog(program, Control("cButton2"), "Browse for Folder");
    ASSERT_NE(folders, nullptr);
    program.SendText(folders, BFFM_SETSELECTIONA, TRUE, folder);
    program.EndDialog(folders, IDOK);
    program.ExpectNoBox(window);
    EXPECT_EQ(Label("cLabel2"), folder);

    PostMessageA(doIt, BM_CLICK, 0, 0);
    program.ExpectBox("This tweak's 8 actions were performed successfully.");
    program.ExpectNoBox(window);
    EXPECT_EQ(Value("Drive"), "D");
    EXPECT_EQ(Value("File"), file);
    EXPECT_EQ(Value("Folder"), folder);
    EXPECT_EQ(Value("Memo"), "Line one\r\nLine two");
    EXPECT_EQ(Value("Number"), "25");
    EXPECT_EQ(Value("Text"), "");
    EXPECT_EQ(Value("TextB"), "Required");
    EXPECT_EQ(Value("Toggle"), "1");
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(), 0);
  }
  ProgramDriver program(folder);
  Start(program);
  testing::RemoteTree tree(ProgramDriver::DescendantById(window, 300), program.Process());
  ASSERT_EQ(tree.Label(tree.Selected()), "Every control") << "LastTip";
  SendMessageA(window, WM_COMMAND, cmdUndo, 0);  // Undo shows no box: it has run when this returns
  program.ExpectNoBox(window);
  TRegistry reg(SystemRegistry());
  reg.SetRootKey(kHkeyCurrentUser);
  EXPECT_FALSE(reg.KeyExists(key)) << "Undo removed the key DO IT made";

  // A tweak with a view control is display-only.
  tree.Select(tree.Find("Only a view"));
  ProgramDriver::Settle(window);
  EXPECT_FALSE(IsWindowEnabled(ProgramDriver::DescendantWithText(window, CommandOf(cmdApply).caption)));

  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.WaitForExit(), 0);
}

// What each control shows is what DO IT writes: current data outside the
// number boxes' bounds and in lower case, compared box by box with what
// DO IT then wrote. The arrows of a box with a negative increment step by
// its size, in its direction.
TEST_F(ControlsPaneGui, WhatTheControlsShowIsWhatDoItWrites) {
  testing::WriteTable(SystemFileStore(), dir.File("Twks.xml"), Tdm1::TweakFields(),
                      {{"1", "FALSE", "Shown", "", "Shown and written", "Every box as it is shown."}});
  testing::WriteTable(SystemFileStore(), dir.File("Data.xml"), Tdm1::ActionFields(),
                      {{"1", "HKCU", key, "Drive", "1", "1", "drive", "Drive", "63"},
                       {"1", "HKCU", key, "Small", "4", "1", "num", "Small|1|16", "63"},
                       {"1", "HKCU", key, "Wide", "4", "1", "num", "Wide", "63"},
                       {"1", "HKCU", key, "Down", "4", "1", "num", "Down|0|100|-5|50", "63"}});
  {
    TRegistry reg(SystemRegistry());
    reg.SetRootKey(kHkeyCurrentUser);
    ASSERT_TRUE(reg.OpenKey(key, true));
    reg.WriteString("Drive", "c");
    reg.WriteInteger("Small", 20);
    reg.WriteInteger("Wide", 40000);
    reg.WriteInteger("Down", 50);
  }
  ProgramDriver program(dir.Str());
  Start(program);
  // cLabel0 cEdit0 | cLabel1 cEdit1 cUpDown1 | cLabel2 cEdit2 cUpDown2 | cLabel3 cEdit3 cUpDown3
  auto box = [&](int id) { return ProgramDriver::DescendantById(window, id); };
  struct Shown {
    const char* value;
    int box;
    const char* text;
  };
  const Shown shown[] = {{"Drive", 1001, "C"}, {"Small", 1003, "16"}, {"Wide", 1006, "0"}, {"Down", 1009, "50"}};
  for (const Shown& s : shown) EXPECT_EQ(ProgramDriver::Text(box(s.box)), s.text) << s.value;
  SendMessageA(box(1009), WM_KEYDOWN, VK_UP, 0);  // one step of the up arrow: by -5
  SendMessageA(box(1009), WM_KEYUP, VK_UP, 0);
  EXPECT_EQ(ProgramDriver::Text(box(1009)), "45");

  PostMessageA(window, WM_COMMAND, cmdApply, 0);
  program.ExpectBox("This tweak's 4 actions were performed successfully.");
  program.ExpectNoBox(window);
  EXPECT_EQ(Value("Drive"), "C");
  EXPECT_EQ(Value("Small"), "16");
  EXPECT_EQ(Value("Wide"), "0");
  EXPECT_EQ(Value("Down"), "45");
  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.WaitForExit(), 0);
}

// The icon picker (shell32's export 62) opens no dialog under Wine 8: it
// answers that it could not make one. Whether it opens or not, a user who
// chose no icon leaves the path label as it was, and DO IT still asks for it.
class IconPickerGui : public ControlsPaneGui {
 protected:
  // Clicks the icon tweak's Browse button; true when the picker stays open
  // (the click has not returned), false when it is already gone.
  bool ClickBrowse(ProgramDriver& program) {
    Start(program);
    testing::RemoteTree tree(ProgramDriver::DescendantById(window, 300), program.Process());
    tree.Select(tree.Find("An icon"));
    ProgramDriver::Settle(window);
    HWND icons = ProgramDriver::DescendantWithText(window, "Browse...");
    EXPECT_NE(icons, nullptr);
    EXPECT_NE(ProgramDriver::DescendantWithText(window, "Icon"), nullptr) << "the path label shows its prompt";
    return SendMessageTimeoutA(icons, BM_CLICK, 0, 0, SMTO_NORMAL, 5000, nullptr) == 0;
  }
  void ExpectNoIconChosen(ProgramDriver& program) {
    program.ExpectNoBox(window);
    EXPECT_NE(ProgramDriver::DescendantWithText(window, "Icon"), nullptr) << "the path label still shows its prompt";
    PostMessageA(window, WM_COMMAND, cmdApply, 0);
    program.ExpectBox(kNeedsDataMessage);
    program.ExpectNoBox(window);
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(), 0);
  }
  static constexpr const char* kPickerTitle = "Change Icon";
};

TEST_F(IconPickerGui, WinesIconPickerThatCannotOpenLeavesThePathAndDoItAsks) {
  ProgramDriver program(dir.Str());
  if (ClickBrowse(program)) {
    program.EndDialog(program.WaitForDialog(kPickerTitle), IDCANCEL);
    GTEST_SKIP() << "the icon picker opened: Wine's can no longer be told from the real one";
  }
  ExpectNoIconChosen(program);
}

TEST_F(IconPickerGui, ACancelledIconPickerLeavesThePathAndDoItAsks) {
  ProgramDriver program(dir.Str());
  if (!ClickBrowse(program)) {
    ExpectNoIconChosen(program);
    GTEST_SKIP() << "Wine's icon picker cannot make its dialog (shell32 export 62 answers -1): nothing to cancel";
  }
  program.EndDialog(program.WaitForDialog(kPickerTitle), IDCANCEL);
  ExpectNoIconChosen(program);
}

}  // namespace
}  // namespace cordalis
