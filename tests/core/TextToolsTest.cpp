#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "core/TextTools.h"
#include "platform/Convert.h"

namespace vorn {
namespace {

TEST(NextToken, CutsAtTheFirstTabSpaceOrCommaAndDropsOneSeparator) {
  std::string_view s = "a  b";
  EXPECT_EQ(NextToken(s), "a");
  EXPECT_EQ(s, " b");
  EXPECT_EQ(NextToken(s), "");
  EXPECT_EQ(s, "b");
  EXPECT_EQ(NextToken(s), "b");
  EXPECT_EQ(s, "");
  std::string_view t = "x\ty,z";
  EXPECT_EQ(NextToken(t), "x");
  EXPECT_EQ(NextToken(t), "y");
  EXPECT_EQ(t, "z");
}

TEST(FetchUntil, SplitsAtTheSeparator) {
  std::string_view s = "key: value: more";
  EXPECT_EQ(FetchUntil(": ", s), "key");
  EXPECT_EQ(s, "value: more");
  std::string_view t = "nothing";
  EXPECT_EQ(FetchUntil(":", t), "nothing");
  EXPECT_EQ(t, "");
}

TEST(PosNoCase, FindsIgnoringAsciiCase) {
  EXPECT_EQ(PosNoCase("lut_3d_size", "  LUT_3D_SIZE 17"), 3u);
  EXPECT_EQ(PosNoCase("# WIDTH", "# width 17"), 1u);
  EXPECT_EQ(PosNoCase("absent", "LUT_3D_SIZE"), 0u);
  EXPECT_EQ(PosNoCase("", "abc"), 0u);
  EXPECT_EQ(PosNoCase("abcd", "abc"), 0u);
}

TEST(Trim, RemovesBlanksAndControlCharacters) {
  EXPECT_EQ(Trim(" \t\r x y \x01"), "x y");
  EXPECT_EQ(Trim("   "), "");
}

TEST(ParseFloatTriple, AcceptsSpacesTabsCommasAndBlankRuns) {
  double a = 0, b = 0, c = 0;
  EXPECT_TRUE(ParseFloatTriple("0.1 0.2 0.3", a, b, c));
  EXPECT_EQ(a, 0.1);
  EXPECT_EQ(b, 0.2);
  EXPECT_EQ(c, 0.3);
  EXPECT_TRUE(ParseFloatTriple("1,2,3", a, b, c));
  EXPECT_EQ(c, 3.0);
  EXPECT_TRUE(ParseFloatTriple("1\t2\t3", a, b, c));
  EXPECT_TRUE(ParseFloatTriple("   -1e-2    2.5     +3.   ", a, b, c));
  EXPECT_EQ(a, -0.01);
  EXPECT_EQ(b, 2.5);
  EXPECT_EQ(c, 3.0);
}

TEST(ParseFloatTriple, RefusesTwoFourOrUnreadableValues) {
  double a = 0, b = 0, c = 0;
  for (const char* bad : {"", "1 2", "1 2 3 4", "1 , 2 3", "TITLE \"x\"", "DOMAIN_MIN 0 0 0",
                          "1 2 nan", "1 2 3 # note", "a b c", "1 inf 2"}) {
    EXPECT_FALSE(ParseFloatTriple(bad, a, b, c)) << bad;
  }
}

TEST(ParseFloatTriple, UsesAPointWhateverTheLocale) {
  std::string saved = std::setlocale(LC_ALL, nullptr);
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "fr_FR.UTF-8")) {
    GTEST_SKIP() << "no locale with a comma as decimal separator is installed";
  }
  double a = 0, b = 0, c = 0;
  EXPECT_TRUE(ParseFloatTriple("0.5 0.25 0.125", a, b, c));
  EXPECT_EQ(b, 0.25);
  EXPECT_EQ(FormatFixed(2, 0.5), "0.50");
  std::setlocale(LC_ALL, saved.c_str());
}

TEST(LooksLikeValueLine, NumbersAndNumberWordsDoKeywordsCommentsAndBlanksDoNot) {
  for (const char* line : {"0 0 0", "  1e400 0 0", "nan 0 0", "-INF 0 0", "+Infinity,1,2",
                           "0.5 0.5", "1 2 3 4", ".5 .5 .5", "-.5", "7", "1.#INF 0 0", "\t3\t4"}) {
    EXPECT_TRUE(LooksLikeValueLine(line)) << line;
  }
  for (const char* line : {"", "   ", "# 0 0 0", "LUT_3D_SIZE 2", "TITLE \"x\"", "DOMAIN_MIN 0 0 0",
                           "nanometer 1 2", "info 1", "-", ".", "+.", "- 1 2 3", "e5 0 0"}) {
    EXPECT_FALSE(LooksLikeValueLine(line)) << line;
  }
}

