#include "app/registry_read_cache.h"

#include "host/text.h"

namespace cordalis {

RegistryReadCache::~RegistryReadCache() {
  for (HKey key : open_) registry_.CloseKey(key);
}

// After a change: what was read may be stale. The keys opened stay open (the
// change may be made through one of them) until the pass ends.
void RegistryReadCache::Forget() {
  opened_.clear();
  read_.clear();
}

long RegistryReadCache::OpenKey(HKey parent, const std::string& subKey, std::uint32_t access, HKey* result) {
  auto [at, first] = opened_.try_emplace({parent, ToLowerAscii(subKey), access});
  Opened& opened = at->second;
  if (first) {
    opened.error = registry_.OpenKey(parent, subKey, access, &opened.key);
    if (opened.error == kErrorSuccess) open_.push_back(opened.key);
  }
  if (opened.error == kErrorSuccess) *result = opened.key;
  return opened.error;
}

long RegistryReadCache::QueryValue(HKey key, const std::string& name, std::uint32_t* type,
                                   std::vector<std::uint8_t>* data, std::uint32_t* size) {
  auto [at, first] = read_.try_emplace({key, ToLowerAscii(name)});
  Read& read = at->second;
  if (first) {
    std::uint32_t ignored = 0;
    read.error = registry_.QueryValue(key, name, &read.type, &read.data, &ignored);
  }
  if (read.error != kErrorSuccess) return read.error;
  if (type) *type = read.type;
  if (data) *data = read.data;
  if (size) *size = static_cast<std::uint32_t>(read.data.size());
  return read.error;
}

long RegistryReadCache::CloseKey(HKey key) {
  for (HKey open : open_)
    if (open == key) return kErrorSuccess;
  return registry_.CloseKey(key);  // not one of ours: a root, or a key opened before the pass
}

long RegistryReadCache::CreateKey(HKey parent, const std::string& subKey, std::uint32_t access, HKey* result,
                                  bool* created) {
  Forget();
  return registry_.CreateKey(parent, subKey, access, result, created);
}

long RegistryReadCache::SetValue(HKey key, const std::string& name, std::uint32_t type, const std::uint8_t* data,
                                 std::uint32_t size) {
  Forget();
  return registry_.SetValue(key, name, type, data, size);
}

long RegistryReadCache::DeleteValue(HKey key, const std::string& name) {
  Forget();
  return registry_.DeleteValue(key, name);
}

long RegistryReadCache::DeleteKey(HKey parent, const std::string& subKey) {
  Forget();
  return registry_.DeleteKey(parent, subKey);
}

}  // namespace cordalis
