// The Registry port on Windows: each call is the advapi32 function of its name.
#include <windows.h>

#include "host/host_queries.h"
#include "host/platform.h"
#include "host/registry_api.h"

namespace cordalis {
namespace {

// The bytes a value read first makes room for.
constexpr DWORD kFirstReadSize = 256;

// The predefined roots are sign-extended handles on 64-bit Windows
// (0xFFFFFFFF80000001 for HKEY_CURRENT_USER), so the port's 32-bit values are
// mapped to the system's own, never cast.
HKEY Key(HKey key) {
  switch (key) {
    case kHkeyClassesRoot: return HKEY_CLASSES_ROOT;
    case kHkeyCurrentUser: return HKEY_CURRENT_USER;
    case kHkeyLocalMachine: return HKEY_LOCAL_MACHINE;
    case kHkeyUsers: return HKEY_USERS;
    case kHkeyCurrentConfig: return HKEY_CURRENT_CONFIG;
    default: return reinterpret_cast<HKEY>(key);
  }
}

// Opening a root's empty name hands the root itself back, in the system's form.
HKey PortKey(HKEY key) {
  for (HKey root : {kHkeyClassesRoot, kHkeyCurrentUser, kHkeyLocalMachine, kHkeyUsers, kHkeyCurrentConfig})
    if (key == Key(root)) return root;
  return reinterpret_cast<HKey>(key);
}

class Win32Registry final : public RegistryApi {
 public:
  explicit Win32Registry(bool ntFamily) : ntFamily_(ntFamily) {}

  long OpenKey(HKey parent, const std::string& subKey, std::uint32_t access, HKey* result) override {
    HKEY key = nullptr;
    long error = RegOpenKeyExA(Key(parent), subKey.c_str(), 0, access, &key);
    *result = error == ERROR_SUCCESS ? PortKey(key) : 0;
    return error;
  }

  long CreateKey(HKey parent, const std::string& subKey, std::uint32_t access, HKey* result, bool* created) override {
    HKEY key = nullptr;
    DWORD disposition = 0;
    long error = RegCreateKeyExA(Key(parent), subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                                 &key, &disposition);
    *result = error == ERROR_SUCCESS ? PortKey(key) : 0;
    if (created) *created = error == ERROR_SUCCESS && disposition == REG_CREATED_NEW_KEY;
    return error;
  }

  long QueryValue(HKey key, const std::string& name, std::uint32_t* type, std::vector<std::uint8_t>* data,
                  std::uint32_t* size) override {
    DWORD valueType = 0, valueSize = 0;
    long error = ERROR_SUCCESS;
    if (data == nullptr) {
      error = RegQueryValueExA(Key(key), name.c_str(), nullptr, &valueType, nullptr, &valueSize);
    } else {
      // Most values fit a small buffer: one call, not one for the size and
      // one for the bytes (a call is a trip to the Registry's keeper). A
      // larger value, or one that grew meanwhile, is asked for again with
      // the size Windows gave.
      valueSize = kFirstReadSize;
      for (;;) {
        data->resize(valueSize);
        DWORD got = valueSize;
        error = RegQueryValueExA(Key(key), name.c_str(), nullptr, &valueType, data->data(), &got);
        if (error == ERROR_MORE_DATA) {
          valueSize = got > valueSize ? got : valueSize * 2;
          continue;
        }
        if (error == ERROR_SUCCESS) {
          data->resize(got);
          valueSize = got;
        }
        break;
      }
    }
    if (error == ERROR_SUCCESS) {
      if (type) *type = valueType;
      if (size) *size = valueSize;
    }
    return error;
  }

  long SetValue(HKey key, const std::string& name, std::uint32_t type, const std::uint8_t* data,
                std::uint32_t size) override {
    // Windows 95, 98 and ME take a REG_SZ's length from the string, reading up
    // to its first zero whatever the size: a copy ending in one keeps them
    // within the caller's bytes (and gives them bytes when there are none).
    if (!ntFamily_ && type == REG_SZ) {
      std::vector<std::uint8_t> copy(data, data + (data ? size : 0));
      copy.push_back(0);
      return RegSetValueExA(Key(key), name.c_str(), 0, type, copy.data(), static_cast<DWORD>(copy.size()));
    }
    // For string types NT reads the byte after the data and stores it too
    // when it is a zero the caller seems to have left out. A copy followed by a
    // non-zero byte makes it store exactly the bytes given, and never read
    // beyond the caller's buffer.
    if ((type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) && data && size && data[size - 1] != 0) {
      std::vector<std::uint8_t> copy(data, data + size);
      copy.push_back(0xFF);
      return RegSetValueExA(Key(key), name.c_str(), 0, type, copy.data(), size);
    }
    return RegSetValueExA(Key(key), name.c_str(), 0, type, data, size);
  }

  long DeleteValue(HKey key, const std::string& name) override { return RegDeleteValueA(Key(key), name.c_str()); }

  long DeleteKey(HKey parent, const std::string& subKey) override { return RegDeleteKeyA(Key(parent), subKey.c_str()); }

  long EnumKey(HKey key, std::uint32_t index, std::string* name) override {
    char buffer[256 + 1];
    DWORD length = sizeof buffer;
    long error = RegEnumKeyExA(Key(key), index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
    if (error == ERROR_SUCCESS) name->assign(buffer, length);
    return error;
  }

  long EnumValue(HKey key, std::uint32_t index, std::string* name) override {
    std::string buffer(16384, '\0');
    DWORD length = static_cast<DWORD>(buffer.size());
    long error = RegEnumValueA(Key(key), index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (error == ERROR_SUCCESS) name->assign(buffer.data(), length);
    return error;
  }

  long QueryInfoKey(HKey key, RegKeyInfo* info) override {
    DWORD subKeys = 0, maxSubKeyLen = 0, values = 0, maxValueNameLen = 0, maxValueLen = 0;
    long error = RegQueryInfoKeyA(Key(key), nullptr, nullptr, nullptr, &subKeys, &maxSubKeyLen, nullptr, &values,
                                  &maxValueNameLen, &maxValueLen, nullptr, nullptr);
    if (error == ERROR_SUCCESS) *info = RegKeyInfo{subKeys, maxSubKeyLen, values, maxValueNameLen, maxValueLen};
    return error;
  }

  long CloseKey(HKey key) override { return RegCloseKey(Key(key)); }

  long FlushKey(HKey key) override { return RegFlushKey(Key(key)); }

 private:
  bool ntFamily_;
};

}  // namespace

RegistryApi& SystemRegistry() {
  static Win32Registry registry(NtFamily(SystemHostQueries()));
  return registry;
}

}  // namespace cordalis
