// The program on each Windows it is for: the same scenario in every Wine
// prefix, each of which reports one system to the programs in it (its
// HKCU\Software\Wine "Version"). What the program shows is checked against
// the system the prefix was told to report, never against what the program
// or this test is told at run time, so a Wine that ignored the version fails
// here: the About box would name another system, and the tweak that only
// this system offers would be missing from the tree.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/main_form.h"
#include "app/tweak_tree.h"
#include "db/data_packet.h"
#include "db/dm1.h"
#include "db/packet_engine.h"
#include "db/records.h"
#include "db/user_table_messages.h"
#include "doubles/recording_message_boxes.h"
#include "gui/program_driver.h"
#include "gui/remote_tree.h"
#include "host/file_store.h"
#include "host/host_queries.h"
#include "host/platform.h"
#include "host/registry.h"
#include "host/win32/win32_text_collation.h"
#include "support/registry_sandbox.h"
#include "support/table_files.h"
#include "support/temp_dir.h"

namespace cordalis {
namespace {

using testing::ProgramDriver;
using testing::RemoteTree;

// The six systems, as Wine is told them and as GetVersionEx reports them.
struct WindowsMode {
  const char* wine;        // HKCU\Software\Wine "Version"
  OsVersionRecord version;  // platform id, major, minor
  std::uint16_t bit;       // the system's platform bit
  const char* platformText;  // how the About box names the system, before any Internet Explorer part
  const char* title;       // the test tweak offered on this system alone
};
const WindowsMode kModes[] = {
    {"win95", {1, 4, 0}, pm95, "95", "Only on Windows 95"},
    {"win98", {1, 4, 10}, pm98, "98", "Only on Windows 98"},
    {"winme", {1, 4, 90}, pmME, "ME", "Only on Windows ME"},
    {"nt40", {2, 4, 0}, pmNT4, "NT", "Only on Windows NT 4.0"},
    {"win2k", {2, 5, 0}, pm2000, "2000", "Only on Windows 2000"},
    {"winxp", {2, 5, 1}, pmXP, "XP", "Only on Windows XP"},
};
constexpr int kFirstTestTweak = 9001;  // far above the shipped numbers
constexpr const char* kCategory = "Windows modes";

// The system this prefix was told to report; fails the test when it names none.
const WindowsMode* ModeOfThisPrefix() {
  TRegistry reg(SystemRegistry());
  reg.SetRootKey(kHkeyCurrentUser);
  if (!reg.OpenKeyReadOnly("Software\\Wine") || !reg.ValueExists("Version")) return nullptr;
  const std::string version = reg.ReadString("Version");
  for (const WindowsMode& mode : kModes)
    if (version == mode.wine) return &mode;
  return nullptr;
}

// The machine's own answers, but for the Windows version, which is the mode's.
class ReportedWindows final : public HostQueries {
 public:
  explicit ReportedWindows(const WindowsMode& mode) : mode_(mode) {}
  std::optional<OsVersionRecord> GetVersion() override { return mode_.version; }
  bool TopLevelWindowExists(const std::string& className) override {
    return system_.TopLevelWindowExists(className);
  }
  std::optional<DllVersionAnswer> ShellDllVersion() override { return system_.ShellDllVersion(); }
  std::string WindowsDirectory() override { return system_.WindowsDirectory(); }
  std::string SystemDirectory() override { return system_.SystemDirectory(); }
  std::string ExpandEnvironment(const std::string& text) override { return system_.ExpandEnvironment(text); }
  std::array<std::uint8_t, 16> NewGuid() override { return system_.NewGuid(); }
  std::string ProgramPath() override { return system_.ProgramPath(); }
  void CoInitialize() override {}
  void CoUninitialize() override {}

 private:
  const WindowsMode& mode_;
  HostQueries& system_ = SystemHostQueries();
};

// Adds rows, written as text, to a table file.
void AppendRows(const std::string& path, const std::vector<testing::RowText>& rows) {
  TableData table = ReadDataPacket(SystemFileStore().Read(path, kMaxPacketBytes));
  for (const testing::RowText& values : rows) {
    const RowId row = table.AddRow();
    for (std::size_t f = 0; f < values.size(); ++f) {
      if (values[f].empty()) continue;
      if (table.Fields()[f].type == FieldType::String)
        table.SetText(row, f, values[f]);
      else if (table.Fields()[f].type == FieldType::Boolean)
        table.SetNumber(row, f, values[f] == "TRUE");
      else
        table.SetNumber(row, f, std::stoi(values[f]));
    }
  }
  ReplaceFileAtomically(SystemFileStore(), path, WriteDataPacket(table));
}

// The shipped catalogue and, for each system, a tweak offered there alone that
// sets a value below the sandbox key. No user tables and no settings yet: the
// program starts as it does the first time.
class WindowsModes : public ::testing::Test {
 protected:
  void SetUp() override {
    mode = ModeOfThisPrefix();
    ASSERT_NE(mode, nullptr) << "this Wine prefix names none of the six systems in HKCU\\Software\\Wine \"Version\"";
    for (const char* name : {"Twks.xml", "Data.xml"})
      std::filesystem::copy_file(std::string(CORDALIS_SOURCE_DIR) + "/catalogue/" + name, dir.File(name));
    std::vector<testing::RowText> tweaks, actions;
    int twkId = kFirstTestTweak;
    for (const WindowsMode& m : kModes) {
      const std::string id = std::to_string(twkId++);
      tweaks.push_back({id, "FALSE", kCategory, "", m.title, std::string("Marker of ") + m.wine + "."});
      actions.push_back({id, "HKCU", sandbox.Path(m.wine), "Applied", "4", "1", "", "1", std::to_string(m.bit)});
    }
    AppendRows(dir.File("Twks.xml"), tweaks);
    AppendRows(dir.File("Data.xml"), actions);
  }

