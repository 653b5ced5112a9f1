#include "host/file_store.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/memory_file_store.h"
#include "support/temp_dir.h"

namespace cordalis {
namespace {

TEST(FileStore, AtomicReplaceLeavesOldOrNewContentAtEveryCrashPoint) {
  for (int crash = 1; crash <= 3; ++crash) {
    testing::MemoryFileStore files;
    files.files["t.xml"] = "old content";
    files.crashAt = crash;
    try {
      ReplaceFileAtomically(files, "t.xml", "new content, longer");
    } catch (const testing::SimulatedCrash&) {
    }
    files.crashed = false;
    const std::string now = files.Read("t.xml", 1000);
    EXPECT_TRUE(now == "old content" || now == "new content, longer") << crash << ": " << now;
  }
}

TEST(FileStore, SystemStoreReplacesAndMatchesNamesWithoutCase) {
  testing::TempDir dir;
  FileStore& files = SystemFileStore();
  const std::string path = dir.File("Undo.xml");
  ReplaceFileAtomically(files, path, "first");
  ReplaceFileAtomically(files, path, "second");
  EXPECT_EQ(files.Read(path, 100), "second");
  EXPECT_TRUE(files.Exists(dir.File("UNDO.XML")));
  EXPECT_EQ(files.Read(dir.File("undo.xml"), 100), "second");
  EXPECT_FALSE(files.Exists(dir.File("Undo.xml.tmp"))) << "no temporary file is left behind";
  EXPECT_FALSE(files.Exists(dir.File("Other.xml")));
  EXPECT_THROW(files.Read(dir.File("Other.xml"), 100), FileError);
  EXPECT_THROW(files.Read(path, 3), FileError) << "larger than allowed";
  EXPECT_FALSE(files.Exists(dir.Str())) << "a folder is not a file";
}

TEST(FileStore, MoveNoReplaceNeverOverwrites) {
  testing::TempDir dir;
  FileStore& files = SystemFileStore();
  ReplaceFileAtomically(files, dir.File("a"), "A");
  ReplaceFileAtomically(files, dir.File("b"), "B");
  EXPECT_FALSE(files.MoveNoReplace(dir.File("a"), dir.File("b")));
  EXPECT_EQ(files.Read(dir.File("b"), 10), "B");
  EXPECT_TRUE(files.MoveNoReplace(dir.File("a"), dir.File("c")));
  EXPECT_EQ(files.Read(dir.File("c"), 10), "A");
  EXPECT_FALSE(files.Exists(dir.File("a")));
}

TEST(FileStore, FailuresNameTheFile) {
  testing::TempDir dir;
  const std::string path = dir.File("missing-folder") + "/x.xml";
  try {
    SystemFileStore().WriteDurably(path, "x");
    FAIL();
  } catch (const FileError& e) {
    EXPECT_NE(std::string(e.what()).find("x.xml"), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace cordalis
