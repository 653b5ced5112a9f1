#pragma once
// Lays out the controls of one keyword's group in the controls pane.
#include <map>
#include <string>
#include <vector>

#include "controls/control_groups.h"
#include "controls/pane_control.h"
#include "controls/text_measure.h"

namespace cordalis {

class HostQueries;

// What a build of the pane leaves behind.
struct PaneContents {
  std::vector<PaneControl> controls;  // in creation order, which is the tab order
  // The browse path and filter tables, by control number. They hold an entry
  // for every number a "Browse..." button is built under, not just 0 to 9, so
  // that a button numbered 10 or more browses and is read back like the others.
  std::map<int, std::string> browsePaths;
  std::map<int, std::string> browseFilters;
};

struct GroupTools {
  const PaneGeometry& geometry;
  const TextMeasure& measure;
  HostQueries& host;  // expands environment references in browse paths
};

// Builds the controls of a group (under its control number) in the row whose
// top is rowTop, with the current data of the action's value (empty when it
// has none), and returns the row's height: the tallest control's, 0 for
// "readkeyvar" and "expand", which build nothing.
int BuildControlGroup(const ControlGroup& group, const std::string& currentData, int rowTop, const GroupTools& tools,
                      PaneContents& pane);

// The size of an auto-sized label: one line even when its caption is empty.
TextSize LabelSize(const TextMeasure& measure, const std::string& caption);

}  // namespace cordalis
