// Restoring and saving a window's placement section.
#include "app/window_placement.h"

#include <gtest/gtest.h>

#include "host/ini_settings_store.h"
#include "doubles/memory_file_store.h"

namespace cordalis {
namespace {

constexpr char kPath[] = "C:\\Cordalis\\CORDALIS.INI";
constexpr std::int32_t kDesignedWidth = 592;
constexpr std::int32_t kDesignedHeight = 501;
const WindowRect kWorkArea{0, 0, 1024, 738};  // a 1024 x 768 screen above a 30-pixel task bar

class WindowPlacementTest : public ::testing::Test {
 protected:
  std::string& File() { return files_.files[ToLowerAscii(kPath)]; }
  void SaveRect(const WindowRect& r) {
    WindowPlacement saved = current_;
    saved.normal = r;
    ASSERT_TRUE(SavePlacement(store_, "MainForm Settings", saved));
  }
  WindowRect Restored(const WindowRect& workArea = kWorkArea) {
    return RestorePlacement(store_, "MainForm Settings", current_, kDesignedWidth, kDesignedHeight, workArea).normal;
  }

  testing::MemoryFileStore files_;
  IniSettingsStore store_{kPath, files_};
  // What the window reports before it is placed.
  WindowPlacement current_{.flags = 0, .showCmd = 1, .minX = -1, .minY = -1, .maxX = -1, .maxY = -1,
                           .normal = {0, 0, kDesignedWidth, kDesignedHeight}};
};

TEST(PlacementSection, IsTheWindowNameAndSettings) {
  EXPECT_EQ(PlacementSection("MainForm"), "MainForm Settings");
  EXPECT_EQ(PlacementSection("NoteForm"), "NoteForm Settings");
}

TEST_F(WindowPlacementTest, NoSettingsOpensCentredAtTheDesignedSize) {
  WindowPlacement restored =
      RestorePlacement(store_, "MainForm Settings", current_, kDesignedWidth, kDesignedHeight, kWorkArea);
  EXPECT_EQ(restored.normal, (WindowRect{216, 118, 216 + 592, 118 + 501}));
  EXPECT_EQ(restored.showCmd, 0);
  EXPECT_EQ(restored.minX, -1);
  EXPECT_EQ(restored.maxY, -1);
  EXPECT_EQ(restored.flags, 0);
}

struct CentreCase {
  const char* name;
  WindowRect workArea;
  WindowRect expected;
};

TEST_F(WindowPlacementTest, CentringHalvesTowardZero) {
  const CentreCase cases[] = {
      {"odd leftover", {0, 0, 1025, 740}, {216, 119, 808, 620}},
      {"work area beside a task bar on the left", {60, 0, 1024, 768}, {246, 133, 838, 634}},
      // Centred off the work area's edges, then moved back and cut at 0.
      {"window larger than the work area", {0, 0, 499, 400}, {0, 0, 499, 400}},
      {"larger, beside a task bar on the left", {60, 0, 560, 400}, {0, 0, 560, 400}},
  };
  for (const CentreCase& c : cases) EXPECT_EQ(Restored(c.workArea), c.expected) << c.name;
}

struct ClampCase {
  const char* name;
  WindowRect saved;
  WindowRect opened;
};

TEST_F(WindowPlacementTest, TheSavedRectangleIsKeptOnTheWorkArea) {
  const ClampCase cases[] = {
      {"inside stays", {10, 20, 610, 520}, {10, 20, 610, 520}},
      {"touching the corner stays", {424, 238, 1024, 738}, {424, 238, 1024, 738}},
      {"beyond the right edge moves left, size kept", {700, 100, 1300, 600}, {424, 100, 1024, 600}},
      {"below the bottom moves up, size kept", {100, 500, 700, 1000}, {100, 238, 700, 738}},
      {"beyond both moves back on both", {900, 700, 1500, 1200}, {424, 238, 1024, 738}},
      {"left of -20 opens at 0, right edge unchanged", {-20, 50, 580, 550}, {0, 50, 580, 550}},
      {"top of -30 opens at 0, bottom edge unchanged", {50, -30, 650, 470}, {50, 0, 650, 470}},
      {"wider than the work area: moved left, then cut at 0", {100, 0, 1300, 500}, {0, 0, 1024, 500}},
      {"taller than the work area: moved up, then cut at 0", {0, 100, 500, 900}, {0, 0, 500, 738}},
  };
  for (const ClampCase& c : cases) {
    SaveRect(c.saved);
    EXPECT_EQ(Restored(), c.opened) << c.name;
  }
}

TEST_F(WindowPlacementTest, AWindowSavedMaximisedOpensNormalAtItsNormalRectangle) {
  WindowPlacement maximised{.flags = 2, .showCmd = 3, .minX = -32000, .minY = -32000, .maxX = -4, .maxY = -4,
                            .normal = {40, 30, 640, 530}};
  ASSERT_TRUE(SavePlacement(store_, "MainForm Settings", maximised));
  WindowPlacement restored =
      RestorePlacement(store_, "MainForm Settings", current_, kDesignedWidth, kDesignedHeight, kWorkArea);
  EXPECT_EQ(restored.showCmd, 0);
  EXPECT_EQ(restored.normal, (WindowRect{40, 30, 640, 530}));
  EXPECT_EQ(restored.flags, 2);
  EXPECT_EQ(restored.minX, -32000);
  EXPECT_EQ(restored.maxY, -4);
}

TEST_F(WindowPlacementTest, MissingKeysTakeTheCentredOrCurrentValues) {
  File() = "[MainForm Settings]\r\nLeft=100\r\nMaxX=7\r\n";
  WindowPlacement restored =
      RestorePlacement(store_, "MainForm Settings", current_, kDesignedWidth, kDesignedHeight, kWorkArea);
  EXPECT_EQ(restored.normal, (WindowRect{100, 118, 808, 619}));
  EXPECT_EQ(restored.maxX, 7);
  EXPECT_EQ(restored.minX, -1);
  EXPECT_EQ(restored.maxY, -1);
}

TEST_F(WindowPlacementTest, SaveWritesTheTenKeysInOrder) {
  WindowPlacement placement{.flags = 2, .showCmd = 3, .minX = -1, .minY = -2, .maxX = -4, .maxY = -5,
                            .normal = {10, 20, 610, 520}};
  ASSERT_TRUE(SavePlacement(store_, "NoteForm Settings", placement));
  EXPECT_EQ(File(),
            "[NoteForm Settings]\r\nLeft=10\r\nTop=20\r\nRight=610\r\nBottom=520\r\n"
            "MinX=-1\r\nMinY=-2\r\nMaxX=-4\r\nMaxY=-5\r\nShowCmd=3\r\nflags=2\r\n");
}

TEST_F(WindowPlacementTest, ASaveThatCannotWriteReportsFalse) {
  files_.failAt = 3;
  EXPECT_FALSE(SavePlacement(store_, "MainForm Settings", current_));
  // The keys after the failed one are still written.
  EXPECT_EQ(store_.ReadString("MainForm Settings", "flags", "none"), "0");
  EXPECT_EQ(store_.ReadString("MainForm Settings", "Top", "none"), "none");
}

}  // namespace
}  // namespace cordalis
