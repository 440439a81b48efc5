#include "velmora/geodesy/ellipsoid.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace velmora {
namespace {

constexpr double kNotStored = std::numeric_limits<double>::quiet_NaN();

// Every constant the formulas read, digit for digit as the results in circulation were computed
// with. The records are built by expressions at compile time; a changed expression, a
// "corrected" rounded value or a swapped record shows here as an inequality. kNotStored marks a
// constant no formula reads from that record.
TEST(Ellipsoid, RecordsHoldTheConstantsResultsWereComputedWith) {
  // The GDA and NZGD2000 grids and the NZGD transformation keep this record beside them.
  constexpr Ellipsoid kGrs80FromRoundedAxes = ellipsoidFromSemiAxes(6378137.0, 6356752.3141);
  struct Row {
    const char* name;
    const Ellipsoid& record;
    double a;
    double b;
    double e2;
    double oneMinusE2;
    double e2TimesA;
    double oneMinusF;
  };
  const Row rows[] = {
      {"ANS", kAustralianNationalSpheroid, 6378160.0, kNotStored, 0.006694541854587637, 0.9933054581454124,
       42698.85907525668, 0.9966471081307627},
      {"GRS80", kGrs80Ellipsoid, 6378137.0, kNotStored, 0.006694380022900787, 0.9933056199770992,
       42697.67291612436, 0.9966471893188177},
      {"WGS84", kWgs84Ellipsoid, 6378137.0, kNotStored, 0.0066943799901413165, 0.9933056200098587,
       42697.67270717997, 0.9966471893352525},
      {"Clarke 1858", kClarke1858, 6378293.639, kNotStored, 0.00678514592115091, 0.9932148540788491,
       43277.653068563646, 0.996601652657093},
      {"GRS80 axes", kGrs80FromRoundedAxes, 6378137.0, 6356752.3141, 0.006694380035512838, kNotStored,
       kNotStored, kNotStored},
      {"WGS84 axes", kWgs84RoundedAxes, 6378137.0, 6356752.3142, 0.006694380004260827, kNotStored, kNotStored,
       kNotStored},
      {"International 1924", kInternational1924, 6378388.0, 6356911.946, 0.006722670062316669, kNotStored,
       kNotStored, kNotStored},
      {"ANS e2 12 places", kAustralianNationalSpheroidRoundedE2, 6378160.0, kNotStored, 0.006694541855,
       kNotStored, kNotStored, kNotStored},
      {"Clarke 1858 e2 12 places", kClarke1858RoundedE2, 6378293.639, kNotStored, 0.006785145922, kNotStored,
       kNotStored, kNotStored},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.record.semiMajorAxis, row.a) << row.name;
    EXPECT_EQ(row.record.eccentricitySquared, row.e2) << row.name;
    const auto expectStored = [&row](double actual, double expected) {
      if (!std::isnan(expected)) {
        EXPECT_EQ(actual, expected) << row.name;
      }
    };
    expectStored(row.record.semiMinorAxis, row.b);
    expectStored(row.record.oneMinusE2, row.oneMinusE2);
    expectStored(row.record.e2TimesA, row.e2TimesA);
    expectStored(row.record.oneMinusFlattening, row.oneMinusF);
    // Whatever the defining pair, the record describes one ellipsoid: (1 - f)^2 = 1 - e^2 and
    // b = a (1 - f), to the rounding of the defining values (e^2 to 12 places, b to 0.1 mm).
    const Ellipsoid& e = row.record;
    EXPECT_NEAR(e.oneMinusFlattening * e.oneMinusFlattening, e.oneMinusE2, 1e-12) << row.name;
    EXPECT_NEAR(e.semiMinorAxis, e.semiMajorAxis * e.oneMinusFlattening, 1e-6) << row.name;
  }
}

}  // namespace
}  // namespace velmora
