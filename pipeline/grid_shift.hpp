// Datum changes by the national NTv2 grids, forward (shift added) or inverse (shift subtracted,
// taken at the given position, without iteration).
#pragma once

#include <optional>

#include "velmora/geodesy/lat_lon.hpp"
#include "velmora/gridfile/grid_file.hpp"

namespace velmora {

struct GridLeg {
  LatLon position;                   // the shifted point, degrees
  const SubGrid* subGrid = nullptr;  // the sub-grid that gave the shift
  bool inMargin = false;             // in the fading band outside the sub-grid's edge
};

// latitude, longitude in degrees. Nothing when grid is nullptr or holds no shift at the point.
std::optional<GridLeg> shiftByGrid(const GridFile* grid, double latitude, double longitude, bool forward);

}  // namespace velmora
