// Find, notes, hiding and the About box of the real program under Wine, as a
// person would use them, and what of them survives a restart.
#include <gtest/gtest.h>

#include <windows.h>

#include <commdlg.h>

#include <filesystem>
#include <fstream>

#include "app/commands.h"
#include "db/dm1.h"
#include "gui/keyboard.h"
#include "gui/program_driver.h"
#include "gui/remote_tree.h"
#include "host/file_store.h"
#include "host/host_queries.h"
#include "host/platform.h"
#include "host/registry_api.h"
#include "support/table_files.h"
#include "support/temp_dir.h"

namespace cordalis {
namespace {

using testing::ProgramDriver;
using testing::RemoteTree;

class FindNotesAboutGui : public ::testing::Test {
 protected:
  FindNotesAboutGui() {
    for (const char* name : {"Twks.xml", "Data.xml"})
      std::filesystem::copy_file(std::string(CORDALIS_SOURCE_DIR) + "/catalogue/" + name, dir.File(name));
    testing::WriteTable(SystemFileStore(), dir.File("Undo.xml"), Tdm1::UndoFields(), {});
    testing::WriteTable(SystemFileStore(), dir.File("Note.xml"), Tdm1::NoteFields(), {});
    std::ofstream(dir.File("cordalis.INI"), std::ios::binary) << "[Settings]\r\nVeryFirst=0\r\n";
  }
  void Start(const std::string& arguments = "") {
    program = std::make_unique<ProgramDriver>(dir.Str(), arguments);
    window = program->WaitForWindow("TMainForm").hwnd;
    ASSERT_NE(window, nullptr);
    program->ExpectNoBox(window);
    tree = std::make_unique<RemoteTree>(ProgramDriver::DescendantById(window, 300), program->Process());
  }
  void Stop() {
    tree.reset();
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(program->WaitForExit(), 0);
    program.reset();
  }
  HWND Description() const { return ProgramDriver::DescendantById(window, 301); }
  std::string Selected() const { return tree->Label(tree->Selected()); }
  std::string SelectedText() const {
    // Positions in the pane (both in the result: no pointers cross processes),
    // in its text as the pane holds it, one character a line break.
    const LRESULT selection = SendMessageA(Description(), EM_GETSEL, 0, 0);
    const int start = LOWORD(selection), end = HIWORD(selection);
    const LRESULT length = SendMessageA(Description(), WM_GETTEXTLENGTH, 0, 0);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    SendMessageA(Description(), WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i)
      if (!(text[i] == '\n' && i > 0 && text[i - 1] == '\r')) plain += text[i];
    return plain.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
  }
  // Opens a dialog with this title by a command, and returns it.
  HWND OpenDialog(CommandId id, const std::string& title) {
    PostMessageA(window, WM_COMMAND, id, 0);
    return program->WaitForDialog(title);
  }

