#include "controls/control_group_builder.h"

#include <algorithm>

#include "db/record_codes.h"
#include "host/int_text.h"
#include "host/roots.h"

namespace cordalis {
namespace {

constexpr int kMemoHeight = 64;
constexpr int kDriveWidth = 32;
constexpr int kNumberBoxWidth = 50;

// Where the next control of a group goes, and the group's height so far.
struct Cursor {
  int number;
  int x;
  int y;
  int h = 0;
};

PaneControl& Add(PaneContents& pane, PaneControlKind kind, const char* prefix, const Cursor& at, ControlBounds bounds) {
  PaneControl control;
  control.name = prefix + IntegerToText(at.number);
  control.kind = kind;
  control.number = at.number;
  control.bounds = bounds;
  pane.controls.push_back(std::move(control));
  return pane.controls.back();
}

// Required boxes report missing input while they are empty.
int BlankMark(const std::string& text) { return text.empty() ? cmInputMissing : cmNone; }

void AddPromptLabel(const std::string& prompt, const GroupTools& tools, Cursor& at, PaneContents& pane) {
  const int column = tools.geometry.LabelColumn();
  const TextSize size = LabelSize(tools.measure, prompt);
  PaneControl& label = Add(pane, PaneControlKind::Label, "cLabel", at,
                           {column - size.width, at.y + 4, size.width, size.height});
  label.rightAligned = true;
  label.text = prompt;
  at.h = std::max(at.h, size.height);
  at.x = column + 8;
}

// A box as wide as what is left of the pane's width, following it when it changes.
PaneControl& AddStretchingBox(PaneContents& pane, PaneControlKind kind, const char* prefix, const GroupTools& tools,
                              Cursor& at, int height) {
  const int width = std::max(0, tools.geometry.clientWidth - at.x - 8);
  PaneControl& box = Add(pane, kind, prefix, at, {at.x, at.y, width, height});
  box.stretches = true;
  at.h = std::max(at.h, height);
  return box;
}

void AddDrive(const std::string& current, const GroupTools& tools, Cursor& at, PaneContents& pane) {
  const int height = tools.geometry.editHeight;
  PaneControl& box = Add(pane, PaneControlKind::Edit, "cEdit", at, {at.x, at.y, kDriveWidth, height});
  box.text = DriveBoxText(current);
  box.maxLength = 1;
  box.upperCase = true;
  box.mark = BlankMark(box.text);
  box.handlers = {PaneHandler::AlphaKeyPress, PaneHandler::eBlankChange};
  at.h = std::max(at.h, height);
}

void AddTextBox(bool required, const std::string& current, const GroupTools& tools, Cursor& at, PaneContents& pane) {
  PaneControl& box = AddStretchingBox(pane, PaneControlKind::Edit, "cEdit", tools, at, tools.geometry.editHeight);
  box.text = current;
  box.maxLength = 255;
  if (required) {
    box.mark = BlankMark(current);
    box.handlers = {PaneHandler::eBlankChange};
  }
}

void AddView(const std::string& current, const GroupTools& tools, Cursor& at, PaneContents& pane) {
  PaneControl& box = AddStretchingBox(pane, PaneControlKind::View, "cView", tools, at, tools.geometry.editHeight);
  box.text = current;
  box.readOnly = true;
  box.mark = cmView;
}

void AddMemo(const std::string& current, const GroupTools& tools, Cursor& at, PaneContents& pane) {
  PaneControl& memo = AddStretchingBox(pane, PaneControlKind::Memo, "cMemo", tools, at, kMemoHeight);
  memo.text = current;
  memo.maxLength = 4096;
  memo.wordWrap = memo.verticalScrollBar = true;
  memo.mark = BlankMark(current);
  memo.handlers = {PaneHandler::eBlankChange};
}

// The number box keeps its 50 pixels in all: the arrows take their width from its right side.
void AddNumberBox(const NumPieces& pieces, const std::string& current, const GroupTools& tools, Cursor& at,
                  PaneContents& pane) {
  const NumberBoxSetup setup = SetUpNumberBox(pieces, current);
  const int height = tools.geometry.editHeight;
  const int arrows = std::min(tools.geometry.upDownWidth, kNumberBoxWidth);
  PaneControl& box = Add(pane, PaneControlKind::Edit, "cEdit", at, {at.x, at.y, kNumberBoxWidth - arrows, height});
  box.text = IntegerToText(setup.position);
  const std::string buddy = box.name;
  PaneControl& upDown =
      Add(pane, PaneControlKind::UpDown, "cUpDown", at, {at.x + kNumberBoxWidth - arrows, at.y, arrows, height});
  upDown.minimum = setup.minimum;
  upDown.maximum = setup.maximum;
  upDown.increment = setup.increment;
  upDown.position = setup.position;
  upDown.buddy = buddy;
  at.h = std::max(at.h, height);
}

PaneHandler ClickHandler(int kind) {
  switch (kind) {
    case ckFile: return PaneHandler::btnFileClick;
    case ckFolder: return PaneHandler::btnFolderClick;
    default: return PaneHandler::btnIconClick;
  }
}

// A "Browse..." button and, right of it, the path label centred on it.
void AddBrowse(const ControlGroup& group, const std::string& current, const GroupTools& tools, Cursor& at,
               PaneContents& pane) {
  const PaneGeometry& g = tools.geometry;
  PaneControl& button = Add(pane, PaneControlKind::Button, "cButton", at, {at.x, at.y, g.applyWidth, g.applyHeight});
  button.text = "Browse...";
  button.handlers = {ClickHandler(group.kind)};
  at.h = std::max(at.h, g.applyHeight);
  at.x = (at.x + g.applyWidth + 7) / 8 * 8 + 8;
  pane.browsePaths[at.number] = ExpandEnvironmentReferences(tools.host, current);
  if (group.kind == ckFile) pane.browseFilters[at.number] = FileFilter(group.filterDescription, group.filterPattern);

  const std::string caption = current.empty() ? group.prompt : current;  // shown unexpanded
  const TextSize size = LabelSize(tools.measure, caption);
  int top = at.y;
  if (size.height > at.h)
    at.h = size.height;
  else
    top += (at.h - size.height) / 2;
  PaneControl& label = Add(pane, PaneControlKind::Label, "cLabel", at, {at.x, top, size.width, size.height});
  label.text = caption;
  label.mark = cmInputMissing;
}

void AddToggle(const ControlGroup& group, const std::string& current, const GroupTools& tools, Cursor& at,
               PaneContents& pane) {
  const int width = tools.measure.Measure(group.prompt).width + 32;
  PaneControl& box =
      Add(pane, PaneControlKind::CheckBox, "cCheckBox", at, {at.x, at.y, width, tools.geometry.checkBoxHeight});
  box.text = group.prompt;
  box.ticked = ToggleTicked(group.dataWhenTicked, current);
  at.h = std::max(at.h, tools.geometry.checkBoxHeight);
}

bool HasPromptLabel(int kind) {
  return kind == ckDrive || kind == ckMemo || kind == ckNum || kind == ckText || kind == ckTextB || kind == ckView;
}

}  // namespace

TextSize LabelSize(const TextMeasure& measure, const std::string& caption) {
  return measure.Measure(caption.empty() ? std::string_view(" ") : std::string_view(caption));
}

int BuildControlGroup(const ControlGroup& group, const std::string& currentData, int rowTop, const GroupTools& tools,
                      PaneContents& pane) {
  Cursor at{group.controlNumber, tools.geometry.applyLeft, rowTop};
  if (HasPromptLabel(group.kind)) AddPromptLabel(group.prompt, tools, at, pane);
  switch (group.kind) {
    case ckDrive: AddDrive(currentData, tools, at, pane); break;
    case ckText: AddTextBox(false, currentData, tools, at, pane); break;
    case ckTextB: AddTextBox(true, currentData, tools, at, pane); break;
    case ckView: AddView(currentData, tools, at, pane); break;
    case ckMemo: AddMemo(currentData, tools, at, pane); break;
    case ckNum: AddNumberBox(group.num, currentData, tools, at, pane); break;
    case ckFile:
    case ckFolder:
    case ckIcon: AddBrowse(group, currentData, tools, at, pane); break;
    case ckToggle: AddToggle(group, currentData, tools, at, pane); break;
    default: break;  // "readkeyvar" and "expand" only take a number
  }
  return at.h;
}

}  // namespace cordalis
