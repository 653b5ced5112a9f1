// The settings-file contract: how reading and writing the settings file
// behaves, as the program relies on it. Every case runs against the portable
// INI store and, in Windows builds, against the profile functions themselves
// (Wine's, under the test scripts), each on a file in a fresh folder, so that
// what the portable store does on Linux is what Windows does.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "host/file_store.h"
#include "host/ini_settings_store.h"
#include "support/temp_dir.h"
#ifdef _WIN32
#include "host/win32/profile_settings_store.h"
#endif

namespace cordalis {
namespace {

struct Implementation {
  const char* name;
  std::unique_ptr<SettingsStore> (*make)(const std::string& path);
};

void PrintTo(const Implementation& implementation, std::ostream* out) { *out << implementation.name; }

std::unique_ptr<SettingsStore> MakeIniStore(const std::string& path) {
  return std::make_unique<IniSettingsStore>(path, SystemFileStore());
}

#ifdef _WIN32
std::unique_ptr<SettingsStore> MakeProfileStore(const std::string& path) {
  return std::make_unique<ProfileSettingsStore>(path);
}
#endif

std::vector<Implementation> ImplementationsUnderTest() {
  std::vector<Implementation> list{{"Ini", &MakeIniStore}};
#ifdef _WIN32
  list.push_back({"Profile", &MakeProfileStore});
#endif
  return list;
}

class SettingsStoreContract : public ::testing::TestWithParam<Implementation> {
 protected:
  SettingsStoreContract() : path_(dir_.File("Cordalis.INI")), store_(GetParam().make(path_)) {}

