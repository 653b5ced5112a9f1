#include "db/dm1.h"

#include <gtest/gtest.h>

#include "db/data_packet.h"
#include "db/packet_engine.h"
#include "db/records.h"
#include "doubles/memory_file_store.h"
#include "doubles/recording_message_boxes.h"
#include "support/table_files.h"

namespace cordalis {
namespace {

using testing::MemoryFileStore;
using testing::RecordingMessageBoxes;

const std::string kFolder = "C:\\Program Files\\Cordalis";

std::string FileIn(const char* name) { return PathInFolder(kFolder, name); }

std::string UserTableMessage(const std::string& what, const std::string& file, const std::string& state,
                             const std::string& extra) {
  return "The database of " + what + " (" + file + ") is " + state + ". Cordalis will create a new empty " + file +
         "." + extra + "\r\n\r\nIf you can locate the old " + file +
         " file, close Cordalis and copy the old file over the newly-created empty one.";
}
const std::string kUndoExtra = " You will not be able to undo tweaks that were used previously.";

class DataModule : public ::testing::Test {
 protected:
  DataModule() { testing::WriteSampleCatalogue(files, kFolder); }
  void WriteUserTables() {
    testing::WriteTable(files, FileIn("Undo.xml"), Tdm1::ActionFields(), {});
    testing::WriteTable(files, FileIn("Note.xml"), Tdm1::NoteFields(), {{"1", "my note"}});
  }

  MemoryFileStore files;
  XmlPacketEngine engine{files};
  RecordingMessageBoxes boxes;
};

TEST_F(DataModule, OpensAllFourTablesQuietly) {
  WriteUserTables();
  int before = files.changes;
  {
    Tdm1 dm(engine, files, boxes, kFolder);
    EXPECT_EQ(dm.LoadStatus(), lsLoaded);
    EXPECT_TRUE(boxes.shown.empty());
    for (ClientDataSet* t : {&dm.cdsTwks, &dm.cdsData, &dm.cdsUndo, &dm.cdsNote}) {
      EXPECT_TRUE(t->Active()) << t->Name();
      EXPECT_TRUE(t->ReadOnly()) << t->Name();
    }
    ASSERT_TRUE(dm.LocateTweak(1));
    EXPECT_EQ(dm.cdsNote.AsString("Note"), "my note");
  }
  EXPECT_EQ(files.changes, before) << "a run without changes writes no file";
}

TEST_F(DataModule, RecordsAreReadByKeyWithoutMovingAnyCursor) {
  WriteUserTables();
  Tdm1 dm(engine, files, boxes, kFolder);
  ASSERT_TRUE(dm.LocateTweak(5));

  std::vector<std::int32_t> order;
  for (const TweakRecord& t : AllTweaks(dm.cdsTwks)) order.push_back(t.twkId);
  EXPECT_EQ(order, (std::vector<std::int32_t>{1, 2, 5})) << "by TwkID";
  EXPECT_EQ(TweakWithKey(dm.cdsTwks, 2), (TweakRecord{2, true, "Explorer", "", "Second", "Desc 2"}));
  EXPECT_FALSE(TweakWithKey(dm.cdsTwks, 3));

  std::vector<ActionRecord> actions = ActionsWithKey(dm.cdsData, 1);
  ASSERT_EQ(actions.size(), 2u);
  EXPECT_EQ(actions[0], (ActionRecord{1, "HKCU", "Software\\A", "One", 1, 1, "", "x", 63}));
  EXPECT_EQ(actions[1].value, "Two") << "in stored order";
  EXPECT_EQ(NoteWithKey(dm.cdsNote, 1), (NoteRecord{1, "my note"}));
  EXPECT_FALSE(NoteWithKey(dm.cdsNote, 5));

  EXPECT_EQ(dm.cdsTwks.AsInteger("TwkID"), 5) << "the cursors stay where the program put them";
  EXPECT_EQ(ReadAction(dm.cdsData).root, "HKLM");
  EXPECT_EQ(ReadTweak(dm.cdsTwks).title, "Fifth");
}

TEST_F(DataModule, MissingUserTablesAreToldAndCreatedEmpty) {
  Tdm1 dm(engine, files, boxes, kFolder);
  EXPECT_EQ(dm.LoadStatus(), lsLoaded);
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[0].text, UserTableMessage("stored undo actions", "undo.xml", "missing", kUndoExtra));
  EXPECT_EQ(boxes.shown[1].text, UserTableMessage("your notes", "note.xml", "missing", ""));
  for (const auto& box : boxes.shown) {
    EXPECT_EQ(box.owner, MsgOwner::None);
    EXPECT_EQ(box.icon, MsgIcon::Information);
  }
  // Written at once, with their fields, before the user does anything.
  TableData undo = ReadDataPacket(files.At(FileIn("Undo.xml")));
  EXPECT_EQ(undo.Fields(), Tdm1::UndoFields());
  EXPECT_EQ(undo.LiveRowCount(), 0u);
  EXPECT_EQ(ReadDataPacket(files.At(FileIn("Note.xml"))).Fields(), Tdm1::NoteFields());
}

TEST_F(DataModule, DamagedUserTablesAreKeptAsideNeverOverwritten) {
  WriteUserTables();
  files.At(FileIn("Note.xml")) = "<DATAPACKET><METADATA>";  // truncated
  files.files[ToLowerAscii(FileIn("Note.xml.damaged"))] = "an earlier damaged copy";
  // A packet that parses but lacks a field the program reads is damaged too.
  testing::WriteTable(files, FileIn("Undo.xml"), {{"TwkID", FieldType::I4, 0, false, false}}, {{"3"}});
  const std::string undoBefore = files.At(FileIn("Undo.xml"));

  Tdm1 dm(engine, files, boxes, kFolder);
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[0].text, UserTableMessage("stored undo actions", "undo.xml", "corrupted", kUndoExtra));
  EXPECT_EQ(boxes.shown[1].text, UserTableMessage("your notes", "note.xml", "corrupted", ""));
  EXPECT_EQ(files.At(FileIn("Undo.xml.damaged")), undoBefore);
  EXPECT_EQ(files.At(FileIn("Note.xml.damaged")), "an earlier damaged copy");
  EXPECT_EQ(files.At(FileIn("Note.xml.damaged-2")), "<DATAPACKET><METADATA>");
  EXPECT_EQ(ReadDataPacket(files.At(FileIn("Undo.xml"))).Fields(), Tdm1::UndoFields());
  EXPECT_TRUE(dm.cdsUndo.Active());
}