TEST(ParseIntTriple, SkipsTheIndexColumnAndScales) {
  double a = 0, b = 0, c = 0;
  EXPECT_TRUE(ParseIntTriple("5 100 200 300", 1000, true, a, b, c));
  EXPECT_DOUBLE_EQ(a, 0.1);
  EXPECT_DOUBLE_EQ(b, 0.2);
  EXPECT_DOUBLE_EQ(c, 0.3);
  EXPECT_TRUE(ParseIntTriple("1023,0,512", 1023, false, a, b, c));
  EXPECT_EQ(a, 1.0);
  EXPECT_EQ(b, 0.0);
  EXPECT_EQ(c, 512.0 / 1023);
}

TEST(ParseIntTriple, RefusesFourValuesCommentsAndReals) {
  double a = 0, b = 0, c = 0;
  for (const char* bad : {"1 2 3 4", "1 2 3 #x", "1 2", "1.0 2 3", "1 , 2 3", "99999999999 1 2"}) {
    EXPECT_FALSE(ParseIntTriple(bad, 1, false, a, b, c)) << bad;
  }
}

// Lines of the usual shape (blanks between codes) and their neighbours that are not.
TEST(ParseIntTriple, BlanksSignsAndTheIntegerRange) {
  struct TCase {
    const char* Line;
    bool SkipFirst;
    bool Parses;
    double A, B, C;
  };
  const TCase cases[] = {
      {"  12\t 34  -56 \r", false, true, 12, 34, -56},
      {"+1 2 3", false, true, 1, 2, 3},
      {"-2147483648 2147483647 0", false, true, -2147483648.0, 2147483647, 0},
      {"2147483648 0 0", false, false, 0, 0, 0},
      {"1 2 3,", false, false, 0, 0, 0},
      {"1 2 - 3", false, false, 0, 0, 0},
      {"1 2\v3", false, false, 0, 0, 0},
      {"7\t0\t4095\t65535", true, true, 0, 4095, 65535},
      {"idx 1 2 3", true, true, 1, 2, 3},
      {"7,1 2 3", true, true, 1, 2, 3},
      {"7\t,1 2 3", true, false, 0, 0, 0},
      {"7", true, false, 0, 0, 0},
  };
  for (const TCase& c : cases) {
    double a = -1, b = -1, d = -1;
    EXPECT_EQ(ParseIntTriple(c.Line, 1, c.SkipFirst, a, b, d), c.Parses) << c.Line;
    if (!c.Parses) continue;
    EXPECT_EQ(a, c.A) << c.Line;
    EXPECT_EQ(b, c.B) << c.Line;
    EXPECT_EQ(d, c.C) << c.Line;
  }
}

TEST(FormatScaledInt, ClampsScalesAndRoundsHalfToEven) {
  EXPECT_EQ(FormatScaledInt(10, 1.0), "1023");
  EXPECT_EQ(FormatScaledInt(10, 0.5), "512");
  EXPECT_EQ(FormatScaledInt(10, -0.2), "0");
  EXPECT_EQ(FormatScaledInt(10, 1.7), "1023");
  EXPECT_EQ(FormatScaledInt(12, 1.0), "4095");
  EXPECT_EQ(FormatScaledInt(16, 0.0), "0");
  EXPECT_EQ(FormatScaledInt(0, 0.7), "0");
  EXPECT_EQ(FormatScaledInt(16, std::nan("")), "0");
  EXPECT_EQ(FormatScaledInt(1, 0.25), "0");  // 0.25 x 1 = 0.25
  EXPECT_EQ(FormatScaledInt(2, 0.5), "2");   // 1.5 goes to 2
}

