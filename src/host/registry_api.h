#pragma once
// The advapi32 calls the Registry accessor stands on, with Windows' own
// handles, access masks, value types and error codes. One implementation calls
// Windows; the other keeps the Registry in memory, faithful to Windows, for tests.
#include <cstdint>
#include <string>
#include <vector>

namespace cordalis {

using HKey = std::uintptr_t;  // 0 is no key

// Predefined roots, with the values Windows gives them.
inline constexpr HKey kHkeyClassesRoot = 0x80000000u;
inline constexpr HKey kHkeyCurrentUser = 0x80000001u;
inline constexpr HKey kHkeyLocalMachine = 0x80000002u;
inline constexpr HKey kHkeyUsers = 0x80000003u;
inline constexpr HKey kHkeyCurrentConfig = 0x80000005u;
bool IsPredefinedRoot(HKey key);

// Access rights.
inline constexpr std::uint32_t kKeyQueryValue = 0x0001;
inline constexpr std::uint32_t kKeySetValue = 0x0002;
inline constexpr std::uint32_t kKeyCreateSubKey = 0x0004;
inline constexpr std::uint32_t kKeyEnumerateSubKeys = 0x0008;
inline constexpr std::uint32_t kKeyNotify = 0x0010;
inline constexpr std::uint32_t kKeyCreateLink = 0x0020;
inline constexpr std::uint32_t kStandardRightsRead = 0x00020000;
inline constexpr std::uint32_t kDelete = 0x00010000;
inline constexpr std::uint32_t kKeyRead = 0x00020019;
inline constexpr std::uint32_t kKeyWrite = 0x00020006;
inline constexpr std::uint32_t kKeyAllAccess = 0x000F003F;
// The rights that let a caller change a key.
inline constexpr std::uint32_t kWriteRights = kKeySetValue | kKeyCreateSubKey | kKeyCreateLink | kDelete | 0x00040000 | 0x00080000;

// Value types.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegDwordBigEndian = 5;
inline constexpr std::uint32_t kRegMultiSz = 7;

// Error codes the accessor relies on.
inline constexpr long kErrorSuccess = 0;
inline constexpr long kErrorFileNotFound = 2;
inline constexpr long kErrorAccessDenied = 5;
inline constexpr long kErrorInvalidHandle = 6;
inline constexpr long kErrorInvalidParameter = 87;
inline constexpr long kErrorMoreData = 234;
inline constexpr long kErrorNoMoreItems = 259;
inline constexpr long kErrorKeyDeleted = 1018;

struct RegKeyInfo {
  std::uint32_t subKeys = 0;
  std::uint32_t maxSubKeyLen = 0;     // characters, without the terminating zero
  std::uint32_t values = 0;
  std::uint32_t maxValueNameLen = 0;  // characters, without the terminating zero
  std::uint32_t maxValueLen = 0;      // bytes of the largest value's data
};

class RegistryApi {
 public:
  virtual ~RegistryApi() = default;

  // RegOpenKeyExA: opens parent\subKey; the empty subKey opens parent itself.
  virtual long OpenKey(HKey parent, const std::string& subKey, std::uint32_t access, HKey* result) = 0;
  // RegCreateKeyExA: opens parent\subKey, creating it and any missing keys above it.
  virtual long CreateKey(HKey parent, const std::string& subKey, std::uint32_t access, HKey* result,
                         bool* created) = 0;
  // RegQueryValueExA: type and size of a value; its bytes too when data is given.
  virtual long QueryValue(HKey key, const std::string& name, std::uint32_t* type, std::vector<std::uint8_t>* data,
                          std::uint32_t* size) = 0;
  // RegSetValueExA: creates or replaces a value with exactly these bytes.
  virtual long SetValue(HKey key, const std::string& name, std::uint32_t type, const std::uint8_t* data,
                        std::uint32_t size) = 0;
  // RegDeleteValueA.
  virtual long DeleteValue(HKey key, const std::string& name) = 0;
  // RegDeleteKeyA: deletes one key that has no subkeys.
  virtual long DeleteKey(HKey parent, const std::string& subKey) = 0;
  // RegEnumKeyExA: the name of the index-th subkey.
  virtual long EnumKey(HKey key, std::uint32_t index, std::string* name) = 0;
  // RegEnumValueA: the name of the index-th value.
  virtual long EnumValue(HKey key, std::uint32_t index, std::string* name) = 0;
  // RegQueryInfoKeyA.
  virtual long QueryInfoKey(HKey key, RegKeyInfo* info) = 0;
  // RegCloseKey.
  virtual long CloseKey(HKey key) = 0;
  // RegFlushKey: returns once the changes of the key's hive (on Windows 95,
  // 98 and ME, of the whole Registry) are on the disk. Windows writes them
  // there on its own only seconds after they are made. The handle needs
  // KEY_QUERY_VALUE.
  virtual long FlushKey(HKey key) = 0;
};

// The Registry of the machine the program runs on (Windows builds only).
RegistryApi& SystemRegistry();

}  // namespace cordalis
