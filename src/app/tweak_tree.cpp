#include "app/tweak_tree.h"

#include <algorithm>
#include <map>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "host/text_collation.h"

namespace cordalis {
namespace {

struct CollationLess {
  const TextCollation* collation;
  bool operator()(std::string_view a, std::string_view b) const { return collation->Compare(a, b) < 0; }
};

// Texts that compare equal are one entry, spelled as first met. A text spelled
// exactly as one met before is found by its bytes, without the collation.
template <class T>
class SortedList {
 public:
  explicit SortedList(const TextCollation& collation) : entries_(CollationLess{&collation}) {}

  template <class... Args>
  T& Find(std::string_view text, Args&&... newEntry) {
    if (const auto known = bySpelling_.find(text); known != bySpelling_.end()) return *known->second;
    T& entry = entries_.try_emplace(text, std::forward<Args>(newEntry)...).first->second;
    bySpelling_.emplace(text, &entry);
    return entry;
  }
  std::map<std::string_view, T, CollationLess>& Entries() { return entries_; }

 private:
  std::map<std::string_view, T, CollationLess> entries_;
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
  CategoryList categories(collation);
  for (std::size_t i = 0; i < tweaks.size(); ++i) {
    const TweakRecord& t = tweaks[i].tweak;
    const bool notForPlatform = (tweaks[i].mask & in.platformMask) == 0;
    if ((t.hide || notForPlatform) && !in.viewOnly) continue;
    TitleList& titles = categories.Find(t.category, collation).Find(t.subCat);
    titles.entries.push_back(TitleEntry{static_cast<std::uint32_t>(titles.text.size()),
                                        static_cast<std::uint32_t>(t.title.size()), static_cast<std::uint32_t>(i),
                                        t.twkId, notForPlatform});
    titles.text += t.title;
  }
  return categories;
}

// Equal titles keep all their tweaks, the one met last in front.
void SortTitles(TitleList& titles, const TextCollation& collation) {
  std::stable_sort(titles.entries.begin(), titles.entries.end(), [&](const TitleEntry& a, const TitleEntry& b) {
    const int order = collation.Compare(titles.Title(a), titles.Title(b));
    return order < 0 || (order == 0 && a.metAt > b.metAt);
  });
}

// How many nodes and how much label text the lists will make.
struct TreeSize {
  std::size_t nodes = 1;
  std::size_t labelBytes = sizeof "Categories";
};

TreeSize SizeOf(CategoryList& categories) {
  TreeSize size;
  for (auto& [category, subCats] : categories.Entries()) {
    size.nodes += 1;
    size.labelBytes += category.size() + 1;
    for (auto& [subCat, titles] : subCats.Entries()) {
      size.nodes += 1 + titles.entries.size();
      size.labelBytes += subCat.size() + 1 + titles.text.size() + titles.entries.size();
    }
  }
  return size;
}

}  // namespace

TweakTree::TweakTree(const std::vector<TreeTweak>& tweaks, const TreeBuildInputs& in,
                     const TextCollation& collation) {
  CategoryList categories = CollectTweaks(tweaks, in, collation);
  const TreeSize size = SizeOf(categories);
  nodes_.reserve(size.nodes);
  labels_.reserve(size.labelBytes);
  AddNode(TreeNodeKind::Root, "Categories", 0, -1, kNoStateImage);
  int named = -1;
  for (auto& [category, subCats] : categories.Entries()) {
    const int c = AddNode(TreeNodeKind::Category, category, 0, 0, kClosedFolderImage);
    for (auto& [subCat, titles] : subCats.Entries()) {
      const int parent = subCat.empty() ? c : AddNode(TreeNodeKind::SubCategory, subCat, 0, c, kClosedFolderImage);
      SortTitles(titles, collation);
      for (const TitleEntry& entry : titles.entries) {
        const int image = entry.notForPlatform ? kRedTweakImage : kTweakImage;
        const int t = AddNode(TreeNodeKind::Tweak, titles.Title(entry), entry.twkId, parent, image);
        if (entry.twkId == in.lastTip) named = t;
      }
    }
  }
  FinishRanges();
  TreeUpdate shown;
  SetExpanded(0, true, shown);
  SelectInto(named >= 0 ? named : NextTweak(-1), shown);
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

// A scan: the window asks this once in a while, never per node.
int TweakTree::IndexOfTweak(std::int32_t twkId) const {
  if (twkId == 0) return -1;
  const auto found = std::find_if(nodes_.begin(), nodes_.end(), [twkId](const TreeNode& n) { return n.twkId == twkId; });
  return found == nodes_.end() ? -1 : static_cast<int>(found - nodes_.begin());
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

}  // namespace cordalis
