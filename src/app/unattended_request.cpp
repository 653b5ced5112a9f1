#include "app/unattended_request.h"

#include <algorithm>
#include <cstddef>
#include <string_view>

#include "host/text.h"

namespace cordalis {
namespace {

bool IsSwitch(const std::string& argument) {
  return argument.size() > 1 && (argument[0] == '/' || argument[0] == '-');
}

const char* ActionSwitch(UnattendedAction action) {
  switch (action) {
    case UnattendedAction::Help: return "/?";
    case UnattendedAction::List: return "/list";
    case UnattendedAction::Apply: return "/apply";
    case UnattendedAction::Undo: return "/undo";
    case UnattendedAction::ExportSet: return "/export-set";
    case UnattendedAction::ExportReg: return "/export-reg";
  }
  return "";
}

// Walks the arguments once; the first fault found is the one told.
class Reader {
 public:
  explicit Reader(const std::vector<std::string>& arguments) : arguments_(arguments) {}

  CommandLineReading Read() {
    // Read to the end whatever the first fault: /quiet and /log still count.
    for (next_ = 0; next_ < arguments_.size();) {
      const std::string& argument = arguments_[next_++];
      if (IsSwitch(argument)) {
        Switch(ToLowerAscii(std::string_view(argument).substr(1)), argument);
      } else if (firstBareWord_.empty()) {
        firstBareWord_ = argument.empty() ? "\"\"" : argument;
      }
    }
    if (!reading_.unattended) return {};  // the window, which takes no other argument
    if (reading_.error.empty() && !firstBareWord_.empty())
      reading_.error = "The argument " + firstBareWord_ + " belongs to no switch.";
    if (reading_.error.empty() && !action_)
      reading_.error = "Say what to do: /list, /apply, /undo, /export-set, /export-reg or /?.";
    if (reading_.error.empty() && reading_.request.viewOnly &&
        (*action_ == UnattendedAction::Apply || *action_ == UnattendedAction::Undo))
      reading_.error = "The switch viewonly opens the tables for reading only; it cannot go with " +
                       std::string(ActionSwitch(*action_)) + ".";
    if (reading_.error.empty() && reading_.request.replaceNewer && action_ != UnattendedAction::Undo)
      reading_.error = "The switch /replace-newer goes with /undo only.";
    if (action_) reading_.request.action = *action_;
    return reading_;
  }

 private:
  void Switch(const std::string& name, const std::string& written) {
    UnattendedRequest& r = reading_.request;
    if (name == "viewonly") {
      r.viewOnly = true;
      return;
    }
    reading_.unattended = true;
    if (name == "?") {
      SetAction(UnattendedAction::Help);
    } else if (name == "quiet") {
      r.quiet = true;
    } else if (name == "replace-newer") {
      r.replaceNewer = true;
    } else if (name == "log") {
      if (!r.logFile.empty()) return Fail("The switch /log is given twice.");
      r.logFile = Needed("/log", "the log file");
    } else if (name == "list") {
      SetAction(UnattendedAction::List);
      if (next_ < arguments_.size() && !IsSwitch(arguments_[next_])) r.file = arguments_[next_++];
    } else if (name == "apply") {
      SetAction(UnattendedAction::Apply);
      Tweaks("/apply", Needed("/apply", "the tweaks to apply: numbers such as 3,5,12, or @ and a set file"), false);
    } else if (name == "undo") {
      SetAction(UnattendedAction::Undo);
      Tweaks("/undo", Needed("/undo", "the tweaks to undo: numbers such as 3,5,12, or all"), true);
    } else if (name == "export-set") {
      SetAction(UnattendedAction::ExportSet);
      r.file = Needed("/export-set", "the set file to write");
    } else if (name == "export-reg") {
      SetAction(UnattendedAction::ExportReg);
      r.file = Needed("/export-reg", "the Registry file to write");
    } else {
      Fail("There is no switch " + written + ".");
    }
  }

  void SetAction(UnattendedAction action) {
    if (action_ && *action_ != action)
      return Fail(std::string("The switches ") + ActionSwitch(*action_) + " and " + ActionSwitch(action) +
                  " cannot go together: give one at a time.");
    if (action_) return Fail(std::string("The switch ") + ActionSwitch(action) + " is given twice.");
    action_ = action;
  }

