#include "app/pane_layout.h"

#include <algorithm>

namespace cordalis {

int DesiredPaneHeight(int requestedBottom, int overhead, int minimum) {
  return std::max(requestedBottom + overhead, minimum);
}

ColumnSizes DivideColumn(const ColumnSizes& now, const ColumnWants& wants) {
  const int h = now.column - kDescSplitterHeight;
  const int c = now.controls, d = now.Detail(), s = now.Description();
  const int wantC = wants.controls.desired, wantD = wants.detail.desired, wantS = wants.description.desired;
  const int minD = wants.detail.minimum, minS = wants.description.minimum;

  int newS = 0, newC = 0;
  if (c >= wantC && d >= wantD && s >= wantS && c + d + s <= h) {
    return now;  // every group has what it wants: the user's division stays
  } else if (wantC + wantS + wantD < h) {
    newC = wantC;
    // The description takes all spare height: what the detail wants, the
    // controls want and hsplitCd between them take is not spare.
    newS = std::max(wantS, h - wantC - kCtrlsSplitterHeight - wantD);
  } else if (wantC + wantS + minD < h) {
    newC = wantC;
    newS = wantS;  // the detail takes what is left
  } else if (minS + wantC + minD < h) {
    newC = wantC;
    newS = h - wantC - minD;
  } else {
    newS = minS;
    newC = h - minS - minD;  // the controls get what remains, even below their minimum
  }
  return ColumnSizes{now.column, h - newS, newC};
}

bool VSplitAccepts(int proposedTreeWidth, int clientWidth) {
  return proposedTreeWidth >= kMinTreeWidth && clientWidth >= kVSplitWidth + proposedTreeWidth + kMinColumnWidth;
}

bool DescSplitterAccepts(int proposedDetCon, const ColumnSizes& now, const ColumnWants& wants) {
  return wants.detail.minimum + wants.controls.minimum <= proposedDetCon &&
         wants.description.minimum + proposedDetCon <= now.column;
}

bool CtrlsSplitterAccepts(int proposedControls, const ColumnSizes& now, const ColumnWants& wants) {
  return proposedControls >= wants.controls.minimum && proposedControls <= wants.controls.desired &&
         proposedControls <= now.detCon - wants.detail.minimum;
}

ColumnSizes AfterDescSplitterMoved(const ColumnSizes& now, const ColumnWants& wants) {
  ColumnSizes next = now;
  if (wants.detail.desired + wants.controls.desired < now.detCon) {
    next.controls = std::max(now.controls, wants.controls.desired);
  } else if (now.Detail() < wants.detail.minimum) {
    next.controls = now.detCon - wants.detail.minimum;
  } else {
    next.controls = std::max(now.controls, wants.controls.minimum);
  }
  return next;
}

namespace {

Grip WithShadow(GripLine line) {
  return Grip{line, GripLine{line.x1 + 1, line.y1 + 1, line.x2 + 1, line.y2 + 1}};
}

}  // namespace

Grip VerticalGrip(int width, int height) {
  return WithShadow(GripLine{width / 2, height / 4, width / 2, height - height / 4});
}

Grip HorizontalGrip(int width, int height) {
  return WithShadow(GripLine{width / 4, height / 2, width - width / 4 - 1, height / 2});
}

}  // namespace cordalis
