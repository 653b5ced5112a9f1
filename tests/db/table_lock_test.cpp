// The data module on the real file system: one copy of the program writes the
// tables, another on the same folder (in this process or another) only views
// them and leaves every file as it was.
#ifdef _WIN32
#include <windows.h>

#include "host/win32/system_error_text.h"
#endif

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>

#include "db/dm1.h"
#include "db/packet_engine.h"
#include "db/user_table_messages.h"
#include "doubles/recording_message_boxes.h"
#include "host/file_store.h"
#include "support/build_path.h"
#include "support/child_process.h"
#include "support/table_files.h"
#include "support/temp_dir.h"

namespace cordalis {
namespace {

using testing::RecordingMessageBoxes;

// Every file of the folder but the lock file, with its content.
std::map<std::string, std::string> Snapshot(const testing::TempDir& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    const std::string name = entry.path().filename().string();
    if (name != kTableLockFile) files[name] = SystemFileStore().Read(entry.path().string(), 1 << 20);
  }
  return files;
}

class TableLock : public ::testing::Test {
 protected:
  TableLock() {
    testing::WriteSampleCatalogue(SystemFileStore(), dir.Str());
    testing::WriteTable(SystemFileStore(), dir.File("Undo.xml"), Tdm1::UndoFields(), {});
  }
  std::unique_ptr<Tdm1> Open(RecordingMessageBoxes& boxes) {
    return std::make_unique<Tdm1>(engine, SystemFileStore(), boxes, dir.Str());
  }

  testing::TempDir dir;
  XmlPacketEngine engine{SystemFileStore()};
};

TEST_F(TableLock, TwoDataModulesOnOneFolderInOneProcess) {
  RecordingMessageBoxes firstBoxes, boxes;
  std::unique_ptr<Tdm1> first = Open(firstBoxes);
  EXPECT_FALSE(first->ViewOnly());
  ASSERT_EQ(firstBoxes.shown.size(), 1u) << "Note.xml was missing";
  const auto before = Snapshot(dir);
  {
    std::unique_ptr<Tdm1> second = Open(boxes);
    EXPECT_TRUE(second->ViewOnly());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, OtherCopyMessage(dir.Str()));
    ASSERT_TRUE(second->LocateTweak(1));
    second->cdsNote.SetReadOnly(false);
    second->cdsNote.Append();
    second->cdsNote.SetAsString("Note", "kept in memory only");
    second->cdsNote.Post();
    second->cdsNote.SetReadOnly(true);
  }
  EXPECT_EQ(Snapshot(dir), before);
  first.reset();
  boxes.shown.clear();
  EXPECT_FALSE(Open(boxes)->ViewOnly());
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(TableLock, ACopyInAnotherProcessKeepsThisOneViewOnlyUntilItEnds) {
  testing::WriteTable(SystemFileStore(), dir.File("Undo.xml"), Tdm1::UndoFields(), {{"5", "HKCU", "Software\\Kept"}});
  RecordingMessageBoxes boxes;
  {
    testing::ChildProcess other(testing::BuildPath(CORDALIS_TABLE_HOLDER), {dir.Str()});
    ASSERT_EQ(other.ReadLine(), "writing");
    const auto before = Snapshot(dir);
    {
      std::unique_ptr<Tdm1> viewer = Open(boxes);
      EXPECT_TRUE(viewer->ViewOnly());
      ASSERT_EQ(boxes.shown.size(), 1u);
      EXPECT_EQ(boxes.shown[0].text, OtherCopyMessage(dir.Str()));
      ASSERT_TRUE(viewer->LocateTweak(5));
      EXPECT_EQ(viewer->cdsUndo.AsString("Key"), "Software\\Kept") << "the tables can be viewed";
    }
    EXPECT_EQ(Snapshot(dir), before);
    {
      testing::ChildProcess third(testing::BuildPath(CORDALIS_TABLE_HOLDER), {dir.Str()});
      EXPECT_EQ(third.ReadLine(), "viewing");
    }
    other.Kill();
  }
  boxes.shown.clear();
  EXPECT_FALSE(Open(boxes)->ViewOnly()) << "the lock ends with the process that held it";
}

// The lock file deleted while a copy holds the tables (by the user, by a
// clean-up tool): a second copy still only views them. Windows refuses to
// delete a file held without sharing; elsewhere the lock holds the folder too.
TEST_F(TableLock, ADeletedLockFileLetsNoSecondCopyWrite) {
  testing::WriteTable(SystemFileStore(), dir.File("Undo.xml"), Tdm1::UndoFields(), {{"5", "HKCU", "Software\\Kept"}});
  RecordingMessageBoxes boxes;
  testing::ChildProcess first(testing::BuildPath(CORDALIS_TABLE_HOLDER), {dir.Str()});
  ASSERT_EQ(first.ReadLine(), "writing");
  std::error_code error;
  const bool deleted = std::filesystem::remove(dir.File(kTableLockFile), error);
#ifdef _WIN32
  EXPECT_FALSE(deleted) << "deleted while held";
#else
  ASSERT_TRUE(deleted) << error.message();
#endif
  const auto before = Snapshot(dir);
  {
    std::unique_ptr<Tdm1> second = Open(boxes);
    EXPECT_TRUE(second->ViewOnly());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, OtherCopyMessage(dir.Str()));
  }
  EXPECT_EQ(Snapshot(dir), before) << "the second copy wrote nothing";
  first.Kill();
}

