#include "host/registry.h"

#include <cstring>

#include "host/int_text.h"

namespace cordalis {
namespace {

std::string Quoted(const char* what, const std::string& name) { return std::string(what) + " '" + name + "'"; }

std::vector<std::uint8_t> LittleEndian(std::int32_t value) {
  auto u = static_cast<std::uint32_t>(value);
  return {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8), static_cast<std::uint8_t>(u >> 16),
          static_cast<std::uint8_t>(u >> 24)};
}

std::vector<std::uint8_t> BigEndian(std::int32_t value) {
  auto u = static_cast<std::uint32_t>(value);
  return {static_cast<std::uint8_t>(u >> 24), static_cast<std::uint8_t>(u >> 16), static_cast<std::uint8_t>(u >> 8),
          static_cast<std::uint8_t>(u)};
}

std::vector<std::uint8_t> TextWithZero(const std::string& text) {
  std::vector<std::uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

std::string UpToZero(const std::uint8_t* data, std::size_t size) {
  const void* zero = std::memchr(data, 0, size);
  std::size_t length = zero ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - data) : size;
  return std::string(reinterpret_cast<const char*>(data), length);
}

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
int HexValue(char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; }

}  // namespace

TRegistry::TRegistry(RegistryApi& api) : api_(api) {}

TRegistry::~TRegistry() { CloseKey(); }

void TRegistry::SetRootKey(HKey root) {
  CloseKey();
  root_ = root;
}

void TRegistry::ChangeKey(HKey key, const std::string& path) {
  CloseKey();
  current_ = key;
  currentPath_ = path;
}

void TRegistry::CloseKey() {
  if (current_ != 0) api_.CloseKey(current_);
  current_ = 0;
  currentPath_.clear();
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
  const bool relative = IsRelative(key);
  const std::string path = relative ? key : key.substr(1);
  HKey opened = 0;
  long error = canCreate ? api_.CreateKey(BaseKey(relative), path, access_, &opened, nullptr)
                         : api_.OpenKey(BaseKey(relative), path, access_, &opened);
  if (error != kErrorSuccess) return false;
  ChangeKey(opened, current_ != 0 && relative ? currentPath_ + "\\" + path : path);
  return true;
}

// Asks for reading rights, and for less when a reading open is refused; the
// rights that worked stay in use.
bool TRegistry::OpenKeyReadOnly(const std::string& key) {
  const std::uint32_t old = access_;
  for (std::uint32_t access : {kKeyRead, kStandardRightsRead | kKeyQueryValue | kKeyEnumerateSubKeys, kKeyQueryValue}) {
    access_ = access;
    if (OpenKey(key, false)) return true;
  }
  access_ = old;
  return false;
}

bool TRegistry::CreateKey(const std::string& key) {
  const bool relative = IsRelative(key);
  const std::string path = relative ? key : key.substr(1);
  HKey created = 0;
  if (api_.CreateKey(BaseKey(relative), path, access_, &created, nullptr) != kErrorSuccess)
    throw ERegistryException("Failed to create key " + path);
  api_.CloseKey(created);
  return true;
}

HKey TRegistry::GetKey(const std::string& key) {
  const bool relative = IsRelative(key);
  HKey opened = 0;
  if (api_.OpenKey(BaseKey(relative), relative ? key : key.substr(1), access_, &opened) != kErrorSuccess) return 0;
  return opened;
}

