// Runs without the window: what they change, what they refuse before any
// change, what they say, and their exit codes.
#include "app/unattended_run.h"

#include <gtest/gtest.h>

#include "db/record_codes.h"
#include "engine/apply_engine.h"
#include "support/reg_file_reader.h"
#include "support/unattended_world.h"

namespace cordalis {
namespace {

using testing::RecordingReport;
using testing::RegFileReader;
using testing::RowText;
using testing::SimulatedCrash;
using testing::UnattendedWorld;

const std::string kAll = std::to_string(0x0F3F);

const std::vector<RowText> kTweaks = {
    {"1", "FALSE", "Drives", "CD-ROM", "Drive", "d"},       {"2", "FALSE", "Menus", "", "Delay", "d"},
    {"3", "FALSE", "Menus", "", "Toggle", "d"},             {"4", "FALSE", "Names", "", "Owner", "d"},
    {"5", "FALSE", "Programs", "", "Program", "d"},         {"6", "FALSE", "Plain", "", "Plain", "d"},
    {"7", "FALSE", "Old", "", "Old system", "d"},           {"8", "FALSE", "Menus", "", "Viewer", "d"},
    {"9", "FALSE", "Machine", "", "Machine", "d"},          {"10", "FALSE", "Names", "", "Message", "d"},
    {"11", "FALSE", "Names", "", "Same caption", "d"},      {"12", "FALSE", "Big", "", "Big key", "d"},
};

const std::vector<RowText> kActions = {
    {"1", "HKCU", "Software\\Test\\Drives", "Letter", "1", "1", "drive", "Drive letter:", kAll},
    {"2", "HKCU", "Software\\Test\\Menus", "Delay", "4", "1", "num", "Delay (ms)|0|1000|10|400", kAll},
    {"3", "HKCU", "Software\\Test\\Menus", "Show", "4", "1", "toggle", "Show it|1|0", kAll},
    {"4", "HKCU", "Software\\Test\\Names", "Owner", "1", "1", "textb", "Owner:", kAll},
    {"4", "HKCU", "Software\\Test\\Names", "Note", "1", "1", "text", "Comment", kAll},
    {"5", "HKCU", "Software\\Test\\Run", "Program", "1", "1", "file", "Program|Programs|*.exe", kAll},
    {"6", "HKCU", "Software\\Test\\Plain\\New", "", "0", "0", "", "", kAll},
    {"6", "HKCU", "Software\\Test\\Plain", "Old", "0", "3", "", "", kAll},
    {"7", "HKCU", "Software\\Test\\Old", "v", "1", "1", "", "x", "1"},
    {"8", "HKCU", "Software\\Test\\Menus", "Delay", "4", "4", "view", "Current delay", kAll},
    {"9", "HKLM", "Software\\Test", "m", "1", "1", "", "x", kAll},
    {"10", "HKCU", "Software\\Test\\Names", "Message", "1", "1", "memo", "Message", kAll},
    {"11", "HKCU", "Software\\Test\\Dup", "a", "1", "1", "textb", "Name", kAll},
    {"11", "HKCU", "Software\\Test\\Dup", "b", "1", "1", "textb", "Name", kAll},
    {"12", "HKCU", "Software\\Test\\Big", "", "0", "2", "", "", kAll},
};

// Five tweaks with data for their controls.
const char* kOfficeSet =
    "# the office's set\r\n"
    "1   \"Drive letter\"=e            # Drive\r\n"
    "2   \"Delay (ms)\"=250\r\n"
    "4   Owner=\"Ann Smith\"  comment=\"first floor\"\r\n"
    "5   Program=\"C:\\Program Files\\App\\app.exe\"\r\n"
    "10  Message=\"Line one\\r\\nLine two\"\r\n";

class UnattendedRun : public ::testing::Test {
 protected:
  UnattendedRun() : world(kTweaks, kActions) {
    world.PutText("Software\\Test\\Plain", "Old", "old data");
    world.PutText("Software\\Test\\Names", "Owner", "Previous owner");
  }
  std::string Dump() { return world.registry.Dump(); }
  std::string Dword(const std::string& key, const std::string& name) {
    const std::string bytes = world.Value(key, name);
    if (bytes.size() != 4) return "(not a DWORD)";
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]);
    return std::to_string(v);
  }

  UnattendedWorld world;
};

