#pragma once
// The Registry as one pass of reading sees it: each key is opened once and
// each value read once, however often the pass asks. Working out the states of
// a category's tweaks reads every value twice or more (does it exist, what
// does it hold) in keys that many tweaks share, and under Windows each call
// is a trip to the Registry's keeper. Nothing changes the Registry during the
// pass (the window's one thread is in it); a change made through this object
// goes through and makes it open and read everything anew.
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "host/registry_api.h"

namespace cordalis {

class RegistryReadCache final : public RegistryApi {
 public:
  explicit RegistryReadCache(RegistryApi& registry) : registry_(registry) {}
  ~RegistryReadCache() override;
  RegistryReadCache(const RegistryReadCache&) = delete;
  RegistryReadCache& operator=(const RegistryReadCache&) = delete;

  long OpenKey(HKey parent, const std::string& subKey, std::uint32_t access, HKey* result) override;
  long QueryValue(HKey key, const std::string& name, std::uint32_t* type, std::vector<std::uint8_t>* data,
                  std::uint32_t* size) override;
  // A key opened here stays open until the pass ends.
  long CloseKey(HKey key) override;

  long CreateKey(HKey parent, const std::string& subKey, std::uint32_t access, HKey* result, bool* created) override;
  long SetValue(HKey key, const std::string& name, std::uint32_t type, const std::uint8_t* data,
                std::uint32_t size) override;
  long DeleteValue(HKey key, const std::string& name) override;
  long DeleteKey(HKey parent, const std::string& subKey) override;
  long EnumKey(HKey key, std::uint32_t index, std::string* name) override {
    return registry_.EnumKey(key, index, name);
  }
  long EnumValue(HKey key, std::uint32_t index, std::string* name) override {
    return registry_.EnumValue(key, index, name);
  }
  long QueryInfoKey(HKey key, RegKeyInfo* info) override { return registry_.QueryInfoKey(key, info); }
  long FlushKey(HKey key) override { return registry_.FlushKey(key); }

 private:
  struct Opened {
    long error = kErrorSuccess;
    HKey key = 0;
  };
  struct Read {
    long error = kErrorSuccess;
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
  };
  void Forget();

  RegistryApi& registry_;
  // Names in lower case: the Registry ignores their letter case.
  std::map<std::tuple<HKey, std::string, std::uint32_t>, Opened> opened_;
  std::map<std::pair<HKey, std::string>, Read> read_;
  std::vector<HKey> open_;  // closed when the pass ends
};

}  // namespace cordalis
