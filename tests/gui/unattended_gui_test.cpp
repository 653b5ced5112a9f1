// The real program run without its window, as a logon script runs it: a set
// of tweaks applied with their data, listed, undone, applied again and rolled
// back by the Registry editor alone; bad set files; a window holding the tables.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/commands.h"
#include "app/unattended_request.h"
#include "db/dm1.h"
#include "gui/program_driver.h"
#include "host/registry.h"
#include "host/text.h"
#include "support/registry_sandbox.h"
#include "support/table_files.h"
#include "support/temp_dir.h"

namespace cordalis {
namespace {

using testing::ProgramDriver;
using testing::RowText;

struct Ran {
  int exitCode = -1;
  std::string output;  // standard output, redirected
};

// Runs the program in folder with these arguments, its standard output a pipe
// read to the end, and waits for it to end.
Ran RunProgram(const std::string& folder, const std::string& arguments) {
  const std::string exe = (std::filesystem::path(folder) / "cordalis.exe").string();
  std::filesystem::copy_file(testing::ProgramPath(), exe, std::filesystem::copy_options::skip_existing);
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  if (!CreatePipe(&read, &write, &inherit, 0)) throw std::runtime_error("cannot make a pipe");
  SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = write;
  startup.hStdError = write;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  std::string commandLine = "\"" + exe + "\" " + arguments;
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      folder.c_str(), &startup, &process);
  CloseHandle(write);
  Ran ran;
  if (!started) {
    CloseHandle(read);
    throw std::runtime_error("cannot start " + exe);
  }
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(read, buffer, sizeof buffer, &got, nullptr) && got > 0) ran.output.append(buffer, got);
  CloseHandle(read);
  WaitForSingleObject(process.hProcess, 60000);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  ran.exitCode = static_cast<int>(code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return ran;
}

// Runs Wine's own Registry editor on a file, silently, and waits for it.
void ImportWithRegedit(const std::string& file) {
  std::string commandLine = "regedit.exe /s \"" + file + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                             &process));
  ASSERT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

std::string ReadFileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class UnattendedGui : public ::testing::Test {
 protected:
  UnattendedGui() : sandbox(testing::RegistryKind::System), key(sandbox.Path()) {
    const std::string all = std::to_string(0x0F3F);
    testing::WriteTable(SystemFileStore(), dir.File("Twks.xml"), Tdm1::TweakFields(),
                        {{"1", "FALSE", "Drives", "", "Drive", "d"},
                         {"2", "FALSE", "Menus", "", "Delay", "d"},
                         {"3", "FALSE", "Names", "", "Owner", "d"},
                         {"4", "FALSE", "Programs", "", "Program", "d"},
                         {"5", "FALSE", "Names", "", "Message", "d"},
                         {"6", "FALSE", "Plain", "", "Plain", "d"}});
    testing::WriteTable(SystemFileStore(), dir.File("Data.xml"), Tdm1::ActionFields(),
                        {{"1", "HKCU", key + "\\Drives", "Letter", "1", "1", "drive", "Drive letter:", all},
                         {"2", "HKCU", key + "\\Menus", "Delay", "4", "1", "num", "Delay (ms)|0|1000|10|400", all},
                         {"3", "HKCU", key + "\\Names", "Owner", "1", "1", "textb", "Owner:", all},
                         {"3", "HKCU", key + "\\Names", "Note", "1", "1", "text", "Comment", all},
                         {"4", "HKCU", key + "\\Run", "Program", "1", "1", "file", "Program|Programs|*.exe", all},
                         {"5", "HKCU", key + "\\Names", "Message", "1", "1", "memo", "Message", all},
                         {"6", "HKCU", key + "\\Plain\\Gone", "", "0", "2", "", "", all}});
    testing::WriteTable(SystemFileStore(), dir.File("Undo.xml"), Tdm1::UndoFields(), {});
    testing::WriteTable(SystemFileStore(), dir.File("Note.xml"), Tdm1::NoteFields(), {});
    std::ofstream(dir.File("cordalis.INI"), std::ios::binary) << "[Settings]\r\nVeryFirst=0\r\n";
    std::ofstream(dir.File("office.set"), std::ios::binary)
        << "# the office\r\n"
           "1  \"Drive letter\"=e\r\n"
           "2  \"Delay (ms)\"=250\r\n"
           "3  Owner=\"Ann Smith\"  Comment=\"caf\xE9 floor\"\r\n"
           "4  Program=\"C:\\Program Files\\App\\app.exe\"\r\n"
           "5  Message=\"Line one\\r\\nLine two\"\r\n";
    // What was there before: values the tweaks change, and a key one deletes.
    Put("Names", "Owner", kRegSz, "Previous \"owner\"\\\xE9");
    Put("Names", "Message", kRegSz, "old\r\nmessage");
    Put("Menus", "Delay", kRegDword, std::string("\x90\x01\x00\x00", 4));
    Put("Plain\\Gone", "kept", kRegExpandSz, "%windir%\\x");
    Put("Plain\\Gone\\Sub", "bytes", kRegBinary, std::string("\x01\x00\xFF", 3));
    Put("Plain\\Gone\\Sub", "list", kRegMultiSz, std::string("a\0b\0\0", 5));
  }

  void Put(const std::string& sub, const std::string& name, std::uint32_t type, const std::string& bytes) {
    TRegistry reg(SystemRegistry());
    reg.SetRootKey(kHkeyCurrentUser);
    ASSERT_TRUE(reg.OpenKey(sandbox.Path(sub), true));
    std::string data = bytes;
    if (type == kRegSz || type == kRegExpandSz) data.push_back('\0');
    ASSERT_EQ(SystemRegistry().SetValue(reg.CurrentKey(), name, type, reinterpret_cast<const std::uint8_t*>(data.data()),
                                        static_cast<std::uint32_t>(data.size())),
              kErrorSuccess);
  }

  // Every key and value below the sandbox, as text.
  std::string Dump() {
    std::string out;
    TRegistry reg(SystemRegistry());
    reg.SetRootKey(kHkeyCurrentUser);
    DumpKey(reg, key, out);
    return out;
  }
  void DumpKey(TRegistry& reg, const std::string& path, std::string& out) {
    if (!reg.OpenKey("\\" + path, false)) return;
    out += path.substr(key.size()) + "\n";
    std::vector<std::string> values = reg.GetValueNames();
    std::sort(values.begin(), values.end());
    for (const std::string& name : values) {
      std::uint32_t type = 0;
      std::vector<std::uint8_t> bytes;
      SystemRegistry().QueryValue(reg.CurrentKey(), name, &type, &bytes, nullptr);
      out += "  [" + name + "] " + std::to_string(type) + ":";
      for (std::uint8_t b : bytes) out += " " + std::to_string(b);
      out += "\n";
    }
    std::vector<std::string> names = reg.GetKeyNames();
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
      return ToLowerAscii(a) < ToLowerAscii(b);
    });
    for (const std::string& name : names) DumpKey(reg, path + "\\" + name, out);
  }

  testing::TempDir dir;
  testing::RegistrySandbox sandbox;
  std::string key;
};

