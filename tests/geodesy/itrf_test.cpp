#include "velmora/geodesy/itrf.hpp"

#include <gtest/gtest.h>

#include "velmora/geodesy/datum_transforms.hpp"
#include "tests/geodesy/ground_offset.hpp"

namespace velmora {
namespace {

using test::groundOffset;
using enum ItrfRealisation;

// Independent derivation: PROJ 9.1 cct with its time-dependent Helmert (coordinate frame) and
// the EPSG sets ITRF2008 to GDA94 (1), EPSG:6276, and ITRF2000 to GDA94 (1), EPSG:6315, from
// WGS84 ellipsoid constants to GRS80. 1e-9 degrees is 0.1 mm.
TEST(ItrfToGda94, AgreesWithAnIndependentTimeDependentHelmert) {
  struct Reference {
    ItrfRealisation realisation;
    double epoch;
    LatLon itrf;
    LatLon gda94;
  };
  const Reference references[] = {
      {kItrf2008, 2020.5, {-33.0, 151.0}, {-33.000012992006, 150.999994360736}},
      {kItrf2008, 1994.0, {-33.0, 151.0}, {-32.999999932205, 150.999999691161}},
      {kItrf2008, 2010.25, {-25.0, 133.0}, {-25.000008574089, 132.999994696741}},
      {kItrf2000, 2020.5, {-33.0, 151.0}, {-33.000012926035, 150.999994363469}},
      {kItrf2000, 1994.0, {-33.0, 151.0}, {-32.999999868610, 150.999999658302}},
      {kItrf2000, 2010.25, {-25.0, 133.0}, {-25.000008389024, 132.999994736855}},
  };
  for (const Reference& r : references) {
    const LatLon g = itrfToGda94(r.itrf.latitude, r.itrf.longitude, r.epoch, r.realisation);
    EXPECT_NEAR(g.latitude, r.gda94.latitude, 1e-9) << static_cast<int>(r.realisation) << " " << r.epoch;
    EXPECT_NEAR(g.longitude, r.gda94.longitude, 1e-9) << static_cast<int>(r.realisation) << " " << r.epoch;
  }
}

// 26.5 years of plate motion: ITRF2008 coordinates at 2020.5 lie about 1.44 m north and 0.52 m
// east of GDA94, so the transformation moves the point back south-west.
TEST(ItrfToGda94, PlateMotionSince1994) {
  const LatLon point{-33.0, 151.0};
  const auto moved = groundOffset(point, itrfToGda94(point.latitude, point.longitude, 2020.5, kItrf2008));
  EXPECT_NEAR(moved.north, -1.44, 0.01);
  EXPECT_NEAR(moved.east, -0.52, 0.01);

  // At the GDA94 reference epoch only the small ITRF2008/GDA94 frame difference remains.
  EXPECT_LT(groundOffset(point, itrfToGda94(point.latitude, point.longitude, 1994.0, kItrf2008)).length(),
            0.04);
}

// The way back uses the transposed rotation of the same parameters; with rotations of a few
// milli-arc-seconds the loop closes within micrometres.
TEST(ItrfToGda94, ThereAndBackWithinMicrometres) {
  const LatLon points[] = {{-33.0, 151.0}, {-12.46, 130.84}, {-43.6, 146.8}, {-31.95, 115.86}};
  for (ItrfRealisation realisation : {kItrf2000, kItrf2008}) {
    for (double epoch : {1994.0, 2005.5, 2020.5, 2050.0}) {
      for (const LatLon& p : points) {
        const LatLon g = itrfToGda94(p.latitude, p.longitude, epoch, realisation);
        const LatLon back = gda94ToItrf(g.latitude, g.longitude, epoch, realisation);
        EXPECT_LT(groundOffset(p, back).length(), 1e-5) << epoch << " " << p.latitude;
      }
    }
  }
}

TEST(ItrfToGda2020, ComposesThroughGda94) {
  for (ItrfRealisation realisation : {kItrf2000, kItrf2008}) {
    const LatLon gda94 = itrfToGda94(-33.0, 151.0, 2020.0, realisation);
    const LatLon expected = gda94ToGda2020(gda94.latitude, gda94.longitude, 0.0);
    const LatLon direct = itrfToGda2020(-33.0, 151.0, 2020.0, realisation);
    EXPECT_EQ(direct.latitude, expected.latitude);
    EXPECT_EQ(direct.longitude, expected.longitude);

    const LatLon viaGda94 = gda2020ToGda94(-33.0, 151.0, 0.0);
    const LatLon expectedBack = gda94ToItrf(viaGda94.latitude, viaGda94.longitude, 2020.0, realisation);
    const LatLon back = gda2020ToItrf(-33.0, 151.0, 2020.0, realisation);
    EXPECT_EQ(back.latitude, expectedBack.latitude);
    EXPECT_EQ(back.longitude, expectedBack.longitude);
  }
  // GDA2020 is aligned with ITRF2014 at 2020.0, so ITRF2008 positions of that epoch agree with
  // it to a few centimetres.
  const LatLon point{-33.0, 151.0};
  EXPECT_LT(groundOffset(point, itrfToGda2020(point.latitude, point.longitude, 2020.0, kItrf2008)).length(),
            0.1);
  const LatLon there = itrfToGda2020(point.latitude, point.longitude, 2020.0, kItrf2008);
  EXPECT_LT(groundOffset(point, gda2020ToItrf(there.latitude, there.longitude, 2020.0, kItrf2008)).length(),
            0.001);
}

// Independent derivation: PROJ 9.1 cct, time-dependent Helmert in the position-vector convention
// with the strings `projinfo -k operation EPSG:9083 / 9082 / 9080 -o PROJ` prints, from GRS80
// (ITRF2014) or WGS84 (ITRF2008, ITRF2000) cartesian coordinates to GRS80. Then back by the
// transposed rotation. 1e-11 degrees is about a micrometre, the size of the closed-form
// (Bowring) geocentric-to-geographic step's own error at these latitudes.
TEST(ItrfToItrf96, AgreesWithLinzSetsAndReturns) {
  struct Reference {
    Itrf96Source source;
    double epoch;
    LatLon itrf;
    LatLon itrf96;
  };
  const Reference references[] = {
      {Itrf96Source::kItrf2014, 2010.0, {-41.29, 174.78}, {-41.290000170792, 174.780000178066}},
      {Itrf96Source::kItrf2014, 2025.5, {-43.5, 172.5}, {-43.500000343236, 172.500000423257}},
      {Itrf96Source::kItrf2008, 2010.0, {-41.29, 174.78}, {-41.290000179521, 174.780000202392}},
      {Itrf96Source::kItrf2000, 2010.0, {-41.29, 174.78}, {-41.289999992058, 174.780000193093}},
  };
  for (const Reference& r : references) {
    const LatLon g = itrfToItrf96(r.itrf.latitude, r.itrf.longitude, r.epoch, r.source);
    EXPECT_NEAR(g.latitude, r.itrf96.latitude, 2e-11) << static_cast<int>(r.source);
    EXPECT_NEAR(g.longitude, r.itrf96.longitude, 2e-11) << static_cast<int>(r.source);
    const LatLon back = itrf96ToItrf(g.latitude, g.longitude, r.epoch, r.source);
    EXPECT_NEAR(back.latitude, r.itrf.latitude, 3e-11);
    EXPECT_NEAR(back.longitude, r.itrf.longitude, 3e-11);
  }
}

}  // namespace
}  // namespace velmora
