#include "tests/pipeline/pipeline_fixtures.hpp"

#include <cmath>
#include <vector>

#include "gridfile/grid_writer.hpp"
#include "pipeline/grid_slots.hpp"

namespace velmora::testing {
namespace {

constexpr double kSecondsPerDegree = 3600.0;

int nodeCount(double from, double to, double spacing) {
  return static_cast<int>(std::lround((to - from) / spacing)) + 1;
}

bool writePlaneGrid(const std::string& path, const Extent& extent, const Plane& latitudeShift,
                    const Plane& longitudeShiftEast) {
  SubGridImage sub;
  sub.name = "PLANE";
  sub.sLat = extent.south * kSecondsPerDegree;
  sub.nLat = extent.north * kSecondsPerDegree;
  sub.eLong = -extent.east * kSecondsPerDegree;  // NTv2 longitudes are positive west
  sub.wLong = -extent.west * kSecondsPerDegree;
  sub.latInc = extent.spacing * kSecondsPerDegree;
  sub.longInc = extent.spacing * kSecondsPerDegree;
  const int rows = nodeCount(extent.south, extent.north, extent.spacing);
  const int columns = nodeCount(extent.west, extent.east, extent.spacing);
  // Rows run from the south, each row from east to west.
  for (int row = 0; row < rows; ++row) {
    const double latitude = extent.south + row * extent.spacing;
    for (int column = 0; column < columns; ++column) {
      const double longitude = extent.east - column * extent.spacing;
      GridNode node;
      node.latShift = static_cast<float>(latitudeShift.at(latitude, longitude));
      node.lonShift = static_cast<float>(-longitudeShiftEast.at(latitude, longitude));
      sub.nodes.push_back(node);
    }
  }
  GridImage image;
  image.subGrids.push_back(sub);
  return writeBytesToFile(path, encodeBinaryGrid(image));
}

}  // namespace

bool writeShiftGrid(const std::string& path, const Extent& extent, const Plane& latitudeShift,
                    const Plane& longitudeShiftEast) {
  return writePlaneGrid(path, extent, latitudeShift, longitudeShiftEast);
}

bool writeGeoidGrid(const std::string& path, const Extent& extent, const Plane& separation) {
  return writePlaneGrid(path, extent, separation, Plane{});
}

void closeAllGridSlots() {
  closeDatumGridSlots();
  closeGridFile(gridSlot(GridSlotId::kGda2020Geoid));
  closeGridFile(gridSlot(GridSlotId::kGda94Geoid));
}

void GridSlotTest::SetUp() { closeAllGridSlots(); }

void GridSlotTest::TearDown() { closeAllGridSlots(); }

}  // namespace velmora::testing
