#include "tests/support/grid_fixtures.hpp"

#include <cmath>

#include "common/ascii_text.hpp"

namespace velmora {

namespace {

constexpr double kSecondsPerDegree = 3600.0;

// Nodes from one bound to the other, both included.
int nodeCount(double from, double to, double spacing) {
  return static_cast<int>(std::lround((to - from) / spacing)) + 1;
}

}  // namespace

SubGridImage planeSubGrid(const PlaneSpec& spec) {
  SubGridImage sub;
  sub.name = spec.name;
  sub.parent = spec.parent;
  sub.sLat = spec.sLat;
  sub.nLat = spec.nLat;
  sub.eLong = spec.eLong;
  sub.wLong = spec.wLong;
  sub.latInc = spec.latInc;
  sub.longInc = spec.longInc;
  const int rows = nodeCount(spec.sLat, spec.nLat, spec.latInc);
  const int columns = nodeCount(spec.eLong, spec.wLong, spec.longInc);
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < columns; ++column) {
      GridNode node;
      node.latShift = static_cast<float>(spec.latShift.at(row, column));
      node.lonShift = static_cast<float>(spec.lonShift.at(row, column));
      node.latAccuracy = static_cast<float>(spec.latAccuracy.at(row, column));
      node.lonAccuracy = static_cast<float>(spec.lonAccuracy.at(row, column));
      sub.nodes.push_back(node);
    }
  }
  return sub;
}

GridImage planeGrid(const PlaneSpec& spec, std::string_view gsType) {
  GridImage image;
  image.gsType = std::string(gsType);
  image.subGrids.push_back(planeSubGrid(spec));
  return image;
}

GeoPoint planePoint(const PlaneSpec& spec, double row, double column, double toDegrees) {
  return {-(spec.eLong + column * spec.longInc) * toDegrees, (spec.sLat + row * spec.latInc) * toDegrees};
}

PlaneSpec parentPlaneSpec() {
  PlaneSpec spec;
  spec.name = "PARENT";
  spec.sLat = 0.0;
  spec.nLat = 4.0 * kSecondsPerDegree;
  spec.eLong = -4.0 * kSecondsPerDegree;
  spec.wLong = 0.0;
  spec.latInc = kSecondsPerDegree;
  spec.longInc = kSecondsPerDegree;
  spec.latShift = {1.0, 0.25, 0.5};
  spec.lonShift = {-2.0, 0.75, -0.125};
  spec.latAccuracy = {0.5, 0.0625, 0.03125};
  spec.lonAccuracy = {0.25, 0.03125, 0.0625};
  return spec;
}

PlaneSpec childPlaneSpec() {
  PlaneSpec spec;
  spec.name = "CHILD";
  spec.parent = "PARENT";
  spec.sLat = 2.0 * kSecondsPerDegree;
  spec.nLat = 4.0 * kSecondsPerDegree;
  spec.eLong = -3.0 * kSecondsPerDegree;
  spec.wLong = -1.0 * kSecondsPerDegree;
  spec.latInc = 0.5 * kSecondsPerDegree;
  spec.longInc = 0.5 * kSecondsPerDegree;
  spec.latShift = {101.0, 0.5, 0.25};
  spec.lonShift = {-102.0, 0.25, 0.75};
  spec.latAccuracy = {100.5, 0.125, 0.0625};
  spec.lonAccuracy = {100.25, 0.0625, 0.125};
  return spec;
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

std::string writeGridFile(const TempDir& dir, std::string_view name, const GridImage& image,
                          const BinaryLayout& layout) {
  const bool text = name.size() >= 4 && equalsIgnoreCase(name.substr(name.size() - 4), ".gsa");
  return dir.writeFile(name, text ? encodeAsciiGrid(image) : encodeBinaryGrid(image, layout));
}

}  // namespace velmora
