#include "controls/control_groups.h"

#include <gtest/gtest.h>

#include <ostream>

#include "db/record_codes.h"

namespace cordalis {

// Readable failure output for the tables below.
void PrintTo(const ControlGroup& g, std::ostream* os) {
  *os << "{" << ControlKeyword(g.kind) << " #" << g.controlNumber << " prompt=\"" << g.prompt << "\" filter=\""
      << g.filterDescription << "|" << g.filterPattern << "\" num=\"" << g.num.minimum << "|" << g.num.maximum << "|"
      << g.num.increment << "|" << g.num.defaultValue << "\" ticked=\"" << g.dataWhenTicked << "\" source=\""
      << g.variableSource << "\"}";
}
void PrintTo(const NumberBoxSetup& b, std::ostream* os) {
  *os << "{min " << b.minimum << " max " << b.maximum << " inc " << b.increment << " pos " << b.position << "}";
}

namespace {

ControlGroup Prompted(int kind, int number, std::string prompt) {
  ControlGroup g;
  g.kind = kind;
  g.controlNumber = number;
  g.prompt = std::move(prompt);
  return g;
}

ControlGroup Num(int number, std::string prompt, NumPieces pieces) {
  ControlGroup g = Prompted(ckNum, number, std::move(prompt));
  g.num = std::move(pieces);
  return g;
}

ControlGroup File(int number, std::string prompt, std::string description, std::string pattern) {
  ControlGroup g = Prompted(ckFile, number, std::move(prompt));
  g.filterDescription = std::move(description);
  g.filterPattern = std::move(pattern);
  return g;
}

ControlGroup Toggle(int number, std::string caption, std::string ticked) {
  ControlGroup g = Prompted(ckToggle, number, std::move(caption));
  g.dataWhenTicked = std::move(ticked);
  return g;
}

ControlGroup ReadKeyVar(int number, std::string source) {
  ControlGroup g = Prompted(ckReadKeyVar, number, "");
  g.variableSource = std::move(source);
  return g;
}

TEST(ControlGroups, KeywordsTakeTheirPiecesOfDataInOrder) {
  struct Case {
    const char* special;
    const char* data;
    int first;
    std::vector<ControlGroup> groups;
  };
  const Case cases[] = {
      {"", "ignored", 0, {}},
      {"text", "Name", 0, {Prompted(ckText, 0, "Name")}},
      {"Toggle", "Hide it|1|0", 0, {Toggle(0, "Hide it", "1")}},
      {"TOGGLE", "Hide it|1|0", 0, {Toggle(0, "Hide it", "1")}},
      {"text|num", "Name|Count|1|10|2|5", 0, {Prompted(ckText, 0, "Name"), Num(1, "Count", {"1", "10", "2", "5"})}},
      {"num", "", 0, {Num(0, "", {})}},
      {"num", "Delay|0|4000", 0, {Num(0, "Delay", {"0", "4000", "", ""})}},
      {"file", "Picture|Bitmaps|*.bmp|left over", 0, {File(0, "Picture", "Bitmaps", "*.bmp")}},
      {"file", "Picture", 0, {File(0, "Picture", "", "")}},
      {"bogus|text", "A|B", 0, {}},
      {"text|bogus|num", "A|B|C", 0, {Prompted(ckText, 0, "A")}},
      {"text|", "A|B", 0, {Prompted(ckText, 0, "A")}},
      {"|text", "A|B", 0, {}},
      {"readkeyvar", "HKLM\\Key\\\\Value|1500", 0, {ReadKeyVar(0, "HKLM\\Key\\\\Value")}},
      {"expand|drive", "%windir%\\x.exe|Letter", 0, {Prompted(ckExpand, 0, ""), Prompted(ckDrive, 1, "Letter")}},
      {"view|memo|textb", " spaced |M", 0,
       {Prompted(ckView, 0, " spaced "), Prompted(ckMemo, 1, "M"), Prompted(ckTextB, 2, "")}},
      {"folder|icon", "A|B", 3, {Prompted(ckFolder, 3, "A"), Prompted(ckIcon, 4, "B")}},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadControlGroups(c.special, c.data, c.first), c.groups) << c.special;
}

TEST(ControlGroups, EachKeywordConsumesExactlyItsPieces) {
  // Whatever a keyword takes, the keyword after it must start on the piece
  // right after its last one.
  for (int kind = ckDrive; kind <= ckExpand; ++kind) {
    std::string data;
    for (int piece = 0; piece < PiecesTaken(kind); ++piece) data += "p|";
    data += "Next";
    std::vector<ControlGroup> groups = ReadControlGroups(std::string(ControlKeyword(kind)) + "|text", data);
    ASSERT_EQ(groups.size(), 2u) << ControlKeyword(kind);
    EXPECT_EQ(groups[0].kind, kind);
    EXPECT_EQ(groups[1], Prompted(ckText, 1, "Next")) << ControlKeyword(kind);
  }
  EXPECT_EQ(PiecesTaken(ckNone), 0);
}

TEST(ControlGroups, NumberBoxFollowsTheNumericRules) {
  struct Case {
    NumPieces pieces;
    const char* current;
    NumberBoxSetup box;
  };
  const Case cases[] = {
      // Everything left open: the full positive range and its middle.
      {{}, "", {0, 32767, 1, 16383}},
      {{}, "500", {0, 32767, 1, 500}},
      {{"10", "20", "4", ""}, "", {10, 20, 4, 12}},
      // Truncation toward zero, not down: (-13)/2 = -6, -6/4*4 = -4.
      {{"-10", "-3", "4", ""}, "", {-10, -3, 4, -4}},
      {{"10", "20", "-4", ""}, "", {10, 20, -4, 12}},
      // The default piece, clamped to the minimum and then to the maximum.
      {{"0", "50", "1", "99"}, "abc", {0, 50, 1, 50}},
      {{"10", "20", "1", "3"}, "", {10, 20, 1, 10}},
      {{"10", "20", "1", "$F"}, "", {10, 20, 1, 15}},
      {{"100", "50", "1", "10"}, "", {100, 50, 1, 50}},
      {{"100", "50", "1", ""}, "", {100, 50, 1, 50}},
      {{"0", "50", "1", "9x"}, "", {0, 50, 1, 25}},
      // Only the low 16 bits of the bounds count.
      {{"70000", "", "", ""}, "", {4464, 32767, 1, 18615}},
      {{"-40000", "$FFFF", "", ""}, "", {25536, -1, 1, -1}},
      // An increment of 0, or one that does not convert, steps by 1.
      {{"0", "100", "0", ""}, "", {0, 100, 1, 50}},
      {{"0", "101", "junk", ""}, "", {0, 101, 1, 50}},
      // The current data is the position whenever it is integer text, reduced
      // to 16 bits and kept between the bounds, as the box can show it;
      // otherwise the clamped default.
      {{"0", "50", "1", "20"}, "-5", {0, 50, 1, 0}},
      {{"0", "50", "1", "20"}, "51", {0, 50, 1, 50}},
      {{"1", "16", "1", ""}, "20", {1, 16, 1, 16}},
      {{}, "40000", {0, 32767, 1, 0}},
      {{"0", "50", "1", "20"}, "40000", {0, 50, 1, 0}},
      {{"100", "50", "1", "10"}, "75", {100, 50, 1, 75}},
      {{"100", "50", "1", "10"}, "120", {100, 50, 1, 100}},
      {{"0", "50", "1", "20"}, " 12", {0, 50, 1, 12}},
      {{"0", "50", "1", "20"}, "$1F", {0, 50, 1, 31}},
      {{"0", "50", "1", "20"}, "12 ", {0, 50, 1, 20}},
      {{"0", "50", "1", "20"}, "1.5", {0, 50, 1, 20}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(SetUpNumberBox(c.pieces, c.current), c.box)
        << c.pieces.minimum << "|" << c.pieces.maximum << "|" << c.pieces.increment << "|" << c.pieces.defaultValue
        << " current \"" << c.current << "\"";
}

// An arrow moves the position by the increment, in the increment's direction
// for the arrow that counts up, and stops at the bounds, whichever is larger.
TEST(ControlGroups, TheArrowsStepByTheIncrementWithinTheBounds) {
  struct Case {
    std::int16_t position;
    int direction;
    std::int32_t increment;
    std::int16_t minimum, maximum;
    std::int16_t stepped;
  };
  const Case cases[] = {
      {20, +1, 5, 0, 100, 25},       {20, -1, 5, 0, 100, 15},     {98, +1, 5, 0, 100, 100},
      {2, -1, 5, 0, 100, 0},         {20, +1, -5, 0, 100, 15},    {20, -1, -5, 0, 100, 25},
      {3, +1, -5, 0, 100, 0},        {60, +1, 1, 100, 50, 61},    {100, +1, 1, 100, 50, 100},
      {0, +1, 100000, -10, 10, 10},  {0, -1, 100000, -10, 10, -10}, {32767, +1, 1, 0, 32767, 32767},
      {-32768, -1, 1, -32768, 0, -32768},
  };
  for (const Case& c : cases)
    EXPECT_EQ(NumberBoxStep(c.position, c.direction, c.increment, c.minimum, c.maximum), c.stepped)
        << c.position << (c.direction > 0 ? " up by " : " down by ") << c.increment << " in " << c.minimum << ".."
        << c.maximum;
}

// What the "drive" box shows is what DO IT reads: letters as capitals.
TEST(ControlGroups, TheDriveBoxShowsLettersAsCapitals) {
  EXPECT_EQ(DriveBoxText("c"), "C");
  EXPECT_EQ(DriveBoxText("d:\\"), "D:\\");
  EXPECT_EQ(DriveBoxText("Z"), "Z");
  EXPECT_EQ(DriveBoxText("\xE9"), "\xE9") << "only ASCII letters change";
  EXPECT_EQ(DriveBoxText(""), "");
}

TEST(ControlGroups, ToggleIsTickedOnlyByExactlyItsData) {
  struct Case {
    const char* ticked;
    const char* current;
    bool expected;
  };
  const Case cases[] = {
      {"1", "1", true},  {"1", "01", false}, {"1", "0", false},     {"On", "on", false},
      {"", "", true},    {"", "0", false},   {"a b", "a b", true},  {"a b", "a b ", false},
  };
  for (const Case& c : cases) EXPECT_EQ(ToggleTicked(c.ticked, c.current), c.expected) << c.ticked << "/" << c.current;
}

TEST(ControlGroups, FileFilterIsDescriptionBarPattern) {
  EXPECT_EQ(FileFilter("Bitmap pictures", "*.bmp"), "Bitmap pictures|*.bmp");
  const ControlGroup promptOnly = ReadControlGroups("file", "Choose a file").at(0);
  EXPECT_EQ(FileFilter(promptOnly.filterDescription, promptOnly.filterPattern), "|");
}

}  // namespace
}  // namespace cordalis
