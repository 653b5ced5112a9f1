#pragma once
// The data a set file gives a tweak's controls, put into the controls pane
// as the user's typing, ticking and browsing would put it, so that DO IT
// reads it back exactly as it reads what the window shows; and the data a
// tweak wrote, read back into a set file.
#include <string>
#include <vector>

#include "app/set_file.h"
#include "controls/controls_pane.h"
#include "db/records.h"

namespace cordalis {

class RegistryApi;
class TextMeasure;

// A control of a tweak that a set file may name, numbered as the controls
// pane numbers it.
struct SettableControl {
  int number = 0;          // the control number
  int kind = 0;            // the keyword's code (ControlKind)
  std::string caption;     // the prompt, or the check box's caption
  int actionPosition = 0;  // the action it was built for, among the tweak's actions
};

// Every control the pane built for the tweak's actions, in number order.
std::vector<SettableControl> SettableControls(const std::vector<ActionRecord>& actions,
                                              const ControlsPaneModel& pane);

// Puts each pair's data into the control it names, by number or by caption
// (letter case, surrounding blanks and a final colon ignored). Returns what
// is wrong with the pairs, one sentence each; a pane with problems must not
// be applied.
std::vector<std::string> FillControls(ControlsPaneModel& pane, const std::vector<SettableControl>& controls,
                                      const std::vector<SetControlData>& data, const TextMeasure& measure);

// Why DO IT would not run on the pane as it stands (data missing, naming the
// controls, or a tweak that only shows values); empty when it would.
std::string CompletenessProblem(const ControlsPaneModel& pane, const std::vector<SettableControl>& controls);

// The data a set file gives the tweak's controls for the pane as the Registry
// fills it now: what an applied tweak wrote. A control whose data cannot be
// written in a set file is left out and said in notes.
std::vector<SetControlData> ControlDataOf(const ControlsPaneModel& pane, const std::vector<SettableControl>& controls,
                                          const std::vector<ActionRecord>& actions, RegistryApi& registry,
                                          std::vector<std::string>& notes);

// A memo's text in a set file, which keeps a line to a tweak: a line break is
// written \r\n, a backslash \\. Reading takes any other backslash as it is.
std::string EscapeMemoText(const std::string& text);
std::string UnescapeMemoText(const std::string& text);

}  // namespace cordalis
