#pragma once
// The tree control of another process, read item by item: its labels and
// images live in that process, so they are fetched through a buffer there.
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

namespace cordalis::testing {

class RemoteTree {
 public:
  RemoteTree(HWND tree, HANDLE process);
  ~RemoteTree();
  RemoteTree(const RemoteTree&) = delete;
  RemoteTree& operator=(const RemoteTree&) = delete;

  HTREEITEM Root() const { return Next(nullptr, TVGN_ROOT); }
  HTREEITEM Selected() const { return Next(nullptr, TVGN_CARET); }
  // An item's children, after expanding it (the program inserts them then).
  std::vector<HTREEITEM> Children(HTREEITEM item) const;
  std::string Label(HTREEITEM item) const;
  int StateImage(HTREEITEM item) const;
  // Where the item's label sits in the tree's client area, after scrolling.
  RECT LabelRect(HTREEITEM item) const;
  // Selects the item as a click does; the program's selection handling has
  // run when this returns.
  void Select(HTREEITEM item) const;
  // Every label, depth first, indented two blanks a level: the whole tree opened.
  std::vector<std::string> Outline() const;
  // The first item whose label this is, in tree order; what the search opened
  // on its way and did not need is closed again.
  HTREEITEM Find(const std::string& label) const;

 private:
  HTREEITEM Next(HTREEITEM item, UINT relation) const;
  TVITEMA Fetch(HTREEITEM item, UINT mask, std::string* label) const;
  void Walk(HTREEITEM item, int depth, std::vector<std::pair<HTREEITEM, std::string>>& out) const;
  HTREEITEM FindBelow(HTREEITEM item, const std::string& label) const;

  HWND tree_;
  HANDLE process_;
  char* remote_ = nullptr;  // a TVITEMA, then room for the label
};

}  // namespace cordalis::testing
