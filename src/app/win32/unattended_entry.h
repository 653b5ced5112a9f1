#pragma once
// The program's entry when the command line asks for a run without the window.
#include <optional>

namespace cordalis {

class Win32MessageBoxes;

// Runs what the command line asks and returns the exit code; nothing when
// the command line asks for the window.
std::optional<int> RunWithoutWindowIfAsked(Win32MessageBoxes& boxes);

}  // namespace cordalis
