#include "app/pane_layout.h"

#include <gtest/gtest.h>

namespace cordalis {
namespace {

// A column of 609 pixels leaves H = 600 below hSplitDD.
constexpr int kColumn = 609;

ColumnWants Wants(int description, int detail, int controls, int minControls = 50) {
  return ColumnWants{{description, kMinPaneHeight}, {detail, kMinPaneHeight}, {controls, minControls}};
}

TEST(PaneLayout, SplittersSitDirectlyAboveTheGroupsTheyResize) {
  ColumnSizes sizes{kColumn, 350, 150};
  EXPECT_EQ(sizes.Description(), 250);
  EXPECT_EQ(sizes.DescSplitterTop(), 250);
  EXPECT_EQ(sizes.DetConTop(), 250 + kDescSplitterHeight);
  EXPECT_EQ(sizes.Detail(), 192);
  EXPECT_EQ(sizes.CtrlsSplitterTop(), 192);
  EXPECT_EQ(sizes.ControlsTop(), 192 + kCtrlsSplitterHeight);
}

TEST(PaneLayout, ResizeRequestSetsTheDesiredHeightAtLeastTheMinimum) {
  EXPECT_EQ(DesiredPaneHeight(90, 17, 100), 107);
  EXPECT_EQ(DesiredPaneHeight(83, 17, 100), 100);
  EXPECT_EQ(DesiredPaneHeight(20, 17, 100), 100);
}

struct DivisionCase {
  const char* name;
  ColumnSizes now;
  ColumnWants wants;
  int description, detail, controls;  // the groups' heights afterwards
};

TEST(PaneLayout, DividesTheColumn) {
  const ColumnSizes user{kColumn, 350, 150};  // description 250, detail 192, controls 150
  const DivisionCase cases[] = {
      {"every group has what it wants: kept", user, Wants(200, 150, 150), 250, 192, 150},
      {"wants met exactly: kept", user, Wants(250, 192, 150), 250, 192, 150},
      {"room for all: the description takes the spare, the detail what it wants", user, Wants(300, 150, 100),
       342, 150, 100},
      {"room for all but hsplitCd: the description keeps what it wants", user, Wants(345, 150, 100), 345, 147,
       100},
      {"the detail takes what is left", user, Wants(300, 250, 150), 300, 142, 150},
      {"the description gives way down to the detail's minimum", user, Wants(400, 250, 150), 350, 92, 150},
      {"only the minimums: the controls take the rest", user, Wants(400, 250, 450), 100, 92, 400},
      {"a shrunken window: the detail gives way first", ColumnSizes{509, 350, 150}, Wants(200, 150, 150), 200,
       142, 150},
      {"too little room even for the controls' minimum", ColumnSizes{239, 100, 50}, Wants(100, 100, 50), 100,
       92, 30},
  };
  for (const DivisionCase& c : cases) {
    ColumnSizes after = DivideColumn(c.now, c.wants);
    EXPECT_EQ(after.column, c.now.column) << c.name;
    EXPECT_EQ(after.Description(), c.description) << c.name;
    EXPECT_EQ(after.Detail(), c.detail) << c.name;
    EXPECT_EQ(after.controls, c.controls) << c.name;
  }
}

TEST(PaneLayout, TreeSplitterKeepsBothSidesAtTheirMinimumWidths) {
  EXPECT_FALSE(VSplitAccepts(199, 800));
  EXPECT_TRUE(VSplitAccepts(200, 800));
  EXPECT_TRUE(VSplitAccepts(477, 800)) << "13 + 477 + 310 = 800";
  EXPECT_FALSE(VSplitAccepts(478, 800));
  EXPECT_FALSE(VSplitAccepts(200, 522));
}

TEST(PaneLayout, DescriptionSplitterLimits) {
  const ColumnSizes now{kColumn, 350, 150};
  const ColumnWants wants = Wants(200, 150, 150);
  EXPECT_FALSE(DescSplitterAccepts(149, now, wants)) << "below the detail and controls minimums";
  EXPECT_TRUE(DescSplitterAccepts(150, now, wants));
  EXPECT_TRUE(DescSplitterAccepts(509, now, wants)) << "100 + 509 = the height of pnlDesc";
  EXPECT_FALSE(DescSplitterAccepts(510, now, wants));
}

TEST(PaneLayout, ControlsSplitterNeverGrowsTheControlsBeyondTheirContent) {
  const ColumnSizes now{kColumn, 350, 150};
  const ColumnWants wants = Wants(200, 150, 200);
  EXPECT_FALSE(CtrlsSplitterAccepts(49, now, wants));
  EXPECT_TRUE(CtrlsSplitterAccepts(50, now, wants));
  EXPECT_TRUE(CtrlsSplitterAccepts(200, now, wants));
  EXPECT_FALSE(CtrlsSplitterAccepts(201, now, wants)) << "dragged above the desired controls height";

  const ColumnSizes smaller{kColumn, 250, 100};
  EXPECT_TRUE(CtrlsSplitterAccepts(150, smaller, wants));
  EXPECT_FALSE(CtrlsSplitterAccepts(151, smaller, wants)) << "the detail keeps its minimum";
}

struct AfterMoveCase {
  const char* name;
  int detCon, controls;
  int expectedControls;
};

TEST(PaneLayout, AfterTheDescriptionSplitterMovedTheControlsFit) {
  const ColumnWants wants = Wants(200, 150, 200);  // detail + controls want 350
  const AfterMoveCase cases[] = {
      {"room for both: controls raised to their want", 400, 120, 200},
      {"room for both: taller controls stay", 400, 250, 250},
      {"detail squeezed: controls give way to its minimum", 300, 250, 200},
      {"controls below their minimum are raised", 300, 40, 50},
      {"otherwise nothing changes", 300, 120, 120},
  };
  for (const AfterMoveCase& c : cases) {
    ColumnSizes after = AfterDescSplitterMoved(ColumnSizes{kColumn, c.detCon, c.controls}, wants);
    EXPECT_EQ(after.controls, c.expectedControls) << c.name;
    EXPECT_EQ(after.detCon, c.detCon) << c.name;
  }
}

TEST(PaneLayout, GripsAreCentredWithTruncatingDivisions) {
  Grip v = VerticalGrip(13, 403);
  EXPECT_EQ(v.highlight, (GripLine{6, 100, 6, 303}));
  EXPECT_EQ(v.shadow, (GripLine{7, 101, 7, 304}));
  Grip h = HorizontalGrip(401, 9);
  EXPECT_EQ(h.highlight, (GripLine{100, 4, 300, 4}));
  EXPECT_EQ(h.shadow, (GripLine{101, 5, 301, 5}));
  EXPECT_EQ(HorizontalGrip(403, 8).highlight, (GripLine{100, 4, 302, 4}));
}

}  // namespace
}  // namespace cordalis
