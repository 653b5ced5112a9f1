#include "app/tweak_settings.h"

#include <algorithm>
#include <set>

#include "controls/control_groups.h"
#include "db/record_codes.h"
#include "engine/registry_reads.h"
#include "host/int_text.h"
#include "host/text.h"

namespace cordalis {
namespace {

constexpr std::size_t kMaxEditText = 255;   // the edit boxes' limit
constexpr std::size_t kMaxMemoText = 4096;  // the memo's
constexpr std::size_t kMaxPath = 259;       // what the file and folder dialogs return
constexpr std::size_t kMaxIconPath = kMaxPath + 12;  // and the icon's index after a comma

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// A caption as a set file may write it: blanks around it and a final colon do not count.
std::string CaptionKey(std::string_view caption) {
  while (!caption.empty() && (caption.front() == ' ' || caption.front() == '\t')) caption.remove_prefix(1);
  while (!caption.empty() && (caption.back() == ' ' || caption.back() == '\t')) caption.remove_suffix(1);
  if (!caption.empty() && caption.back() == ':') caption.remove_suffix(1);
  while (!caption.empty() && (caption.back() == ' ' || caption.back() == '\t')) caption.remove_suffix(1);
  return ToLowerAscii(caption);
}

bool IsNumber(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string NameOf(const SettableControl& control) {
  return control.caption.empty() ? "control " + std::to_string(control.number)
                                 : "control " + std::to_string(control.number) + " " + Quoted(control.caption);
}

// The control a pair names, or a problem.
const SettableControl* Named(const std::vector<SettableControl>& controls, const std::string& reference,
                             std::string& problem) {
  if (IsNumber(reference)) {
    for (const SettableControl& c : controls)
      if (reference.size() <= 9 && c.number == std::stoi(reference)) return &c;
    problem = "there is no control " + reference;
    return nullptr;
  }
  const SettableControl* found = nullptr;
  for (const SettableControl& c : controls) {
    if (CaptionKey(c.caption) != CaptionKey(reference)) continue;
    if (found) {
      problem = Quoted(reference) + " names controls " + std::to_string(found->number) + " and " +
                std::to_string(c.number) + "; name the control by its number";
      return nullptr;
    }
    found = &c;
  }
  if (!found) problem = "there is no control " + Quoted(reference);
  return found;
}

std::optional<bool> ToggleValue(const std::string& data) {
  for (const char* yes : {"1", "on", "yes", "true"})
    if (EqualsIgnoreCase(data, yes)) return true;
  for (const char* no : {"0", "off", "no", "false"})
    if (EqualsIgnoreCase(data, no)) return false;
  return std::nullopt;
}

std::string TooLong(const SettableControl& c, std::size_t limit) {
  return "the data of " + NameOf(c) + " is longer than the " + std::to_string(limit) + " characters it takes";
}

// Puts one control's data in; returns what is wrong with it.
std::string Fill(ControlsPaneModel& pane, const SettableControl& c, const std::string& data,
                 const TextMeasure& measure) {
  const std::string n = std::to_string(c.number);
  switch (c.kind) {
    case ckDrive: {
      const bool letter = data.size() == 1 && ((data[0] >= 'A' && data[0] <= 'Z') || (data[0] >= 'a' && data[0] <= 'z'));
      if (!letter) return "the data of " + NameOf(c) + " must be one drive letter, A to Z";
      pane.TextChanged("cEdit" + n, std::string(1, ToUpperAscii(data[0])));  // the box shows capitals
      return {};
    }
    case ckText:
    case ckTextB:
      if (data.size() > kMaxEditText) return TooLong(c, kMaxEditText);
      if (c.kind == ckTextB && data.empty()) return "the data of " + NameOf(c) + " may not be empty";
      pane.TextChanged("cEdit" + n, data);
      return {};
    case ckMemo: {
      const std::string text = UnescapeMemoText(data);
      if (text.size() > kMaxMemoText) return TooLong(c, kMaxMemoText);
      if (text.empty()) return "the data of " + NameOf(c) + " may not be empty";
      pane.TextChanged("cMemo" + n, text);
      return {};
    }
    case ckNum: {
      const PaneControl* arrows = pane.Find("cUpDown" + n);
      const std::optional<std::int32_t> value = ParseIntegerText(data);
      if (!arrows) return "there is no control " + n;
      if (!value || *value < arrows->minimum || *value > arrows->maximum)
        return "the data of " + NameOf(c) + " must be a whole number from " + std::to_string(arrows->minimum) +
               " to " + std::to_string(arrows->maximum);
      pane.PositionChanged("cUpDown" + n, *value);
      pane.TextChanged("cEdit" + n, IntegerToText(*value));
      return {};
    }
    case ckToggle: {
      const std::optional<bool> ticked = ToggleValue(data);
      if (!ticked) return "the data of " + NameOf(c) + " must be 1 or 0 (on or off)";
      pane.TickChanged("cCheckBox" + n, *ticked);
      return {};
    }
    case ckFile:
    case ckFolder:
    case ckIcon: {
      const std::size_t limit = c.kind == ckIcon ? kMaxIconPath : kMaxPath;
      if (data.empty()) return "the data of " + NameOf(c) + " may not be empty";
      if (data.size() > limit) return TooLong(c, limit);
      pane.BrowseSucceeded(c.number, data, measure);
      return {};
    }
    case ckView: return NameOf(c) + " only shows a value; it takes no data";
    default: return "there is no control " + n;
  }
}

}  // namespace

std::vector<SettableControl> SettableControls(const std::vector<ActionRecord>& actions,
                                              const ControlsPaneModel& pane) {
  std::vector<SettableControl> controls;
  for (std::size_t p = 0; p < actions.size(); ++p) {
    const int first = pane.FirstControlNumber(static_cast<int>(p));
    if (first < 0) continue;
    for (const ControlGroup& group : ReadControlGroups(actions[p].special, actions[p].data, first)) {
      if (group.kind == ckReadKeyVar || group.kind == ckExpand) continue;  // they build nothing
      controls.push_back({group.controlNumber, group.kind, group.prompt, static_cast<int>(p)});
    }
  }
  return controls;
}

std::vector<std::string> FillControls(ControlsPaneModel& pane, const std::vector<SettableControl>& controls,
                                      const std::vector<SetControlData>& data, const TextMeasure& measure) {
  std::vector<std::string> problems;
  std::set<int> filled;
  for (const SetControlData& pair : data) {
    std::string problem;
    const SettableControl* control = Named(controls, pair.control, problem);
    if (control && !filled.insert(control->number).second)
      problem = NameOf(*control) + " is given data twice";
    else if (control)
      problem = Fill(pane, *control, pair.data, measure);
    if (!problem.empty()) problems.push_back(problem);
  }
  return problems;
}

std::string CompletenessProblem(const ControlsPaneModel& pane, const std::vector<SettableControl>& controls) {
  switch (pane.Completeness()) {
    case PaneCompleteness::Complete: return {};
    case PaneCompleteness::DisplayOnly: return "the tweak only shows values; there is nothing to apply";
    case PaneCompleteness::NeedsData: break;
  }
  std::set<int> missing;
  for (const PaneControl& control : pane.Controls())
    if (control.mark == cmInputMissing) missing.insert(control.number);
  std::string names;
  for (const SettableControl& c : controls) {
    if (!missing.count(c.number)) continue;
    names += (names.empty() ? "" : ", ") + NameOf(c);
  }
  return "the tweak needs data for " + names;
}

std::vector<SetControlData> ControlDataOf(const ControlsPaneModel& pane, const std::vector<SettableControl>& controls,
                                          const std::vector<ActionRecord>& actions, RegistryApi& registry,
                                          std::vector<std::string>& notes) {
  std::vector<SetControlData> data;
  for (const SettableControl& c : controls) {
    std::string value;
    switch (c.kind) {
      case ckDrive:
      case ckText:
      case ckTextB: value = pane.ReadControl('E', c.number); break;
      case ckMemo: value = EscapeMemoText(pane.ReadControl('M', c.number)); break;
      case ckNum: value = pane.ReadControl('U', c.number); break;
      case ckToggle: value = pane.ReadControl('C', c.number); break;
      case ckFile:
      case ckFolder:
      case ckIcon: {
        // The path label shows the prompt in place of missing data; the data itself is wanted.
        const ActionRecord& action = actions[static_cast<std::size_t>(c.actionPosition)];
        value = ReadCurrentData(registry, action.root, action.key, action.value, false, "");
        if (value.empty()) {
          notes.push_back("no data was found for " + NameOf(c));
          continue;
        }
        break;
      }
      default: continue;  // a view takes no data
    }
    if (value.find_first_of("\r\n") != std::string::npos) {
      notes.push_back("the data of " + NameOf(c) + " holds a line break, which a set file cannot hold");
      continue;
    }
    const bool captionNamesIt =
        !c.caption.empty() && !IsNumber(CaptionKey(c.caption)) &&
        std::count_if(controls.begin(), controls.end(),
                      [&](const SettableControl& o) { return CaptionKey(o.caption) == CaptionKey(c.caption); }) == 1;
    data.push_back({captionNamesIt ? c.caption : std::to_string(c.number), value});
  }
  return data;
}

std::string EscapeMemoText(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') out += "\\\\";
    else if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else out += c;
  }
  return out;
}

std::string UnescapeMemoText(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    if (text[i] == '\\' && (next == '\\' || next == 'r' || next == 'n')) {
      out += next == 'r' ? '\r' : next == 'n' ? '\n' : '\\';
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace cordalis
