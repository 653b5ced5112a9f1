// Start-up of the real program: the pre-check, the load status and the
// messages about the user's tables, seen from outside the process.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

#include "db/dm1.h"
#include "db/user_table_messages.h"
#include "gui/program_driver.h"
#include "gui/remote_tree.h"
#include "host/file_store.h"
#include "support/table_files.h"
#include "support/temp_dir.h"

namespace cordalis {
namespace {

using testing::ProgramDriver;
using testing::TempDir;

std::vector<std::string> FileNames(const TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

void WriteAllTables(const TempDir& dir) {
  testing::WriteSampleCatalogue(SystemFileStore(), dir.Str());
  testing::WriteTable(SystemFileStore(), dir.File("Undo.xml"), Tdm1::ActionFields(), {});
  testing::WriteTable(SystemFileStore(), dir.File("Note.xml"), Tdm1::NoteFields(), {{"1", "a note"}});
}

TEST(Startup, MissingShippedFileEndsTheProgramBeforeAnyWindow) {
  TempDir dir;
  testing::WriteSampleCatalogue(SystemFileStore(), dir.Str());
  std::filesystem::remove(dir.File("Data.xml"));
  ProgramDriver program(dir.Str());
  auto box = program.WaitForWindow("#32770");
  ASSERT_NE(box.hwnd, nullptr);
  EXPECT_EQ(box.title, "Cordalis");
  EXPECT_EQ(box.owner, nullptr);
  for (const auto& w : program.TopLevelWindows()) EXPECT_NE(w.className, "TMainForm");
  program.ExpectBox("Cordalis's essential data.xml database is not present in the program's folder (" + dir.Str() +
                    ").\r\n\r\nWithout the database files, it is impossible for Cordalis to function. You will "
                    "need to reinstall the program.\r\n\r\nClick OK to terminate");
  EXPECT_EQ(program.WaitForExit(), 0);
  EXPECT_EQ(FileNames(dir), (std::vector<std::string>{"Twks.xml", "cordalis.exe"})) << "nothing is written";
}

TEST(Startup, ARunWithoutChangesWritesNoTable) {
  TempDir dir;
  WriteAllTables(dir);
  std::ofstream(dir.File("cordalis.INI"), std::ios::binary) << "[Settings]\r\nVeryFirst=0\r\n";
  std::map<std::string, std::filesystem::file_time_type> times;
  for (const char* table : {"Twks.xml", "Data.xml", "Undo.xml", "Note.xml"})
    times[table] = std::filesystem::last_write_time(dir.File(table));
  ProgramDriver program(dir.Str());
  auto window = program.WaitForWindow("TMainForm");
  ASSERT_NE(window.hwnd, nullptr);
  auto before = FileNames(dir);  // with the lock file, made before the window
  EXPECT_EQ(window.title, "Cordalis");
  program.ExpectNoBox(window.hwnd);
  PostMessageA(window.hwnd, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.WaitForExit(), 0);
  EXPECT_EQ(FileNames(dir), before);
  for (const auto& [table, time] : times) EXPECT_EQ(std::filesystem::last_write_time(dir.File(table)), time) << table;
}

TEST(Startup, DamagedTweakFileIsReportedByTheMainWindow) {
  TempDir dir;
  WriteAllTables(dir);
  ReplaceFileAtomically(SystemFileStore(), dir.File("Twks.xml"), "<DATAPACKET Version=\"2.0\"><METADATA>");
  ProgramDriver program(dir.Str());
  auto main = program.WaitForWindow("TMainForm");
  auto box = program.WaitForWindow("#32770");
  ASSERT_NE(box.hwnd, nullptr);
  EXPECT_EQ(box.owner, main.hwnd);
  program.ExpectBox(LoadFailureMessage(lsTweaksFailed));
  EXPECT_EQ(program.WaitForExit(), 0);
}

TEST(Startup, MissingUndoFileIsToldAndCreated) {
  TempDir dir;
  WriteAllTables(dir);
  std::filesystem::remove(dir.File("Undo.xml"));
  ProgramDriver program(dir.Str());
  auto box = program.WaitForWindow("#32770");
  ASSERT_NE(box.hwnd, nullptr);
  EXPECT_EQ(box.owner, nullptr);
  program.ExpectBox(MissingTableMessage({"stored undo actions", "undo.xml",
                                         " You will not be able to undo tweaks that were used previously."}));
  auto window = program.WaitForWindow("TMainForm");
  ASSERT_NE(window.hwnd, nullptr);
  EXPECT_TRUE(std::filesystem::exists(dir.File("Undo.xml")));
  PostMessageA(window.hwnd, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.WaitForExit(), 0);
}

// Another copy (another user, another session) holds the tables: this one
// says so, refuses to write, tells why in its caption and status bar, shows
// the tree and panes of an ordinary run, and leaves every file as it was.
TEST(Startup, AnotherCopyHoldingTheTablesGivesAReadOnlyRun) {
  TempDir dir;
  WriteAllTables(dir);
  std::ofstream(dir.File("cordalis.INI"), std::ios::binary) << "[Settings]\r\nVeryFirst=0\r\n";
  std::unique_ptr<FileLock> otherCopy = SystemFileStore().HoldLock(dir.File(kTableLockFile));
  ASSERT_NE(otherCopy, nullptr);
  std::map<std::string, std::filesystem::file_time_type> times;
  for (const char* table : {"Twks.xml", "Data.xml", "Undo.xml", "Note.xml"})
    times[table] = std::filesystem::last_write_time(dir.File(table));
  ProgramDriver program(dir.Str());
  auto box = program.WaitForWindow("#32770");
  ASSERT_NE(box.hwnd, nullptr);
  EXPECT_EQ(box.title, "Cordalis");
  EXPECT_EQ(box.owner, nullptr);
  program.ExpectBox(OtherCopyMessage(dir.Str()));
  auto window = program.WaitForWindow("TMainForm");
  ASSERT_NE(window.hwnd, nullptr);
  program.ExpectNoBox(window.hwnd);
  EXPECT_EQ(ProgramDriver::Text(window.hwnd), "Cordalis (read only: another copy holds the tables)");
  EXPECT_EQ(program.StatusText(ProgramDriver::Descendant(window.hwnd, "msctls_statusbar32")),
            "Changes are off: another copy of Cordalis holds the tables. Close it and start Cordalis again.");
  testing::RemoteTree tree(ProgramDriver::DescendantById(window.hwnd, 300), program.Process());
  EXPECT_EQ(tree.Find("Second"), nullptr) << "a hidden tweak stays hidden: the display of an ordinary run";
  HTREEITEM first = tree.Find("First");
  ASSERT_NE(first, nullptr);
  tree.Select(first);
  EXPECT_EQ(ProgramDriver::Text(ProgramDriver::DescendantById(window.hwnd, 302)).find(" Platforms: "),
            std::string::npos)
      << "the detail of an ordinary run";
  for (const char* button : {"&DO  IT", "&Undo", "&Note"})
    EXPECT_FALSE(IsWindowEnabled(ProgramDriver::DescendantWithText(window.hwnd, button))) << button;
  PostMessageA(window.hwnd, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.WaitForExit(), 0);
  for (const auto& [table, time] : times) EXPECT_EQ(std::filesystem::last_write_time(dir.File(table)), time) << table;
}

}  // namespace
}  // namespace cordalis
