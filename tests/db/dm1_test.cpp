#include "db/dm1.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "db/data_packet.h"
#include "db/packet_engine.h"
#include "db/records.h"
#include "db/table_journal.h"
#include "db/user_table_messages.h"
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

// What the packet reader says of these bytes, as the message repeats it.
std::string DamageIn(const std::string& bytes) {
  try {
    ReadDataPacket(bytes);
  } catch (const DataPacketError& e) {
    return e.what();
  }
  return "(no damage)";
}

// The damage message also says what was wrong and where the old file now is.
TEST_F(DataModule, DamagedUserTablesAreKeptAsideNeverOverwritten) {
  WriteUserTables();
  files.At(FileIn("Note.xml")) = "<DATAPACKET><METADATA>";  // truncated
  files.files[ToLowerAscii(FileIn("Note.xml.damaged"))] = "an earlier damaged copy";
  // A packet that parses but lacks a field the program reads is damaged too.
  testing::WriteTable(files, FileIn("Undo.xml"), {{"TwkID", FieldType::I4, 0, false, false}}, {{"3"}});
  const std::string undoBefore = files.At(FileIn("Undo.xml"));

  Tdm1 dm(engine, files, boxes, kFolder);
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[0].text,
            UserTableMessage("stored undo actions", "undo.xml", "corrupted",
                             kUndoExtra + "\r\n\r\nThe old file is damaged (the field Root is missing) and has been "
                                          "kept beside the program as Undo.xml.damaged."));
  EXPECT_EQ(boxes.shown[1].text,
            UserTableMessage("your notes", "note.xml", "corrupted",
                             "\r\n\r\nThe old file is damaged (" + DamageIn("<DATAPACKET><METADATA>") +
                                 ") and has been kept beside the program as Note.xml.damaged-2."));
  EXPECT_EQ(files.At(FileIn("Undo.xml.damaged")), undoBefore);
  EXPECT_EQ(files.At(FileIn("Note.xml.damaged")), "an earlier damaged copy");
  EXPECT_EQ(files.At(FileIn("Note.xml.damaged-2")), "<DATAPACKET><METADATA>");
  EXPECT_EQ(ReadDataPacket(files.At(FileIn("Undo.xml"))).Fields(), Tdm1::UndoFields());
  EXPECT_TRUE(dm.cdsUndo.Active());
  EXPECT_FALSE(dm.ViewOnly());
}

// A note wider than the 4096 characters Cordalis keeps, or a file larger than
// any table it writes, is damage: kept aside and told, never cut to fit and
// never a reason to stop writing for good.
TEST_F(DataModule, WiderOrLargerThanTheProgramKeepsIsDamage) {
  WriteUserTables();
  FieldDefs wide = Tdm1::NoteFields();
  wide[1].width = 100000;
  testing::WriteTable(files, FileIn("Note.xml"), wide, {{"1", std::string(5000, 'n')}});
  files.At(FileIn("Undo.xml")).append(kMaxPacketBytes, ' ');
  Tdm1 dm(engine, files, boxes, kFolder);
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_NE(boxes.shown[0].text.find("is corrupted. Cordalis will create a new empty undo.xml."), std::string::npos);
  EXPECT_NE(boxes.shown[0].text.find("(The file is larger than the " + std::to_string(kMaxPacketBytes) +
                                     " bytes Cordalis reads.) and has been kept beside the program as "
                                     "Undo.xml.damaged."),
            std::string::npos)
      << boxes.shown[0].text;
  EXPECT_NE(boxes.shown[1].text.find("(the field Note is declared 100000 characters wide, more than the 4096 "
                                     "Cordalis keeps) and has been kept beside the program as Note.xml.damaged."),
            std::string::npos)
      << boxes.shown[1].text;
  EXPECT_EQ(files.At(FileIn("Note.xml.damaged")).find(std::string(5000, 'n')) != std::string::npos, true);
  EXPECT_FALSE(dm.ViewOnly());
}

// Where the n-th frame of a journal begins (counted from 0), by the lengths
// of the frames before it.
std::size_t FrameStart(const std::string& journal, int n) {
  std::size_t at = 24;  // after the journal's header
  for (int i = 0; i < n; ++i) {
    std::uint32_t size = 0;
    for (std::size_t b = 4; b-- > 0;) size = size << 8 | static_cast<unsigned char>(journal[at + b]);
    at += 8 + size;
  }
  return at;
}