TEST_F(DataModule, AnUndoFileWithNarrowerFieldsTakesLongDataWhole) {
  WriteUserTables();  // written with the actions' 255-character fields
  const std::string longData(1000, 'd');
  const std::string longKey = "Software\\" + std::string(400, 'k');
  {
    Tdm1 dm(engine, files, boxes, kFolder);
    ASSERT_TRUE(dm.LocateTweak(1));
    dm.cdsUndo.SetReadOnly(false);
    dm.cdsUndo.Append();
    dm.cdsUndo.SetAsString("Key", longKey);
    dm.cdsUndo.SetAsString("Data", longData);
    dm.cdsUndo.Post();
    dm.cdsUndo.SetReadOnly(true);
  }
  Tdm1 dm(engine, files, boxes, kFolder);
  ASSERT_TRUE(dm.LocateTweak(1));
  EXPECT_EQ(dm.cdsUndo.AsString("Data"), longData);
  EXPECT_EQ(dm.cdsUndo.AsString("Key"), longKey);
}

TEST_F(DataModule, ShippedTableFailuresSetTheLoadStatus) {
  WriteUserTables();
  struct Case {
    const char* name;
    const char* file;
    std::string content;
    int status;
  };
  const Case cases[] = {
      {"damaged Twks.xml", "Twks.xml", "<DATAPACKET>", lsTweaksFailed},
      {"Twks.xml without Title", "Twks.xml",
       WriteDataPacket(TableData({{"TwkID", FieldType::I4, 0, false, false}})), lsTweaksFailed},
      {"damaged Data.xml", "Data.xml", "not xml", lsActionsFailed},
      {"Data.xml with a 32-bit VerMask", "Data.xml",
       WriteDataPacket(TableData([] {
         FieldDefs f = Tdm1::ActionFields();
         f.back().type = FieldType::I4;
         return f;
       }())),
       lsActionsFailed},
  };
  for (const Case& c : cases) {
    MemoryFileStore copy = files;
    copy.At(FileIn(c.file)) = c.content;
    XmlPacketEngine copyEngine(copy);
    RecordingMessageBoxes quiet;
    int before = copy.changes;
    {
      Tdm1 dm(copyEngine, copy, quiet, kFolder);
      EXPECT_EQ(dm.LoadStatus(), c.status) << c.name;
      EXPECT_TRUE(quiet.shown.empty()) << c.name << ": the main window reports it";
      EXPECT_FALSE(dm.cdsUndo.Active()) << c.name;
    }
    EXPECT_EQ(copy.changes, before) << c.name << ": nothing is written";
  }
}

