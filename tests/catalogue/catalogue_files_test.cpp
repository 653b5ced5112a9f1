#include "catalogue/catalogue_files.h"

#include <gtest/gtest.h>

#include <fstream>

#include "catalogue/catalogue_summary.h"
#include "catalogue/catalogue_tables.h"
#include "catalogue/text_form.h"
#include "db/data_packet.h"
#include "db/dm1.h"
#include "host/file_store.h"
#include "problem_lines.h"
#include "support/temp_dir.h"

namespace cordalis::catalogue {
namespace {

using cordalis::testing::TempDir;
using testing::Lines;
using LineList = std::vector<std::string>;

void WriteFile(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

std::string ReadFile(const std::string& path) { return SystemFileStore().Read(path, kMaxPacketBytes); }

// The content of a catalogue, one line per record, without where it came from.
LineList Records(const Catalogue& catalogue) {
  LineList records;
  for (const Tweak& t : catalogue.tweaks) {
    records.push_back(std::to_string(t.twkId) + (t.hide ? " hidden" : "") + " [" + t.category + "] [" + t.subCat +
                      "] [" + t.title + "] [" + t.description + "]");
    for (const Action& a : t.actions)
      records.push_back("  " + a.root + " [" + a.key + "] [" + a.value + "] " + std::to_string(a.dataType) + " " +
                        std::to_string(a.changeType) + " [" + a.special + "] [" + a.data + "] " +
                        std::to_string(a.verMask));
  }
  return records;
}

const char kFirstFile[] =
    "tweak 9\n"
    "Category: Zeta\n"
    "Title: Nine\n"
    "Source: KB Q000009\n"
    "Description:\n"
    "| One & \"two\" <three>.\n"
    "|\n"
    "| Four.\n"
    "action\n"
    "Root: HKLM\n"
    "Key: K\\Sub\n"
    "Value: V\n"
    "Change: change value\n"
    "Type: binary\n"
    "Data: 01 A0 FF\n"
    "Platforms: NT4 2000 XP\n"
    "tweak 2\n"
    "Category: Alpha\n"
    "SubCat: Sub\n"
    "Title: Two\n"
    "Source: KB Q000002\n"
    "Alternatives: 5\n"
    "action\n"
    "Root: HKCU\n"
    "Key: K\n"
    "Change: delete key\n"
    "Platforms: 95\n";
const char kSecondFile[] =
    "tweak 5\n"
    "Category: Alpha\n"
    "Title: Five\n"
    "Source: KB Q000005\n"
    "Alternatives: 2\n"
    "action\n"
    "Root: HKCU\n"
    "Key: K\n"
    "Value: Hide\n"
    "Change: change value\n"
    "Type: dword\n"
    "Special: toggle\n"
    "Data: Hide it|1|0\n"
    "Platforms: 95 98 ME\n"
    "action\n"
    "Root: HKCR\n"
    "Key: K\n"
    "Change: add key\n"
    "Platforms: WDU\n";

class CatalogueFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(tweaks.File("tweaks"));
    std::filesystem::create_directory(tweaks.File("out"));
    WriteFile(In("a.twk"), kFirstFile);
    WriteFile(In("b.twk"), kSecondFile);
  }
  std::string In(const std::string& name) const { return tweaks.File("tweaks") + "/" + name; }
  std::string Out(const std::string& name) const { return tweaks.File("out") + "/" + name; }