// A journal damaged before its end, by the disk or another program: what it
// still holds is used, the journal is kept aside before a new one replaces
// it, and the user is told why.
TEST_F(DataModule, ADamagedJournalIsUsedAsFarAsItGoesAndKeptAside) {
  struct Case {
    const char* name;
    std::function<void(std::string&)> damage;
    const char* reason;
    std::vector<std::string> rows;  // the keys of the undo rows in Undo.xml afterwards
  };
  const Case cases[] = {
      {"a byte of a row", [](std::string& journal) { journal[journal.rfind("damaged")] ^= 0x40; },
       "a part of it that is not its end cannot be read", {"played"}},
      {"the length of a frame before the last",
       [](std::string& journal) { journal[FrameStart(journal, 1) + 3] ^= 0x40; },
       "the length of one of its parts is damaged", {"played", "damaged", "after"}},
  };
  for (const Case& c : cases) {
    MemoryFileStore store = files;
    XmlPacketEngine storeEngine(store);
    testing::WriteTable(store, FileIn("Undo.xml"), Tdm1::ActionFields(), {});
    auto first = std::make_unique<Tdm1>(storeEngine, store, boxes, kFolder);
    for (const char* key : {"played", "damaged", "after"}) {  // each in a frame of its own
      ASSERT_TRUE(first->LocateTweak(1));
      first->cdsUndo.SetReadOnly(false);
      first->cdsUndo.Append();
      first->cdsUndo.SetAsString("Key", key);
      first->cdsUndo.Post();
      first->cdsUndo.SetReadOnly(true);
    }
    store.crashed = true;  // the power goes with the rows in the journal only
    first.reset();
    store.crashed = false;
    std::string& journal = store.At(FileIn("Undo.xml.journal"));
    c.damage(journal);
    const std::string damaged = journal;

    RecordingMessageBoxes shown;
    Tdm1 dm(storeEngine, store, shown, kFolder);
    ASSERT_EQ(shown.shown.size(), 1u) << c.name;
    EXPECT_NE(shown.shown[0].text.find(std::string("The journal that an earlier run left is damaged (") + c.reason +
                                       "). Cordalis has used what it could read of it, and has kept it beside the "
                                       "program as Undo.xml.journal.damaged."),
              std::string::npos)
        << c.name << ": " << shown.shown[0].text;
    EXPECT_EQ(store.At(FileIn("Undo.xml.journal.damaged")), damaged) << c.name;
    EXPECT_FALSE(dm.ViewOnly()) << c.name;
    const TableData undo = ReadDataPacket(store.At(FileIn("Undo.xml")));
    std::vector<std::string> keys;
    for (RowId row = 0; row < undo.RowSlots(); ++row)
      if (undo.IsLive(row)) keys.emplace_back(undo.Text(row, 2));
    EXPECT_EQ(keys, c.rows) << c.name;
  }
}

// A note row in the journal wider than the notes' field: the journal is
// damaged, not Note.xml, which keeps its width and stays where it is.
TEST_F(DataModule, AJournalRowWiderThanItsFieldSetsTheJournalAsideNotTheTable) {
  WriteUserTables();
  TableData notes = ReadDataPacket(files.At(FileIn("Note.xml")));
  TableJournal journal(files, FileIn("Note.xml"), Tdm1::NoteFields());
  notes.SetText(0, 1, "played");
  journal.RowChanged(notes, 0);
  journal.Write();
  notes.WidenField(1, 5000);
  const RowId wide = notes.AddRow();
  notes.SetNumber(wide, 0, 5);
  notes.SetText(wide, 1, std::string(5000, 'w'));
  journal.RowAdded(notes, wide);
  journal.Write();
  {
    Tdm1 dm(engine, files, boxes, kFolder);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_NE(boxes.shown[0].text.find("(it records a change that does not fit the table)"), std::string::npos)
        << boxes.shown[0].text;
    EXPECT_NE(boxes.shown[0].text.find("as Note.xml.journal.damaged."), std::string::npos) << boxes.shown[0].text;
    ASSERT_TRUE(dm.LocateTweak(1));
    EXPECT_EQ(dm.cdsNote.AsString("Note"), "played");
  }
  boxes.shown.clear();
  Tdm1 again(engine, files, boxes, kFolder);
  EXPECT_TRUE(boxes.shown.empty()) << boxes.shown[0].text;
  EXPECT_FALSE(files.Exists(FileIn("Note.xml.damaged")));
  EXPECT_EQ(ReadDataPacket(files.At(FileIn("Note.xml"))).Fields(), Tdm1::NoteFields());
  ASSERT_TRUE(again.LocateTweak(1));
  EXPECT_EQ(again.cdsNote.AsString("Note"), "played");
}

