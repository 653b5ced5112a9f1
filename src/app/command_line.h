#pragma once
// The program's command line: its one switch, "viewonly".
#include <string>
#include <string_view>
#include <vector>

namespace cordalis {

// Splits a whole Windows command line (GetCommandLineA) as the C runtime
// splits it into argv: first the program's name, which ends at the first
// blank or, when it starts with a quote, at the next quote; then the
// arguments, separated by blanks and tabs, where quotes group blanks into an
// argument, "" inside quotes is one quote, and backslashes are literal except
// before a quote (2n backslashes and a quote give n backslashes and a
// grouping quote, 2n+1 give n backslashes and a literal quote).
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// True when any argument (the program's name not among them) is "viewonly"
// after "-" or "/", in any letter case.
bool HasViewOnlySwitch(const std::vector<std::string>& arguments);

// The same, for a whole command line as SplitCommandLine takes it.
bool CommandLineHasViewOnlySwitch(std::string_view commandLine);

}  // namespace cordalis
