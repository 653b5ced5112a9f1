#include "app/plain_text_search.h"

#include <gtest/gtest.h>

namespace cordalis {
namespace {

struct SearchCase {
  std::string text;
  std::string what;
  SearchOptions options;
  int at;
};

constexpr SearchOptions kAny{false, false};
constexpr SearchOptions kCase{true, false};
constexpr SearchOptions kWord{false, true};
constexpr SearchOptions kCaseWord{true, true};

TEST(PlainTextSearch, FindsTheFirstMatchByTheRichEditsRules) {
  const SearchCase cases[] = {
      {"Show file extensions", "FILE", kAny, 5},
      {"Show file extensions", "FILE", kCase, -1},
      {"Show File extensions", "File", kCase, 5},
      {"profile file", "file", kAny, 3},
      {"profile file", "file", kWord, 8},
      {"profile files", "file", kWord, -1},
      {"file", "file", kWord, 0},
      {"(#T0012)\r\n", "#T0012", kWord, 1},
      {"#T00123", "#T0012", kWord, -1},
      {"a_file b", "file", kWord, -1},
      {"file2 file", "file", kWord, 6},
      {"caf\xE9s caf\xE9", "CAF\xC9", kWord, 6},  // windows-1252 letters fold and form words
      {"\x9A\x9C", "\x8A\x8C", kAny, 0},          // s caron, oe
      {"\x9A\x9C", "\x8A\x8C", kCase, -1},
      {"na\xEFve", "na", kWord, -1},
      {"2\xD7" "3", "2", kWord, 0},  // the multiplication sign ends a word
      {"My notes: x", "notes", kCaseWord, 3},
      {"short", "longer than it", kAny, -1},
      {"anything", "", kAny, -1},
      {"", "x", kAny, -1},
  };
  PlainTextSearch search;
  for (const SearchCase& c : cases)
    EXPECT_EQ(search.FindIn(c.text, c.what, c.options), c.at) << c.text << " / " << c.what;
}

TEST(PlainTextSearch, WordCharacters) {
  for (char c : std::string("aZ09_\xC0\xE9\xFF\x8A\x9F"))
    EXPECT_TRUE(IsWordCharacter(static_cast<unsigned char>(c))) << int(static_cast<unsigned char>(c));
  for (char c : std::string(" -#(:\r\xA0\xD7\xF7\x80\x93"))
    EXPECT_FALSE(IsWordCharacter(static_cast<unsigned char>(c))) << int(static_cast<unsigned char>(c));
}

}  // namespace
}  // namespace cordalis
