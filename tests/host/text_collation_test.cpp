#include "host/text_collation.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include "host/win32/win32_text_collation.h"
#endif

namespace cordalis {
namespace {

int Sign(int x) { return x < 0 ? -1 : (x > 0 ? 1 : 0); }

TEST(AsciiCollation, IgnoresLetterCaseAndKeepsATotalOrder) {
  struct Case {
    const char* a;
    const char* b;
    int order;
  } cases[] = {
      {"", "", 0},
      {"", "a", -1},                // the empty text sorts first
      {"abc", "ABC", 0},
      {"Explorer", "explorer", 0},
      {"alpha", "Beta", -1},        // not byte order, where "B" < "a"
      {"Zeta", "alpha", 1},
      {"abc", "abcd", -1},          // a prefix first
      {"ABCD", "abc", 1},
      {"a_b", "aZb", -1},           // '_' sorts before the letter 'z', as folded
      {"\xE9t\xE9", "ete", 1},      // bytes above 0x7F are unsigned and kept as they are
      {"\xC9T\xC9", "\xE9t\xE9", -1},  // and not folded
  };
  const AsciiCollation collation;
  for (const Case& c : cases) {
    EXPECT_EQ(Sign(collation.Compare(c.a, c.b)), c.order) << c.a << " : " << c.b;
    EXPECT_EQ(Sign(collation.Compare(c.b, c.a)), -c.order) << c.b << " : " << c.a;
    EXPECT_EQ(Sign(collation.SortKey(c.a).compare(collation.SortKey(c.b))), c.order) << c.a << " : " << c.b;
  }
}

#ifdef _WIN32
// The platform's sort keys order texts as its comparison does, so the tree
// may sort by keys.
TEST(Win32Collation, SortKeysOrderAsTheComparisonDoes) {
  const char* texts[] = {"",         "a",        "A",          "alpha",    "Beta",         "beta",
                         "Explorer", "explorer", "Internet Explorer",     "Logon & Users", "Logon and Users",
                         "a_b",      "aZb",      "caf\xE9",    "cafe",     "Caf\xC9",      "Z",
                         "10 items", "9 items",  "Start Menu & Taskbar",  "start menu"};
  const Win32TextCollation collation;
  for (const char* a : texts)
    for (const char* b : texts)
      EXPECT_EQ(Sign(collation.SortKey(a).compare(collation.SortKey(b))), Sign(collation.Compare(a, b)))
          << a << " : " << b;
}
#endif

}  // namespace
}  // namespace cordalis