#ifdef _WIN32
// Forwards to the system's store, without waiting between tries.
class NoWaitFileStore final : public FileStore {
 public:
  bool Exists(const std::string& path) override { return inner_.Exists(path); }
  std::string Read(const std::string& path, std::size_t maxBytes) override { return inner_.Read(path, maxBytes); }
  void WriteDurably(const std::string& path, std::string_view bytes) override { inner_.WriteDurably(path, bytes); }
  void AppendDurably(const std::string& path, std::string_view bytes) override { inner_.AppendDurably(path, bytes); }
  bool ReplaceInOneStep(const std::string& from, const std::string& to) override {
    return inner_.ReplaceInOneStep(from, to);
  }
  bool MoveNoReplace(const std::string& from, const std::string& to) override {
    return inner_.MoveNoReplace(from, to);
  }
  void Remove(const std::string& path) override { inner_.Remove(path); }
  std::unique_ptr<FileLock> HoldLock(const std::string& path) override { return inner_.HoldLock(path); }
  void Pause(int) override { ++pauses; }
  int pauses = 0;

 private:
  FileStore& inner_ = SystemFileStore();
};

// Undo.xml held without sharing by another program, for longer than the data
// module waits: it is not taken for damaged, and stays where it is.
TEST_F(TableLock, AUserTableHeldByAnotherProgramIsLeftAsItIs) {
  const std::string undo = dir.File("Undo.xml");
  HANDLE held = CreateFileA(undo.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  NoWaitFileStore files;
  XmlPacketEngine noWaitEngine(files);
  RecordingMessageBoxes boxes;
  {
    Tdm1 dm(noWaitEngine, files, boxes, dir.Str());
    EXPECT_TRUE(dm.ViewOnly());
    EXPECT_EQ(files.pauses, kReadPauses);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, UnreadableFileMessage(undo, SystemErrorText(ERROR_SHARING_VIOLATION)));
  }
  CloseHandle(held);
  EXPECT_FALSE(SystemFileStore().Exists(dir.File("Undo.xml.damaged")));
  EXPECT_FALSE(SystemFileStore().Exists(dir.File("Note.xml"))) << "a view-only run makes no table";
  EXPECT_EQ(ReadDataPacket(SystemFileStore().Read(undo, 1 << 20)).Fields(), Tdm1::UndoFields());
}
#endif

}  // namespace
}  // namespace cordalis
