#pragma once
// The tree control as the window drives it, without Windows: it holds a
// selection of its own and raises a selection change exactly when the real
// control does. A select that moves its selection raises one; selecting the
// node already selected raises none; a node that closes over the selection
// takes it silently. One contract suite holds it and the real tree view to
// the same answers.
#include <functional>

#include "app/tweak_tree.h"

namespace cordalis::testing {

class RecordingTreeControl {
 public:
  std::function<void(int node)> onSelectionChanged;

  void Show(const TweakTree&) { selected_ = -1; }

  void Apply(const TweakTree& tree, const TreeUpdate& update) {
    for (int node : update.expansionChanged) {
      const TreeNode& n = tree.Node(node);
      if (!n.expanded && selected_ > node && selected_ < n.subtreeEnd) selected_ = node;
    }
    if (update.select && *update.select != selected_) {
      selected_ = *update.select;
      if (onSelectionChanged) onSelectionChanged(selected_);
    }
  }

  // The node the control shows selected, -1 for none.
  int SelectedNode() const { return selected_; }

 private:
  int selected_ = -1;
};

}  // namespace cordalis::testing
