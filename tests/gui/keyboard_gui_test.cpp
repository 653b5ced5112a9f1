// The real program driven by the keyboard alone: Tab and Shift+Tab go round
// the windowed controls in the order they are made, skipping disabled ones;
// a tweak is filled in, applied and undone without the mouse; the tree's
// shortcuts work while an edit box has the focus.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>

#include "app/commands.h"
#include "db/dm1.h"
#include "gui/keyboard.h"
#include "gui/program_driver.h"
#include "gui/remote_tree.h"
#include "host/file_store.h"
#include "host/registry.h"
#include "support/registry_sandbox.h"
#include "support/table_files.h"
#include "support/temp_dir.h"

namespace cordalis {
namespace {

using testing::Keys;
using testing::PressKey;
using testing::ProgramDriver;

class KeyboardGui : public ::testing::Test {
 protected:
  KeyboardGui() : sandbox(testing::RegistryKind::System), key(sandbox.Path("Keys")) {
    testing::WriteTable(SystemFileStore(), dir.File("Twks.xml"), Tdm1::TweakFields(),
                        {{"1", "FALSE", "Keys", "", "By keyboard", "Filled in by keyboard."},
                         {"2", "FALSE", "Keys", "", "Next one", "Reached by Ctrl+Down."}});
    testing::WriteTable(SystemFileStore(), dir.File("Data.xml"), Tdm1::ActionFields(),
                        {{"1", "HKCU", key, "Name", "1", "1", "textb", "Your name", "63"},
                         {"1", "HKCU", key, "Count", "4", "1", "num", "How many|0|10|1|3", "63"},
                         {"2", "HKCU", key, "Other", "1", "1", "", "x", "63"}});
    testing::WriteTable(SystemFileStore(), dir.File("Undo.xml"), Tdm1::UndoFields(), {});
    testing::WriteTable(SystemFileStore(), dir.File("Note.xml"), Tdm1::NoteFields(), {});
    std::ofstream(dir.File("cordalis.INI"), std::ios::binary) << "[Settings]\r\nVeryFirst=0\r\n";
    program = std::make_unique<ProgramDriver>(dir.Str());
    window = program->WaitForWindow("TMainForm").hwnd;
    if (window == nullptr) throw std::runtime_error("no main window");
    program->ExpectNoBox(window);
    SetForegroundWindow(window);
  }
  ~KeyboardGui() override {
    if (!program) return;
    PostMessageA(window, WM_CLOSE, 0, 0);
    program->WaitForExit();
  }
  HWND Control(int id) const { return ProgramDriver::DescendantById(window, id); }
  HWND Button(CommandId id) const { return ProgramDriver::DescendantWithText(window, CommandOf(id).caption); }
  std::string Description() const { return ProgramDriver::Text(Control(301)); }
  HWND Focus() const { return testing::FocusOf(window); }
  // Presses a key and waits until the focus is on this window.
  void MoveFocus(WORD key, Keys held, HWND expected, const char* name) {
    PressKey(key, held);
    EXPECT_TRUE(testing::Eventually(program->Process(), [&] { return Focus() == expected; }))
        << "expected the focus on " << name << ", it is on " << Focus() << " (" << ProgramDriver::Text(Focus()) << ")";
  }
  std::string Value(const std::string& name) {
    TRegistry reg(SystemRegistry());
    reg.SetRootKey(kHkeyCurrentUser);
    if (!reg.OpenKeyReadOnly(key) || !reg.ValueExists(name)) return "(none)";
    return reg.GetDataInfo(name).type == kRegDword ? std::to_string(reg.ReadInteger(name)) : reg.ReadString(name);
  }

