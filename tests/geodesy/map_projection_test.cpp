#include "velmora/geodesy/map_projection.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "velmora/geodesy/nz_map_grid.hpp"
#include "velmora/geodesy/transverse_mercator.hpp"
#include "tests/geodesy/projection_records.hpp"

namespace velmora {
namespace {

constexpr double kDegToRad = 0.017453292519943295;
constexpr double kMetresPerDegree = 111320.0;  // generous: turns degree differences into ground metres

double groundMetres(double dLat, double dLon, double latitude) {
  return std::hypot(dLat * kMetresPerDegree, dLon * kMetresPerDegree * std::cos(latitude * kDegToRad));
}

struct RoundTripCase {
  std::string name;
  ProjectionParams params;
  double centralLongitude;
  double halfWidthDeg;  // longitudes tried on either side of the central one
  double southLatitude;
  double northLatitude;
};

class ForwardThenReverse : public ::testing::TestWithParam<RoundTripCase> {};

// Forward then reverse must return the point to far better than a millimetre across the zone.
// The Transverse Mercator family comes back about 2.4e-9 degrees west (0.2 mm), the documented
// effect of the shortened 57.295779514 in the reverse longitude; the series themselves agree to
// a few micrometres.
TEST_P(ForwardThenReverse, ReturnsThePoint) {
  const RoundTripCase& c = GetParam();
  const ProjectionParams& p = c.params;
  for (double latitude = c.southLatitude; latitude <= c.northLatitude; latitude += 1.0) {
    for (double dLon = -c.halfWidthDeg; dLon <= c.halfWidthDeg; dLon += c.halfWidthDeg / 4.0) {
      const double longitude = c.centralLongitude + dLon;
      const LatLon back = gridToGeographic(p, geographicToGrid(p, LatLon{latitude, longitude}));
      EXPECT_LT(groundMetres(back.latitude - latitude, back.longitude - longitude, latitude), 0.0005)
          << latitude << " " << longitude;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    EveryProjectionKind, ForwardThenReverse,
    ::testing::Values(RoundTripCase{"Gda94Zone56", test::gda94Grid(56), 153.0, 3.0, -44.0, -9.0},
                      RoundTripCase{"Agd66Zone50", test::utmGrid(kAustralianNationalSpheroidRoundedE2, 50),
                                    117.0, 3.0, -36.0, -13.0},
                      RoundTripCase{"Wgs84Zone55North", test::utmGrid(kWgs84RoundedAxes, 55), 147.0, 3.0, 1.0,
                                    20.0},
                      RoundTripCase{"IsgSubZone1", test::isgGrid(55, 1), 145.0, 1.0, -38.0, -28.0},
                      RoundTripCase{"AngGrid", test::angGrid(), 111.0, 3.0, -35.0, -13.0},
                      RoundTripCase{"NzMapGrid", test::nzMapGridRecord(), 172.5, 6.0, -47.0, -34.0},
                      RoundTripCase{"Nzgd2000", test::nzgd2000Grid(), 173.0, 5.0, -47.0, -34.0}),
    [](const ::testing::TestParamInfo<RoundTripCase>& info) { return info.param.name; });

TEST(MapProjection, NorthernHemisphereUsesAFalseNorthingOfZero) {
  const GridPoint grid = geographicToGrid(test::gda94Grid(56, false), LatLon{10.0, 153.0});
  EXPECT_NEAR(grid.northing, 1105000.0, 2000.0);  // 0.9996 * 1105.9 km of meridian arc
}

// Each kind reaches its own formulas, bit for bit; any other kind passes the numbers through.
TEST(MapProjection, DispatchesOnTheKind) {
  const LatLon point{-36.85, 174.76};
  const GridPoint grid{1756911.9449, 5920321.8182};
  for (const ProjectionParams& p : {test::nzgd2000Grid(), test::isgGrid(60, 1), test::angGrid()}) {
    const GridPoint forward = geographicToGrid(p, point);
    EXPECT_EQ(forward.easting, transverseMercatorForward(p, point).easting);
    EXPECT_EQ(forward.northing, transverseMercatorForward(p, point).northing);
    const LatLon reverse = gridToGeographic(p, grid);
    EXPECT_EQ(reverse.latitude, transverseMercatorReverse(p, grid).latitude);
    EXPECT_EQ(reverse.longitude, transverseMercatorReverse(p, grid).longitude);
  }
  const ProjectionParams nz = test::nzMapGridRecord();
  EXPECT_EQ(geographicToGrid(nz, point).easting, nzMapGridForward(point).easting);
  EXPECT_EQ(geographicToGrid(nz, point).northing, nzMapGridForward(point).northing);
  EXPECT_EQ(gridToGeographic(nz, grid).latitude, nzMapGridReverse(grid).latitude);
  EXPECT_EQ(gridToGeographic(nz, grid).longitude, nzMapGridReverse(grid).longitude);

  ProjectionParams unknown = test::gda94Grid(56);
  unknown.kind = static_cast<ProjectionKind>(7);
  EXPECT_EQ(geographicToGrid(unknown, point).easting, point.longitude);
  EXPECT_EQ(geographicToGrid(unknown, point).northing, point.latitude);
  EXPECT_EQ(gridToGeographic(unknown, grid).latitude, grid.northing);
  EXPECT_EQ(gridToGeographic(unknown, grid).longitude, grid.easting);
}

// sqrt(rho nu) is b on the equator (rho = a (1 - e^2), nu = a) and a^2 / b at the poles (rho = nu
// = a / sqrt(1 - e^2)): the two ends of the radius any height reduction divides by.
TEST(GaussianMeanRadius, IsTheMinorAxisOnTheEquatorAndASquaredOverBAtThePoles) {
  constexpr double kToleranceM = 1e-6;
  const Ellipsoid& grs80 = kGrs80Ellipsoid;
  const double b = grs80.semiMajorAxis * std::sqrt(grs80.oneMinusE2);
  EXPECT_NEAR(gaussianMeanRadius(grs80, 0.0), b, kToleranceM);
  EXPECT_NEAR(gaussianMeanRadius(grs80, -90.0), grs80.semiMajorAxis * grs80.semiMajorAxis / b, kToleranceM);
  EXPECT_NEAR(gaussianMeanRadius(grs80, 90.0), gaussianMeanRadius(grs80, -90.0), kToleranceM);
  // GRS80 at 33.856767 S: 6369987.937 m (rho and nu computed apart).
  EXPECT_NEAR(gaussianMeanRadius(grs80, -33.856767), 6369987.936841231, kToleranceM);
}

TEST(MapProjection, FactorsDispatchByKind) {
  const LatLon point{-41.29, 174.78};
  const ProjectionParams nz = test::nzMapGridRecord();
  EXPECT_EQ(gridFactors(nz, point).convergenceDeg, nzMapGridFactors(point).convergenceDeg);
  const ProjectionParams tm = test::gda94Grid(60);
  EXPECT_EQ(gridFactors(tm, point).scale, transverseMercatorFactors(tm, point).scale);
  ProjectionParams unknown = tm;
  unknown.kind = static_cast<ProjectionKind>(7);
  EXPECT_EQ(gridFactors(unknown, point).convergenceDeg, 0.0);
  EXPECT_EQ(gridFactors(unknown, point).scale, 1.0);
}

}  // namespace
}  // namespace velmora
