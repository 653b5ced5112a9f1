// The file store on Windows.
#include <windows.h>

#include <algorithm>
#include <utility>

#include "host/file_store.h"
#include "host/host_queries.h"
#include "host/platform.h"
#include "host/win32/system_error_text.h"
#include "host/win32/unique_handle.h"

namespace cordalis {
namespace {

FileFault FaultOf(DWORD code) {
  switch (code) {
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
      return FileFault::AccessDenied;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return FileFault::SharingViolation;
    default:
      return FileFault::Other;
  }
}

[[noreturn]] void Fail(const std::string& what, const std::string& path, DWORD code = GetLastError()) {
  const std::string reason = SystemErrorText(code);
  throw FileError(what + " " + path + ": " + reason, FaultOf(code), reason);
}

// The lock is the open handle itself: opened without sharing, no other
// CreateFile of the file succeeds while it is open.
class Win32FileLock final : public FileLock {
 public:
  explicit Win32FileLock(UniqueFile file) : file_(std::move(file)) {}

 private:
  UniqueFile file_;
};

// Windows 95, 98 and ME have no call that flushes a folder (a folder cannot
// even be opened there), and their MoveFileA promises nothing about the disk.
// Flushing the moved file is their commit-file call, which writes the file's
// buffers and its directory entry under the new name: the nearest they come
// to a durable rename.
void FlushMovedFile(const std::string& path) {
  UniqueFile file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) Fail("Cannot open", path);
  if (!FlushFileBuffers(file.get())) Fail("Cannot flush", path);
}

// Flushing writes the file's length and, on Windows 95, 98 and ME, its
// directory entry with the bytes.
void WriteAllAndFlush(UniqueFile& file, std::string_view bytes, const std::string& path) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD n = 0;
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    if (!WriteFile(file.get(), bytes.data() + done, chunk, &n, nullptr)) Fail("Cannot write", path);
    done += n;
  }
  if (!FlushFileBuffers(file.get())) Fail("Cannot flush", path);
  if (!CloseHandle(file.Release())) Fail("Cannot close", path);
}

// Windows 95, 98 and ME refuse FILE_SHARE_DELETE as an invalid parameter;
// there a file being read cannot be renamed over anyway.
UniqueFile OpenToRead(const std::string& path) {
  UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file || GetLastError() != ERROR_INVALID_PARAMETER) return file;
  return UniqueFile(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// A folder may take no new file while a lock file left in it still opens for
// writing; only a file made and removed there shows that the tables can be
// replaced in it.
void ProbeFolder(const std::string& lockPath) {
  const std::string probe = lockPath + ".probe";
  if (!DeleteFileA(probe.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
    Fail("Cannot write to the folder of", lockPath);
  UniqueFile made(
      CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!made) Fail("Cannot write to the folder of", lockPath);
  if (!CloseHandle(made.Release())) Fail("Cannot write to the folder of", lockPath);
  if (!DeleteFileA(probe.c_str())) Fail("Cannot write to the folder of", lockPath);
}

class Win32FileStore final : public FileStore {
 public:
  explicit Win32FileStore(bool oneStepReplace) : oneStepReplace_(oneStepReplace) {}

  bool Exists(const std::string& path) override {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  }

  // A reader shares the file with its writer, so that a copy of the program
  // that only reads the tables never keeps the one that holds them from
  // appending to a journal or replacing a table file.
  std::string Read(const std::string& path, std::size_t maxBytes) override {
    UniqueFile file = OpenToRead(path);
    if (!file) Fail("Cannot open", path);
    // GetFileSize, not GetFileSizeEx: Windows 95, 98 and ME have only this one.
    DWORD high = 0;
    SetLastError(NO_ERROR);
    DWORD low = GetFileSize(file.get(), &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) Fail("Cannot read", path);
    if (high != 0 || low > maxBytes)
      throw FileTooLargeError(path, maxBytes);
    std::string bytes(low, '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
      DWORD n = 0;
      if (!ReadFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &n, nullptr))
        Fail("Cannot read", path);
      if (n == 0) throw FileError("Cannot read " + path + ": the file shrank");
      done += n;
    }
    return bytes;
  }

  void WriteDurably(const std::string& path, std::string_view bytes) override {
    UniqueFile file(
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) Fail("Cannot create", path);
    WriteAllAndFlush(file, bytes, path);
  }

  void AppendDurably(const std::string& path, std::string_view bytes) override {
    // FILE_APPEND_DATA is NT's alone; a move to the end serves everywhere, and
    // the file is not shared for writing meanwhile.
    UniqueFile file(
        CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) Fail("Cannot open", path);
    if (SetFilePointer(file.get(), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR)
      Fail("Cannot write", path);
    WriteAllAndFlush(file, bytes, path);
  }

  bool ReplaceInOneStep(const std::string& from, const std::string& to) override {
    if (!oneStepReplace_) return false;
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    DWORD code = GetLastError();
    if (code != ERROR_CALL_NOT_IMPLEMENTED) Fail("Cannot replace", to, code);
    oneStepReplace_ = false;  // Windows 95, 98 or ME: the two-rename path from now on
    return false;
  }

  bool MoveNoReplace(const std::string& from, const std::string& to) override {
    BOOL moved = oneStepReplace_ ? MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) : FALSE;
    DWORD code = moved ? NO_ERROR : GetLastError();
    if (!moved && (!oneStepReplace_ || code == ERROR_CALL_NOT_IMPLEMENTED)) {
      // MoveFileA exists everywhere and never replaces; on the systems without
      // MoveFileEx it is the only rename there is.
      moved = MoveFileA(from.c_str(), to.c_str());
      code = moved ? NO_ERROR : GetLastError();
      if (moved) FlushMovedFile(to);
    }
    if (moved) return true;
    if (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS) return false;
    throw FileError("Cannot rename " + from + " to " + to + ": " + SystemErrorText(code));
  }

  void Remove(const std::string& path) override {
    if (DeleteFileA(path.c_str())) return;
    DWORD code = GetLastError();
    if (code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND) Fail("Cannot delete", path, code);
  }

  // Opened without sharing, the lock file cannot be deleted while it is held.
  std::unique_ptr<FileLock> HoldLock(const std::string& path) override {
    UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      const DWORD code = GetLastError();
      if (code == ERROR_SHARING_VIOLATION) return nullptr;
      Fail("Cannot open the lock file", path, code);
    }
    ProbeFolder(path);
    return std::make_unique<Win32FileLock>(std::move(file));
  }

  void Pause(int milliseconds) override { Sleep(static_cast<DWORD>(milliseconds)); }

 private:
  bool oneStepReplace_;
};

}  // namespace

// Windows 95, 98 and ME cannot replace a file in one rename (their MoveFileEx
// is a stub), so the two renames are theirs from the start; the stub's error
// code still turns a store that did not know to the two renames.
FileStore& SystemFileStore() {
  static Win32FileStore store(NtFamily(SystemHostQueries()));
  return store;
}

FileStore& SystemFileStoreWithoutOneStepReplace() {
  static Win32FileStore store(false);
  return store;
}

}  // namespace cordalis
