#include "host/int_text.h"

#include <gtest/gtest.h>

namespace cordalis {
namespace {

TEST(IntegerText, ReadsTheOneNumberSyntax) {
  const std::pair<const char*, std::int32_t> good[] = {
      {"0", 0},           {"12", 12},          {" 12", 12},         {"   -7", -7},     {"+5", 5},
      {"$1F", 31},        {"$1f", 31},         {"x10", 16},         {"X10", 16},      {"0x10", 16},
      {"0XfF", 255},      {"-$10", -16},       {"-0x10", -16},      {"007", 7},       {"2147483647", INT32_MAX},
      {"-2147483648", INT32_MIN},              {"$7FFFFFFF", INT32_MAX},              {"-$80000000", INT32_MIN},
  };
  for (const auto& [text, value] : good) {
    EXPECT_EQ(ParseIntegerText(text), value) << text;
    EXPECT_EQ(IntegerText(text, 99), value) << text;
  }
  const char* bad[] = {"",   " ",   "12 ", "1.5",  "12a",       "abc",        "-",          "+",     "$",
                       "0x", "--1", "+-1", "$-10", "2147483648", "-2147483649", "$80000000", "$FFFFFFFF",
                       "\t1", "1e3", "0x1G", "99999999999999999999"};
  for (const char* text : bad) {
    EXPECT_EQ(ParseIntegerText(text), std::nullopt) << text;
    EXPECT_EQ(IntegerText(text, 99), 99) << text;
    EXPECT_EQ(IntegerText(text), 0) << text;
  }
}

}  // namespace
}  // namespace cordalis
