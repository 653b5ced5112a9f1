#include "controls/browse_logic.h"

#include <gtest/gtest.h>

#include <set>

#include "controls/controls_pane.h"
#include "host/host_queries.h"
#include "doubles/memory_registry.h"
#include "doubles/scripted_host_queries.h"
#include "host/registry.h"
#include "support/fixed_text_measure.h"

namespace cordalis {
namespace {

using testing::FixedTextMeasure;

// A pane with a "file" button 0 and an "icon" button 1 whose values hold the
// given data.
class BrowsePane : public ::testing::Test {
 protected:
  void Build(const std::string& fileData, const std::string& iconData) {
    TRegistry reg(registry);
    reg.SetRootKey(kHkeyCurrentUser);
    ASSERT_TRUE(reg.OpenKey("Software\\Test", true));
    reg.WriteString("file", fileData);
    reg.WriteString("icon", iconData);
    ActionRecord file{0, "HKCU", "Software\\Test", "file", 1, 1, "file", "Pick|Programs|*.exe", 0xFFFF};
    ActionRecord icon{0, "HKCU", "Software\\Test", "icon", 1, 1, "icon", "Pick", 0xFFFF};
    const std::vector<ActionRecord> actions{file, icon};
    pane.Clear();
    pane.RunActionPass({actions, registry, host, measure, geometry, false, false, 0xFFFF});
  }

  MemoryRegistry registry;
  ScriptedHostQueries host;
  FixedTextMeasure measure;
  PaneGeometry geometry;
  ControlsPaneModel pane;
};

TEST(ButtonNumber, IsTheNameAfterItsPrefix) {
  const std::pair<const char*, int> cases[] = {
      {"cButton0", 0}, {"cButton12", 12}, {"cButton$A", 10}, {"cButton", -1},
      {"cButtonx", -1}, {"cButton1 ", -1}, {"", -1},         {"cEdit", -1},
  };
  for (const auto& [name, number] : cases) EXPECT_EQ(ButtonNumber(name), number) << name;
}

TEST_F(BrowsePane, TheFileDialogStartsFromTheTables) {
  Build("C:\\Tools\\x.exe", "");
  EXPECT_EQ(FileDialogFor(0, pane).filter, "Programs|*.exe");
  EXPECT_EQ(FileDialogFor(0, pane).fileName, "C:\\Tools\\x.exe");
  EXPECT_EQ(FileDialogFor(-1, pane).filter, "All files|*.*");
  EXPECT_EQ(FileDialogFor(-1, pane).fileName, "");
  pane.BrowseSucceeded(0, "D:\\y.exe", measure);
  EXPECT_EQ(FileDialogFor(0, pane).fileName, "D:\\y.exe") << "the next browse starts with the chosen file";
}

TEST_F(BrowsePane, APathTooLongForADialogIsNotHandedToIt) {
  const std::string fits = "C:\\" + std::string(256, 'a');  // 259 characters and the terminating zero
  Build(fits, fits + ",3");
  EXPECT_EQ(FileDialogFor(0, pane).fileName, fits);
  EXPECT_EQ(IconPickerStart(1, pane), (IconChoice{fits, 3}));
  EXPECT_EQ(FolderBrowserStart(0, pane), fits);

  Build(fits + "b", fits + "b,3");
  EXPECT_EQ(FileDialogFor(0, pane).fileName, "");
  EXPECT_EQ(FileDialogFor(0, pane).filter, "Programs|*.exe");
  EXPECT_EQ(IconPickerStart(1, pane), (IconChoice{"", 0}));
  EXPECT_EQ(FolderBrowserStart(0, pane), fits + "b") << "the folder browser's context has three more";

  Build(fits + "bcde", "");  // 263 characters
  EXPECT_EQ(FolderBrowserStart(0, pane), "");
  EXPECT_EQ(FolderBrowserStart(-1, pane), "");
}

TEST_F(BrowsePane, TheIconPickerStartsAtTheLastComma) {
  Build("", "C:\\My, Icons\\set,1.dll,4");
  EXPECT_EQ(IconPickerStart(1, pane), (IconChoice{"C:\\My, Icons\\set,1.dll", 4}));
  EXPECT_EQ(IconPickerStart(-1, pane), (IconChoice{"", 0}));
}

TEST(IconText, SplitsAtTheLastCommaAndJoinsAgain) {
  const std::pair<const char*, IconChoice> cases[] = {
      {"shell32.dll,3", {"shell32.dll", 3}},
      {"a,b,c.dll,-12", {"a,b,c.dll", -12}},
      {"a,b.dll,$10", {"a,b.dll", 16}},
      {"icons.dll", {"icons.dll", 0}},
      {"icons.dll,", {"icons.dll", 0}},
      {"icons.dll,x", {"icons.dll", 0}},
      {",5", {"", 5}},
      {"", {"", 0}},
  };
  for (const auto& [text, choice] : cases) EXPECT_EQ(SplitIconText(text), choice) << text;
  EXPECT_EQ(IconLabelText("C:\\a,b.dll", 3), "C:\\a,b.dll,3");
  EXPECT_EQ(SplitIconText(IconLabelText("C:\\a,b.dll", -3)), (IconChoice{"C:\\a,b.dll", -3}));
}

TEST(FolderBrowser, FlagsFollowTheShellVersion) {
  EXPECT_EQ(FolderBrowserFlags(0), 13u);
  EXPECT_EQ(FolderBrowserFlags(470), 13u);
  EXPECT_EQ(FolderBrowserFlags(471), 61u);
  EXPECT_EQ(FolderBrowserFlags(600), 61u);
}

TEST(FolderBrowser, InitialSelectionKeepsADrivesBackslash) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\Windows\\", "C:\\Windows"}, {"C:\\Windows", "C:\\Windows"}, {"C:\\", "C:\\"}, {"C:", "C:\\"},
      {"\\\\srv\\share\\", "\\\\srv\\share"}, {"", ""}, {"\\", ""}, {"ab", "ab"},
  };
  for (const auto& [start, selection] : cases) EXPECT_EQ(FolderInitialSelection(start), selection) << start;
}

