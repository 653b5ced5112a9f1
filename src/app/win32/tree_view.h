#pragma once
// The tree control tv1, mirroring the tweak-tree model. It holds only what the
// user has opened: a node's children are inserted when the node is first
// expanded (or lies on the path to a node selected by program), because the
// control's cost grows faster than the items it holds, while the model keeps
// the whole tree for Find and the tree order.
#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <vector>

#include "app/tweak_tree.h"

namespace cordalis {

class TreeView {
 public:
  TreeView(HWND parent, HINSTANCE instance, int id);
  ~TreeView();
  TreeView(const TreeView&) = delete;
  TreeView& operator=(const TreeView&) = delete;

  HWND Handle() const { return hwnd_; }
  void SetStateImages(HIMAGELIST images);

  // The events the window hands the model: the node index, -1 for none.
  std::function<void(int node)> onSelectionChanged;
  std::function<void(int node)> onExpanded;
  std::function<void(int node)> onCollapsed;
  std::function<void(int node)> onRightClick;
  // The state images of nodes about to be inserted, or shown again: asked
  // for the nodes the control holds only. Without it, the model's own.
  std::function<std::vector<int>(const std::vector<int>& nodes)> imagesOf;

  void Show(const TweakTree& tree);
  void Apply(const TweakTree& tree, const TreeUpdate& update);
  // A WM_NOTIFY from the control; true when it was the control's.
  bool Notify(const NMHDR& header, LRESULT& result);
  // The states of the tweaks changed: the inserted tweak items' images are
  // asked for again, and those that differ are redrawn.
  void ShowStates();
  // The node an item stands for.
  int NodeOf(HTREEITEM item) const;
  HTREEITEM ItemOf(int node) const { return node >= 0 && node < static_cast<int>(items_.size()) ? items_[node] : nullptr; }

 private:
  // Past this many nodes opened or closed at once, the items are made anew.
  static constexpr std::size_t kNodesOpenedOneByOne = 16;

  std::vector<int> ImagesOf(const std::vector<int>& nodes) const;
  void SetImage(int node, HTREEITEM item, int image);
  HTREEITEM Insert(int node, int image, HTREEITEM parentItem, bool mayOpen);
  void InsertChildren(int node);
  HTREEITEM EnsureInserted(int node);
  bool OpenInControl(HTREEITEM item) const;
  void SetState(int node);
  void Rebuild();

  HWND hwnd_ = nullptr;
  const TweakTree* tree_ = nullptr;
  std::vector<HTREEITEM> items_;   // by node; nullptr until inserted
  std::vector<bool> childrenIn_;   // by node: its children are in the control
  std::vector<int> images_;        // by node: the state image its item shows
  int quiet_ = 0;                  // while above 0, the control's own events are not the user's
};

}  // namespace cordalis