TEST_F(UnattendedRun, ApplyingASetWritesItsDataAndUndoRestoresEverything) {
  world.WriteFile("C:\\office.set", kOfficeSet);
  const std::string before = Dump();
  ASSERT_EQ(world.Run("/apply @C:\\office.set /quiet"), kExitDone) << world.report.Text();
  EXPECT_EQ(world.Value("Software\\Test\\Drives", "Letter"), std::string("E\0", 2));
  EXPECT_EQ(Dword("Software\\Test\\Menus", "Delay"), "250");
  EXPECT_EQ(world.Value("Software\\Test\\Names", "Owner"), std::string("Ann Smith\0", 10));
  EXPECT_EQ(world.Value("Software\\Test\\Names", "Note"), std::string("first floor\0", 12));
  EXPECT_EQ(world.Value("Software\\Test\\Run", "Program"), std::string("C:\\Program Files\\App\\app.exe\0", 29));
  EXPECT_EQ(world.Value("Software\\Test\\Names", "Message"), std::string("Line one\r\nLine two\0", 19));
  EXPECT_TRUE(world.report.Has("#T0004 Owner: This tweak's 2 actions were performed successfully.")) << world.report.Text();
  EXPECT_TRUE(world.boxes.shown.empty());

  // What DO IT records, as the window records it: the old owner, and the values that were not there.
  const std::vector<UndoRecord> undo = world.UndoOf(4);
  ASSERT_EQ(undo.size(), 2u);
  EXPECT_EQ(undo[0].changeType, 1);
  EXPECT_EQ(undo[0].value, "Owner");
  EXPECT_EQ(undo[0].data, "Previous owner");
  EXPECT_EQ(undo[1].changeType, 3);
  EXPECT_EQ(undo[1].value, "Note");

  ASSERT_EQ(world.Run("/list"), kExitDone);
  EXPECT_TRUE(world.output.Has("4\tNames\tOwner\tApplied with Cordalis on " + TodayText() + "; set by you\r\n"))
      << world.output.Text();
  EXPECT_TRUE(world.output.Has("6\tPlain\tPlain\tNot in effect\r\n")) << world.output.Text();

  ASSERT_EQ(world.Run("/undo all"), kExitDone) << world.report.Text();
  EXPECT_EQ(Dump(), before);
  for (std::int32_t id : {1, 2, 4, 5, 10}) EXPECT_TRUE(world.UndoOf(id).empty()) << id;
}

struct BadSet {
  const char* text;
  const char* said;
};

TEST_F(UnattendedRun, ABadSetFileChangesNothingAndSaysWhereItIsBad) {
  const BadSet cases[] = {
      {"1 \"Drive letter\"=e\r\n2 Delay=\"open\r\n", "C:\\bad.set, line 2: the quote opened at column 9 is not closed"},
      {"1 \"Drive letter\"=e\r\n99\r\n", "C:\\bad.set, line 2: there is no tweak 99"},
      {"7\r\n", "C:\\bad.set, line 1: #T0007 Old system: it is not for this system; it is for 95"},
      {"1 Letter=e\r\n", "C:\\bad.set, line 1: #T0001 Drive: there is no control \"Letter\""},
      {"1 4=e\r\n", "C:\\bad.set, line 1: #T0001 Drive: there is no control 4"},
      {"1 \"Drive letter\"=ef\r\n",
       "C:\\bad.set, line 1: #T0001 Drive: the data of control 0 \"Drive letter:\" must be one drive letter, A to Z"},
      {"1\r\n", "C:\\bad.set, line 1: #T0001 Drive: the tweak needs data for control 0 \"Drive letter:\""},
      {"2 \"Delay (ms)\"=1001\r\n",
       "C:\\bad.set, line 1: #T0002 Delay: the data of control 0 \"Delay (ms)\" must be a whole number from 0 to 1000"},
      {"2 \"Delay (ms)\"=fast\r\n",
       "C:\\bad.set, line 1: #T0002 Delay: the data of control 0 \"Delay (ms)\" must be a whole number from 0 to 1000"},
      {"3 \"Show it\"=maybe\r\n",
       "C:\\bad.set, line 1: #T0003 Toggle: the data of control 0 \"Show it\" must be 1 or 0 (on or off)"},
      {"4 Owner=\"\"\r\n", "C:\\bad.set, line 1: #T0004 Owner: the data of control 0 \"Owner:\" may not be empty"},
      {"4 Owner=a 0=b\r\n", "C:\\bad.set, line 1: #T0004 Owner: control 0 \"Owner:\" is given data twice"},
      {"5\r\n", "C:\\bad.set, line 1: #T0005 Program: the tweak needs data for control 0 \"Program\""},
      {"8\r\n", "C:\\bad.set, line 1: #T0008 Viewer: the tweak only shows values; there is nothing to apply"},
      {"8 \"Current delay\"=5\r\n",
       "C:\\bad.set, line 1: #T0008 Viewer: control 0 \"Current delay\" only shows a value; it takes no data"},
      {"11 Name=x\r\n",
       "C:\\bad.set, line 1: #T0011 Same caption: \"Name\" names controls 0 and 1; name the control by its number"},
      {"10 Message=\"\"\r\n",
       "C:\\bad.set, line 1: #T0010 Message: the data of control 0 \"Message\" may not be empty"},
  };
  for (const BadSet& c : cases) {
    world.WriteFile("C:\\bad.set", c.text);
    const std::string before = Dump();
    const std::string undo = world.File(PathInFolder(UnattendedWorld::kFolder, "Undo.xml"));
    EXPECT_EQ(world.Run("/apply @C:\\bad.set"), kExitBadInput) << c.text;
    EXPECT_TRUE(world.report.Has(c.said)) << c.text << "\n" << world.report.Text();
    EXPECT_TRUE(world.report.Has("Nothing was changed.")) << c.text;
    EXPECT_EQ(Dump(), before) << c.text;
    EXPECT_EQ(world.File(PathInFolder(UnattendedWorld::kFolder, "Undo.xml")), undo) << c.text;
    EXPECT_TRUE(world.boxes.shown.empty()) << "a set file's faults go to the log: " << c.text;
  }
}

