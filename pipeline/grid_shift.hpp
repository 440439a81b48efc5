// Datum changes by the national NTv2 grids, forward (shift added) or inverse (shift subtracted,
// taken at the given position, without iteration).
#pragma once

#include <optional>

#include "pipeline/grid_list.hpp"
#include "velmora/geodesy/lat_lon.hpp"

namespace velmora {

struct GridLeg {
  LatLon position;                   // the shifted point, degrees
  std::uint8_t file = 0;             // the file of the list that gave the shift
  const SubGrid* subGrid = nullptr;  // the sub-grid that gave the shift
  bool inMargin = false;             // in the fading band outside the sub-grid's edge
  double accuracyMetres = 0.0;       // horizontal, metres; NaN when the sub-grid holds no accuracies
};

// latitude, longitude in degrees; the file that serves the point is chosen as findInList says.
// Nothing when no file of the list holds a shift at the point.
std::optional<GridLeg> shiftByGrid(GridList files, double latitude, double longitude, bool forward);

}  // namespace velmora
