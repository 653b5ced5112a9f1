#pragma once
// The controls pane: which controls a tweak's actions ask for, where they go,
// what the user has put into them, and what DO IT and the command states read
// back. The window view creates the real controls from Controls() and reports
// the user's input here; it decides nothing itself.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "controls/control_group_builder.h"
#include "controls/pane_control.h"
#include "db/records.h"
#include "engine/control_pane.h"

namespace cordalis {

class HostQueries;
class RegistryApi;

struct ActionPassInputs {
  const std::vector<ActionRecord>& actions;  // the selected tweak's, in stored order
  RegistryApi& registry;                     // for the current data of the actions' values
  HostQueries& host;
  const TextMeasure& measure;  // the window font
  const PaneGeometry& geometry;
  bool hasUndoData = false;
  bool viewOnly = false;
  std::uint16_t currentMask = 0;
};

struct ActionPassResult {
  int referencedRoots = 0;  // root bits of the actions that apply (all of them in view-only mode)
  std::uint16_t platformMask = 0;  // every action's VerMask together
};

struct ControlsGroupSize {
  bool separatorVisible = false;  // bvBtns
  int groupBoxHeight = 0;         // what gbCtrls is set to
  int desiredHeight = 0;          // what the pane layout is asked for
  int minimumHeight = 0;          // kept in the Tag of gbCtrls
};

class ControlsPaneModel final : public ControlPane {
 public:
  // A rebuild is these three calls in this order; the action pass only when a
  // tweak is selected and found.
  void Clear();
  ActionPassResult RunActionPass(const ActionPassInputs& in);
  ControlsGroupSize SizeControlsGroup(const PaneGeometry& geometry) const;

  const std::vector<PaneControl>& Controls() const { return pane_.controls; }
  // Looked up without regard to letter case; nullptr when there is none.
  const PaneControl* Find(std::string_view name) const;
  // The browse tables' entries; empty when there is none for the number.
  std::string BrowsePath(int controlNumber) const;
  std::string BrowseFilter(int controlNumber) const;

  // The user's input as the view reports it. Each returns false, changing
  // nothing, when the pane has no control of that name and kind.
  // Text of an edit box or memo; required boxes are marked missing while empty.
  bool TextChanged(std::string_view name, const std::string& text);
  bool TickChanged(std::string_view name, bool ticked);
  // The arrows' position, also after the user typed into their box.
  bool PositionChanged(std::string_view name, int position);
  // One press of the arrows of this name (direction > 0 for the one that
  // counts up): the position and the text of their box follow the stepping
  // rule. The new position; nullopt when there are no such arrows.
  std::optional<int> Step(std::string_view arrowsName, int direction);
  // What a box shows once the user has left it: for a number box, its
  // position, whatever was typed into it; for any other box, its text.
  std::string SettledText(std::string_view boxName) const;
  // A "Browse..." button's dialog returned a choice: it becomes the caption of
  // the path label (auto-sized again) and the button's next starting point.
  void BrowseSucceeded(int buttonNumber, const std::string& labelText, const TextMeasure& measure);

  int FirstControlNumber(int actionPosition) const override;
  std::string ReadControl(char kind, int controlNumber) const override;
  PaneCompleteness Completeness() const override;

 private:
  void BuildAction(const ActionRecord& action, int position, const ActionPassInputs& in);
  PaneControl* FindOfKind(std::string_view name, PaneControlKind kind);
  PaneControl* ArrowsOf(const PaneControl& box);
  std::string TextOf(const std::string& name) const;

  PaneContents pane_;
  std::map<int, int> firstNumbers_;  // by action position
  int rowTop_ = 8;
  int controlNumber_ = 0;
};

// The key filter of the "drive" box: control keys (codes below 32) and the
// ASCII letters pass; every other character is discarded.
bool AlphaKeyPress(unsigned charCode);
// What a key typed into the "drive" box puts there: 0 for nothing, a letter
// as its capital, a control key as it is.
unsigned DriveKeyPress(unsigned charCode);

}  // namespace cordalis
