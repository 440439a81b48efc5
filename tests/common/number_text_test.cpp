#include "common/number_text.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <string_view>

namespace velmora {
namespace {

// The readers must give what the C library's atof and atoi give on the same text (a terminated copy).
TEST(ReadDecimal, AgreesWithAtof) {
  const char* const cases[] = {
      "",
      "abc",
      "12.5",
      "  -33.5abc",
      "\t\n+7",
      "1e3",
      "1.5E-2x",
      "-0",
      ".5",
      "5.",
      "-.5e1",
      "0x1p4",
      "0x1.8",
      "inf",
      "-Infinity",
      "1e",
      "1e+",
      "--1",
      "+-1",
      "151.2\n",
      "151.2\r\n",
      "12,5",
      "1 2",
      "- 1",
      "1_000",
      "3.25(",
      "1e400",
      "-1e400",
      "4.9e-330",
      "0000000000000000000000000001.25",
      // Fifteen digits and one more: the last that a single division reads exactly, and the first that
      // it does not.
      "999999999999999",
      "9999999999999999",
      "0.000000000000001",
      "-123456789.123456",
      "1.2.3",
      "-",
  };
  for (const char* text : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(readDecimal(text), std::atof(text));
  }
}

TEST(ReadDecimal, AgreesWithAtofOnRandomNumbers) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> value(-1.0e7, 1.0e7);
  std::uniform_int_distribution<int> digits(0, 20);
  char text[64];
  for (int k = 0; k < 100000; ++k) {
    std::snprintf(text, sizeof text, k % 2 == 0 ? "%.*f" : "%.*e", digits(random), value(random));
    ASSERT_EQ(readDecimal(text), std::atof(text)) << text;
  }
}

TEST(ReadDecimal, NegativeZeroKeepsItsSign) {
  for (const char* text : {"-0", "-0.000", "-.0", "-0e3"})
    EXPECT_TRUE(std::signbit(readDecimal(text))) << text;
}

TEST(ReadDecimal, NanAndStopsAtEndOfView) {
  EXPECT_TRUE(std::isnan(readDecimal("nan")));
  EXPECT_TRUE(std::isnan(readDecimal(" nan(123)x")));
  // A view that ends inside a longer text reads only its own characters.
  const std::string text = "12345";
  EXPECT_EQ(readDecimal(std::string_view(text).substr(0, 2)), 12.0);
  // A NUL inside the view ends the number as it would end a C string.
  EXPECT_EQ(readDecimal(std::string_view("7\0"
                                         "8",
                                         3)),
            7.0);
}

TEST(ReadDecimal, EmptyAndNullViewsReadAsZero) {
  EXPECT_EQ(readDecimal(std::string_view{}), 0.0);  // data() is null: nothing may be copied from it
  EXPECT_EQ(readDecimal(std::string_view("x", 0)), 0.0);
  EXPECT_EQ(readWholeNumber(std::string_view{}), 0);
}

TEST(ReadDecimal, VeryLongNumberIsReadWhole) {
  const std::string text = "0." + std::string(300, '0') + "1e301";
  EXPECT_EQ(readDecimal(text), std::atof(text.c_str()));
  EXPECT_DOUBLE_EQ(readDecimal(text), 1.0);
}

TEST(ReadWholeNumber, AgreesWithAtoiInsideIntRange) {
  const char* const cases[] = {"",    "abc", "52.9", "55abc", "  -7", "+3",  "\t12",       "-0",
                               "--1", "+-2", "0x10", "1e3",   "007",  "- 5", "2147483647", "-2147483648"};
  for (const char* text : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(readWholeNumber(text), std::atoi(text));
  }
}

TEST(ReadWholeNumber, SaturatesBeyondIntRange) {
  struct Case {
    const char* text;
    int expected;
  };
  const Case cases[] = {
      {"2147483648", INT_MAX},
      {"-2147483649", INT_MIN},
      {"99999999999999999999999999", INT_MAX},
      {"-99999999999999999999999999abc", INT_MIN},
      {"000000000000000000000000000042", 42},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(readWholeNumber(c.text), c.expected);
  }
}

// Whole texts only; an accepted text reads exactly as readDecimal reads it.
TEST(ReadExactDecimal, AcceptsOnlyOneWholeFiniteDecimal) {
  const char* const accepted[] = {"12.5",   " -33.5\r\n", "\t+7",          ".5",
                                  "5.",     "-0",         "1e3",           "1.5E-2",
                                  "-.5e+1", "4.9e-330",   "0000000001.25", "999999999999999999"};
  for (const char* text : accepted) {
    SCOPED_TRACE(text);
    const std::optional<double> value = readExactDecimal(text);
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(std::bit_cast<std::uint64_t>(*value), std::bit_cast<std::uint64_t>(readDecimal(text)));
  }
  const char* const refused[] = {"",     " ",     ".",   "-",     "+",     "1e",     "1e+",     "e5",
                                 "0x10", "0x1p4", "inf", "nan",   "1e400", "-1e400", "12.5abc", "1 2",
                                 "12,5", "--1",   "+-1", "1.2.3", "1. 5",  "- 1",    ".e1"};
  for (const char* text : refused) EXPECT_FALSE(readExactDecimal(text).has_value()) << text;
}

TEST(ReadExactInteger, AcceptsOnlyOneWholeInteger) {
  struct Case {
    const char* text;
    std::optional<long long> expected;
  };
  const Case cases[] = {
      {"42", 42},
      {" -7\r\n", -7},
      {"+3", 3},
      {"-0", 0},
      {"9223372036854775807", LLONG_MAX},
      {"-9223372036854775808", LLONG_MIN},
      {"9223372036854775808", std::nullopt},
      {"-9223372036854775809", std::nullopt},
      {"", std::nullopt},
      {"+", std::nullopt},
      {"-", std::nullopt},
      {"+-1", std::nullopt},
      {"1.0", std::nullopt},
      {"1e3", std::nullopt},
      {"0x10", std::nullopt},
      {"12 3", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(readExactInteger(c.text), c.expected) << c.text;
}

TEST(TrimLeadingSpace, RemovesEveryAsciiSpaceKind) {
  EXPECT_EQ(trimLeadingSpace(" \t\n\v\f\r-0 x"), "-0 x");
  EXPECT_EQ(trimLeadingSpace("   "), "");
  EXPECT_EQ(trimLeadingSpace("a "), "a ");
  EXPECT_EQ(trimSpace("\r\n a b\t\r\n"), "a b");
  EXPECT_EQ(trimSpace(" \t "), "");
}

// Grid files and command lines write "." whatever the locale: every path of the reader, the
// strtod one for signs, hexadecimal and overflow included, must read it under a comma locale.
TEST(ReadDecimal, PointIsTheDecimalPointUnderACommaLocale) {
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
    GTEST_SKIP() << "locale de_DE.UTF-8 is not installed (tools/install-deps generates it)";
  }
  struct Case {
    const char* text;
    double value;
  };
  const Case cases[] = {{"1.5", 1.5},   {"+1.5", 1.5},       {"-0.25x", -0.25}, {"0x1.8p1", 3.0},
                        {"+.5e1", 5.0}, {"1e999", HUGE_VAL}, {"1,5", 1.0}};
  for (const Case& c : cases) EXPECT_EQ(readDecimal(c.text), c.value) << c.text;
  std::setlocale(LC_ALL, "C");
}

}  // namespace
}  // namespace velmora
