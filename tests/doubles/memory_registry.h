#pragma once
// The Registry in memory, faithful to Windows NT: key and value names compared
// without regard to case and kept as first written; typed values with their
// exact bytes; the default (unnamed) value; subkeys listed in
// case-insensitive name order and values in creation order; a key with
// subkeys cannot be removed by the single-key delete; the rights a handle was
// opened with; the five predefined roots.
//
// Test hooks: stop at the k-th change as a crash would cut the program (a
// chain of missing keys is made one key at a time, each its own change), or
// refuse it; refuse changes under chosen roots as a user without rights sees
// it; and lose, in a power cut, what was not yet written to the disk.
//
// The disk: Windows keeps Registry changes in memory and writes a hive to the
// disk seconds after it changed, or at once when a key of it is flushed
// (RegFlushKey). A root stands for one hive here. Until KeepOnlyWhatIsFlushed
// is called every change is on the disk at once, as if the lazy writer were
// instant; after it, a power cut brings back each root as its last flush left it.
//
// Known differences from Wine's Registry, which the contract tests
// (tests/host/registry_contract_test.cpp) show case by case. In each, this
// Registry does what Windows NT does:
// - Subkeys: NT lists them by the upper-case form of their names, Wine by the
//   lower-case form. The orders differ for names holding [ ] ^ _ ` (between
//   "Z" and "a"): NT lists "Zz" before "_x", Wine after.
// - Values: NT lists them in creation order, Wine sorted by name.
// - Key names: Windows allows 255 characters; Wine takes 256 too. Longer
//   names get ERROR_INVALID_PARAMETER from both.
// - RegCreateKeyEx of the empty name (the key itself): Wine says the key was
//   created; NT says an existing key was opened.
// - RegQueryInfoKey needs KEY_QUERY_VALUE on the handle, as on Windows XP and
//   2003; Wine (like later Windows for some rights) answers any handle. Code
//   that passes here works on both.
// - RegFlushKey needs KEY_QUERY_VALUE on the handle, as Windows documents;
//   Wine flushes through any handle.
//
// Made for the Windows 95 family (95, 98 and ME), it does what those systems
// do, as Wine does in its win95, win98 and winme modes, where NT differs:
// - The rights asked for are ignored: every handle allows every call.
// - RegCreateKeyEx ignores one leading "\"; RegOpenKeyEx takes none, not
//   even below HKEY_CLASSES_ROOT.
// - RegSetValueEx of a REG_SZ takes the string's length from the string: it
//   stores the bytes up to the first zero and a terminating zero, whatever
//   size is given.
// - RegDeleteKey deletes the key with everything below it, deepest first,
//   each key a change of its own.
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "host/registry_api.h"

namespace cordalis {

// Thrown by the changing call at which the test stops the program. Not a
// std::exception: a crash is nothing the program can catch and go on from, so
// code that handles its own errors must not swallow it.
struct RegistryCrash {
  const char* what() const noexcept { return "the program stopped here (simulated crash)"; }
};

// The two families of Windows the program runs on, where their Registries differ.
enum class RegistryFamily { kNt, kWindows95 };

class MemoryRegistry final : public RegistryApi {
 public:
  explicit MemoryRegistry(RegistryFamily family = RegistryFamily::kNt);
  ~MemoryRegistry() override;

  long OpenKey(HKey parent, const std::string& subKey, std::uint32_t access, HKey* result) override;
  long CreateKey(HKey parent, const std::string& subKey, std::uint32_t access, HKey* result, bool* created) override;
  long QueryValue(HKey key, const std::string& name, std::uint32_t* type, std::vector<std::uint8_t>* data,
                  std::uint32_t* size) override;
  long SetValue(HKey key, const std::string& name, std::uint32_t type, const std::uint8_t* data,
                std::uint32_t size) override;
  long DeleteValue(HKey key, const std::string& name) override;
  long DeleteKey(HKey parent, const std::string& subKey) override;
  long EnumKey(HKey key, std::uint32_t index, std::string* name) override;
  long EnumValue(HKey key, std::uint32_t index, std::string* name) override;
  long QueryInfoKey(HKey key, RegKeyInfo* info) override;
  long CloseKey(HKey key) override;
  long FlushKey(HKey key) override;

  // Test hooks.
  std::optional<int> crashAtChange;  // the changing call (counted from 1) that throws RegistryCrash
  std::function<void()> onCrash;     // runs first, so a test can stop the rest of the "process" too
  std::optional<int> failAtChange;   // the change (counted from 1) refused with ERROR_ACCESS_DENIED, nothing changed
  int changes = 0;                   // changing calls made so far (each key created, each value set or deleted)
  // From now on a change reaches the disk only when its root is flushed; what
  // is there now is on the disk.
  void KeepOnlyWhatIsFlushed();
  // Windows' lazy writer: every root is written to the disk.
  void WriteEverythingToDisk();
  // The power goes and the machine starts again: every handle is gone, and
  // each root is what its disk holds.
  void PowerCut();
  void RefuseChangesUnder(HKey root) { refused_.insert(root); }
  void AllowChangesUnder(HKey root) { refused_.erase(root); }
  std::size_t OpenHandles() const { return handles_.size(); }

  // The whole tree as text, for comparing states in tests: one line per key
  // (its path) and per value (path, name, type and bytes in hex), in listing order.
  std::string Dump() const;

 private:
  struct Node;
  struct Handle {
    std::shared_ptr<Node> node;
    HKey root;
    std::uint32_t access;
  };
  long Resolve(HKey key, std::uint32_t rights, Handle* out) const;
  long Walk(const Handle& base, const std::string& subKey, bool create, std::shared_ptr<Node>* out, bool* created);
  bool Refused(HKey root) const { return refused_.count(root) != 0; }
  bool Windows95() const { return family_ == RegistryFamily::kWindows95; }
  std::string OpenPath(HKey parent, const std::string& subKey) const;
  long RemoveKey(const std::shared_ptr<Node>& node);
  long CountChange();  // counts a change; an error code when it is the one to fail
  HKey NewHandle(std::shared_ptr<Node> node, HKey root, std::uint32_t access);

  using Roots = std::map<HKey, std::shared_ptr<Node>>;
  static Roots Copy(const Roots& roots);

  RegistryFamily family_;
  Roots roots_;
  std::optional<Roots> onDisk_;  // set once only what is flushed is kept
  std::map<HKey, Handle> handles_;
  std::set<HKey> refused_;
  HKey nextHandle_ = 0x1000;
};

}  // namespace cordalis