bool TRegistry::DeleteKey(const std::string& key) {
  const bool relative = IsRelative(key);
  const std::string path = relative ? key : key.substr(1);
  const HKey base = BaseKey(relative);
  if (HKey doomed = GetKey(key)) {
    // Subkeys are named relative to the key being deleted, which stands in for
    // the open key until the guard puts the open key back and closes it,
    // however the deletion below ends.
    class Descent {
     public:
      Descent(TRegistry& reg, HKey doomed) : reg_(reg), doomed_(doomed), key_(reg.current_), path_(reg.currentPath_) {
        reg_.current_ = doomed;
      }
      ~Descent() {
        reg_.current_ = key_;
        reg_.currentPath_ = path_;
        reg_.api_.CloseKey(doomed_);
      }
      Descent(const Descent&) = delete;
      Descent& operator=(const Descent&) = delete;

     private:
      TRegistry& reg_;
      HKey doomed_, key_;
      std::string path_;
    } descent(*this, doomed);
    RegKeyInfo info;
    if (api_.QueryInfoKey(doomed, &info) == kErrorSuccess) {
      for (std::uint32_t i = info.subKeys; i-- > 0;) {
        std::string name;
        if (api_.EnumKey(doomed, i, &name) == kErrorSuccess) DeleteKey(name);
      }
    }
  }
  return api_.DeleteKey(base, path) == kErrorSuccess;
}

bool TRegistry::Flush() { return api_.FlushKey(current_ != 0 ? current_ : root_) == kErrorSuccess; }

bool TRegistry::KeyExists(const std::string& key) {
  const std::uint32_t old = access_;
  access_ = kStandardRightsRead | kKeyQueryValue | kKeyEnumerateSubKeys;
  HKey opened = GetKey(key);
  access_ = old;
  if (opened != 0) api_.CloseKey(opened);
  return opened != 0;
}

bool TRegistry::QueryType(const std::string& name, std::uint32_t& type) {
  std::uint32_t size = 0;
  return api_.QueryValue(current_, name, &type, nullptr, &size) == kErrorSuccess;
}

bool TRegistry::ValueExists(const std::string& name) {
  std::uint32_t type = 0;
  return QueryType(name, type);
}

RegDataInfo TRegistry::GetDataInfo(const std::string& name) {
  RegDataInfo info;
  if (api_.QueryValue(current_, name, &info.type, nullptr, &info.size) != kErrorSuccess)
    throw ERegistryException(Quoted("Failed to get data for", name));
  return info;
}

std::vector<std::uint8_t> TRegistry::GetData(const std::string& name, std::uint32_t& type) {
  std::vector<std::uint8_t> data;
  if (api_.QueryValue(current_, name, &type, &data, nullptr) != kErrorSuccess)
    throw ERegistryException(Quoted("Failed to get data for", name));
  return data;
}

std::string TRegistry::ReadString(const std::string& name) {
  RegDataInfo info;
  if (api_.QueryValue(current_, name, &info.type, nullptr, &info.size) != kErrorSuccess || info.size == 0) return {};
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data = GetData(name, type);
  if (type != kRegSz && type != kRegExpandSz) throw ERegistryException(Quoted("Invalid data type for", name));
  return UpToZero(data.data(), data.size());
}

std::int32_t TRegistry::ReadInteger(const std::string& name) {
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data = GetData(name, type);
  if (type != kRegDword) throw ERegistryException(Quoted("Invalid data type for", name));
  if (data.size() > 4) throw ERegistryException(Quoted("Failed to get data for", name));
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < data.size(); ++i) value |= static_cast<std::uint32_t>(data[i]) << (8 * i);
  return static_cast<std::int32_t>(value);
}

std::uint32_t TRegistry::ReadBinaryData(const std::string& name, std::uint8_t* buffer, std::uint32_t size) {
  RegDataInfo info;
  if (api_.QueryValue(current_, name, &info.type, nullptr, &info.size) != kErrorSuccess) return 0;
  if (info.type == kRegSz || info.type == kRegExpandSz || info.type == kRegDword || info.size > size)
    throw ERegistryException(Quoted("Invalid data type for", name));
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data = GetData(name, type);
  if (data.size() > size) throw ERegistryException(Quoted("Invalid data type for", name));
  if (!data.empty()) std::memcpy(buffer, data.data(), data.size());
  return static_cast<std::uint32_t>(data.size());
}

