#include "doubles/memory_registry.h"

#include <algorithm>
#include <cstdio>

#include "host/cp1252.h"

namespace cordalis {
namespace {

constexpr std::size_t kMaxKeyNameLength = 255;
constexpr std::size_t kMaxValueNameLength = 16383;

// Names compare as Windows compares them: by their upper-case Unicode form.
std::u32string Folded(const std::string& name) {
  std::u32string folded;
  folded.reserve(name.size());
  for (char c : name) folded += static_cast<char32_t>(UpperCaseOf(UnicodeOfByte(static_cast<unsigned char>(c))));
  return folded;
}

bool IsStringType(std::uint32_t type) { return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz; }

// Components of a key path; empty components (doubled or trailing "\") drop out.
std::vector<std::string> Components(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t slash = path.find('\\', start);
    if (slash == std::string::npos) slash = path.size();
    if (slash > start) parts.push_back(path.substr(start, slash - start));
    start = slash + 1;
  }
  return parts;
}

bool LeadingBackslash(const std::string& path) { return !path.empty() && path[0] == '\\'; }

}  // namespace

struct MemoryRegistry::Node {
  struct Value {
    std::string name;
    std::uint32_t type;
    std::vector<std::uint8_t> data;
  };
  std::string name;
  std::weak_ptr<Node> parent;                               // empty for a root
  // Sorted by folded name, the listing order; a vector, so that listing by
  // index, as RegEnumKeyEx does, costs nothing.
  std::vector<std::pair<std::u32string, std::shared_ptr<Node>>> subKeys;

  auto Find(const std::u32string& folded) {
    auto it = std::lower_bound(subKeys.begin(), subKeys.end(), folded,
                               [](const auto& entry, const std::u32string& f) { return entry.first < f; });
    return it != subKeys.end() && it->first == folded ? it : subKeys.end();
  }
  void Insert(std::u32string folded, std::shared_ptr<Node> child) {
    auto it = std::lower_bound(subKeys.begin(), subKeys.end(), folded,
                               [](const auto& entry, const std::u32string& f) { return entry.first < f; });
    subKeys.insert(it, {std::move(folded), std::move(child)});
  }
  std::vector<Value> values;                                // creation order
  bool deleted = false;

  Value* FindValue(const std::string& valueName) {
    std::u32string folded = Folded(valueName);
    for (Value& v : values)
      if (Folded(v.name) == folded) return &v;
    return nullptr;
  }
};

MemoryRegistry::MemoryRegistry(RegistryFamily family) : family_(family) {
  for (HKey root : {kHkeyClassesRoot, kHkeyCurrentUser, kHkeyLocalMachine, kHkeyUsers, kHkeyCurrentConfig})
    roots_[root] = std::make_shared<Node>();
}

MemoryRegistry::~MemoryRegistry() = default;

// As Windows does: the handle first, then the rights it was opened with, then
// whether its key still exists.
long MemoryRegistry::Resolve(HKey key, std::uint32_t rights, Handle* out) const {
  if (auto root = roots_.find(key); root != roots_.end()) {
    *out = Handle{root->second, key, kKeyAllAccess};
    return kErrorSuccess;
  }
  auto it = handles_.find(key);
  if (it == handles_.end()) return kErrorInvalidHandle;
  *out = it->second;
  if ((it->second.access & rights) != rights) return kErrorAccessDenied;
  return it->second.node->deleted ? kErrorKeyDeleted : kErrorSuccess;
}

HKey MemoryRegistry::NewHandle(std::shared_ptr<Node> node, HKey root, std::uint32_t access) {
  HKey handle = nextHandle_;
  nextHandle_ += 4;
  handles_[handle] = Handle{std::move(node), root, Windows95() ? kKeyAllAccess : access};
  return handle;
}

// Opening below HKEY_CLASSES_ROOT, NT skips one leading "\".
std::string MemoryRegistry::OpenPath(HKey parent, const std::string& subKey) const {
  if (!Windows95() && parent == kHkeyClassesRoot && LeadingBackslash(subKey)) return subKey.substr(1);
  return subKey;
}

// Removes a key from its parent; on the Windows 95 family what is below it goes
// first, one key at a time, as RegDeleteKey deletes it there.
long MemoryRegistry::RemoveKey(const std::shared_ptr<Node>& node) {
  while (!node->subKeys.empty())
    if (long error = RemoveKey(node->subKeys.front().second)) return error;
  if (long error = CountChange()) return error;
  node->deleted = true;
  std::shared_ptr<Node> owner = node->parent.lock();
  owner->subKeys.erase(owner->Find(Folded(node->name)));
  return kErrorSuccess;
}

long MemoryRegistry::CountChange() {
  ++changes;
  if (crashAtChange && *crashAtChange == changes) {
    if (onCrash) onCrash();
    throw RegistryCrash();
  }
  return failAtChange == changes ? kErrorAccessDenied : kErrorSuccess;
}

