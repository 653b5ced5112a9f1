// The journal of a table: what it plays over the table file is exactly what
// was written, a cut-short end is passed over whole, and a journal that
// follows another state of the file is never played.
#include "db/table_journal.h"

#include <gtest/gtest.h>

#include <memory>

#include "db/data_packet.h"
#include "db/dm1.h"
#include "db/packet_engine.h"
#include "doubles/memory_file_store.h"
#include "doubles/recording_message_boxes.h"
#include "host/file_store.h"
#include "support/table_files.h"

namespace cordalis {
namespace {

using testing::MakeTable;
using testing::MemoryFileStore;

const std::string kTable = "app/Undo.xml";

class TableJournalTest : public ::testing::Test {
 protected:
  TableJournalTest() {
    base_ = MakeTable(Tdm1::UndoFields(), {{"1", "HKCU", "Software\\A", "a", "1", "1", "", "old", "0"},
                                             {"2", "HKLM", "Software\\B", "", "4", "1", "", "7", "0"},
                                             {"3", "HKCU", "Software\\C", "c", "0", "3", "", "", "0"}});
    ReplaceFileAtomically(files_, kTable, WriteDataPacket(base_));
  }
  // The rows as the file and the journal beside it give them, and what the
  // journal found wrong with itself.
  TableData Played(std::string* damage = nullptr, const FieldDefs& kept = Tdm1::UndoFields()) {
    TableData data = ReadDataPacket(files_.At(kTable));
    TableJournal journal(files_, kTable, kept);
    journal.PlayOver(data);
    if (damage) *damage = journal.Damage();
    return data;
  }

  // One change to the last row in a write of its own; the rows after it.
  static std::string WriteFirstChange(TableData& data, TableJournal& journal) {
    data.SetText(2, 7, "first write");
    journal.RowChanged(data, 2);
    journal.Write();
    return WriteDataPacket(data);
  }

