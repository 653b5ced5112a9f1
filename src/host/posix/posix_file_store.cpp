// The file store on POSIX systems (the Linux build and its tests).
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "host/file_store.h"

namespace cordalis {
namespace {

constexpr int kLockTries = 100;

FileFault FaultOf(int error) {
  return error == EACCES || error == EPERM || error == EROFS ? FileFault::AccessDenied : FileFault::Other;
}

// The failure of the last call, naming the file and the system's reason.
FileError Reason(const std::string& what, const std::string& path) {
  const int error = errno;
  const std::string reason = std::strerror(error);
  return FileError(what + " " + path + ": " + reason, FaultOf(error), reason);
}

// A file descriptor closed however the block ends; Close() reports the error.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  int Release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }
  bool Close() {
    int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

// Windows matches file names without regard to case; so does this store, by
// looking for a differently cased name when the exact one is absent.
std::string Resolve(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) return path;
  size_t slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string found = path;
  if (DIR* d = ::opendir(DirectoryOf(path).c_str())) {
    while (dirent* e = ::readdir(d)) {
      if (::strcasecmp(e->d_name, name.c_str()) == 0) {
        found = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + e->d_name;
        break;
      }
    }
    ::closedir(d);
  }
  return found;
}

// flock, not fcntl: its hold belongs to the open file, so a second opener in
// the same process is refused as one in another process is. The folder is held
// too: a lock file can be deleted while held, and a copy that then made a new
// one at the path would hold that one, while the folder stays the same.
class PosixFileLock final : public FileLock {
 public:
  PosixFileLock(int folder, int file) : folder_(folder), file_(file) {}

 private:
  Descriptor folder_;
  Descriptor file_;
};

// An exclusive flock without waiting; false when another opener holds it.
bool LockExclusively(int fd, const std::string& path) {
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
  if (errno == EWOULDBLOCK) return false;
  throw Reason("Cannot lock", path);
}

// Whether the open file is the one the path names now: one deleted, or
// replaced, after it was opened holds nothing for the path.
bool IsAtPath(int fd, const std::string& path) {
  struct stat held, named;
  return ::fstat(fd, &held) == 0 && ::stat(Resolve(path).c_str(), &named) == 0 && held.st_dev == named.st_dev &&
         held.st_ino == named.st_ino;
}

// A folder may take no new file while a lock file left in it still opens for
// writing; only a file made and removed there shows that the tables can be
// replaced in it.
void ProbeFolder(const std::string& lockPath) {
  const std::string probe = lockPath + ".probe";
  if (::unlink(probe.c_str()) != 0 && errno != ENOENT) throw Reason("Cannot write to the folder of", lockPath);
  Descriptor made(::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
  if (made.get() < 0) throw Reason("Cannot write to the folder of", lockPath);
  made.Close();
  if (::unlink(probe.c_str()) != 0) throw Reason("Cannot write to the folder of", lockPath);
}

// A rename or removal is durable only once its folder is flushed. True when
// it is, or when the file system cannot flush a folder at all (EINVAL).
bool SyncDirectory(const std::string& path) {
  Descriptor dir(::open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY));
  return dir.get() >= 0 && (::fsync(dir.get()) == 0 || errno == EINVAL);
}

// A rename the port promises to be durable: if the folder cannot be flushed,
// the rename may not be on the disk, and the caller must not go on as if it were.
void SyncDirectoryOfRename(const std::string& to) {
  if (!SyncDirectory(to)) throw Reason("Cannot flush the folder of", to);
}

void WriteAll(int file, std::string_view bytes, const std::string& path) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(file, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw Reason("Cannot write", path);
    done += static_cast<std::size_t>(n);
  }
}

class PosixFileStore final : public FileStore {
 public:
  explicit PosixFileStore(bool oneStepReplace) : oneStepReplace_(oneStepReplace) {}

