#include "velmora/geodesy/helmert.hpp"

#include <gtest/gtest.h>

namespace velmora {
namespace {

constexpr double kRadiansPerArcSecond = 4.84813681109536e-6;

TEST(Helmert, PublishedUnitsBecomeRadiansAndScale) {
  const HelmertTransformation set = helmertFromParams(HelmertParams{1.0, 2.0, 3.0, 1.0, -2.0, 0.5, 1.0});
  EXPECT_EQ(set.tx, 1.0);
  EXPECT_EQ(set.ty, 2.0);
  EXPECT_EQ(set.tz, 3.0);
  EXPECT_NEAR(set.rx, kRadiansPerArcSecond, 1e-20);
  EXPECT_NEAR(set.ry, -2.0 * kRadiansPerArcSecond, 1e-20);
  EXPECT_NEAR(set.rz, 0.5 * kRadiansPerArcSecond, 1e-20);
  EXPECT_DOUBLE_EQ(set.scale, 1.000001);
}

// The coordinate-frame convention: a positive rotation about Z turns the frame anticlockwise,
// so a point on the X axis appears at negative Y. The opposite (position-vector) convention
// would move AGD66 points by tens of metres.
TEST(Helmert, CoordinateFrameRotationSigns) {
  const double r = 6378137.0;
  HelmertTransformation set;
  set.rz = 1e-6;
  const Geocentric onX = helmertForward(Geocentric{r, 0.0, 0.0}, set);
  EXPECT_NEAR(onX.y, -r * 1e-6, 1e-9);
  set = HelmertTransformation{};
  set.rx = 1e-6;
  const Geocentric onY = helmertForward(Geocentric{0.0, r, 0.0}, set);
  EXPECT_NEAR(onY.z, -r * 1e-6, 1e-9);
  set = HelmertTransformation{};
  set.ry = 1e-6;
  const Geocentric onZ = helmertForward(Geocentric{0.0, 0.0, r}, set);
  EXPECT_NEAR(onZ.x, -r * 1e-6, 1e-9);
}

TEST(Helmert, TranslationAndScale) {
  HelmertTransformation set;
  set.tx = 10.0;
  set.ty = -20.0;
  set.tz = 30.0;
  set.scale = 1.000001;
  const Geocentric p = helmertForward(Geocentric{1000000.0, 2000000.0, -3000000.0}, set);
  EXPECT_DOUBLE_EQ(p.x, 10.0 + 1000001.0);
  EXPECT_DOUBLE_EQ(p.y, -20.0 + 2000002.0);
  EXPECT_DOUBLE_EQ(p.z, 30.0 - 3000003.0);
}

// The transposed form undoes the forward one up to the square of the rotations: for sets of
// about half an arc-second that is a few tens of micrometres at the earth's surface.
TEST(Helmert, TransposedFormUndoesTheForwardOne) {
  const HelmertTransformation set =
      helmertFromParams(HelmertParams{-117.808, -51.536, 137.784, -0.303, -0.446, -0.234, -0.29});
  const Geocentric start{-4646867.0, 2562104.0, -3451683.0};
  const Geocentric back = helmertTransposed(helmertForward(start, set), set);
  EXPECT_NEAR(back.x, start.x, 1e-4);
  EXPECT_NEAR(back.y, start.y, 1e-4);
  EXPECT_NEAR(back.z, start.z, 1e-4);

  const Geocentric rotated = rotateTransposed(Geocentric{1.0, 0.0, 0.0}, set);
  EXPECT_DOUBLE_EQ(rotated.y, set.rz);
  EXPECT_DOUBLE_EQ(rotated.z, -set.ry);
}

}  // namespace
}  // namespace velmora