  MemoryFileStore files_;
  TableData base_;
};

// Every byte a text can hold, a null, the smallest number, a change and a deletion.
void ChangeRows(TableData& data, TableJournal& journal) {
  std::string everyByte;
  for (int b = 0; b < 256; ++b) everyByte.push_back(static_cast<char>(b));
  const RowId added = data.AddRow();
  data.SetNumber(added, 0, -2147483647 - 1);
  data.SetText(added, 2, everyByte);
  journal.RowAdded(data, added);
  data.SetText(0, 7, "changed");
  data.SetNull(0, 3);
  journal.RowChanged(data, 0);
  data.DeleteRow(1);
  journal.RowDeleted(1);
}

TEST_F(TableJournalTest, PlaysBackExactlyWhatEachWriteRecorded) {
  TableData data = base_;
  TableJournal journal(files_, kTable, Tdm1::UndoFields());
  ChangeRows(data, journal);
  journal.Write();
  const RowId late = data.AddRow();
  data.SetText(late, 2, "after the first write");
  journal.RowAdded(data, late);
  journal.Write();
  EXPECT_EQ(WriteDataPacket(Played()), WriteDataPacket(data));
}

TEST_F(TableJournalTest, AWriteCutShortIsPassedOverWhole) {
  TableData data = base_;
  TableJournal journal(files_, kTable, Tdm1::UndoFields());
  const std::string afterFirst = WriteFirstChange(data, journal);
  const std::string whole = files_.At(journal.Path());
  ChangeRows(data, journal);  // three records in one write: all or none
  journal.Write();
  const std::string journalBytes = files_.At(journal.Path());
  std::string damage;
  for (std::size_t cut = whole.size(); cut < journalBytes.size(); ++cut) {
    files_.At(journal.Path()) = journalBytes.substr(0, cut);
    EXPECT_EQ(WriteDataPacket(Played(&damage)), afterFirst) << "cut after " << cut << " bytes";
    EXPECT_EQ(damage, "") << "a crash's cut is no damage";
  }
  const std::size_t lost = journalBytes.size() - whole.size();
  for (const char fill : {'x', '\0'}) {
    files_.At(journal.Path()) = journalBytes.substr(0, whole.size()) + std::string(lost, fill);
    EXPECT_EQ(WriteDataPacket(Played(&damage)), afterFirst) << "a write whose bytes are not what was written";
    EXPECT_EQ(damage, "");
  }
  files_.At(journal.Path()) = journalBytes.substr(0, whole.size()) + std::string(4 * lost, '\0');
  EXPECT_EQ(WriteDataPacket(Played(&damage)), afterFirst) << "the disk gave back zeros beyond the end";
  EXPECT_EQ(damage, "");
}

// Damage that no crash makes is told, and what comes before it is played.
TEST_F(TableJournalTest, DamageBeforeItsEndIsToldAndWhatPrecedesItPlayed) {
  TableData data = base_;
  TableJournal journal(files_, kTable, Tdm1::UndoFields());
  const std::string afterFirst = WriteFirstChange(data, journal);
  const std::size_t firstEnds = files_.At(journal.Path()).size();
  ChangeRows(data, journal);
  journal.Write();
  data.SetText(2, 7, "third write");
  journal.RowChanged(data, 2);
  journal.Write();
  const std::string journalBytes = files_.At(journal.Path());
  std::string damage;

  files_.At(journal.Path())[firstEnds + 12] ^= 0x55;  // a byte of the second write's records
  EXPECT_EQ(WriteDataPacket(Played(&damage)), afterFirst);
  EXPECT_EQ(damage, "a part of it that is not its end cannot be read");

  files_.At(journal.Path()) = journalBytes;
  files_.At(kTable) = WriteDataPacket(base_);
  TableData fewer = base_;  // the file without the row the first write changes, fingerprinted as the real one
  fewer.DeleteRow(2);
  TableJournal wrongRows(files_, kTable, Tdm1::UndoFields());
  wrongRows.PlayOver(fewer);
  EXPECT_EQ(wrongRows.Damage(), "it records a change that does not fit the table");

  files_.At(journal.Path()) = journalBytes + std::string(4 * kMaxPacketBytes, 'j');
  EXPECT_EQ(WriteDataPacket(Played(&damage)), WriteDataPacket(base_)) << "longer than any run writes";
  EXPECT_NE(damage.find("larger than"), std::string::npos) << damage;
}

// A crash cuts a frame short; it never writes a wrong length. A length
// damaged in any frame, by any bit, is told; the frame's records are whole,
// found by their own lengths and its checksum, and the frames after it play.
TEST_F(TableJournalTest, ADamagedLengthIsToldAndNoFrameIsLost) {
  TableData data = base_;
  TableJournal journal(files_, kTable, Tdm1::UndoFields());
  WriteFirstChange(data, journal);
  const std::size_t secondStarts = files_.At(journal.Path()).size();
  ChangeRows(data, journal);
  journal.Write();
  const std::size_t thirdStarts = files_.At(journal.Path()).size();
  data.SetText(2, 7, "third write");
  journal.RowChanged(data, 2);
  journal.Write();
  const std::string all = WriteDataPacket(data);
  const std::string journalBytes = files_.At(journal.Path());
  constexpr std::size_t kFirstStarts = 24;  // after the journal's header
  for (const std::size_t frame : {kFirstStarts, secondStarts, thirdStarts}) {
    for (int bit = 0; bit < 32; ++bit) {
      files_.At(journal.Path()) = journalBytes;
      files_.At(journal.Path())[frame + static_cast<std::size_t>(bit / 8)] ^= static_cast<char>(1 << (bit % 8));
      std::string damage;
      EXPECT_EQ(WriteDataPacket(Played(&damage)), all) << "the frame at " << frame << ", bit " << bit;
      EXPECT_EQ(damage, "the length of one of its parts is damaged") << "the frame at " << frame << ", bit " << bit;
    }
  }
}

// Rows are held to the widths the program keeps: a row wider than that is
// not the journal of any run, and the table is not widened to take it. A file
// an earlier release wrote with narrower fields takes what the program keeps.
TEST_F(TableJournalTest, ARowWiderThanTheProgramKeepsDoesNotFit) {
  FieldDefs narrow = Tdm1::NoteFields();
  narrow[1].width = 10;
  ReplaceFileAtomically(files_, kTable, WriteDataPacket(MakeTable(narrow, {{"1", "short"}})));
  TableData widened = ReadDataPacket(files_.At(kTable));
  TableJournal earlier(files_, kTable, Tdm1::NoteFields());
  widened.WidenField(1, 4096);
  widened.SetText(0, 1, std::string(4096, 'n'));
  earlier.RowChanged(widened, 0);
  earlier.Write();
  std::string damage;
  EXPECT_EQ(Played(&damage, Tdm1::NoteFields()).Text(0, 1), std::string(4096, 'n'));
  EXPECT_EQ(damage, "");
  files_.Remove(earlier.Path());

  TableData notes = MakeTable(Tdm1::NoteFields(), {{"1", "kept"}});
  ReplaceFileAtomically(files_, kTable, WriteDataPacket(notes));
  TableData data = notes;
  TableJournal journal(files_, kTable, Tdm1::NoteFields());
  data.SetText(0, 1, "played");
  journal.RowChanged(data, 0);
  journal.Write();
  const std::string played = WriteDataPacket(data);
  data.WidenField(1, 5000);
  const RowId wide = data.AddRow();
  data.SetNumber(wide, 0, 2);
  data.SetText(wide, 1, std::string(5000, 'w'));
  journal.RowAdded(data, wide);
  journal.Write();

  TableData loaded = ReadDataPacket(files_.At(kTable));
  TableJournal again(files_, kTable, Tdm1::NoteFields());
  again.PlayOver(loaded);
  EXPECT_EQ(again.Damage(), "it records a change that does not fit the table");
  EXPECT_EQ(WriteDataPacket(loaded), played) << "the field is as wide as before";
}

TEST_F(TableJournalTest, AJournalThatFollowsAnotherStateOfTheFileIsNotPlayed) {
  TableData data = base_;
  TableJournal journal(files_, kTable, Tdm1::UndoFields());
  ChangeRows(data, journal);
  journal.Write();
  const std::string journalBytes = files_.At(journal.Path());
  // The table was written whole and the power went before the journal was removed.
  ReplaceFileAtomically(files_, kTable, WriteDataPacket(data));
  EXPECT_EQ(WriteDataPacket(Played()), WriteDataPacket(data));
  // Another file put in its place.
  ReplaceFileAtomically(files_, kTable, WriteDataPacket(base_));
  files_.At(journal.Path()) = journalBytes;
  files_.At(kTable) += " ";
  TableData other = ReadDataPacket(files_.At(kTable));
  TableJournal again(files_, kTable, Tdm1::UndoFields());
  EXPECT_FALSE(again.PlayOver(other));
  EXPECT_EQ(other.LiveRowCount(), 3u);
}

// Through the data module: a crash leaves the journal, the next start writes
// it into the file; a write that fails part-way is made good by writing the
// table whole.
class JournaledUndoTable : public ::testing::Test {
 protected:
  JournaledUndoTable() { testing::WriteSampleCatalogue(files, "app"); }
  void AddUndoRow(Tdm1& dm, const std::string& key) {
    ASSERT_TRUE(dm.LocateTweak(1));
    dm.cdsUndo.SetReadOnly(false);
    dm.cdsUndo.Append();
    dm.cdsUndo.SetAsString("Key", key);
    dm.cdsUndo.Post();
    dm.cdsUndo.SetReadOnly(true);
  }
  // Deletes the row of tweak 1 whose key is given.
  void DeleteUndoRow(Tdm1& dm, const std::string& key) {
    ASSERT_TRUE(dm.LocateTweak(1));
    for (dm.cdsUndo.First(); !dm.cdsUndo.Eof(); dm.cdsUndo.Next())
      if (dm.cdsUndo.AsString("Key") == key) break;
    ASSERT_FALSE(dm.cdsUndo.Eof()) << key;
    dm.cdsUndo.SetReadOnly(false);
    dm.cdsUndo.Delete();
    dm.cdsUndo.SetReadOnly(true);
  }
  std::vector<std::string> KeysOnDisk() {
    std::vector<std::string> keys;
    const TableData data = ReadDataPacket(files.At(PathInFolder("app", "Undo.xml")));
    for (RowId row = 0; row < data.RowSlots(); ++row)
      if (data.IsLive(row)) keys.emplace_back(data.Text(row, 2));
    return keys;
  }
  MemoryFileStore files;
  XmlPacketEngine engine{files};
  testing::RecordingMessageBoxes boxes;
};

TEST_F(JournaledUndoTable, TheStartAfterACrashWritesTheJournalIntoTheFile) {
  { Tdm1 first(engine, files, boxes, "app"); }
  {
    Tdm1 dm(engine, files, boxes, "app");
    AddUndoRow(dm, "one");
    AddUndoRow(dm, "two");
    files.crashAt = files.changes + 1;  // the power goes before the tables close
  }
  files.crashed = false;
  files.crashAt.reset();
  EXPECT_TRUE(KeysOnDisk().empty());
  Tdm1 dm(engine, files, boxes, "app");
  EXPECT_EQ(KeysOnDisk(), (std::vector<std::string>{"one", "two"}));
  EXPECT_FALSE(files.Exists(PathInFolder("app", "Undo.xml.journal")));
  AddUndoRow(dm, "three");  // journaled afresh, after the file it now follows
  dm.Close();
  EXPECT_EQ(KeysOnDisk(), (std::vector<std::string>{"one", "two", "three"}));
}

TEST_F(JournaledUndoTable, AJournalWriteThatFailsIsMadeGoodByWritingTheTableWhole) {
  auto dm = std::make_unique<Tdm1>(engine, files, boxes, "app");
  AddUndoRow(*dm, "one");
  files.failAt = files.changes + 1;  // the disk fills up part-way through the next append
  EXPECT_THROW(AddUndoRow(*dm, "two"), FileError);
  files.failAt.reset();
  AddUndoRow(*dm, "three");
  EXPECT_EQ(KeysOnDisk(), (std::vector<std::string>{"one", "two", "three"})) << "written whole at once";
  AddUndoRow(*dm, "four");
  EXPECT_EQ(KeysOnDisk().size(), 3u) << "and journaled again";
  files.crashed = true;  // the power goes
  dm.reset();
  files.crashed = false;
  Tdm1 after(engine, files, boxes, "app");
  EXPECT_EQ(KeysOnDisk(), (std::vector<std::string>{"one", "two", "three", "four"}));
}

// The file written whole holds no slot of a row deleted before it, so the
// records journaled after it must name rows as that file numbers them.
TEST_F(JournaledUndoTable, RowsJournaledAfterATableWrittenWholeMidRunAreNamedAsThatFileHasThem) {
  auto dm = std::make_unique<Tdm1>(engine, files, boxes, "app");
  AddUndoRow(*dm, "one");
  AddUndoRow(*dm, "two");
  AddUndoRow(*dm, "three");
  DeleteUndoRow(*dm, "one");
  files.failAt = files.changes + 1;
  EXPECT_THROW(AddUndoRow(*dm, "four"), FileError);
  files.failAt.reset();
  AddUndoRow(*dm, "five");
  ASSERT_EQ(KeysOnDisk(), (std::vector<std::string>{"two", "three", "four", "five"})) << "written whole";
  AddUndoRow(*dm, "six");
  DeleteUndoRow(*dm, "two");
  DeleteUndoRow(*dm, "six");
  AddUndoRow(*dm, "seven");
  files.crashed = true;
  dm.reset();
  files.crashed = false;
  dm = std::make_unique<Tdm1>(engine, files, boxes, "app");
  EXPECT_EQ(KeysOnDisk(), (std::vector<std::string>{"three", "four", "five", "seven"}));
  // The start wrote the played rows whole, deleted ones among them; the
  // journal begun after it numbers rows as that file does too.
  AddUndoRow(*dm, "eight");
  DeleteUndoRow(*dm, "three");
  files.crashed = true;
  dm.reset();
  files.crashed = false;
  Tdm1 last(engine, files, boxes, "app");
  EXPECT_EQ(KeysOnDisk(), (std::vector<std::string>{"four", "five", "seven", "eight"}));
}

}  // namespace
}  // namespace cordalis
