#include "app/tweak_tree.h"

#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <string>
#include <vector>

#include "host/text_collation.h"

namespace cordalis {
namespace {

constexpr std::uint16_t kPlatform = 0x0202;  // Windows 98 with IE5
constexpr std::uint16_t kFits = 0x0002;
constexpr std::uint16_t kOther = 0x0008;  // NT4 only: shares no bit with kPlatform

struct Tw {
  std::int32_t id;
  const char* category;
  const char* subCat;
  const char* title;
  std::uint16_t mask = kFits;
  bool hide = false;
};

std::vector<TreeTweak> Tweaks(const std::vector<Tw>& rows) {
  std::vector<TreeTweak> out;
  for (const Tw& r : rows) out.push_back({r.id, r.hide, r.category, r.subCat, r.title, r.mask});
  return out;
}

TweakTree Build(const std::vector<Tw>& rows, bool viewOnly = false, std::int32_t lastTip = -1) {
  static const AsciiCollation collation;  // outlives the trees built with it
  return TweakTree(Tweaks(rows), TreeBuildInputs{viewOnly, kPlatform, lastTip}, collation);
}

// The tree on one line: labels with their children in braces, tweaks with
// "#" and their number, and "!" after a tweak drawn as not applying.
std::string Outline(const TweakTree& tree, int node = 0) {
  const TreeNode& n = tree.Node(node);
  std::string s(tree.Label(node));
  if (n.twkId != 0) s += "#" + std::to_string(n.twkId) + (n.stateImage == kRedTweakImage ? "!" : "");
  if (n.firstChild < 0) return s;
  s += "{";
  for (int c = n.firstChild; c >= 0; c = tree.Node(c).nextSibling) {
    s += (c == n.firstChild ? "" : " ") + Outline(tree, c);
  }
  return s + "}";
}

// Every link agrees with the depth-first order the indexes stand for.
void ExpectConsistentLinks(const TweakTree& tree) {
  ASSERT_GE(tree.NodeCount(), 1);
  EXPECT_EQ(tree.Node(0).kind, TreeNodeKind::Root);
  EXPECT_EQ(tree.Label(0), "Categories");
  EXPECT_STREQ(tree.LabelText(0), "Categories");
  EXPECT_EQ(tree.Node(0).subtreeEnd, tree.NodeCount());
  for (int i = 0; i < tree.NodeCount(); ++i) {
    const TreeNode& n = tree.Node(i);
    SCOPED_TRACE("node " + std::to_string(i));
    if (n.firstChild >= 0) {
      EXPECT_EQ(n.firstChild, i + 1);
      EXPECT_EQ(tree.Node(n.lastChild).nextSibling, -1);
    } else {
      EXPECT_EQ(n.subtreeEnd, i + 1);
    }
    if (n.nextSibling >= 0) {
      EXPECT_EQ(n.nextSibling, n.subtreeEnd);
      EXPECT_EQ(tree.Node(n.nextSibling).prevSibling, i);
    }
    if (i == 0) continue;
    ASSERT_GE(n.parent, 0);
    ASSERT_LT(n.parent, i);
    EXPECT_EQ(n.depth, tree.Node(n.parent).depth + 1);
    EXPECT_LE(n.subtreeEnd, tree.Node(n.parent).subtreeEnd);
    EXPECT_EQ(n.twkId != 0, n.kind == TreeNodeKind::Tweak);
    EXPECT_EQ(n.kind == TreeNodeKind::Category, n.depth == 1);
    if (n.kind == TreeNodeKind::Tweak) {
      EXPECT_EQ(tree.IndexOfTweak(n.twkId), i);
    }
  }
}

TEST(TweakTreeBuild, SortsGroupsAndFiltersTheTweaks) {
  struct Case {
    const char* what;
    std::vector<Tw> tweaks;
    bool viewOnly;
    const char* outline;
  } cases[] = {
      {"categories sort ignoring case", {{1, "Zeta", "", "z"}, {2, "alpha", "", "a"}, {3, "Beta", "", "b"}}, false,
       "Categories{alpha{a#2} Beta{b#3} Zeta{z#1}}"},
      {"categories differing in case are one, spelled as first met",
       {{1, "explorer", "", "a"}, {2, "Explorer", "", "b"}, {3, "EXPLORER", "", "c"}}, false,
       "Categories{explorer{a#1 b#2 c#3}}"},
      {"subcategories differing in case are one, spelled as first met",
       {{1, "C", "Menus", "a"}, {2, "C", "MENUS", "b"}}, false, "Categories{C{Menus{a#1 b#2}}}"},
      {"the same subcategory text under two categories is two nodes",
       {{1, "A", "Same", "a"}, {2, "B", "Same", "b"}}, false, "Categories{A{Same{a#1}} B{Same{b#2}}}"},
      {"titles without a subcategory come first, sorted, then the subcategories",
       {{1, "C", "Sub", "x"}, {2, "C", "", "y"}, {3, "C", "Abc", "z"}, {4, "C", "", "B"}}, false,
       "Categories{C{B#4 y#2 Abc{z#3} Sub{x#1}}}"},
      {"equal titles: the higher TwkID first, each with its own spelling",
       {{1, "C", "S", "Same"}, {2, "C", "S", "Other"}, {3, "C", "S", "same"}, {4, "C", "S", "Same"},
        {5, "C", "S", "Z"}},
       false, "Categories{C{S{Other#2 Same#4 same#3 Same#1 Z#5}}}"},
      {"an empty category sorts first", {{1, "B", "", "x"}, {2, "", "", "y"}, {3, "", "S", "z"}}, false,
       "Categories{{y#2 S{z#3}} B{x#1}}"},
      {"no actions or another platform: absent",
       {{1, "C", "", "none", 0}, {2, "C", "", "other", kOther}, {3, "C", "", "fits"}, {4, "C", "", "ie5", 0x0200}},
       false, "Categories{C{fits#3 ie5#4}}"},
      {"no actions or another platform in view-only: red",
       {{1, "C", "", "none", 0}, {2, "C", "", "other", kOther}, {3, "C", "", "fits"}}, true,
       "Categories{C{fits#3 none#1! other#2!}}"},
      {"hidden: absent, with its category if it was the only one",
       {{1, "C", "", "shown"}, {2, "C", "", "hidden", kFits, true}, {3, "D", "", "gone", kFits, true}}, false,
       "Categories{C{shown#1}}"},
      {"hidden in view-only: shown with the image its platform gives",
       {{1, "C", "", "shown"}, {2, "C", "", "hidden", kFits, true}, {3, "C", "", "hidden other", kOther, true}}, true,
       "Categories{C{hidden#2 hidden other#3! shown#1}}"},
      {"nothing applies: only the root", {{1, "C", "", "other", kOther}, {2, "C", "", "hidden", kFits, true}}, false,
       "Categories"},
      {"no tweaks at all: only the root", {}, false, "Categories"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const TweakTree tree = Build(c.tweaks, c.viewOnly);
    EXPECT_EQ(Outline(tree), c.outline);
    ExpectConsistentLinks(tree);
  }
}

TEST(TweakTreeBuild, NodesCarryKindDepthAndImage) {
  const TweakTree tree = Build({{1, "A", "", "direct"}, {2, "A", "S", "deep", kOther}}, true);
  ASSERT_EQ(Outline(tree), "Categories{A{direct#1 S{deep#2!}}}");
  struct Expect {
    TreeNodeKind kind;
    int depth;
    std::int32_t twkId;
  } expected[] = {{TreeNodeKind::Root, 0, 0},
                  {TreeNodeKind::Category, 1, 0},
                  {TreeNodeKind::Tweak, 2, 1},
                  {TreeNodeKind::SubCategory, 2, 0},
                  {TreeNodeKind::Tweak, 3, 2}};
  ASSERT_EQ(tree.NodeCount(), 5);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(tree.Node(i).kind, expected[i].kind) << i;
    EXPECT_EQ(tree.Node(i).depth, expected[i].depth) << i;
    EXPECT_EQ(tree.TweakAt(i), expected[i].twkId) << i;
  }
  EXPECT_EQ(tree.Node(2).stateImage, kTweakImage);
  EXPECT_EQ(tree.Node(4).stateImage, kRedTweakImage);
  EXPECT_EQ(tree.Node(3).stateImage, kClosedFolderImage) << "a subcategory the selection does not need stays closed";
  EXPECT_EQ(tree.IndexOfTweak(2), 4);
  EXPECT_EQ(tree.IndexOfTweak(3), -1);
  EXPECT_EQ(tree.IndexOfTweak(0), -1) << "0 is the data of the other nodes";
  EXPECT_STREQ(tree.LabelText(4), "deep");
  EXPECT_EQ(tree.Label(1), "A");
}

// Sorting and lookup both go through the collation it is given.
class FirstLetterCollation final : public TextCollation {
 public:
  int Compare(std::string_view a, std::string_view b) const override {
    const int x = a.empty() ? -1 : static_cast<unsigned char>(a[0]);
    const int y = b.empty() ? -1 : static_cast<unsigned char>(b[0]);
    return x < y ? -1 : (x > y ? 1 : 0);
  }
  std::string SortKey(std::string_view text) const override { return std::string(text.substr(0, 1)); }
};

TEST(TweakTreeBuild, SortsAndMatchesWithTheGivenCollation) {
  const FirstLetterCollation collation;
  const TweakTree tree(Tweaks({{1, "Apple", "", "tb"}, {2, "Avocado", "", "ta"}, {3, "Banana", "", "x"}}),
                       TreeBuildInputs{false, kPlatform, -1}, collation);
  EXPECT_EQ(Outline(tree), "Categories{Apple{ta#2 tb#1} Banana{x#3}}")
      << "Avocado is Apple's category; ta and tb are equal titles";
}

// 0 Categories
// 1   A          2 a1#1   3 S1{4 s1#2  5 s2#3}   6 S2{7 t1#4}
// 8   B          9 S3{10 u1#5}
// 11  C          12 c1#6
class TweakTreeOfSix : public ::testing::Test {
 protected:
  static std::vector<Tw> Rows() {
    return {{1, "A", "", "a1"}, {2, "A", "S1", "s1"}, {3, "A", "S1", "s2"},
            {4, "A", "S2", "t1"}, {5, "B", "S3", "u1"}, {6, "C", "", "c1"}};
  }
  void SetUp() override { ASSERT_EQ(Outline(tree), "Categories{A{a1#1 S1{s1#2 s2#3} S2{t1#4}} B{S3{u1#5}} C{c1#6}}"); }
  std::vector<int> ExpandedNodes() const {
    std::vector<int> out;
    for (int i = 0; i < tree.NodeCount(); ++i) {
      if (tree.Node(i).expanded) out.push_back(i);
    }
    return out;
  }
  // Expanded nodes show the open folder, other folders the closed one, tweaks their own.
  void ExpectImagesFollowExpansion() const {
    for (int i = 1; i < tree.NodeCount(); ++i) {
      const TreeNode& n = tree.Node(i);
      const int image = n.twkId != 0 ? kTweakImage : (n.expanded ? kOpenFolderImage : kClosedFolderImage);
      EXPECT_EQ(n.stateImage, image) << "node " << i;
    }
    EXPECT_EQ(tree.Node(0).stateImage, kOpenFolderImage);
  }
  TweakTree tree = Build(Rows());
};

TEST_F(TweakTreeOfSix, NextTweak) {
  const int cases[][2] = {{-1, 2}, {0, 2}, {1, 2}, {2, 4}, {3, 4},  {4, 5},   {5, 7},
                          {6, 7},  {7, 10}, {8, 10}, {9, 10}, {10, 12}, {11, 12}, {12, -1}};
  for (const auto& c : cases) EXPECT_EQ(tree.NextTweak(c[0]), c[1]) << "from " << c[0];
}

TEST_F(TweakTreeOfSix, PreviousTweak) {
  const int cases[][2] = {
      {-1, 10},  // from none: the tweak before the last node
      {12, 10}, {10, 7}, {7, 5}, {5, 4}, {4, 2}, {2, -1},
      {0, -1},   // the root has no previous sibling
      {1, -1},   // the first category
      {8, 7},    // a category: the last tweak of the category above
      {11, 10},
      {3, 2},    // a subcategory after a direct tweak: that tweak
      {6, 5},    // a subcategory: the last tweak of the one above
      {9, -1},   // the first subcategory of a category without direct tweaks
  };
  for (const auto& c : cases) EXPECT_EQ(tree.PreviousTweak(c[0]), c[1]) << "from " << c[0];
}

TEST_F(TweakTreeOfSix, FirstLastAndCategory) {
  EXPECT_EQ(tree.FirstTweakWithin(0), 2);
  EXPECT_EQ(tree.LastTweakWithin(0), 12);
  EXPECT_EQ(tree.LastTweakWithin(1), 7);
  EXPECT_EQ(tree.FirstTweakWithin(8), 10);
  EXPECT_EQ(tree.FirstTweakWithin(5), 5);
  EXPECT_EQ(tree.LastTweakWithin(-1), -1);
  EXPECT_EQ(tree.LastNode(), 12);
  const int categories[][2] = {{-1, -1}, {0, -1}, {1, 1}, {2, 1}, {5, 1}, {6, 1}, {10, 8}, {12, 11}};
  for (const auto& c : categories) EXPECT_EQ(tree.CategoryOf(c[0]), c[1]) << c[0];
}

TEST(TweakTreeNavigation, ATreeWithoutTweaksLeadsNowhere) {
  const TweakTree tree = Build({{1, "C", "", "x", kOther}});
  EXPECT_EQ(tree.NextTweak(-1), -1);
  EXPECT_EQ(tree.PreviousTweak(-1), -1);
  EXPECT_EQ(tree.FirstTweakWithin(0), -1);
  TweakTree none;  // before the first build: not even the root
  EXPECT_EQ(none.NextTweak(-1), -1);
  EXPECT_EQ(none.PreviousTweak(-1), -1);
  for (TreeUpdate u : {none.ExpandAll(), none.CollapseAll(), none.GoBottom(), none.Expand(0), none.Collapse(0)}) {
    EXPECT_FALSE(u.select.has_value());
    EXPECT_TRUE(u.expansionChanged.empty());
  }
  EXPECT_EQ(none.Selected(), -1);
}

TEST(TweakTreeBuild, SelectsLastTipOrElseTheFirstTweak) {
  struct Case {
    const char* what;
    bool viewOnly;
    std::int32_t lastTip;
    int selected;
    std::vector<int> expanded;
  } cases[] = {
      {"LastTip names a tweak", false, 4, 7, {0, 1, 6}},
      {"LastTip names a direct tweak", false, 6, 12, {0, 11}},
      {"LastTip -1", false, -1, 2, {0, 1}},
      {"LastTip not in the table", false, 99, 2, {0, 1}},
      {"LastTip names a hidden tweak", false, 7, 2, {0, 1}},
      {"LastTip names a hidden tweak in view-only", true, 7, 11, {0, 8, 9}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<Tw> rows = {{1, "A", "", "a1"}, {2, "A", "S1", "s1"}, {3, "A", "S1", "s2"},
                            {4, "A", "S2", "t1"}, {5, "B", "S3", "u1"}, {6, "C", "", "c1"},
                            {7, "B", "S3", "v1", kFits, true}};
    const TweakTree tree = Build(rows, c.viewOnly, c.lastTip);
    EXPECT_EQ(tree.Selected(), c.selected);
    std::vector<int> expanded;
    for (int i = 0; i < tree.NodeCount(); ++i) {
      if (tree.Node(i).expanded) expanded.push_back(i);
      const int folder = tree.Node(i).expanded ? kOpenFolderImage : kClosedFolderImage;
      if (i > 0 && tree.TweakAt(i) == 0) {
        EXPECT_EQ(tree.Node(i).stateImage, folder) << i;
      }
    }
    EXPECT_EQ(expanded, c.expanded);
    EXPECT_EQ(tree.Node(0).stateImage, kOpenFolderImage);
  }
}

TEST(TweakTreeBuild, NothingAppliesSelectsNothing) {
  const TweakTree tree = Build({{1, "C", "", "x", kOther}}, false, 1);
  EXPECT_EQ(tree.NodeCount(), 1);
  EXPECT_EQ(tree.Selected(), -1);
}

TEST_F(TweakTreeOfSix, BuiltWithTheFirstTweakShownAndTheRestClosed) {
  EXPECT_EQ(tree.Selected(), 2);
  EXPECT_EQ(ExpandedNodes(), (std::vector<int>{0, 1}));
  ExpectImagesFollowExpansion();
}

TEST_F(TweakTreeOfSix, NextAndPreviousCommands) {
  TreeUpdate u = tree.GoPreviousTweak();
  EXPECT_FALSE(u.select.has_value()) << "previous from the first tweak changes nothing";
  EXPECT_EQ(tree.Selected(), 2);

  u = tree.GoNextTweak();
  EXPECT_EQ(u.select, 4);
  EXPECT_EQ(u.expansionChanged, (std::vector<int>{3})) << "selecting opens the closed subcategory";
  EXPECT_EQ(tree.Selected(), 4);

  u = tree.GoBottom();
  EXPECT_EQ(u.select, 12);
  EXPECT_EQ(u.expansionChanged, (std::vector<int>{11}));
  u = tree.GoNextTweak();
  EXPECT_FALSE(u.select.has_value()) << "next from the last tweak changes nothing";
  EXPECT_TRUE(u.expansionChanged.empty());
  EXPECT_EQ(tree.Selected(), 12);

  u = tree.GoTop();
  EXPECT_EQ(u.select, 2);
  EXPECT_TRUE(u.expansionChanged.empty()) << "its category is open already";
  ExpectImagesFollowExpansion();
}

TEST_F(TweakTreeOfSix, CommandsWithNothingSelected) {
  EXPECT_EQ(tree.Select(-1).select, -1);
  EXPECT_EQ(tree.GoNextTweak().select, 2) << "the first tweak";
  tree.Select(-1);
  EXPECT_EQ(tree.GoPreviousTweak().select, 10) << "the last tweak but one";
  tree.Select(-1);
  for (TreeUpdate u : {tree.ExpandCategory(), tree.CollapseCategory()}) {
    EXPECT_FALSE(u.select.has_value());
    EXPECT_TRUE(u.expansionChanged.empty());
  }
  const TreeUpdate u = tree.CollapseAll();
  EXPECT_FALSE(u.select.has_value()) << "nothing to select again";
  EXPECT_EQ(tree.Selected(), -1);
}

TEST_F(TweakTreeOfSix, NextAndPreviousFromACategory) {
  tree.Select(8);
  EXPECT_EQ(tree.GoNextTweak().select, 10) << "the category's first tweak";
  tree.Select(8);
  const TreeUpdate u = tree.GoPreviousTweak();
  EXPECT_EQ(u.select, 7) << "the last tweak of the category above";
  EXPECT_EQ(u.expansionChanged, (std::vector<int>{6}));
}

TEST_F(TweakTreeOfSix, ExpandAndCollapseOneNode) {
  TreeUpdate u = tree.Expand(8);
  EXPECT_EQ(u.expansionChanged, (std::vector<int>{8}));
  EXPECT_EQ(tree.Node(8).stateImage, kOpenFolderImage);
  EXPECT_TRUE(tree.Expand(8).expansionChanged.empty()) << "already open";
  EXPECT_TRUE(tree.Expand(10).expansionChanged.empty()) << "a tweak does not open";
  u = tree.Collapse(8);
  EXPECT_EQ(u.expansionChanged, (std::vector<int>{8}));
  EXPECT_FALSE(u.select.has_value());
  EXPECT_EQ(tree.Node(8).stateImage, kClosedFolderImage);
  ExpectImagesFollowExpansion();
}

TEST_F(TweakTreeOfSix, CollapsingOverTheSelectionSelectsTheCollapsedNode) {
  tree.Select(7);
  const TreeUpdate u = tree.Collapse(1);
  EXPECT_EQ(u.select, 1);
  EXPECT_EQ(tree.Selected(), 1);
  EXPECT_TRUE(tree.Node(6).expanded) << "a plain collapse leaves the nodes below as they were";
}

TEST_F(TweakTreeOfSix, CollapsingTheRootClosesEverythingAndReopensTheRoot) {
  tree.Select(7);
  tree.Expand(8);
  tree.Expand(9);
  ASSERT_EQ(ExpandedNodes(), (std::vector<int>{0, 1, 6, 8, 9}));
  const TreeUpdate u = tree.Collapse(0);
  EXPECT_EQ(ExpandedNodes(), (std::vector<int>{0}));
  EXPECT_EQ(u.expansionChanged, (std::vector<int>{0, 1, 6, 8, 9}));
  EXPECT_EQ(u.select, 0) << "the selection was inside";
  ExpectImagesFollowExpansion();
}

TEST_F(TweakTreeOfSix, ExpandAll) {
  const TreeUpdate u = tree.ExpandAll();
  EXPECT_EQ(ExpandedNodes(), (std::vector<int>{0, 1, 3, 6, 8, 9, 11}));
  EXPECT_EQ(u.expansionChanged, (std::vector<int>{3, 6, 8, 9, 11}));
  EXPECT_FALSE(u.select.has_value());
  ExpectImagesFollowExpansion();
}

TEST_F(TweakTreeOfSix, CollapseAllSelectsTheCategoryAgain) {
  struct Case {
    int selected;
    int reselected;
  } cases[] = {{7, 1}, {4, 1}, {2, 1}, {10, 8}, {9, 8}, {8, 8}, {12, 11}, {0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.selected);
    tree.ExpandAll();
    tree.Select(c.selected);
    const TreeUpdate u = tree.CollapseAll();
    EXPECT_EQ(u.select, c.reselected);
    EXPECT_EQ(tree.Selected(), c.reselected);
    EXPECT_EQ(ExpandedNodes(), (std::vector<int>{0}));
    EXPECT_EQ(u.expansionChanged, (std::vector<int>{0, 1, 3, 6, 8, 9, 11})) << "the root closed and opened again";
    ExpectImagesFollowExpansion();
  }
}

TEST_F(TweakTreeOfSix, ExpandCategory) {
  struct Case {
    int selected;
    std::vector<int> expanded;
  } cases[] = {{7, {0, 1, 3, 6}}, {1, {0, 1, 3, 6}}, {10, {0, 8, 9}}, {0, {0, 1, 3, 6, 8, 9, 11}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.selected);
    tree.Collapse(0);
    tree.Select(c.selected);
    const TreeUpdate u = tree.ExpandCategory();
    EXPECT_EQ(ExpandedNodes(), c.expanded);
    EXPECT_FALSE(u.select.has_value());
    ExpectImagesFollowExpansion();
  }
}

TEST_F(TweakTreeOfSix, CollapseCategory) {
  struct Case {
    int selected;
    std::optional<int> reselected;
    std::vector<int> expanded;
  } cases[] = {
      {4, 1, {0, 8, 9, 11}},        // its category closes with all below it; the selection moves up
      {6, 1, {0, 8, 9, 11}},        // from a subcategory likewise
      {1, std::nullopt, {0, 8, 9, 11}},  // the category itself stays selected
      {12, 11, {0, 1, 3, 6, 8, 9}},
      {0, 0, {0}},                  // the root: everything, as acColAll
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.selected);
    tree.ExpandAll();
    tree.Select(c.selected);
    const TreeUpdate u = tree.CollapseCategory();
    EXPECT_EQ(u.select, c.reselected);
    EXPECT_EQ(ExpandedNodes(), c.expanded);
    ExpectImagesFollowExpansion();
  }
}

TEST(TweakTreeNavigation, TopAndBottomOfATreeWithoutTweaks) {
  TweakTree tree = Build({});
  EXPECT_EQ(tree.GoTop().select, -1) << "the selection is cleared and nothing found";
  EXPECT_EQ(tree.GoBottom().select, 0) << "the last node is the root";
  EXPECT_EQ(tree.Node(0).stateImage, kNoStateImage) << "a root without children never opened";
}

// On a large generated tree: next tweak from none, repeated, visits every
// tweak node in tree order; previous tweak walks them back; siblings are in
// collation order and equal titles have the higher TwkID first.
TEST(TweakTreeNavigation, WalksEveryTweakOfALargeTreeInTreeOrder) {
  std::mt19937 random(7);
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  const char* words[] = {"", "alpha", "Beta", "gamma", "ALPHA", "delta"};
  std::vector<TreeTweak> tweaks;
  std::deque<std::string> titles;  // the texts the tree reads while it is built
  for (int id = 1; id <= 3000; ++id) {
    const bool hide = pick(10) == 0;
    const char* category = words[pick(6)];
    const char* subCat = words[pick(6)];
    titles.push_back(words[1 + pick(5)] + std::to_string(pick(30)));
    tweaks.push_back({id, hide, category, subCat, titles.back(), static_cast<std::uint16_t>(pick(8) == 0 ? kOther : kFits)});
  }
  const AsciiCollation collation;
  const TweakTree tree(tweaks, TreeBuildInputs{false, kPlatform, -1}, collation);
  ExpectConsistentLinks(tree);
  std::vector<int> inOrder;
  for (int i = 0; i < tree.NodeCount(); ++i) {
    if (tree.IsTweak(i)) inOrder.push_back(i);
  }
  ASSERT_GT(inOrder.size(), 2000u);
  std::vector<int> walked;
  for (int n = tree.NextTweak(-1); n >= 0; n = tree.NextTweak(n)) walked.push_back(n);
  EXPECT_EQ(walked, inOrder);
  std::vector<int> back;
  for (int n = inOrder.back(); n >= 0; n = tree.PreviousTweak(n)) back.insert(back.begin(), n);
  EXPECT_EQ(back, inOrder);
  for (int i = 1; i < tree.NodeCount(); ++i) {
    const TreeNode& n = tree.Node(i);
    if (n.nextSibling < 0) continue;
    const TreeNode& s = tree.Node(n.nextSibling);
    if (n.kind != s.kind) continue;  // direct tweaks before subcategories
    const int order = collation.Compare(tree.Label(i), tree.Label(n.nextSibling));
    EXPECT_TRUE(order < 0 || (order == 0 && n.kind == TreeNodeKind::Tweak && n.twkId > s.twkId)) << i;
  }
}

}  // namespace
}  // namespace cordalis
