#include "host/file_store.h"

#ifdef _WIN32
#include <windows.h>

#include "host/host_queries.h"
#include "host/platform.h"
#include "host/win32/system_error_text.h"
#endif

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <fstream>

#include "support/crashing_file_store.h"
#include "doubles/memory_file_store.h"
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

// The real file layers, with the one-step replacement and with the two renames
// of Windows 95, 98 and ME, under a disk that keeps through a power cut only
// what the port promises: a crash at every step of a replacement, or just
// after it, then a restart, leaves the old or the new content (the new once
// the replacement returned), never a mix, never nothing, and nothing beside
// the file.
struct ReplacementPath {
  const char* name;
  FileStore& (*store)();
};

class FileReplacement : public ::testing::TestWithParam<ReplacementPath> {};

TEST_P(FileReplacement, CrashAtEveryStepLeavesOldOrNewContent) {
  for (const bool existed : {true, false}) {
    bool finished = false;
    for (int crashAt = 1; !finished; ++crashAt) {
      ASSERT_LT(crashAt, 20) << "the replacement never finished";
      testing::TempDir dir;
      FileStore& files = GetParam().store();
      const std::string path = dir.File("Undo.xml");
      if (existed) ReplaceFileAtomically(files, path, "old content");
      testing::CrashingFileStore crashing(files, crashAt);
      try {
        ReplaceFileAtomically(crashing, path, "new content, longer than the old");
        finished = true;
        crashing.Crash();  // just after: what the replacement promised is on the disk
      } catch (const testing::SimulatedCrash&) {
      }
      RecoverInterruptedReplacement(files, path);  // the next start
      const std::string context = std::string(existed ? "replacing" : "creating") + ", crash at step " +
                                  std::to_string(crashAt);
      if (files.Exists(path)) {
        const std::string now = files.Read(path, 1000);
        EXPECT_TRUE(now == "new content, longer than the old" || (existed && now == "old content"))
            << context << ": " << now;
      } else {
        EXPECT_FALSE(existed) << context << ": the file is gone";
      }
      EXPECT_TRUE(!finished || files.Read(path, 1000) == "new content, longer than the old") << context;
      EXPECT_FALSE(files.Exists(path + ".tmp")) << context;
      EXPECT_FALSE(files.Exists(path + ".old")) << context;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Paths, FileReplacement,
                         ::testing::Values(ReplacementPath{"ThisSystems", &SystemFileStore},
                                           ReplacementPath{"TwoRenames", &SystemFileStoreWithoutOneStepReplace}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FileStore, RecoveryWithNothingLeftOverChangesNothing) {
  testing::MemoryFileStore files;
  files.files["t.xml"] = "content";
  RecoverInterruptedReplacement(files, "t.xml");
  RecoverInterruptedReplacement(files, "absent.xml");
  EXPECT_EQ(files.changes, 0);
}

// A disk that fills up, or a file another program holds, at any step of a
// replacement: the file keeps its old content and nothing is left beside it.
TEST(FileStore, AFailedReplacementLeavesTheOldFileAndNothingBesideIt) {
  for (const bool oneStep : {true, false}) {
    for (int failAt = 1;; ++failAt) {
      testing::MemoryFileStore files;
      files.oneStepReplace = oneStep;
      files.files["t.xml"] = "old";
      files.failAt = failAt;
      try {
        ReplaceFileAtomically(files, "t.xml", "new");
      } catch (const FileError&) {
        const std::string context = std::string(oneStep ? "one step" : "two renames") + ", failing operation " +
                                    std::to_string(failAt);
        EXPECT_EQ(files.files.count("t.xml.tmp"), 0u) << context;
        EXPECT_EQ(files.files.count("t.xml.old"), 0u) << context;
        ASSERT_EQ(files.files.count("t.xml"), 1u) << context;
        EXPECT_EQ(files.At("t.xml"), "old") << context;
        continue;
      }
      // The last operation of the two renames removes what is left over: the
      // new file is in place when it fails, and the next start removes it.
      EXPECT_EQ(files.At("t.xml"), "new");
      break;
    }
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

// The lock is the open file itself: a second opener is refused in this
// process as in another, under any letter case of the name.
TEST(FileStore, ALockHoldsAgainstEveryOtherOpenerUntilReleased) {
  testing::TempDir dir;
  FileStore& files = SystemFileStore();
  const std::string path = dir.File("Cordalis.lck");
  std::unique_ptr<FileLock> first = files.HoldLock(path);
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(files.Exists(path)) << "the lock file is made";
  EXPECT_FALSE(files.Exists(path + ".probe")) << "the folder is tried with a file that is removed at once";
  EXPECT_EQ(files.HoldLock(path), nullptr);
  EXPECT_EQ(files.HoldLock(dir.File("CORDALIS.LCK")), nullptr);
  first.reset();
  EXPECT_NE(files.HoldLock(path), nullptr) << "released with its holder";
}

TEST(FileStore, ALockFileThatCannotBeMadeIsAnError) {
  testing::TempDir dir;
  const std::string path = dir.File("no-such-folder") + "/Cordalis.lck";
  try {
    SystemFileStore().HoldLock(path);
    FAIL() << "no error";
  } catch (const FileError& e) {
    EXPECT_NE(std::string(e.what()).find("Cordalis.lck"), std::string::npos) << e.what();
    EXPECT_EQ(std::string(e.what()).find(e.Reason()), std::string(e.what()).size() - e.Reason().size())
        << "the system's reason ends the message";
  }
}

#ifndef _WIN32
// A folder the account may not write, holding a lock file an earlier run left
// that the account may still open for writing: no lock is held, so the copy
// knows from the start that it cannot save anything there.
TEST(FileStore, NoLockInAFolderThatTakesNoNewFileThoughItsLockFileOpens) {
  testing::TempDir dir;
  const std::string path = dir.File("Cordalis.lck");
  SystemFileStore().WriteDurably(path, "");
  ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
  ASSERT_EQ(::chmod(dir.Str().c_str(), 0555), 0);
  // The folder's mode binds no one running as root: the lock is asked for by
  // a process that runs as another user.
  const pid_t child = ::fork();
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
    int code = 2;
    try {
      code = SystemFileStore().HoldLock(path) ? 1 : 4;
    } catch (const FileError& e) {
      code = e.Fault() == FileFault::AccessDenied ? 0 : 5;
    }
    ::_exit(code);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_EQ(::chmod(dir.Str().c_str(), 0755), 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: locked; 3: cannot become another user; 4: held; 5: another failure";
  EXPECT_FALSE(SystemFileStore().Exists(path + ".probe"));
  EXPECT_EQ(SystemFileStore().Read(path, 10), "") << "the lock file is left as it was";
}
#endif

#ifdef _WIN32
// A file another program holds without sharing it (a virus scanner, an editor):
// the failure says so in its kind and in the system's own words.
TEST(FileStore, AFileAnotherProgramHoldsIsASharingViolation) {
  testing::TempDir dir;
  const std::string path = dir.File("Undo.xml");
  ReplaceFileAtomically(SystemFileStore(), path, "content");
  HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  try {
    SystemFileStore().Read(path, 100);
    ADD_FAILURE() << "read a file held without sharing";
  } catch (const FileError& e) {
    EXPECT_EQ(e.Fault(), FileFault::SharingViolation) << e.what();
    EXPECT_EQ(e.Reason(), SystemErrorText(ERROR_SHARING_VIOLATION));
    EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
  }
  EXPECT_EQ(SystemFileStore().HoldLock(path), nullptr) << "a lock cannot be taken on it either";
  CloseHandle(held);
  EXPECT_EQ(SystemFileStore().Read(path, 100), "content");
}

// The copy that holds the tables appends to a journal while another copy
// reads it: neither keeps the other from its work.
TEST(FileStore, AReaderAndTheWriterOfAFileShareIt) {
  testing::TempDir dir;
  const std::string path = dir.File("Undo.xml.journal");
  ReplaceFileAtomically(SystemFileStore(), path, "start");
  HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  EXPECT_EQ(SystemFileStore().Read(path, 100), "start") << "read while the writer has it open";
  CloseHandle(writer);
  HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  SystemFileStore().AppendDurably(path, " more");
  CloseHandle(reader);
  EXPECT_EQ(SystemFileStore().Read(path, 100), "start more");
}

// Wine's MoveFileEx replaces files whichever Windows it reports, so only the
// platform facts can keep Windows 95, 98 and ME from a rename they do not have.
TEST(FileStore, TheSystemStoreReplacesInOneStepOnTheNtFamilyAlone) {
  testing::TempDir dir;
  const std::string temporary = dir.File("Undo.xml.tmp"), path = dir.File("Undo.xml");
  SystemFileStore().WriteDurably(temporary, "new");
  SystemFileStore().WriteDurably(path, "old");
  const bool ntFamily = NtFamily(SystemHostQueries());
  EXPECT_EQ(SystemFileStore().ReplaceInOneStep(temporary, path), ntFamily);
  EXPECT_EQ(SystemFileStore().Read(path, 100), ntFamily ? "new" : "old") << "refused, it changes nothing";
  EXPECT_EQ(SystemFileStore().Exists(temporary), !ntFamily);
}

TEST(FileStore, AFolderReadAsAFileIsAccessDenied) {
  testing::TempDir dir;
  try {
    SystemFileStore().Read(dir.Str(), 100);
    FAIL() << "read a folder";
  } catch (const FileError& e) {
    EXPECT_EQ(e.Fault(), FileFault::AccessDenied) << e.what();
    EXPECT_EQ(e.Reason(), SystemErrorText(ERROR_ACCESS_DENIED));
  }
}
#endif

}  // namespace
}  // namespace cordalis
