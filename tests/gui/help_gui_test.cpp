// The help file behind F1 and the Find dialog's Help button, in the viewer
// of the system (Wine's winhlp32 here).
#include <gtest/gtest.h>

#include <windows.h>

#include <dlgs.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "app/commands.h"
#include "app/help_topics.h"
#include "db/dm1.h"
#include "gui/help_viewer.h"
#include "gui/keyboard.h"
#include "gui/program_driver.h"
#include "host/file_store.h"
#include "support/table_files.h"
#include "support/temp_dir.h"

namespace cordalis {
namespace {

using testing::ProgramDriver;

class HelpGui : public ::testing::Test {
 protected:
  HelpGui() {
    for (const char* name : {"Twks.xml", "Data.xml"})
      std::filesystem::copy_file(std::string(CORDALIS_SOURCE_DIR) + "/catalogue/" + name, dir.File(name));
    testing::WriteTable(SystemFileStore(), dir.File("Undo.xml"), Tdm1::UndoFields(), {});
    testing::WriteTable(SystemFileStore(), dir.File("Note.xml"), Tdm1::NoteFields(), {});
    std::ofstream(dir.File("cordalis.INI"), std::ios::binary) << "[Settings]\r\nVeryFirst=0\r\n";
    testing::InstallHelp(dir.Str());
  }
  void Start() {
    program = std::make_unique<ProgramDriver>(dir.Str());
    window = program->WaitForWindow("TMainForm").hwnd;
    ASSERT_NE(window, nullptr);
    program->ExpectNoBox(window);
  }
  void Stop() {
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(program->WaitForExit(), 0);
  }
  testing::TempDir dir;
  std::unique_ptr<ProgramDriver> program;
  HWND window = nullptr;
};

TEST_F(HelpGui, F1OpensTheHelpFileOnItsContents) {
  Start();
  SetForegroundWindow(window);
  testing::PressKey(VK_F1);
  HWND viewer = testing::WaitForHelpViewer(program->Process());
  ASSERT_NE(viewer, nullptr) << "no help viewer came up";
  program->ExpectNoBox(window);  // the file was found: no "not installed" message
  EXPECT_TRUE(testing::HelpViewerShows(viewer, "Getting started", program->Process())) << testing::HelpViewerText(viewer);
  testing::CloseHelpViewer(viewer);
  Stop();
}

// The Find dialog's Help asks WinHelp for the Find topic by its name. Wine's
// viewer runs no macros, so a stand-in viewer takes the request here; the
// next test opens the topic by that name in the real one.
TEST_F(HelpGui, TheFindDialogsHelpAsksForTheFindTopic) {
  testing::WinHelpRecorder recorder;
  Start();
  PostMessageA(window, WM_COMMAND, cmdFind, 0);
  HWND find = program->WaitForDialog("Find");
  ASSERT_NE(find, nullptr);
  PostMessageA(find, WM_COMMAND, MAKEWPARAM(pshHelp, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(find, pshHelp)));
  const auto requests = recorder.WaitForRequests(program->Process());
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].command, static_cast<UINT>(HELP_COMMAND));
  EXPECT_EQ(requests[0].text, "JI(`',`find')");
  EXPECT_EQ(lstrcmpiA(requests[0].file.c_str(), dir.File("cordalis.HLP").c_str()), 0) << requests[0].file;
  program->CloseDialog(find);
  // The window closes the help it opened as it goes.
  PostMessageA(window, WM_CLOSE, 0, 0);
  const auto quit = recorder.WaitForRequests(program->Process());
  ASSERT_EQ(quit.size(), 1u);
  EXPECT_EQ(quit[0].command, static_cast<UINT>(HELP_QUIT));
  EXPECT_EQ(program->WaitForExit(), 0);
}

TEST_F(HelpGui, TheFindTopicOpensByTheNameTheProgramUses) {
  HWND viewer = testing::OpenHelpTopic(dir.File("cordalis.HLP"), kHelpTopicFind, "Finding a tweak");
  ASSERT_NE(viewer, nullptr) << "no help viewer showed the topic";
  testing::CloseHelpViewer(viewer);
}

}  // namespace
}  // namespace cordalis