// The engine can fail as a whole; its message decides between status 3 and 1.
class FailingEngine final : public PacketEngine {
 public:
  explicit FailingEngine(bool engineMissing) : engineMissing_(engineMissing) {}
  TableData Load(const std::string& path) override { Fail(path); }
  void Save(const std::string& path, const TableData&) override { Fail(path); }

 private:
  [[noreturn]] void Fail(const std::string& path) {
    // A failure that merely mentions the engine is still a damaged file.
    if (!engineMissing_) throw DataPacketError(path + ": Error loading MIDAS.DLL");
    throw EngineUnavailableError("Error loading MIDAS.DLL");
  }
  bool engineMissing_;
};

TEST_F(DataModule, AnEngineThatCannotLoadGivesStatusThree) {
  for (const auto& [engineMissing, status] : {std::pair{true, lsEngineFailed}, std::pair{false, lsTweaksFailed}}) {
    FailingEngine failing(engineMissing);
    Tdm1 dm(failing, files, boxes, kFolder);
    EXPECT_EQ(dm.LoadStatus(), status) << engineMissing;
  }
}

TEST(LoadFailure, MessagesNameTheFailedFile) {
  EXPECT_EQ(LoadFailureMessage(0), "");
  EXPECT_EQ(LoadFailureMessage(1),
            "Cordalis's essential database file Twks.xml is present in the program's folder, but it is corrupted."
            "\r\n\r\nWithout this database file, it is impossible for Cordalis to function. You will need to "
            "reinstall the program.\r\n\r\nClick OK to terminate.");
  EXPECT_NE(LoadFailureMessage(2).find("database file Data.xml is present"), std::string::npos);
  EXPECT_EQ(LoadFailureMessage(3),
            "Cordalis relies on the support file MIDAS.DLL for database handling. This file is apparently absent "
            "from your Windows System folder. Please reinstall Cordalis.");
}

TEST(PreCheck, NamesTheMissingShippedFiles) {
  struct Case {
    bool tweaks, actions;
    const char* subject;
  };
  const Case cases[] = {{false, true, "twks.xml database is"},
                        {true, false, "data.xml database is"},
                        {false, false, "twks.xml and data.xml databases are"}};
  for (const Case& c : cases) {
    MemoryFileStore files;
    if (c.tweaks) files.files[ToLowerAscii(FileIn("TWKS.XML"))] = "x";
    if (c.actions) files.files[ToLowerAscii(FileIn("data.xml"))] = "x";
    RecordingMessageBoxes boxes;
    EXPECT_FALSE(DatabasePreCheck(files, boxes, kFolder));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].owner, MsgOwner::None);
    EXPECT_EQ(boxes.shown[0].icon, MsgIcon::Error);
    EXPECT_EQ(boxes.shown[0].text,
              std::string("Cordalis's essential ") + c.subject + " not present in the program's folder (" + kFolder +
                  ").\r\n\r\nWithout the database files, it is impossible for Cordalis to function. You will need "
                  "to reinstall the program.\r\n\r\nClick OK to terminate");
    EXPECT_EQ(files.changes, 0);
  }
  MemoryFileStore both;
  testing::WriteSampleCatalogue(both, kFolder);
  RecordingMessageBoxes none;
  EXPECT_TRUE(DatabasePreCheck(both, none, kFolder));
  EXPECT_TRUE(none.shown.empty());
}

}  // namespace
}  // namespace cordalis
