#include "app/command_line.h"

#include <cstddef>

#include "host/text.h"

namespace cordalis {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The program's name: no escapes, a quote only groups.
std::size_t TakeProgramName(std::string_view line, std::string& name) {
  std::size_t i = 0;
  if (i < line.size() && line[i] == '"') {
    std::size_t close = line.find('"', 1);
    name = line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
    return close == std::string_view::npos ? line.size() : close + 1;
  }
  while (i < line.size() && !IsBlank(line[i])) name += line[i++];
  return i;
}

// One argument starting at i (not a blank); returns the position after it.
std::size_t TakeArgument(std::string_view line, std::size_t i, std::string& argument) {
  bool quoted = false;
  while (i < line.size() && (quoted || !IsBlank(line[i]))) {
    std::size_t backslashes = 0;
    while (i < line.size() && line[i] == '\\') ++backslashes, ++i;
    if (i < line.size() && line[i] == '"') {
      argument.append(backslashes / 2, '\\');
      if (backslashes % 2 == 1) {
        argument += '"';
      } else if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
        argument += '"';
        ++i;
      } else {
        quoted = !quoted;
      }
      ++i;
    } else {
      argument.append(backslashes, '\\');
      if (i < line.size() && (quoted || !IsBlank(line[i]))) argument += line[i++];
    }
  }
  return i;
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view commandLine) {
  std::vector<std::string> parts(1);
  std::size_t i = TakeProgramName(commandLine, parts[0]);
  for (;;) {
    while (i < commandLine.size() && IsBlank(commandLine[i])) ++i;
    if (i >= commandLine.size()) return parts;
    parts.emplace_back();
    i = TakeArgument(commandLine, i, parts.back());
  }
}

bool HasViewOnlySwitch(const std::vector<std::string>& arguments) {
  for (const std::string& argument : arguments) {
    if (argument.size() > 1 && (argument[0] == '-' || argument[0] == '/') &&
        EqualsIgnoreCase(std::string_view(argument).substr(1), "viewonly"))
      return true;
  }
  return false;
}

bool CommandLineHasViewOnlySwitch(std::string_view commandLine) {
  std::vector<std::string> parts = SplitCommandLine(commandLine);
  parts.erase(parts.begin());
  return HasViewOnlySwitch(parts);
}

}  // namespace cordalis
