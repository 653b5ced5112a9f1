#include "app/version_info.h"

#include <optional>
#include <utility>

#include "host/cp1252.h"
#include "host/text.h"

namespace cordalis {
namespace {

constexpr std::string_view kRootKey = "VS_VERSION_INFO";
constexpr std::string_view kPreferredKey = "040904E4";
constexpr std::size_t kFixedInfoSize = 52;

std::size_t Round4(std::size_t offset) { return (offset + 3) & ~std::size_t{3}; }

// A UTF-16 unit as windows-1252 text: the character itself below 0x100, the
// byte of the few characters of 0x80-0x9F, '?' for everything else.
char AnsiOf(std::uint32_t unit) {
  if (unit < 0x100) return static_cast<char>(unit);
  for (unsigned byte = 0x80; byte < 0xA0; ++byte)
    if (UnicodeOfByte(static_cast<unsigned char>(byte)) == unit) return static_cast<char>(byte);
  return '?';
}

struct Text {
  std::string text;
  std::size_t units = 0;  // characters read, the terminator not counted
  bool terminated = false;
};

// One node of the tree, with offsets into the block.
struct Node {
  std::size_t end = 0;        // the node's start + its total length
  std::size_t valueLength = 0;
  std::size_t headerEnd = 0;  // where the value starts
  std::string key;
};

class BlockReader {
 public:
  BlockReader(std::span<const std::uint8_t> block, bool wide) : block_(block), wide_(wide) {}

  // The node at start, or nothing when it does not fit inside limit (its
  // parent's end) or is too short for its own header: the walk stops there.
  // A node that passes is at least one header long, so every walk advances.
  std::optional<Node> NodeAt(std::size_t start, std::size_t limit) const {
    const std::size_t keyStart = start + (wide_ ? 6 : 4);
    if (keyStart > limit) return std::nullopt;
    const std::size_t length = Word(start);
    if (length > limit - start) return std::nullopt;
    Text key = TextAt(keyStart, start + length);
    if (!key.terminated) return std::nullopt;
    const std::size_t header = wide_ ? 2 * key.units + 8 : key.units + 5;
    return Node{start + length, Word(start + 2), Round4(start + header), std::move(key.text)};
  }

  // Zero-terminated text from `from`, never read at or past end.
  Text TextAt(std::size_t from, std::size_t end) const {
    Text out;
    const std::size_t unit = wide_ ? 2 : 1;
    for (std::size_t at = from; at + unit <= end; at += unit) {
      const std::uint32_t c = wide_ ? Word(at) : block_[at];
      if (c == 0) {
        out.terminated = true;
        break;
      }
      out.text += wide_ ? AnsiOf(c) : static_cast<char>(c);
      ++out.units;
    }
    return out;
  }

  std::uint32_t Word(std::size_t at) const { return block_[at] | (block_[at + 1] << 8); }
  std::uint32_t Dword(std::size_t at) const { return Word(at) | (Word(at + 2) << 16); }

  // Calls visit for each child from first while the children fit inside parent.
  template <typename Visit>
  void ForEachChild(std::size_t first, const Node& parent, Visit visit) const {
    for (std::size_t at = first; at < parent.end;) {
      std::optional<Node> child = NodeAt(at, parent.end);
      if (!child) return;
      visit(*child);
      at = Round4(child->end);
    }
  }

 private:
  std::span<const std::uint8_t> block_;
  bool wide_;
};

std::string UpperCase(std::string text) {
  for (char& c : text) c = ToUpperAscii(c);
  return text;
}

int Score(const TVerLangObj& table) {
  if (table.Key() == kPreferredKey) return 3;
  return table.Key().starts_with(kPreferredKey.substr(0, 4)) ? 2 : 1;
}

// The first table read is first; a later one goes before it only when it scores higher.
void AddRanked(std::vector<TVerLangObj>& tables, TVerLangObj table) {
  if (!tables.empty() && Score(table) > Score(tables.front()))
    tables.insert(tables.begin(), std::move(table));
  else
    tables.push_back(std::move(table));
}

TVerLangObj ReadTable(const BlockReader& reader, const Node& table) {
  std::vector<std::string> strings;
  reader.ForEachChild(table.headerEnd, table, [&](const Node& string) {
    strings.push_back(string.key + "=" + reader.TextAt(string.headerEnd, string.end).text);
  });
  return TVerLangObj(UpperCase(table.key), std::move(strings));
}

FixedFileInfo ReadFixedInfo(const BlockReader& reader, std::size_t at) {
  FixedFileInfo f;
  std::uint32_t* fields[] = {
      &f.signature, &f.structVersion, &f.fileVersionHigh, &f.fileVersionLow,
      &f.productVersionHigh, &f.productVersionLow, &f.fileFlagsMask, &f.fileFlags,
      &f.fileOs, &f.fileType, &f.fileSubtype, &f.fileDateHigh,
      &f.fileDateLow};
  for (std::uint32_t* field : fields) {
    *field = reader.Dword(at);
    at += 4;
  }
  return f;
}

struct Root {
  BlockReader reader;
  Node node;
};

// The root node in whichever format names it "VS_VERSION_INFO".
std::optional<Root> FindRoot(std::span<const std::uint8_t> block) {
  for (bool wide : {true, false}) {
    BlockReader reader(block, wide);
    std::optional<Node> root = reader.NodeAt(0, block.size());
    if (root && root->key == kRootKey) return Root{reader, std::move(*root)};
  }
  return std::nullopt;
}

}  // namespace

TVerLangObj::TVerLangObj(std::string key, std::vector<std::string> strings)
    : key_(std::move(key)), strings_(std::move(strings)) {}

std::string TVerLangObj::Value(std::string_view name) const {
  for (const std::string& entry : strings_)
    if (entry.size() > name.size() && entry[name.size()] == '=' &&
        EqualsIgnoreCase(std::string_view(entry).substr(0, name.size()), name))
      return entry.substr(name.size() + 1);
  return {};
}

TVerInfoObj TVerInfoObj::FromBlock(std::span<const std::uint8_t> block) {
  TVerInfoObj info;
  const std::optional<Root> found = FindRoot(block);
  if (!found) return info;
  const BlockReader& reader = found->reader;
  const Node& root = found->node;
  // A record that does not lie wholly inside the root counts as none.
  if (root.valueLength != 0 && root.headerEnd + kFixedInfoSize <= root.end)
    info.fixed_ = ReadFixedInfo(reader, root.headerEnd);
  reader.ForEachChild(Round4(root.headerEnd + root.valueLength), root, [&](const Node& child) {
    if (child.key != "StringFileInfo") return;
    reader.ForEachChild(child.headerEnd, child,
                        [&](const Node& table) { AddRanked(info.tables_, ReadTable(reader, table)); });
  });
  return info;
}

std::string TVerInfoObj::Value(std::string_view name) const {
  return tables_.empty() ? std::string() : tables_.front().Value(name);
}

}  // namespace cordalis