long MemoryRegistry::Walk(const Handle& base, const std::string& subKey, bool create, std::shared_ptr<Node>* out,
                          bool* created) {
  if (LeadingBackslash(subKey)) return 161;  // ERROR_BAD_PATHNAME
  std::vector<std::string> parts = Components(subKey);
  for (const std::string& part : parts)
    if (part.size() > kMaxKeyNameLength) return kErrorInvalidParameter;
  std::shared_ptr<Node> node = base.node;
  std::size_t i = 0;
  for (; i < parts.size(); ++i) {
    auto it = node->Find(Folded(parts[i]));
    if (it == node->subKeys.end()) break;
    node = it->second;
  }
  if (created) *created = false;
  if (i < parts.size()) {
    if (!create) return kErrorFileNotFound;
    if (Refused(base.root)) return kErrorAccessDenied;
    // As RegCreateKeyEx does: one key at a time, from the top, so that a
    // program stopped part-way leaves the upper part of the chain behind.
    for (; i < parts.size(); ++i) {
      if (long error = CountChange()) return error;
      auto child = std::make_shared<Node>();
      child->name = parts[i];
      child->parent = node;
      node->Insert(Folded(parts[i]), child);
      node = child;
    }
    if (created) *created = true;
  }
  *out = node;
  return kErrorSuccess;
}

long MemoryRegistry::OpenKey(HKey parent, const std::string& subKey, std::uint32_t access, HKey* result) {
  *result = 0;
  Handle base;
  if (long error = Resolve(parent, 0, &base)) return error;  // the parent's rights do not matter
  if (subKey.empty() && IsPredefinedRoot(parent)) {
    *result = parent;
    return kErrorSuccess;
  }
  std::shared_ptr<Node> node;
  if (long error = Walk(base, OpenPath(parent, subKey), false, &node, nullptr)) return error;
  if ((access & kWriteRights) && Refused(base.root)) return kErrorAccessDenied;
  *result = NewHandle(node, base.root, access);
  return kErrorSuccess;
}

long MemoryRegistry::CreateKey(HKey parent, const std::string& subKey, std::uint32_t access, HKey* result,
                               bool* created) {
  *result = 0;
  if (created) *created = false;
  Handle base;
  if (long error = Resolve(parent, 0, &base)) return error;  // the parent's rights do not matter
  std::shared_ptr<Node> node;
  const std::string path = Windows95() && LeadingBackslash(subKey) ? subKey.substr(1) : subKey;
  if (long error = Walk(base, path, true, &node, created)) return error;  // no new keys under a refused root
  if ((access & kWriteRights) && Refused(base.root)) return kErrorAccessDenied;
  *result = NewHandle(node, base.root, access);
  return kErrorSuccess;
}

long MemoryRegistry::QueryValue(HKey key, const std::string& name, std::uint32_t* type, std::vector<std::uint8_t>* data,
                                std::uint32_t* size) {
  Handle h;
  if (long error = Resolve(key, kKeyQueryValue, &h)) return error;
  Node::Value* value = h.node->FindValue(name);
  if (value == nullptr) return kErrorFileNotFound;
  if (type) *type = value->type;
  if (size) *size = static_cast<std::uint32_t>(value->data.size());
  if (data) *data = value->data;
  return kErrorSuccess;
}

long MemoryRegistry::SetValue(HKey key, const std::string& name, std::uint32_t type, const std::uint8_t* data,
                              std::uint32_t size) {
  Handle h;
  if (long error = Resolve(key, kKeySetValue, &h)) return error;
  if (name.size() > kMaxValueNameLength) return kErrorInvalidParameter;
  if (Refused(h.root)) return kErrorAccessDenied;
  std::vector<std::uint8_t> bytes(data, data + (data ? size : 0));
  if (Windows95() && type == kRegSz) {
    // The string's own length counts; the byte after the data is taken as its
    // end, as the Win32 port makes sure it is.
    if (data == nullptr) return kErrorInvalidParameter;
    bytes.erase(std::find(bytes.begin(), bytes.end(), 0), bytes.end());
    bytes.push_back(0);
  }
  if (long error = CountChange()) return error;
  if (Node::Value* value = h.node->FindValue(name)) {
    value->type = type;
    value->data = std::move(bytes);
  } else {
    h.node->values.push_back({name, type, std::move(bytes)});
  }
  return kErrorSuccess;
}

long MemoryRegistry::DeleteValue(HKey key, const std::string& name) {
  Handle h;
  if (long error = Resolve(key, kKeySetValue, &h)) return error;
  if (Refused(h.root)) return kErrorAccessDenied;
  Node::Value* value = h.node->FindValue(name);
  if (value == nullptr) return kErrorFileNotFound;
  if (long error = CountChange()) return error;
  h.node->values.erase(h.node->values.begin() + (value - h.node->values.data()));
  return kErrorSuccess;
}

