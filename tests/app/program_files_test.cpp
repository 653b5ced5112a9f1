// The settings and help files named after the executable.
#include "app/program_files.h"

#include <gtest/gtest.h>

namespace cordalis {
namespace {

struct PathCase {
  const char* executable;
  const char* settings;
};

TEST(ProgramFiles, TheExtensionOfTheLastPartIsReplaced) {
  const PathCase cases[] = {
      {"C:\\Program Files\\Cordalis\\Cordalis.exe", "C:\\Program Files\\Cordalis\\Cordalis.INI"},
      {"C:\\Tools\\cordalis.EXE", "C:\\Tools\\cordalis.INI"},
      {"C:\\Tools\\cordalis.old.exe", "C:\\Tools\\cordalis.old.INI"},
      {"C:\\Tools\\cordalis", "C:\\Tools\\cordalis.INI"},
      {"C:\\Tools.v2\\cordalis", "C:\\Tools.v2\\cordalis.INI"},
      {"C:\\Tools.v2\\cordalis.exe", "C:\\Tools.v2\\cordalis.INI"},
      {"/opt/my.tools/cordalis", "/opt/my.tools/cordalis.INI"},
      {"C:cordalis", "C:cordalis.INI"},
      {"C:\\Tools\\cordalis.", "C:\\Tools\\cordalis.INI"},
      {"cordalis.exe", "cordalis.INI"},
      {"", ".INI"},
  };
  for (const PathCase& c : cases) EXPECT_EQ(SettingsPathFor(c.executable), c.settings) << c.executable;
}

TEST(ProgramFiles, TheHelpFileEndsInHlp) {
  EXPECT_EQ(HelpPathFor("C:\\Cordalis\\Cordalis.exe"), "C:\\Cordalis\\Cordalis.HLP");
  EXPECT_EQ(HelpPathFor("C:\\My.Apps\\Cordalis"), "C:\\My.Apps\\Cordalis.HLP");
}

}  // namespace
}  // namespace cordalis
