#include "gridfile/sub_file_header.hpp"

#include <cmath>

#include "gridfile/grid_builder.hpp"
#include "gridfile/grid_keys.hpp"

namespace velmora {

namespace {

// Node count along one axis: extent / spacing rounded half away from zero, plus the first node.
// Kept in double: for a malformed header the quotient can be far beyond any int.
double nodesAlong(double extent, double spacing) {
  const double q = extent / spacing;
  if (q == 0.0) return 1.0;
  return std::trunc(q < 0.0 ? q - 0.5 : q + 0.5) + 1.0;
}

}  // namespace

GridError subGridFromHeader(const SubFileHeader& header, double toDegrees, int index, std::int64_t dataOffset,
                            std::uint32_t& defects, SubGrid& subGrid) {
  if (header.gsCount <= 0) return kGridInvalidGsCount;

  SubGridFields& sub = GridFileBuilder::clear(subGrid);
  sub.name = normaliseGridKey(header.name, KeyMode::kName, defects);
  sub.parentName = normaliseGridKey(header.parent, KeyMode::kName, defects);
  sub.index = index;
  sub.inUse = true;
  sub.dataOffset = dataOffset;
  sub.nodeCount = static_cast<std::uint32_t>(header.gsCount);
  sub.header = header;

  // NTv2 counts longitudes positive west: the file's eastern bound is the larger east-positive one.
  sub.latMin = header.sLat * toDegrees;
  sub.latMax = header.nLat * toDegrees;
  sub.latInc = header.latInc * toDegrees;
  sub.lonMax = -toDegrees * header.eLong;
  sub.lonMin = -toDegrees * header.wLong;
  sub.lonInc = header.longInc * toDegrees;

  if (!std::isfinite(sub.latMin)) return kGridInvalidLatMin;
  if (!std::isfinite(sub.latMax)) return kGridInvalidLatMax;
  if (!std::isfinite(sub.lonMin)) return kGridInvalidLonMin;
  if (!std::isfinite(sub.lonMax)) return kGridInvalidLonMax;
  if (!std::isfinite(sub.latInc) || !(sub.latInc > 0.0)) return kGridInvalidLatInc;
  if (!std::isfinite(sub.lonInc) || !(sub.lonInc > 0.0)) return kGridInvalidLonInc;
  if (sub.latMin >= sub.latMax) return kGridInvalidLatMinMax;
  if (sub.lonMin >= sub.lonMax) return kGridInvalidLonMinMax;

  // Every node address is row * columns + column: the node count must be exactly the product, or
  // the interpolation would read past the stored nodes. Both factors are then at most GS_COUNT,
  // so they fit an int. An infinite quotient makes the product infinite and fails the test.
  const double rows = nodesAlong(sub.latMax - sub.latMin, sub.latInc);
  const double columns = nodesAlong(sub.lonMax - sub.lonMin, sub.lonInc);
  if (rows * columns != static_cast<double>(sub.nodeCount)) return kGridInvalidGsCount;
  sub.rows = static_cast<int>(rows);
  sub.columns = static_cast<int>(columns);
  return kGridOk;
}

}  // namespace velmora
