#pragma once
// The right-hand column of the main window: Description above hSplitDD, then
// pnlDetCon holding Detail above hsplitCd above Controls. The model decides the
// heights; the Win32 view moves its windows to the positions derived here.

namespace cordalis {

inline constexpr int kDescSplitterHeight = 9;   // hSplitDD
inline constexpr int kCtrlsSplitterHeight = 8;  // hsplitCd
inline constexpr int kVSplitWidth = 13;         // vSplit
inline constexpr int kMinTreeWidth = 200;       // gbTweaks
inline constexpr int kMinColumnWidth = 310;     // pnlDesc
inline constexpr int kMinPaneHeight = 100;      // Tag of gbDesc and of gbDetail

// The three heights that place everything else in the column. The Description
// group takes what pnlDetCon and hSplitDD leave; Detail takes what Controls
// and hsplitCd leave of pnlDetCon, as the groups' alignment does.
struct ColumnSizes {
  int column = 0;    // client height of pnlDesc
  int detCon = 0;    // pnlDetCon
  int controls = 0;  // gbCtrls

  int Description() const { return column - kDescSplitterHeight - detCon; }
  int Detail() const { return detCon - kCtrlsSplitterHeight - controls; }
  // In pnlDesc: gbDesc at 0, then hSplitDD, then pnlDetCon.
  int DescSplitterTop() const { return Description(); }
  int DetConTop() const { return column - detCon; }
  // In pnlDetCon: gbDetail at 0, then hsplitCd, then gbCtrls.
  int CtrlsSplitterTop() const { return Detail(); }
  int ControlsTop() const { return detCon - controls; }

  friend bool operator==(const ColumnSizes&, const ColumnSizes&) = default;
};

struct PaneHeight {
  int desired = 0;  // 0 until the pane first asks for a size
  int minimum = 0;  // the group's Tag
};

struct ColumnWants {
  PaneHeight description{0, kMinPaneHeight};
  PaneHeight detail{0, kMinPaneHeight};
  PaneHeight controls{0, 50};
};

// The desired height of a rich-edit group when its content asks for a
// rectangle ending at requestedBottom.
int DesiredPaneHeight(int requestedBottom, int overhead, int minimum);

// The pane layout: divides the column among the three groups.
ColumnSizes DivideColumn(const ColumnSizes& now, const ColumnWants& wants);

// Splitter limits: true when the proposed size is accepted.
bool VSplitAccepts(int proposedTreeWidth, int clientWidth);
bool DescSplitterAccepts(int proposedDetCon, const ColumnSizes& now, const ColumnWants& wants);
bool CtrlsSplitterAccepts(int proposedControls, const ColumnSizes& now, const ColumnWants& wants);

// After hSplitDD has given pnlDetCon its new height (now.detCon), the
// Controls group is raised or lowered to fit.
ColumnSizes AfterDescSplitterMoved(const ColumnSizes& now, const ColumnWants& wants);

struct GripLine {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  friend bool operator==(const GripLine&, const GripLine&) = default;
};
// The raised line painted in the button-highlight colour, then the same line
// one pixel right and down in the button-shadow colour.
struct Grip {
  GripLine highlight;
  GripLine shadow;
};
Grip VerticalGrip(int width, int height);    // vSplit
Grip HorizontalGrip(int width, int height);  // hSplitDD and hsplitCd

}  // namespace cordalis
