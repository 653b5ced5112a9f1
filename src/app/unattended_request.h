#pragma once
// The switches that run the program without its window, from a logon script
// or a deployment tool, and the exit codes it ends with.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cordalis {

enum ExitCode : int {
  kExitDone = 0,
  kExitSomeNotDone = 1,    // some tweaks refused, skipped or failed; each one logged
  kExitBadInput = 2,       // bad command line or set file; nothing changed
  kExitTablesBusy = 3,     // the tables are held by another copy, or cannot be written
  kExitNoPermission = 4,   // the user may not change a root a tweak needs; nothing changed
  kExitCannotRun = 5,      // the catalogue is missing or damaged, or an error stopped the run
};

enum class UnattendedAction { Help, List, Apply, Undo, ExportSet, ExportReg };

// The tweaks /apply and /undo work on: numbers, a set file, or every tweak
// that has undo data.
struct TweakChoice {
  std::vector<std::int32_t> numbers;
  std::string setFile;  // /apply @FILE
  bool all = false;     // /undo all
};

struct UnattendedRequest {
  UnattendedAction action = UnattendedAction::Help;
  std::string file;  // what /list, /export-set and /export-reg write; /list may have none
  TweakChoice tweaks;
  std::string logFile;
  bool quiet = false;     // no message box at all
  bool viewOnly = false;  // the window's switch: /list then shows every tweak
  // /undo puts the recorded data back over a value changed since DO IT too;
  // without it, such values and their undo data stay as they are.
  bool replaceNewer = false;
};

struct CommandLineReading {
  // False when the command line asks for the window (no switch but viewonly).
  bool unattended = false;
  UnattendedRequest request;
  std::string error;  // why the command line is refused; empty when it is not
};

// Reads the arguments (the program's name not among them). Switches begin
// with "/" or "-" and ignore letter case; an argument that follows a switch
// taking a file is that file unless it begins with "/" or "-".
CommandLineReading ReadCommandLine(const std::vector<std::string>& arguments);

// The text /? shows, and that follows every refusal of a command line.
std::string UsageText();
// The words of an exit code, for the log.
std::string ExitCodeText(int code);

// "3,5,12" as tweak numbers; nothing unless every one is a positive decimal
// number, different from the others.
std::optional<std::vector<std::int32_t>> ReadTweakNumbers(const std::string& text);

}  // namespace cordalis