  bool Exists(const std::string& path) override {
    struct stat st;
    return ::stat(Resolve(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
  }

  std::string Read(const std::string& path, std::size_t maxBytes) override {
    Descriptor file(::open(Resolve(path).c_str(), O_RDONLY));
    if (file.get() < 0) throw Reason("Cannot open", path);
    struct stat st;
    if (::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode))
      throw FileError("Cannot read " + path + ": not a regular file");
    if (static_cast<std::size_t>(st.st_size) > maxBytes)
      throw FileTooLargeError(path, maxBytes);
    std::string bytes(static_cast<std::size_t>(st.st_size), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
      ssize_t n = ::read(file.get(), bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) throw Reason("Cannot read", path);
      if (n == 0) throw FileError("Cannot read " + path + ": the file shrank");
      done += static_cast<std::size_t>(n);
    }
    return bytes;
  }

  void WriteDurably(const std::string& path, std::string_view bytes) override {
    Descriptor file(::open(Resolve(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644));
    if (file.get() < 0) throw Reason("Cannot create", path);
    WriteAll(file.get(), bytes, path);
    if (::fsync(file.get()) != 0) throw Reason("Cannot flush", path);
    if (!file.Close()) throw Reason("Cannot close", path);
  }

  void AppendDurably(const std::string& path, std::string_view bytes) override {
    Descriptor file(::open(Resolve(path).c_str(), O_WRONLY | O_APPEND));
    if (file.get() < 0) throw Reason("Cannot open", path);
    WriteAll(file.get(), bytes, path);
    // fdatasync would do for the bytes, but the file's new length must reach
    // the disk with them.
    if (::fsync(file.get()) != 0) throw Reason("Cannot flush", path);
    if (!file.Close()) throw Reason("Cannot close", path);
  }

  bool ReplaceInOneStep(const std::string& from, const std::string& to) override {
    if (!oneStepReplace_) return false;
    if (::rename(Resolve(from).c_str(), Resolve(to).c_str()) != 0) throw Reason("Cannot replace", to);
    SyncDirectoryOfRename(to);
    return true;
  }

  bool MoveNoReplace(const std::string& from, const std::string& to) override {
    if (Exists(to)) return false;
    // link() fails when the target exists, which closes the race with another writer.
    if (::link(Resolve(from).c_str(), to.c_str()) != 0) {
      if (errno == EEXIST) return false;
      throw Reason("Cannot rename " + from + " to", to);
    }
    ::unlink(Resolve(from).c_str());
    SyncDirectoryOfRename(to);
    return true;
  }

  void Remove(const std::string& path) override {
    if (::unlink(Resolve(path).c_str()) != 0) {
      if (errno == ENOENT) return;
      throw Reason("Cannot delete", path);
    }
    SyncDirectory(path);  // more than the port promises for a removal, so a failure is no error
  }

  std::unique_ptr<FileLock> HoldLock(const std::string& path) override {
    Descriptor folder(::open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0) throw Reason("Cannot open the folder of the lock file", path);
    if (!LockExclusively(folder.get(), path)) return nullptr;
    // A copy that locks the file alone (an earlier release) may delete and
    // make it between another's open and lock: the lock taken must be on the
    // file at the path.
    for (int tries = 0; tries < kLockTries; ++tries) {
      Descriptor file(::open(Resolve(path).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
      if (file.get() < 0) throw Reason("Cannot open the lock file", path);
      if (!LockExclusively(file.get(), path)) return nullptr;
      if (!IsAtPath(file.get(), path)) continue;
      ProbeFolder(path);
      return std::make_unique<PosixFileLock>(folder.Release(), file.Release());
    }
    throw FileError("Cannot lock " + path + ": it is replaced each time it is locked");
  }

  void Pause(int milliseconds) override {
    timespec rest{milliseconds / 1000, (milliseconds % 1000) * 1000000L};
    while (::nanosleep(&rest, &rest) != 0 && errno == EINTR) {
    }
  }

 private:
  const bool oneStepReplace_;
};

}  // namespace

FileStore& SystemFileStore() {
  static PosixFileStore store(true);
  return store;
}

FileStore& SystemFileStoreWithoutOneStepReplace() {
  static PosixFileStore store(false);
  return store;
}

}  // namespace cordalis
