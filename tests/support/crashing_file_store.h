#pragma once
// Puts a real file store behind a crash point: the k-th changing operation
// stops the "process" there, as a power cut would (a write is torn in half
// first), and nothing after it reaches the disk.
#include <optional>
#include <string>

#include "host/file_store.h"
#include "doubles/memory_file_store.h"

namespace cordalis::testing {

class CrashingFileStore final : public FileStore {
 public:
  CrashingFileStore(FileStore& inner, int crashAt) : inner_(inner), crashAt_(crashAt) {}

  bool Exists(const std::string& path) override { return inner_.Exists(path); }
  std::string Read(const std::string& path, std::size_t maxBytes) override { return inner_.Read(path, maxBytes); }
  void WriteDurably(const std::string& path, std::string_view bytes) override {
    if (Change()) {
      inner_.WriteDurably(path, bytes.substr(0, bytes.size() / 2));
      throw SimulatedCrash();
    }
    inner_.WriteDurably(path, bytes);
  }
  bool ReplaceInOneStep(const std::string& from, const std::string& to) override {
    if (Change()) throw SimulatedCrash();
    return inner_.ReplaceInOneStep(from, to);
  }
  bool MoveNoReplace(const std::string& from, const std::string& to) override {
    if (Change()) throw SimulatedCrash();
    return inner_.MoveNoReplace(from, to);
  }
  void Remove(const std::string& path) override {
    if (Change()) throw SimulatedCrash();
    inner_.Remove(path);
  }
  std::unique_ptr<FileLock> HoldLock(const std::string& path) override { return inner_.HoldLock(path); }
  void Pause(int milliseconds) override { inner_.Pause(milliseconds); }

  int changes = 0;

 private:
  bool Change() { return ++changes == crashAt_; }
  FileStore& inner_;
  int crashAt_;
};

}  // namespace cordalis::testing
