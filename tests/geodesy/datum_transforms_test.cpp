#include "velmora/geodesy/datum_transforms.hpp"

#include <gtest/gtest.h>

#include "velmora/geodesy/geocentric.hpp"
#include "tests/geodesy/ground_offset.hpp"

namespace velmora {
namespace {

using test::groundOffset;

constexpr double kArcSecond = 1.0 / 3600.0;  // degrees

struct Reference {
  const char* place;
  LatLon from;
  LatLon to;
};

// Independent derivation: PROJ 9.1 cct pipelines (geographic to geocentric, Helmert with
// +convention=coordinate_frame, geocentric to geographic), with the EPSG parameter sets that
// these operations publish: AGD66 to GDA94 (12) EPSG:15979 and AGD84 to GDA94 (2) EPSG:1280.
// 1e-9 degrees is 0.1 mm.
TEST(AgdToGda94, AgreesWithAnIndependentHelmertChain) {
  const Reference agd66[] = {
      {"Sydney", {-33.0, 151.0}, {-32.998420342522, 151.001149712313}},
      {"Melbourne", {-37.8, 145.0}, {-37.798494300630, 145.001313194409}},
      {"Perth", {-31.95, 115.86}, {-31.948786816372, 115.861470352222}},
      {"Darwin", {-12.46, 130.84}, {-12.458561818653, 130.841203302802}},
  };
  for (const Reference& r : agd66) {
    const LatLon g = agd66ToGda94(r.from.latitude, r.from.longitude);
    EXPECT_NEAR(g.latitude, r.to.latitude, 1e-9) << r.place;
    EXPECT_NEAR(g.longitude, r.to.longitude, 1e-9) << r.place;
  }
  const Reference agd84[] = {
      {"Sydney", {-33.0, 151.0}, {-32.998413015815, 151.001162642978}},
      {"Perth", {-31.95, 115.86}, {-31.948780131623, 115.861482109377}},
  };
  for (const Reference& r : agd84) {
    const LatLon g = agd84ToGda94(r.from.latitude, r.from.longitude);
    EXPECT_NEAR(g.latitude, r.to.latitude, 1e-9) << r.place;
    EXPECT_NEAR(g.longitude, r.to.longitude, 1e-9) << r.place;
  }
}

// GDA94 lies about 200 m north-east of AGD66: roughly +5.2" of latitude and +4.7" of longitude,
// varying by up to about a second of arc across the continent.
TEST(AgdToGda94, ShiftIsAboutTwoHundredMetresNorthEast) {
  const LatLon points[] = {{-33.0, 151.0}, {-27.5, 153.0}, {-37.8, 145.0}, {-19.3, 146.8}, {-23.7, 133.9}};
  for (const LatLon& p : points) {
    const LatLon g = agd66ToGda94(p.latitude, p.longitude);
    const double dLatSeconds = (g.latitude - p.latitude) / kArcSecond;
    const double dLonSeconds = (g.longitude - p.longitude) / kArcSecond;
    EXPECT_GT(dLatSeconds, 4.5) << p.latitude;
    EXPECT_LT(dLatSeconds, 6.5) << p.latitude;
    EXPECT_GT(dLonSeconds, 3.5) << p.longitude;
    EXPECT_LT(dLonSeconds, 5.5) << p.longitude;
    const double metres = groundOffset(p, g).length();
    EXPECT_GT(metres, 150.0);
    EXPECT_LT(metres, 230.0);
  }
}

// Both legs take the ellipsoidal height as 0, but an AGD66 point at height 0 lies tens of metres
// off the GRS80 surface; dropping that height on the way back opens the loop by up to about 2 mm
// near the coasts (Perth 1.3 mm, Cape York 1.7 mm). At these inland and south-eastern points the
// loop closes within a millimetre.
TEST(AgdToGda94, ForwardThenBackReturnsWithinAMillimetre) {
  const LatLon points[] = {{-33.0, 151.0}, {-37.8, 145.0}, {-42.9, 147.3}, {-23.7, 133.9},
                           {-34.9, 138.6}, {-27.5, 153.0}, {-14.0, 126.0}};
  for (const LatLon& p : points) {
    const LatLon g66 = agd66ToGda94(p.latitude, p.longitude);
    EXPECT_LT(groundOffset(p, gda94ToAgd66(g66.latitude, g66.longitude)).length(), 0.001) << p.latitude;
    const LatLon g84 = agd84ToGda94(p.latitude, p.longitude);
    EXPECT_LT(groundOffset(p, gda94ToAgd84(g84.latitude, g84.longitude)).length(), 0.001) << p.latitude;
  }
}

// Independent derivation: PROJ 9.1 cct with GDA94 to GDA2020 (1), EPSG:8048, heights carried.
TEST(Gda94ToGda2020, AgreesWithAnIndependentHelmertChain) {
  struct HeightReference {
    const char* place;
    double latitude;
    double longitude;
    double height;
    double latitude2020;
    double longitude2020;
    double height2020;
  };
  const HeightReference references[] = {
      {"Sydney", -33.8688, 151.2093, 0.0, -33.868787316860, 151.209305429808, -0.094987810589},
      {"Sydney 50 m", -33.8688, 151.2093, 50.0, -33.868787316855, 151.209305429809, 49.905011689290},
      {"Darwin", -12.46, 130.84, 0.0, -12.459986119671, 130.840008710104, -0.104630556889},
      {"Perth 300 m", -31.95, 115.86, 300.0, -31.949986606792, 115.860010705421, 299.921868312173},
  };
  for (const HeightReference& r : references) {
    const LatLonHeight g = gda94ToGda2020(r.latitude, r.longitude, r.height);
    EXPECT_NEAR(g.latitude, r.latitude2020, 1e-9) << r.place;
    EXPECT_NEAR(g.longitude, r.longitude2020, 1e-9) << r.place;
    EXPECT_NEAR(g.height, r.height2020, 1e-4) << r.place;
  }
}

// GDA2020 lies about 1.5 m north-north-east of GDA94 in Sydney (+0.046" latitude, +0.020"
// longitude): the plate's motion from 1994 to 2020.
TEST(Gda94ToGda2020, SydneyMovesAboutOneAndAHalfMetresNorthEast) {
  const LatLon sydney{-33.8688, 151.2093};
  const LatLon g = gda94ToGda2020(sydney.latitude, sydney.longitude, 0.0);
  const auto offset = groundOffset(sydney, g);
  EXPECT_GT(offset.north, 1.3);
  EXPECT_LT(offset.north, 1.6);
  EXPECT_GT(offset.east, 0.3);
  EXPECT_LT(offset.east, 0.7);
  EXPECT_GT(offset.length(), 1.4);
  EXPECT_LT(offset.length(), 1.8);
}

// GDA2020 ellipsoidal heights are about 9.5 cm lower in Sydney whatever the height, and the way
// back returns position and height within a millimetre.
TEST(Gda94ToGda2020, HeightThereAndBack) {
  for (double h : {0.0, 37.5, -12.0, 2228.0}) {
    const LatLonHeight there = gda94ToGda2020(-33.8688, 151.2093, h);
    EXPECT_NEAR(there.height, h - 0.095, 0.01) << h;
    const LatLonHeight back = gda2020ToGda94(there.latitude, there.longitude, there.height);
    EXPECT_LT(groundOffset(LatLon{-33.8688, 151.2093}, back).length(), 0.001) << h;
    EXPECT_NEAR(back.height, h, 0.001) << h;
  }
}

// Independent derivation: PROJ 9.1 cct with NZGD49 to NZGD2000 (2), EPSG:1701. The operation
// here works from the semi-axes (GRS80 b = 6356752.3141 m) rather than the flattening, which
// moves results by about 0.1 mm; 1e-8 degrees is about a millimetre.
TEST(Nzgd49ToNzgd2000, AgreesWithAnIndependentHelmertChain) {
  const Reference references[] = {
      {"Wellington", {-41.0, 174.0}, {-40.998279221454, 174.000155520877}},
      {"Auckland", {-36.85, 174.76}, {-36.848198098424, 174.760181153154}},
      {"Invercargill", {-46.6, 168.35}, {-46.598409731168, 168.350051944251}},
  };
  for (const Reference& r : references) {
    const LatLon g = nzgd49ToNzgd2000(r.from.latitude, r.from.longitude);
    EXPECT_NEAR(g.latitude, r.to.latitude, 1e-8) << r.place;
    EXPECT_NEAR(g.longitude, r.to.longitude, 1e-8) << r.place;
  }
}

// The way back negates the parameters, which is exact only to first order, and both legs drop
// the height; measured loops stay under 0.6 mm across New Zealand.
TEST(Nzgd49ToNzgd2000, ForwardThenBackReturnsWithinAMillimetre) {
  const LatLon points[] = {{-34.4, 172.7},  {-36.85, 174.76}, {-41.0, 174.0}, {-43.53, 172.63},
                           {-45.87, 170.5}, {-46.6, 168.35},  {-39.0, 177.9}};
  for (const LatLon& p : points) {
    const LatLon g = nzgd49ToNzgd2000(p.latitude, p.longitude);
    const double shift = groundOffset(p, g).length();
    EXPECT_GT(shift, 170.0);
    EXPECT_LT(shift, 210.0);
    const LatLon back = nzgd2000ToNzgd49(g.latitude, g.longitude);
    EXPECT_LT(groundOffset(p, back).length(), 0.001) << p.latitude;
  }
}

// With no translation, Molodensky's formulas only re-express the same point on GRS80 instead of
// Clarke 1858. The exact answer is the geocentric round trip; Molodensky's first-order formulas
// come within a few centimetres of it, leave the longitude untouched, and move the latitude north
// by 100 m at 10 S to about 290 m at 43 S (the two ellipsoids' flattenings differ).
TEST(AngTransforms, ZeroRecordIsAnEllipsoidChangeByMolodensky) {
  for (double latitude : {-10.0, -20.0, -30.0, -43.6}) {
    const LatLon ang{latitude, 133.0};
    const LatLon m = angToGda94(ang.latitude, ang.longitude, HelmertParams{});
    EXPECT_EQ(m.longitude, ang.longitude);
    const LatLon exact = geocentricToGeographic(
        geographicToGeocentric(ang.latitude, ang.longitude, 0.0, kClarke1858), kGrs80Ellipsoid);
    EXPECT_LT(groundOffset(exact, m).length(), 0.05) << latitude;
    EXPECT_GT(groundOffset(ang, m).north, 90.0) << latitude;
  }
}

// Any rotation or scale switches to the Helmert path; a rotation of 1e-9" moves nothing by a
// measurable amount, so that path gives the exact ellipsoid change and differs from Molodensky's.
TEST(AngTransforms, NonZeroRotationOrScaleSelectsHelmert) {
  const LatLon ang{-43.6, 146.8};
  const LatLon molodensky = angToGda94(ang.latitude, ang.longitude, HelmertParams{});
  const LatLon exact = geocentricToGeographic(
      geographicToGeocentric(ang.latitude, ang.longitude, 0.0, kClarke1858), kGrs80Ellipsoid);
  const HelmertParams tinyRotation{0.0, 0.0, 0.0, 0.0, 0.0, 1e-9, 0.0};
  const HelmertParams tinyScale{0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 1e-9};
  for (const HelmertParams& params : {tinyRotation, tinyScale}) {
    const LatLon helmert = angToGda94(ang.latitude, ang.longitude, params);
    EXPECT_NEAR(helmert.latitude, exact.latitude, 1e-11);
    EXPECT_NEAR(helmert.longitude, exact.longitude, 1e-11);
    EXPECT_GT(groundOffset(molodensky, helmert).length(), 0.005);
  }
}

// Molodensky's formulas there and back open by up to about 1.3 cm (first-order formulas over a
// 290 m shift); the Helmert path also drops the ~150 m height difference between the
// ellipsoids, which costs up to about 4 mm.
TEST(AngTransforms, AngToGda94AndBack) {
  const HelmertParams translated{10.0, 20.0, 30.0, 0.0, 0.0, 0.0, 0.0};
  const HelmertParams rotated{-8.0, 12.0, 25.0, 0.5, -0.2, 0.3, 1.5};
  const LatLon points[] = {
      {-33.0, 151.0}, {-43.6, 146.8}, {-31.95, 115.86}, {-12.46, 130.84}, {-23.7, 133.9}};
  for (const LatLon& p : points) {
    for (const HelmertParams& params : {HelmertParams{}, translated}) {
      const LatLon g = angToGda94(p.latitude, p.longitude, params);
      EXPECT_LT(groundOffset(p, gda94ToAng(g.latitude, g.longitude, params)).length(), 0.02) << p.latitude;
    }
    const LatLon g = angToGda94(p.latitude, p.longitude, rotated);
    EXPECT_LT(groundOffset(p, gda94ToAng(g.latitude, g.longitude, rotated)).length(), 0.006) << p.latitude;
  }
}

TEST(AngTransforms, TranslationMovesThePointTheRightWay) {
  // 100 m along +Z (towards the north pole) moves a point at 30 S north by 100 cos 30 m.
  const HelmertParams upZ{0.0, 0.0, 100.0, 0.0, 0.0, 0.0, 0.0};
  const LatLon base = angToGda94(-30.0, 133.0, HelmertParams{});
  const LatLon moved = angToGda94(-30.0, 133.0, upZ);
  EXPECT_NEAR(groundOffset(base, moved).north, 100.0 * 0.866, 1.0);  // cos 30
  EXPECT_NEAR(groundOffset(base, moved).east, 0.0, 0.01);
}

}  // namespace
}  // namespace velmora