  // The argument after a switch; a fault when there is none.
  std::string Needed(const char* name, const char* what) {
    if (next_ >= arguments_.size() || IsSwitch(arguments_[next_]) || arguments_[next_].empty()) {
      Fail(std::string("The switch ") + name + " needs " + what + ".");
      return {};
    }
    return arguments_[next_++];
  }

  void Tweaks(const char* name, const std::string& text, bool allowAll) {
    if (text.empty()) return;  // already refused
    TweakChoice& choice = reading_.request.tweaks;
    if (allowAll && EqualsIgnoreCase(text, "all")) {
      choice.all = true;
    } else if (!allowAll && text[0] == '@') {
      choice.setFile = text.substr(1);
      if (choice.setFile.empty()) Fail(std::string("The switch ") + name + " needs a set file after the @.");
    } else if (std::optional<std::vector<std::int32_t>> numbers = ReadTweakNumbers(text)) {
      choice.numbers = std::move(*numbers);
    } else {
      Fail(std::string("The switch ") + name + " takes tweak numbers separated by commas, such as 3,5,12" +
           (allowAll ? ", or all" : ", or @ and a set file") + "; \"" + text + "\" is not that.");
    }
  }

  void Fail(std::string message) {
    if (reading_.error.empty()) reading_.error = std::move(message);
  }

  const std::vector<std::string>& arguments_;
  std::size_t next_ = 0;
  CommandLineReading reading_;
  std::optional<UnattendedAction> action_;
  std::string firstBareWord_;
};

}  // namespace

CommandLineReading ReadCommandLine(const std::vector<std::string>& arguments) { return Reader(arguments).Read(); }

std::optional<std::vector<std::int32_t>> ReadTweakNumbers(const std::string& text) {
  std::vector<std::int32_t> numbers;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    const std::string_view piece = std::string_view(text).substr(start, comma - start);
    const std::size_t zeros = std::min(piece.find_first_not_of('0'), piece.size());
    if (piece.empty() || piece.size() - zeros > 9) return std::nullopt;  // "#T0012" shows 12 as 0012
    std::int32_t n = 0;
    for (char c : piece) {
      if (c < '0' || c > '9') return std::nullopt;
      n = n * 10 + (c - '0');
    }
    if (n == 0) return std::nullopt;
    if (std::find(numbers.begin(), numbers.end(), n) != numbers.end()) return std::nullopt;
    numbers.push_back(n);
    if (comma == text.size()) return numbers;
    start = comma + 1;
  }
}

std::string UsageText() {
  return "Cordalis without its window:\r\n"
         "  /list [FILE]        every tweak for this system: number, category, title, state\r\n"
         "  /apply N[,N...]     DO IT of these tweaks, in order\r\n"
         "  /apply @SETFILE     DO IT of the tweaks of a set file, with their data\r\n"
         "  /undo N[,N...]      Undo of these tweaks; /undo all: of every tweak with undo data; a value\r\n"
         "                      changed since DO IT stays, with its undo data, unless /replace-newer\r\n"
         "  /export-set FILE    a set file of the tweaks that have undo data, with their data\r\n"
         "  /export-reg FILE    a Registry file that puts back what the undo data records\r\n"
         "  /log FILE           add what happens to FILE, with date, time, machine and user\r\n"
         "  /quiet              show no message box\r\n"
         "Exit codes: 0 all done; 1 some tweaks refused, skipped, failed or partly undone (see the log); 2 bad command "
         "line or set file, nothing changed; 3 the tables are in use by another copy or cannot be written; 4 "
         "you may not change a Registry root a tweak needs, nothing changed; 5 the catalogue is missing or "
         "damaged, or an error stopped the run.";
}

std::string ExitCodeText(int code) {
  switch (code) {
    case kExitDone: return "all done";
    case kExitSomeNotDone: return "some tweaks were refused, skipped, failed or partly undone";
    case kExitBadInput: return "bad command line or set file; nothing was changed";
    case kExitTablesBusy: return "the tables are in use by another copy or cannot be written";
    case kExitNoPermission: return "you may not change a Registry root a tweak needs; nothing was changed";
    case kExitCannotRun: return "the catalogue is missing or damaged, or an error stopped the run";
    default: return "unknown";
  }
}

}  // namespace cordalis
