// Choosing the sub-grid that holds a point and interpolating its node values.
#pragma once

#include <array>

#include "gridfile/grid_file.hpp"

namespace velmora {

// Where a point lies relative to a sub-grid; lower is better.
inline constexpr int kClassInterior = 1;
inline constexpr int kClassNorthernEdge = 2;
inline constexpr int kClassWesternEdge = 3;
inline constexpr int kClassNorthWestCorner = 4;
inline constexpr int kClassMargin = 5;  // within one spacing outside a top-level sub-grid

struct SubGridMatch {
  const SubGrid* subGrid = nullptr;
  int locationClass = 0;  // 0 when no sub-grid holds the point
};

// x longitude (degrees, east positive), y latitude (degrees).
SubGridMatch findSubGrid(const GridFile& grid, double x, double y);

// point in: {longitude, latitude} in a unit that becomes degrees when multiplied by factor
// (factor <= 0 counts as 1). On true, point out: {longitude shift east positive, latitude shift}
// in arc-seconds and accuracies {longitude, latitude} in arc-seconds. On false nothing is written.
bool interpolateGridShift(const GridFile& grid, double factor, std::array<double, 2>& point,
                          std::array<double, 2>& accuracies);

// Geoid files: the value stored in the latitude-shift field at the point (negated on request).
// False, value untouched, when no sub-grid holds the point or the value is -998 or below.
bool interpolateGridValue(const GridFile& grid, bool negate, double latitude, double longitude,
                          double& value);

}  // namespace velmora