TEST_F(UnattendedGui, ASetAppliedListedUndoneAppliedAgainAndRolledBackByRegedit) {
  const std::string before = Dump();
  Ran ran = RunProgram(dir.Str(), "/apply @office.set /log run.log /quiet");
  ASSERT_EQ(ran.exitCode, kExitDone) << ran.output;
  EXPECT_NE(ran.output.find("#T0003 Owner: This tweak's 2 actions were performed successfully.\r\n"),
            std::string::npos)
      << ran.output;
  const std::string applied = Dump();
  EXPECT_NE(applied.find("  [Letter] 1: 69 0\n"), std::string::npos) << applied;
  EXPECT_NE(applied.find("  [Delay] 4: 250 0 0 0\n"), std::string::npos) << applied;

  ran = RunProgram(dir.Str(), "/list");
  ASSERT_EQ(ran.exitCode, kExitDone) << ran.output;
  EXPECT_NE(ran.output.find("Number\tCategory\tTitle\tState\r\n"), std::string::npos) << ran.output;
  for (const char* line : {"\r\n1\tDrives\tDrive\tApplied with Cordalis on ", "\r\n5\tNames\tMessage\tApplied with Cordalis on ",
                           "\r\n6\tPlain\tPlain\tNot in effect\r\n"})
    EXPECT_NE(ran.output.find(line), std::string::npos) << line << ran.output;

  ASSERT_EQ(RunProgram(dir.Str(), "/apply 6 /quiet").exitCode, kExitDone);
  const std::string appliedAll = Dump();
  EXPECT_EQ(appliedAll.find("\\Plain\\Gone"), std::string::npos) << appliedAll;
  ASSERT_EQ(RunProgram(dir.Str(), "/export-reg rollback.reg /quiet").exitCode, kExitDone);
  const std::string rollback = ReadFileText(dir.File("rollback.reg"));
  EXPECT_EQ(rollback.rfind("REGEDIT4\r\n\r\n; Cordalis rollback file, written ", 0), 0u) << rollback;

  ran = RunProgram(dir.Str(), "/undo all /log run.log");
  ASSERT_EQ(ran.exitCode, kExitDone) << ran.output;
  EXPECT_EQ(Dump(), before);

  ASSERT_EQ(RunProgram(dir.Str(), "/apply @office.set /quiet").exitCode, kExitDone);
  ASSERT_EQ(RunProgram(dir.Str(), "/apply 6 /quiet").exitCode, kExitDone);
  EXPECT_EQ(Dump(), appliedAll) << "applied again";
  ImportWithRegedit(dir.File("rollback.reg"));
  EXPECT_EQ(Dump(), before) << rollback;

  const std::string log = ReadFileText(dir.File("run.log"));
  EXPECT_NE(log.find(": Cordalis /apply @office.set /log run.log /quiet\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find(": Exit code 0: all done.\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find(": #T0001 Drive: undone.\r\n"), std::string::npos) << log;
}

TEST_F(UnattendedGui, ABadSetFileChangesNothingAndEndsWithTwo) {
  const std::string before = Dump();
  const std::string undo = ReadFileText(dir.File("Undo.xml"));
  for (const char* text : {"1 \"Drive letter\"=e\r\n2 \"Delay (ms)\"=5000\r\n", "1 \"Drive letter\"=e\r\n3 Owner=\"open\r\n",
                           "1 \"Drive letter\"=e\r\n77\r\n"}) {
    std::ofstream(dir.File("bad.set"), std::ios::binary) << text;
    const Ran ran = RunProgram(dir.Str(), "/apply @bad.set /quiet");
    EXPECT_EQ(ran.exitCode, kExitBadInput) << text << ran.output;
    EXPECT_NE(ran.output.find("bad.set, line 2: "), std::string::npos) << ran.output;
    EXPECT_EQ(Dump(), before) << text;
    EXPECT_EQ(ReadFileText(dir.File("Undo.xml")), undo) << text;
  }
}

TEST_F(UnattendedGui, AWindowHoldingTheTablesEndsARunWithThree) {
  ProgramDriver window(dir.Str());
  const testing::WindowInfo main = window.WaitForWindow("TMainForm");
  ASSERT_NE(main.hwnd, nullptr);
  window.ExpectNoBox(main.hwnd);
  const std::string before = Dump();
  const Ran ran = RunProgram(dir.Str(), "/apply 1 /quiet");
  EXPECT_EQ(ran.exitCode, kExitTablesBusy) << ran.output;
  EXPECT_NE(ran.output.find("Another copy of Cordalis"), std::string::npos) << ran.output;
  EXPECT_EQ(Dump(), before);
  PostMessageA(main.hwnd, WM_CLOSE, 0, 0);
  EXPECT_EQ(window.WaitForExit(), 0);
}

// The window's Export undo data...: its save dialog, and the file it writes.
TEST_F(UnattendedGui, TheWindowExportsTheSameRollbackFile) {
  ASSERT_EQ(RunProgram(dir.Str(), "/apply @office.set /quiet").exitCode, kExitDone);
  ASSERT_EQ(RunProgram(dir.Str(), "/export-reg command-line.reg /quiet").exitCode, kExitDone);
  ProgramDriver program(dir.Str());
  const HWND main = program.WaitForWindow("TMainForm").hwnd;
  ASSERT_NE(main, nullptr);
  program.ExpectNoBox(main);
  PostMessageA(main, WM_COMMAND, cmdExportUndo, 0);
  const HWND dialog = program.WaitForDialog("Export undo data");
  ASSERT_NE(dialog, nullptr);
  HWND name = nullptr;
  for (int id : {1148, 1152})  // the file name: cmb13 in the Explorer-style dialog, edt1 in the old one
    if (!name) name = GetDlgItem(dialog, id);
  ASSERT_NE(name, nullptr);
  const std::string file = dir.File("window.reg");
  HWND edit = FindWindowExA(name, nullptr, "Edit", nullptr);
  SendMessageA(edit ? edit : name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(file.c_str()));
  program.EndDialog(dialog, IDOK);
  program.ExpectBox("The undo data of 5 tweaks is in " + file + ".\r\n\r\nImported with the Registry editor (a double "
                    "click on the file, or regedit /s and the file), it puts back what Undo would, without Cordalis. The "
                    "comment at its top says what each Windows can and cannot do with it.");

  auto body = [](const std::string& text) { return text.substr(text.find("\r\n", 14)); };
  EXPECT_EQ(body(ReadFileText(file)), body(ReadFileText(dir.File("command-line.reg"))));
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.WaitForExit(), 0);
}

}  // namespace
}  // namespace cordalis
