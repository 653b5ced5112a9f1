#pragma once
// The one file layer: every file the program writes goes through it, so that a
// whole-file replacement is atomic and tests can cut it short like a crash.
#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace cordalis {

// The failures a caller answers differently: another program holding a file
// is usually gone a moment later; a denied access lasts.
enum class FileFault {
  Other,
  AccessDenied,      // the account may not, or the folder or disk is read-only
  SharingViolation,  // another program has the file open and does not share it
  TooLarge,          // larger than the reader takes: not a file the program wrote
};

// A failure of the file system, naming the file and the system's reason.
class FileError : public std::runtime_error {
 public:
  explicit FileError(const std::string& what, FileFault fault = FileFault::Other, std::string reason = {})
      : std::runtime_error(what), fault_(fault), reason_(reason.empty() ? what : std::move(reason)) {}
  FileFault Fault() const { return fault_; }
  // The system's own words for the failure, without the file's name.
  const std::string& Reason() const { return reason_; }

 private:
  FileFault fault_;
  std::string reason_;
};

// What Read throws for a file larger than it was asked to take.
FileError FileTooLargeError(const std::string& path, std::size_t maxBytes);

// An exclusive hold on a lock file, given up when destroyed.
class FileLock {
 public:
  virtual ~FileLock() = default;
};

// What survives a crash of the machine is only what a call promises to have
// put on the disk by the time it returns; each call says what that is.
class FileStore {
 public:
  virtual ~FileStore() = default;

  // File names are matched without regard to letter case, as on Windows.
  virtual bool Exists(const std::string& path) = 0;
  // Throws FileError when the file cannot be read or is larger than maxBytes;
  // its fault tells a sharing violation and a denied access from the rest.
  virtual std::string Read(const std::string& path, std::size_t maxBytes) = 0;
  // Creates or truncates the file, writes all bytes and flushes them to the
  // disk. The name of a file it creates reaches the disk only with the next
  // rename in its folder.
  virtual void WriteDurably(const std::string& path, std::string_view bytes) = 0;
  // Adds the bytes at the end of an existing file and flushes them to the
  // disk: once it returns they are there. A crash during the call may leave
  // a part of them at the end.
  virtual void AppendDurably(const std::string& path, std::string_view bytes) = 0;
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
  // Opens the lock file, creating it when absent, for reading and writing,
  // and holds it so that no other opener, in this process or another, can
  // hold it until the returned lock is destroyed (or the process ends). Returns
  // nullptr when another opener holds it. Throws FileError when it cannot be
  // created or opened for writing (AccessDenied where the folder is read-only).
  virtual std::unique_ptr<FileLock> HoldLock(const std::string& path) = 0;
  // Waits before an operation is tried again; a file that another program
  // holds is usually free a moment later.
  virtual void Pause(int milliseconds) = 0;
};

// Replaces the file with bytes so that a crash at any moment leaves either the
// old or the new content, once RecoverInterruptedReplacement has run: a
// temporary file beside it is written and flushed, then renamed over it in one
// step, or, where the system cannot, in two renames through a third name.
// A failure removes the temporary file, so a full disk is not kept full.
void ReplaceFileAtomically(FileStore& files, const std::string& path, std::string_view bytes);

// Whether the file exists now or will once RecoverInterruptedReplacement has
// run. Changes nothing, so a copy of the program that may not write can ask.
bool ExistsOrRecoverable(FileStore& files, const std::string& path);

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