  // The main window, once the boxes its start shows (named, in order) are answered.
  void WaitForMainWindow(ProgramDriver& program, const std::vector<std::string>& startBoxes = {}) {
    window = program.WaitForWindow("TMainForm").hwnd;
    if (window == nullptr) throw std::runtime_error("no main window");
    for (const std::string& box : startBoxes) program.ExpectBox(box);
    program.ExpectNoBox(window);
  }
  // The first start: before the window, a box about each user table it makes;
  // with it, the first-run notice.
  void WaitForFirstStart(ProgramDriver& program) {
    program.ExpectBox(MissingTableMessage({"stored undo actions", "undo.xml",
                                           " You will not be able to undo tweaks that were used previously."}));
    program.ExpectBox(MissingTableMessage({"your notes", "note.xml", ""}));
    WaitForMainWindow(program, {kFirstRunNotice});
  }
  HWND Tree() const { return ProgramDriver::DescendantById(window, 300); }
  // The test tweaks the tree shows, by title: one walk, not a search for each.
  static std::map<std::string, HTREEITEM> TestTweaks(const RemoteTree& tree) {
    std::map<std::string, HTREEITEM> items;
    if (HTREEITEM category = tree.Find(kCategory))
      for (HTREEITEM item : tree.Children(category)) items[tree.Label(item)] = item;
    return items;
  }
  std::string Description() const { return ProgramDriver::Text(ProgramDriver::DescendantById(window, 301)); }
  HWND Button(CommandId id) const { return ProgramDriver::DescendantWithText(window, CommandOf(id).caption); }
  HWND OpenDialog(ProgramDriver& program, CommandId id, const std::string& title) {
    PostMessageA(window, WM_COMMAND, id, 0);
    return program.WaitForDialog(title);
  }
  void Close(ProgramDriver& program) {
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.WaitForExit(), 0);
  }

  // What this system is, as the program must work it out.
  CurrentPlatform Expected() const {
    ReportedWindows host(*mode);
    return ComputeCurrentPlatform(host, SystemRegistry());
  }
  // The tree of the installation's catalogue on this system, as the model builds it.
  std::vector<std::string> ExpectedOutline() const {
    testing::RecordingMessageBoxes boxes;
    XmlPacketEngine engine(SystemFileStore());
    Tdm1 dm(engine, SystemFileStore(), boxes, dir.Str());
    const Win32TextCollation collation;
    const TweakTree tree(TreeTweaksOf(dm.cdsTwks, dm.cdsData), {false, Expected().mask, -1}, collation);
    std::vector<std::string> lines;
    for (int n = 0; n < tree.NodeCount(); ++n)
      lines.push_back(std::string(static_cast<std::size_t>(tree.Node(n).depth) * 2, ' ') + std::string(tree.Label(n)));
    return lines;
  }
  std::string SandboxValue(const WindowsMode& m) {
    TRegistry reg(SystemRegistry());
    reg.SetRootKey(kHkeyCurrentUser);
    if (!reg.OpenKeyReadOnly(sandbox.Path(m.wine))) return "(no key)";
    if (!reg.ValueExists("Applied")) return "(no value)";
    return std::to_string(reg.ReadInteger("Applied"));
  }