// A box that looks at the files at the moment it is shown.
class WatchingBoxes final : public MessageBoxes {
 public:
  explicit WatchingBoxes(std::function<void()> look) : look_(std::move(look)) {}
  MsgAnswer Show(MsgOwner, MsgIcon, const std::string&) override {
    look_();
    return MsgAnswer::Ok;
  }

 private:
  std::function<void()> look_;
};

TEST_F(DataModule, DamageIsToldOnlyOnceTheOldFileIsKeptAndTheNewTableWritten) {
  WriteUserTables();
  files.At(FileIn("Undo.xml")) = "<DATAPACKET";
  int looks = 0;
  WatchingBoxes watching([&] {
    ++looks;
    EXPECT_EQ(files.At(FileIn("Undo.xml.damaged")), "<DATAPACKET");
    EXPECT_EQ(ReadDataPacket(files.At(FileIn("Undo.xml"))).Fields(), Tdm1::UndoFields());
  });
  Tdm1 dm(engine, files, watching, kFolder);
  EXPECT_EQ(looks, 1);
}

// A folder that takes no new file (a limited account under Program Files): the
// run goes on for viewing only, every file stays as it was, and the user is
// told which folder and what to do. It is found out when the lock is taken,
// before any table is opened, also where a lock file an earlier run left there
// still opens for writing: no table is announced missing or damaged, and no
// save point fails later in the middle of DO IT.
TEST_F(DataModule, AReadOnlyFolderOpensTheTablesForViewingOnly) {
  const std::string folderMessage = ReadOnlyFolderMessage(kFolder, "Access is denied.");
  struct Case {
    const char* name;
    const char* undo;  // nullptr: missing
    bool lockFileDenied;
    std::vector<std::string> messages;
  };
  const Case cases[] = {
      {"undo.xml missing, a writable lock file left", nullptr, false, {folderMessage}},
      {"undo.xml damaged, a writable lock file left", "<DATAPACKET", false, {folderMessage}},
      {"the lock file cannot be created", nullptr, true, {folderMessage}},
  };
  for (const Case& c : cases) {
    MemoryFileStore store = files;
    testing::WriteTable(store, FileIn("Note.xml"), Tdm1::NoteFields(), {{"1", "my note"}});
    if (c.undo) store.files[ToLowerAscii(FileIn("Undo.xml"))] = c.undo;
    store.readOnly = true;
    if (c.lockFileDenied) store.lockFails = FileFault::AccessDenied;
    const auto before = store.files;
    XmlPacketEngine storeEngine(store);
    RecordingMessageBoxes shown;
    {
      Tdm1 dm(storeEngine, store, shown, kFolder);
      EXPECT_EQ(dm.LoadStatus(), lsLoaded) << c.name;
      EXPECT_TRUE(dm.ViewOnly()) << c.name;
      std::vector<std::string> texts;
      for (const auto& box : shown.shown) {
        texts.push_back(box.text);
        EXPECT_EQ(box.owner, MsgOwner::None) << c.name;
        EXPECT_EQ(box.icon, MsgIcon::Information) << c.name;
      }
      EXPECT_EQ(texts, c.messages) << c.name;
      ASSERT_TRUE(dm.cdsUndo.Active()) << c.name;
      EXPECT_EQ(dm.cdsUndo.Data().Fields(), Tdm1::UndoFields()) << c.name << ": an empty table in memory";
      ASSERT_TRUE(dm.LocateTweak(1));
      EXPECT_EQ(dm.cdsNote.AsString("Note"), "my note") << c.name;
    }
    EXPECT_EQ(store.files, before) << c.name;
  }
  EXPECT_NE(folderMessage.find(kFolder), std::string::npos);
}

// A missing table that cannot be made (a full disk): announced, then the run
// goes on for viewing only, and nothing is left half made.
TEST_F(DataModule, AMissingTableThatCannotBeMadeGivesAViewOnlyRun) {
  testing::WriteTable(files, FileIn("Note.xml"), Tdm1::NoteFields(), {{"1", "my note"}});
  files.failAt = files.changes + 1;  // the new table's first write
  Tdm1 dm(engine, files, boxes, kFolder);
  EXPECT_TRUE(dm.ViewOnly());
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[0].text, UserTableMessage("stored undo actions", "undo.xml", "missing", kUndoExtra));
  EXPECT_EQ(boxes.shown[1].text.rfind("Cordalis cannot write to its program folder (" + kFolder + ").", 0), 0u);
  EXPECT_FALSE(files.Exists(FileIn("Undo.xml")));
  EXPECT_FALSE(files.Exists(FileIn("Undo.xml.tmp")));
  ASSERT_TRUE(dm.LocateTweak(1));
  EXPECT_EQ(dm.cdsNote.AsString("Note"), "my note");
}