TEST_F(UnattendedRun, AMissingSetFileIsABadCommandLine) {
  EXPECT_EQ(world.Run("/apply @C:\\nowhere.set"), kExitBadInput);
  EXPECT_TRUE(world.report.Has("Cannot read the set file C:\\nowhere.set")) << world.report.Text();
}

TEST_F(UnattendedRun, ARefusedCommandLineShowsOneBoxUnlessQuiet) {
  EXPECT_EQ(world.Run("/apply"), kExitBadInput);
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  EXPECT_EQ(world.boxes.shown[0].icon, MsgIcon::Error);
  EXPECT_EQ(world.boxes.shown[0].text.find("The switch /apply needs the tweaks to apply"), 0u);
  EXPECT_NE(world.boxes.shown[0].text.find("Exit codes:"), std::string::npos);
  EXPECT_TRUE(world.report.Has("Exit code 2: bad command line or set file; nothing was changed."));

  EXPECT_EQ(world.Run("/apply /quiet"), kExitBadInput);
  EXPECT_TRUE(world.boxes.shown.empty());

  EXPECT_EQ(world.Run("/?"), kExitDone);
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  EXPECT_EQ(world.boxes.shown[0].icon, MsgIcon::Information);
  EXPECT_EQ(world.boxes.shown[0].text, UsageText());
  EXPECT_TRUE(world.report.Has(UsageText()));
  EXPECT_EQ(world.Run("/? /quiet"), kExitDone);
  EXPECT_TRUE(world.boxes.shown.empty());
}

TEST_F(UnattendedRun, ATweakWithUndoDataIsSkippedAndTheOthersApplied) {
  ASSERT_EQ(world.Run("/apply 6"), kExitDone) << world.report.Text();
  EXPECT_EQ(world.Run("/apply 6,2"), kExitSomeNotDone);
  EXPECT_TRUE(world.report.Has("#T0006 Plain: skipped: it has undo data already.")) << world.report.Text();
  EXPECT_EQ(Dword("Software\\Test\\Menus", "Delay"), "400") << "the default of its number box";
  EXPECT_TRUE(world.report.Has("Exit code 1: some tweaks were refused, skipped, failed or partly undone."));
  EXPECT_EQ(world.Run("/undo 3"), kExitSomeNotDone);
  EXPECT_TRUE(world.report.Has("#T0003 Toggle: skipped: it has no undo data.")) << world.report.Text();
  EXPECT_EQ(world.Run("/undo 99"), kExitBadInput);
  EXPECT_TRUE(world.report.Has("There is no tweak 99.")) << world.report.Text();
}