TEST(FolderBrowser, AcceptsExistingDriveAndNetworkFolders) {
  const std::set<std::string> existing = {"C:\\", "C:\\Windows\\", "\\\\srv\\share\\", "Desktop\\", "C:"};
  auto exists = [&](const std::string& path) { return existing.count(path) != 0; };
  const std::pair<const char*, std::optional<std::string>> cases[] = {
      {"C:\\", "C:"},
      {"C:\\Windows\\", "C:\\Windows"},
      {"\\\\srv\\share\\", "\\\\srv\\share"},
      {"C:\\Gone\\", std::nullopt},
      {"Desktop\\", std::nullopt},
      {"C:", std::nullopt},
      {"\\", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& [result, label] : cases) EXPECT_EQ(AcceptedFolder(result, exists), label) << result;
}

TEST_F(BrowsePane, ADrivesRootIsShownAsTheDriveAndBrowsedAgainFromIt) {
  Build("", "");
  const std::optional<std::string> label = AcceptedFolder(FolderBrowserResult("C:\\"), [](const std::string&) {
    return true;
  });
  ASSERT_EQ(label, "C:");
  pane.BrowseSucceeded(0, *label, measure);
  EXPECT_EQ(pane.ReadControl('L', 0), "C:");
  EXPECT_EQ(FolderInitialSelection(FolderBrowserStart(0, pane)), "C:\\");
  EXPECT_EQ(FolderBrowserResult("C:\\Windows"), "C:\\Windows\\");
}

TEST(FolderBrowser, StatusTexts) {
  EXPECT_TRUE(IsFolderShortcut("folder SHORTCUT"));
  EXPECT_FALSE(IsFolderShortcut("File Folder"));
  EXPECT_EQ(InvalidFolderNameStatus("a?b"), "\"a?b\" is not a valid folder name");
  EXPECT_EQ(FolderStatusWidth(300), 280);
}

TEST(ShortenPath, CutsFoldersFromTheFrontUntilItFits) {
  const FixedTextMeasure measure;
  const std::vector<std::string> chain = {
      "C:\\Program Files\\Common Files\\Tools\\x.exe",
      "C:\\...\\Common Files\\Tools\\x.exe",
      "C:\\...\\Tools\\x.exe",
      "C:\\...\\x.exe",
      "...\\x.exe",
      "x.exe",
  };
  for (std::size_t i = 0; i < chain.size(); ++i) {
    const int width = measure.Measure(chain[i]).width;
    EXPECT_EQ(ShortenPath(chain[0], width, measure), chain[i]) << "fits exactly";
    if (i + 1 < chain.size()) {
      EXPECT_EQ(ShortenPath(chain[0], width - 1, measure), chain[i + 1]);
    }
  }
  EXPECT_EQ(ShortenPath(chain[0], 0, measure), "x.exe") << "the file name stays even when it does not fit";
}

TEST(ShortenPath, APathWithoutFoldersIsNeverShortened) {
  const FixedTextMeasure measure;
  EXPECT_EQ(ShortenPath("a rather long file name.txt", 6, measure), "a rather long file name.txt");
  EXPECT_EQ(ShortenPath("C:name.txt", 6, measure), "C:name.txt");
  EXPECT_EQ(ShortenPath("", 0, measure), "");
}

TEST(ShortenPath, OddPathsEndAtTheirFileName) {
  const FixedTextMeasure measure;
  const char* paths[] = {
      "\\\\srv\\share\\dir\\f.txt", "C:\\x.exe", "C:\\", "\\", "\\\\\\", "....\\f", ".\\.\\f",
      "\\...\\f", "...\\...\\f", "a\\b\\c\\", ":\\x", "C:\\.hidden\\f", "\\.\\x\\f",
  };
  for (const char* path : paths) {
    const std::string p(path);
    EXPECT_EQ(ShortenPath(p, 0, measure), p.substr(p.rfind('\\') + 1)) << path;
    EXPECT_EQ(ShortenPath(p, 1000, measure), p) << path;
  }
  EXPECT_EQ(ShortenPath("\\\\srv\\share\\dir\\f.txt", 10 * 6, measure), "\\...\\f.txt");
}

}  // namespace
}  // namespace cordalis
