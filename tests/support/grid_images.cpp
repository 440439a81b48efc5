#include "tests/support/grid_images.hpp"

#include <cmath>
#include <cstddef>

namespace velmora {

namespace {

constexpr double kSecondsPerDegree = 3600.0;

// Nodes from one bound to the other, both included.
int nodeCount(double from, double to, double spacing) {
  return static_cast<int>(std::lround((to - from) / spacing)) + 1;
}

}  // namespace

SubGridImage planeSubGrid(const PlaneSpec& plane) {
  SubGridImage sub;
  sub.name = plane.name;
  sub.parent = plane.parent;
  sub.sLat = plane.sLat;
  sub.nLat = plane.nLat;
  sub.eLong = plane.eLong;
  sub.wLong = plane.wLong;
  sub.latInc = plane.latInc;
  sub.longInc = plane.longInc;
  const int rows = nodeCount(plane.sLat, plane.nLat, plane.latInc);
  const int columns = nodeCount(plane.eLong, plane.wLong, plane.longInc);
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) {
      GridNode node;
      node.latShift = static_cast<float>(plane.latShift.at(row, column));
      node.lonShift = static_cast<float>(plane.lonShift.at(row, column));
      node.latAccuracy = static_cast<float>(plane.latAccuracy.at(row, column));
      node.lonAccuracy = static_cast<float>(plane.lonAccuracy.at(row, column));
      sub.nodes.push_back(node);
    }
  }
  return sub;
}

GridImage planeGrid(const PlaneSpec& plane, std::string_view gsType) {
  GridImage image;
  image.gsType = std::string(gsType);
  image.subGrids.push_back(planeSubGrid(plane));
  return image;
}

GeoPoint planePoint(const PlaneSpec& plane, double row, double column, double toDegrees) {
  return {-(plane.eLong + column * plane.longInc) * toDegrees, (plane.sLat + row * plane.latInc) * toDegrees};
}

PlaneSpec parentPlaneSpec() {
  PlaneSpec plane;
  plane.name = "PARENT";
  plane.sLat = 0.0;
  plane.nLat = 4.0 * kSecondsPerDegree;
  plane.eLong = -4.0 * kSecondsPerDegree;
  plane.wLong = 0.0;
  plane.latInc = kSecondsPerDegree;
  plane.longInc = kSecondsPerDegree;
  plane.latShift = {1.0, 0.25, 0.5};
  plane.lonShift = {-2.0, 0.75, -0.125};
  plane.latAccuracy = {0.5, 0.0625, 0.03125};
  plane.lonAccuracy = {0.25, 0.03125, 0.0625};
  return plane;
}

PlaneSpec childPlaneSpec() {
  PlaneSpec plane;
  plane.name = "CHILD";
  plane.parent = "PARENT";
  plane.sLat = 2.0 * kSecondsPerDegree;
  plane.nLat = 4.0 * kSecondsPerDegree;
  plane.eLong = -3.0 * kSecondsPerDegree;
  plane.wLong = -1.0 * kSecondsPerDegree;
  plane.latInc = 0.5 * kSecondsPerDegree;
  plane.longInc = 0.5 * kSecondsPerDegree;
  plane.latShift = {101.0, 0.5, 0.25};
  plane.lonShift = {-102.0, 0.25, 0.75};
  plane.latAccuracy = {100.5, 0.125, 0.0625};
  plane.lonAccuracy = {100.25, 0.0625, 0.125};
  return plane;
}

GridImage parentWithChildGrid() {
  GridImage image = planeGrid(parentPlaneSpec());
  image.subGrids.push_back(planeSubGrid(childPlaneSpec()));
  return image;
}

SubGridImage degreeSubGrid(const DegreeArea& area, const NodeValues& values, std::string_view name,
                           std::string_view parent) {
  SubGridImage sub;
  sub.name = std::string(name);
  sub.parent = std::string(parent);
  sub.sLat = area.south * kSecondsPerDegree;
  sub.nLat = area.north * kSecondsPerDegree;
  sub.eLong = -area.east * kSecondsPerDegree;  // NTv2 longitudes are positive west
  sub.wLong = -area.west * kSecondsPerDegree;
  sub.latInc = area.spacing * kSecondsPerDegree;
  sub.longInc = area.spacing * kSecondsPerDegree;
  const int rows = nodeCount(area.south, area.north, area.spacing);
  const int columns = nodeCount(area.west, area.east, area.spacing);
  sub.nodes.reserve(static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns));
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) {
      DegreeNode node;
      node.row = row;
      node.column = column;
      node.columnFromWest = columns - 1 - column;
      node.latitude = area.south + row * area.spacing;
      node.longitude = area.east - column * area.spacing;
      sub.nodes.push_back(values(node));
    }
  }
  return sub;
}

GridImage degreeGrid(const DegreeArea& area, const NodeValues& values, std::string_view name) {
  GridImage image;
  image.subGrids.push_back(degreeSubGrid(area, values, name));
  return image;
}

NodeValues shiftPlanes(const DegreePlane& latitudeShift, const DegreePlane& longitudeShiftEast) {
  return [latitudeShift, longitudeShiftEast](const DegreeNode& node) {
    GridNode values;
    values.latShift = static_cast<float>(latitudeShift.at(node.latitude, node.longitude));
    values.lonShift = static_cast<float>(-longitudeShiftEast.at(node.latitude, node.longitude));
    return values;
  };
}

}  // namespace velmora
