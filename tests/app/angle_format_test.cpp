#include "velmora/app/angle_format.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

namespace velmora {
namespace {

constexpr bool kLatitude = true;
constexpr bool kLongitude = false;
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

struct AngleCase {
  double angle;
  bool isLatitude;
  const char* dms;
  const char* dm;
};

const AngleCase kAngleCases[] = {
    {-((33 + 52 / 60.0) + 10.5 / 3600.0), kLatitude, "-33 52 10.5000", "-33 52.17500000"},
    {(151 + 12 / 60.0) + 30 / 3600.0, kLongitude, "151 12 30.0000", "151 12.50000000"},
    {-0.5, kLatitude, "-0 30 0.0000", "-0 30.00000000"},
    {0.5, kLatitude, "0 30 0.0000", "0 30.00000000"},
    {0.0, kLatitude, "0 0 0.0000", "0 0.00000000"},
    {-0.0, kLatitude, "0 0 0.0000", "0 0.00000000"},
    // No carry: seconds that round to 60 stay 60, decimal minutes that round to 60 stay 60.
    {-(34 - 1e-8), kLatitude, "-33 59 60.0000", "-33 59.99999940"},
    {-(34 - 1e-11), kLatitude, "-33 59 60.0000", "-33 60.00000000"},
    {151.99999999999, kLongitude, "151 59 60.0000", "151 60.00000000"},
    // Range test on the truncated degrees.
    {90.5, kLatitude, "90 30 0.0000", "90 30.00000000"},
    {-90.5, kLatitude, "-90 30 0.0000", "-90 30.00000000"},
    {91.5, kLatitude, "0 0 0.0000", "0 0.00000000"},
    {-91.5, kLatitude, "-0 0 0.0000", "-0 0.00000000"},
    {91.5, kLongitude, "91 30 0.0000", "91 30.00000000"},
    {-180.9, kLongitude, "-180 54 0.0000", "-180 54.00000000"},
    {180.25, kLongitude, "180 15 0.0000", "180 15.00000000"},
    {181.0, kLongitude, "0 0 0.0000", "0 0.00000000"},
    {-181.0, kLongitude, "-0 0 0.0000", "-0 0.00000000"},
    // Values no int can hold, and no number at all, take the same path as any out-of-range angle.
    {1e300, kLatitude, "0 0 0.0000", "0 0.00000000"},
    {-1e300, kLongitude, "-0 0 0.0000", "-0 0.00000000"},
    {kInfinity, kLongitude, "0 0 0.0000", "0 0.00000000"},
    {-kInfinity, kLatitude, "-0 0 0.0000", "-0 0.00000000"},
    {kNan, kLatitude, "0 0 0.0000", "0 0.00000000"},
    {-kNan, kLongitude, "0 0 0.0000", "0 0.00000000"},
};

TEST(AngleFormat, DmsAndDmTable) {
  for (const AngleCase& c : kAngleCases) {
    SCOPED_TRACE(::testing::Message() << "angle " << c.angle << (c.isLatitude ? " latitude" : " longitude"));
    EXPECT_EQ(formatDms(c.angle, c.isLatitude), c.dms);
    EXPECT_EQ(formatDm(c.angle, c.isLatitude), c.dm);
  }
}

TEST(AngleFormat, DegreePartsKeepMinutesAndSecondsNonNegative) {
  const DegreeParts parts = formatDegreeParts(-(12 + 34 / 60.0 + 56.789 / 3600.0), kLatitude);
  EXPECT_EQ(parts.degreeText(), "-12");
  EXPECT_EQ(parts.minutes, 34);
  EXPECT_NEAR(parts.seconds, 56.789, 1e-9);  // arc-seconds; only the binary fraction is lost

  const DegreeParts outside = formatDegreeParts(-95.75, kLatitude);
  EXPECT_EQ(outside.degreeText(), "-0");
  EXPECT_EQ(outside.minutes, 0);
  EXPECT_EQ(outside.seconds, 0.0);
}

// The texts are the printf formats "%s %d %.4f" and "%s %.8f" of the degree parts.
TEST(AngleFormat, SameTextAsPrintfOfTheParts) {
  std::mt19937_64 random(3);
  std::uniform_real_distribution<double> angle(-200.0, 200.0);
  char expected[128];
  for (int k = 0; k < 100000; ++k) {
    const double value = k % 3 == 0 ? std::round(angle(random) * 3600.0) / 3600.0 : angle(random);
    const bool isLatitude = k % 2 == 0;
    const DegreeParts parts = formatDegreeParts(value, isLatitude);
    std::snprintf(expected, sizeof expected, "%s %d %.4f", parts.degreeText().c_str(), parts.minutes,
                  parts.seconds);
    ASSERT_EQ(formatDms(value, isLatitude), expected) << value;
    std::snprintf(expected, sizeof expected, "%s %.8f", parts.degreeText().c_str(),
                  parts.seconds / 60.0 + parts.minutes);
    ASSERT_EQ(formatDm(value, isLatitude), expected) << value;
  }
}

TEST(AngleFormat, ReusedTextIsReplacedWhole) {
  std::string text = "a much longer previous content than any angle text";
  formatDms(-0.5, kLatitude, text);
  EXPECT_EQ(text, "-0 30 0.0000");
  formatDm(151.25, kLongitude, text);
  EXPECT_EQ(text, "151 15.00000000");
}

TEST(AngleFormat, FormsAndDecimalsCarryingARoundedUnit) {
  struct Case {
    double angle;
    bool isLatitude;
    bool dms;
    AngleTextOptions options;
    const char* text;
  };
  const Case cases[] = {
      {-33.856767, kLatitude, true, {std::nullopt, DmsForm::kHemisphere}, "33 51 24.3612 S"},
      {151.215297, kLongitude, true, {std::nullopt, DmsForm::kSymbols}, "151\u00b012'55.0692\"E"},
      {-151.215297, kLongitude, false, {std::nullopt, DmsForm::kSymbols}, "151\u00b012.91782000'W"},
      {-0.5, kLatitude, true, {std::nullopt, DmsForm::kHemisphere}, "0 30 0.0000 S"},
      {0.0, kLongitude, true, {std::nullopt, DmsForm::kHemisphere}, "0 0 0.0000 E"},
      // Without decimals the plain text keeps its 60; with them the unit carries, up to the degrees.
      {-33.99999999, kLatitude, true, {std::nullopt, DmsForm::kPlain}, "-33 59 60.0000"},
      {-33.99999999, kLatitude, true, {4, DmsForm::kPlain}, "-34 0 0.0000"},
      {-0.99999999, kLatitude, true, {2, DmsForm::kHemisphere}, "1 0 0.00 S"},
      {-33.9999999999, kLatitude, false, {3, DmsForm::kPlain}, "-34 0.000"},
      {33.5083, kLatitude, true, {0, DmsForm::kPlain}, "33 30 30"},
      {33.5, kLatitude, true, {12, DmsForm::kPlain}, "33 30 0.000000000000"},
      {151.25, kLongitude, false, {1, DmsForm::kPlain}, "151 15.0"},
  };
  std::string text;
  for (const Case& c : cases) {
    if (c.dms) {
      formatDms(c.angle, c.isLatitude, c.options, text);
    } else {
      formatDm(c.angle, c.isLatitude, c.options, text);
    }
    EXPECT_EQ(text, c.text) << c.angle;
  }
}

// With decimals, every text reads back within half a unit of its last decimal.
TEST(AngleFormat, DecimalsReadBackWithinTheirRounding) {
  std::mt19937_64 random(5);
  std::uniform_real_distribution<double> angle(-179.9, 179.9);
  for (int k = 0; k < 20000; ++k) {
    const double value = angle(random);
    const int decimals = k % 6;
    std::string text;
    formatDms(value, kLongitude, AngleTextOptions{decimals, DmsForm::kPlain}, text);
    int degrees = 0;
    int minutes = 0;
    double seconds = 0.0;
    ASSERT_EQ(std::sscanf(text.c_str(), "%d %d %lf", &degrees, &minutes, &seconds), 3) << text;
    ASSERT_LT(minutes, 60) << text;
    ASSERT_LT(seconds, 60.0) << text;
    const double magnitude = std::abs(degrees) + minutes / 60.0 + seconds / 3600.0;
    const double back = text.front() == '-' ? -magnitude : magnitude;
    ASSERT_NEAR(back * 3600.0, value * 3600.0, 0.5 * std::pow(10.0, -decimals) + 1e-9) << text;
  }
}

}  // namespace
}  // namespace velmora
