#include "controls/controls_pane.h"

#include <algorithm>

#include "controls/control_groups.h"
#include "controls/text_measure.h"
#include "db/record_codes.h"
#include "engine/registry_reads.h"
#include "host/int_text.h"
#include "host/platform.h"
#include "host/roots.h"
#include "host/text.h"

namespace cordalis {
namespace {

bool HasHandler(const PaneControl& control, PaneHandler handler) {
  return std::find(control.handlers.begin(), control.handlers.end(), handler) != control.handlers.end();
}

bool BuildsControls(int kind) { return kind != ckReadKeyVar && kind != ckExpand; }

// The control of that name, letter case ignored, for both constnesses.
template <class Controls>
auto FindIn(Controls& controls, std::string_view name) -> decltype(&controls.front()) {
  for (auto& control : controls)
    if (EqualsIgnoreCase(control.name, name)) return &control;
  return nullptr;
}

}  // namespace

void ControlsPaneModel::Clear() {
  pane_ = {};
  firstNumbers_.clear();
  rowTop_ = 8;
  controlNumber_ = 0;
}

ActionPassResult ControlsPaneModel::RunActionPass(const ActionPassInputs& in) {
  ActionPassResult result;
  for (std::size_t p = 0; p < in.actions.size(); ++p) {
    const ActionRecord& action = in.actions[p];
    if (in.viewOnly || PlatformApplies(action.verMask, in.currentMask)) {
      result.referencedRoots |= RootBitOfCode(action.root);
      if (!in.hasUndoData && !action.special.empty()) BuildAction(action, static_cast<int>(p), in);
    }
    result.platformMask |= action.verMask;
  }
  return result;
}

// Every keyword of the action takes a number and a row, whether or not its
// root code is valid (the current data of an invalid root reads as empty).
void ControlsPaneModel::BuildAction(const ActionRecord& action, int position, const ActionPassInputs& in) {
  const std::vector<ControlGroup> groups = ReadControlGroups(action.special, action.data, controlNumber_);
  if (groups.empty()) return;
  firstNumbers_[position] = controlNumber_;
  const GroupTools tools{in.geometry, in.measure, in.host};
  for (const ControlGroup& group : groups) {
    const std::string current =
        BuildsControls(group.kind) ? ReadCurrentData(in.registry, action.root, action.key, action.value, false, "")
                                   : std::string();
    const int height = BuildControlGroup(group, current, rowTop_, tools, pane_);
    ++controlNumber_;
    rowTop_ += height + 8;
  }
}

ControlsGroupSize ControlsPaneModel::SizeControlsGroup(const PaneGeometry& geometry) const {
  ControlsGroupSize size;
  size.separatorVisible = !pane_.controls.empty();
  size.groupBoxHeight = size.desiredHeight = rowTop_ + geometry.commandPanelHeight + 16;
  if (size.separatorVisible) {
    size.desiredHeight += geometry.horizontalScrollBar;
    size.minimumHeight = geometry.commandPanelHeight + 50;
  } else {
    size.minimumHeight = geometry.commandPanelHeight + 16;
  }
  return size;
}

const PaneControl* ControlsPaneModel::Find(std::string_view name) const { return FindIn(pane_.controls, name); }

PaneControl* ControlsPaneModel::FindOfKind(std::string_view name, PaneControlKind kind) {
  PaneControl* control = FindIn(pane_.controls, name);
  return control && control->kind == kind ? control : nullptr;
}

std::string ControlsPaneModel::BrowsePath(int controlNumber) const {
  auto it = pane_.browsePaths.find(controlNumber);
  return it == pane_.browsePaths.end() ? std::string() : it->second;
}

std::string ControlsPaneModel::BrowseFilter(int controlNumber) const {
  auto it = pane_.browseFilters.find(controlNumber);
  return it == pane_.browseFilters.end() ? std::string() : it->second;
}

PaneControl* ControlsPaneModel::ArrowsOf(const PaneControl& box) {
  if (box.kind != PaneControlKind::Edit) return nullptr;
  PaneControl* arrows = FindOfKind("cUpDown" + IntegerToText(box.number), PaneControlKind::UpDown);
  return arrows && EqualsIgnoreCase(arrows->buddy, box.name) ? arrows : nullptr;
}

// Typing into a number box moves its arrows' position to the number typed,
// kept between the bounds; what does not read as a number leaves it.
bool ControlsPaneModel::TextChanged(std::string_view name, const std::string& text) {
  PaneControl* box = FindOfKind(name, PaneControlKind::Edit);
  if (!box) box = FindOfKind(name, PaneControlKind::Memo);
  if (!box) return false;
  box->text = box->upperCase ? DriveBoxText(text) : text;
  if (HasHandler(*box, PaneHandler::eBlankChange)) box->mark = box->text.empty() ? cmInputMissing : cmNone;
  if (PaneControl* arrows = ArrowsOf(*box)) {
    const std::int32_t typed = Low16(IntegerText(box->text, arrows->position));
    arrows->position = WithinBounds(typed, static_cast<std::int16_t>(arrows->minimum),
                                    static_cast<std::int16_t>(arrows->maximum));
  }
  return true;
}

std::optional<int> ControlsPaneModel::Step(std::string_view arrowsName, int direction) {
  PaneControl* arrows = FindOfKind(arrowsName, PaneControlKind::UpDown);
  if (!arrows) return std::nullopt;
  arrows->position = NumberBoxStep(static_cast<std::int16_t>(arrows->position), direction, arrows->increment,
                                   static_cast<std::int16_t>(arrows->minimum),
                                   static_cast<std::int16_t>(arrows->maximum));
  if (PaneControl* box = FindOfKind(arrows->buddy, PaneControlKind::Edit)) box->text = IntegerToText(arrows->position);
  return arrows->position;
}

std::string ControlsPaneModel::SettledText(std::string_view boxName) const {
  const PaneControl* box = Find(boxName);
  if (!box) return {};
  const PaneControl* arrows =
      box->kind == PaneControlKind::Edit ? Find("cUpDown" + IntegerToText(box->number)) : nullptr;
  return arrows && EqualsIgnoreCase(arrows->buddy, box->name) ? IntegerToText(arrows->position) : box->text;
}

bool ControlsPaneModel::TickChanged(std::string_view name, bool ticked) {
  PaneControl* box = FindOfKind(name, PaneControlKind::CheckBox);
  if (box) box->ticked = ticked;
  return box != nullptr;
}

bool ControlsPaneModel::PositionChanged(std::string_view name, int position) {
  PaneControl* arrows = FindOfKind(name, PaneControlKind::UpDown);
  if (arrows) arrows->position = position;
  return arrows != nullptr;
}

void ControlsPaneModel::BrowseSucceeded(int buttonNumber, const std::string& labelText, const TextMeasure& measure) {
  if (buttonNumber >= 0) pane_.browsePaths[buttonNumber] = labelText;
  PaneControl* label = FindOfKind("cLabel" + IntegerToText(buttonNumber), PaneControlKind::Label);
  if (!label) return;
  label->text = labelText;
  label->bounds.width = LabelSize(measure, labelText).width;
  label->mark = cmNone;
}

int ControlsPaneModel::FirstControlNumber(int actionPosition) const {
  auto it = firstNumbers_.find(actionPosition);
  return it == firstNumbers_.end() ? -1 : it->second;
}

std::string ControlsPaneModel::TextOf(const std::string& name) const {
  const PaneControl* control = Find(name);
  return control ? control->text : std::string();
}

std::string ControlsPaneModel::ReadControl(char kind, int controlNumber) const {
  const std::string number = IntegerToText(controlNumber);
  switch (kind) {
    case 'C': {
      const PaneControl* box = Find("cCheckbox" + number);
      return box && box->ticked ? "1" : "0";
    }
    case 'E': return TextOf("cEdit" + number);
    case 'L': return TextOf("cLabel" + number);
    case 'M': return TextOf("cMemo" + number);
    case 'U': {
      const PaneControl* arrows = Find("cUpDown" + number);
      return arrows ? IntegerToText(arrows->position) : std::string();
    }
    default: return {};
  }
}

// Windowed controls newest first, then the labels newest first: a path label
// still waiting for a browse is met only after every windowed control.
PaneCompleteness ControlsPaneModel::Completeness() const {
  for (bool labels : {false, true}) {
    for (auto it = pane_.controls.rbegin(); it != pane_.controls.rend(); ++it) {
      if ((it->kind == PaneControlKind::Label) != labels) continue;
      if (it->mark == cmInputMissing) return PaneCompleteness::NeedsData;
      if (it->mark == cmView) return PaneCompleteness::DisplayOnly;
    }
  }
  return PaneCompleteness::Complete;
}

bool AlphaKeyPress(unsigned charCode) {
  return charCode < 32 || (charCode >= 'A' && charCode <= 'Z') || (charCode >= 'a' && charCode <= 'z');
}

unsigned DriveKeyPress(unsigned charCode) {
  if (!AlphaKeyPress(charCode)) return 0;
  return charCode < 32 ? charCode : static_cast<unsigned char>(ToUpperAscii(static_cast<char>(charCode)));
}

}  // namespace cordalis