  void WriteFile(const std::string& bytes) {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out << bytes;
    ASSERT_TRUE(out.good());
  }
  std::string FileText() {
    std::ifstream in(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::string Read(const std::string& section, const std::string& key, const std::string& fallback = "?") {
    return store_->ReadString(section, key, fallback);
  }

  testing::TempDir dir_;
  std::string path_;
  std::unique_ptr<SettingsStore> store_;
};

TEST_P(SettingsStoreContract, MissingFileReadsAsFallbackAndIsNotCreated) {
  EXPECT_EQ(Read("Settings", "LastTip", "-1"), "-1");
  EXPECT_EQ(store_->ReadInteger("Settings", "Split1", 250), 250);
  EXPECT_TRUE(store_->ReadBoolean("Settings", "VeryFirst", true));
  EXPECT_FALSE(std::filesystem::exists(path_));
}

TEST_P(SettingsStoreContract, MissingSectionOrKeyReadsAsFallback) {
  WriteFile("[Other]\r\nLastTip=5\r\n[Settings]\r\nSplit1=300\r\nFlag\r\n");
  EXPECT_EQ(Read("Settings", "LastTip"), "?");
  EXPECT_EQ(Read("Nowhere", "Split1"), "?");
  EXPECT_EQ(Read("Settings", "Split1"), "300");
  // A line without "=" names no value.
  EXPECT_EQ(Read("Settings", "Flag"), "?");
}

TEST_P(SettingsStoreContract, FallbackLosesTrailingSpacesThenEnclosingQuotes) {
  EXPECT_EQ(Read("Settings", "FindWhat", "  find me  "), "  find me");
  EXPECT_EQ(Read("Settings", "FindWhat", "find\t "), "find\t");
  EXPECT_EQ(Read("Settings", "FindWhat", "'quoted'  "), "quoted");
  EXPECT_EQ(Read("Settings", "FindWhat", ""), "");
  WriteFile("[Settings]\r\nFindX=1\r\n");
  EXPECT_EQ(Read("Settings", "FindWhat", "\"x\""), "x");
}

TEST_P(SettingsStoreContract, FirstWriteCreatesTheFileWithCrLfLines) {
  ASSERT_TRUE(store_->WriteString("Settings", "LastTip", "5"));
  EXPECT_EQ(FileText(), "[Settings]\r\nLastTip=5\r\n");
  EXPECT_EQ(Read("Settings", "LastTip"), "5");
}

TEST_P(SettingsStoreContract, WriteThenReadEachValue) {
  ASSERT_TRUE(store_->WriteString("Settings", "FindWhat", "Start menu"));
  ASSERT_TRUE(store_->WriteString("MainForm Settings", "Left", "12"));
  ASSERT_TRUE(store_->WriteString("Settings", "Empty", ""));
  EXPECT_EQ(Read("Settings", "FindWhat"), "Start menu");
  EXPECT_EQ(Read("MainForm Settings", "Left"), "12");
  EXPECT_EQ(Read("Settings", "Empty"), "");
}

TEST_P(SettingsStoreContract, BytesAbove127RoundTrip) {
  ASSERT_TRUE(store_->WriteString("Settings", "FindWhat", "caf\xE9 \xA9"));
  EXPECT_EQ(Read("Settings", "FindWhat"), "caf\xE9 \xA9");
}

TEST_P(SettingsStoreContract, SectionAndKeyMatchWithoutRegardToCase) {
  ASSERT_TRUE(store_->WriteString("Settings", "LastTip", "5"));
  EXPECT_EQ(Read("SETTINGS", "lasttip"), "5");
  ASSERT_TRUE(store_->WriteString("settings", "LASTTIP", "7"));
  EXPECT_EQ(Read("Settings", "LastTip"), "7");
  // The key and the section keep the spelling they were first written with.
  EXPECT_EQ(FileText(), "[Settings]\r\nLastTip=7\r\n");
}

TEST_P(SettingsStoreContract, BlanksAroundNamesAndValuesDoNotCount) {
  WriteFile("  [ Settings ]  \r\n\t FindWhat \t=  two  words \t\r\nSplit1=  300\r\n");
  EXPECT_EQ(Read("Settings", "FindWhat"), "two  words");
  EXPECT_EQ(Read(" Settings ", " FindWhat "), "two  words");
  EXPECT_EQ(store_->ReadInteger("Settings", "Split1", 250), 300);
}

TEST_P(SettingsStoreContract, LfAndCrLineEndsBothEndLines) {
  WriteFile("[Settings]\nLastTip=3\n[Other]\rX=1\r");
  EXPECT_EQ(Read("Settings", "LastTip"), "3");
  EXPECT_EQ(Read("Other", "X"), "1");
}

struct QuoteCase {
  const char* stored;
  const char* read;
};

TEST_P(SettingsStoreContract, MatchingQuotesAroundAValueAreDropped) {
  const QuoteCase cases[] = {
      {"\"quoted\"", "quoted"},     {"'single'", "single"},         {"\" padded \"", " padded "},
      {"\"\"", ""},                 {"\"", "\""},                   {"'", "'"},
      {"\"mixed'", "\"mixed'"},     {"\"a\" b", "\"a\" b"},         {"a \"b\"", "a \"b\""},
      {"\"in \"side\"", "in \"side"}, {"''x''", "'x'"},
  };
  std::string file = "[Settings]\r\n";
  for (std::size_t i = 0; i < std::size(cases); ++i)
    file += "K" + std::to_string(i) + "=" + cases[i].stored + "\r\n";
  WriteFile(file);
  for (std::size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(Read("Settings", "K" + std::to_string(i)), cases[i].read) << cases[i].stored;
}

TEST_P(SettingsStoreContract, IntegersAndBooleansThroughTheHelpers) {
  ASSERT_TRUE(store_->WriteInteger("Settings", "LastTip", -1));
  ASSERT_TRUE(store_->WriteInteger("Settings", "Split1", 2147483647));
  ASSERT_TRUE(store_->WriteBoolean("Settings", "On", true));
  ASSERT_TRUE(store_->WriteBoolean("Settings", "VeryFirst", false));
  EXPECT_EQ(Read("Settings", "LastTip"), "-1");
  EXPECT_EQ(Read("Settings", "On"), "1");
  EXPECT_EQ(Read("Settings", "VeryFirst"), "0");
  EXPECT_EQ(store_->ReadInteger("Settings", "LastTip", 9), -1);
  EXPECT_EQ(store_->ReadInteger("Settings", "Split1", 9), 2147483647);
  EXPECT_TRUE(store_->ReadBoolean("Settings", "On", false));
  EXPECT_FALSE(store_->ReadBoolean("Settings", "VeryFirst", true));
}

struct NumberCase {
  const char* stored;
  int integer;  // read with fallback 77
  bool boolean;  // read with fallback true
};

TEST_P(SettingsStoreContract, NumbersInTheFileReadByTheHelpers) {
  const NumberCase cases[] = {
      {"0", 0, false},      {"1", 1, true},        {"2", 2, true},          {"-1", -1, true},
      {" 42 ", 42, true},   {"\"8\"", 8, true},    {"abc", 77, true},       {"12abc", 77, true},
      {"", 77, true},       {"1.5", 77, true},     {"99999999999", 77, true},
  };
  std::string file = "[Settings]\r\n";
  for (std::size_t i = 0; i < std::size(cases); ++i)
    file += "K" + std::to_string(i) + "=" + cases[i].stored + "\r\n";
  WriteFile(file);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    std::string key = "K" + std::to_string(i);
    EXPECT_EQ(store_->ReadInteger("Settings", key, 77), cases[i].integer) << cases[i].stored;
    EXPECT_EQ(store_->ReadBoolean("Settings", key, true), cases[i].boolean) << cases[i].stored;
  }
  // A malformed boolean reads as the fallback, whichever it is.
  EXPECT_FALSE(store_->ReadBoolean("Settings", "K6", false));
}

// A file already in the form the profile functions write, so that any
// implementation must give back every other line exactly.
constexpr char kThreeSections[] =
    "[First]\r\nA=1\r\n;note\r\nB=2\r\n"
    "[Settings]\r\nLastTip=5\r\nFindX=10\r\nFindY=20\r\n"
    "[Last]\r\nZ=26\r\n";

TEST_P(SettingsStoreContract, RewritingAKeyChangesOnlyItsLine) {
  WriteFile(kThreeSections);
  ASSERT_TRUE(store_->WriteString("Settings", "FindX", "400"));
  EXPECT_EQ(FileText(),
            "[First]\r\nA=1\r\n;note\r\nB=2\r\n"
            "[Settings]\r\nLastTip=5\r\nFindX=400\r\nFindY=20\r\n"
            "[Last]\r\nZ=26\r\n");
}

TEST_P(SettingsStoreContract, ANewKeyGoesAtTheEndOfItsSection) {
  WriteFile(kThreeSections);
  ASSERT_TRUE(store_->WriteString("First", "C", "3"));
  EXPECT_EQ(FileText(),
            "[First]\r\nA=1\r\n;note\r\nB=2\r\nC=3\r\n"
            "[Settings]\r\nLastTip=5\r\nFindX=10\r\nFindY=20\r\n"
            "[Last]\r\nZ=26\r\n");
}

TEST_P(SettingsStoreContract, ANewSectionGoesAtTheEndOfTheFile) {
  WriteFile(kThreeSections);
  ASSERT_TRUE(store_->WriteString("NoteForm Settings", "Left", "8"));
  EXPECT_EQ(FileText(), std::string(kThreeSections) + "[NoteForm Settings]\r\nLeft=8\r\n");
}

TEST_P(SettingsStoreContract, SameKeyNameInTwoSectionsAreTwoValues) {
  ASSERT_TRUE(store_->WriteString("MainForm Settings", "Left", "100"));
  ASSERT_TRUE(store_->WriteString("NoteForm Settings", "Left", "200"));
  ASSERT_TRUE(store_->WriteString("MainForm Settings", "Left", "150"));
  EXPECT_EQ(Read("MainForm Settings", "Left"), "150");
  EXPECT_EQ(Read("NoteForm Settings", "Left"), "200");
  EXPECT_EQ(FileText(), "[MainForm Settings]\r\nLeft=150\r\n[NoteForm Settings]\r\nLeft=200\r\n");
}

TEST_P(SettingsStoreContract, ALineWithoutEqualsSignIsAKeyWithoutValue) {
  WriteFile("[Settings]\r\nFindWhat\r\nFindX=1\r\nFindWhat=later\r\n");
  EXPECT_EQ(Read("Settings", "FindWhat"), "?");
  ASSERT_TRUE(store_->WriteString("Settings", "findwhat", "now"));
  EXPECT_EQ(FileText(), "[Settings]\r\nFindWhat=now\r\nFindX=1\r\nFindWhat=later\r\n");
}

TEST_P(SettingsStoreContract, ValuesMayHoldEqualsSigns) {
  WriteFile("[Settings]\r\nFormula=a=b = c\r\n");
  EXPECT_EQ(Read("Settings", "Formula"), "a=b = c");
  ASSERT_TRUE(store_->WriteString("Settings", "FindWhat", "x=y"));
  EXPECT_EQ(Read("Settings", "FindWhat"), "x=y");
  EXPECT_EQ(Read("Settings", "Formula"), "a=b = c");
}

TEST_P(SettingsStoreContract, LongValuesReadBackWhole) {
  // Around the lengths where a reader's buffer fills, and well beyond 4096.
  // (Wine's profile functions cut a value of 64K characters or more, as they
  // count its length in 16 bits; no setting comes near that.)
  for (std::size_t length : {254u, 255u, 256u, 257u, 510u, 511u, 512u, 4095u, 4096u, 4097u, 32000u}) {
    std::string value;
    for (std::size_t i = 0; i < length; ++i) value += static_cast<char>('a' + i % 26);
    ASSERT_TRUE(store_->WriteString("Settings", "FindWhat", value)) << length;
    EXPECT_EQ(FileText().size(), std::string("[Settings]\r\nFindWhat=\r\n").size() + length) << length;
    std::string read = Read("Settings", "FindWhat");
    EXPECT_EQ(read.size(), length);
    EXPECT_TRUE(read == value) << length;  // not EXPECT_EQ: a failure would print both whole
  }
}

TEST_P(SettingsStoreContract, ALongFallbackComesBackWhole) {
  std::string fallback(5000, 'f');
  EXPECT_EQ(Read("Settings", "Missing", fallback), fallback);
}

TEST_P(SettingsStoreContract, AFolderInPlaceOfTheFileReadsAsDefaultsAndRefusesWrites) {
  std::filesystem::create_directory(path_);
  EXPECT_EQ(Read("Settings", "LastTip", "-1"), "-1");
  EXPECT_FALSE(store_->WriteString("Settings", "LastTip", "5"));
  EXPECT_TRUE(std::filesystem::is_directory(path_));
}

TEST_P(SettingsStoreContract, AMissingFolderRefusesWrites) {
  auto store = GetParam().make((dir_.Path() / "absent" / "Cordalis.INI").string());
  EXPECT_FALSE(store->WriteString("Settings", "LastTip", "5"));
  EXPECT_EQ(store->ReadString("Settings", "LastTip", "-1"), "-1");
}

INSTANTIATE_TEST_SUITE_P(, SettingsStoreContract, ::testing::ValuesIn(ImplementationsUnderTest()),
                         [](const ::testing::TestParamInfo<Implementation>& info) { return info.param.name; });

}  // namespace
}  // namespace cordalis
