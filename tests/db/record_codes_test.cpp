#include "db/record_codes.h"

#include <gtest/gtest.h>

#include "host/text.h"

namespace cordalis {
namespace {

TEST(RecordCodes, NamesOfCodes) {
  EXPECT_EQ(ChangeTypeName(0), "Add key");
  EXPECT_EQ(ChangeTypeName(4), "View value");
  EXPECT_EQ(ChangeTypeName(5), "");
  EXPECT_EQ(ChangeTypeName(-1), "");
  EXPECT_EQ(DataTypeName(0), "(none)");
  EXPECT_EQ(DataTypeName(4), "DWORD");
  EXPECT_EQ(DataTypeName(7), "");
}

TEST(RecordCodes, ControlKindIsAWholeFieldMatchIgnoringCase) {
  const std::pair<const char*, int> cases[] = {
      {"drive", ckDrive},   {"FILE", ckFile},         {"Folder", ckFolder},     {"icon", ckIcon},
      {"memo", ckMemo},     {"num", ckNum},           {"text", ckText},         {"textb", ckTextB},
      {"view", ckView},     {"TOGGLE", ckToggle},     {"ReadKeyVar", ckReadKeyVar}, {"expand", ckExpand},
      {"", ckNone},         {"toggle|x", ckNone},     {" toggle", ckNone},      {"text|num", ckNone},
      {"textbb", ckNone},   {"tex", ckNone},
  };
  for (const auto& [special, kind] : cases) {
    EXPECT_EQ(KeywordCode(special), kind) << special;
    if (kind) {
      EXPECT_TRUE(EqualsIgnoreCase(ControlKeyword(kind), special));
    }
  }
}

TEST(RecordCodes, TweakNumberIsPaddedToFourDigits) {
  EXPECT_EQ(TweakNumberText(7), "#T0007");
  EXPECT_EQ(TweakNumberText(1234), "#T1234");
  EXPECT_EQ(TweakNumberText(123456), "#T123456");
  EXPECT_EQ(TweakNumberText(0), "#T0000");
}

TEST(RecordCodes, OnlyTheFiveRootCodesAreValid) {
  for (const char* code : {"HKCR", "HKCU", "HKLM", "HKU", "HKCC"}) EXPECT_TRUE(IsValidRootCode(code)) << code;
  for (const char* code : {"hkcu", "HKEY_CURRENT_USER", " HKCU", "HKCU ", "", "HK", "HKUU"})
    EXPECT_FALSE(IsValidRootCode(code)) << code;
}

}  // namespace
}  // namespace cordalis
