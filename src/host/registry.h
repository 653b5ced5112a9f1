#pragma once
// The Registry accessor: one root and one open key at a time, over the
// Registry port. Failures it reports as errors are ERegistryException.
#include <cstdint>
#include <stdexcept>
#include <optional>
#include <string>
#include <vector>

#include "host/registry_api.h"

namespace cordalis {

class ERegistryException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct RegDataInfo {
  std::uint32_t type = 0;
  std::uint32_t size = 0;
};

class TRegistry {
 public:
  explicit TRegistry(RegistryApi& api);
  virtual ~TRegistry();
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  HKey RootKey() const { return root_; }
  void SetRootKey(HKey root);  // closes any open key
  HKey CurrentKey() const { return current_; }
  const std::string& CurrentPath() const { return currentPath_; }
  std::uint32_t Access() const { return access_; }
  void SetAccess(std::uint32_t access) { access_ = access; }

  // A path beginning with "\" is taken from the root; any other from the open
  // key when one is open, else from the root. The empty path opens the root.
  bool OpenKey(const std::string& key, bool canCreate);
  bool OpenKeyReadOnly(const std::string& key);
  void CloseKey();
  bool CreateKey(const std::string& key);  // raises "Failed to create key %s"
  bool DeleteKey(const std::string& key);  // with every key below it, deepest first
  bool KeyExists(const std::string& key);

  bool ValueExists(const std::string& name);
  RegDataInfo GetDataInfo(const std::string& name);  // raises "Failed to get data for '%s'"
  std::string ReadString(const std::string& name);
  std::int32_t ReadInteger(const std::string& name);
  std::uint32_t ReadBinaryData(const std::string& name, std::uint8_t* buffer, std::uint32_t size);
  void WriteString(const std::string& name, const std::string& value);
  void WriteExpandString(const std::string& name, const std::string& value);
  void WriteInteger(const std::string& name, std::int32_t value);
  void WriteBinaryData(const std::string& name, const std::uint8_t* data, std::uint32_t size);
  bool DeleteValue(const std::string& name);

  std::vector<std::string> GetKeyNames();
  std::vector<std::string> GetValueNames();
  bool GetKeyInfo(RegKeyInfo& info);
  // Puts the changes of the open key's hive (the root's when no key is open)
  // on the disk before it returns; false when that fails.
  bool Flush();

 protected:
  RegistryApi& Api() { return api_; }
  // The value's type, or false when the query fails (no value, no key).
  bool QueryType(const std::string& name, std::uint32_t& type);
  // Sets the value's bytes with a type, raising on failure.
  void PutData(const std::string& name, std::uint32_t type, const std::uint8_t* data, std::uint32_t size);
  // Sets the value's bytes with a type, ignoring the result.
  void PutDataUnchecked(const std::string& name, std::uint32_t type, const std::uint8_t* data, std::uint32_t size);

 private:
  bool IsRelative(const std::string& key) const { return key.empty() || key[0] != '\\'; }
  HKey BaseKey(bool relative) const { return current_ == 0 || !relative ? root_ : current_; }
  HKey GetKey(const std::string& key);  // opened with the access rights; 0 when it cannot be
  void ChangeKey(HKey key, const std::string& path);
  std::vector<std::uint8_t> GetData(const std::string& name, std::uint32_t& type);  // raises on failure
  std::vector<std::string> ListNames(bool subKeys);

  RegistryApi& api_;
  HKey root_ = kHkeyCurrentUser;
  HKey current_ = 0;
  std::string currentPath_;
  std::uint32_t access_ = kKeyAllAccess;
};

class TSuperReg : public TRegistry {
 public:
  using TRegistry::TRegistry;
};

// The text view of the Registry that the engine uses.
class TSuperReg2 : public TSuperReg {
 public:
  using TSuperReg::TSuperReg;

  // The data of a value as text (a string up to its first zero, a DWORD as a
  // decimal number, other types' bytes up to the first zero) or as hex text
  // of its bytes (a string's without the zero, a DWORD's four); nothing when
  // the value cannot be read.
  std::optional<std::string> ValueText(const std::string& name, bool asHex) {
    return ValueTextOf(Api(), CurrentKey(), name, asHex);
  }
  // The same of a value of any key open for reading.
  static std::optional<std::string> ValueTextOf(RegistryApi& api, HKey key, const std::string& name, bool asHex);
  std::string ReadValueText(const std::string& name, const std::string& fallback);
  std::string ReadValueHex(const std::string& name, const std::string& fallback);
  static std::string ByteArrayToString(const std::uint8_t* bytes, int count);
  // Fills buffer with the bytes the hex text holds; raises when they exceed capacity.
  static void StringToByteArray(const std::string& text, std::uint8_t* buffer, std::size_t capacity);
  void WriteHexText(const std::string& name, const std::string& hex);
  void WriteIntegerKeepType(const std::string& name, std::int32_t value);
  void WriteTextKeepType(const std::string& name, const std::string& text);
  void ReplaceWithString(const std::string& name, const std::string& text);
  void WriteTextValue(const std::string& name, const std::string& text);
  // Replaces the value by exactly these bytes with this type.
  void WriteExactData(const std::string& name, std::uint32_t type, const std::vector<std::uint8_t>& bytes);
};

// The byte count that well-formed hex text of this length holds: 8 characters, 3 bytes.
std::size_t HexTextByteCount(const std::string& hex);

}  // namespace cordalis