TEST_F(UnattendedRun, RootsTheUserMayNotChangeAreRefusedBeforeAnyChange) {
  world.registry.RefuseChangesUnder(kHkeyLocalMachine);
  const std::string before = Dump();
  EXPECT_EQ(world.Run("/apply 6,9"), kExitNoPermission);
  EXPECT_TRUE(world.report.Has("#T0009 Machine: You do not have the necessary permissions to modify some of the keys "
                               "that are referenced by this tweak, specifically HKEY_LOCAL_MACHINE."))
      << world.report.Text();
  EXPECT_EQ(Dump(), before);
  world.registry.AllowChangesUnder(kHkeyLocalMachine);
  ASSERT_EQ(world.Run("/apply 9"), kExitDone) << world.report.Text();
  world.registry.RefuseChangesUnder(kHkeyLocalMachine);
  EXPECT_EQ(world.Run("/undo 9"), kExitNoPermission);
  EXPECT_TRUE(world.report.Has("#T0009 Machine: its undo data restores keys under HKEY_LOCAL_MACHINE")) << world.report.Text();
  EXPECT_FALSE(world.UndoOf(9).empty());
}

TEST_F(UnattendedRun, AWindowHoldingTheTablesIsWaitedForAWhile) {
  std::unique_ptr<FileLock> window = world.disk.HoldLock(PathInFolder(UnattendedWorld::kFolder, kTableLockFile));
  const std::string before = Dump();
  EXPECT_EQ(world.Run("/apply 6"), kExitTablesBusy);
  EXPECT_EQ(world.disk.pauses, std::vector<int>(kUnattendedLockPauses, kLockPauseMilliseconds));
  EXPECT_TRUE(world.report.Has("Another copy of Cordalis")) << world.report.Text();
  EXPECT_TRUE(world.report.Has("Exit code 3: the tables are in use by another copy or cannot be written."));
  EXPECT_EQ(Dump(), before);

  ASSERT_EQ(world.Run("/list"), kExitDone) << "reading needs no lock";

  world.disk.pauses.clear();
  world.disk.onPause = [&] {
    if (world.disk.pauses.size() == 3) window.reset();  // the window closes meanwhile
  };
  EXPECT_EQ(world.Run("/apply 6"), kExitDone) << world.report.Text();
  EXPECT_EQ(world.disk.pauses.size(), 3u);
}

TEST_F(UnattendedRun, AFolderThatCannotBeWrittenChangesNothing) {
  world.disk.readOnly = true;
  EXPECT_EQ(world.Run("/apply 6"), kExitTablesBusy);
  EXPECT_EQ(world.Value("Software\\Test\\Plain", "Old"), std::string("old data\0", 9));
}

TEST_F(UnattendedRun, AMissingCatalogueEndsTheRun) {
  world.disk.files.erase(ToLowerAscii(PathInFolder(UnattendedWorld::kFolder, "Data.xml")));
  EXPECT_EQ(world.Run("/list"), kExitCannotRun);
  EXPECT_TRUE(world.report.Has("data.xml database is not present")) << world.report.Text();
  EXPECT_TRUE(world.boxes.shown.empty());
}

TEST_F(UnattendedRun, AQuestionIsAnsweredNoSoNothingIsChangedThatCannotBeUndone) {
  HKey big = 0;
  world.registry.CreateKey(kHkeyCurrentUser, "Software\\Test\\Big", kKeyAllAccess, &big, nullptr);
  const std::vector<std::uint8_t> bytes(300, 1);
  world.registry.SetValue(big, "b", kRegBinary, bytes.data(), 300);
  world.registry.CloseKey(big);
  EXPECT_EQ(world.Run("/apply 12"), kExitSomeNotDone);
  EXPECT_TRUE(world.report.Has("Too much data - undo will not be possible. Proceed anyway? No:")) << world.report.Text();
  EXPECT_EQ(world.Value("Software\\Test\\Big", "b").size(), 300u);
}

TEST_F(UnattendedRun, ListShowsTheTweaksForThisSystem) {
  ASSERT_EQ(world.Run("/list"), kExitDone);
  const std::string& listing = world.output.said.at(0);
  EXPECT_EQ(listing.substr(0, listing.find("\r\n")), "Number\tCategory\tTitle\tState");
  EXPECT_NE(listing.find("\r\n1\tDrives\\CD-ROM\tDrive\tno state"), std::string::npos) << listing;
  EXPECT_EQ(listing.find("Old system"), std::string::npos) << listing;
  EXPECT_TRUE(world.report.Has("Listed 11 tweaks.")) << world.report.Text();

  ASSERT_EQ(world.Run("/list C:\\all.txt -viewonly"), kExitDone);
  EXPECT_NE(world.File("C:\\all.txt").find("\r\n7\tOld\tOld system\tno state\r\n"), std::string::npos)
      << world.File("C:\\all.txt");
  EXPECT_TRUE(world.output.said.empty());
}

