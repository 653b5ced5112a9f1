// One contract for the tree control as the window drives it: the recording
// control of the tests and, on Windows, the real tree view raise a selection
// change in the same cases, and only in those.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/tweak_tree.h"
#include "doubles/recording_tree_control.h"
#include "host/text_collation.h"
#ifdef _WIN32
#include "app/win32/tree_view.h"
#endif

namespace cordalis {
namespace {

// A control as one implementation provides it, and the changes it raised.
struct Control {
  virtual ~Control() = default;
  virtual void Show(const TweakTree& tree) = 0;
  virtual void Apply(const TweakTree& tree, const TreeUpdate& update) = 0;
  virtual int SelectedNode() const = 0;
  std::vector<int> raised;
};

struct Recording final : Control {
  Recording() {
    control.onSelectionChanged = [this](int node) { raised.push_back(node); };
  }
  void Show(const TweakTree& tree) override { control.Show(tree); }
  void Apply(const TweakTree& tree, const TreeUpdate& update) override { control.Apply(tree, update); }
  int SelectedNode() const override { return control.SelectedNode(); }
  testing::RecordingTreeControl control;
};

#ifdef _WIN32
// The tree view on a window of its own that hands it its notifications, as
// the main window does.
struct Real final : Control {
  Real() {
    WNDCLASSA holder{};
    holder.lpfnWndProc = [](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) CALLBACK -> LRESULT {
      auto* self = reinterpret_cast<Real*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
      LRESULT result = 0;
      if (message == WM_NOTIFY && self && self->view &&
          self->view->Notify(*reinterpret_cast<const NMHDR*>(lParam), result))
        return result;
      return DefWindowProcA(hwnd, message, wParam, lParam);
    };
    holder.hInstance = GetModuleHandleA(nullptr);
    holder.lpszClassName = "CordalisTreeHolder";
    RegisterClassA(&holder);
    parent = CreateWindowExA(0, "CordalisTreeHolder", "", WS_POPUP, 0, 0, 300, 400, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(parent, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    view = std::make_unique<TreeView>(parent, GetModuleHandleA(nullptr), 1);
    MoveWindow(view->Handle(), 0, 0, 300, 400, FALSE);
    view->onSelectionChanged = [this](int node) { raised.push_back(node); };
  }
  ~Real() override {
    view.reset();
    DestroyWindow(parent);
  }
  void Show(const TweakTree& tree) override { view->Show(tree); }
  void Apply(const TweakTree& tree, const TreeUpdate& update) override { view->Apply(tree, update); }
  int SelectedNode() const override {
    return view->NodeOf(reinterpret_cast<HTREEITEM>(SendMessageA(view->Handle(), TVM_GETNEXTITEM, TVGN_CARET, 0)));
  }
  HWND parent = nullptr;
  std::unique_ptr<TreeView> view;
};
#endif

using Maker = std::function<std::unique_ptr<Control>()>;

class TreeControlContract : public ::testing::TestWithParam<Maker> {
 protected:
  TreeControlContract() : control(GetParam()()) {
    // Categories > A { First #1, Sub { Second #2 } }, B { Third #3 }
    tweaks = {{1, false, "A", "", "First", 1}, {2, false, "A", "Sub", "Second", 1}, {3, false, "B", "", "Third", 1}};
    tree = TweakTree(tweaks, {false, 1, -1}, collation);
    control->Show(tree);
    control->Apply(tree, tree.Select(tree.Selected()));  // the first tweak, as a build selects it
    control->raised.clear();
  }
  int Node(const char* label) const {
    for (int n = 0; n < tree.NodeCount(); ++n)
      if (tree.Label(n) == label) return n;
    return -1;
  }
  AsciiCollation collation;
  std::vector<TreeTweak> tweaks;
  TweakTree tree;
  std::unique_ptr<Control> control;
};

TEST_P(TreeControlContract, ASelectThatMovesTheSelectionRaisesOneChange) {
  ASSERT_EQ(control->SelectedNode(), Node("First"));
  control->Apply(tree, tree.Select(Node("Second")));
  EXPECT_EQ(control->raised, std::vector<int>{Node("Second")});
  EXPECT_EQ(control->SelectedNode(), Node("Second"));
  control->raised.clear();
  control->Apply(tree, tree.Select(Node("Second")));
  EXPECT_TRUE(control->raised.empty()) << "selecting the node already selected";
}

// What Collapse all and Collapse category hand the control: the closing nodes
// and the select of the node that takes the selection. The control's
// selection moves as the node closes, so the select raises nothing.
TEST_P(TreeControlContract, ANodeClosingOverTheSelectionTakesItWithoutAChange) {
  control->Apply(tree, tree.Select(Node("Second")));
  control->raised.clear();
  struct Case {
    const char* how;
    std::function<TreeUpdate()> update;
    const char* takes;
  };
  const Case cases[] = {
      {"collapse all", [&] { return tree.CollapseAll(); }, "A"},
      {"collapse a subcategory", [&] { return tree.Collapse(Node("Sub")); }, "Sub"},
  };
  for (const Case& c : cases) {
    control->Apply(tree, tree.Select(Node("Second")));
    control->raised.clear();
    const TreeUpdate update = c.update();
    ASSERT_EQ(update.select.value_or(-2), Node(c.takes)) << c.how;
    control->Apply(tree, update);
    EXPECT_EQ(control->SelectedNode(), Node(c.takes)) << c.how;
    EXPECT_TRUE(control->raised.empty()) << c.how;
  }
}

// Expand all and Collapse all over many nodes, which the tree view makes
// anew rather than node by node: the selection moves as for a few.
TEST_P(TreeControlContract, ManyNodesOpeningAndClosingMoveTheSelectionAsAFewDo) {
  std::vector<std::string> names;
  for (int c = 0; c < 12; ++c) names.push_back("Category " + std::to_string(10 + c));
  std::vector<TreeTweak> many;
  for (int c = 0; c < 12; ++c)
    for (int t = 0; t < 3; ++t)
      many.push_back({c * 3 + t + 1, false, names[static_cast<std::size_t>(c)], "Sub", "T", 1});
  TweakTree big(many, {false, 1, 20}, collation);
  control->Show(big);
  control->Apply(big, big.Select(big.Selected()));
  const int tweak = big.Selected();
  ASSERT_EQ(control->raised, std::vector<int>{tweak});
  control->raised.clear();

  const TreeUpdate opened = big.ExpandAll();
  ASSERT_GT(opened.expansionChanged.size(), 16u);
  control->Apply(big, opened);
  EXPECT_EQ(control->SelectedNode(), tweak);
  EXPECT_TRUE(control->raised.empty());

  const TreeUpdate closed = big.CollapseAll();
  ASSERT_GT(closed.expansionChanged.size(), 16u);
  control->Apply(big, closed);
  EXPECT_EQ(control->SelectedNode(), big.CategoryOf(tweak));
  EXPECT_TRUE(control->raised.empty()) << "the category took the selection as it closed";

  control->Apply(big, big.Select(tweak));
  EXPECT_EQ(control->raised, std::vector<int>{tweak});
}

std::vector<Maker> Controls() {
  std::vector<Maker> makers = {[] { return std::make_unique<Recording>(); }};
#ifdef _WIN32
  makers.push_back([] { return std::make_unique<Real>(); });
#endif
  return makers;
}

INSTANTIATE_TEST_SUITE_P(Controls, TreeControlContract, ::testing::ValuesIn(Controls()),
                         [](const ::testing::TestParamInfo<Maker>& info) {
                           return info.index == 0 ? std::string("Recording") : std::string("TreeView");
                         });

}  // namespace
}  // namespace cordalis
