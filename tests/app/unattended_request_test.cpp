// The switches of a run without the window, read from the arguments.
#include "app/unattended_request.h"

#include <gtest/gtest.h>

namespace cordalis {
namespace {

using Args = std::vector<std::string>;
using A = UnattendedAction;

std::string Shown(const Args& args) {
  std::string shown;
  for (const std::string& a : args) shown += "[" + a + "]";
  return shown;
}

struct GoodCase {
  Args args;
  A action;
  std::string file;
  std::vector<std::int32_t> numbers;
  std::string setFile;
  bool all = false;
  std::string log;
  bool quiet = false;
  bool viewOnly = false;
};

TEST(UnattendedRequest, ReadsEachSwitchInAnyCaseAfterSlashOrDash) {
  const GoodCase cases[] = {
      {{"/list"}, A::List},
      {{"-LIST", "out.txt"}, A::List, "out.txt"},
      {{"/list", "/quiet"}, A::List, "", {}, "", false, "", true},
      {{"/List", "viewonly-is-a-file"}, A::List, "viewonly-is-a-file"},
      {{"-viewonly", "/list"}, A::List, "", {}, "", false, "", false, true},
      {{"/apply", "3,5,12"}, A::Apply, "", {3, 5, 12}},
      {{"/apply", "0012"}, A::Apply, "", {12}},
      {{"/APPLY", "@C:\\sets\\office set.txt"}, A::Apply, "", {}, "C:\\sets\\office set.txt"},
      {{"/undo", "7"}, A::Undo, "", {7}},
      {{"-undo", "ALL"}, A::Undo, "", {}, "", true},
      {{"/export-set", "a.set"}, A::ExportSet, "a.set"},
      {{"/Export-Reg", "back.reg", "/log", "\\\\server\\logs\\cordalis.log"}, A::ExportReg, "back.reg", {}, "", false,
       "\\\\server\\logs\\cordalis.log"},
      {{"/log", "x.log", "/quiet", "/apply", "1"}, A::Apply, "", {1}, "", false, "x.log", true},
      {{"/?"}, A::Help},
      {{"-?", "/quiet"}, A::Help, "", {}, "", false, "", true},
  };
  for (const GoodCase& c : cases) {
    const CommandLineReading r = ReadCommandLine(c.args);
    ASSERT_TRUE(r.unattended) << Shown(c.args);
    EXPECT_EQ(r.error, "") << Shown(c.args);
    EXPECT_EQ(r.request.action, c.action) << Shown(c.args);
    EXPECT_EQ(r.request.file, c.file) << Shown(c.args);
    EXPECT_EQ(r.request.tweaks.numbers, c.numbers) << Shown(c.args);
    EXPECT_EQ(r.request.tweaks.setFile, c.setFile) << Shown(c.args);
    EXPECT_EQ(r.request.tweaks.all, c.all) << Shown(c.args);
    EXPECT_EQ(r.request.logFile, c.log) << Shown(c.args);
    EXPECT_EQ(r.request.quiet, c.quiet) << Shown(c.args);
    EXPECT_EQ(r.request.viewOnly, c.viewOnly) << Shown(c.args);
  }
}

TEST(UnattendedRequest, WithoutASwitchButViewOnlyTheWindowStarts) {
  for (const Args& args : {Args{}, Args{"-viewonly"}, Args{"/VIEWONLY", "stray"}, Args{"stray"}}) {
    const CommandLineReading r = ReadCommandLine(args);
    EXPECT_FALSE(r.unattended) << Shown(args);
    EXPECT_EQ(r.error, "") << Shown(args);
  }
}

struct BadCase {
  Args args;
  const char* error;
};

TEST(UnattendedRequest, RefusesABadCommandLineSayingWhy) {
  const BadCase cases[] = {
      {{"/quiet"}, "Say what to do: /list, /apply, /undo, /export-set, /export-reg or /?."},
      {{"/log", "x.log"}, "Say what to do: /list, /apply, /undo, /export-set, /export-reg or /?."},
      {{"/frobnicate"}, "There is no switch /frobnicate."},
      {{"/apply"}, "The switch /apply needs the tweaks to apply: numbers such as 3,5,12, or @ and a set file."},
      {{"/apply", "/quiet"},
       "The switch /apply needs the tweaks to apply: numbers such as 3,5,12, or @ and a set file."},
      {{"/apply", "3, 5"},
       "The switch /apply takes tweak numbers separated by commas, such as 3,5,12, or @ and a set file; \"3, 5\" is "
       "not that."},
      {{"/apply", "3,3"},
       "The switch /apply takes tweak numbers separated by commas, such as 3,5,12, or @ and a set file; \"3,3\" is "
       "not that."},
      {{"/apply", "0"},
       "The switch /apply takes tweak numbers separated by commas, such as 3,5,12, or @ and a set file; \"0\" is "
       "not that."},
      {{"/apply", "all"},
       "The switch /apply takes tweak numbers separated by commas, such as 3,5,12, or @ and a set file; \"all\" is "
       "not that."},
      {{"/apply", "@"}, "The switch /apply needs a set file after the @."},
      {{"/undo", "@x.set"},
       "The switch /undo takes tweak numbers separated by commas, such as 3,5,12, or all; \"@x.set\" is not that."},
      {{"/undo", "1234567890"},
       "The switch /undo takes tweak numbers separated by commas, such as 3,5,12, or all; \"1234567890\" is not "
       "that."},
      {{"/export-reg"}, "The switch /export-reg needs the Registry file to write."},
      {{"/export-set", ""}, "The switch /export-set needs the set file to write."},
      {{"/log", "/list"}, "The switch /log needs the log file."},
      {{"/log", "a", "/log", "b", "/list"}, "The switch /log is given twice."},
      {{"/list", "/apply", "1"}, "The switches /list and /apply cannot go together: give one at a time."},
      {{"/undo", "1", "/undo", "2"}, "The switch /undo is given twice."},
      {{"/list", "a.txt", "b.txt"}, "The argument b.txt belongs to no switch."},
      {{"/apply", "1", "extra"}, "The argument extra belongs to no switch."},
      {{"viewonly", "/apply", "1"}, "The argument viewonly belongs to no switch."},
      {{"/viewonly", "/undo", "all"},
       "The switch viewonly opens the tables for reading only; it cannot go with /undo."},
  };
  for (const BadCase& c : cases) {
    const CommandLineReading r = ReadCommandLine(c.args);
    EXPECT_TRUE(r.unattended) << Shown(c.args);
    EXPECT_EQ(r.error, c.error) << Shown(c.args);
  }
}

TEST(UnattendedRequest, UsageNamesEverySwitchAndExitCode) {
  const std::string usage = UsageText();
  for (const char* word : {"/list [FILE]", "/apply N[,N...]", "/apply @SETFILE", "/undo N[,N...]", "/undo all",
                           "/export-set FILE", "/export-reg FILE", "/log FILE", "/quiet"})
    EXPECT_NE(usage.find(word), std::string::npos) << word;
  for (int code = kExitDone; code <= kExitCannotRun; ++code)
    EXPECT_NE(usage.find(" " + std::to_string(code) + " "), std::string::npos) << code;
}

}  // namespace
}  // namespace cordalis
