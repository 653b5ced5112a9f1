// The set file's text: tweak numbers, control=data pairs, quotes and comments.
#include "app/set_file.h"

#include <gtest/gtest.h>

namespace cordalis {

void PrintTo(const SetFileProblem& p, std::ostream* os) { *os << "line " << p.lineNumber << ": " << p.message; }
void PrintTo(const SetLine& l, std::ostream* os) {
  *os << "line " << l.lineNumber << ": " << l.twkId;
  for (const SetControlData& d : l.data) *os << " [" << d.control << "]=[" << d.data << "]";
}

namespace {

using namespace std::string_literals;
using Lines = std::vector<SetLine>;

struct GoodCase {
  const char* text;
  Lines lines;
};

TEST(SetFile, ReadsTweaksAndTheirControlData) {
  const GoodCase cases[] = {
      {"", {}},
      {"# only a comment\r\n\r\n   \t\r\n", {}},
      {"12", {{1, 12, {}}}},
      {"12\r\n40\n", {{1, 12, {}}, {2, 40, {}}}},
      {"  0040  # #T0040 Title of the tweak", {{1, 40, {}}}},
      {"40 Delay=20 \"Drive letter\"=d", {{1, 40, {{"Delay", "20"}, {"Drive letter", "d"}}}}},
      {"7\t1=\"C:\\Program Files\\A b\\x.exe\"\t# title", {{1, 7, {{"1", "C:\\Program Files\\A b\\x.exe"}}}}},
      {"7 Text=\"\" Other=", {{1, 7, {{"Text", ""}, {"Other", ""}}}}},
      {"7 Text=\"say \"\"hi\"\" # not a comment\"", {{1, 7, {{"Text", "say \"hi\" # not a comment"}}}}},
      {"7 Text=a=b", {{1, 7, {{"Text", "a=b"}}}}},
      {"7 \"A = B\"=x#comment", {{1, 7, {{"A = B", "x"}}}}},
      {"7 Text=caf\xE9", {{1, 7, {{"Text", "caf\xE9"}}}}},
      {"\n\n9 a=1\r\n", {{3, 9, {{"a", "1"}}}}},
  };
  for (const GoodCase& c : cases) {
    const SetFile set = ReadSetFile(c.text);
    EXPECT_EQ(set.problems, std::vector<SetFileProblem>{}) << c.text;
    EXPECT_EQ(set.lines, c.lines) << c.text;
  }
}

struct BadCase {
  std::string text;
  std::vector<SetFileProblem> problems;
};

TEST(SetFile, NamesEachBadLineWithItsNumber) {
  const BadCase cases[] = {
      {"x", {{1, "\"x\" is not a tweak number"}}},
      {"12a", {{1, "\"12a\" is not a tweak number"}}},
      {"0", {{1, "\"0\" is not a tweak number"}}},
      {"3,4", {{1, "\"3,4\" is not a tweak number"}}},
      {"=1", {{1, "\"=1\" is not a tweak number"}}},
      {"\"12\"", {{1, "a line starts with the tweak's number"}}},
      {"12 Delay", {{1, "\"Delay\" is not control=data"}}},
      {"12 =5", {{1, "a control=data pair has no control"}}},
      {"12 \"\"=5", {{1, "a control=data pair has no control"}}},
      {"12 Text=\"open", {{1, "the quote opened at column 9 is not closed"}}},
      {"12 Text=\"a\"b", {{1, "text follows the quote closed at column 11"}}},
      {"12 Te\"xt\"=1", {{1, "a quote stands inside \"Te\"; quote the whole name or data"}}},
      {"12 Text=a\"b\"", {{1, "a quote stands inside \"a\"; quote the whole name or data"}}},
      {"12\n\nx\n12 a=1\n13\n", {{3, "\"x\" is not a tweak number"}, {4, "tweak 12 is on line 1 already"}}},
      {"12\n1\0 2\n"s, {{2, "the line holds a zero byte; a set file is plain text"}}},
      {"\xEF\xBB\xBF" "12", {{1, "the file is saved as UTF-8; save it as ANSI text"}}},
      {"\xFF\xFE" "1\0"s, {{1, "the file is saved as Unicode; save it as ANSI text"}}},
  };
  for (const BadCase& c : cases) EXPECT_EQ(ReadSetFile(c.text).problems, c.problems) << c.text;
}

TEST(SetFile, WritesLinesItReadsBackAsWritten) {
  const std::vector<SetControlData> data = {
      {"Drive letter:", "D"}, {"1", ""}, {"Path", "C:\\Program Files\\x.exe"}, {"Quote\"d", "a=b#c \"d\""},
      {"plain", "caf\xE9"}};
  const std::string line = SetFileLine(40, data, "A title\r\nwith # and a break");
  EXPECT_EQ(line,
            "40  \"Drive letter:\"=D  1=\"\"  Path=\"C:\\Program Files\\x.exe\"  \"Quote\"\"d\"=\"a=b#c \"\"d\"\"\"  "
            "plain=caf\xE9  # A title  with # and a break");
  const SetFile set = ReadSetFile(line);
  ASSERT_TRUE(set.problems.empty()) << set.problems[0].message;
  EXPECT_EQ(set.lines, (Lines{{1, 40, data}}));
}

}  // namespace
}  // namespace cordalis