// One machine configured, its set exported and applied on another.
TEST_F(UnattendedRun, AnExportedSetMakesTheSameChangesOnAnotherMachine) {
  world.WriteFile("C:\\office.set", kOfficeSet);
  ASSERT_EQ(world.Run("/apply @C:\\office.set"), kExitDone) << world.report.Text();
  ASSERT_EQ(world.Run("/export-set C:\\exported.set"), kExitDone) << world.report.Text();
  const std::string exported = world.File("C:\\exported.set");
  EXPECT_NE(exported.find("\r\n4  Owner:=\"Ann Smith\"  Comment=\"first floor\"  # Owner\r\n"), std::string::npos)
      << exported;
  EXPECT_NE(exported.find("\r\n10  Message=\"Line one\\r\\nLine two\"  # Message\r\n"), std::string::npos)
      << exported;

  UnattendedWorld other(kTweaks, kActions);
  other.WriteFile("C:\\exported.set", exported);
  ASSERT_EQ(other.Run("/apply @C:\\exported.set"), kExitDone) << other.report.Text();
  for (const auto& [key, name] : std::vector<std::pair<std::string, std::string>>{{"Drives", "Letter"},
                                                                                  {"Menus", "Delay"},
                                                                                  {"Names", "Owner"},
                                                                                  {"Names", "Note"},
                                                                                  {"Run", "Program"},
                                                                                  {"Names", "Message"}})
    EXPECT_EQ(other.Value("Software\\Test\\" + key, name), world.Value("Software\\Test\\" + key, name)) << name;
}

TEST_F(UnattendedRun, TheRollbackFileUndoesWithoutCordalis) {
  world.WriteFile("C:\\office.set", kOfficeSet);
  const std::string before = Dump();
  ASSERT_EQ(world.Run("/apply @C:\\office.set"), kExitDone);
  ASSERT_EQ(world.Run("/apply 6"), kExitDone);
  ASSERT_EQ(world.Run("/export-reg C:\\rollback.reg"), kExitDone) << world.report.Text();
  EXPECT_TRUE(world.report.Has("Wrote the rollback file of 6 tweaks with undo data to C:\\rollback.reg."));
  const std::string text = world.File("C:\\rollback.reg");
  EXPECT_NE(text.find("; Cordalis rollback file, written 2024-05-01 10:22 on TESTPC.\r\n"), std::string::npos);
  RegFileReader(world.registry).Import(text);
  EXPECT_EQ(Dump(), before) << text;
}

TEST_F(UnattendedRun, UndoAllTakesTheTweakAppliedLastFirst) {
  const std::string before = Dump();
  ASSERT_EQ(world.Run("/apply 5 /quiet"), kExitBadInput) << "the program file needs data";
  world.WriteFile("C:\\a.set", "4 Owner=First\r\n");
  ASSERT_EQ(world.Run("/apply @C:\\a.set"), kExitDone);
  world.WriteFile("C:\\b.set", "11 0=x 1=y\r\n");
  ASSERT_EQ(world.Run("/apply @C:\\b.set"), kExitDone);
  ASSERT_EQ(world.Run("/undo all"), kExitDone);
  EXPECT_LT(world.report.Text().find("#T0011 Same caption: undone."), world.report.Text().find("#T0004 Owner: undone."));
  EXPECT_EQ(Dump(), before);
  EXPECT_EQ(world.Run("/undo all"), kExitDone);
  EXPECT_TRUE(world.report.Has("No tweak has undo data; there is nothing to undo."));
}