void TRegistry::PutData(const std::string& name, std::uint32_t type, const std::uint8_t* data, std::uint32_t size) {
  if (api_.SetValue(current_, name, type, data, size) != kErrorSuccess)
    throw ERegistryException(Quoted("Failed to set data for", name));
}

void TRegistry::PutDataUnchecked(const std::string& name, std::uint32_t type, const std::uint8_t* data,
                                 std::uint32_t size) {
  api_.SetValue(current_, name, type, data, size);
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
  std::vector<std::uint8_t> bytes = TextWithZero(value);
  PutData(name, kRegSz, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

void TRegistry::WriteExpandString(const std::string& name, const std::string& value) {
  std::vector<std::uint8_t> bytes = TextWithZero(value);
  PutData(name, kRegExpandSz, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

void TRegistry::WriteInteger(const std::string& name, std::int32_t value) {
  std::vector<std::uint8_t> bytes = LittleEndian(value);
  PutData(name, kRegDword, bytes.data(), 4);
}

void TRegistry::WriteBinaryData(const std::string& name, const std::uint8_t* data, std::uint32_t size) {
  PutData(name, kRegBinary, data, size);
}

bool TRegistry::DeleteValue(const std::string& name) { return api_.DeleteValue(current_, name) == kErrorSuccess; }

bool TRegistry::GetKeyInfo(RegKeyInfo& info) { return api_.QueryInfoKey(current_, &info) == kErrorSuccess; }

// Lists the open key's subkeys or values by index, as the Registry numbers them.
std::vector<std::string> TRegistry::ListNames(bool subKeys) {
  std::vector<std::string> names;
  RegKeyInfo info;
  if (!GetKeyInfo(info)) return names;
  const std::uint32_t count = subKeys ? info.subKeys : info.values;
  for (std::uint32_t i = 0; i < count; ++i) {
    std::string name;
    long error = subKeys ? api_.EnumKey(current_, i, &name) : api_.EnumValue(current_, i, &name);
    if (error == kErrorSuccess) names.push_back(name);
  }
  return names;
}

std::vector<std::string> TRegistry::GetKeyNames() { return ListNames(true); }

std::vector<std::string> TRegistry::GetValueNames() { return ListNames(false); }

// --- TSuperReg2 ------------------------------------------------------------

// The value is read in one query and its text made from the bytes: the state
// of a whole catalogue reads tens of thousands of values.
std::optional<std::string> TSuperReg2::ValueTextOf(RegistryApi& api, HKey key, const std::string& name,
                                                   bool asHex) {
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
  if (api.QueryValue(key, name, &type, &data, nullptr) != kErrorSuccess) return std::nullopt;
  if (type == kRegDword) {
    if (data.size() > 4) throw ERegistryException(Quoted("Failed to get data for", name));
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < data.size(); ++i) value |= static_cast<std::uint32_t>(data[i]) << (8 * i);
    if (!asHex) return IntegerToText(static_cast<std::int32_t>(value));
    const std::vector<std::uint8_t> bytes = LittleEndian(static_cast<std::int32_t>(value));
    return ByteArrayToString(bytes.data(), 4);
  }
  if (type == kRegSz || type == kRegExpandSz || !asHex) {
    const std::string text = UpToZero(data.data(), data.size());
    if (!asHex) return text;
    return ByteArrayToString(reinterpret_cast<const std::uint8_t*>(text.data()), static_cast<int>(text.size()));
  }
  return ByteArrayToString(data.data(), static_cast<int>(data.size()));
}

std::string TSuperReg2::ReadValueText(const std::string& name, const std::string& fallback) {
  return ValueText(name, false).value_or(fallback);
}

std::string TSuperReg2::ReadValueHex(const std::string& name, const std::string& fallback) {
  return ValueText(name, true).value_or(fallback);
}

std::string TSuperReg2::ByteArrayToString(const std::uint8_t* bytes, int count) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  if (count <= 0) return text;
  text.reserve(static_cast<std::size_t>(count) * 3);
  for (int i = 0; i < count; ++i) {
    if (i) text += ' ';
    text += kDigits[bytes[i] >> 4];
    text += kDigits[bytes[i] & 15];
  }
  return text;
}

void TSuperReg2::StringToByteArray(const std::string& text, std::uint8_t* buffer, std::size_t capacity) {
  auto blankOrControl = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  std::size_t first = 0, last = text.size();
  while (first < last && blankOrControl(text[first])) ++first;
  while (last > first && blankOrControl(text[last - 1])) --last;
  if (first == last) return;

  std::size_t position = 0;
  unsigned current = 0;
  auto store = [&] {
    if (position >= capacity) throw std::runtime_error("StringToByteArray: More bytes than specified maximum.");
    buffer[position++] = static_cast<std::uint8_t>(current);
    current = 0;
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsHexDigit(text[i])) {
      current = (current * 16 + static_cast<unsigned>(HexValue(text[i]))) % 256;
      continue;
    }
    store();
    // A run of separators counts as one, but the text's last character is
    // always read, so a trailing separator still ends a byte of its own.
    while (i + 2 < text.size() && !IsHexDigit(text[i + 1])) ++i;
  }
  store();
}

std::size_t HexTextByteCount(const std::string& hex) { return (hex.size() + 1) / 3; }

void TSuperReg2::WriteHexText(const std::string& name, const std::string& hex) {
  // Converted before anything changes: text that does not convert leaves the
  // old value in place; bytes the text does not fill are zero.
  std::vector<std::uint8_t> bytes(HexTextByteCount(hex), 0);
  StringToByteArray(hex, bytes.data(), bytes.size());
  DeleteValue(name);
  WriteBinaryData(name, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

void TSuperReg2::WriteIntegerKeepType(const std::string& name, std::int32_t value) {
  std::uint32_t type = 0;
  if (!QueryType(name, type) || type == kRegDword) return WriteInteger(name, value);
  if (type == kRegSz) return WriteString(name, IntegerToText(value));
  if (type == kRegExpandSz) return WriteExpandString(name, IntegerToText(value));
  if (type == kRegDwordBigEndian) {
    std::vector<std::uint8_t> bytes = BigEndian(value);
    return PutData(name, kRegDword, bytes.data(), 4);
  }
  std::vector<std::uint8_t> bytes = LittleEndian(value);
  PutDataUnchecked(name, type, bytes.data(), 4);
}

void TSuperReg2::WriteTextKeepType(const std::string& name, const std::string& text) {
  std::uint32_t type = 0;
  if (!QueryType(name, type) || type == kRegSz) return WriteString(name, text);
  if (type == kRegExpandSz) return WriteExpandString(name, text);
  const std::int32_t number = IntegerText(text, 0);
  if (type == kRegDword) return WriteInteger(name, number);
  if (type == kRegDwordBigEndian) {
    std::vector<std::uint8_t> bytes = BigEndian(number);
    return PutData(name, kRegDword, bytes.data(), 4);
  }
  std::vector<std::uint8_t> bytes = TextWithZero(text);
  PutDataUnchecked(name, type, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

void TSuperReg2::WriteExactData(const std::string& name, std::uint32_t type, const std::vector<std::uint8_t>& bytes) {
  PutData(name, type, bytes.empty() ? nullptr : bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

void TSuperReg2::ReplaceWithString(const std::string& name, const std::string& text) {
  DeleteValue(name);
  WriteString(name, text);
}

void TSuperReg2::WriteTextValue(const std::string& name, const std::string& text) {
  std::uint32_t type = 0;
  if (!QueryType(name, type)) return WriteString(name, text);
  if (type == kRegBinary) return ReplaceWithString(name, text);
  WriteTextKeepType(name, text);
}

}  // namespace cordalis
