#include "host/format.h"

#include <gtest/gtest.h>

namespace cordalis {
namespace {

TEST(Format, TakesArgumentsInTurnAndByIndex) {
  EXPECT_EQ(Format("%s and %d", {"a", std::int64_t{5}}), "a and 5");
  EXPECT_EQ(Format("%s (%s) is %s. new %1:s.%3:s end %1:s", {"A", "B", "C", "D"}), "A (B) is C. new B.D end B");
  EXPECT_EQ(Format("#T%.04d", {std::int64_t{42}}), "#T0042");
  EXPECT_EQ(Format("100%% %s", {"sure"}), "100% sure");
  EXPECT_EQ(Format("%d", {std::int64_t{-7}}), "-7");
}

TEST(Format, AFaultyFormatIsAProgramError) {
  EXPECT_THROW(Format("%s %s", {"one"}), std::invalid_argument);
  EXPECT_THROW(Format("%d", {"text"}), std::invalid_argument);
  EXPECT_THROW(Format("%x", {"text"}), std::invalid_argument);
  EXPECT_THROW(Format("50%", {}), std::invalid_argument);
}

}  // namespace
}  // namespace cordalis