TEST(FormatFixed, PrintsExactlyTheDecimals) {
  EXPECT_EQ(FormatFixed(6, 0.5), "0.500000");
  EXPECT_EQ(FormatFixed(10, 1.0 / 3.0), "0.3333333333");
  EXPECT_EQ(FormatFixed(6, 0.0), "0.000000");
  EXPECT_EQ(FormatFixed(6, 1.0), "1.000000");
  EXPECT_EQ(FormatFixed(6, -0.25), "-0.250000");
  EXPECT_EQ(FormatFixed(6, 123.456), "123.456000");
  EXPECT_EQ(FormatFixed(0, 2.5), "3");
  EXPECT_EQ(FormatFixed(2, 1e20), "100000000000000000000.00");
  EXPECT_EQ(FormatFixed(3, 0.0625), "0.063");  // a half goes away from zero
  EXPECT_EQ(FormatFixed(3, -0.0625), "-0.063");
}

TEST(FormatFixed, RoundsTheFifteenDigitValueHalfAwayFromZero) {
  EXPECT_EQ(FormatFixed(6, 0.0000005), "0.000001");  // printf gives 0.000000
  EXPECT_EQ(FormatFixed(6, 0.0000004999), "0.000000");
  EXPECT_EQ(FormatFixed(6, 0.9999995), "1.000000");
  EXPECT_EQ(FormatFixed(6, 2.0000005), "2.000001");
  EXPECT_EQ(FormatFixed(6, 999999.9999995), "1000000.000000");
  // 1.0000000000000002 has 17 digits: rounded to 15 it is 1.
  EXPECT_EQ(FormatFixed(17, 1.0000000000000002), "1.00000000000000000");
}

TEST(FormatFixed, ValuesThatPrintAsZeroHaveNoSign) {
  EXPECT_EQ(FormatFixed(6, -0.0), "0.000000");
  EXPECT_EQ(FormatFixed(6, -0.0000001), "0.000000");
  EXPECT_EQ(FormatFixed(6, -0.0000005), "-0.000001");
}

TEST(FormatFixed, AgreesWithPrintfAwayFromHalfwayCases) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> values(-4.0, 4.0);
  char expected[64];
  for (int i = 0; i < 20000; ++i) {
    double v = values(random);
    std::snprintf(expected, sizeof expected, "%.6f", v);
    // Skip the rare values whose 7th digit onwards sit at a half; printf rounds the binary
    // value, FormatFixed the 15-digit decimal.
    double scaled = std::fabs(v) * 1e6;
    if (std::fabs(scaled - std::floor(scaled) - 0.5) < 1e-6) continue;
    if (std::string(expected) == "-0.000000") continue;
    ASSERT_EQ(FormatFixed(6, v), expected) << v;
  }
}

TEST(FormatFixed, SpecialValues) {
  EXPECT_EQ(FormatFixed(6, std::numeric_limits<double>::infinity()), "INF");
  EXPECT_EQ(FormatFixed(6, -std::numeric_limits<double>::infinity()), "-INF");
  EXPECT_EQ(FormatFixed(6, std::nan("")), "NAN");
  std::string huge = FormatFixed(6, std::numeric_limits<double>::max());
  EXPECT_EQ(huge.size(), 309u + 7u);
  EXPECT_LE(huge.size(), FormatFixedMaxLength(6));
}

}  // namespace
}  // namespace vorn

