// The file store on POSIX systems (the Linux build and its tests).
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "host/file_store.h"

namespace cordalis {
namespace {

std::string Reason(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

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
  std::string dir = DirectoryOf(path);
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string found = path;
  if (DIR* d = ::opendir(dir.c_str())) {
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

void SyncDirectory(const std::string& path) {
  int fd = ::open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

class PosixFileStore final : public FileStore {
 public:
  bool Exists(const std::string& path) override {
    struct stat st;
    return ::stat(Resolve(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
  }

  std::string Read(const std::string& path, std::size_t maxBytes) override {
    std::string real = Resolve(path);
    int fd = ::open(real.c_str(), O_RDONLY);
    if (fd < 0) throw FileError(Reason("Cannot open", path));
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      ::close(fd);
      throw FileError("Cannot read " + path + ": not a regular file");
    }
    if (static_cast<std::size_t>(st.st_size) > maxBytes) {
      ::close(fd);
      throw FileError("Cannot read " + path + ": the file is larger than " + std::to_string(maxBytes) + " bytes");
    }
    std::string bytes(static_cast<std::size_t>(st.st_size), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
      ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        std::string message = n < 0 ? Reason("Cannot read", path) : "Cannot read " + path + ": the file shrank";
        ::close(fd);
        throw FileError(message);
      }
      done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return bytes;
  }

  void WriteDurably(const std::string& path, std::string_view bytes) override {
    std::string real = Resolve(path);
    int fd = ::open(real.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) throw FileError(Reason("Cannot create", path));
    std::size_t done = 0;
    while (done < bytes.size()) {
      ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        std::string message = Reason("Cannot write", path);
        ::close(fd);
        throw FileError(message);
      }
      done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) {
      std::string message = Reason("Cannot flush", path);
      ::close(fd);
      throw FileError(message);
    }
    if (::close(fd) != 0) throw FileError(Reason("Cannot close", path));
  }

  void Replace(const std::string& from, const std::string& to) override {
    if (::rename(Resolve(from).c_str(), Resolve(to).c_str()) != 0) throw FileError(Reason("Cannot replace", to));
    SyncDirectory(to);
  }

  bool MoveNoReplace(const std::string& from, const std::string& to) override {
    if (Exists(to)) return false;
    // link() fails when the target exists, which closes the race with another writer.
    if (::link(Resolve(from).c_str(), to.c_str()) != 0) {
      if (errno == EEXIST) return false;
      throw FileError(Reason("Cannot rename " + from + " to", to));
    }
    ::unlink(Resolve(from).c_str());
    SyncDirectory(to);
    return true;
  }
};

}  // namespace

FileStore& SystemFileStore() {
  static PosixFileStore store;
  return store;
}

}  // namespace cordalis
