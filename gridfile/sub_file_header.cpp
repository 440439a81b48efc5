#include "gridfile/sub_file_header.hpp"

#include <cmath>

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

  subGrid = SubGrid{};
  subGrid.name = normaliseGridKey(header.name, KeyMode::kName, defects);
  subGrid.parentName = normaliseGridKey(header.parent, KeyMode::kName, defects);
  subGrid.index = index;
  subGrid.inUse = true;
  subGrid.dataOffset = dataOffset;
  subGrid.nodeCount = static_cast<std::uint32_t>(header.gsCount);
  subGrid.header = header;

  // NTv2 counts longitudes positive west: the file's eastern bound is the larger east-positive one.
  subGrid.latMin = header.sLat * toDegrees;
  subGrid.latMax = header.nLat * toDegrees;
  subGrid.latInc = header.latInc * toDegrees;
  subGrid.lonMax = -toDegrees * header.eLong;
  subGrid.lonMin = -toDegrees * header.wLong;
  subGrid.lonInc = header.longInc * toDegrees;

  if (!std::isfinite(subGrid.latMin)) return kGridInvalidLatMin;
  if (!std::isfinite(subGrid.latMax)) return kGridInvalidLatMax;
  if (!std::isfinite(subGrid.lonMin)) return kGridInvalidLonMin;
  if (!std::isfinite(subGrid.lonMax)) return kGridInvalidLonMax;
  if (!std::isfinite(subGrid.latInc) || !(subGrid.latInc > 0.0)) return kGridInvalidLatInc;
  if (!std::isfinite(subGrid.lonInc) || !(subGrid.lonInc > 0.0)) return kGridInvalidLonInc;
  if (subGrid.latMin >= subGrid.latMax) return kGridInvalidLatMinMax;
  if (subGrid.lonMin >= subGrid.lonMax) return kGridInvalidLonMinMax;

  // Every node address is row * columns + column: the node count must be exactly the product, or
  // the interpolation would read past the stored nodes. Both factors are then at most GS_COUNT,
  // so they fit an int. An infinite quotient makes the product infinite and fails the test.
  const double rows = nodesAlong(subGrid.latMax - subGrid.latMin, subGrid.latInc);
  const double columns = nodesAlong(subGrid.lonMax - subGrid.lonMin, subGrid.lonInc);
  if (rows * columns != static_cast<double>(subGrid.nodeCount)) return kGridInvalidGsCount;
  subGrid.rows = static_cast<int>(rows);
  subGrid.columns = static_cast<int>(columns);
  return kGridOk;
}

}  // namespace velmora
