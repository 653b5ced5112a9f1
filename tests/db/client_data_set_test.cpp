#include "db/client_data_set.h"

#include <gtest/gtest.h>

#include "db/data_packet.h"
#include "db/dm1.h"
#include "db/packet_engine.h"
#include "doubles/memory_file_store.h"
#include "doubles/recording_message_boxes.h"
#include "support/table_files.h"

namespace cordalis {
namespace {

using testing::MemoryFileStore;
using testing::RecordingMessageBoxes;

class DataModuleTables : public ::testing::Test {
 protected:
  DataModuleTables() { testing::WriteSampleCatalogue(files, "app"); }

  std::vector<std::string> Column(ClientDataSet& table, const std::string& field) {
    std::vector<std::string> values;
    for (table.First(); !table.Eof(); table.Next()) values.push_back(table.AsString(field));
    return values;
  }

  MemoryFileStore files;
  XmlPacketEngine engine{files};
  RecordingMessageBoxes boxes;
};

TEST_F(DataModuleTables, TweaksAreOrderedByNumber) {
  Tdm1 dm(engine, files, boxes, "app");
  EXPECT_EQ(Column(dm.cdsTwks, "TwkID"), (std::vector<std::string>{"1", "2", "5"}));
}

TEST_F(DataModuleTables, DetailsPresentTheCurrentTweaksRowsInStoredOrder) {
  Tdm1 dm(engine, files, boxes, "app");
  ASSERT_TRUE(dm.LocateTweak(1));
  EXPECT_EQ(Column(dm.cdsData, "Value"), (std::vector<std::string>{"One", "Two"}));
  ASSERT_TRUE(dm.LocateTweak(5));
  EXPECT_EQ(Column(dm.cdsData, "Root"), (std::vector<std::string>{"HKLM", "HKCR"}));
  ASSERT_TRUE(dm.LocateTweak(2));
  EXPECT_TRUE(dm.cdsData.IsEmpty());
  EXPECT_TRUE(dm.cdsData.Eof());
  EXPECT_FALSE(dm.LocateTweak(3));
  EXPECT_EQ(dm.cdsTwks.AsInteger("TwkID"), 2) << "a failed search leaves the current row";

  // Iterating the master moves the details with it.
  std::vector<int> counts;
  for (dm.cdsTwks.First(); !dm.cdsTwks.Eof(); dm.cdsTwks.Next()) counts.push_back(dm.cdsData.RecordCount());
  EXPECT_EQ(counts, (std::vector<int>{2, 0, 2}));
}

TEST_F(DataModuleTables, WritesFollowTheProtocol) {
  Tdm1 dm(engine, files, boxes, "app");
  ASSERT_TRUE(dm.LocateTweak(5));
  EXPECT_THROW(dm.cdsUndo.Append(), DataSetError) << "tables are read-only until a writer clears the mark";
  EXPECT_THROW(dm.cdsData.Edit(), DataSetError);

  dm.cdsUndo.SetReadOnly(false);
  for (const char* key : {"K1", "K2", "K3"}) {
    dm.cdsUndo.Append();
    dm.cdsUndo.SetAsString("Root", "HKCU");
    dm.cdsUndo.SetAsString("Key", key);
    dm.cdsUndo.SetAsInteger("ChangeType", 2);
    dm.cdsUndo.Post();
  }
  EXPECT_EQ(dm.cdsUndo.AsInteger("TwkID"), 5) << "a new detail row belongs to the current tweak";
  ASSERT_TRUE(dm.LocateTweak(1));
  EXPECT_TRUE(dm.cdsUndo.IsEmpty());
  ASSERT_TRUE(dm.LocateTweak(5));
  EXPECT_EQ(Column(dm.cdsUndo, "Key"), (std::vector<std::string>{"K1", "K2", "K3"}));

  // Deleting within the subset: the next row becomes current; the last leaves it empty.
  dm.cdsUndo.First();
  dm.cdsUndo.Next();
  dm.cdsUndo.Delete();
  EXPECT_EQ(dm.cdsUndo.AsString("Key"), "K3");
  dm.cdsUndo.First();
  while (!dm.cdsUndo.Eof()) dm.cdsUndo.Delete();
  EXPECT_TRUE(dm.cdsUndo.IsEmpty());
  dm.cdsUndo.SetReadOnly(true);
}

// A row whose key changes leaves its tweak's rows and joins the other's in
// stored order: an older row goes before a newer one, wherever it was.
TEST_F(DataModuleTables, ARowWhoseKeyChangesMovesToItsNewKeysRowsInStoredOrder) {
  Tdm1 dm(engine, files, boxes, "app");
  auto add = [&](std::int32_t tweak, const char* key) {
    ASSERT_TRUE(dm.LocateTweak(tweak));
    dm.cdsUndo.Append();
    dm.cdsUndo.SetAsString("Key", key);
    dm.cdsUndo.Post();
  };
  dm.cdsUndo.SetReadOnly(false);
  add(5, "K1");
  add(5, "K2");
  add(1, "K3");
  ASSERT_TRUE(dm.LocateTweak(5));
  dm.cdsUndo.First();
  dm.cdsUndo.Edit();
  dm.cdsUndo.SetAsInteger("TwkID", 1);
  dm.cdsUndo.Post();
  EXPECT_EQ(dm.cdsUndo.AsString("Key"), "K2") << "the row left the subset; the next one is current";
  EXPECT_EQ(Column(dm.cdsUndo, "Key"), (std::vector<std::string>{"K2"}));
  ASSERT_TRUE(dm.LocateTweak(1));
  EXPECT_EQ(Column(dm.cdsUndo, "Key"), (std::vector<std::string>{"K1", "K3"}));
  EXPECT_EQ(dm.cdsUndo.KeyCount(1), 2);
  EXPECT_EQ(dm.cdsUndo.KeyCount(5), 1);
  EXPECT_EQ(dm.cdsUndo.KeyCount(2), 0);
  EXPECT_EQ(dm.cdsUndo.RowsWithKey(1).size(), 2u);

  // Back again, from the last place of its new tweak's rows.
  dm.cdsUndo.First();
  dm.cdsUndo.Edit();
  dm.cdsUndo.SetAsInteger("TwkID", 5);
  dm.cdsUndo.Post();
  ASSERT_TRUE(dm.LocateTweak(5));
  EXPECT_EQ(Column(dm.cdsUndo, "Key"), (std::vector<std::string>{"K1", "K2"}));
  dm.cdsUndo.SetReadOnly(true);
}

TEST_F(DataModuleTables, TextWiderThanItsFieldIsRefusedNeverCutAndFieldsHaveTheirTypes) {
  Tdm1 dm(engine, files, boxes, "app");
  ASSERT_TRUE(dm.LocateTweak(1));
  dm.cdsNote.SetReadOnly(false);
  dm.cdsNote.Append();
  EXPECT_THROW(dm.cdsNote.SetAsString("Note", std::string(4097, 'n')), DataSetError);
  EXPECT_TRUE(dm.cdsNote.IsNull("Note")) << "nothing of the refused text was kept";
  dm.cdsNote.SetAsString("Note", std::string(4096, 'n'));
  EXPECT_THROW(dm.cdsNote.SetAsString("TwkID", "1"), DataSetError);
  EXPECT_THROW(dm.cdsNote.SetAsString("NoSuchField", "1"), DataSetError);
  dm.cdsNote.Post();
  dm.cdsNote.SetReadOnly(true);
  EXPECT_EQ(dm.cdsNote.AsString("Note"), std::string(4096, 'n'));
  // A text field read as a number takes the one integer syntax, whole.
  for (const char* text : {"12abc", "1 2", "0x", "$"}) {
    dm.cdsNote.SetReadOnly(false);
    dm.cdsNote.Edit();
    dm.cdsNote.SetAsString("Note", text);
    dm.cdsNote.Post();
    dm.cdsNote.SetReadOnly(true);
    EXPECT_THROW(dm.cdsNote.AsInteger("Note"), DataSetError) << text;
  }
  dm.cdsNote.SetReadOnly(false);
  dm.cdsNote.Edit();
  dm.cdsNote.SetAsString("Note", " -$1F");
  dm.cdsNote.Post();
  dm.cdsNote.SetReadOnly(true);
  EXPECT_EQ(dm.cdsNote.AsInteger("Note"), -31);

  dm.cdsTwks.SetReadOnly(false);
  dm.cdsTwks.Edit();
  EXPECT_THROW(dm.cdsTwks.SetAsInteger("TwkID", 9), DataSetError) << "the tweak number is read-only";
  dm.cdsTwks.Cancel();
  dm.cdsTwks.SetReadOnly(true);
}

TEST_F(DataModuleTables, AFinishedWriterHasSavedItsTable) {
  {
    Tdm1 dm(engine, files, boxes, "app");
    int before = files.changes;
    ASSERT_TRUE(dm.LocateTweak(1));
    dm.cdsTwks.SetReadOnly(false);
    dm.cdsTwks.Edit();
    dm.cdsTwks.SetAsBoolean("Hide", true);
    dm.cdsTwks.Post();
    EXPECT_EQ(files.changes, before) << "nothing is written while the writer works";
    dm.cdsTwks.SetReadOnly(true);
    EXPECT_GT(files.changes, before);
    files.crashed = true;  // the process dies: no close, no further writes
  }
  files.crashed = false;
  Tdm1 dm(engine, files, boxes, "app");
  ASSERT_TRUE(dm.LocateTweak(1));
  EXPECT_TRUE(dm.cdsTwks.AsBoolean("Hide"));
}

// A save point costs one small write: the rows go to the undo table's
// journal, and the table file is written whole only when the tables close.
TEST_F(DataModuleTables, PersistPutsRowsInTheJournalAndClosingWritesTheFile) {
  const std::string undoFile = PathInFolder("app", "Undo.xml"), journal = undoFile + ".journal";
  Tdm1 dm(engine, files, boxes, "app");
  const std::string before = files.At(undoFile);
  ASSERT_TRUE(dm.LocateTweak(2));
  dm.cdsUndo.SetReadOnly(false);
  dm.cdsUndo.Append();
  dm.cdsUndo.SetAsString("Key", "Written ahead");
  dm.cdsUndo.Post();
  dm.cdsUndo.Persist();
  ASSERT_TRUE(files.Exists(journal));
  EXPECT_NE(files.At(journal).find("Written ahead"), std::string::npos);
  EXPECT_EQ(files.At(undoFile), before);
  dm.cdsUndo.SetReadOnly(true);
  dm.Close();
  EXPECT_NE(files.At(undoFile).find("Written ahead"), std::string::npos);
  EXPECT_FALSE(files.Exists(journal));
}

// A run that applies and undoes a tweak over and over: the journal never
// grows much longer than the table it follows.
TEST_F(DataModuleTables, AJournalLongerThanItsTableGoesIntoTheTableFile) {
  const std::string journal = PathInFolder("app", "Undo.xml") + ".journal";
  Tdm1 dm(engine, files, boxes, "app");
  ASSERT_TRUE(dm.LocateTweak(2));
  const std::string data(100000, 'd');
  std::size_t longest = 0;
  bool compacted = false;
  for (int round = 0; round < 30; ++round) {
    dm.cdsUndo.SetReadOnly(false);
    dm.cdsUndo.Append();
    dm.cdsUndo.SetAsString("Data", data);
    dm.cdsUndo.Post();
    dm.cdsUndo.SetReadOnly(true);
    dm.cdsUndo.SetReadOnly(false);
    dm.cdsUndo.First();
    dm.cdsUndo.Delete();
    dm.cdsUndo.SetReadOnly(true);
    const std::size_t now = files.Exists(journal) ? files.At(journal).size() : 0;
    compacted = compacted || now < longest;
    longest = std::max(longest, now);
  }
  EXPECT_TRUE(compacted);
  EXPECT_LT(longest, (1u << 20) + 2 * data.size()) << "the slack and one round's records";
}

TEST_F(DataModuleTables, SavedBytesFollowEveryChangeExactly) {
  Tdm1 dm(engine, files, boxes, "app");
  auto written = [](const ClientDataSet& t) { return WriteDataPacket(t.Data()).size(); };
  ASSERT_TRUE(dm.LocateTweak(5));
  EXPECT_EQ(dm.cdsUndo.SavedBytes(), written(dm.cdsUndo)) << "as loaded";
  dm.cdsUndo.SetReadOnly(false);
  for (const char* key : {"K&1", "K\"\x01\x81", "Software\\K3"}) {
    dm.cdsUndo.Append();
    dm.cdsUndo.SetAsString("Key", key);
    dm.cdsUndo.SetAsInteger("DataType", -2147483647 - 1);
    dm.cdsUndo.Post();
    EXPECT_EQ(dm.cdsUndo.SavedBytes(), written(dm.cdsUndo)) << key;
  }
  dm.cdsUndo.First();
  dm.cdsUndo.Edit();
  dm.cdsUndo.SetAsString("Data", std::string(300, '<'));
  dm.cdsUndo.SetNull("Key");
  dm.cdsUndo.Post();
  EXPECT_EQ(dm.cdsUndo.SavedBytes(), written(dm.cdsUndo)) << "edited";
  dm.cdsUndo.Delete();
  EXPECT_EQ(dm.cdsUndo.SavedBytes(), written(dm.cdsUndo)) << "deleted";
  dm.cdsUndo.SetReadOnly(true);

  dm.cdsTwks.SetReadOnly(false);
  dm.cdsTwks.Edit();
  dm.cdsTwks.SetAsBoolean("Hide", true);
  dm.cdsTwks.Post();
  EXPECT_EQ(dm.cdsTwks.SavedBytes(), written(dm.cdsTwks)) << "a table with an auto-increment field";
  dm.cdsTwks.SetReadOnly(true);
}

TEST_F(DataModuleTables, PostRefusesARowThatWouldMakeTheFileTooLarge) {
  Tdm1 dm(engine, files, boxes, "app");
  ASSERT_TRUE(dm.LocateTweak(5));
  // Control bytes are written eight bytes each, so few rows reach the limit.
  const std::string bulky((1u << 20) - 1000, '\x01');
  dm.cdsUndo.SetReadOnly(false);
  while (dm.cdsUndo.SavedBytes() + 8 * bulky.size() + 1000 <= kMaxPacketBytes) {
    dm.cdsUndo.Append();
    dm.cdsUndo.SetAsString("Data", bulky);
    dm.cdsUndo.Post();
  }
  const int rows = dm.cdsUndo.RecordCount();
  const std::size_t before = dm.cdsUndo.SavedBytes();
  dm.cdsUndo.Append();
  dm.cdsUndo.SetAsString("Data", std::string(1u << 20, '\x01'));  // more than the room left
  try {
    dm.cdsUndo.Post();
    ADD_FAILURE() << "posted";
  } catch (const DataSetError& e) {
    EXPECT_NE(std::string(e.what()).find(std::to_string(kMaxPacketBytes) + " bytes"), std::string::npos) << e.what();
  }
  dm.cdsUndo.Cancel();
  EXPECT_EQ(dm.cdsUndo.RecordCount(), rows);
  EXPECT_EQ(dm.cdsUndo.SavedBytes(), before);
  dm.cdsUndo.SetReadOnly(true);
  dm.Close();  // writes what fits
  EXPECT_EQ(ReadDataPacket(files.At(PathInFolder("app", "Undo.xml"))).LiveRowCount(), static_cast<std::size_t>(rows));
}

}  // namespace
}  // namespace cordalis
