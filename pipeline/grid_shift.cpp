// Datum changes by the national NTv2 grid-shift files.
//
// The grids are interpolated at (longitude, latitude) in degrees and give shifts in arc-seconds,
// latitude north positive and longitude EAST positive (the library has already turned the file's
// west-positive longitudes round). The forward direction of each file adds the shift; the inverse
// subtracts the shift interpolated at the given position. The inverse does not iterate, so a
// forward-then-inverse round trip is off by the change of the shift between the two positions:
// a few millimetres on the national grids.
#include "pipeline/grid_shift.hpp"

#include "velmora/geodesy/angle_units.hpp"
#include "velmora/gridfile/grid_search.hpp"

namespace velmora {

std::optional<GridLeg> shiftByGrid(GridList files, double latitude, double longitude, bool forward) {
  const ListMatch found = findInList(files, latitude, longitude);
  if (found.grid == nullptr) return std::nullopt;
  const std::optional<GridShift> shift = interpolateGridShift(*found.grid, found.match, latitude, longitude);
  if (!shift) return std::nullopt;

  const double latitudeShiftDeg = shift->latitudeShift / kArcSecondsPerDegree;
  const double longitudeShiftDeg = shift->longitudeShift / kArcSecondsPerDegree;
  const LatLon position = forward ? LatLon{latitude + latitudeShiftDeg, longitude + longitudeShiftDeg}
                                  : LatLon{latitude - latitudeShiftDeg, longitude - longitudeShiftDeg};
  return GridLeg{position, found.file, shift->match.subGrid, shift->match.locationClass == kClassMargin};
}

}  // namespace velmora
