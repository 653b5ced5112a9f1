// Whole runs of the program through the main window's logic, with the
// in-memory ports: start with given files, select, DO IT, restart, Undo,
// notes, hiding, Find, view-only mode.
#include "app/main_form.h"

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <tuple>

#include "app/tree_state_marks.h"
#include "db/records.h"
#include "db/user_table_messages.h"
#include "db/writable_table.h"
#include "engine/tweak_state.h"
#include "host/file_store.h"
#include "host/registry.h"
#include "support/main_form_world.h"

namespace cordalis {
namespace {

using testing::MainFormWorld;

const char kKey[] = "Software\\CordalisScenario";

class MainForm : public ::testing::Test {
 protected:
  MainForm() {
    // Desktop: Alpha (1), Icons > Beta (2); Explorer: Gamma (3, Windows 95 only),
    // Delta (4, hidden), Menus > Epsilon (5).
    world.WriteCatalogue({{"1", "FALSE", "Desktop", "", "Alpha tweak", "About alpha"},
                          {"2", "FALSE", "Desktop", "Icons", "Beta", "About beta"},
                          {"3", "FALSE", "Explorer", "", "Gamma", "About gamma"},
                          {"4", "TRUE", "Explorer", "", "Delta", "About delta"},
                          {"5", "FALSE", "Explorer", "Menus", "Epsilon", "About epsilon"}},
                         {{"1", "HKCU", std::string(kKey) + "\\A", "Alpha", "1", "1", "", "on", "63"},
                          {"2", "HKCU", std::string(kKey) + "\\B", "Beta", "1", "1", "textb", "Your name", "63"},
                          {"3", "HKCU", std::string(kKey) + "\\C", "Gamma", "1", "1", "", "x", "1"},
                          {"4", "HKCU", std::string(kKey) + "\\D", "Delta", "1", "1", "", "x", "63"},
                          {"5", "HKCU", std::string(kKey) + "\\E", "", "0", "0", "", "", "63"}});
  }
  std::vector<std::string> TreeLines() const {
    std::vector<std::string> lines;
    const TweakTree& tree = world.model->Tree();
    for (int n = 0; n < tree.NodeCount(); ++n)
      lines.push_back(std::string(static_cast<std::size_t>(tree.Node(n).depth) * 2, ' ') + std::string(tree.Label(n)));
    return lines;
  }
  std::vector<std::string> Boxes() const {
    std::vector<std::string> texts;
    for (const auto& box : world.boxes.shown) texts.push_back(box.text.substr(0, 40));
    return texts;
  }
  MainFormWorld world;
};

TEST_F(MainForm, StartUpBuildsTheTreeSelectsTheFirstTweakAndGivesTheFirstRunNoticeOnce) {
  world.Start();
  EXPECT_EQ(TreeLines(), (std::vector<std::string>{"Categories", "  Desktop", "    Alpha tweak", "    Icons",
                                                   "      Beta", "  Explorer", "    Menus", "      Epsilon"}));
  EXPECT_EQ(world.SelectedTweak(), 1);
  EXPECT_EQ(world.view->tweakPaneState, true);
  EXPECT_EQ(world.description.Text().substr(0, 55), "Alpha tweak (#T0001)\r\nState: Not in effect\r\nAbout alpha")
      << "the tweak's state under its title";
  EXPECT_EQ(world.detail.Text().substr(0, 13), "DO IT action:");
  EXPECT_EQ(world.model->Caption(), "Cordalis");
  ASSERT_EQ(world.boxes.shown.size(), 3u) << "undo.xml and note.xml missing, then the notice";
  EXPECT_EQ(world.boxes.shown[2].text.substr(0, 41), "Please bear in mind that many of Cordalis");
  EXPECT_EQ(world.boxes.shown[2].owner, MsgOwner::MainWindow);

  world.boxes.shown.clear();
  world.Start();
  EXPECT_TRUE(world.boxes.shown.empty()) << "the notice is shown once per settings file";
  EXPECT_EQ(world.SelectedTweak(), 1);
}

TEST_F(MainForm, DoItThenRestartThenUndoRestoresTheRegistry) {
  world.Start();
  world.boxes.shown.clear();
  ASSERT_TRUE(world.model->Enabled(cmdApply));
  world.model->Execute(cmdApply);
  EXPECT_EQ(world.Value(std::string(kKey) + "\\A", "Alpha"), std::string("on\0", 3));
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  EXPECT_EQ(world.boxes.shown[0].text, "This tweak's 1 action was performed successfully.");
  EXPECT_EQ(world.detail.Text().substr(0, 12), "Undo action:") << "the panes are filled again";
  EXPECT_FALSE(world.model->Enabled(cmdApply));
  EXPECT_TRUE(world.model->Enabled(cmdUndo));

  world.Start();  // LastTip brings the tweak back, with its undo data
  EXPECT_EQ(world.SelectedTweak(), 1);
  EXPECT_TRUE(world.model->HasUndoData());
  world.model->Execute(cmdUndo);
  EXPECT_EQ(world.Value(std::string(kKey) + "\\A", "Alpha"), "(no key)");
  EXPECT_FALSE(world.model->HasUndoData());
  EXPECT_EQ(world.detail.Text().substr(0, 13), "DO IT action:");
  EXPECT_TRUE(world.model->Enabled(cmdApply));
}

// The description's second line, under the title.
std::string ShownStateLine(const RecordingRichText& description) {
  const std::string text = description.Text();
  const std::size_t start = text.find("\r\n") + 2;
  return text.substr(start, text.find("\r\n", start) - start);
}

TEST_F(MainForm, TheTreeAndTheDescriptionFollowTheStatesThroughDoItActivationRefreshAndUndo) {
  world.Start();
  const int alpha = world.NodeOfTweak(1);
  const auto image = [&] { return world.model->TreeImages({alpha}).front(); };
  const auto now = [&] {  // the state line as the Registry and the undo data have it now
    return StateLine(EvaluateTweak(
        {world.dm->cdsData, world.dm->cdsUndo, world.registry, world.environment->Facts(), world.model->PlatformMask()},
        1));
  };
  const auto write = [&](const std::string& data) {
    TRegistry reg(world.registry);
    reg.SetRootKey(kHkeyCurrentUser);
    reg.OpenKey(std::string(kKey) + "\\A", true);
    reg.WriteString("Alpha", data);
  };
  EXPECT_EQ(image(), kTweakImage);
  EXPECT_EQ(world.model->TreeImages({0, world.model->Tree().CategoryOf(alpha)}),
            (std::vector<int>{kOpenFolderImage, kOpenFolderImage}))
      << "the root and the selected tweak's category, opened";

  world.model->Execute(cmdApply);
  EXPECT_EQ(image(), kAppliedInEffectImage);
  EXPECT_EQ(ShownStateLine(world.description), now());
  EXPECT_EQ(ShownStateLine(world.description).substr(0, 7), "State: ");

  write("off");  // another program
  EXPECT_EQ(image(), kAppliedInEffectImage) << "kept until something may have changed it";
  const int shown = world.view->treeStatesShown;
  world.model->ActivatedFromElsewhere();
  EXPECT_GT(world.view->treeStatesShown, shown) << "the tree asks for its images again";
  EXPECT_EQ(image(), kChangedImage);
  EXPECT_EQ(ShownStateLine(world.description), now());

  EXPECT_EQ(world.model->IdleStatusText(), "") << "counted at the start and on Refresh";
  world.model->Execute(cmdRefresh);
  EXPECT_EQ(world.model->IdleStatusText(),
            "A value of 1 tweak that Cordalis applied has been changed since. Tweak, Check applied tweaks names it.");

  write("on");
  world.model->Execute(cmdRefresh);
  EXPECT_EQ(image(), kAppliedInEffectImage);
  EXPECT_EQ(world.model->IdleStatusText(), "");
  EXPECT_EQ(ShownStateLine(world.description), now());

  write("off");
  world.model->Execute(cmdRefresh);
  world.view->driftAnswer = DriftChoice::Cancel;
  world.model->Execute(cmdUndo);
  ASSERT_EQ(world.view->driftShown.size(), 1u);
  ASSERT_EQ(world.view->driftShown[0].size(), 1u);
  EXPECT_EQ(world.view->driftShown[0][0].value, "Alpha");
  EXPECT_EQ(world.Value(std::string(kKey) + "\\A", "Alpha"), std::string("off\0", 4)) << "cancelled";
  EXPECT_TRUE(world.model->HasUndoData());

  world.view->driftAnswer = DriftChoice::UndoAll;
  world.model->Execute(cmdUndo);
  EXPECT_EQ(world.Value(std::string(kKey) + "\\A", "Alpha"), "(no key)");
  EXPECT_EQ(image(), kTweakImage);
  EXPECT_EQ(ShownStateLine(world.description), now());
}

TEST_F(MainForm, CheckAppliedTweaksNamesTheTweaksChangedSinceAndTheStatusBarCountsThemAtStart) {
  world.Start();
  world.model->Execute(cmdApply);
  world.boxes.shown.clear();
  world.model->Execute(cmdCheckApplied);
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  EXPECT_EQ(world.boxes.shown[0].text, "No value of the tweaks that Cordalis applied has been changed since.");
  EXPECT_EQ(world.model->IdleStatusText(), "");

  TRegistry reg(world.registry);
  reg.SetRootKey(kHkeyCurrentUser);
  reg.OpenKey(std::string(kKey) + "\\A", false);
  reg.WriteString("Alpha", "off");
  world.model->Execute(cmdCheckApplied);
  ASSERT_EQ(world.boxes.shown.size(), 2u);
  EXPECT_NE(world.boxes.shown[1].text.find("\r\n\r\n#T0001  Alpha tweak\r\n\r\n"), std::string::npos)
      << world.boxes.shown[1].text;
  EXPECT_EQ(world.model->TreeImages({world.NodeOfTweak(1)}).front(), kChangedImage) << "the tree marks it";

  world.Start();
  EXPECT_EQ(world.model->IdleStatusText(),
            "A value of 1 tweak that Cordalis applied has been changed since. Tweak, Check applied tweaks names it.");
}

TEST_F(MainForm, ExportUndoDataWritesTheRollbackFileWhereTheUserSays) {
  world.Start();
  EXPECT_FALSE(world.model->Enabled(cmdExportUndo)) << "no tweak has undo data";
  world.model->Execute(cmdApply);
  ASSERT_TRUE(world.model->Enabled(cmdExportUndo));
  world.boxes.shown.clear();

  world.model->Execute(cmdExportUndo);  // cancelled
  EXPECT_EQ(world.view->rollbackDialogs, 1);
  EXPECT_TRUE(world.boxes.shown.empty());

  world.view->rollbackAnswer = "C:\\back.reg";
  world.model->Execute(cmdExportUndo);
  const std::string text = world.files.At("C:\\back.reg");
  EXPECT_EQ(text.rfind("REGEDIT4\r\n", 0), 0u);
  EXPECT_NE(text.find(";   #T0001 Alpha tweak\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\r\n[-HKEY_CURRENT_USER\\Software]\r\n"), std::string::npos) << "DO IT made the key: " << text;
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  EXPECT_EQ(world.boxes.shown[0].icon, MsgIcon::Information);
  EXPECT_EQ(world.boxes.shown[0].text.substr(0, 43), "The undo data of 1 tweak is in C:\\back.reg.");

  world.boxes.shown.clear();
  world.files.readOnly = true;
  world.model->Execute(cmdExportUndo);
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  EXPECT_EQ(world.boxes.shown[0].icon, MsgIcon::Error);
  EXPECT_EQ(world.boxes.shown[0].text.substr(0, 35), "Cordalis cannot write C:\\back.reg: ");
}

// A tree node whose tweak the table no longer has: the description pane says so,
// and the window keeps no control of the tweak selected before.
TEST_F(MainForm, ATweakMissingFromTheTableIsToldAndLeavesNoControls) {
  world.Start();
  world.Select(2);
  ASSERT_FALSE(world.model->Pane().Controls().empty());
  const int shown = world.view->controlsShown;
  ASSERT_TRUE(world.dm->LocateTweak(1));
  {
    WritableTable writing(world.dm->cdsTwks);
    world.dm->cdsTwks.Delete();
    writing.Finish();
  }
  world.Select(1);
  EXPECT_EQ(world.description.Text(), "Database error: The specified tweak ID #T0001 does not exist");
  EXPECT_TRUE(world.model->Pane().Controls().empty());
  EXPECT_EQ(world.view->controlsShown, shown + 1) << "the window mirrors the emptied pane";
}

TEST_F(MainForm, DoItWaitsForRequiredInputThenWritesWhatWasTyped) {
  world.Start();
  world.Select(2);
  world.boxes.shown.clear();
  ASSERT_NE(world.model->Pane().Find("cEdit0"), nullptr);
  world.model->UpdateCommandStates();
  EXPECT_EQ(world.model->NeedsDataMark(), 1);
  world.model->Execute(cmdApply);
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  EXPECT_EQ(world.boxes.shown[0].text, kNeedsDataMessage);
  EXPECT_EQ(world.Value(std::string(kKey) + "\\B", "Beta"), "(no key)");

  world.model->Pane().TextChanged("cEdit0", "Bob");
  world.model->UpdateCommandStates();  // the idle update
  EXPECT_EQ(world.model->NeedsDataMark(), 0);
  world.model->Execute(cmdApply);
  EXPECT_EQ(world.Value(std::string(kKey) + "\\B", "Beta"), std::string("Bob\0", 4));
  EXPECT_EQ(world.model->Pane().Controls().size(), 0u) << "a tweak with undo data shows no controls";
}

TEST_F(MainForm, ACategoryEmptiesThePanesDisablesTheTweakCommandsAndIsNotRemembered) {
  world.Start();
  world.view->ApplyTreeUpdate(world.model->Tree(), {1, {}});  // "Desktop"
  EXPECT_EQ(world.view->tweakPaneState, false);
  EXPECT_EQ(world.description.Text(), "");
  EXPECT_EQ(world.detail.Text(), "");
  world.model->UpdateCommandStates();
  for (CommandId id : {cmdApply, cmdUndo, cmdNote, cmdHide, cmdDeleteUndo})
    EXPECT_FALSE(world.model->Enabled(id)) << CommandOf(id).name;
  EXPECT_TRUE(world.model->Enabled(cmdReveal));
  world.Stop();
  EXPECT_EQ(world.settings->ReadInteger("Settings", "LastTip", 99), -1);
}

TEST_F(MainForm, ViewOnlyShowsEverythingAndChangesNothing) {
  world.Start({"/VIEWONLY"});
  EXPECT_EQ(world.model->Caption(), "Cordalis (view only)");
  const TweakTree& tree = world.model->Tree();
  ASSERT_GE(world.NodeOfTweak(3), 0) << "a tweak for another platform";
  EXPECT_EQ(tree.Node(world.NodeOfTweak(3)).stateImage, kRedTweakImage);
  ASSERT_GE(world.NodeOfTweak(4), 0) << "a hidden tweak";
  EXPECT_EQ(tree.Node(world.NodeOfTweak(4)).stateImage, kTweakImage);
  world.model->UpdateCommandStates();
  for (CommandId id : {cmdApply, cmdUndo, cmdNote, cmdHide, cmdDeleteUndo})
    EXPECT_FALSE(world.model->Enabled(id)) << CommandOf(id).name;
  world.model->Execute(cmdApply);
  EXPECT_EQ(world.Value(std::string(kKey) + "\\A", "Alpha"), "(no key)");
  EXPECT_NE(world.detail.Text().find(" Platforms: 95, 98, ME, NT4, 2000, XP"), std::string::npos);
}

// Nothing a user does in a view-only run changes a file or the Registry: every
// command of the command table (the menus, the tool bar and the shortcuts are
// all made from it) on every tweak, one with undo data and a hidden one among
// them, every question answered Yes, a note typed, Find used.
TEST_F(MainForm, AViewOnlyRunChangesNoFileAndNothingInTheRegistry) {
  world.Start();
  world.model->Execute(cmdApply);  // Alpha gets undo data
  world.Select(5);
  world.model->Execute(cmdHide);
  world.Stop();
  const auto filesBefore = world.files.files;
  const std::string registryBefore = world.registry.Dump();
  const int changesBefore = world.registry.changes;

  world.Start({"-viewonly"});
  world.view->noteAnswer = "a note";
  for (const std::int32_t twkId : {1, 2, 3, 4, 5}) {
    for (const Command& command : Commands()) {
      world.Select(twkId);
      world.model->UpdateCommandStates();
      world.boxes.answers.assign(4, MsgAnswer::Yes);
      world.model->Execute(command.id);
    }
    world.model->FindRequested("about", {});
  }
  EXPECT_FALSE(world.model->Enabled(cmdReveal));
  world.Stop();
  EXPECT_EQ(world.files.files, filesBefore) << "no table, no journal, no settings";
  EXPECT_EQ(world.registry.Dump(), registryBefore);
  EXPECT_EQ(world.registry.changes, changesBefore) << "not even a key made and removed again";
}

// The table files of the installation, to see that a run wrote none of them.
std::map<std::string, std::string> TableFiles(const testing::MemoryFileStore& files) {
  std::map<std::string, std::string> tables;
  for (const auto& [name, content] : files.files)
    if (name.find(".ini") == std::string::npos) tables[name] = content;
  return tables;
}

// Another copy (another user, another session) holds the tables: this run
// refuses to write and says why, but shows the tree and panes of an ordinary
// run (only the switch shows everything); the next run is ordinary.
TEST_F(MainForm, AnotherCopyHoldingTheTablesMakesThisRunReadOnlyAndOnlyThisRun) {
  world.Start();
  world.Stop();
  std::unique_ptr<FileLock> otherCopy =
      world.files.HoldLock(PathInFolder(MainFormWorld::kFolder, kTableLockFile));
  const auto tablesBefore = TableFiles(world.files);
  world.boxes.shown.clear();
  world.Start();
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  EXPECT_EQ(world.boxes.shown[0].text, OtherCopyMessage(MainFormWorld::kFolder));
  EXPECT_EQ(world.boxes.shown[0].owner, MsgOwner::None);
  EXPECT_EQ(world.model->Caption(), "Cordalis (read only: another copy holds the tables)");
  EXPECT_EQ(world.model->IdleStatusText(),
            "Changes are off: another copy of Cordalis holds the tables. Close it and start Cordalis again.");
  EXPECT_FALSE(world.model->ViewOnly()) << "the display of the switch is the switch's alone";
  EXPECT_LT(world.NodeOfTweak(4), 0) << "a hidden tweak stays hidden";
  EXPECT_LT(world.NodeOfTweak(3), 0) << "a tweak for another platform stays out";
  world.Select(2);
  EXPECT_NE(world.model->Pane().Find("cEdit0"), nullptr) << "the controls of the actions for this platform";
  EXPECT_EQ(world.detail.Text().find(" Platforms: "), std::string::npos) << "the detail of an ordinary run";
  world.model->UpdateCommandStates();
  for (CommandId id : {cmdApply, cmdUndo, cmdNote, cmdHide, cmdDeleteUndo})
    EXPECT_FALSE(world.model->Enabled(id)) << CommandOf(id).name;
  world.model->Execute(cmdApply);
  EXPECT_EQ(world.Value(std::string(kKey) + "\\A", "Alpha"), "(no key)");
  world.model->Execute(cmdReveal);
  world.Stop();
  EXPECT_EQ(TableFiles(world.files), tablesBefore) << "not even Reveal all reaches Twks.xml";

  otherCopy.reset();
  world.boxes.shown.clear();
  world.Start();
  EXPECT_TRUE(world.boxes.shown.empty());
  EXPECT_EQ(world.model->Caption(), "Cordalis");
  EXPECT_EQ(world.model->IdleStatusText(), "");
  EXPECT_LT(world.NodeOfTweak(4), 0) << "still hidden";
  EXPECT_TRUE(world.model->Enabled(cmdApply)) << "view-only was not remembered";
}

// A limited account under Program Files, first start: the program runs, for
// viewing only, and says which folder it cannot write.
TEST_F(MainForm, AReadOnlyProgramFolderGivesAViewOnlyRunInsteadOfAnError) {
  world.files.readOnly = true;
  world.files.lockFails = FileFault::AccessDenied;
  world.Start();
  ASSERT_GE(world.boxes.shown.size(), 1u);
  EXPECT_EQ(world.boxes.shown[0].text, ReadOnlyFolderMessage(MainFormWorld::kFolder, "Access is denied."));
  EXPECT_EQ(world.model->Caption(), "Cordalis (read only: the program folder cannot be written)");
  EXPECT_EQ(world.model->IdleStatusText(), "Changes are off: Cordalis cannot write in its program folder.");
  EXPECT_LT(world.NodeOfTweak(4), 0) << "the tree of an ordinary run";
  world.model->UpdateCommandStates();
  for (CommandId id : {cmdApply, cmdUndo, cmdNote, cmdHide, cmdDeleteUndo})
    EXPECT_FALSE(world.model->Enabled(id)) << CommandOf(id).name;
  EXPECT_EQ(world.SelectedTweak(), 1);
  EXPECT_FALSE(world.files.Exists(PathInFolder(MainFormWorld::kFolder, "Undo.xml")));
}

TEST_F(MainForm, HidingTheLastTweakSelectsTheOneBeforeAndLastsUntilRevealAll) {
  world.Start();
  world.Select(5);
  world.model->Execute(cmdHide);
  EXPECT_LT(world.NodeOfTweak(5), 0);
  EXPECT_EQ(world.SelectedTweak(), 2) << "the previous tweak, there being no next";
  world.Start();
  EXPECT_LT(world.NodeOfTweak(5), 0) << "the hidden flag reached Twks.xml";
  world.model->Execute(cmdReveal);
  EXPECT_GE(world.NodeOfTweak(5), 0);
  EXPECT_GE(world.NodeOfTweak(4), 0) << "hidden in the shipped file, revealed too";
  EXPECT_EQ(world.SelectedTweak(), 2) << "the selection survives the rebuild";
}

TEST_F(MainForm, HidingTheOnlyTweakLeavesNothingSelected) {
  world.WriteCatalogue({{"7", "FALSE", "Only", "", "Lonely", "x"}},
                       {{"7", "HKCU", std::string(kKey), "V", "1", "1", "", "x", "63"}});
  world.Start();
  world.model->Execute(cmdHide);
  EXPECT_EQ(world.model->Tree().NodeCount(), 1) << "only \"Categories\"";
  EXPECT_EQ(world.model->Tree().Selected(), -1);
}

TEST_F(MainForm, ANoteIsTrimmedShownAndKeptAndCancellingChangesNothing) {
  world.Start();
  world.view->noteAnswer = "  my note \r\n";
  world.model->Execute(cmdNote);
  EXPECT_EQ(world.view->noteTitle, "Alpha tweak");
  EXPECT_NE(world.description.Text().find("\r\n\r\nMy notes: my note\r\n\r\nPlatforms: "), std::string::npos);
  world.Start();
  EXPECT_NE(world.description.Text().find("My notes: my note"), std::string::npos) << "Note.xml holds it";
  world.view->noteAnswer.reset();
  world.model->Execute(cmdNote);
  EXPECT_EQ(world.view->noteShown, "my note");
  EXPECT_NE(world.description.Text().find("My notes: my note"), std::string::npos);
  world.boxes.shown.clear();
  world.view->noteAnswer = std::string(4097, 'n');
  world.model->Execute(cmdNote);
  ASSERT_EQ(world.boxes.shown.size(), 1u) << "a note too long to keep is refused aloud, never cut";
  EXPECT_EQ(world.boxes.shown[0].text, "The note is longer than the 4096 characters Cordalis can keep, so it was not "
                                       "saved. Shorten it and try again.");
  EXPECT_NE(world.description.Text().find("My notes: my note"), std::string::npos);
  world.view->noteAnswer = " \r\n ";
  world.model->Execute(cmdNote);
  EXPECT_EQ(world.description.Text().find("My notes:"), std::string::npos) << "an empty note deletes it";
}

TEST_F(MainForm, FindSelectsTheNextTweakWithTheTextAndSaysWhenThereIsNoMore) {
  world.Start();
  world.boxes.shown.clear();
  EXPECT_FALSE(world.model->Enabled(cmdFindNext)) << "nothing searched for yet";
  world.model->FindRequested("about", {});
  EXPECT_EQ(world.SelectedTweak(), 2) << "the selected tweak itself is not examined";
  world.model->Execute(cmdFindNext);
  EXPECT_EQ(world.SelectedTweak(), 5);
  EXPECT_EQ(world.description.SelectedText(), "About");
  world.model->Execute(cmdFindNext);
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  EXPECT_EQ(world.boxes.shown[0].text, "\"about\" not found.");
  EXPECT_EQ(world.SelectedTweak(), 5) << "the selection stays";
  world.model->FindDialogClosed(120, 80, {false, true, false});
  EXPECT_TRUE(world.model->Find().options.matchCase) << "the options stay as last set in the dialog";
  EXPECT_FALSE(world.model->Find().options.down);
  world.Start();
  EXPECT_EQ(world.model->Find().findText, "about");
  EXPECT_EQ(world.model->Find().dialogX, 120);
  EXPECT_TRUE(world.model->Enabled(cmdFindNext));
}

TEST_F(MainForm, FindTweakWithUndoWalksTheTreeFromTheSelection) {
  world.Start();
  world.Select(5);
  world.model->Execute(cmdApply);
  world.model->Execute(cmdTop);
  EXPECT_EQ(world.SelectedTweak(), 1);
  world.boxes.shown.clear();
  world.model->Execute(cmdFindUndo);
  EXPECT_EQ(world.SelectedTweak(), 5);
  world.model->Execute(cmdFindUndo);
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  EXPECT_EQ(world.boxes.shown[0].text, "There are no more tweaks that have Undo data stored.");
}

TEST_F(MainForm, ADamagedTweakFileIsReportedOnceAndTheSettingsAreKept) {
  world.Start();
  world.Select(5);
  world.Stop();
  ReplaceFileAtomically(world.files, PathInFolder(MainFormWorld::kFolder, "Twks.xml"), "<DATAPACKET");
  world.boxes.shown.clear();
  world.Start();
  world.model->Activated();  // the window is active again when the box closes
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  EXPECT_EQ(world.boxes.shown[0].text, LoadFailureMessage(lsTweaksFailed));
  EXPECT_EQ(world.boxes.shown[0].owner, MsgOwner::MainWindow);
  EXPECT_TRUE(world.view->terminated);
  EXPECT_EQ(world.view->treeBuilds, 0);
  world.Stop();
  EXPECT_EQ(world.settings->ReadInteger("Settings", "LastTip", 0), 5) << "not overwritten by the failed run";
}

TEST_F(MainForm, TheTreeCommandsMoveTheSelection) {
  world.Start();
  world.model->Execute(cmdBottom);
  EXPECT_EQ(world.SelectedTweak(), 5);
  world.model->Execute(cmdPreviousTweak);
  EXPECT_EQ(world.SelectedTweak(), 2);
  world.model->Execute(cmdNextTweak);
  EXPECT_EQ(world.SelectedTweak(), 5);
  world.model->Execute(cmdNextTweak);
  EXPECT_EQ(world.SelectedTweak(), 5) << "nothing after the last tweak";
  world.model->Execute(cmdCollapseAll);
  EXPECT_EQ(std::string(world.model->Tree().Label(world.model->Tree().Selected())), "Explorer");
  world.model->RightClicked(-1);
  EXPECT_EQ(world.model->Tree().Selected(), -1) << "right-click below the last node";
  EXPECT_EQ(world.description.Text(), "") << "the panes as they were for the category";
}

// The tree control moves its selection itself when a node closes over it,
// and raises no selection change for that; the panes follow all the same.
TEST_F(MainForm, CollapsingOverTheSelectedTweakShowsItsCategoryInThePanes) {
  struct Case {
    const char* how;
    std::function<void()> collapse;
    const char* selected;
  };
  const Case cases[] = {
      {"Collapse all", [&] { world.model->Execute(cmdCollapseAll); }, "Desktop"},
      {"Collapse category", [&] { world.model->Execute(cmdCollapseCategory); }, "Desktop"},
      {"the subcategory's button", [&] { world.model->NodeCollapsed(world.NodeOfTweak(2) - 1); }, "Icons"},
  };
  for (const Case& c : cases) {
    world.Start();
    world.Select(2);
    ASSERT_EQ(world.description.Text().substr(0, 4), "Beta") << c.how;
    world.model->UpdateCommandStates();
    ASSERT_TRUE(world.model->Enabled(cmdNote)) << c.how;
    c.collapse();
    const TweakTree& tree = world.model->Tree();
    EXPECT_EQ(std::string(tree.Label(tree.Selected())), c.selected) << c.how;
    EXPECT_EQ(world.view->tree.SelectedNode(), tree.Selected()) << c.how;
    EXPECT_EQ(world.view->tweakPaneState, false) << c.how;
    EXPECT_EQ(world.description.Text(), "") << c.how;
    EXPECT_EQ(world.detail.Text(), "") << c.how;
    world.model->UpdateCommandStates();
    EXPECT_FALSE(world.model->Enabled(cmdNote)) << c.how;
  }
}

// A minimised window reports a client area of nothing; the tree keeps its
// width, and the settings keep it too.
TEST_F(MainForm, MinimisingKeepsTheTreeWidth) {
  world.Start();
  ASSERT_TRUE(world.model->TreeSplitterMoved(320));
  const ColumnSizes before = world.model->Column();
  world.model->ColumnResized(0, 0);
  EXPECT_EQ(world.model->TreeWidth(), 320);
  EXPECT_EQ(world.model->Column().controls, before.controls);
  world.model->ColumnResized(400, 800);
  EXPECT_EQ(world.model->TreeWidth(), 320);
  world.Stop();
  EXPECT_EQ(world.settings->ReadInteger("Settings", "Split1", 0), 320);
}

TEST_F(MainForm, HelpOpensTheHelpFileOrSaysWhereItIsExpected) {
  world.Start();
  world.boxes.shown.clear();
  world.model->Execute(cmdHelp);
  ASSERT_EQ(world.boxes.shown.size(), 1u);
  EXPECT_EQ(world.boxes.shown[0].text,
            "Cordalis's help is not installed. Cordalis looks for it in the file "
            "C:\\Program Files\\Cordalis\\cordalis.HLP.");
  EXPECT_EQ(world.boxes.shown[0].owner, MsgOwner::MainWindow);
  EXPECT_EQ(world.view->helpTopic, std::nullopt) << "WinHelp is not asked to look for it";

  world.files.WriteDurably("C:\\Program Files\\Cordalis\\cordalis.HLP", "help");
  world.boxes.shown.clear();
  for (HelpTopic topic : {HelpTopic::Contents, HelpTopic::Find}) {
    if (topic == HelpTopic::Contents) world.model->Execute(cmdHelp);
    else world.model->HelpRequested(topic);
    EXPECT_EQ(world.view->helpPath, "C:\\Program Files\\Cordalis\\cordalis.HLP");
    EXPECT_EQ(world.view->helpTopic, topic);
  }
  EXPECT_TRUE(world.boxes.shown.empty());
}

TEST_F(MainForm, CommandsReachTheWindow) {
  world.Start();
  world.model->Execute(cmdAbout);
  EXPECT_EQ(world.view->aboutPlatform, "XP, IE6");
  world.model->Execute(cmdFind);
  EXPECT_EQ(world.view->findDialogs, 1);
  for (int key : {1, 2}) {  // Enter and Escape reach the window as IDOK and IDCANCEL
    EXPECT_NO_THROW(world.model->Execute(static_cast<CommandId>(key))) << key;
    EXPECT_FALSE(world.view->closed) << key;
  }
  world.model->Execute(cmdExit);
  EXPECT_TRUE(world.view->closed);
}

TEST_F(MainForm, TheSplitSettingSetsTheTreeWidthWithinItsLimits) {
  world.Start();
  EXPECT_EQ(world.view->treeWidth, 250);
  EXPECT_FALSE(world.model->TreeSplitterMoved(150)) << "below the tree's minimum";
  EXPECT_FALSE(world.model->TreeSplitterMoved(800 - 13 - 309)) << "leaves the column less than 310";
  EXPECT_TRUE(world.model->TreeSplitterMoved(320));
  world.Stop();
  EXPECT_EQ(world.settings->ReadInteger("Settings", "Split1", 0), 320);
}

TEST(CommandTable, EveryCommandIsReachableAndNoIdOrShortcutIsUsedTwice) {
  std::set<int> ids, inMenus;
  std::set<std::tuple<unsigned, bool, bool, bool>> shortcuts;
  for (const Command& c : Commands()) {
    EXPECT_TRUE(ids.insert(c.id).second) << c.name;
    if (c.shortcut.key != vkNone) {
      EXPECT_TRUE(shortcuts.insert({c.shortcut.key, c.shortcut.ctrl, c.shortcut.shift, c.shortcut.alt}).second)
          << c.name;
    }
  }
  for (const Menu& menu : MainMenu())
    for (CommandId id : menu.items)
      if (id != cmdNone) inMenus.insert(CommandOf(id).id);
  for (const Command& c : Commands()) {
    EXPECT_TRUE(inMenus.count(c.id) || c.shortcut.key != vkNone) << c.name << " cannot be reached";
    EXPECT_NE(c.execute, nullptr) << c.name << " does nothing";
  }
  std::set<char> menuKeys;
  for (const Menu& menu : MainMenu()) {
    EXPECT_NE(AccessKey(menu.caption), '\0') << menu.caption;
    EXPECT_TRUE(menuKeys.insert(AccessKey(menu.caption)).second) << menu.caption;
    EXPECT_TRUE(IsMenuAccessKey(AccessKey(menu.caption))) << menu.caption;
    EXPECT_TRUE(IsMenuAccessKey(static_cast<char>(std::toupper(AccessKey(menu.caption))))) << menu.caption;
  }
  EXPECT_EQ(AccessKey("Fi&nd"), 'n');
  EXPECT_EQ(AccessKey("&DO  IT"), 'd');
  EXPECT_EQ(AccessKey("Find tweak with Undo"), '\0');
  EXPECT_FALSE(IsMenuAccessKey('u')) << "Undo's button keeps its key";
  for (CommandId id : ToolBarButtons()) {
    if (id != cmdNone) {
      EXPECT_GE(CommandOf(id).image, 0) << CommandOf(id).name;
    }
  }
  EXPECT_EQ(ShortcutText(CommandOf(cmdFindUndo).shortcut), "Ctrl+Shift+F");
  EXPECT_EQ(ShortcutText(CommandOf(cmdExpandAll).shortcut), "Shift+Num *");
  EXPECT_EQ(ShortcutText(CommandOf(cmdFindNext).shortcut), "F3");
  EXPECT_EQ(ShortHint(CommandOf(cmdApply).hint), "Apply");
  EXPECT_EQ(LongHint(CommandOf(cmdApply).hint), "Apply the current tweak to your system");
}

TEST(CommandPanel, TheLastButtonUnderThePointerGivesTheHint) {
  const std::vector<MainFormModel::ButtonPlace> buttons = {
      {cmdApply, 8, 9, 75, 25}, {cmdUndo, 88, 9, 75, 25}, {cmdNote, 168, 9, 75, 25}};
  EXPECT_EQ(MainFormModel::CommandPanelHint(buttons, 10, 10), "Apply the current tweak to your system");
  EXPECT_EQ(MainFormModel::CommandPanelHint(buttons, 100, 20), "Undo the current tweak");
  EXPECT_EQ(MainFormModel::CommandPanelHint(buttons, 85, 20), "") << "between the buttons";
}

}  // namespace
}  // namespace cordalis
