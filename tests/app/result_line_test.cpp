#include "velmora/app/result_line.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

namespace velmora {
namespace {

std::string printfLine(const char* format, double a, double b, double c) {
  std::string text(2048, '\0');
  const int n = std::snprintf(text.data(), text.size(), format, a, b, c);
  text.resize(static_cast<std::size_t>(n));
  return text;
}

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Values where a hand-made formatter goes wrong: exact binary ties, carries through every digit,
// negative values that round to zero, the extremes of the type, and no number at all.
const double kAwkwardValues[] = {
    0.0,
    -0.0,
    0.0005,
    0.0015,
    0.0025,
    -0.0004,
    -0.0005,
    0.125,
    0.375,
    2.5,
    999.9995,
    999.99949999,
    9.999999995,
    -33.999999995,
    1e-9,
    -1e-300,
    1e15,
    1e22,
    1.7976931348623157e308,
    -1.7976931348623157e308,
    4.9e-324,
    123456789.0125,
    kNan,
    -kNan,
    kInfinity,
    -kInfinity,
    151.21530543,
    -33.85676732,
    6252347.0935,
    0.00000000499,
};

TEST(ResultLine, SameBytesAsPrintf) {
  ResultLine line{};
  for (const double a : kAwkwardValues) {
    for (const double b : {-33.5, 0.0005, -0.0}) {
      SCOPED_TRACE(::testing::Message() << a << " " << b);
      EXPECT_EQ(enResultLine(a, b, a, line), printfLine("%.3lf,%.3lf,%.3lf\n", a, b, a));
      EXPECT_EQ(ddResultLine(a, b, a, line), printfLine("%.8lf,%.8lf,%.3lf\n", a, b, a));
      EXPECT_EQ(ddResultLine(b, a, b, line), printfLine("%.8lf,%.8lf,%.3lf\n", b, a, b));
    }
  }
}

TEST(ResultLine, SameBytesAsPrintfOnRandomValues) {
  std::mt19937_64 random(42);
  std::uniform_real_distribution<double> degrees(-180.0, 180.0);
  std::uniform_real_distribution<double> metres(-1.0e7, 1.0e7);
  std::uniform_int_distribution<std::uint64_t> bits;
  ResultLine line{};
  for (int k = 0; k < 100000; ++k) {
    const double lat = degrees(random);
    const double lon = degrees(random);
    const double h = metres(random);
    // Any bit pattern, too: subnormals, huge values, NaNs with payloads.
    const double raw = std::bit_cast<double>(bits(random));
    ASSERT_EQ(ddResultLine(lat, lon, h, line), printfLine("%.8lf,%.8lf,%.3lf\n", lat, lon, h));
    ASSERT_EQ(enResultLine(h, raw, lat, line), printfLine("%.3lf,%.3lf,%.3lf\n", h, raw, lat));
  }
}

// Exact binary ties at the printed precision (odd multiples of 2^-(decimals+1)), their neighbours one
// ulp away, and magnitudes around where the formatter changes method.
TEST(ResultLine, SameBytesAsPrintfAtTiesAndLimits) {
  std::mt19937_64 random(7);
  std::uniform_int_distribution<std::int64_t> whole(-100000000, 100000000);
  std::uniform_int_distribution<std::int64_t> odd(0, 1 << 20);
  ResultLine line{};
  for (int k = 0; k < 100000; ++k) {
    for (const int decimals : {3, 8}) {
      const double tie = static_cast<double>(whole(random) % (decimals == 3 ? 100000000 : 1000)) +
                         std::ldexp(static_cast<double>(2 * odd(random) + 1), -(decimals + 1) - 20 * (k % 2));
      for (const double v : {tie, std::nextafter(tie, kInfinity), std::nextafter(tie, -kInfinity)}) {
        ASSERT_EQ(ddResultLine(v, v, v, line), printfLine("%.8lf,%.8lf,%.3lf\n", v, v, v)) << v;
      }
    }
  }
  for (double v = 1e11; v < 1e17; v *= 1.0001) {
    ASSERT_EQ(enResultLine(v, -v, std::nextafter(v, 0.0), line),
              printfLine("%.3lf,%.3lf,%.3lf\n", v, -v, std::nextafter(v, 0.0)));
    ASSERT_EQ(ddResultLine(v / 1e5, -v / 1e5, v, line),
              printfLine("%.8lf,%.8lf,%.3lf\n", v / 1e5, -v / 1e5, v));
  }
}

TEST(ResultLine, AngleTexts) {
  ResultLine line{};
  EXPECT_EQ(angleResultLine("-33 52 10.5000", "151 12 30.0000", 12.5, kMetreDecimals, line),
            "-33 52 10.5000,151 12 30.0000,12.500\n");
  EXPECT_EQ(angleResultLine("-0 30.00000000", "0 15.00000000", -0.0004, kMetreDecimals, line),
            "-0 30.00000000,0 15.00000000,-0.000\n");
}

TEST(ResultLine, AppendFixedReportsTooLittleRoom) {
  char small[4];
  EXPECT_EQ(appendFixed(small, small + sizeof small, 12.5, 3), nullptr);
  EXPECT_EQ(appendFixed(nullptr, nullptr, 1.0, 3), nullptr);
}

}  // namespace
}  // namespace velmora
