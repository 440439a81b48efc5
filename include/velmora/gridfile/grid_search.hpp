// Choosing the sub-grid that holds a point and interpolating its node values.
#pragma once

#include <optional>

#include "velmora/gridfile/grid_file.hpp"

namespace velmora {

// Where a point lies relative to a sub-grid; lower is better.
inline constexpr int kClassInterior = 1;
inline constexpr int kClassNorthernEdge = 2;
inline constexpr int kClassWesternEdge = 3;
inline constexpr int kClassNorthWestCorner = 4;
inline constexpr int kClassMargin = 5;  // within one spacing outside a top-level sub-grid

struct SubGridMatch {
  const SubGrid* subGrid = nullptr;
  int locationClass = 0;   // 0 when no sub-grid holds the point
  double longitude = 0.0;  // degrees east at which the sub-grid holds it: as given, or 360 east or west
};

// x longitude (degrees, east positive), y latitude (degrees). Among the top-level sub-grids an
// interior match wins at once, edges go to the best class (the first of a tie) and a margin to the
// first listed; an edge or interior match then descends into the deepest child holding the point
// (ties among siblings on edges go to the later one). Edges are compared with a relative tolerance
// of 2^-50. None (class 0) for a NaN or infinite coordinate. When x finds no sub-grid, or only a
// margin, and the grid extends past 180 or -180 degrees or x lies past them, x + 360 or x - 360 is
// tried where it lies within the grid's reach: a grid running 160 .. 190 E holds a point given as
// -175 as well as 185, a world grid from -180 .. 180 a point given as 185. A grid within
// -180 .. 180 gives a point within them what the plain search gives. The top-level sub-grids of a grid read
// with many of them are found through an index made at the open, with the same result: the time
// grows with the logarithm of their number and with how many of them overlap at the point.
SubGridMatch findSubGrid(const GridFile& grid, double x, double y);

// The shifts at a point and the sub-grid that gave them.
struct GridShift {
  double longitudeShift = 0.0;     // arc-seconds, EAST positive
  double latitudeShift = 0.0;      // arc-seconds, north positive
  double longitudeAccuracy = 0.0;  // arc-seconds, with the same change of sign as its shift
  double latitudeAccuracy = 0.0;   // arc-seconds; both 0 for a sub-grid that holds no accuracies
  SubGridMatch match;              // the sub-grid read and where the point lies in it
};

// latitude and longitude (east positive) in degrees. Bilinear in the cell holding the point; on the
// northern edge, western edge or north-western corner only the last row, last column or corner node
// is read; within one spacing outside a top-level sub-grid the edge values fade linearly to zero. A
// position on or past the last node line (rounding, or an extent that is not a whole number of
// spacings) reads the last cell. Nothing when no sub-grid holds the point, and nothing when a node
// read holds no data (NaN in a GTX or GeoTIFF grid).
std::optional<GridShift> interpolateGridShift(const GridFile& grid, double latitude, double longitude);

// The same at a sub-grid already chosen: match is what findSubGrid(grid, longitude, latitude) gave,
// and its longitude is the one read. Nothing for an empty match.
std::optional<GridShift> interpolateGridShift(const GridFile& grid, const SubGridMatch& match,
                                              double latitude);

// Geoid files hold the geoid-ellipsoid separation N (metres) in the latitude-shift field and mark
// nodes without data with -999.
enum class GridValueStatus {
  kFound,    // value holds the interpolated value
  kOutside,  // no sub-grid holds the point
  kNoData,   // the interpolated value is -998 or below, or not a number
};

struct GridValue {
  GridValueStatus status = GridValueStatus::kOutside;
  double value = 0.0;  // the latitude-shift field scaled to arc-seconds as interpolateGridShift gives it
                       // (the stored value for a "SECONDS" file: metres for a geoid); 0 unless found
  SubGridMatch match;  // the sub-grid read, when one holds the point
};

// The value stored in the latitude-shift field at the point; latitude and longitude in degrees.
GridValue interpolateGridValue(const GridFile& grid, double latitude, double longitude);

// The same at a sub-grid already chosen, as for interpolateGridShift.
GridValue interpolateGridValue(const GridFile& grid, const SubGridMatch& match, double latitude);

}  // namespace velmora
