// Fixtures of the pipeline tests: NTv2 grids whose node values form planes (so every interpolated
// value is known), and a reset of the process-wide grid slots.
#pragma once

#include <string>

#include <gtest/gtest.h>

namespace velmora::testing {

// value = base + perLatitude * latitude + perLongitude * longitude, latitude and longitude in
// degrees. Coefficients that are short binary fractions keep every node value exact in float.
struct Plane {
  double base = 0.0;
  double perLatitude = 0.0;
  double perLongitude = 0.0;
  double at(double latitude, double longitude) const {
    return base + perLatitude * latitude + perLongitude * longitude;
  }
};

// Extent and spacing of a single-sub-grid fixture, degrees, longitudes east positive.
struct Extent {
  double south = -45.0;
  double north = -10.0;
  double west = 110.0;
  double east = 155.0;
  double spacing = 5.0;
};

// Writes a binary "SECONDS" grid: latitude shift and EAST-positive longitude shift in arc-seconds
// from the planes (the file stores the longitude shift positive west). False if not written.
bool writeShiftGrid(const std::string& path, const Extent& extent, const Plane& latitudeShift,
                    const Plane& longitudeShiftEast);

// Writes a geoid grid: N in metres in the latitude-shift field, zero longitude shifts.
bool writeGeoidGrid(const std::string& path, const Extent& extent, const Plane& separation);

// Empties all five grid slots before and after each test, so tests do not share open grids.
class GridSlotTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
};

void closeAllGridSlots();

}  // namespace velmora::testing
