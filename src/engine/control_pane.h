#pragma once
// What the engine asks of the controls pane and of the tree, both of which
// live in the window above it.
#include <cstdint>
#include <string>

namespace cordalis {

enum class PaneCompleteness { Complete, NeedsData, DisplayOnly };

class ControlPane {
 public:
  virtual ~ControlPane() = default;
  // The control number the pane gave the first keyword of the action at this
  // position among the tweak's actions (stored order, from 0); -1 when it built
  // nothing for that action. DO IT reads exactly the control the pane built for
  // the same action, whatever the actions before it asked the pane for.
  virtual int FirstControlNumber(int actionPosition) const = 0;
  // The value of a control: kind letter E (edit), L (path label), M (memo),
  // U (number) or C (check box: "1" ticked, "0" not) and its number. A control
  // that does not exist reads as empty text ("0" for a check box).
  virtual std::string ReadControl(char kind, int controlNumber) const = 0;
  // The completeness scan: windowed controls newest first, then labels.
  virtual PaneCompleteness Completeness() const = 0;
};

class TreeOrder {
 public:
  virtual ~TreeOrder() = default;
  virtual int NodeCount() const = 0;
  // The tweak number of the node at this index in tree order; 0 for the root,
  // category and subcategory nodes.
  virtual std::int32_t TweakAt(int index) const = 0;
  virtual int SelectedIndex() const = 0;  // -1 when nothing is selected
  virtual void Select(int index) = 0;     // runs the selection handling
};

}  // namespace cordalis
