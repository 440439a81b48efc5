// Fixtures of the pipeline tests: NTv2 grids whose node values form planes in degrees (so every
// interpolated value is known), and a reset of the process-wide grid slots.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "tests/support/grid_fixtures.hpp"

namespace velmora::testing {

// Writes a binary "SECONDS" grid over area: latitude shift and EAST-positive longitude shift in
// arc-seconds from the planes (the file stores the longitude shift positive west). False if not written.
bool writeShiftGrid(const std::string& path, const DegreeArea& area, const DegreePlane& latitudeShift,
                    const DegreePlane& longitudeShiftEast);

// Writes a geoid grid: N in metres in the latitude-shift field, zero longitude shifts.
bool writeGeoidGrid(const std::string& path, const DegreeArea& area, const DegreePlane& separation);

// Empties all five grid slots before and after each test, so tests do not share open grids.
class GridSlotTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
};

void closeAllGridSlots();

}  // namespace velmora::testing
