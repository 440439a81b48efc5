#include "frontend/coordinate_parser.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string_view>

#include "tests/support/code_printing.hpp"

namespace velmora {
namespace {

struct ParseCase {
  CoordType type;
  std::string_view token;
  double expected;  // exact: every value below is computed by the same arithmetic the reader must use
};

constexpr double kBeyondIntDegrees = 2147483647.0;

const ParseCase kParseCases[] = {
    // DMS: sign on the degrees only, minutes and seconds keep their own signs.
    {CoordType::kDms, "-33 52 10.5", -((33 + 52 / 60.0) + 10.5 / 3600.0)},
    {CoordType::kDms, "151 12 30", (151 + 12 / 60.0) + 30 / 3600.0},
    {CoordType::kDms, "-0 30 0", -0.5},
    {CoordType::kDms, "0 30 0", 0.5},
    {CoordType::kDms, "+0 30 0", 0.5},
    {CoordType::kDms, "151 12.9 30", (151 + 12 / 60.0) + 30 / 3600.0},
    {CoordType::kDms, "-33 -52 10", -((33 + -52 / 60.0) + 10 / 3600.0)},
    {CoordType::kDms, "33 52 -10", (33 + 52 / 60.0) + -10 / 3600.0},
    {CoordType::kDms, "-33.9 52 10", -((33 + 52 / 60.0) + 10 / 3600.0)},
    {CoordType::kDms, "-33  52   10.5", -((33 + 52 / 60.0) + 10.5 / 3600.0)},
    {CoordType::kDms, "   -33 52 10.5   ", -((33 + 52 / 60.0) + 10.5 / 3600.0)},
    {CoordType::kDms, "-33 52 10.5 extra", -((33 + 52 / 60.0) + 10.5 / 3600.0)},
    {CoordType::kDms, "33 52", 0.0},
    {CoordType::kDms, "33\t52\t10", 0.0},
    {CoordType::kDms, "", 0.0},
    {CoordType::kDms, "\t-0 30 0", -0.5},
    {CoordType::kDms, "\n-12 0 36", -(12 + 36 / 3600.0)},
    {CoordType::kDms, "-33 52 10.5\n", -((33 + 52 / 60.0) + 10.5 / 3600.0)},
    {CoordType::kDms, "abc 30 0", 0.5},
    {CoordType::kDms, "-abc 30 0", -0.5},
    {CoordType::kDms, "99999999999 0 0", kBeyondIntDegrees},
    {CoordType::kDms, "-99999999999 0 0", -2147483648.0},
    // DM
    {CoordType::kDm, "-33 52.5", -33.875},
    {CoordType::kDm, "-0 30", -0.5},
    {CoordType::kDm, "151", 0.0},
    {CoordType::kDm, "151 15.5 junk", 151 + 15.5 / 60.0},
    {CoordType::kDm, "12.7 30", 12.5},
    {CoordType::kDm, "\t-0 30", -0.5},
    {CoordType::kDm, "-33 -30", -(33 + -30 / 60.0)},
    // DD and EN: the leading decimal number.
    {CoordType::kDd, "  -33.5abc", -33.5},
    {CoordType::kDd, "abc", 0.0},
    {CoordType::kDd, "151.25\n", 151.25},
    {CoordType::kEn, "334567.125\n", 334567.125},
    {CoordType::kEn, "-33 52 10", -33.0},
    {CoordType::kDd, "1e3", 1000.0},
    // Codes outside the table read nothing.
    {static_cast<CoordType>(4), "12.5", 0.0},
    {static_cast<CoordType>(-1), "12.5", 0.0},
};

TEST(ParseCoordinate, Table) {
  for (const ParseCase& c : kParseCases) {
    SCOPED_TRACE(::testing::Message() << "type " << c.type << " token '" << c.token << "'");
    EXPECT_EQ(parseCoordinate(c.type, c.token), c.expected);
  }
}

TEST(ParseCoordinate, MinusZeroDegreesGiveANegativeAngle) {
  EXPECT_TRUE(std::signbit(parseDms("-0 0 30")));
  EXPECT_LT(parseDm("-0 0.5"), 0.0);
  EXPECT_GT(parseDm("0 0.5"), 0.0);
}

TEST(ParseCoordinate, NotANumberPassesThroughWithoutTrap) {
  EXPECT_TRUE(std::isnan(parseDms("10 0 nan")));
  EXPECT_TRUE(std::isnan(parseDm("10 nan")));
  EXPECT_TRUE(std::isinf(parseCoordinate(CoordType::kDd, "1e400")));
}

}  // namespace
}  // namespace velmora