  const WindowsMode* mode = nullptr;
  testing::RegistrySandbox sandbox{testing::RegistryKind::System};
  testing::TempDir dir;
  HWND window = nullptr;
};

TEST_F(WindowsModes, AFirstStartOffersThisSystemsTweaksAndAppliesAndUndoesOne) {
  ProgramDriver program(dir.Str());
  WaitForFirstStart(program);
  EXPECT_TRUE(std::filesystem::exists(dir.File("Undo.xml")));
  EXPECT_TRUE(std::filesystem::exists(dir.File("Note.xml")));

  // The tree holds what this system is offered, and of the test tweaks only its own.
  const CurrentPlatform expected = Expected();
  ASSERT_EQ(expected.text.rfind(mode->platformText, 0), 0u) << expected.text;
  RemoteTree tree(Tree(), program.Process());
  EXPECT_EQ(tree.Outline(), ExpectedOutline());
  std::map<std::string, HTREEITEM> offered = TestTweaks(tree);
  ASSERT_EQ(offered.size(), 1u) << mode->wine;
  ASSERT_EQ(offered.begin()->first, mode->title);

  // DO IT and Undo of that tweak, seen in the Registry.
  tree.Select(offered.begin()->second);
  PostMessageA(Button(cmdApply), BM_CLICK, 0, 0);
  program.ExpectBox("This tweak's 1 action was performed successfully.");
  program.ExpectNoBox(window);
  EXPECT_EQ(SandboxValue(*mode), "1");
  SendMessageA(window, WM_COMMAND, cmdUndo, 0);  // Undo shows no box: it has run when this returns
  program.ExpectNoBox(window);
  EXPECT_EQ(SandboxValue(*mode), "(no key)") << "Undo removed the key DO IT made";

  // Find from the top reaches the one test tweak in the tree.
  SendMessageA(window, WM_COMMAND, cmdTop, 0);
  HWND find = OpenDialog(program, cmdFind, "Find");
  ASSERT_NE(find, nullptr);
  SendMessageA(GetDlgItem(find, 0x480), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Marker of"));  // edt1
  SendMessageA(find, WM_COMMAND, IDOK, 0);  // Find Next
  program.ExpectNoBox(window);
  EXPECT_EQ(tree.Label(tree.Selected()), mode->title);
  program.CloseDialog(find);

  // The About box names this system.
  HWND about = OpenDialog(program, cmdAbout, "About Cordalis");
  ASSERT_NE(about, nullptr);
  EXPECT_NE(ProgramDriver::DescendantWithText(about, "Platform: " + expected.text), nullptr)
      << "Platform: " << expected.text;
  program.EndDialog(about, IDOK);
  Close(program);
}

TEST_F(WindowsModes, ANoteSurvivesARestartAndASecondCopyHandsOverToTheFirst) {
  {
    ProgramDriver program(dir.Str());
    WaitForFirstStart(program);
    RemoteTree tree(Tree(), program.Process());
    tree.Select(TestTweaks(tree).at(mode->title));
    HWND note = OpenDialog(program, cmdNote, "Add/edit note");
    ASSERT_NE(note, nullptr);
    HWND memo = ProgramDriver::Descendant(note, "Edit");
    for (char c : std::string("Tried it here.")) SendMessageA(memo, WM_CHAR, static_cast<unsigned char>(c), 0);
    program.EndDialog(note, IDOK);
    program.ExpectNoBox(window);
    EXPECT_NE(Description().find("My notes: Tried it here."), std::string::npos) << Description();
    Close(program);
  }
  // No box this time: the user tables are there, and the notice is shown once.
  ProgramDriver first(dir.Str());
  WaitForMainWindow(first);
  RemoteTree tree(Tree(), first.Process());
  EXPECT_EQ(tree.Label(tree.Selected()), mode->title) << "the tweak selected when the program closed";
  EXPECT_NE(Description().find("My notes: Tried it here."), std::string::npos) << Description();

  ShowWindow(window, SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(window));
  {
    ProgramDriver second(dir.Str());
    EXPECT_EQ(second.WaitForExit(), 0);
    EXPECT_TRUE(second.TopLevelWindows().empty());
  }
  EXPECT_FALSE(IsIconic(window)) << "the second copy restored the first";
  Close(first);
}

TEST_F(WindowsModes, AViewOnlyRunShowsEveryTweakAndMarksThoseOfOtherSystems) {
  testing::WriteTable(SystemFileStore(), dir.File("Undo.xml"), Tdm1::UndoFields(), {});
  testing::WriteTable(SystemFileStore(), dir.File("Note.xml"), Tdm1::NoteFields(), {});
  std::ofstream(dir.File("cordalis.INI"), std::ios::binary) << "[Settings]\r\nVeryFirst=0\r\n";
  ProgramDriver program(dir.Str(), "/viewonly");
  WaitForMainWindow(program);
  EXPECT_EQ(ProgramDriver::Text(window), "Cordalis (view only)");
  RemoteTree tree(Tree(), program.Process());
  std::map<std::string, HTREEITEM> shown = TestTweaks(tree);
  ASSERT_EQ(shown.size(), std::size(kModes));
  for (const WindowsMode& m : kModes)
    EXPECT_EQ(tree.StateImage(shown.at(m.title)), &m == mode ? 1 : 4) << m.title << " in " << mode->wine << " mode";
  tree.Select(shown.at(mode->title));
  for (CommandId id : {cmdApply, cmdUndo, cmdNote}) EXPECT_FALSE(IsWindowEnabled(Button(id))) << id;
  Close(program);
}

}  // namespace
}  // namespace cordalis