namespace vorn {
namespace {

// Values that lie on a half at the sixth decimal once rounded to 15 digits: the half goes
// away from zero although the binary value may lie just below it.
TEST(FormatFixed, DecimalHalvesRoundAwayFromZero) {
  std::mt19937_64 random(11);
  std::uniform_int_distribution<std::int64_t> units(0, 999999999);
  for (int i = 0; i < 20000; ++i) {
    const std::int64_t u = units(random);
    const double value = (static_cast<double>(u) + 0.5) / 1e6;
    const std::int64_t up = u + 1;
    std::string digits = std::to_string(up % 1000000);
    std::string expected = std::to_string(up / 1000000);
    expected.push_back('.');
    expected.append(6 - digits.size(), '0');
    expected.append(digits);
    ASSERT_EQ(FormatFixed(6, value), expected) << u;
    ASSERT_EQ(FormatFixed(6, -value), "-" + expected) << u;
  }
}

// Every decimal text of up to 15 significant digits comes back as the same text.
TEST(FormatFixed, ReproducesShortDecimalsExactly) {
  std::mt19937_64 random(5);
  for (int decimals : {0, 1, 3, 6, 9, 12}) {
    std::uniform_int_distribution<std::int64_t> units(0, 999999999999999 / 10);
    for (int i = 0; i < 5000; ++i) {
      const std::int64_t u = units(random);
      const std::int64_t scale = static_cast<std::int64_t>(std::pow(10, decimals));
      std::string text = std::to_string(u / scale);
      if (decimals > 0) {
        std::string fraction = std::to_string(u % scale);
        text.push_back('.');
        text.append(static_cast<std::size_t>(decimals) - fraction.size(), '0');
        text.append(fraction);
      }
      double parsed = std::strtod(text.c_str(), nullptr);
      ASSERT_EQ(FormatFixed(decimals, parsed), text) << text;
    }
  }
}

// The one-pass reader of plain value lines must agree with the general token walk.
TEST(ParseFloatTriple, PlainAndGeneralNumbersReadAlike) {
  std::mt19937_64 random(9);
  std::uniform_real_distribution<double> values(-3.0, 3.0);
  char line[128];
  for (int i = 0; i < 20000; ++i) {
    double a = values(random), b = values(random) * 1e-5, c = values(random) * 1e7;
    std::snprintf(line, sizeof line, "%.17g %.6f\t%.12f", a, b, c);
    double x = 0, y = 0, z = 0;
    ASSERT_TRUE(ParseFloatTriple(line, x, y, z)) << line;
    char* end = line;
    EXPECT_EQ(x, std::strtod(end, &end)) << line;
    EXPECT_EQ(y, std::strtod(end, &end)) << line;
    EXPECT_EQ(z, std::strtod(end, &end)) << line;
  }
  double x = 0, y = 0, z = 0;
  ASSERT_TRUE(ParseFloatTriple("0.30000000000000004 12345678901234567 9007199254740993", x, y, z));
  EXPECT_EQ(x, 0.30000000000000004);
  EXPECT_EQ(y, 12345678901234567.0);
  EXPECT_EQ(z, 9007199254740992.0);  // beyond 2^53, correctly rounded
}

// Fractions of every length, at every place on the line and on short lines, where the
// reader takes eight digits at a time or the last eight bytes of the line.
TEST(ParseFloatTriple, FractionsOfEveryLengthReadAsStrtodReadsThem) {
  const std::string digits = "12345678901234567890123";
  for (std::size_t length = 0; length <= 22; ++length) {
    const std::string value = "0." + digits.substr(0, length);
    for (int place = 0; place < 3; ++place) {
      std::string words[3] = {"1", "2", "3"};
      words[place] = value;
      const std::string line = words[0] + " " + words[1] + " " + words[2];
      double v[3] = {};
      ASSERT_EQ(ParseFloatTriple(line, v[0], v[1], v[2]), true) << line;
      EXPECT_EQ(v[place], std::strtod(value.c_str(), nullptr)) << line;
    }
  }
  double x = 0, y = 0, z = 0;
  for (const char* line : {"1 2 .5", ".5,.5,.5", "0 0 0", "9 9 9.99999999"}) {
    ASSERT_TRUE(ParseFloatTriple(line, x, y, z)) << line;
  }
  EXPECT_EQ(z, 9.99999999);
  EXPECT_FALSE(ParseFloatTriple("1 2 .", x, y, z));
  EXPECT_FALSE(ParseFloatTriple("1 2 3.4.5", x, y, z));
  EXPECT_FALSE(ParseFloatTriple("1 2 0.5x", x, y, z));
}

// The value std::from_chars reads from a whole token after an optional sign, the grammar
// of a value on a line (a digit or a point first, no words); nothing for anything else.
std::optional<double> FromChars(std::string_view token) {
  const bool negative = token.starts_with('-');
  if (negative || token.starts_with('+')) token.remove_prefix(1);
  if (token.empty() || !(std::isdigit(static_cast<unsigned char>(token[0])) || token[0] == '.')) {
    return std::nullopt;
  }
  double value = 0;
  const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
  if (error != std::errc() || end != token.data() + token.size()) return std::nullopt;
  return negative ? -value : value;
}

// The number at each place of a line reads bit for bit as one token alone does
// (TryStrToFloat: std::from_chars, and numbers too small to hold read as zero or a subnormal),
// and is refused where that refuses it.
void ExpectReadAsAToken(const std::string& number) {
  double expected = 0;
  const bool valid = TryStrToFloat(number, expected);
  for (int place = 0; place < 3; ++place) {
    std::string words[3] = {"0.5", "-1", "2"};
    words[place] = number;
    const std::string line = words[0] + " " + words[1] + "\t" + words[2];
    double v[3] = {};
    ASSERT_EQ(ParseFloatTriple(line, v[0], v[1], v[2]), valid) << line;
    if (valid) {
      ASSERT_EQ(std::bit_cast<std::uint64_t>(v[place]), std::bit_cast<std::uint64_t>(expected))
          << line;
    }
  }
}

TEST(ParseFloatTriple, HardNumbersReadAsFromChars) {
  const char* numbers[] = {
      // halfway between two doubles, and one past it
      "9007199254740993", "9007199254740995", "9007199254740993.0000000001", "4503599627370496.5",
      "4503599627370497.5", "0.1", "0.30000000000000004",
      "1.00000000000000011102230246251565404236316680908203125",
      "1.0000000000000001110223024625156540423631668090820312", "2.5e-1",
      // 16 to 20 and very many digits
      "1234567890123456", "12345678901234567", "123456789012345678", "18446744073709551616",
      "0.12345678901234567", "9.999999999999999", "99999999999999999999999999",
      "3.14159265358979323846264338327950288419716939937510582097494459",
      "0.000000000000000000000000000000000000000000000000000000000000000000001",
      // exponents, at and past the powers of ten a double holds exactly
      "1e22", "1e23", "1e-22", "1e-23", "9007199254740992e22", "9007199254740993e-22",
      "123456789e-30", "1.5E3", "1.5e+3", "-2.5e-3", "1e0005", "1e00005", "7e-0", "0e999",
      "1.7976931348623157e308", "1.7976931348623159e308", "1e309", "1e400", "1e-400",
      // subnormals and the smallest normal
      "4.9406564584124654e-324", "2.4703282292062328e-324", "2.4703282292062327e-324",
      "2.2250738585072011e-308", "2.2250738585072014e-308", "1e-310",
      // leading and trailing zeros, signs, points
      "000000000000000000000000001.5", "0.000000", "1.000000", "00.5", "1.", ".5", "+1", "-0",
      "-0.0", "+.5", "-.5e1", "0.0000001", "0.00000001", "9.9999999", "9.99999999", "-9.1234567",
      // refused
      "1e", "1e+", "1e-", "1.5e", "e5", ".", "-", "+", "+-1", "--1", "..5", "1..2", "1.2.3", ".e1",
      "nan", "-nan", "inf", "-inf", "infinity", "0x10", "0x1p3", "1_0", "1e5x", "0.5f", "1,5",
      "\x80", "5\x80"};
  for (const char* number : numbers) ExpectReadAsAToken(number);
}

// A million numbers of random shapes against std::from_chars: signs, leading zeros, up to
// twenty decimals, exponents on both sides of the exact powers.
TEST(ParseFloatTriple, RandomNumbersReadAsFromChars) {
  std::mt19937_64 random(20261209);
  auto below = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  auto digits = [&](int count, std::string& text) {
    for (int i = 0; i < count; ++i) text.push_back(static_cast<char>('0' + below(10)));
  };
  auto number = [&] {
    std::string text;
    if (const int sign = below(4); sign < 2) text.push_back(sign == 0 ? '-' : '+');
    const int whole = below(5);
    digits(whole, text);
    if (whole == 0 || below(8) != 0) {
      text.push_back('.');
      digits(whole == 0 ? 1 + below(20) : below(21), text);
    }
    if (below(5) == 0) {
      text.push_back(below(2) == 0 ? 'e' : 'E');
      if (const int sign = below(3); sign < 2) text.push_back(sign == 0 ? '-' : '+');
      text += std::to_string(below(60));
    }
    return text;
  };
  for (int line = 0; line < 333334; ++line) {
    const std::string words[3] = {number(), number(), number()};
    const std::string text = words[0] + " " + words[1] + "," + words[2];
    double v[3] = {};
    ASSERT_TRUE(ParseFloatTriple(text, v[0], v[1], v[2])) << text;
    for (int i = 0; i < 3; ++i) {
      const std::optional<double> expected = FromChars(words[i]);
      ASSERT_TRUE(expected.has_value()) << words[i];
      ASSERT_EQ(std::bit_cast<std::uint64_t>(v[i]), std::bit_cast<std::uint64_t>(*expected))
          << text;
    }
  }
}

// Where the one walk over a line ends and what it takes as blanks and separators.
TEST(ParseFloatTriple, LineShapesAroundTheNumbers) {
  struct TCase {
    std::string Line;
    bool Parses;
  };
  const TCase cases[] = {
      {"0.5 0.25 0.125", true},
      {"\t 0.5\t0.25 ,0.125", false},
      {"0.5, 0.25,\t0.125 \r", true},
      {std::string("0.5 0.25 0.125\0", 15), true},
      {std::string("0.5 \0 0.25 0.125", 16), true},
      {std::string("0.5\0 0.25 0.125", 15), true},
      {"\x01 0.5 0.25 0.125 \x1f", true},
      {"0.5 0.25 0.125 \x7f", false},
      {"0.5 0.25 0.125e", false},
      {"0.5 0.25 0.125.", false},
      {"0.5;0.25;0.125", false},
      {"0.5 0.25 0.125 0", false},
      {std::string(200, ' ') + "0.5 0.25 0.125" + std::string(200, '\t'), true},
      {"0.50000000000000000000000000000000000000000000000000 0.25 0.125", true},
  };
  for (const TCase& c : cases) {
    double a = 0, b = 0, d = 0;
    ASSERT_EQ(ParseFloatTriple(c.Line, a, b, d), c.Parses) << c.Line;
    if (!c.Parses) continue;
    EXPECT_EQ(a, 0.5) << c.Line;
    EXPECT_EQ(b, 0.25) << c.Line;
    EXPECT_EQ(d, 0.125) << c.Line;
  }
}

// Lines of three numbers of one digit and equal decimals, blank apart, as grid writers print
// them, and the same lines with one byte changed, inserted or removed: each reads as its
// three blank-separated words read alone, and is refused where any of them is.
TEST(ParseFloatTriple, UsualGridLinesAndTheirNeighboursReadAsTheirWords) {
  std::mt19937_64 random(20261210);
  auto below = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
  const std::string changes = "0479-+.e \tx\x80";
  for (int round = 0; round < 200000; ++round) {
    const std::size_t decimals = 1 + below(10);
    std::string line;
    for (int word = 0; word < 3; ++word) {
      if (word > 0) line.push_back(below(4) == 0 ? '\t' : ' ');
      line.push_back(static_cast<char>('0' + below(10)));
      line.push_back('.');
      for (std::size_t d = 0; d < decimals; ++d) line.push_back(static_cast<char>('0' + below(10)));
    }
    const char change = changes[below(changes.size())];
    switch (below(4)) {
      case 1:
        line[below(line.size())] = change;
        break;
      case 2:
        line.insert(below(line.size() + 1), 1, change);
        break;
      case 3:
        line.erase(below(line.size()), 1);
        break;
      default:
        break;
    }
    std::vector<std::string> words;
    for (std::size_t at = 0; at < line.size();) {
      const std::size_t end = std::min(line.find_first_of(" \t", at), line.size());
      if (end > at) words.push_back(line.substr(at, end - at));
      at = end + 1;
    }
    double expected[3] = {};
    const bool valid = words.size() == 3 && TryStrToFloat(words[0], expected[0]) &&
                       TryStrToFloat(words[1], expected[1]) && TryStrToFloat(words[2], expected[2]);
    double v[3] = {};
    ASSERT_EQ(ParseFloatTriple(line, v[0], v[1], v[2]), valid) << line;
    for (int i = 0; valid && i < 3; ++i) {
      ASSERT_EQ(std::bit_cast<std::uint64_t>(v[i]), std::bit_cast<std::uint64_t>(expected[i]))
          << line;
    }
  }
}

// The writers' quick path and the 15-digit path print every value alike.
TEST(FormatFixed, QuickAndRoundedPathsAgree) {
  std::mt19937_64 random(3);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  char quick[FormatFixedMaxLength(9)];
  char rounded[FormatFixedMaxLength(9)];
  for (int i = 0; i < 100000; ++i) {
    const double value = unit(random) * std::pow(10.0, static_cast<int>(random() % 12) - 3);
    for (int decimals = 0; decimals <= 9; ++decimals) {
      const std::string a(quick, FormatFixedTo(quick, decimals, value));
      const std::string b(rounded, FormatFixedRounded(rounded, decimals, value));
      ASSERT_EQ(a, b) << value << " " << decimals;
    }
  }
}

}  // namespace
}  // namespace vorn