  TempDir tweaks;
};

TEST_F(CatalogueFiles, BuildWritesTheTwoTablesInTheProgramsForm) {
  ASSERT_EQ(Lines(BuildTableFiles(SystemFileStore(), tweaks.File("tweaks"), tweaks.File("out"))), LineList{});

  const std::string twks = ReadFile(Out("Twks.xml"));
  EXPECT_NE(twks.find("<PARAMS AUTOINCVALUE=\"10\"/>"), std::string::npos) << "one above the highest number";
  const TableData t = ReadDataPacket(twks);
  EXPECT_EQ(t.Fields(), Tdm1::TweakFields());
  ASSERT_EQ(t.LiveRowCount(), 3u);
  const std::int32_t order[] = {2, 5, 9};
  for (RowId row = 0; row < 3; ++row) {
    EXPECT_EQ(t.Number(row, 0), order[row]);
    EXPECT_FALSE(t.IsNull(row, 1)) << "Hide is written FALSE, not left out";
    EXPECT_EQ(t.Number(row, 1), 0);
  }
  EXPECT_EQ(t.Text(0, 3), "Sub");
  EXPECT_TRUE(t.IsNull(1, 3)) << "an empty SubCat is left null";
  EXPECT_EQ(t.Text(2, 5), "One & \"two\" <three>.\r\n\r\nFour.");

  const TableData d = ReadDataPacket(ReadFile(Out("Data.xml")));
  EXPECT_EQ(d.Fields(), Tdm1::ActionFields());
  ASSERT_EQ(d.LiveRowCount(), 4u);
  const std::pair<std::int32_t, const char*> rows[] = {{2, "HKCU"}, {5, "HKCU"}, {5, "HKCR"}, {9, "HKLM"}};
  for (RowId row = 0; row < 4; ++row) {
    EXPECT_EQ(d.Number(row, 0), rows[row].first) << row;
    EXPECT_EQ(d.Text(row, 1), rows[row].second) << row;
  }
  EXPECT_EQ(d.Text(1, 2), "K");
  EXPECT_EQ(d.Text(1, 3), "Hide");
  EXPECT_EQ(d.Number(1, 4), 4);
  EXPECT_EQ(d.Number(1, 5), 1);
  EXPECT_EQ(d.Text(1, 6), "toggle");
  EXPECT_EQ(d.Text(1, 7), "Hide it|1|0");
  EXPECT_EQ(d.Number(1, 8), 0x0007);
  EXPECT_TRUE(d.IsNull(2, 3)) << "an empty Value is left null";
  EXPECT_EQ(d.Number(2, 8), 0x0800);

  // Reading the tables back gives the catalogue that was written, and both forms check clean.
  LoadedCatalogue fromText = LoadTweaksFolder(SystemFileStore(), tweaks.File("tweaks"));
  LoadedCatalogue fromTables = LoadTableFiles(SystemFileStore(), Out("Twks.xml"), Out("Data.xml"));
  EXPECT_EQ(Lines(fromTables.problems), LineList{});
  CatalogueTables sorted = BuildTables(fromText.catalogue);
  std::vector<Problem> none;
  EXPECT_EQ(Records(fromTables.catalogue), Records(CatalogueFromTables(sorted, "Twks.xml", "Data.xml", none)));
  EXPECT_EQ(Records(fromTables.catalogue).size(), 7u);

  // Building again gives the same bytes.
  const std::string first = ReadFile(Out("Twks.xml")) + ReadFile(Out("Data.xml"));
  ASSERT_TRUE(BuildTableFiles(SystemFileStore(), tweaks.File("tweaks"), tweaks.File("out")).empty());
  EXPECT_EQ(ReadFile(Out("Twks.xml")) + ReadFile(Out("Data.xml")), first);
}

TEST_F(CatalogueFiles, BuildWritesNothingForACatalogueWithProblems) {
  WriteFile(Out("Twks.xml"), "old");
  WriteFile(In("c.twk"), "tweak 5\nCategory: C\nTitle: Again\nSource: S\n");
  EXPECT_EQ(Lines(BuildTableFiles(SystemFileStore(), tweaks.File("tweaks"), tweaks.File("out"))),
            (LineList{In("c.twk") + ":1: #T0005 TwkID: the number is already used by the tweak at " + In("b.twk") + ":1",
                      In("c.twk") + ":1: #T0005: no actions"}));
  EXPECT_EQ(ReadFile(Out("Twks.xml")), "old");
  EXPECT_FALSE(SystemFileStore().Exists(Out("Data.xml")));
}

TEST_F(CatalogueFiles, CheckOfTheTablesFindsWhatTheyCanHold) {
  std::vector<Problem> problems;
  Catalogue catalogue = ReadTweaksFolder(SystemFileStore(), tweaks.File("tweaks"), problems);
  ASSERT_TRUE(problems.empty());
  CatalogueTables tables = BuildTables(catalogue);
  tables.tweaks.SetNumber(1, 1, 1);  // tweak 5 hidden
  tables.actions.SetText(0, 7, "x");  // tweak 2's action now writes "x" ...
  tables.actions.SetNumber(0, 5, 1);
  tables.actions.SetNumber(0, 4, 4);  // ... as a DWORD
  RowId orphan = tables.actions.AddRow();
  tables.actions.SetNumber(orphan, 0, 99);
  WriteFile(Out("Twks.xml"), WriteDataPacket(tables.tweaks));
  WriteFile(Out("Data.xml"), WriteDataPacket(tables.actions));
  EXPECT_EQ(Lines(LoadTableFiles(SystemFileStore(), Out("Twks.xml"), Out("Data.xml")).problems),
            (LineList{"Data.xml: #T0099 TwkID: row 5 is an action of a tweak that is not in Twks.xml",
                      "Data.xml: #T0002 action 1 Data: \"x\" is not a number for a DWORD",
                      "Twks.xml: #T0005 Hide: TRUE, but no tweak ships hidden"}));

  WriteFile(Out("Data.xml"), WriteDataPacket(TableData(Tdm1::NoteFields())));
  EXPECT_EQ(Lines(LoadTableFiles(SystemFileStore(), Out("Twks.xml"), Out("Data.xml")).problems),
            LineList{"Data.xml: the fields are not those of the action table"});

  WriteFile(Out("Twks.xml"), "<DATAPACKET");
  LineList unreadable = Lines(LoadTableFiles(SystemFileStore(), Out("Twks.xml"), Out("Data.xml")).problems);
  ASSERT_EQ(unreadable.size(), 1u);
  EXPECT_EQ(unreadable[0].rfind(Out("Twks.xml") + ": ", 0), 0u) << unreadable[0];
}

TEST_F(CatalogueFiles, FolderFaultsAndTheNextFreeNumber) {
  WriteFile(In("NEXT"), "9\n");
  EXPECT_EQ(Lines(LoadTweaksFolder(SystemFileStore(), tweaks.File("tweaks")).problems),
            LineList{In("a.twk") + ":1: #T0009 TwkID: not below the next free number 9 (" + In("NEXT") + ":1)"});
  WriteFile(In("NEXT"), "10\n");
  EXPECT_EQ(Lines(LoadTweaksFolder(SystemFileStore(), tweaks.File("tweaks")).problems), LineList{});
  WriteFile(In("NEXT"), "ten\n");
  EXPECT_EQ(Lines(LoadTweaksFolder(SystemFileStore(), tweaks.File("tweaks")).problems),
            LineList{In("NEXT") + ":1: \"ten\" is not a tweak number"});
  EXPECT_EQ(Lines(LoadTweaksFolder(SystemFileStore(), tweaks.File("out")).problems),
            LineList{tweaks.File("out") + ": the folder holds no .twk files"});
  EXPECT_THROW(LoadTweaksFolder(SystemFileStore(), tweaks.File("absent")), FileError);
}

TEST_F(CatalogueFiles, SummaryCountsCategoriesPlatformsAndCodesAndNamesSharedPlaces) {
  EXPECT_EQ(SummaryText(LoadTweaksFolder(SystemFileStore(), tweaks.File("tweaks")).catalogue),
            "3 tweaks, 4 actions\n"
            "\n"
            "Categories (tweaks)\n"
            "  Alpha                            2\n"
            "    (no subcategory)               1\n"
            "    Sub                            1\n"
            "  Zeta                             1\n"
            "    (no subcategory)               1\n"
            "\n"
            "Platforms (tweaks)\n"
            "  95                 2 marked    2 shown\n"
            "  98                 1 marked    1 shown\n"
            "  ME                 1 marked    1 shown\n"
            "  NT4                1 marked    2 shown\n"
            "  2000               1 marked    2 shown\n"
            "  XP                 1 marked    2 shown\n"
            "  IE4                0 marked\n"
            "  IE5                0 marked\n"
            "  IE6                0 marked\n"
            "  WDU                1 marked\n"
            "\n"
            "Control kinds\n"
            "  (none)             3 actions    3 tweaks: 2 5 9\n"
            "  toggle             1 actions    1 tweaks: 5\n"
            "\n"
            "Root codes\n"
            "  HKCR               1 actions    1 tweaks: 5\n"
            "  HKCU               2 actions    2 tweaks: 2 5\n"
            "  HKLM               1 actions    1 tweaks: 9\n"
            "\n"
            "Change types\n"
            "  0 Add key          1 actions    1 tweaks: 5\n"
            "  1 Change value     2 actions    2 tweaks: 5 9\n"
            "  2 Delete key       1 actions    1 tweaks: 2\n"
            "\n"
            "Data types\n"
            "  0 (none)           2 actions    2 tweaks: 2 5\n"
            "  3 Binary           1 actions    1 tweaks: 9\n"
            "  4 DWORD            1 actions    1 tweaks: 5\n"
            "\n"
            "Places changed by more than one tweak\n"
            "  2 and 5: HKCU\\K (alternatives)\n");

  // Without Alternatives: the pair is still named, and marked; the tables
  // keep no Alternatives: to judge by.
  Catalogue unmarked = LoadTweaksFolder(SystemFileStore(), tweaks.File("tweaks")).catalogue;
  unmarked.tweaks[1].alternatives.clear();
  EXPECT_NE(SummaryText(unmarked).find("\n  2 and 5: HKCU\\K (NOT named as alternatives)\n"), std::string::npos);
  ASSERT_TRUE(BuildTableFiles(SystemFileStore(), tweaks.File("tweaks"), tweaks.File("out")).empty());
  const std::string fromTables =
      SummaryText(LoadTableFiles(SystemFileStore(), Out("Twks.xml"), Out("Data.xml")).catalogue);
  EXPECT_NE(fromTables.find("\n  2 and 5: HKCU\\K\n"), std::string::npos) << fromTables;
}

// A place written per family, as binary data on one and a DWORD on the other,
// is one place to the reader of the summary.
TEST(CatalogueSummary, NamesAPlaceThatTwoTweaksWritePerFamilyOnce) {
  const std::string actions =
      "action\nRoot: HKCU\nKey: P\nValue: V\nChange: change value\nType: binary\nData: 01 00 00 00\nPlatforms: 95\n"
      "action\nRoot: HKCU\nKey: P\nValue: V\nChange: change value\nType: dword\nData: 1\nPlatforms: NT4\n";
  Catalogue catalogue;
  std::vector<Problem> problems;
  ParseTextForm("t.twk",
                "tweak 1\nCategory: C\nTitle: T\nSource: S\nAlternatives: 2\n" + actions +
                    "tweak 2\nCategory: C\nTitle: U\nSource: S\nAlternatives: 1\n" + actions,
                catalogue, problems);
  ASSERT_EQ(Lines(problems), LineList{});
  const std::string summary = SummaryText(catalogue);
  const std::string places = summary.substr(summary.find("Places changed by more than one tweak"));
  EXPECT_EQ(places, "Places changed by more than one tweak\n  1 and 2: HKCU\\P \"V\" (alternatives)\n");
}

}  // namespace
}  // namespace cordalis::catalogue