// The old file goes aside, the new table cannot be written (a full disk): the
// old file comes back, and the damage is not announced, as nothing was replaced.
TEST_F(DataModule, ANewTableThatCannotBeWrittenPutsTheDamagedFileBack) {
  WriteUserTables();
  files.At(FileIn("Undo.xml")) = "<DATAPACKET";
  files.failAt = files.changes + 2;  // the move aside, then the new table's first write
  Tdm1 dm(engine, files, boxes, kFolder);
  EXPECT_TRUE(dm.ViewOnly());
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text.rfind("Cordalis cannot write to its program folder (" + kFolder + ").", 0), 0u);
  EXPECT_EQ(files.At(FileIn("Undo.xml")), "<DATAPACKET");
  EXPECT_EQ(files.files.count(ToLowerAscii(FileIn("Undo.xml.damaged"))), 0u);
  EXPECT_EQ(files.files.count(ToLowerAscii(FileIn("Undo.xml.tmp"))), 0u);
}

// The journal that follows the damaged file goes aside with it, and comes
// back with it when no new table can be made.
TEST_F(DataModule, ANewTableThatCannotBeWrittenPutsTheDamagedFileAndItsJournalBack) {
  WriteUserTables();
  files.At(FileIn("Undo.xml")) = "<DATAPACKET";
  files.files[ToLowerAscii(FileIn("Undo.xml.journal"))] = "the journal of the damaged file";
  files.failAt = files.changes + 3;  // the two moves aside, then the new table's first write
  Tdm1 dm(engine, files, boxes, kFolder);
  EXPECT_TRUE(dm.ViewOnly());
  EXPECT_EQ(files.At(FileIn("Undo.xml")), "<DATAPACKET");
  EXPECT_EQ(files.At(FileIn("Undo.xml.journal")), "the journal of the damaged file");
  EXPECT_EQ(files.files.count(ToLowerAscii(FileIn("Undo.xml.damaged"))), 0u);
  EXPECT_EQ(files.files.count(ToLowerAscii(FileIn("Undo.xml.journal.damaged"))), 0u);
}

// A file that another program holds (a virus scanner, a synchronisation tool,
// an editor), or that the account may not read, is not damaged: it is tried
// again a few times, then left as it is, and this run only views the tables.
TEST_F(DataModule, AUserTableThatCannotBeReadIsLeftAsItIs) {
  struct Case {
    const char* name;
    const char* file;  // Undo.xml, or its journal
    FileFault fault;
    int failedReads;  // -1: for ever
    std::vector<int> pauses;
    const char* reason;  // nullptr: it was read in the end
  };
  const std::vector<int> allPauses(kReadPauses, kReadPauseMilliseconds);
  const Case cases[] = {
      {"held for a moment", "Undo.xml", FileFault::SharingViolation, 3, {100, 100, 100}, nullptr},
      {"held for the last pause", "Undo.xml", FileFault::SharingViolation, kReadPauses, allPauses, nullptr},
      {"held for good", "Undo.xml", FileFault::SharingViolation, -1, allPauses,
       "The file is in use by another process."},
      {"access denied", "Undo.xml", FileFault::AccessDenied, -1, {}, "Access is denied."},
      {"its journal held for good", "Undo.xml.journal", FileFault::SharingViolation, -1, allPauses,
       "The file is in use by another process."},
      {"its journal denied", "Undo.xml.journal", FileFault::AccessDenied, -1, {}, "Access is denied."},
  };
  for (const Case& c : cases) {
    MemoryFileStore store = files;
    testing::WriteTable(store, FileIn("Undo.xml"), Tdm1::UndoFields(), {{"1", "HKCU", "Software\\Kept"}});
    store.files[ToLowerAscii(FileIn("Undo.xml.journal"))] = "the journal of an earlier run";
    store.readFaults[ToLowerAscii(FileIn(c.file))] = {c.fault, c.failedReads};
    const auto before = store.files;
    XmlPacketEngine storeEngine(store);
    RecordingMessageBoxes shown;
    {
      Tdm1 dm(storeEngine, store, shown, kFolder);  // Note.xml is missing, too
      EXPECT_EQ(store.pauses, c.pauses) << c.name;
      EXPECT_EQ(dm.ViewOnly(), c.reason != nullptr) << c.name;
      ASSERT_TRUE(dm.cdsUndo.Active()) << c.name;
      ASSERT_TRUE(dm.cdsNote.Active()) << c.name;
      ASSERT_TRUE(dm.LocateTweak(1));
      if (!c.reason) {
        EXPECT_EQ(dm.cdsUndo.AsString("Key"), "Software\\Kept") << c.name;
        continue;
      }
      ASSERT_EQ(shown.shown.size(), 1u) << c.name << ": nothing about the missing Note.xml, which is not made";
      EXPECT_EQ(shown.shown[0].text, UnreadableFileMessage(FileIn(c.file), c.reason)) << c.name;
      EXPECT_EQ(shown.shown[0].icon, MsgIcon::Information);
    }
    if (c.reason) {
      EXPECT_EQ(store.files, before) << c.name << ": nothing moved, replaced or made";
    }
  }
  EXPECT_EQ(UnreadableFileMessage("C:\\P\\Undo.xml", "Access is denied").rfind(
                "Cordalis cannot read the file C:\\P\\Undo.xml. The reason Windows gives: Access is denied.\r\n", 0),
            0u);
}

