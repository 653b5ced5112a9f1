// A memo's text on one line of a set file.
#include "app/tweak_settings.h"

#include <gtest/gtest.h>

namespace cordalis {
namespace {

TEST(MemoText, LineBreaksAndBackslashesAreWrittenSoTheyReadBack) {
  const std::pair<const char*, const char*> cases[] = {
      {"", ""},
      {"one line", "one line"},
      {"one\r\ntwo", "one\\r\\ntwo"},
      {"lone\nfeed and lone\rreturn", "lone\\nfeed and lone\\rreturn"},
      {"C:\\new\\texts", "C:\\\\new\\\\texts"},
      {"\\r is not a break", "\\\\r is not a break"},
  };
  for (const auto& [text, escaped] : cases) {
    EXPECT_EQ(EscapeMemoText(text), escaped) << text;
    EXPECT_EQ(UnescapeMemoText(escaped), text) << escaped;
  }
  // Written by hand: a backslash before anything else is kept as it is.
  EXPECT_EQ(UnescapeMemoText("C:\\temp\\x and a trailing \\"), "C:\\temp\\x and a trailing \\");
  EXPECT_EQ(UnescapeMemoText("C:\\new"), "C:\new") << "but \\n is a line break";
}

}  // namespace
}  // namespace cordalis
