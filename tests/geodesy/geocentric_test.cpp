#include "velmora/geodesy/geocentric.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace velmora {
namespace {

TEST(GeographicToGeocentric, AxesOfTheEllipsoid) {
  const double a = kGrs80Ellipsoid.semiMajorAxis;
  const Geocentric equator = geographicToGeocentric(0.0, 0.0, 100.0, kGrs80Ellipsoid);
  EXPECT_DOUBLE_EQ(equator.x, a + 100.0);
  EXPECT_NEAR(equator.y, 0.0, 1e-9);
  EXPECT_NEAR(equator.z, 0.0, 1e-9);

  const Geocentric east = geographicToGeocentric(0.0, 90.0, 0.0, kGrs80Ellipsoid);
  EXPECT_NEAR(east.x, 0.0, 1e-9);
  EXPECT_DOUBLE_EQ(east.y, a);

  // At the south pole Z = -(b + h); GRS80 b = 6356752.3141 m.
  const Geocentric pole = geographicToGeocentric(-90.0, 0.0, 10.0, kGrs80Ellipsoid);
  EXPECT_NEAR(pole.z, -(6356752.3141 + 10.0), 1e-4);
}

// Bowring's closed form is accurate to well under a millimetre near the surface: round trips
// return latitude and longitude to 1e-10 degrees (10 micrometres) and the height to 0.1 mm.
TEST(GeocentricToGeographic, RoundTripsNearTheSurface) {
  for (double latitude : {-89.9, -60.0, -33.8688, -12.5, 0.0, 12.5, 45.0, 89.9}) {
    for (double longitude : {-179.5, -90.0, 0.0, 115.86, 151.2093, 180.0}) {
      for (double height : {-100.0, 0.0, 50.0, 2228.0, 10000.0}) {
        const Geocentric p = geographicToGeocentric(latitude, longitude, height, kGrs80Ellipsoid);
        const LatLonHeight g = geocentricToGeographicWithHeight(p, kGrs80Ellipsoid);
        EXPECT_NEAR(g.latitude, latitude, 1e-10);
        EXPECT_NEAR(std::remainder(g.longitude - longitude, 360.0), 0.0, 1e-10);
        EXPECT_NEAR(g.height, height, 1e-4) << latitude << " " << longitude << " " << height;

        const LatLon noHeight = geocentricToGeographic(p, kGrs80Ellipsoid);
        EXPECT_EQ(noHeight.latitude, g.latitude);
        EXPECT_EQ(noHeight.longitude, g.longitude);
      }
    }
  }
}

TEST(GeocentricToGeographic, EachEllipsoidRoundTrips) {
  for (const Ellipsoid& e : {kAustralianNationalSpheroid, kGrs80Ellipsoid, kWgs84Ellipsoid, kClarke1858}) {
    const Geocentric p = geographicToGeocentric(-27.5, 153.0, 0.0, e);
    const LatLon g = geocentricToGeographic(p, e);
    EXPECT_NEAR(g.latitude, -27.5, 1e-10) << e.semiMajorAxis;
    EXPECT_NEAR(g.longitude, 153.0, 1e-10) << e.semiMajorAxis;
  }
}

}  // namespace
}  // namespace velmora
