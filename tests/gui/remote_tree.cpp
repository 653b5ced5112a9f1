#include "gui/remote_tree.h"

#include <stdexcept>

namespace cordalis::testing {
namespace {

constexpr std::size_t kLabelRoom = 1024;

}  // namespace

RemoteTree::RemoteTree(HWND tree, HANDLE process) : tree_(tree), process_(process) {
  remote_ = static_cast<char*>(
      VirtualAllocEx(process, nullptr, sizeof(TVITEMA) + kLabelRoom, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  if (remote_ == nullptr) throw std::runtime_error("cannot reach the program's memory");
}

RemoteTree::~RemoteTree() { VirtualFreeEx(process_, remote_, 0, MEM_RELEASE); }

HTREEITEM RemoteTree::Next(HTREEITEM item, UINT relation) const {
  return reinterpret_cast<HTREEITEM>(SendMessageA(tree_, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

TVITEMA RemoteTree::Fetch(HTREEITEM item, UINT mask, std::string* label) const {
  TVITEMA tv{};
  tv.mask = mask | TVIF_HANDLE;
  tv.hItem = item;
  tv.stateMask = TVIS_STATEIMAGEMASK;
  tv.pszText = remote_ + sizeof(TVITEMA);
  tv.cchTextMax = kLabelRoom;
  WriteProcessMemory(process_, remote_, &tv, sizeof tv, nullptr);
  SendMessageA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote_));
  ReadProcessMemory(process_, remote_, &tv, sizeof tv, nullptr);
  if (label) {
    char text[kLabelRoom] = {};
    ReadProcessMemory(process_, remote_ + sizeof(TVITEMA), text, kLabelRoom - 1, nullptr);
    *label = text;
  }
  return tv;
}

std::vector<HTREEITEM> RemoteTree::Children(HTREEITEM item) const {
  SendMessageA(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
  std::vector<HTREEITEM> children;
  for (HTREEITEM child = Next(item, TVGN_CHILD); child; child = Next(child, TVGN_NEXT)) children.push_back(child);
  return children;
}

std::string RemoteTree::Label(HTREEITEM item) const {
  std::string label;
  Fetch(item, TVIF_TEXT, &label);
  return label;
}

RECT RemoteTree::LabelRect(HTREEITEM item) const {
  // The message takes the item in the rectangle it fills.
  RECT rect{};
  WriteProcessMemory(process_, remote_, &item, sizeof item, nullptr);
  SendMessageA(tree_, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(remote_));
  ReadProcessMemory(process_, remote_, &rect, sizeof rect, nullptr);
  return rect;
}

int RemoteTree::StateImage(HTREEITEM item) const { return static_cast<int>(Fetch(item, TVIF_STATE, nullptr).state >> 12); }

void RemoteTree::Select(HTREEITEM item) const {
  SendMessageA(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

void RemoteTree::Walk(HTREEITEM item, int depth, std::vector<std::pair<HTREEITEM, std::string>>& out) const {
  out.push_back({item, std::string(static_cast<std::size_t>(depth) * 2, ' ') + Label(item)});
  for (HTREEITEM child : Children(item)) Walk(child, depth + 1, out);
}

std::vector<std::string> RemoteTree::Outline() const {
  std::vector<std::pair<HTREEITEM, std::string>> items;
  if (HTREEITEM root = Root()) Walk(root, 0, items);
  std::vector<std::string> lines;
  for (auto& [item, line] : items) lines.push_back(std::move(line));
  return lines;
}

HTREEITEM RemoteTree::FindBelow(HTREEITEM item, const std::string& label) const {
  if (Label(item) == label) return item;
  const bool wasOpen = SendMessageA(tree_, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) != 0;
  for (HTREEITEM child : Children(item))
    if (HTREEITEM found = FindBelow(child, label)) return found;
  // Closed again, so the tree looks as a user would have left it.
  if (!wasOpen) SendMessageA(tree_, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(item));
  return nullptr;
}

HTREEITEM RemoteTree::Find(const std::string& label) const {
  HTREEITEM root = Root();
  return root ? FindBelow(root, label) : nullptr;
}

}  // namespace cordalis::testing
