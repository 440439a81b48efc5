#include "velmora/geodesy/nz_map_grid.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace velmora {
namespace {

TEST(NzMapGrid, OriginMapsToTheFalseOriginExactlyAndBack) {
  const GridPoint origin = nzMapGridForward(LatLon{-41.0, 173.0});
  EXPECT_EQ(origin.easting, 2510000.0);
  EXPECT_EQ(origin.northing, 6023150.0);

  const LatLon back = nzMapGridReverse(GridPoint{2510000.0, 6023150.0});
  EXPECT_EQ(back.latitude, -41.0);
  EXPECT_EQ(back.longitude, 173.0);
}

TEST(NzMapGrid, NorthernLatitudesAreTakenAsSouthern) {
  for (double latitude : {41.0, 36.85, 46.6}) {
    const GridPoint north = nzMapGridForward(LatLon{latitude, 174.5});
    const GridPoint south = nzMapGridForward(LatLon{-latitude, 174.5});
    EXPECT_EQ(north.easting, south.easting) << latitude;
    EXPECT_EQ(north.northing, south.northing) << latitude;
  }
}

// Independent derivation: PROJ 9.1 cs2cs with +proj=nzmg, which evaluates the same published
// polynomials in its own code (Horner's scheme, exact angle factors). Agreement to a millimetre
// checks every coefficient that matters within New Zealand.
TEST(NzMapGrid, AgreesWithAnIndependentEvaluation) {
  struct Reference {
    const char* place;
    double latitude;
    double longitude;
    double easting;
    double northing;
  };
  const Reference references[] = {
      {"Far North", -34.444066, 172.739194, 2487100.66443, 6751049.75431},
      {"Auckland", -36.85, 174.76, 2667368.26293, 6482219.90830},
      {"Wellington", -41.29, 174.78, 2659087.57205, 5989424.67875},
      {"Dunedin", -45.87, 170.5, 2315761.98100, 5479186.07876},
      {"Invercargill", -46.6, 168.35, 2153577.67301, 5390968.43814},
      {"East Cape", -39.0, 177.9, 2934304.70305, 6233494.38045},
  };
  for (const Reference& r : references) {
    const GridPoint grid = nzMapGridForward(LatLon{r.latitude, r.longitude});
    EXPECT_NEAR(grid.easting, r.easting, 0.001) << r.place;
    EXPECT_NEAR(grid.northing, r.northing, 0.001) << r.place;
  }
}

// Two Newton refinements make the reverse a near-exact inverse over New Zealand (34 S to 47 S):
// latitude and longitude come back to 1e-9 degrees (0.1 mm) and the grid point to 0.1 mm. The
// truncated latitude series lets the loop open further south (0.1 mm at 47.5 S).
TEST(NzMapGrid, RoundTripsAcrossNewZealand) {
  for (double latitude = -34.0; latitude >= -47.0; latitude -= 1.0) {
    for (double longitude = 166.0; longitude <= 179.0; longitude += 1.0) {
      const GridPoint grid = nzMapGridForward(LatLon{latitude, longitude});
      const LatLon back = nzMapGridReverse(grid);
      EXPECT_NEAR(back.latitude, latitude, 1e-9) << latitude << " " << longitude;
      EXPECT_NEAR(back.longitude, longitude, 1e-9) << latitude << " " << longitude;

      const GridPoint again = nzMapGridForward(back);
      EXPECT_NEAR(again.easting, grid.easting, 1e-4) << latitude << " " << longitude;
      EXPECT_NEAR(again.northing, grid.northing, 1e-4) << latitude << " " << longitude;
    }
  }
}

TEST(NzMapGrid, NotANumberPropagates) {
  EXPECT_TRUE(std::isnan(nzMapGridForward(LatLon{std::nan(""), 174.0}).northing));
  EXPECT_TRUE(std::isnan(nzMapGridReverse(GridPoint{std::nan(""), 6000000.0}).longitude));
}

// Independent derivation: PROJ 9.1 `proj -V +proj=nzmg +ellps=intl` differentiates the projection
// numerically and prints the parallel scale and the convergence (degrees, GeographicLib's sign) to
// eight decimals.
TEST(NzMapGridFactors, AgreeWithProjNumericalFactors) {
  struct Reference {
    LatLon point;
    double convergence;
    double scale;
  };
  const Reference references[] = {
      {{-43.5, 172.5}, 0.34174387, 0.99998122},  {{-41.29, 174.78}, -1.16794355, 0.99995186},
      {{-46.4, 168.0}, 3.49475628, 0.99992228},  {{-37.0, 175.5}, -1.62096339, 0.99994479},
      {{-38.5, 178.0}, -3.17628132, 1.00005690},
  };
  for (const Reference& r : references) {
    const GridFactors factors = nzMapGridFactors(r.point);
    EXPECT_NEAR(factors.convergenceDeg, r.convergence, 0.01 / 3600.0) << r.point.latitude;
    EXPECT_NEAR(factors.scale, r.scale, 1e-8) << r.point.latitude;
  }
}

}  // namespace
}  // namespace velmora
