#include "db/action_data.h"

#include <gtest/gtest.h>

namespace cordalis {
namespace {

TEST(ActionData, TogglePiecesKeepEverythingAfterTheSecondBar) {
  const TogglePieces full = SplitToggle("Caption|1|0|and more");
  EXPECT_EQ(full.caption, "Caption");
  EXPECT_EQ(full.whenTicked, "1");
  EXPECT_EQ(full.whenNotTicked, "0|and more");
  const TogglePieces shortOne = SplitToggle("Caption");
  EXPECT_EQ(shortOne.whenTicked, "");
  EXPECT_EQ(shortOne.whenNotTicked, "");
}

TEST(ActionData, VariableDataIsTheSourceThenEverythingElse) {
  const VariableData split = SplitVariableData("HKLM\\K\\\\V|a|b");
  EXPECT_EQ(split.source, "HKLM\\K\\\\V");
  EXPECT_EQ(split.data, "a|b");
}

TEST(ActionData, VariableSourceIsRootSeparatorKeyAndValue) {
  struct Case {
    const char* source;
    bool parsed;
    const char *root, *key, *value;
  };
  const Case cases[] = {
      {"HKLM\\SOFTWARE\\Cards\\1\\\\ServiceName", true, "HKLM", "SOFTWARE\\Cards\\1", "ServiceName"},
      {"HKCU/Key\\\\", true, "HKCU", "Key", ""},         // any separator; the default value
      {"HKU\\Key\\\\V", true, "HKU\\", "ey", "V"},  // four characters are the root code, so no variable
      {"HKLM\\K\\V", false},
      {"HKLM", false},
  };
  for (const Case& c : cases) {
    const std::optional<VariableSource> parsed = ParseVariableSource(c.source);
    ASSERT_EQ(parsed.has_value(), c.parsed) << c.source;
    if (!parsed) continue;
    EXPECT_EQ(parsed->rootCode, c.root) << c.source;
    EXPECT_EQ(parsed->key, c.key) << c.source;
    EXPECT_EQ(parsed->valueName, c.value) << c.source;
  }
}

}  // namespace
}  // namespace cordalis
