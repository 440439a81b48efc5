#include "velmora/geodesy/transverse_mercator.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "velmora/geodesy/ellipsoid.hpp"
#include "velmora/geodesy/map_projection.hpp"
#include "tests/geodesy/projection_records.hpp"

namespace velmora {
namespace {

constexpr double kDegToRad = 0.017453292519943295;
constexpr double kMillimetre = 0.001;

double dms(double degrees, double minutes, double seconds) {
  const double magnitude = std::fabs(degrees) + minutes / 60.0 + seconds / 3600.0;
  return degrees < 0 ? -magnitude : magnitude;
}

const Ellipsoid& grs80() {
  return test::kGrs80RoundedAxes;
}

TEST(MeridianDistance, QuarterMeridianOfGrs80) {
  // Published length of the GRS80 quarter meridian, 10001965.7293 m. The stored e^2 differs from
  // the textbook one by 1.3e-11 and the series stops at e^6; together well under a millimetre.
  EXPECT_NEAR(meridianDistance(grs80(), M_PI / 2), 10001965.7293, kMillimetre);
  EXPECT_EQ(meridianDistance(grs80(), 0.0), 0.0);
  EXPECT_EQ(meridianDistance(grs80(), -0.6), -meridianDistance(grs80(), 0.6));
}

TEST(FootpointLatitude, InvertsTheMeridianArc) {
  for (const Ellipsoid& e : {kAustralianNationalSpheroidRoundedE2, test::kGrs80RoundedAxes,
                             kInternational1924, kClarke1858RoundedE2, kWgs84RoundedAxes}) {
    for (double degrees : {-89.5, -60.0, -37.5, -10.0, 0.0, 0.5, 25.0, 45.0, 80.0}) {
      const double phi = degrees * kDegToRad;
      const double arc = meridianDistance(e, phi);
      // After the pass that brings the residual under 1 m, the applied Newton step leaves an
      // error far below 1e-12 rad (6 micrometres on the ground).
      EXPECT_NEAR(footpointLatitude(e, arc), phi, 1e-12) << degrees;
    }
  }
}

// Inputs for which the iteration cannot converge: it must stop, whatever it returns.
TEST(FootpointLatitude, TerminatesOnInputsThatNeverConverge) {
  const Ellipsoid& e = grs80();
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_TRUE(std::isnan(footpointLatitude(e, std::numeric_limits<double>::quiet_NaN())));
  EXPECT_TRUE(std::isnan(footpointLatitude(e, inf)));
  EXPECT_TRUE(std::isnan(footpointLatitude(e, -inf)));
  // Arcs so long that their rounding alone exceeds the 1 m tolerance.
  for (double arc : {1e300, -1e300, 1e30, std::numeric_limits<double>::max()}) {
    (void)footpointLatitude(e, arc);
  }
  // The same through the reverse projection.
  const ProjectionParams p = test::gda94Grid(56);
  for (double northing : {std::numeric_limits<double>::quiet_NaN(), inf, -inf, 1e300, -1e300}) {
    (void)transverseMercatorReverse(p, GridPoint{500000.0, northing});
  }
  SUCCEED();
}

// A point on the central meridian has omega = 0 exactly, so the easting is the false easting and
// the northing the scaled meridian arc, to the last bit.
struct CentralMeridianCase {
  std::string name;
  ProjectionParams params;
  double longitude;
  double latitude;
  double falseEasting;  // in the grid's unit
  double falseNorthing;
  double arcFactor;  // k0, or metres-to-yards on the ANG grid
};

class CentralMeridian : public ::testing::TestWithParam<CentralMeridianCase> {};

TEST_P(CentralMeridian, ProjectsToTheFalseEastingExactly) {
  const CentralMeridianCase& c = GetParam();
  const ProjectionParams& p = c.params;
  const GridPoint grid = geographicToGrid(p, LatLon{c.latitude, c.longitude});
  EXPECT_EQ(grid.easting, c.falseEasting);
  EXPECT_EQ(grid.northing,
            c.falseNorthing + c.arcFactor * meridianDistance(p.ellipsoid, c.latitude * kDegToRad));
}

INSTANTIATE_TEST_SUITE_P(
    EveryKindOfTheFamily, CentralMeridian,
    ::testing::Values(
        CentralMeridianCase{"Gda94Zone56Sydney", test::gda94Grid(56), 153.0, -33.86, 500000, 10000000,
                            0.9996},
        CentralMeridianCase{"Gda94Zone56Tasman", test::gda94Grid(56), 153.0, -43.6, 500000, 10000000, 0.9996},
        CentralMeridianCase{"Gda94Zone56Coral", test::gda94Grid(56), 153.0, -10.0, 500000, 10000000, 0.9996},
        CentralMeridianCase{"Gda94North10Degrees", test::gda94Grid(56, false), 153.0, 10.0, 500000, 0,
                            0.9996},
        CentralMeridianCase{"Agd66Zone50", test::utmGrid(kAustralianNationalSpheroidRoundedE2, 50), 117.0,
                            -31.95, 500000, 10000000, 0.9996},
        CentralMeridianCase{"Gda94Zone0Greenwich", test::gda94Grid(0), 0.0, -20.0, 500000, 10000000, 0.9996},
        CentralMeridianCase{"Nzgd2000", test::nzgd2000Grid(), 173.0, -41.0, 1600000, 10000000, 0.9996},
        CentralMeridianCase{"IsgSubZone0", test::isgGrid(56, 0), 149.0, -35.0, 300000, 5000000, 0.99994},
        CentralMeridianCase{"IsgSubZone1", test::isgGrid(56, 1), 151.0, -33.0, 300000, 5000000, 0.99994},
        CentralMeridianCase{"AngYards", test::angGrid(), 111.0, -30.0, 400000, 4915813.467,
                            1.0936132983377078}),
    [](const ::testing::TestParamInfo<CentralMeridianCase>& info) { return info.param.name; });

TEST(TransverseMercatorReverse, FalseEastingGivesTheShortenedConstantLongitude) {
  // The reverse longitude goes through 57.295779514 rather than 180/pi, so a point on the
  // central meridian comes back 153 * 57.29577951308232 / 57.295779514 = 152.99999999754948.
  const ProjectionParams p = test::gda94Grid(56);
  for (double northing : {6250000.0, 8893091.0, 5000000.0}) {
    const LatLon point = gridToGeographic(p, GridPoint{500000.0, northing});
    EXPECT_EQ(point.longitude, 152.99999999754948);
    const double foot = footpointLatitude(p.ellipsoid, (northing - 10000000.0) / kUtmScaleFactor);
    EXPECT_EQ(point.latitude, foot / kDegToRad);
  }
}

// Worked examples published in the GDA technical manual (Redfearn's formulas, GDA94, zone 55),
// given to the millimetre.
TEST(TransverseMercatorForward, GdaTechnicalManualWorkedExamples) {
  struct Example {
    const char* station;
    double latitude;
    double longitude;
    double easting;
    double northing;
  };
  const Example examples[] = {
      {"Flinders Peak", dms(-37, 57, 3.7203), dms(144, 25, 29.5244), 273741.297, 5796489.777},
      {"Buninyong", dms(-37, 39, 10.1561), dms(143, 55, 35.3839), 228854.052, 5828259.038},
  };
  const ProjectionParams p = test::gda94Grid(55);
  for (const Example& ex : examples) {
    const GridPoint grid = geographicToGrid(p, LatLon{ex.latitude, ex.longitude});
    EXPECT_NEAR(grid.easting, ex.easting, kMillimetre) << ex.station;
    EXPECT_NEAR(grid.northing, ex.northing, kMillimetre) << ex.station;

    const LatLon back = gridToGeographic(p, grid);
    // Back to the station within 1e-9 degrees (0.1 mm); the reverse longitude carries the
    // shortened-constant offset of 2.4e-9 degrees, 0.2 mm at this latitude.
    EXPECT_NEAR(back.latitude, ex.latitude, 1e-9) << ex.station;
    EXPECT_NEAR(back.longitude, ex.longitude, 3e-9) << ex.station;
  }
}

// Independent derivation: the exact Transverse Mercator (Poder/Engsager series, accurate to a few
// nanometres) of PROJ 9.1 cs2cs, on the same a and e^2 and the same origins. Redfearn's series
// agree to well under a millimetre within 3 degrees of the central meridian, and to a few tenths
// of a millimetre at 5 degrees.
TEST(TransverseMercatorForward, AgreesWithTheExactTransverseMercator) {
  struct Reference {
    const char* name;
    ProjectionParams params;
    double longitude;
    double latitude;
    double easting;  // metres, yards on the ANG grid
    double northing;
  };
  const Reference references[] = {
      {"Gda94Zone56West", test::gda94Grid(56), 150.0, -34.0, 222908.7045, 6233785.2840},
      {"Gda94Zone56East", test::gda94Grid(56), 156.0, -10.0, 828928.7361, 8893091.1458},
      {"Gda94Zone56Sydney", test::gda94Grid(56), 151.2, -33.9, 333568.9410, 6247473.3369},
      {"Gda94Zone56Brisbane", test::gda94Grid(56), 154.5, -28.0, 647493.2747, 6901891.0949},
      {"IsgSubZone0", test::isgGrid(56, 0), 148.0, -35.0, 208715.3770, 1125169.1819},
      {"IsgSubZone1", test::isgGrid(56, 1), 151.9, -33.5, 383626.9300, 1291644.5950},
      {"AngCentral", test::angGrid(), 111.0, -30.0, 400000.0000, 1285093.0928},
      {"AngEast", test::angGrid(), 113.5, -25.0, 676066.6270, 1888450.3461},
      {"AngWest", test::angGrid(), 108.2, -20.0, 79450.3608, 2493808.5460},
      {"Nzgd2000Auckland", test::nzgd2000Grid(), 174.76, -36.85, 1756911.9449, 5920321.8182},
      {"Nzgd2000Invercargill", test::nzgd2000Grid(), 168.35, -46.6, 1243873.0491, 4828773.6956},
      {"Nzgd2000EastCape", test::nzgd2000Grid(), 177.9, -39.0, 2024407.9494, 5671787.0462},
  };
  for (const Reference& r : references) {
    const GridPoint grid = geographicToGrid(r.params, LatLon{r.latitude, r.longitude});
    EXPECT_NEAR(grid.easting, r.easting, kMillimetre) << r.name;
    EXPECT_NEAR(grid.northing, r.northing, kMillimetre) << r.name;
  }
}

TEST(TransverseMercatorReverse, AngGridWorksInYards) {
  // 1000 yd east of the false origin on the central meridian's footpoint is 914.4 m of true
  // easting; doubling the grid offset in yards doubles the longitude offset to first order.
  const ProjectionParams p = test::angGrid();
  const double offset1 = gridToGeographic(p, GridPoint{401000.0, 1285093.0928}).longitude - 111.0;
  const double offset2 = gridToGeographic(p, GridPoint{402000.0, 1285093.0928}).longitude - 111.0;
  EXPECT_NEAR(offset2 / offset1, 2.0, 1e-5);
  // 914.4 m along the parallel at 30 S on Clarke 1858 is about 0.0094796 degrees of longitude.
  const double nu = 6378293.639 / std::sqrt(1.0 - 0.006785145922 * 0.25);
  EXPECT_NEAR(offset1, 914.4 / (nu * std::cos(30.0 * kDegToRad)) / kDegToRad, 1e-6);
}

// Independent derivation: GeographicLib 2.1 `TransverseMercatorProj -l 153 -k 0.9996 -e 6378137
// 1/298.257222101 -p 10` (the exact projection) prints the convergence gamma and the scale k.
TEST(TransverseMercatorFactors, AgreeWithTheExactProjectionInTheZone) {
  struct Reference {
    LatLon point;
    double gamma;
    double k;
  };
  const Reference references[] = {
      {{-33.8, 148.2}, 2.6745997105964405, 1.0020366681154285},
      {{-12.5, 156.0}, -0.6498959766836568, 1.0009158205140758},
      {{-43.0, 151.5}, 1.0231239158998493, 0.9997838953617039},
      {{-28.0, 153.01}, -0.0046947156656056, 0.9996000119315455},
  };
  const ProjectionParams zone56{ProjectionKind::kTransverseMercator, kGrs80Ellipsoid, 56, 0, 500000.0, 10000000.0,
                                0.0};
  for (const Reference& r : references) {
    const GridFactors factors = transverseMercatorFactors(zone56, r.point);
    EXPECT_NEAR(factors.convergenceDeg, r.gamma, 0.001 / 3600.0) << r.point.latitude << " " << r.point.longitude;
    EXPECT_NEAR(factors.scale, r.k, 1e-9) << r.point.latitude << " " << r.point.longitude;
  }
}

}  // namespace
}  // namespace velmora
