// The view-only switch and the splitting of a Windows command line.
#include "app/command_line.h"

#include <gtest/gtest.h>

namespace cordalis {
namespace {

using Args = std::vector<std::string>;

struct SwitchCase {
  Args arguments;
  bool viewOnly;
};

TEST(ViewOnlySwitch, IsADashOrSlashAndTheWordInAnyCase) {
  const SwitchCase cases[] = {
      {{}, false},
      {{"-viewonly"}, true},
      {{"/viewonly"}, true},
      {{"-VIEWONLY"}, true},
      {{"/ViewOnly"}, true},
      {{"other", "x", "/viewonly"}, true},
      {{"-viewonly", "more"}, true},
      {{"viewonly"}, false},
      {{"--viewonly"}, false},
      {{"-view"}, false},
      {{"-viewonlyx"}, false},
      {{"\\viewonly"}, false},
      {{"-"}, false},
      {{"- viewonly"}, false},
  };
  for (const SwitchCase& c : cases) {
    std::string shown;
    for (const std::string& a : c.arguments) shown += "[" + a + "]";
    EXPECT_EQ(HasViewOnlySwitch(c.arguments), c.viewOnly) << shown;
  }
}

struct SplitCase {
  const char* line;
  Args parts;
};

TEST(SplitCommandLine, SplitsAsTheCRuntimeDoes) {
  const SplitCase cases[] = {
      {"", {""}},
      {"cordalis.exe", {"cordalis.exe"}},
      {"cordalis.exe /viewonly", {"cordalis.exe", "/viewonly"}},
      {"\"C:\\Program Files\\Cordalis\\cordalis.exe\"  -viewonly \t x",
       {"C:\\Program Files\\Cordalis\\cordalis.exe", "-viewonly", "x"}},
      {"\"C:\\dir\\\" next", {"C:\\dir\\", "next"}},  // no escapes in the program's name
      {"p \"a b\" c", {"p", "a b", "c"}},
      {"p a\"b c\"d", {"p", "ab cd"}},
      {"p \"\"", {"p", ""}},
      {"p \"a\"\"b\"", {"p", "a\"b"}},
      {"p a\\\\b", {"p", "a\\\\b"}},
      {"p a\\\"b", {"p", "a\"b"}},
      {"p a\\\\\"b c\"", {"p", "a\\b c"}},
      {"p a\\\\\\\"b", {"p", "a\\\"b"}},
      {"p \"unclosed arg", {"p", "unclosed arg"}},
      {"\"unclosed name", {"unclosed name"}},
      {"p trailing\\", {"p", "trailing\\"}},
      {"p x   ", {"p", "x"}},
  };
  for (const SplitCase& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.parts) << c.line;
}

TEST(SplitCommandLine, TheSwitchIsFoundInAWholeCommandLine) {
  EXPECT_TRUE(CommandLineHasViewOnlySwitch("\"C:\\Cordalis\\cordalis.exe\" /VIEWONLY"));
  EXPECT_TRUE(CommandLineHasViewOnlySwitch("cordalis.exe \"-viewonly\""));
  EXPECT_FALSE(CommandLineHasViewOnlySwitch("cordalis.exe viewonly"));
  EXPECT_FALSE(CommandLineHasViewOnlySwitch("cordalis.exe \"/viewonly x\""));
  // The program's own name is not an argument.
  EXPECT_FALSE(CommandLineHasViewOnlySwitch("/viewonly"));
  EXPECT_FALSE(CommandLineHasViewOnlySwitch(""));
}

}  // namespace
}  // namespace cordalis
