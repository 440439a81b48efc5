#include "tests/pipeline/pipeline_fixtures.hpp"

#include "velmora/gridfile/grid_writer.hpp"
#include "pipeline/grid_slots.hpp"

namespace velmora::testing {

bool writeShiftGrid(const std::string& path, const DegreeArea& area, const DegreePlane& latitudeShift,
                    const DegreePlane& longitudeShiftEast) {
  return writeBytesToFile(
      path, encodeBinaryGrid(degreeGrid(area, shiftPlanes(latitudeShift, longitudeShiftEast), "PLANE")));
}

bool writeGeoidGrid(const std::string& path, const DegreeArea& area, const DegreePlane& separation) {
  return writeShiftGrid(path, area, separation, DegreePlane{});
}

void closeAllGridSlots() {
  closeDatumGridSlots();
  closeGridFile(gridSlot(GridSlotId::kGda2020Geoid));
  closeGridFile(gridSlot(GridSlotId::kGda94Geoid));
}

void GridSlotTest::SetUp() {
  closeAllGridSlots();
}

void GridSlotTest::TearDown() {
  closeAllGridSlots();
}

}  // namespace velmora::testing
