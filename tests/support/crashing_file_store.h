#pragma once
// A disk that keeps, through a power cut, only what the file port promises to
// have flushed, over any file store (the memory one, or real files).
//
// What the port promises, and so all that a crash keeps:
// - WriteDurably: the file's bytes, once it returns. The name of a file it
//   creates reaches the disk only with the next flush of its folder.
// - AppendDurably: the bytes added, once it returns.
// - ReplaceInOneStep and MoveNoReplace: the folder is flushed once they
//   return, with the rename and every earlier change of names in it.
// - Remove: nothing; a removed file may be back after a crash.
// Bytes written and not flushed come back torn (their first half), which is
// neither the old nor the new content: whatever relied on them shows. Bytes
// appended and not flushed come back as the first half of what was added.
//
// The k-th changing call is a crash point: the power goes just before it (a
// write is cut part-way), the files are put back to what the disk kept, and
// every later call fails until Restart().
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "doubles/memory_file_store.h"
#include "host/file_store.h"
#include "host/text.h"

namespace cordalis::testing {

class CrashingFileStore final : public FileStore {
 public:
  explicit CrashingFileStore(FileStore& inner, std::optional<int> crashAt = std::nullopt)
      : crashAt(crashAt), inner_(inner) {}

  bool Exists(const std::string& path) override {
    Alive();
    return inner_.Exists(path);
  }
  std::string Read(const std::string& path, std::size_t maxBytes) override {
    Alive();
    return inner_.Read(path, maxBytes);
  }
  void WriteDurably(const std::string& path, std::string_view bytes) override {
    Name& name = Touch(path);
    if (!name.now) name.now = std::make_shared<Content>();  // a new file; an old one is truncated in place
    name.now->bytes = std::string(bytes);
    name.now->durable = 0;
    name.now->flushed = false;
    if (Change()) Die();  // cut part-way, before the flush
    inner_.WriteDurably(path, bytes);
    Flush(*name.now);
  }
  void AppendDurably(const std::string& path, std::string_view bytes) override {
    Name& name = Touch(path);
    if (!name.now) throw FileError("Cannot open " + path + ": not found");
    if (name.now->flushed) name.now->durable = name.now->bytes.size();
    name.now->bytes += bytes;
    name.now->flushed = false;
    if (Change()) Die();  // cut part-way, before the flush
    inner_.AppendDurably(path, bytes);
    Flush(*name.now);
  }
  bool ReplaceInOneStep(const std::string& from, const std::string& to) override {
    Touch(from);
    Touch(to);
    if (Change()) Die();
    if (!inner_.ReplaceInOneStep(from, to)) return false;
    Rename(from, to);
    FlushFolder(to);
    return true;
  }
  bool MoveNoReplace(const std::string& from, const std::string& to) override {
    Touch(from);
    Touch(to);
    if (Change()) Die();
    if (!inner_.MoveNoReplace(from, to)) return false;
    Rename(from, to);
    FlushFolder(to);
    return true;
  }
  void Remove(const std::string& path) override {
    Name& name = Touch(path);
    if (Change()) Die();
    inner_.Remove(path);
    name.now = nullptr;
  }
  std::unique_ptr<FileLock> HoldLock(const std::string& path) override { return inner_.HoldLock(path); }
  void Pause(int milliseconds) override { inner_.Pause(milliseconds); }

  // The power goes now: the files become what the disk kept.
  void Crash() {
    crashed_ = true;
    for (auto& [key, name] : names_) {
      if (name.kept) {
        const Content& content = *name.kept;
        const std::size_t torn = content.durable + (content.bytes.size() - content.durable) / 2;
        const std::string bytes = content.flushed ? content.bytes : content.bytes.substr(0, torn);
        inner_.WriteDurably(name.spelling, bytes);
        name.now = name.kept = std::make_shared<Content>(Content{bytes, true, 0});
      } else {
        inner_.Remove(name.spelling);
        name.now = nullptr;
      }
    }
  }
  bool Crashed() const { return crashed_; }
  // The machine starts again with what the disk kept.
  void Restart() { crashed_ = false; }

  std::optional<int> crashAt;  // the changing call (counted from 1) at which the power goes
  int changes = 0;             // changing calls made so far

 private:
  // One file on the disk, whatever name it has now.
  struct Content {
    std::string bytes;         // as last written
    bool flushed = true;       // false: written since its last flush
    std::size_t durable = 0;   // while not flushed: how many bytes at the start are on the disk
  };
  struct Name {
    std::string spelling;           // as first used, for the inner store
    std::shared_ptr<Content> now;   // the file the name stands for now; null when none
    std::shared_ptr<Content> kept;  // the file the disk has under the name; null when none
  };

  // A name first used here stands for what the inner store holds, on the disk.
  Name& Touch(const std::string& path) {
    Alive();
    auto [it, fresh] = names_.try_emplace(ToLowerAscii(path));
    if (fresh) {
      it->second.spelling = path;
      if (inner_.Exists(path))
        it->second.now = it->second.kept =
            std::make_shared<Content>(Content{inner_.Read(path, std::numeric_limits<std::size_t>::max()), true, 0});
    }
    return it->second;
  }
  void Rename(const std::string& from, const std::string& to) {
    Name& source = names_.at(ToLowerAscii(from));
    names_.at(ToLowerAscii(to)).now = source.now;
    source.now = nullptr;
  }
  static void Flush(Content& content) { content.flushed = true; }
  void FlushFolder(const std::string& path) {
    const std::string folder = FolderOf(ToLowerAscii(path));
    for (auto& [key, name] : names_)
      if (FolderOf(key) == folder) name.kept = name.now;
  }
  static std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
  }
  void Alive() const {
    if (crashed_) throw SimulatedCrash();
  }
  // Counts a changing call; true when the power goes at it.
  bool Change() { return ++changes == crashAt; }
  [[noreturn]] void Die() {
    Crash();
    throw SimulatedCrash();
  }

  FileStore& inner_;
  std::map<std::string, Name> names_;  // every name used, by its lower-case form
  bool crashed_ = false;
};

}  // namespace cordalis::testing
