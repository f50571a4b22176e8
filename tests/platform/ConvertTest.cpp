#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

#include "platform/Convert.h"
#include "platform/Exception.h"

namespace vorn {
namespace {

TEST(StrToInt, AcceptsSignsDigitsAndLeadingBlanks) {
  EXPECT_EQ(StrToInt("17"), 17);
  EXPECT_EQ(StrToInt("  33"), 33);
  EXPECT_EQ(StrToInt("+5"), 5);
  EXPECT_EQ(StrToInt("-12"), -12);
  EXPECT_EQ(StrToInt("2147483647"), 2147483647);
  EXPECT_EQ(StrToInt("-2147483648"), std::numeric_limits<std::int32_t>::min());
}

TEST(StrToInt, RefusesTrailingTextBlanksAndOverflowWithTheSystemWording) {
  for (const char* bad : {"", " ", "17 ", "17x", "1.5", "+", "-", "2147483648", "-2147483649",
                          "99999999999999999999", "0x10", "1 7"}) {
    std::int32_t value = 0;
    EXPECT_FALSE(TryStrToInt(bad, value)) << bad;
  }
  try {
    StrToInt("17 17");
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'17 17' is not a valid integer value");
  }
}

TEST(StrToFloat, AcceptsTheForms) {
  EXPECT_EQ(StrToFloat("0.5"), 0.5);
  EXPECT_EQ(StrToFloat(".5"), 0.5);
  EXPECT_EQ(StrToFloat("5."), 5.0);
  EXPECT_EQ(StrToFloat("+0.25"), 0.25);
  EXPECT_EQ(StrToFloat("-0.25"), -0.25);
  EXPECT_EQ(StrToFloat("1e-3"), 0.001);
  EXPECT_EQ(StrToFloat("1E+2"), 100.0);
  EXPECT_EQ(StrToFloat("0.1"), 0.1);  // correctly rounded
}

TEST(StrToFloat, RefusesWordsCommasAndPartialTokens) {
  for (const char* bad : {"", "inf", "-inf", "nan", "infinity", "NaN", "0,5", "1e", "+-1", "--1",
                          "1.2.3", ".", "0x1p3", " 1", "1 ", "e5", "1e400", "-1e400"}) {
    double value = 0;
    EXPECT_FALSE(TryStrToFloat(bad, value)) << bad;
  }
  try {
    StrToFloat("abc");
    FAIL() << "no error";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'abc' is not a valid floating point value");
  }
}

TEST(StrToFloat, NumbersTooSmallForADoubleBecomeZero) {
  EXPECT_EQ(StrToFloat("1e-400"), 0.0);
  EXPECT_EQ(StrToFloat("-1e-400"), 0.0);
  EXPECT_TRUE(std::signbit(StrToFloat("-1e-400")));
  EXPECT_EQ(StrToFloat("4.9406564584124654e-324"), 4.9406564584124654e-324);
  EXPECT_EQ(StrToFloat("2e-310"), 2e-310);
}

TEST(StrToFloat, IgnoresTheRegionalDecimalSeparator) {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  std::string saved = previous ? previous : "C";
  if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "fr_FR.UTF-8")) {
    GTEST_SKIP() << "no locale with a comma as decimal separator is installed";
  }
  EXPECT_EQ(StrToFloat("0.75"), 0.75);
  double value = 0;
  EXPECT_FALSE(TryStrToFloat("0,75", value));
  std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(RoundHalfEven, RoundsHalvesToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(0.5), 0);
  EXPECT_EQ(RoundHalfEven(1.5), 2);
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(-0.5), 0);
  EXPECT_EQ(RoundHalfEven(-1.5), -2);
  EXPECT_EQ(RoundHalfEven(511.5), 512);
  EXPECT_EQ(RoundHalfEven(2047.5), 2048);
  EXPECT_EQ(RoundHalfEven(2.4999), 2);
  EXPECT_EQ(RoundHalfEven(std::nan("")), 0);
  EXPECT_EQ(RoundHalfEven(1e300), std::numeric_limits<std::int64_t>::max());
}

}  // namespace
}  // namespace vorn
