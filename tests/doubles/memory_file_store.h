#pragma once
// A file store in memory whose changing operations can be made to fail, or to
// stop the "process" part-way as a crash would.
#include <map>
#include <optional>
#include <stdexcept>
#include <string>

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

  bool Exists(const std::string& path) override {
    Alive();
    return files.count(ToLowerAscii(path)) != 0;
  }
  std::string Read(const std::string& path, std::size_t maxBytes) override {
    Alive();
    auto it = files.find(ToLowerAscii(path));
    if (it == files.end()) throw FileError("Cannot open " + path + ": not found");
    if (it->second.size() > maxBytes) throw FileError("Cannot read " + path + ": too large");
    return it->second;
  }
  void WriteDurably(const std::string& path, std::string_view bytes) override {
    const std::string torn(bytes.substr(0, bytes.size() / 2));
    Alive();
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
  bool ReplaceInOneStep(const std::string& from, const std::string& to) override {
    if (!oneStepReplace) return false;
    if (Change()) Die();
    auto it = files.find(ToLowerAscii(from));
    if (it == files.end()) throw FileError("Cannot replace " + to + ": source missing");
    files[ToLowerAscii(to)] = it->second;
    files.erase(it);
    return true;
  }
  bool MoveNoReplace(const std::string& from, const std::string& to) override {
    if (files.count(ToLowerAscii(to))) return false;
    if (Change()) Die();
    auto it = files.find(ToLowerAscii(from));
    if (it == files.end()) throw FileError("Cannot rename " + from + ": not found");
    files[ToLowerAscii(to)] = it->second;
    files.erase(it);
    return true;
  }

  void Remove(const std::string& path) override {
    if (!files.count(ToLowerAscii(path))) return;
    if (Change()) Die();
    files.erase(ToLowerAscii(path));
  }

  std::string& At(const std::string& path) { return files.at(ToLowerAscii(path)); }

 private:
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
