#include "app/note_command.h"

#include <gtest/gtest.h>

#include <memory>

#include "db/dm1.h"
#include "db/packet_engine.h"
#include "db/records.h"
#include "host/file_store.h"
#include "doubles/memory_file_store.h"
#include "doubles/recording_message_boxes.h"
#include "support/table_files.h"

namespace cordalis {
namespace {

using testing::MemoryFileStore;
using testing::RecordingMessageBoxes;

const std::string kFolder = "C:\\Cordalis";

TEST(NoteText, TrimsBlanksAndControlCharactersAtBothEnds) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {" \r\n\t \r\n", ""},
      {"  note \r\n", "note"},
      {"\x01 a\x1f", "a"},
      {"first\r\n\r\nsecond", "first\r\n\r\nsecond"},
      {"\xE9t\xE9\xA0", "\xE9t\xE9\xA0"},  // bytes above 0x7F are text, not control characters
  };
  for (const auto& [memo, trimmed] : cases) EXPECT_EQ(TrimNoteText(memo), trimmed) << memo;
}

class NoteCommand : public ::testing::Test {
 protected:
  NoteCommand() {
    testing::WriteSampleCatalogue(files, kFolder);
    testing::WriteTable(files, PathInFolder(kFolder, "Undo.xml"), Tdm1::UndoFields(), {});
    Start();
  }
  // Tweak 1 has a note, tweak 5 has none.
  void Start() {
    dm.reset();
    testing::WriteTable(files, PathInFolder(kFolder, "Note.xml"), Tdm1::NoteFields(), {{"1", "old note"}});
    dm = std::make_unique<Tdm1>(engine, files, boxes, kFolder);
  }
  NoteOutcome Save(std::int32_t twkId, const std::string& memo) {
    EXPECT_TRUE(dm->LocateTweak(twkId));
    return SaveNote(dm->cdsNote, twkId, memo);
  }
  // The note as Note.xml holds it now, read by a fresh data module.
  std::optional<NoteRecord> NoteOnDisk(std::int32_t twkId) {
    Tdm1 reopened(engine, files, boxes, kFolder);
    return NoteWithKey(reopened.cdsNote, twkId);
  }

  MemoryFileStore files;
  XmlPacketEngine engine{files};
  RecordingMessageBoxes boxes;
  std::unique_ptr<Tdm1> dm;
};

struct NoteCase {
  const char* name;
  std::int32_t tweak;
  std::string memo;
  NoteOutcome outcome;
  std::optional<std::string> note;  // afterwards
};

TEST_F(NoteCommand, AppliesTheTrimmedTextAndSavesTheTable) {
  const NoteCase cases[] = {
      {"a note changed", 1, "  new text \r\n", NoteOutcome::Edited, "new text"},
      {"a note emptied is deleted", 1, " \r\n\t \r\n", NoteOutcome::Deleted, std::nullopt},
      {"a first note is added", 5, "\tfirst note\r\n", NoteOutcome::Appended, "first note"},
      {"no note and nothing typed", 5, "  \r\n ", NoteOutcome::Unchanged, std::nullopt},
      {"the longest note fits", 1, " " + std::string(4096, 'x') + "\r\n", NoteOutcome::Edited, std::string(4096, 'x')},
  };
  for (const NoteCase& c : cases) {
    Start();
    const int writesBefore = files.changes;
    EXPECT_EQ(Save(c.tweak, c.memo), c.outcome) << c.name;
    EXPECT_TRUE(dm->cdsNote.ReadOnly()) << c.name;
    std::optional<NoteRecord> inMemory = NoteWithKey(dm->cdsNote, c.tweak);
    std::optional<NoteRecord> onDisk = NoteOnDisk(c.tweak);
    EXPECT_EQ(inMemory.has_value(), c.note.has_value()) << c.name;
    EXPECT_EQ(onDisk.has_value(), c.note.has_value()) << c.name;
    if (c.note) {
      EXPECT_EQ(inMemory->note, *c.note) << c.name;
      EXPECT_EQ(onDisk->note, *c.note) << c.name;
    }
    if (c.outcome == NoteOutcome::Unchanged) {
      EXPECT_EQ(files.changes, writesBefore) << c.name;
    }
    EXPECT_EQ(dm->cdsNote.KeyCount(c.tweak), c.note ? 1 : 0) << c.name << ": at most one note row";
  }
}

TEST_F(NoteCommand, ALongerNoteIsRefusedRatherThanCut) {
  const int writesBefore = files.changes;
  EXPECT_EQ(Save(1, std::string(4097, 'x')), NoteOutcome::TooLong);
  EXPECT_EQ(Save(5, std::string(5000, 'y')), NoteOutcome::TooLong);
  EXPECT_EQ(files.changes, writesBefore);
  EXPECT_EQ(NoteOnDisk(1)->note, "old note");
  EXPECT_FALSE(NoteOnDisk(5));
  EXPECT_TRUE(dm->cdsNote.ReadOnly());
}

TEST_F(NoteCommand, AFailedSaveLeavesTheTableReadOnlyWithTheChangeInMemory) {
  files.failAt = files.changes + 1;
  EXPECT_THROW(Save(1, "changed"), FileError);
  EXPECT_TRUE(dm->cdsNote.ReadOnly());
  EXPECT_EQ(NoteWithKey(dm->cdsNote, 1)->note, "changed");
  dm->Close();  // the change reaches the file when the tables close
  EXPECT_EQ(NoteOnDisk(1)->note, "changed");
}

TEST_F(NoteCommand, RefusesATableOnAnotherTweak) {
  ASSERT_TRUE(dm->LocateTweak(1));
  EXPECT_THROW(SaveNote(dm->cdsNote, 5, "misplaced"), std::logic_error);
  EXPECT_EQ(NoteOnDisk(1)->note, "old note");
}

TEST(NoteCommandGuard, AChangeCutShortIsDroppedAndTheMarkSetAgain) {
  MemoryFileStore files;
  XmlPacketEngine engine{files};
  ClientDataSet notes("cdsNote", engine);
  notes.FileName = "Note.xml";
  // A TwkID of text makes the append fail after it began.
  notes.FieldList = {FieldDef{"TwkID", FieldType::String, 10}, FieldDef{"Note", FieldType::String, 4096}};
  notes.CreateDataSet();
  notes.SetReadOnly(true);
  EXPECT_THROW(SaveNote(notes, 5, "text"), DataSetError);
  EXPECT_TRUE(notes.ReadOnly());
  EXPECT_TRUE(notes.IsEmpty());
  notes.SetReadOnly(false);
  EXPECT_NO_THROW(notes.Append()) << "no row is left in edit";
  notes.Cancel();
}

}  // namespace
}  // namespace cordalis
