#include "app/tweak_tree.h"

#include <algorithm>
#include <map>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "db/client_data_set.h"
#include "db/schema.h"
#include "host/text_collation.h"

namespace cordalis {
namespace {

// Texts that compare equal are one entry, spelled as first met. A text spelled
// exactly as one met before is found by its bytes, without the collation; any
// other is found by its sort key, made once for it.
template <class T>
class SortedList {
 public:
  struct Entry {
    std::string_view spelling;
    T value;
  };

  template <class... Args>
  T& Find(std::string_view text, const TextCollation& collation, Args&&... newEntry) {
    if (const auto known = bySpelling_.find(text); known != bySpelling_.end()) return *known->second;
    Entry& entry = entries_.try_emplace(collation.SortKey(text), Entry{text, T(std::forward<Args>(newEntry)...)})
                       .first->second;
    bySpelling_.emplace(text, &entry.value);
    return entry.value;
  }
  std::map<std::string, Entry>& Entries() { return entries_; }

 private:
  std::map<std::string, Entry> entries_;  // by sort key
  std::unordered_map<std::string_view, T*> bySpelling_;
};

struct TitleEntry {
  std::uint32_t at;  // the title's place in its list's text
  std::uint32_t size;
  std::uint32_t metAt;  // place in the input
  std::int32_t twkId;
  bool notForPlatform;
};

// The titles of one subcategory keep their text together, so that sorting
// them reads one small block instead of the whole input.
struct TitleList {
  std::string text;
  std::vector<TitleEntry> entries;
  std::string_view Title(const TitleEntry& e) const { return std::string_view(text.data() + e.at, e.size); }
};

using SubCatList = SortedList<TitleList>;
using CategoryList = SortedList<SubCatList>;

CategoryList CollectTweaks(const std::vector<TreeTweak>& tweaks, const TreeBuildInputs& in,
                           const TextCollation& collation) {
  CategoryList categories;
  for (std::size_t i = 0; i < tweaks.size(); ++i) {
    const TreeTweak& t = tweaks[i];
    const bool notForPlatform = (t.mask & in.platformMask) == 0;
    if ((t.hide || notForPlatform) && !in.viewOnly) continue;
    TitleList& titles = categories.Find(t.category, collation).Find(t.subCat, collation);
    titles.entries.push_back(TitleEntry{static_cast<std::uint32_t>(titles.text.size()),
                                        static_cast<std::uint32_t>(t.title.size()), static_cast<std::uint32_t>(i),
                                        t.twkId, notForPlatform});
    titles.text += t.title;
  }
  return categories;
}

// How many nodes and how much label text the lists will make.
struct TreeSize {
  std::size_t nodes = 1;
  std::size_t labelBytes = sizeof "Categories";
};

TreeSize SizeOf(CategoryList& categories) {
  TreeSize size;
  for (auto& [categoryKey, category] : categories.Entries()) {
    size.nodes += 1;
    size.labelBytes += category.spelling.size() + 1;
    for (auto& [subCatKey, subCat] : category.value.Entries()) {
      size.nodes += 1 + subCat.value.entries.size();
      size.labelBytes += subCat.spelling.size() + 1 + subCat.value.text.size() + subCat.value.entries.size();
    }
  }
  return size;
}

}  // namespace

TweakTree::TweakTree(const std::vector<TreeTweak>& tweaks, const TreeBuildInputs& in,
                     const TextCollation& collation)
    : collation_(&collation) {
  CategoryList categories = CollectTweaks(tweaks, in, collation);
  const TreeSize size = SizeOf(categories);
  nodes_.reserve(size.nodes);
  titleBlock_.reserve(size.nodes);
  metAt_.reserve(size.nodes);
  labels_.reserve(size.labelBytes);
  AddNode(TreeNodeKind::Root, "Categories", 0, -1, kNoStateImage);
  int named = -1;
  for (auto& [categoryKey, category] : categories.Entries()) {
    const int c = AddNode(TreeNodeKind::Category, category.spelling, 0, 0, kClosedFolderImage);
    for (auto& [subCatKey, subCat] : category.value.Entries()) {
      TitleList& titles = subCat.value;
      const int parent =
          subCat.spelling.empty() ? c : AddNode(TreeNodeKind::SubCategory, subCat.spelling, 0, c, kClosedFolderImage);
      if (titles.entries.empty()) continue;
      const int block = static_cast<int>(blocks_.size());
      blocks_.push_back({NodeCount(), NodeCount() + static_cast<int>(titles.entries.size()), false});
      for (const TitleEntry& entry : titles.entries) {
        const int image = entry.notForPlatform ? kRedTweakImage : kTweakImage;
        const int t = AddNode(TreeNodeKind::Tweak, titles.Title(entry), entry.twkId, parent, image);
        titleBlock_.back() = block;
        metAt_.back() = entry.metAt;
        if (entry.twkId == in.lastTip) named = t;
      }
    }
  }
  FinishRanges();
  if (named >= 0) named = IndexOfTweak(in.lastTip);  // its place once its titles are in order
  TreeUpdate shown;
  SetExpanded(0, true, shown);
  SelectInto(named >= 0 ? named : NextTweak(-1), shown);
}

// Puts one block of titles in order: by the collation, equal titles with the
// one met later in the input first. Only the titles move; every index stays.
void TweakTree::SortBlock(int block) const {
  TitleBlock& b = blocks_[static_cast<std::size_t>(block)];
  b.sorted = true;
  struct Keyed {
    std::string key;
    std::uint32_t metAt;
    TreeNode node;
  };
  std::vector<Keyed> keyed;
  keyed.reserve(static_cast<std::size_t>(b.end - b.first));
  for (int i = b.first; i < b.end; ++i) {
    const TreeNode& n = nodes_[static_cast<std::size_t>(i)];
    keyed.push_back({collation_->SortKey(std::string_view(labels_).substr(n.labelAt, n.labelSize)),
                     metAt_[static_cast<std::size_t>(i)], n});
  }
  std::sort(keyed.begin(), keyed.end(), [](const Keyed& x, const Keyed& y) {
    const int order = x.key.compare(y.key);
    return order < 0 || (order == 0 && x.metAt > y.metAt);
  });
  for (int i = b.first; i < b.end; ++i) {
    const TreeNode& from = keyed[static_cast<std::size_t>(i - b.first)].node;
    TreeNode& to = nodes_[static_cast<std::size_t>(i)];
    to.twkId = from.twkId;
    to.stateImage = from.stateImage;
    to.labelAt = from.labelAt;
    to.labelSize = from.labelSize;
  }
}

int TweakTree::AddNode(TreeNodeKind kind, std::string_view label, std::int32_t twkId, int parent, int image) {
  const int index = NodeCount();
  TreeNode node;
  node.kind = kind;
  node.labelAt = static_cast<std::uint32_t>(labels_.size());
  node.labelSize = static_cast<std::uint32_t>(label.size());
  labels_.append(label);
  labels_.push_back('\0');
  node.twkId = twkId;
  node.parent = parent;
  node.stateImage = image;
  if (parent >= 0) {
    TreeNode& p = nodes_[static_cast<std::size_t>(parent)];
    node.depth = p.depth + 1;
    node.prevSibling = p.lastChild;
    if (p.lastChild >= 0) nodes_[static_cast<std::size_t>(p.lastChild)].nextSibling = index;
    if (p.firstChild < 0) p.firstChild = index;
    p.lastChild = index;
  }
  nodes_.push_back(node);
  titleBlock_.push_back(-1);
  metAt_.push_back(0);
  return index;
}

std::string_view TweakTree::Label(int index) const {
  const TreeNode& n = Node(index);
  return std::string_view(labels_).substr(n.labelAt, n.labelSize);
}

const char* TweakTree::LabelText(int index) const { return labels_.c_str() + Node(index).labelAt; }

// A subtree ends where the node's next sibling begins, or where its parent's ends.
void TweakTree::FinishRanges() {
  for (TreeNode& n : nodes_) {
    if (n.nextSibling >= 0) n.subtreeEnd = n.nextSibling;
    else n.subtreeEnd = n.parent < 0 ? NodeCount() : Node(n.parent).subtreeEnd;
  }
}

// A scan: the window asks this once in a while, never per node. A tweak is
// in its block whatever the block's order; the block is put in order before
// its place in it is told.
int TweakTree::IndexOfTweak(std::int32_t twkId) const {
  if (twkId == 0) return -1;
  const auto found = std::find_if(nodes_.begin(), nodes_.end(), [twkId](const TreeNode& n) { return n.twkId == twkId; });
  if (found == nodes_.end()) return -1;
  const auto index = static_cast<std::size_t>(found - nodes_.begin());
  const int block = titleBlock_[index];
  if (block < 0 || blocks_[static_cast<std::size_t>(block)].sorted) return static_cast<int>(index);
  SortBlock(block);
  const TitleBlock& b = blocks_[static_cast<std::size_t>(block)];
  for (int i = b.first; i < b.end; ++i)
    if (nodes_[static_cast<std::size_t>(i)].twkId == twkId) return i;
  return -1;
}

int TweakTree::CategoryOf(int node) const {
  if (node < 0 || Node(node).depth < 1) return -1;
  while (Node(node).depth > 1) node = Node(node).parent;
  return node;
}

bool TweakTree::IsBelow(int node, int ancestor) const {
  return node > ancestor && node < Node(ancestor).subtreeEnd;
}


// Navigation -------------------------------------------------------------

int TweakTree::Sibling(int node, bool next) const {
  return next ? Node(node).nextSibling : Node(node).prevSibling;
}

int TweakTree::TweakWithin(int node, bool first) const {
  while (node >= 0 && !IsTweak(node)) node = first ? Node(node).firstChild : Node(node).lastChild;
  return node;
}

int TweakTree::FirstTweakWithin(int node) const { return TweakWithin(node, true); }
int TweakTree::LastTweakWithin(int node) const { return TweakWithin(node, false); }

// From a tweak: the tweak within its sibling on that side, else within the
// sibling of its parent, grandparent or great-grandparent, nearest first.
int TweakTree::TweakBeside(int tweak, bool forward) const {
  if (const int t = TweakWithin(Sibling(tweak, forward), forward); t >= 0) return t;
  int ancestor = Node(tweak).parent;
  for (int climbed = 0; climbed < 3 && ancestor >= 0; ++climbed) {
    if (const int t = TweakWithin(Sibling(ancestor, forward), forward); t >= 0) return t;
    ancestor = Node(ancestor).parent;
  }
  return -1;
}

int TweakTree::NextTweak(int node) const {
  if (nodes_.empty()) return -1;
  if (node < 0) node = 0;
  return IsTweak(node) ? TweakBeside(node, true) : FirstTweakWithin(node);
}

// From none this starts at the last node, itself the last tweak, and so
// answers the tweak before it. From a category or subcategory it looks only
// in the node's previous sibling.
int TweakTree::PreviousTweak(int node) const {
  if (nodes_.empty()) return -1;
  if (node < 0) node = LastNode();
  return IsTweak(node) ? TweakBeside(node, false) : LastTweakWithin(Node(node).prevSibling);
}

// Selection and expansion --------------------------------------------------

// Only a node with children opens or closes. A node that closes over the
// selection takes the selection, as the tree control does.
void TweakTree::SetExpanded(int node, bool expanded, TreeUpdate& update) {
  TreeNode& n = nodes_[static_cast<std::size_t>(node)];
  if (n.firstChild < 0 || n.expanded == expanded) return;
  n.expanded = expanded;
  if (expanded) n.stateImage = kOpenFolderImage;
  else if (n.parent >= 0) n.stateImage = kClosedFolderImage;
  if (!expanded && selected_ >= 0 && IsBelow(selected_, node)) {
    selected_ = node;
    update.select = node;
  }
  update.expansionChanged.push_back(node);
}

void TweakTree::ExpandSubtree(int node, TreeUpdate& update) {
  for (int i = node; i < Node(node).subtreeEnd; ++i) SetExpanded(i, true, update);
}

void TweakTree::CollapseSubtree(int node, TreeUpdate& update) {
  for (int i = node; i < Node(node).subtreeEnd; ++i) SetExpanded(i, false, update);
}

void TweakTree::SelectInto(int node, TreeUpdate& update) {
  for (int a = node < 0 ? -1 : Node(node).parent; a >= 0; a = Node(a).parent) SetExpanded(a, true, update);
  selected_ = node;
  update.select = node;
}

TreeUpdate TweakTree::Finished(TreeUpdate update) {
  std::vector<int>& changed = update.expansionChanged;
  std::sort(changed.begin(), changed.end());
  changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
  return update;
}

TreeUpdate TweakTree::Select(int node) {
  if (node < -1 || node >= NodeCount()) return {};
  TreeUpdate update;
  SelectInto(node, update);
  return Finished(std::move(update));
}

TreeUpdate TweakTree::Expand(int node) {
  if (node < 0 || node >= NodeCount()) return {};
  TreeUpdate update;
  SetExpanded(node, true, update);
  return Finished(std::move(update));
}

// The root never stays closed: closing it closes everything below it.
TreeUpdate TweakTree::Collapse(int node) {
  if (node < 0 || node >= NodeCount()) return {};
  TreeUpdate update;
  if (Node(node).parent >= 0) {
    SetExpanded(node, false, update);
  } else {
    CollapseSubtree(node, update);
    SetExpanded(node, true, update);
  }
  return Finished(std::move(update));
}

// Commands -------------------------------------------------------------------

TreeUpdate TweakTree::ExpandAll() {
  if (nodes_.empty()) return {};
  TreeUpdate update;
  ExpandSubtree(0, update);
  return Finished(std::move(update));
}

// Everything closes, so the selection goes back to its category (or stays
// on the root or category it was on).
TreeUpdate TweakTree::CollapseAll() {
  if (nodes_.empty()) return {};
  const int remembered = selected_ >= 0 && Node(selected_).depth <= 1 ? selected_ : CategoryOf(selected_);
  TreeUpdate update;
  CollapseSubtree(0, update);
  SetExpanded(0, true, update);
  if (remembered >= 0) SelectInto(remembered, update);
  return Finished(std::move(update));
}

TreeUpdate TweakTree::ExpandCategory() {
  if (selected_ < 0) return {};
  const int top = Node(selected_).depth <= 1 ? selected_ : CategoryOf(selected_);
  TreeUpdate update;
  ExpandSubtree(top, update);
  return Finished(std::move(update));
}

TreeUpdate TweakTree::CollapseCategory() {
  if (selected_ < 0) return {};
  if (Node(selected_).depth == 0) return CollapseAll();
  TreeUpdate update;
  CollapseSubtree(CategoryOf(selected_), update);
  return Finished(std::move(update));
}

TreeUpdate TweakTree::GoNextTweak() {
  const int next = NextTweak(selected_);
  return next < 0 ? TreeUpdate{} : Select(next);
}

TreeUpdate TweakTree::GoPreviousTweak() {
  const int previous = PreviousTweak(selected_);
  return previous < 0 ? TreeUpdate{} : Select(previous);
}

TreeUpdate TweakTree::GoTop() {
  const int first = NextTweak(-1);
  return Select(first);  // none: the selection is cleared all the same
}

TreeUpdate TweakTree::GoBottom() {
  return nodes_.empty() ? TreeUpdate{} : Select(LastNode());
}

std::vector<TreeTweak> TreeTweaksOf(const ClientDataSet& tweaks, const ClientDataSet& actions) {
  const TableData& actionData = actions.Data();
  const auto owner = static_cast<std::size_t>(actionData.FieldIndex(schema::kTwkID));
  const auto verMask = static_cast<std::size_t>(actionData.FieldIndex(schema::kVerMask));
  std::unordered_map<std::int32_t, std::uint16_t> masks;
  for (RowId row : actions.AllRows())
    masks[actionData.Number(row, owner)] |= static_cast<std::uint16_t>(actionData.Number(row, verMask));

  const TableData& data = tweaks.Data();
  auto column = [&](const char* name) { return static_cast<std::size_t>(data.FieldIndex(name)); };
  const std::size_t id = column(schema::kTwkID), hide = column(schema::kHide), category = column(schema::kCategory),
                    subCat = column(schema::kSubCat), title = column(schema::kTitle);
  std::vector<TreeTweak> out;
  out.reserve(data.LiveRowCount());
  for (RowId row : tweaks.AllRows()) {
    const std::int32_t twkId = data.Number(row, id);
    const auto mask = masks.find(twkId);
    out.push_back({twkId, data.Number(row, hide) != 0, data.Text(row, category), data.Text(row, subCat),
                   data.Text(row, title), mask == masks.end() ? std::uint16_t{0} : mask->second});
  }
  return out;
}

}  // namespace cordalis
