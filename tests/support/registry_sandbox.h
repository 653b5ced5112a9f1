#pragma once
// A Registry to test against: the in-memory one, or (Windows builds) the real
// one, confined to a sandbox key under HKEY_CURRENT_USER that the test makes
// and removes with everything below it.
#include <atomic>
#include <memory>
#include <string>

#include "doubles/memory_registry.h"
#include "host/registry.h"

namespace cordalis::testing {

enum class RegistryKind { Memory, System };

inline std::string KindName(RegistryKind kind) { return kind == RegistryKind::Memory ? "Memory" : "System"; }

class RegistrySandbox {
 public:
  explicit RegistrySandbox(RegistryKind kind) : kind_(kind) {
    static std::atomic<int> counter{0};
    path_ = "Software\\CordalisTest\\Sandbox" + std::to_string(reinterpret_cast<std::uintptr_t>(this) % 100000) + "_" +
            std::to_string(++counter);
    if (kind == RegistryKind::Memory) {
      memory_ = std::make_unique<MemoryRegistry>();
      api_ = memory_.get();
    } else {
#ifdef _WIN32
      api_ = &SystemRegistry();
#else
      throw std::logic_error("the system Registry exists only on Windows");
#endif
    }
    TRegistry reg(*api_);
    reg.SetRootKey(kHkeyCurrentUser);
    reg.DeleteKey(path_);
    reg.CreateKey(path_);
  }
  ~RegistrySandbox() {
    TRegistry reg(*api_);
    reg.SetRootKey(kHkeyCurrentUser);
    reg.DeleteKey(path_);
    if (kind_ == RegistryKind::System) {
      // Leave no trace: the parent goes too once the last sandbox is gone.
      if (reg.OpenKey("Software\\CordalisTest", false) && reg.GetKeyNames().empty() && reg.GetValueNames().empty()) {
        reg.CloseKey();
        reg.DeleteKey("Software\\CordalisTest");
      }
    }
  }
  RegistrySandbox(const RegistrySandbox&) = delete;
  RegistrySandbox& operator=(const RegistrySandbox&) = delete;

  RegistryApi& Api() { return *api_; }
  MemoryRegistry* Memory() { return memory_.get(); }
  // The sandbox key's path below HKEY_CURRENT_USER, or a key below it.
  std::string Path(const std::string& sub = "") const { return sub.empty() ? path_ : path_ + "\\" + sub; }

 private:
  RegistryKind kind_;
  std::unique_ptr<MemoryRegistry> memory_;
  RegistryApi* api_ = nullptr;
  std::string path_;
};

inline std::vector<RegistryKind> RegistryKindsUnderTest() {
#ifdef _WIN32
  return {RegistryKind::Memory, RegistryKind::System};
#else
  return {RegistryKind::Memory};
#endif
}

}  // namespace cordalis::testing