// As RegDeleteKey does: opens parent\subKey for deleting (the empty name is the
// key itself) and removes that key when it has no subkeys, or on the Windows
// 95 family with everything below it.
long MemoryRegistry::DeleteKey(HKey parent, const std::string& subKey) {
  Handle base;
  if (long error = Resolve(parent, 0, &base)) return error;
  std::shared_ptr<Node> node;
  if (long error = Walk(base, OpenPath(parent, subKey), false, &node, nullptr)) return error;
  std::shared_ptr<Node> owner = node->parent.lock();
  if (!owner || Refused(base.root) || (!node->subKeys.empty() && !Windows95())) return kErrorAccessDenied;
  return RemoveKey(node);
}

long MemoryRegistry::EnumKey(HKey key, std::uint32_t index, std::string* name) {
  Handle h;
  if (long error = Resolve(key, kKeyEnumerateSubKeys, &h)) return error;
  if (index >= h.node->subKeys.size()) return kErrorNoMoreItems;
  *name = h.node->subKeys[index].second->name;
  return kErrorSuccess;
}

long MemoryRegistry::EnumValue(HKey key, std::uint32_t index, std::string* name) {
  Handle h;
  if (long error = Resolve(key, kKeyQueryValue, &h)) return error;
  if (index >= h.node->values.size()) return kErrorNoMoreItems;
  *name = h.node->values[index].name;
  return kErrorSuccess;
}

long MemoryRegistry::QueryInfoKey(HKey key, RegKeyInfo* info) {
  Handle h;
  if (long error = Resolve(key, kKeyQueryValue, &h)) return error;  // as Windows XP and 2003 require
  *info = RegKeyInfo{};
  info->subKeys = static_cast<std::uint32_t>(h.node->subKeys.size());
  for (const auto& [folded, child] : h.node->subKeys)
    info->maxSubKeyLen = std::max<std::uint32_t>(info->maxSubKeyLen, static_cast<std::uint32_t>(child->name.size()));
  info->values = static_cast<std::uint32_t>(h.node->values.size());
  for (const Node::Value& v : h.node->values) {
    info->maxValueNameLen = std::max<std::uint32_t>(info->maxValueNameLen, static_cast<std::uint32_t>(v.name.size()));
    // NT keeps strings as UTF-16 and reports the size it keeps.
    std::uint32_t stored = static_cast<std::uint32_t>(v.data.size()) * (IsStringType(v.type) ? 2 : 1);
    info->maxValueLen = std::max(info->maxValueLen, stored);
  }
  return kErrorSuccess;
}

// Flushing asks for the handle's query right, as Windows does, and writes the
// whole root: Windows writes the key's whole hive.
long MemoryRegistry::FlushKey(HKey key) {
  Handle h;
  if (long error = Resolve(key, kKeyQueryValue, &h)) return error;
  if (onDisk_) (*onDisk_)[h.root] = Copy({{h.root, roots_.at(h.root)}}).at(h.root);
  return kErrorSuccess;
}

MemoryRegistry::Roots MemoryRegistry::Copy(const Roots& roots) {
  struct Copier {
    std::shared_ptr<Node> operator()(const Node& node, std::weak_ptr<Node> parent) const {
      auto copy = std::make_shared<Node>();
      copy->name = node.name;
      copy->parent = std::move(parent);
      copy->values = node.values;
      for (const auto& [folded, child] : node.subKeys) copy->subKeys.emplace_back(folded, (*this)(*child, copy));
      return copy;
    }
  };
  Roots copy;
  for (const auto& [root, node] : roots) copy[root] = Copier{}(*node, {});
  return copy;
}

void MemoryRegistry::KeepOnlyWhatIsFlushed() { onDisk_ = Copy(roots_); }

void MemoryRegistry::WriteEverythingToDisk() {
  if (onDisk_) onDisk_ = Copy(roots_);
}

void MemoryRegistry::PowerCut() {
  handles_.clear();
  if (onDisk_) roots_ = Copy(*onDisk_);
}

long MemoryRegistry::CloseKey(HKey key) {
  if (IsPredefinedRoot(key)) return kErrorSuccess;
  return handles_.erase(key) ? kErrorSuccess : kErrorInvalidHandle;
}

std::string MemoryRegistry::Dump() const {
  std::string out;
  struct Walker {
    std::string& out;
    void Key(const std::string& path, const Node& node) {
      out += path + "\n";
      for (const Node::Value& v : node.values) {
        char head[32];
        std::snprintf(head, sizeof head, "] type %u:", static_cast<unsigned>(v.type));
        out += path + " [" + v.name + head;
        for (std::uint8_t b : v.data) {
          char hex[4];
          std::snprintf(hex, sizeof hex, " %02X", b);
          out += hex;
        }
        out += "\n";
      }
      for (const auto& [folded, child] : node.subKeys) Key(path + "\\" + child->name, *child);
    }
  } walker{out};
  const std::pair<HKey, const char*> names[] = {{kHkeyClassesRoot, "HKCR"},
                                                {kHkeyCurrentUser, "HKCU"},
                                                {kHkeyLocalMachine, "HKLM"},
                                                {kHkeyUsers, "HKU"},
                                                {kHkeyCurrentConfig, "HKCC"}};
  for (const auto& [root, name] : names) walker.Key(name, *roots_.at(root));
  return out;
}

}  // namespace cordalis