// A value changed since /apply stays, with its undo data, unless the run asks
// to replace it; either way the log names it with its three states.
TEST_F(UnattendedRun, UndoKeepsAValueChangedSinceUnlessAskedToReplaceIt) {
  world.WriteFile("C:\\a.set", "4 Owner=First Comment=Second\r\n");
  ASSERT_EQ(world.Run("/apply @C:\\a.set"), kExitDone);
  world.PutText("Software\\Test\\Names", "Owner", "Policy");

  ASSERT_EQ(world.Run("/list"), kExitDone);
  EXPECT_TRUE(world.output.Has("4\tNames\tOwner\tApplied with Cordalis on " + TodayText() +
                               "; a value has been changed since\r\n"))
      << world.output.Text();

  EXPECT_EQ(world.Run("/undo 4"), kExitSomeNotDone);
  EXPECT_TRUE(world.report.Has("#T0004 Owner: kept a newer change of HKCU\\Software\\Test\\Names, value \"Owner\": "
                               "before DO IT Previous owner, written by DO IT First, now Policy."))
      << world.report.Text();
  EXPECT_TRUE(world.report.Has("#T0004 Owner: partly undone;")) << world.report.Text();
  EXPECT_EQ(world.Value("Software\\Test\\Names", "Owner"), std::string("Policy\0", 7));
  EXPECT_EQ(world.Value("Software\\Test\\Names", "Note"), "(none)") << "the value nobody touched is undone";
  ASSERT_EQ(world.UndoOf(4).size(), 1u);

  EXPECT_EQ(world.Run("/undo 4 /replace-newer"), kExitDone) << world.report.Text();
  EXPECT_TRUE(world.report.Has("#T0004 Owner: replaced a newer change of")) << world.report.Text();
  EXPECT_EQ(world.Value("Software\\Test\\Names", "Owner"), std::string("Previous owner\0", 15));
  EXPECT_TRUE(world.UndoOf(4).empty());

  EXPECT_EQ(world.Run("/list /replace-newer"), kExitBadInput);
}

// The power goes at each write of an /apply in turn: a tweak the run said it
// applied keeps its undo data, and Undo after the restart puts it all back.
TEST_F(UnattendedRun, APowerCutLosesNothingReportedDone) {
  bool cutAfterAReport = false;
  for (int crashAt = 1;; ++crashAt) {
    UnattendedWorld machine(kTweaks, kActions);
    machine.PutText("Software\\Test\\Plain", "Old", "old data");
    machine.WriteFile("C:\\office.set", kOfficeSet);
    const std::string before = machine.registry.Dump();
    machine.files.crashAt = crashAt;
    bool crashed = false;
    try {
      machine.Run("/apply @C:\\office.set");
    } catch (const SimulatedCrash&) {
      crashed = true;
    }
    if (!crashed) break;
    machine.files.Restart();
    machine.files.crashAt.reset();
    for (std::int32_t id : {1, 2, 4, 5, 10}) {
      const bool reportedDone = std::any_of(machine.report.said.begin(), machine.report.said.end(), [&](const std::string& s) {
        return s.rfind(TweakNumberText(id), 0) == 0 && s.find("performed successfully") != std::string::npos;
      });
      if (reportedDone) {
        cutAfterAReport = true;
        EXPECT_FALSE(machine.UndoOf(id).empty()) << crashAt << " " << id;
      }
    }
    ASSERT_LT(machine.Run("/undo all"), kExitBadInput) << crashAt << machine.report.Text();
    EXPECT_EQ(machine.registry.Dump(), before) << "after a power cut at write " << crashAt;
  }
  EXPECT_TRUE(cutAfterAReport) << "the power went after some tweak was reported applied";
}

TEST_F(UnattendedRun, ALogFileGetsEachLineWithDateMachineAndUser) {
  testing::RecordingReport fallback;
  int tick = 0;
  LogFileReport log(world.disk, "C:\\logs\\cordalis.log",
                    {[&] { return "2024-05-01 10:00:0" + std::to_string(tick++); }, "PC-042", "ann"}, fallback);
  log.Say("First\r\nsecond line");
  log.Say("Third");
  EXPECT_EQ(world.File("C:\\logs\\cordalis.log"),
            "2024-05-01 10:00:00 PC-042 ann: First\r\n2024-05-01 10:00:00 PC-042 ann: second line\r\n"
            "2024-05-01 10:00:01 PC-042 ann: Third\r\n");
  EXPECT_TRUE(fallback.said.empty());

  world.disk.readOnly = true;
  log.Say("Lost");
  log.Say("Lost too");
  ASSERT_EQ(fallback.said.size(), 1u) << "told once";
  EXPECT_EQ(fallback.said[0].find("The log file C:\\logs\\cordalis.log cannot be written: "), 0u);
}

}  // namespace
}  // namespace cordalis
