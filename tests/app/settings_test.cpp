// The main window's section "Settings": defaults, round trip, the order in
// which the keys are written, failures, and the first-run mark.
#include "app/settings.h"

#include <gtest/gtest.h>

#include "host/ini_settings_store.h"
#include "doubles/memory_file_store.h"

namespace cordalis {
namespace {

constexpr char kPath[] = "C:\\Cordalis\\CORDALIS.INI";

class SettingsTest : public ::testing::Test {
 protected:
  std::string& File() { return files_.files[ToLowerAscii(kPath)]; }

  testing::MemoryFileStore files_;
  IniSettingsStore store_{kPath, files_};
};

TEST_F(SettingsTest, NoFileGivesTheDefaults) {
  Settings settings;
  settings.lastTip = 12;
  settings.findWhat = "left over";
  settings.Load(store_);
  EXPECT_EQ(settings.lastTip, -1);
  EXPECT_EQ(settings.split1, 250);
  EXPECT_EQ(settings.findX, 10);
  EXPECT_EQ(settings.findY, 10);
  EXPECT_EQ(settings.findWhat, "");
  EXPECT_TRUE(ReadVeryFirst(store_));
}

TEST_F(SettingsTest, SavedSettingsLoadAgain) {
  Settings saved{.lastTip = 42, .split1 = 310, .findX = -5, .findY = 700, .findWhat = "Start menu"};
  ASSERT_TRUE(saved.Save(store_));
  Settings loaded;
  loaded.Load(store_);
  EXPECT_EQ(loaded.lastTip, 42);
  EXPECT_EQ(loaded.split1, 310);
  EXPECT_EQ(loaded.findX, -5);
  EXPECT_EQ(loaded.findY, 700);
  EXPECT_EQ(loaded.findWhat, "Start menu");
}

TEST_F(SettingsTest, KeysAreWrittenInTheirOrder) {
  ASSERT_TRUE(Settings{}.Save(store_));
  EXPECT_EQ(File(), "[Settings]\r\nLastTip=-1\r\nFindX=10\r\nFindY=10\r\nFindWhat=\r\nSplit1=250\r\n");
}

TEST_F(SettingsTest, MalformedOrMissingKeysTakeTheirDefaults) {
  File() = "[Settings]\r\nLastTip=seven\r\nSplit1=\r\nFindX=20\r\n";
  Settings settings;
  settings.Load(store_);
  EXPECT_EQ(settings.lastTip, -1);
  EXPECT_EQ(settings.split1, 250);
  EXPECT_EQ(settings.findX, 20);
  EXPECT_EQ(settings.findY, 10);
}

TEST_F(SettingsTest, AFailedWriteIsReportedAndTheOthersStillMade) {
  files_.failAt = 1;  // the first key's file write
  Settings settings{.lastTip = 7, .findWhat = "x"};
  EXPECT_FALSE(settings.Save(store_));
  Settings loaded;
  loaded.Load(store_);
  EXPECT_EQ(loaded.lastTip, -1);
  EXPECT_EQ(loaded.findWhat, "x");
}

TEST_F(SettingsTest, AnUnwritableFileIsReportedWithoutThrowing) {
  File() = std::string(5u << 20, ';');  // too large to be rewritten
  bool saved = true;
  EXPECT_NO_THROW(saved = Settings{}.Save(store_));
  EXPECT_FALSE(saved);
  EXPECT_FALSE(ClearVeryFirst(store_));
}

TEST_F(SettingsTest, VeryFirstIsClearedAsZero) {
  EXPECT_TRUE(ReadVeryFirst(store_));
  ASSERT_TRUE(ClearVeryFirst(store_));
  EXPECT_EQ(File(), "[Settings]\r\nVeryFirst=0\r\n");
  EXPECT_FALSE(ReadVeryFirst(store_));
}

TEST_F(SettingsTest, AnyNonZeroVeryFirstIsTrue) {
  File() = "[Settings]\r\nVeryFirst=-3\r\n";
  EXPECT_TRUE(ReadVeryFirst(store_));
  File() = "[Settings]\r\nVeryFirst=no\r\n";
  EXPECT_TRUE(ReadVeryFirst(store_));
}

}  // namespace
}  // namespace cordalis
