#pragma once
// Builds version-information blocks in either layout for the reader's tests.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/version_info.h"

namespace cordalis::test {

using Bytes = std::vector<std::uint8_t>;

enum class Layout { Wide, Narrow };  // UTF-16 keys with a type field, or 8-bit keys

struct NodeDef {
  std::string key;
  Bytes value;
  std::uint16_t valueLength = 0;
  std::vector<NodeDef> children;
};

inline void Put16(Bytes& out, unsigned v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline void Pad4(Bytes& out) {
  while (out.size() % 4 != 0) out.push_back(0);
}

// A node's length covers its children but not the padding after the last one.
inline Bytes BuildNode(const NodeDef& node, Layout layout) {
  Bytes out;
  Put16(out, 0);
  Put16(out, node.valueLength);
  if (layout == Layout::Wide) {
    Put16(out, 1);
    for (unsigned char c : node.key) Put16(out, c);
    Put16(out, 0);
  } else {
    for (unsigned char c : node.key) out.push_back(c);
    out.push_back(0);
  }
  Pad4(out);
  out.insert(out.end(), node.value.begin(), node.value.end());
  for (const NodeDef& child : node.children) {
    Pad4(out);
    Bytes bytes = BuildNode(child, layout);
    out.insert(out.end(), bytes.begin(), bytes.end());
  }
  out[0] = static_cast<std::uint8_t>(out.size());
  out[1] = static_cast<std::uint8_t>(out.size() >> 8);
  return out;
}

// A string node: its value is zero-terminated text, UTF-16 units in the wide layout.
inline NodeDef StringNode(const std::string& name, const std::u16string& value, Layout layout) {
  NodeDef node{name};
  for (char16_t c : value) {
    if (layout == Layout::Wide)
      Put16(node.value, c);
    else
      node.value.push_back(static_cast<std::uint8_t>(c));
  }
  if (layout == Layout::Wide) Put16(node.value, 0); else node.value.push_back(0);
  node.valueLength = static_cast<std::uint16_t>(value.size() + 1);
  return node;
}

struct TableDef {
  std::string key;
  std::vector<std::pair<std::string, std::u16string>> strings;
};

inline Bytes FixedBytes(const FixedFileInfo& f) {
  Bytes out;
  for (std::uint32_t v : {f.signature, f.structVersion, f.fileVersionHigh, f.fileVersionLow, f.productVersionHigh,
                          f.productVersionLow, f.fileFlagsMask, f.fileFlags, f.fileOs, f.fileType, f.fileSubtype,
                          f.fileDateHigh, f.fileDateLow}) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
  }
  return out;
}

inline NodeDef VarFileInfo() {
  NodeDef translation{"Translation", {0x09, 0x04, 0xE4, 0x04}, 4};
  return NodeDef{"VarFileInfo", {}, 0, {translation}};
}

// The root with its fixed record (when given), the string tables and a VarFileInfo.
inline NodeDef RootNode(Layout layout, const std::vector<TableDef>& tables,
                         const std::optional<FixedFileInfo>& fixed) {
  NodeDef stringFileInfo{"StringFileInfo"};
  for (const TableDef& table : tables) {
    NodeDef node{table.key};
    for (const auto& [name, value] : table.strings) node.children.push_back(StringNode(name, value, layout));
    stringFileInfo.children.push_back(node);
  }
  NodeDef root{"VS_VERSION_INFO"};
  if (fixed) {
    root.value = FixedBytes(*fixed);
    root.valueLength = 52;
  }
  root.children = {stringFileInfo, VarFileInfo()};
  return root;
}

inline Bytes VersionBlock(Layout layout, const std::vector<TableDef>& tables,
                          const std::optional<FixedFileInfo>& fixed = std::nullopt) {
  return BuildNode(RootNode(layout, tables, fixed), layout);
}

}  // namespace cordalis::test