// Two copies of the program on one folder (two users, two sessions): the one
// that holds the lock writes; the other only views, writes nothing at all, and
// says why. The lock lasts as long as the data module.
TEST_F(DataModule, ASecondCopyOnTheSameFolderOpensTheTablesForViewingOnly) {
  WriteUserTables();
  auto first = std::make_unique<Tdm1>(engine, files, boxes, kFolder);
  EXPECT_FALSE(first->ViewOnly());
  // The first copy is half-way through replacing Undo.xml in two renames; Note.xml is damaged.
  const std::string newRows = WriteDataPacket(testing::MakeTable(Tdm1::UndoFields(), {{"1", "HKCU", "New"}}));
  files.files[ToLowerAscii(FileIn("Undo.xml.old"))] = files.At(FileIn("Undo.xml"));
  files.files[ToLowerAscii(FileIn("Undo.xml.tmp"))] = newRows;
  files.files.erase(ToLowerAscii(FileIn("Undo.xml")));
  files.At(FileIn("Note.xml")) = "<DATAPACKET";
  const auto before = files.files;
  {
    Tdm1 second(engine, files, boxes, kFolder);
    EXPECT_TRUE(second.ViewOnly());
    EXPECT_EQ(second.LoadStatus(), lsLoaded);
    ASSERT_EQ(boxes.shown.size(), 1u) << "nothing about the missing or the damaged table";
    EXPECT_EQ(boxes.shown[0].text, OtherCopyMessage(kFolder));
    EXPECT_EQ(boxes.shown[0].owner, MsgOwner::None);
    EXPECT_EQ(boxes.shown[0].icon, MsgIcon::Information);
    EXPECT_EQ(second.cdsUndo.Data().Fields(), Tdm1::UndoFields());
    EXPECT_EQ(second.cdsNote.Data().Fields(), Tdm1::NoteFields());
    // What this copy changes stays in memory.
    ASSERT_TRUE(second.LocateTweak(1));
    second.cdsTwks.SetReadOnly(false);
    second.cdsTwks.Edit();
    second.cdsTwks.SetAsBoolean("Hide", true);
    second.cdsTwks.Post();
    second.cdsTwks.SetReadOnly(true);
  }
  EXPECT_EQ(files.files, before) << "not one file written, moved or removed";

  first.reset();
  boxes.shown.clear();
  Tdm1 third(engine, files, boxes, kFolder);
  EXPECT_FALSE(third.ViewOnly()) << "the lock went with the first copy";
  ASSERT_TRUE(third.LocateTweak(1));
  EXPECT_EQ(third.cdsUndo.AsString("Key"), "New") << "this copy finishes the replacement";
  EXPECT_FALSE(third.cdsTwks.AsBoolean("Hide"));
}

// Runs before the program knows whether another copy is writing the tables.
TEST(PreCheck, WritesNothingAndTakesAReplacementCutShortForTheFile) {
  MemoryFileStore files;
  testing::WriteSampleCatalogue(files, kFolder);
  files.files[ToLowerAscii(FileIn("Twks.xml.old"))] = files.At(FileIn("Twks.xml"));
  files.files[ToLowerAscii(FileIn("Twks.xml.tmp"))] = files.At(FileIn("Twks.xml"));
  files.files.erase(ToLowerAscii(FileIn("Twks.xml")));
  files.files[ToLowerAscii(FileIn("Data.xml.tmp"))] = "half written by a running copy";
  const auto before = files.files;
  RecordingMessageBoxes boxes;
  EXPECT_TRUE(DatabasePreCheck(files, boxes, kFolder));
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(files.files, before);
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
      {"Twks.xml with titles wider than 255", "Twks.xml",
       WriteDataPacket(TableData([] {
         FieldDefs f = Tdm1::TweakFields();
         f[4].width = 300;
         return f;
       }())),
       lsTweaksFailed},
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
