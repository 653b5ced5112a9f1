#include "app/win32/tree_view.h"

#include <stdexcept>

namespace cordalis {
namespace {

// Scrolls the tree to its left edge, which shows where an item sits. Bringing
// an item into view also scrolls a long label in from the right where the
// tree scrolls sideways at all: TVS_NOHSCROLL keeps it from doing so from
// comctl32 5.80 on, and a long label is then cut, shown whole in its tip.
// Wine's tree does not answer SB_LEFT; every tree answers a thumb position.
const WPARAM kShowLeftEdge = MAKEWPARAM(SB_THUMBPOSITION, 0);

// Counts a change made by program, so the events it raises are not taken for
// the user's, however the change ends.
class Quiet {
 public:
  explicit Quiet(int& depth) : depth_(depth) { ++depth_; }
  ~Quiet() { --depth_; }
  Quiet(const Quiet&) = delete;
  Quiet& operator=(const Quiet&) = delete;

 private:
  int& depth_;
};

// Screen updates of the tree wait while it is filled, while nodes open or
// close and while the selection moves (Collapse all, Expand all, a tweak in a
// closed category),
// so that the user sees one change, not each, and the control lays out its
// items and scroll bars once. WM_SETREDRAW rather than LockWindowUpdate:
// that one locks a single window for the whole system.
class UpdatesSuspended {
 public:
  explicit UpdatesSuspended(HWND window) : window_(window) { SendMessageA(window_, WM_SETREDRAW, FALSE, 0); }
  ~UpdatesSuspended() {
    SendMessageA(window_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(window_, nullptr, TRUE);
  }
  UpdatesSuspended(const UpdatesSuspended&) = delete;
  UpdatesSuspended& operator=(const UpdatesSuspended&) = delete;

 private:
  HWND window_;
};

}  // namespace

TreeView::TreeView(HWND parent, HINSTANCE instance, int id) {
  hwnd_ = CreateWindowExA(WS_EX_CLIENTEDGE, WC_TREEVIEWA, "",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                              TVS_SHOWSELALWAYS | TVS_NOHSCROLL,
                          0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  if (hwnd_ == nullptr) throw std::runtime_error("Cordalis cannot create its tree control");
  SendMessageA(hwnd_, TVM_SETINDENT, 19, 0);
}

TreeView::~TreeView() {
  if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

void TreeView::SetStateImages(HIMAGELIST images) {
  SendMessageA(hwnd_, TVM_SETIMAGELIST, TVSIL_STATE, reinterpret_cast<LPARAM>(images));
}

int TreeView::NodeOf(HTREEITEM item) const {
  if (item == nullptr) return -1;
  TVITEMA tv{};
  tv.mask = TVIF_PARAM | TVIF_HANDLE;
  tv.hItem = item;
  if (!SendMessageA(hwnd_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv))) return -1;
  return static_cast<int>(tv.lParam);
}

std::vector<int> TreeView::ImagesOf(const std::vector<int>& nodes) const {
  if (imagesOf) return imagesOf(nodes);
  std::vector<int> images;
  for (int node : nodes) images.push_back(tree_->Node(node).stateImage);
  return images;
}

// An item in the state the model holds: open where the model has it open
// (unless told to wait), with its state image.
HTREEITEM TreeView::Insert(int node, int image, HTREEITEM parentItem, bool mayOpen) {
  const TreeNode& n = tree_->Node(node);
  const bool open = mayOpen && n.expanded && n.firstChild >= 0;
  TVINSERTSTRUCTA insert{};
  insert.hParent = parentItem;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_STATE | TVIF_CHILDREN;
  insert.item.pszText = const_cast<char*>(tree_->LabelText(node));
  insert.item.lParam = node;
  insert.item.cChildren = n.firstChild >= 0 ? 1 : 0;
  insert.item.stateMask = TVIS_STATEIMAGEMASK | TVIS_EXPANDED;
  insert.item.state = INDEXTOSTATEIMAGEMASK(image) | (open ? TVIS_EXPANDED : 0);
  HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageA(hwnd_, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
  items_[static_cast<std::size_t>(node)] = item;
  images_[static_cast<std::size_t>(node)] = image;
  if (open) InsertChildren(node);
  return item;
}

// A node's children go in while the node is closed in the control, with
// theirs where the model holds them open: the control lays out the items
// that come into view once, when the node opens, not once per item.
void TreeView::InsertChildren(int node) {
  if (childrenIn_[static_cast<std::size_t>(node)]) return;
  childrenIn_[static_cast<std::size_t>(node)] = true;
  HTREEITEM parentItem = items_[static_cast<std::size_t>(node)];
  std::vector<int> children;
  for (int child = tree_->Node(node).firstChild; child >= 0; child = tree_->Node(child).nextSibling)
    children.push_back(child);
  // The states of a category's tweaks are worked out together.
  const std::vector<int> images = ImagesOf(children);
  for (std::size_t i = 0; i < children.size(); ++i) Insert(children[i], images[i], parentItem, true);
}

HTREEITEM TreeView::EnsureInserted(int node) {
  if (HTREEITEM item = items_[static_cast<std::size_t>(node)]) return item;
  const int parent = tree_->Node(node).parent;
  EnsureInserted(parent);
  InsertChildren(parent);
  return items_[static_cast<std::size_t>(node)];
}

bool TreeView::OpenInControl(HTREEITEM item) const {
  return (SendMessageA(hwnd_, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

void TreeView::SetState(int node) {
  const TreeNode& n = tree_->Node(node);
  HTREEITEM item = EnsureInserted(node);
  if (n.expanded) InsertChildren(node);
  if (OpenInControl(item) != n.expanded)
    SendMessageA(hwnd_, TVM_EXPAND, n.expanded ? TVE_EXPAND : TVE_COLLAPSE, reinterpret_cast<LPARAM>(item));
  SetImage(node, item, ImagesOf({node}).front());
}

void TreeView::SetImage(int node, HTREEITEM item, int image) {
  images_[static_cast<std::size_t>(node)] = image;
  TVITEMA tv{};
  tv.mask = TVIF_STATE | TVIF_HANDLE;
  tv.hItem = item;
  tv.stateMask = TVIS_STATEIMAGEMASK;
  tv.state = INDEXTOSTATEIMAGEMASK(image);
  SendMessageA(hwnd_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
}

void TreeView::ShowStates() {
  if (tree_ == nullptr) return;
  std::vector<int> shown;
  for (std::size_t node = 0; node < items_.size(); ++node)
    if (items_[node] != nullptr && tree_->IsTweak(static_cast<int>(node))) shown.push_back(static_cast<int>(node));
  const std::vector<int> images = ImagesOf(shown);
  for (std::size_t i = 0; i < shown.size(); ++i) {
    const auto node = static_cast<std::size_t>(shown[i]);
    if (images[i] != images_[node]) SetImage(shown[i], items_[node], images[i]);
  }
}

// Every item anew, as the model holds them: the root goes in closed, all that
// is open below it goes in open, and the root opens last, so that the control
// lays out what comes into view once.
void TreeView::Rebuild() {
  SendMessageA(hwnd_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  items_.assign(static_cast<std::size_t>(tree_->NodeCount()), nullptr);
  childrenIn_.assign(static_cast<std::size_t>(tree_->NodeCount()), false);
  images_.assign(static_cast<std::size_t>(tree_->NodeCount()), kNoStateImage);
  if (tree_->NodeCount() == 0) return;
  HTREEITEM root = Insert(0, ImagesOf({0}).front(), TVI_ROOT, false);
  if (!tree_->Node(0).expanded) return;
  InsertChildren(0);
  SendMessageA(hwnd_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
}

void TreeView::Show(const TweakTree& tree) {
  Quiet quiet(quiet_);
  UpdatesSuspended suspended(hwnd_);
  tree_ = &tree;
  Rebuild();
}

// Opening or closing a node that is in view makes the control lay out every
// item in view again; past a few such nodes (Expand all, Collapse all) the
// items are made anew instead. Either way, the selection moves as the
// control's own would: to a node that closes over it, without a change.
void TreeView::Apply(const TweakTree& tree, const TreeUpdate& update) {
  tree_ = &tree;
  if (update.expansionChanged.empty() && !update.select) return;
  UpdatesSuspended suspended(hwnd_);
  if (update.expansionChanged.size() > kNodesOpenedOneByOne) {
    Quiet quiet(quiet_);
    int selected = NodeOf(reinterpret_cast<HTREEITEM>(SendMessageA(hwnd_, TVM_GETNEXTITEM, TVGN_CARET, 0)));
    for (int node : update.expansionChanged)
      if (!tree.Node(node).expanded && selected > node && selected < tree.Node(node).subtreeEnd) selected = node;
    Rebuild();
    HTREEITEM item = selected >= 0 ? EnsureInserted(selected) : nullptr;
    if (item) SendMessageA(hwnd_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    if (!update.select || *update.select == selected) {
      if (item) SendMessageA(hwnd_, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
      SendMessageA(hwnd_, WM_HSCROLL, kShowLeftEdge, 0);
      return;
    }
  } else {
    Quiet quiet(quiet_);
    for (int node : update.expansionChanged) SetState(node);
  }
  if (update.select) {
    // Selecting raises the control's selection change, which is the model's
    // selection handling: it must reach the model, whoever selected.
    HTREEITEM item = *update.select >= 0 ? EnsureInserted(*update.select) : nullptr;
    SendMessageA(hwnd_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    if (item) SendMessageA(hwnd_, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    SendMessageA(hwnd_, WM_HSCROLL, kShowLeftEdge, 0);
  }
}

bool TreeView::Notify(const NMHDR& header, LRESULT& result) {
  if (header.hwndFrom != hwnd_) return false;
  result = 0;
  switch (header.code) {
    case TVN_ITEMEXPANDINGA: {
      const auto& change = reinterpret_cast<const NMTREEVIEWA&>(header);
      const int node = static_cast<int>(change.itemNew.lParam);
      if (tree_ && (change.action & TVE_EXPAND) && node >= 0) InsertChildren(node);
      return true;
    }
    case TVN_ITEMEXPANDEDA: {
      if (quiet_ > 0) return true;
      const auto& change = reinterpret_cast<const NMTREEVIEWA&>(header);
      const int node = static_cast<int>(change.itemNew.lParam);
      if ((change.action & TVE_EXPAND) && onExpanded) onExpanded(node);
      if ((change.action & TVE_COLLAPSE) && onCollapsed) onCollapsed(node);
      return true;
    }
    case TVN_SELCHANGEDA: {
      if (quiet_ > 0) return true;  // the rebuild removing the old items
      const auto& change = reinterpret_cast<const NMTREEVIEWA&>(header);
      // The control scrolls a long label into view after this.
      PostMessageA(hwnd_, WM_HSCROLL, kShowLeftEdge, 0);
      if (onSelectionChanged) onSelectionChanged(change.itemNew.hItem ? static_cast<int>(change.itemNew.lParam) : -1);
      return true;
    }
    case NM_CUSTOMDRAW: {
      // The selection stays plain to see while another window has the
      // keyboard (the Find dialog after a search): the control's own colour
      // for it is the button face, which some systems make almost white.
      auto& draw = const_cast<NMTVCUSTOMDRAW&>(reinterpret_cast<const NMTVCUSTOMDRAW&>(header));
      if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) {
        result = CDRF_NOTIFYITEMDRAW;
      } else if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT && (draw.nmcd.uItemState & CDIS_SELECTED) &&
                 GetFocus() != hwnd_) {
        draw.clrText = GetSysColor(COLOR_HIGHLIGHTTEXT);
        draw.clrTextBk = GetSysColor(COLOR_BTNSHADOW);
        result = CDRF_NEWFONT;
      } else {
        result = CDRF_DODEFAULT;
      }
      return true;
    }
    case NM_RCLICK: {
      TVHITTESTINFO hit{};
      GetCursorPos(&hit.pt);
      ScreenToClient(hwnd_, &hit.pt);
      HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageA(hwnd_, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
      if (!(hit.flags & (TVHT_ONITEM | TVHT_ONITEMBUTTON | TVHT_ONITEMINDENT | TVHT_ONITEMRIGHT))) item = nullptr;
      if (onRightClick) onRightClick(NodeOf(item));
      result = 1;  // the tree has no pop-up menu
      return true;
    }
    default:
      return true;
  }
}

}  // namespace cordalis