  testing::RegistrySandbox sandbox;
  std::string key;
  testing::TempDir dir;
  std::unique_ptr<ProgramDriver> program;
  HWND window = nullptr;
};

TEST_F(KeyboardGui, TabGoesRoundTheControlsInTheOrderTheyAreMadeAndShiftTabBack) {
  ASSERT_EQ(Focus(), Control(300)) << "the keyboard starts in the tree";
  ASSERT_FALSE(IsWindowEnabled(Button(cmdUndo)));
  struct Stop {
    HWND window;
    const char* name;
  };
  const Stop round[] = {{Control(301), "the description"}, {Control(302), "the detail"},
                        {Control(1001), "the name box"},   {Control(1003), "the number box"},
                        {Button(cmdApply), "DO IT"},       {Button(cmdNote), "Note (Undo is disabled)"},
                        {Control(300), "the tree"}};
  for (const Stop& stop : round) MoveFocus(VK_TAB, {}, stop.window, stop.name);
  for (int i = static_cast<int>(std::size(round)) - 2; i >= 0; --i)
    MoveFocus(VK_TAB, {true, false}, round[i].window, round[i].name);
  MoveFocus(VK_TAB, {true, false}, Control(300), "the tree, again");
  // Ctrl+Tab does not keep the focus in a pane either.
  MoveFocus(VK_TAB, {}, Control(301), "the description");
  MoveFocus(VK_TAB, {false, true}, Control(302), "the detail");
  // Enter and Escape, which the window hears as OK and Cancel, do nothing.
  for (WORD key : {VK_RETURN, VK_ESCAPE}) {
    PressKey(key);
    PressKey(VK_TAB);
    EXPECT_TRUE(testing::Eventually(program->Process(), [&] { return Focus() == Control(1001); })) << key;
    program->ExpectNoBox(window);
    MoveFocus(VK_TAB, {true, false}, Control(302), "the detail");
  }
}

TEST_F(KeyboardGui, ATweakIsFilledAppliedAndUndoneWithTheKeyboardAlone) {
  MoveFocus(VK_TAB, {}, Control(301), "the description");
  MoveFocus(VK_TAB, {}, Control(302), "the detail");
  MoveFocus(VK_TAB, {}, Control(1001), "the name box");
  testing::TypeText("Ann");
  MoveFocus(VK_TAB, {}, Control(1003), "the number box");
  ASSERT_EQ(ProgramDriver::Text(Control(1003)), "3");
  PressKey(VK_UP);
  EXPECT_TRUE(testing::Eventually(program->Process(), [&] { return ProgramDriver::Text(Control(1003)) == "4"; }));
  MoveFocus(VK_TAB, {}, Button(cmdApply), "DO IT");
  PressKey(VK_SPACE);
  program->ExpectBox("This tweak's 2 actions were performed successfully.");
  program->ExpectNoBox(window);
  EXPECT_EQ(Value("Name"), "Ann");
  EXPECT_EQ(Value("Count"), "4");

  // Undo data now: no controls, DO IT disabled, Undo enabled.
  SetForegroundWindow(window);
  ASSERT_TRUE(testing::Eventually(program->Process(), [&] { return Focus() == Control(300); }));
  MoveFocus(VK_TAB, {}, Control(301), "the description");
  MoveFocus(VK_TAB, {}, Control(302), "the detail");
  MoveFocus(VK_TAB, {}, Button(cmdUndo), "Undo");
  PressKey(VK_SPACE);
  EXPECT_TRUE(testing::Eventually(program->Process(), [&] { return Value("Name") == "(none)"; }));
  EXPECT_EQ(Value("Count"), "(none)");
  program->ExpectNoBox(window);
}

TEST_F(KeyboardGui, CtrlDownAndUpMoveThroughTheTweaksFromAnEditBox) {
  MoveFocus(VK_TAB, {}, Control(301), "the description");
  MoveFocus(VK_TAB, {}, Control(302), "the detail");
  MoveFocus(VK_TAB, {}, Control(1001), "the name box");
  PressKey(VK_DOWN, {false, true});
  EXPECT_TRUE(testing::Eventually(program->Process(), [&] { return Description().rfind("Next one", 0) == 0; }))
      << Description();
  PressKey(VK_UP, {false, true});
  EXPECT_TRUE(testing::Eventually(program->Process(), [&] { return Description().rfind("By keyboard", 0) == 0; }))
      << Description();
}

}  // namespace
}  // namespace cordalis
