#pragma once
// One control of the controls pane as the window view creates it: its name,
// kind, place and starting state, and what the user has done to it since.
#include <string>
#include <vector>

namespace cordalis {

enum class PaneControlKind {
  Label,     // "cLabel": prompt label or path label
  Edit,      // "cEdit": single-line edit box
  UpDown,    // "cUpDown": arrows attached to the "cEdit" box of the same number
  Memo,      // "cMemo": multi-line edit box
  View,      // "cView": read-only single-line edit box
  Button,    // "cButton": "Browse..." push button
  CheckBox,  // "cCheckBox"
};

// The main window's handlers the view attaches to a control.
enum class PaneHandler {
  eBlankChange,   // on every change of the text
  AlphaKeyPress,  // key filter
  btnFileClick,
  btnFolderClick,
  btnIconClick,
};

enum ControlMark : int {
  cmNone = 0,
  cmInputMissing = 1,
  cmView = 2,
};

struct ControlBounds {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const ControlBounds&, const ControlBounds&) = default;
};

struct PaneControl {
  std::string name;  // prefix and control number, such as "cEdit3"
  PaneControlKind kind = PaneControlKind::Label;
  int number = 0;
  // Final bounds in the pane. The "num" box is already narrowed by its arrows,
  // which sit at its right: the view places both, it does not let the arrows
  // align themselves (that would narrow the box a second time).
  ControlBounds bounds;
  bool stretches = false;     // anchored left, top and right: follows the pane's width
  bool rightAligned = false;  // prompt labels: the text ends at the label column
  std::string text;           // caption or contents
  int maxLength = 0;          // characters the user may type; 0 for no limit
  bool upperCase = false;     // "drive": shows letters as capitals
  bool readOnly = false;      // "view": also the button-face background
  bool wordWrap = false;      // memo
  bool verticalScrollBar = false;  // memo
  int minimum = 0;            // up-down
  int maximum = 0;
  int increment = 0;
  int position = 0;
  std::string buddy;          // up-down: the name of the edit box it is attached to
  bool ticked = false;        // check box
  int mark = cmNone;          // ControlMark
  std::vector<PaneHandler> handlers;

  friend bool operator==(const PaneControl&, const PaneControl&) = default;
};

// The window's measures the pane's layout depends on. The view supplies them
// from the window layout, the screen and the controls in the window font.
struct PaneGeometry {
  int pixelsPerInch = 96;
  int applyLeft = 8;  // the DO IT button's left, shared by the pane and the command panel
  int applyWidth = 75;
  int applyHeight = 25;
  int clientWidth = 400;            // the pane's client width
  int commandPanelHeight = 39;
  int horizontalScrollBar = 16;     // GetSystemMetrics(SM_CXHSCROLL)
  int editHeight = 21;              // single-line edit box
  int checkBoxHeight = 17;
  int upDownWidth = 16;

  // Where the prompt labels end.
  int LabelColumn() const { return applyLeft + pixelsPerInch * 5 / 4; }
};

}  // namespace cordalis
