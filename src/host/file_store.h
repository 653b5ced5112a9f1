#pragma once
// The one file layer: every file the program writes goes through it, so that a
// whole-file replacement is atomic and tests can cut it short like a crash.
#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace cordalis {

// A failure of the file system, naming the file and the system's reason.
class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What survives a crash of the machine is only what a call promises to have
// put on the disk by the time it returns; each call says what that is.
class FileStore {
 public:
  virtual ~FileStore() = default;

  // File names are matched without regard to letter case, as on Windows.
  virtual bool Exists(const std::string& path) = 0;
  // Throws FileError when the file cannot be read or is larger than maxBytes.
  virtual std::string Read(const std::string& path, std::size_t maxBytes) = 0;
  // Creates or truncates the file, writes all bytes and flushes them to the
  // disk. The name of a file it creates reaches the disk only with the next
  // rename in its folder.
  virtual void WriteDurably(const std::string& path, std::string_view bytes) = 0;
  // Renames from over to in one step, replacing to; when it returns, the
  // rename and every earlier change of names in the folder are on the disk.
  // Returns false, having changed nothing, where the system has no such rename
  // (Windows 95, 98 and ME, whose MoveFileEx is not implemented).
  virtual bool ReplaceInOneStep(const std::string& from, const std::string& to) = 0;
  // Renames from to to unless to exists; returns false when it does. On the
  // disk when it returns, as ReplaceInOneStep.
  virtual bool MoveNoReplace(const std::string& from, const std::string& to) = 0;
  // Deletes the file; a file that does not exist is no error. The removal may
  // not be on the disk yet: after a crash the file may be back.
  virtual void Remove(const std::string& path) = 0;
};

// Replaces the file with bytes so that a crash at any moment leaves either the
// old or the new content, once RecoverInterruptedReplacement has run: a
// temporary file beside it is written and flushed, then renamed over it in one
// step, or, where the system cannot, in two renames through a third name.
// A failure removes the temporary file, so a full disk is not kept full.
void ReplaceFileAtomically(FileStore& files, const std::string& path, std::string_view bytes);

// Finishes or rolls back a replacement of path that a crash cut short, and
// removes what it left beside the file. Changes nothing when there is nothing
// left over, so it can run at every start.
void RecoverInterruptedReplacement(FileStore& files, const std::string& path);

// The file store of the machine the program runs on.
FileStore& SystemFileStore();
// The same store with the one-step replacement switched off, as Windows 95, 98
// and ME have it: tests drive the two-rename path with it on every system.
FileStore& SystemFileStoreWithoutOneStepReplace();

}  // namespace cordalis
