#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>

#include "common/db_value.h"
#include "common/local_time.h"
#include "common/text1251.h"
#include "common/wait_pumping.h"

namespace lmr {
namespace {

TEST(Text1251, RoundTripsEveryAssignedByte) {
  std::string all;
  for (int b = 1; b < 256; ++b) {
    if (b != 0x98) all += static_cast<char>(b);
  }
  EXPECT_EQ(Utf8To1251(Cp1251ToUtf8(all)), all);
  EXPECT_EQ(Utf16To1251(Cp1251ToUtf16(all)), all);
  EXPECT_EQ(Utf8To1251("Начать"), "\xCD\xE0\xF7\xE0\xF2\xFC");
  EXPECT_EQ(Utf8To1251("®Ёё№"), "\xAE\xA8\xB8\xB9");
  EXPECT_EQ(Utf8To1251("中\xFF"), "??");  // not in 1251; broken UTF-8
}

TEST(LocalTimeText, FormatsPlainDecimalsInOrder) {
  EXPECT_EQ(FormatLocalTime("", {1, 3, 2027, 14, 5, 7, 31}), Utf8To1251("1.3 2027г 14:5:7:31"));
  EXPECT_EQ(FormatLocalTime("", {9, 12, 2026, 1, 5, 7, 31}), Utf8To1251("9.12 2026г 1:5:7:31"));
  EXPECT_EQ(FormatLocalTime("%d/%d %d%%", {9, 12, 2026, 0, 0, 0, 0}), "9/12 2026%");
  const std::string now = LocalTimeText("");
  EXPECT_NE(now.find("\xE3 "), std::string::npos) << now;  // the "г" byte
}

TEST(VariantToIntOrDefault, FollowsTheVariantRules) {
  EXPECT_EQ(VariantToIntOrDefault(DbNull{}, 8080), 8080);
  EXPECT_EQ(VariantToIntOrDefault(DbUnassigned{}, 8080), 0);
  EXPECT_EQ(VariantToIntOrDefault(std::int64_t{3128}, 8080), 3128);
  EXPECT_EQ(VariantToIntOrDefault(std::string(" -42 "), 1), -42);
  EXPECT_THROW(VariantToIntOrDefault(std::string("80a"), 1), std::runtime_error);
  EXPECT_THROW(VariantToIntOrDefault(std::string(""), 1), std::runtime_error);
  EXPECT_THROW(VariantToIntOrDefault(std::int64_t{1} << 40, 1), std::runtime_error);
}

TEST(WaitPumping, DeadlineArithmeticWraps) {
  EXPECT_EQ(TicksRemaining(1500, 500), 1000u);
  EXPECT_EQ(TicksRemaining(500, 500), 0u);
  // GetTickCount() + ms wrapped past the top: the wait ends at once.
  const std::uint32_t now = 0xFFFFFF00u;
  EXPECT_EQ(TicksRemaining(now + 1000u, now), 0u);
}

}  // namespace
}  // namespace lmr
