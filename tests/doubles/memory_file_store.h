#pragma once
// A file store in memory whose changing operations can be made to fail, or to
// stop the "process" part-way as a crash would.
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/file_store.h"
#include "host/text.h"

namespace cordalis::testing {

// Thrown at the crash point; afterwards every operation fails, as the process
// is gone. Not a std::exception, so that no handler of the program's own
// errors can swallow it.
struct SimulatedCrash {
  const char* what() const noexcept { return "simulated crash"; }
};

class MemoryFileStore final : public FileStore {
 public:
  std::map<std::string, std::string> files;  // keys in lower case, as Windows matches names

  int changes = 0;                 // changing operations made so far
  std::optional<int> failAt;       // the changing operation (counted from 1) that fails with FileError
  std::optional<int> crashAt;      // the changing operation at which the process dies
  bool crashed = false;
  bool oneStepReplace = true;     // false: as Windows 95, 98 and ME, two renames

  // A read-only folder: every change fails as access denied, and no lock is held.
  bool readOnly = false;
  // Reads of a file that fail as another program holding it, or as access denied.
  struct ReadFault {
    FileFault fault;
    int times;  // the next reads that fail; -1 for ever
  };
  std::map<std::string, ReadFault> readFaults;  // keys in lower case
  std::set<std::string> locksHeld;              // lower case; a lock file's entry while it is held
  std::optional<FileFault> lockFails;           // HoldLock throws this fault (the file cannot be created)
  std::vector<int> pauses;                      // every Pause, in milliseconds; nothing waits
  std::function<void()> onPause;                // what another process does meanwhile

  bool Exists(const std::string& path) override {
    Alive();
    return files.count(ToLowerAscii(path)) != 0;
  }
  std::string Read(const std::string& path, std::size_t maxBytes) override {
    Alive();
    FailRead(path);
    auto it = files.find(ToLowerAscii(path));
    if (it == files.end()) throw FileError("Cannot open " + path + ": not found");
    if (it->second.size() > maxBytes) throw FileTooLargeError(path, maxBytes);
    return it->second;
  }
  void WriteDurably(const std::string& path, std::string_view bytes) override {
    const std::string torn(bytes.substr(0, bytes.size() / 2));
    Alive();
    Writable(path);
    ++changes;
    if (failAt && *failAt == changes) {  // the disk filled up part-way
      files[ToLowerAscii(path)] = torn;
      throw FileError("Cannot write " + path + ": simulated failure of operation " + std::to_string(changes));
    }
    if (crashAt && *crashAt == changes) {
      files[ToLowerAscii(path)] = torn;
      Die();
    }
    files[ToLowerAscii(path)] = std::string(bytes);
  }
  void AppendDurably(const std::string& path, std::string_view bytes) override {
    Alive();
    auto it = files.find(ToLowerAscii(path));
    if (it == files.end()) throw FileError("Cannot open " + path + ": not found");
    Writable(path);
    ++changes;
    const bool fails = failAt && *failAt == changes, crashes = crashAt && *crashAt == changes;
    if (fails || crashes) it->second += bytes.substr(0, bytes.size() / 2);  // a part reached the disk
    if (fails) throw FileError("Cannot write " + path + ": simulated failure of operation " + std::to_string(changes));
    if (crashes) Die();
    it->second += bytes;
  }
  bool ReplaceInOneStep(const std::string& from, const std::string& to) override {
    if (!oneStepReplace) return false;
    Writable(to);
    if (Change()) Die();
    auto it = files.find(ToLowerAscii(from));
    if (it == files.end()) throw FileError("Cannot replace " + to + ": source missing");
    files[ToLowerAscii(to)] = it->second;
    files.erase(it);
    return true;
  }
  bool MoveNoReplace(const std::string& from, const std::string& to) override {
    if (files.count(ToLowerAscii(to))) return false;
    Writable(to);
    if (Change()) Die();
    auto it = files.find(ToLowerAscii(from));
    if (it == files.end()) throw FileError("Cannot rename " + from + ": not found");
    files[ToLowerAscii(to)] = it->second;
    files.erase(it);
    return true;
  }

  void Remove(const std::string& path) override {
    if (!files.count(ToLowerAscii(path))) return;
    Writable(path);
    if (Change()) Die();
    files.erase(ToLowerAscii(path));
  }

  // As the system's stores: a lock is refused in a read-only folder, even
  // where a lock file left there would still open for writing.
  std::unique_ptr<FileLock> HoldLock(const std::string& path) override {
    Alive();
    if (lockFails) throw Failure("Cannot open the lock file " + path, *lockFails);
    if (locksHeld.count(ToLowerAscii(path))) return nullptr;
    if (readOnly) throw Failure("Cannot write to the folder of " + path, FileFault::AccessDenied);
    locksHeld.insert(ToLowerAscii(path));
    return std::make_unique<Lock>(locksHeld, ToLowerAscii(path));
  }
  void Pause(int milliseconds) override {
    pauses.push_back(milliseconds);
    if (onPause) onPause();
  }

  std::string& At(const std::string& path) { return files.at(ToLowerAscii(path)); }

 private:
  class Lock final : public FileLock {
   public:
    Lock(std::set<std::string>& held, std::string key) : held_(held), key_(std::move(key)) {}
    ~Lock() override { held_.erase(key_); }

   private:
    std::set<std::string>& held_;
    std::string key_;
  };

  void FailRead(const std::string& path) {
    auto it = readFaults.find(ToLowerAscii(path));
    if (it == readFaults.end() || it->second.times == 0) return;
    if (it->second.times > 0) --it->second.times;
    throw Failure("Cannot open " + path, it->second.fault);
  }
  void Writable(const std::string& path) const {
    if (readOnly) throw Failure("Cannot change " + path, FileFault::AccessDenied);
  }
  // A failure of the kind given, in words like the system's.
  static FileError Failure(const std::string& what, FileFault fault) {
    const std::string reason = fault == FileFault::SharingViolation ? "The file is in use by another process."
                               : fault == FileFault::AccessDenied   ? "Access is denied."
                                                                    : "The operation failed.";
    return FileError(what + ": " + reason, fault, reason);
  }

  void Alive() const {
    if (crashed) throw SimulatedCrash();
  }
  // Counts a changing operation; true when it is the crash point.
  bool Change() {
    Alive();
    ++changes;
    if (failAt && *failAt == changes) throw FileError("simulated failure of operation " + std::to_string(changes));
    return crashAt && *crashAt == changes;
  }
  [[noreturn]] void Die() {
    crashed = true;
    throw SimulatedCrash();
  }
};

}  // namespace cordalis::testing
