#include "velmora/app/coordinate_parser.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>

#include "tests/support/code_printing.hpp"

namespace velmora {
namespace {

using Problem = CoordinateProblem;
constexpr CoordType kDms = CoordType::kDms;
constexpr CoordType kDm = CoordType::kDm;
constexpr CoordType kDd = CoordType::kDd;
constexpr CoordType kEn = CoordType::kEn;
constexpr CoordinateRole kLat = CoordinateRole::kLatitude;
constexpr CoordinateRole kLon = CoordinateRole::kLongitude;
constexpr CoordinateRole kEast = CoordinateRole::kEasting;

struct ParseCase {
  CoordType type;
  CoordinateRole role;
  std::string_view token;
  double expected;  // compared bit for bit: computed by the same arithmetic the reader must use
  Problem problem;
};

// The formula of both readings, written out: equal groups must give the same double.
constexpr double dms(double sign, int degrees, int minutes, double seconds) {
  return sign * ((degrees + minutes / 60.0) + seconds / 3600.0);
}
constexpr double dm(double sign, int degrees, double minutes) {
  return sign * (degrees + minutes / 60.0);
}

constexpr double kSydneyLatitude = dms(-1, 33, 51, 24.408);
constexpr double kSydneyLongitude = dms(1, 151, 12, 55.08);
constexpr double kBeyondIntDegrees = 2147483647.0;

const ParseCase kParseCases[] = {
    // DMS, plain: sign on the degrees only, minutes and seconds keep their own signs.
    {kDms, kLat, "-33 52 10.5", dms(-1, 33, 52, 10.5), Problem::kNone},
    {kDms, kLon, "151 12 30", dms(1, 151, 12, 30), Problem::kNone},
    {kDms, kLat, "-0 30 0", -0.5, Problem::kNone},
    {kDms, kLat, "-0 0 0", -0.0, Problem::kNone},
    {kDms, kLat, "0 30 0", 0.5, Problem::kNone},
    {kDms, kLat, "+0 30 0", 0.5, Problem::kNone},
    {kDms, kLon, "151 12.9 30", dms(1, 151, 12, 30), Problem::kMalformedAngle},
    {kDms, kLat, "-33 -52 10", -((33 + -52 / 60.0) + 10 / 3600.0), Problem::kOutOfRange},
    {kDms, kLat, "33 52 -10", (33 + 52 / 60.0) + -10 / 3600.0, Problem::kOutOfRange},
    {kDms, kLat, "33 60 0", dms(1, 33, 60, 0), Problem::kOutOfRange},
    {kDms, kLat, "90 0 0.5", dms(1, 90, 0, 0.5), Problem::kOutOfRange},
    {kDms, kLon, "-180 0 0", -180.0, Problem::kNone},
    {kDms, kLat, "-33.9 52 10", dms(-1, 33, 52, 10), Problem::kMalformedAngle},
    {kDms, kLat, "-33  52   10.5", dms(-1, 33, 52, 10.5), Problem::kNone},
    {kDms, kLat, "   -33 52 10.5   ", dms(-1, 33, 52, 10.5), Problem::kNone},
    {kDms, kLat, "-33 52 10.5 extra", dms(-1, 33, 52, 10.5), Problem::kMalformedAngle},
    {kDms, kLat, "33 52", 0.0, Problem::kMalformedAngle},
    {kDms, kLat, "", 0.0, Problem::kMalformedAngle},
    {kDms, kLat, "\t-0 30 0", -0.5, Problem::kNone},
    {kDms, kLat, "\n-12 0 36", dms(-1, 12, 0, 36), Problem::kNone},
    {kDms, kLat, "-33 52 10.5\r\n", dms(-1, 33, 52, 10.5), Problem::kNone},
    {kDms, kLat, "-33 52 1.05e1", dms(-1, 33, 52, 10.5), Problem::kNone},
    {kDms, kLat, "33 52 1e1S", dms(1, 33, 52, 10), Problem::kMalformedAngle},
    {kDms, kLat, "abc 30 0", 0.5, Problem::kMalformedAngle},
    {kDms, kLat, "-abc 30 0", -0.5, Problem::kMalformedAngle},
    {kDms, kLat, "99999999999 0 0", kBeyondIntDegrees, Problem::kOutOfRange},
    {kDms, kLat, "-99999999999 0 0", -2147483648.0, Problem::kOutOfRange},
    // DMS, marked: hemisphere letters set the sign; the same groups give the same double.
    {kDms, kLat, "33°51'24.408\"S", kSydneyLatitude, Problem::kNone},
    {kDms, kLat, "S33°51'24.408\"", kSydneyLatitude, Problem::kNone},
    {kDms, kLat, "s 33 51 24.408", kSydneyLatitude, Problem::kNone},
    {kDms, kLat, "-33:51:24.408", kSydneyLatitude, Problem::kNone},
    {kDms, kLat, "33 51 24.408s", -kSydneyLatitude, Problem::kNone},  // s right after the seconds: the unit
    {kDms, kLat, "33:51:24.408sS", kSydneyLatitude, Problem::kNone},
    {kDms, kLat, "33 51 24.408 s", kSydneyLatitude, Problem::kNone},
    {kDms, kLat, "33\t51\t24.408", -kSydneyLatitude, Problem::kNone},
    {kDms, kLat, "33° 51' 24.408\" S\r\n", kSydneyLatitude, Problem::kNone},
    {kDms, kLat, "33º51′24.408″S", kSydneyLatitude, Problem::kNone},
    {kDms, kLat, "33°51’24.408''S", kSydneyLatitude, Problem::kNone},
    {kDms, kLat, "33d51m24.408s", -kSydneyLatitude, Problem::kNone},
    {kDms, kLat, "33D51M24.408sS", kSydneyLatitude, Problem::kNone},
    {kDms, kLat, "-33 51 24.408 S", kSydneyLatitude, Problem::kNone},
    {kDms, kLat, "-33 51 24.408 N", kSydneyLatitude, Problem::kMinusWithHemisphere},
    {kDms, kLat, "-0:30:0N", -0.5, Problem::kMinusWithHemisphere},
    {kDms, kLat, "33°51'24.408\"E", -kSydneyLatitude, Problem::kWrongHemisphere},
    {kDms, kLon, "151d12m55.08sE", kSydneyLongitude, Problem::kNone},
    {kDms, kLon, "151 12 55.08 E", kSydneyLongitude, Problem::kNone},
    {kDms, kLon, "w151 12 55.08", -kSydneyLongitude, Problem::kNone},
    {kDms, kLon, "151 12 55.08 S", -kSydneyLongitude, Problem::kWrongHemisphere},
    {kDms, kLat, "33°51'60\"S", dms(-1, 33, 51, 60), Problem::kOutOfRange},
    {kDms, kLat, "91°0'0\"N", 91.0, Problem::kOutOfRange},
    // Marked text that fits no form keeps the plain value.
    {kDms, kLat, "S33 51 24.408 N", dms(1, 0, 51, 24.408), Problem::kMalformedAngle},
    {kDms, kLat, "33°51'24.408'S", 0.0, Problem::kMalformedAngle},
    {kDms, kLat, "33.5°51'24\"S", 0.0, Problem::kMalformedAngle},
    {kDms, kLat, "33'51°24\"S", 0.0, Problem::kMalformedAngle},
    {kDms, kLat, "33 51 24.408 ss", dms(1, 33, 51, 24.408), Problem::kMalformedAngle},
    // DM
    {kDm, kLat, "-33 52.5", -33.875, Problem::kNone},
    {kDm, kLat, "-0 30", -0.5, Problem::kNone},
    {kDm, kLon, "151", 0.0, Problem::kMalformedAngle},
    {kDm, kLon, "151 15.5 junk", dm(1, 151, 15.5), Problem::kMalformedAngle},
    {kDm, kLat, "12.7 30", 12.5, Problem::kMalformedAngle},
    {kDm, kLat, "\t-0 30", -0.5, Problem::kNone},
    {kDm, kLat, "-33 -30", -(33 + -30 / 60.0), Problem::kOutOfRange},
    {kDm, kLat, "33 51.4068 S", dm(-1, 33, 51.4068), Problem::kNone},
    {kDm, kLat, "33°51.4068'S", dm(-1, 33, 51.4068), Problem::kNone},
    {kDm, kLat, "33 51.4068S", dm(-1, 33, 51.4068), Problem::kNone},
    {kDm, kLon, "E151d12.918m", dm(1, 151, 12.918), Problem::kNone},
    {kDm, kLat, "33 60.0 S", dm(-1, 33, 60.0), Problem::kOutOfRange},
    // DD and EN: the leading decimal number; the check wants the whole text to be one.
    {kDd, kLat, "  -33.5abc", -33.5, Problem::kNotANumber},
    {kDd, kLat, "abc", 0.0, Problem::kNotANumber},
    {kDd, kLon, "151.25\n", 151.25, Problem::kNone},
    {kDd, kLon, "-180", -180.0, Problem::kNone},
    {kDd, kLon, "180.5", 180.5, Problem::kOutOfRange},
    {kDd, kLat, "1e3", 1000.0, Problem::kOutOfRange},
    {kEn, kEast, "334567.125\n", 334567.125, Problem::kNone},
    {kEn, kEast, "-33 52 10", -33.0, Problem::kNotANumber},
    {kEn, kLat, "6250000", 6250000.0, Problem::kNone},
    // Codes outside the table read nothing.
    {static_cast<CoordType>(4), kLat, "12.5", 0.0, Problem::kNotANumber},
    {static_cast<CoordType>(-1), kLat, "12.5", 0.0, Problem::kNotANumber},
};

TEST(ParseCoordinate, Table) {
  for (const ParseCase& c : kParseCases) {
    SCOPED_TRACE(::testing::Message() << "type " << c.type << " role " << static_cast<int>(c.role)
                                      << " token '" << c.token << "'");
    const ParsedCoordinate checked = checkCoordinate(c.type, c.role, c.token);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(checked.value), std::bit_cast<std::uint64_t>(c.expected))
        << checked.value << " expected " << c.expected;
    EXPECT_EQ(static_cast<int>(checked.problem), static_cast<int>(c.problem));
    EXPECT_EQ(std::bit_cast<std::uint64_t>(parseCoordinate(c.type, c.token)),
              std::bit_cast<std::uint64_t>(checked.value));
  }
}

// Text of digits, spaces, signs, points and exponents holds no hemisphere or mark: whatever it is,
// whole or not, it must keep the value of the split readers bit for bit.
TEST(ParseCoordinate, PlainTextKeepsTheSplitReadersValues) {
  std::mt19937 random(11);
  constexpr std::string_view kAlphabet = "0123456789000111  -+.ex";
  std::uniform_int_distribution<std::size_t> pick(0, kAlphabet.size() - 1);
  std::uniform_int_distribution<int> length(0, 16);
  std::string text;
  for (int k = 0; k < 200000; ++k) {
    text.clear();
    for (int n = length(random); n > 0; --n) text.push_back(kAlphabet[pick(random)]);
    const std::size_t first = text.find_first_not_of(' ');
    const std::size_t last = text.find_last_not_of(' ');
    if (first != std::string::npos && (text[first] == 'e' || text[last] == 'e'))
      continue;  // a hemisphere letter
    ASSERT_EQ(std::bit_cast<std::uint64_t>(parseCoordinate(kDms, text)),
              std::bit_cast<std::uint64_t>(parseDms(text)))
        << "'" << text << "'";
    ASSERT_EQ(std::bit_cast<std::uint64_t>(parseCoordinate(kDm, text)),
              std::bit_cast<std::uint64_t>(parseDm(text)))
        << "'" << text << "'";
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
  EXPECT_EQ(checkCoordinate(kDms, kLat, "10 0 nan").problem, Problem::kMalformedAngle);
  EXPECT_EQ(checkCoordinate(kDd, kLat, "inf").problem, Problem::kNotANumber);
  EXPECT_EQ(checkCoordinate(kDd, kLat, "1e400").problem, Problem::kNotANumber);
}

TEST(ProblemText, NamesEveryProblemForEveryTypeAndRole) {
  for (const CoordType type : {kEn, kDms, kDm, kDd}) {
    for (const CoordinateRole role : {kLat, kLon, kEast, CoordinateRole::kNorthing}) {
      EXPECT_TRUE(problemText(Problem::kNone, type, role).empty());
      for (const Problem problem : {Problem::kNotANumber, Problem::kMalformedAngle, Problem::kOutOfRange,
                                    Problem::kMinusWithHemisphere, Problem::kWrongHemisphere}) {
        EXPECT_FALSE(problemText(problem, type, role).empty()) << static_cast<int>(problem);
      }
    }
  }
}

// The pair every front end reads: the roles by coordinate type, the first problem of the two.
TEST(CoordinatePairs, RolesAndTheFirstProblem) {
  struct Case {
    CoordType type;
    std::string_view first;
    std::string_view second;
    CoordinateProblem problem;
    std::size_t index;
    CoordinateRole role;
  };
  const Case cases[] = {
      {CoordType::kEn, "334901.009", "north", CoordinateProblem::kNotANumber, 1, CoordinateRole::kNorthing},
      {CoordType::kDd, "-91", "200", CoordinateProblem::kOutOfRange, 0, CoordinateRole::kLatitude},
      {CoordType::kDms, "33 51 24.408 S", "151 12 55.08 N", CoordinateProblem::kWrongHemisphere, 1,
       CoordinateRole::kLongitude},
  };
  for (const Case& c : cases) {
    const CoordinatePair pair = readCoordinates(c.type, c.first, c.second);
    EXPECT_EQ(pair.problem, c.problem) << c.first;
    EXPECT_EQ(pair.problemIndex, c.index) << c.first;
    EXPECT_EQ(pair.problemRole, c.role) << c.first;
  }
  const CoordinatePair good = readCoordinates(CoordType::kDms, "33 51 24.408 S", "151 12 55.08 E");
  EXPECT_EQ(good.problem, CoordinateProblem::kNone);
  EXPECT_NEAR(good.values[0], -33.85678, 1e-12);
  EXPECT_NEAR(good.values[1], 151.2153, 1e-12);
}

}  // namespace
}  // namespace velmora