  testing::TempDir dir;
  std::unique_ptr<ProgramDriver> program;
  HWND window = nullptr;
  std::unique_ptr<RemoteTree> tree;
};

TEST_F(FindNotesAboutGui, FindMovesToTheNextTweakWithTheTextAndSaysWhenThereIsNoMore) {
  Start();
  HWND find = OpenDialog(cmdFind, "Find");
  ASSERT_NE(find, nullptr);
  SendMessageA(GetDlgItem(find, 0x480), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("wallpaper"));  // edt1
  SendMessageA(find, WM_COMMAND, IDOK, 0);  // Find Next
  program->ExpectNoBox(window);
  const std::string first = Selected();
  EXPECT_EQ(SelectedText(), "wallpaper") << first;

  SendMessageA(window, WM_COMMAND, cmdFindNext, 0);  // F3
  const std::string second = Selected();
  EXPECT_NE(second, first);
  EXPECT_EQ(SelectedText(), "wallpaper");

  program->CloseDialog(find);
  SendMessageA(window, WM_COMMAND, cmdBottom, 0);
  const std::string last = Selected();
  PostMessageA(window, WM_COMMAND, cmdFindNext, 0);
  program->ExpectBox("\"wallpaper\" not found.");
  program->ExpectNoBox(window);
  EXPECT_EQ(Selected(), last) << "the selection stays";
  Stop();
  std::ifstream ini(dir.File("cordalis.INI"));
  std::string text((std::istreambuf_iterator<char>(ini)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("FindWhat=wallpaper"), std::string::npos) << text;
}

// While the Find dialog has the keyboard, the tweak it found is plainly
// selected in the tree: its label is drawn on the shadow colour, not on the
// button face that Wine makes almost white.
TEST_F(FindNotesAboutGui, TheFoundTweakIsVisiblySelectedWhileFindHasTheFocus) {
  Start();
  HWND find = OpenDialog(cmdFind, "Find");
  ASSERT_NE(find, nullptr);
  SendMessageA(GetDlgItem(find, 0x480), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("wallpaper"));
  SendMessageA(find, WM_COMMAND, IDOK, 0);
  program->ExpectNoBox(window);
  ASSERT_EQ(SelectedText(), "wallpaper");
  HWND treeWindow = ProgramDriver::DescendantById(window, 300);
  EXPECT_NE(testing::FocusOf(window), treeWindow);
  RedrawWindow(treeWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  const RECT label = tree->LabelRect(tree->Selected());
  RECT client;
  GetClientRect(treeWindow, &client);
  ASSERT_TRUE(label.top >= 0 && label.bottom <= client.bottom) << "the found tweak is scrolled into view";
  // As the screen shows them: inside the label, and on the tree's left edge beside it.
  POINT inside{label.left + 1, label.top + 1}, around{1, label.top + 1};
  ClientToScreen(treeWindow, &inside);
  ClientToScreen(treeWindow, &around);
  HDC screen = GetDC(nullptr);
  const COLORREF selected = GetPixel(screen, inside.x, inside.y), background = GetPixel(screen, around.x, around.y);
  ReleaseDC(nullptr, screen);
  EXPECT_NE(selected, background) << "the label is drawn on the tree's background: not visibly selected";
  EXPECT_EQ(selected, GetSysColor(COLOR_BTNSHADOW)) << std::hex << selected;
  program->CloseDialog(find);
  Stop();
}

// Find opened again while it is open comes back to its remembered place with
// the remembered text, as when it is first opened.
TEST_F(FindNotesAboutGui, FindOpenedAgainComesBackToItsPlaceAndText) {
  std::ofstream(dir.File("cordalis.INI"), std::ios::binary)
      << "[Settings]\r\nVeryFirst=0\r\nFindX=40\r\nFindY=50\r\nFindWhat=wallpaper\r\n";
  Start();
  HWND find = OpenDialog(cmdFind, "Find");
  ASSERT_NE(find, nullptr);
  SetWindowPos(find, nullptr, 300, 280, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  SendMessageA(GetDlgItem(find, 0x480), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("something else"));
  SendMessageA(window, WM_COMMAND, cmdFind, 0);
  program->ExpectNoBox(window);
  int finds = 0;
  for (const testing::WindowInfo& w : program->TopLevelWindows()) finds += w.title == "Find" ? 1 : 0;
  EXPECT_EQ(finds, 1) << "the same dialog, not a second one";
  RECT r;
  GetWindowRect(find, &r);
  EXPECT_EQ(r.left, 40);
  EXPECT_EQ(r.top, 50);
  EXPECT_EQ(ProgramDriver::Text(GetDlgItem(find, 0x480)), "wallpaper");
  program->CloseDialog(find);
  Stop();
}

TEST_F(FindNotesAboutGui, ANoteShowsUnderMyNotesAndSurvivesARestart) {
  Start();
  const std::string title = Selected();
  HWND note = OpenDialog(cmdNote, "Add/edit note");
  ASSERT_NE(note, nullptr);
  HWND memo = ProgramDriver::Descendant(note, "Edit");
  for (char c : std::string("Tried this; worked.")) SendMessageA(memo, WM_CHAR, static_cast<unsigned char>(c), 0);
  program->EndDialog(note, IDOK);
  program->ExpectNoBox(window);
  EXPECT_NE(ProgramDriver::Text(Description()).find("My notes: Tried this; worked."), std::string::npos);
  Stop();
  Start();
  EXPECT_EQ(Selected(), title);
  EXPECT_NE(ProgramDriver::Text(Description()).find("My notes: Tried this; worked."), std::string::npos);
  Stop();
}

TEST_F(FindNotesAboutGui, AHiddenTweakIsGoneAfterARestartUntilRevealAll) {
  Start();
  const std::string hidden = Selected();
  SendMessageA(window, WM_COMMAND, cmdHide, 0);
  EXPECT_NE(Selected(), hidden);
  EXPECT_EQ(tree->Find(hidden), nullptr);
  Stop();
  Start();
  EXPECT_EQ(tree->Find(hidden), nullptr) << "Twks.xml keeps the hidden flag";
  SendMessageA(window, WM_COMMAND, cmdReveal, 0);
  EXPECT_NE(tree->Find(hidden), nullptr);
  Stop();
}

TEST_F(FindNotesAboutGui, TheAboutBoxShowsTheProgramsOwnVersionAndThePlatform) {
  Start();
  HWND about = OpenDialog(cmdAbout, "About Cordalis");
  ASSERT_NE(about, nullptr);
  EXPECT_NE(ProgramDriver::DescendantWithText(about, "Cordalis - version " CORDALIS_VERSION), nullptr);
  EXPECT_NE(ProgramDriver::DescendantWithText(about, CORDALIS_PUBLICATION_DATE), nullptr) << "from the resource";
  const std::string platform = "Platform: " + ComputeCurrentPlatform(SystemHostQueries(), SystemRegistry()).text;
  EXPECT_NE(ProgramDriver::DescendantWithText(about, platform), nullptr) << platform;
  program->EndDialog(about, IDOK);
  Stop();
}

}  // namespace
}  // namespace cordalis
