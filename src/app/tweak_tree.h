#pragma once
// The tweak tree as the window shows it: root "Categories", categories,
// subcategories and tweaks, held whole in depth-first order so that a node's
// index is its place in tree order (the root is 0). The tree control only
// mirrors this model: every answer about order, navigation, expansion and
// selection comes from here, and the operations return what the control must
// do instead of touching it. The view applies an update without feeding the
// notifications that applying it raises back into the model.
//
// Only a node with children opens or closes (tweak nodes keep their images),
// and a node that closes over the selected node takes the selection, as the
// tree control does. Node indexes passed in are -1 ("none") or valid.
//
// The engine's TreeOrder is this model's NodeCount, TweakAt and Selected, with
// Select going through the window, which runs the selection handling.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/records.h"

namespace cordalis {

class ClientDataSet;
class TextCollation;

enum class TreeNodeKind : std::uint8_t { Root, Category, SubCategory, Tweak };

// State images of the image list: none before the root's first expansion.
enum TreeStateImage : int {
  kNoStateImage = 0,
  kTweakImage = 1,         // a tweak that applies to the running system
  kClosedFolderImage = 2,  // a category or subcategory when built; any non-root node when collapsed
  kOpenFolderImage = 3,    // any node when expanded
  kRedTweakImage = 4,      // a tweak that does not apply (view-only mode)
};

struct TreeNode {
  std::int32_t twkId = 0;  // 0 for every node but a tweak node
  TreeNodeKind kind = TreeNodeKind::Root;
  bool expanded = false;
  int depth = 0;
  int parent = -1;  // -1 for the root; likewise -1 below for "no such node"
  int firstChild = -1;
  int lastChild = -1;
  int nextSibling = -1;
  int prevSibling = -1;
  int subtreeEnd = 0;  // one past the last node below this one
  int stateImage = kNoStateImage;
  std::uint32_t labelAt = 0;  // where the label starts in the tree's text (see Label)
  std::uint32_t labelSize = 0;
};

// A tweak as the tree needs it: the fields it shows, still in the tables
// (which must not change while the tree is built from them), and the OR of its
// actions' VerMask.
struct TreeTweak {
  std::int32_t twkId = 0;
  bool hide = false;
  std::string_view category;
  std::string_view subCat;
  std::string_view title;
  std::uint16_t mask = 0;
};

// Every tweak of the tweak table in TwkID order, with its actions' mask, read
// in one pass over each table without copying a text or moving a cursor.
std::vector<TreeTweak> TreeTweaksOf(const ClientDataSet& tweaks, const ClientDataSet& actions);

struct TreeBuildInputs {
  bool viewOnly = false;
  std::uint16_t platformMask = 0;
  std::int32_t lastTip = -1;  // the tweak to select; the caller sets LastTip to -1 after any build
};

// What the tree control must do after an operation: select a node (-1 clears
// the selection; nullopt leaves it alone), then give each listed node the
// expanded flag and state image the model now holds. The list is in tree
// order, parents first, and names each node the operation touched once.
struct TreeUpdate {
  std::optional<int> select;
  std::vector<int> expansionChanged;
};

class TweakTree {
 public:
  TweakTree() = default;  // no nodes at all: the window before its first build

  // Builds from the tweaks in ascending TwkID (of equal titles in one
  // subcategory, the one later in the input goes first), leaving out hidden
  // tweaks and tweaks for other platforms unless view-only. Selects the tweak
  // named by lastTip, or else the first tweak; opens the root and the selected
  // node's ancestors and leaves every other node closed.
  //
  // The titles under one category or subcategory are put in order when one of
  // them is first looked at: their indexes are the same whatever their order,
  // and a collation that follows the user's locale costs a call per title.
  // The collation must outlive the tree.
  TweakTree(const std::vector<TreeTweak>& tweaks, const TreeBuildInputs& in, const TextCollation& collation);

  int NodeCount() const { return static_cast<int>(nodes_.size()); }
  const TreeNode& Node(int index) const {
    const auto i = static_cast<std::size_t>(index);
    if (titleBlock_[i] >= 0 && !blocks_[static_cast<std::size_t>(titleBlock_[i])].sorted) SortBlock(titleBlock_[i]);
    return nodes_[i];
  }
  std::string_view Label(int index) const;
  const char* LabelText(int index) const;  // the label ending in a NUL, for the control
  std::int32_t TweakAt(int index) const { return Node(index).twkId; }
  bool IsTweak(int index) const { return index >= 0 && Node(index).twkId != 0; }
  int IndexOfTweak(std::int32_t twkId) const;  // -1 when the tweak is not in the tree
  int Selected() const { return selected_; }   // -1 when nothing is selected

  // Navigation; "none" is -1, both as argument and as answer.
  int FirstTweakWithin(int node) const;
  int LastTweakWithin(int node) const;
  int NextTweak(int node) const;
  int PreviousTweak(int node) const;
  int LastNode() const { return NodeCount() - 1; }
  int CategoryOf(int node) const;  // the ancestor of depth 1 (the node itself at depth 1); -1 above it

  // Selecting a node, by the user or by program: the control opens its ancestors.
  TreeUpdate Select(int node);
  // The control expanded or collapsed a node. Collapsing the root closes every
  // node below it and opens the root again.
  TreeUpdate Expand(int node);
  TreeUpdate Collapse(int node);

  // The tree commands.
  TreeUpdate ExpandAll();         // acExAll
  TreeUpdate CollapseAll();       // acColAll
  TreeUpdate ExpandCategory();    // acExOne
  TreeUpdate CollapseCategory();  // acColOne
  TreeUpdate GoNextTweak();       // acNextTweak
  TreeUpdate GoPreviousTweak();   // acPrevTweak
  TreeUpdate GoTop();             // acTop
  TreeUpdate GoBottom();          // acBottom

 private:
  int AddNode(TreeNodeKind kind, std::string_view label, std::int32_t twkId, int parent, int image);
  void FinishRanges();
  int Sibling(int node, bool next) const;
  int TweakWithin(int node, bool first) const;
  int TweakBeside(int tweak, bool forward) const;
  bool IsBelow(int node, int ancestor) const;
  void SetExpanded(int node, bool expanded, TreeUpdate& update);
  void ExpandSubtree(int node, TreeUpdate& update);
  void CollapseSubtree(int node, TreeUpdate& update);
  void SelectInto(int node, TreeUpdate& update);
  static TreeUpdate Finished(TreeUpdate update);
  // The titles of one parent: nodes [first, end), each a leaf.
  struct TitleBlock {
    int first = 0;
    int end = 0;
    bool sorted = false;
  };
  void SortBlock(int block) const;

  const TextCollation* collation_ = nullptr;
  mutable std::vector<TreeNode> nodes_;
  mutable std::vector<TitleBlock> blocks_;
  std::vector<int> titleBlock_;      // by node: its block of titles, -1 for other nodes
  std::vector<std::uint32_t> metAt_;  // by node: the title's place in the input
  std::string labels_;  // every label in tree order, each followed by a NUL
  int selected_ = -1;
};

}  // namespace cordalis
