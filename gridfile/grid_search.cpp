// Choosing the sub-grid for a point and bilinear interpolation of its node values.
//
// Positions inside a sub-grid count columns WESTWARD from its eastern edge and rows northward
// from its southern edge, the node order of the file. Edges are compared with a relative
// tolerance, so a point computed a few ulps off an edge still counts as on it. Each location
// class reads only nodes that exist: the northern edge reads the last row, the western edge the
// last column, the north-western corner the corner node; a point within one spacing outside a
// top-level sub-grid gets the edge values faded linearly to zero at one spacing out.

#include "velmora/gridfile/grid_search.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>

#include "gridfile/grid_builder.hpp"
#include "gridfile/top_level_index.hpp"

namespace velmora {

namespace {

constexpr double kNearnessTolerance = 8.881784197001252e-16;  // 2^-50, relative tolerance of edge tests
constexpr double kNoDataAtOrBelow = -998.0;                   // geoid files mark areas without data with -999
constexpr int kNoClass = 6;                                   // worse than every location class

// The index's search boxes must reach further than any point the edge tests accept.
static_assert(kNearnessTolerance * 1024.0 <= kSearchBoxWidening);

bool near(double a, double b) {
  return a == b || std::fabs(a - b) <= ((std::fabs(a) + std::fabs(b)) * 0.5 + 1.0) * kNearnessTolerance;
}
bool belowOrNear(double a, double b) {
  return a < b || near(a, b);
}
bool clearlyBelow(double a, double b) {
  return a < b && !near(a, b);
}

// Class 1 to 4 of the closed rectangle, or 0 when the point is not on it.
int rectangleClass(const SubGridFields& g, double x, double y) {
  const bool insideRows = belowOrNear(g.latMin, y) && clearlyBelow(y, g.latMax);
  const bool onNorthEdge = near(y, g.latMax);
  if (clearlyBelow(g.lonMin, x) && belowOrNear(x, g.lonMax)) {
    if (insideRows) return kClassInterior;
    if (onNorthEdge) return kClassNorthernEdge;
  } else if (near(x, g.lonMin)) {
    if (insideRows) return kClassWesternEdge;
    if (onNorthEdge) return kClassNorthWestCorner;
  }
  return 0;
}

// Inline: as a call (it has two callers) it would slow the walk of short lists by a tenth.
inline bool inMargin(const SubGridFields& g, double x, double y) {
  return clearlyBelow(g.lonMin - g.lonInc, x) && clearlyBelow(x, g.lonMax + g.lonInc) &&
         clearlyBelow(g.latMin - g.latInc, y) && clearlyBelow(y, g.latMax + g.latInc);
}

// The two node lines that bracket a position along one axis, and the fraction between them.
struct Span {
  std::size_t low = 0;
  std::size_t high = 0;
  double fraction = 0.0;
  int side = 0;  // margin only: -1 or +1 when the position lies beyond the first or last node
};

// Inside the sub-grid. A position that rounding (or an extent that is not a whole number of
// spacings) puts on or past the last node line is brought back onto the last cell; a sub-grid
// with a single node line reads that line.
Span insideSpan(double position, int count) {
  if (count < 2) return {};
  const double lastCell = count - 2;
  const double cell = std::clamp(std::trunc(position), 0.0, lastCell);
  const auto low = static_cast<std::size_t>(cell);
  return {low, low + 1, std::clamp(position - cell, 0.0, 1.0), 0};
}

// The last node line only: the northern edge reads the last row, the western edge the last column.
Span lastLineSpan(int count) {
  const auto last = static_cast<std::size_t>(count - 1);
  return {last, last, 0.0, 0};
}

// Within one spacing outside. The fraction is taken from the unlimited cell, so it runs from the
// edge node to one spacing beyond it; the cell is then limited to the nodes that exist.
Span marginSpan(double position, int count, int sideBefore, int sideAfter) {
  const double cell = position < 0.0 ? -1.0 : std::trunc(std::min(position, static_cast<double>(count)));
  Span span;
  span.fraction = std::clamp(position - cell, 0.0, 1.0);
  if (cell < 0.0) {
    span.side = sideBefore;
  } else if (cell > count - 2) {
    span.side = sideAfter;
  }
  if (count < 2) return span;
  span.low = static_cast<std::size_t>(std::clamp(cell, 0.0, static_cast<double>(count - 2)));
  span.high = span.low + 1;
  return span;
}

constexpr int kEastSide = 1;   // columns: position before the first (eastern) column
constexpr int kWestSide = -1;  // columns: position past the last (western) column
constexpr int kSouthSide = -1;
constexpr int kNorthSide = 1;

struct Cell {
  Span column;
  Span row;
};

Cell locateCell(const SubGridFields& g, int locationClass, double x, double y) {
  const double columnPosition = (g.lonMax - x) / g.lonInc;
  const double rowPosition = (y - g.latMin) / g.latInc;
  switch (locationClass) {
    case kClassInterior:
      return {insideSpan(columnPosition, g.columns), insideSpan(rowPosition, g.rows)};
    case kClassNorthernEdge:
      return {insideSpan(columnPosition, g.columns), lastLineSpan(g.rows)};
    case kClassWesternEdge:
      return {lastLineSpan(g.columns), insideSpan(rowPosition, g.rows)};
    case kClassNorthWestCorner:
      return {lastLineSpan(g.columns), lastLineSpan(g.rows)};
    default:
      return {marginSpan(columnPosition, g.columns, kEastSide, kWestSide),
              marginSpan(rowPosition, g.rows, kSouthSide, kNorthSide)};
  }
}

// Bilinear value of one quantity (component 0: longitude, 1: latitude of the node pairs), in the
// file's unit.
double interpolate(std::span<const float> values, std::size_t component, std::size_t columns,
                   const Cell& cell) {
  const auto at = [&](std::size_t row, std::size_t column) {
    return static_cast<double>(values[(row * columns + column) * 2 + component]);
  };
  double a00 = at(cell.row.low, cell.column.low);
  double a01 = at(cell.row.low, cell.column.high);
  double a10 = at(cell.row.high, cell.column.low);
  double a11 = at(cell.row.high, cell.column.high);
  // Margin: the nodes beyond the edge are taken as zero, so the value fades out over one spacing.
  if (cell.column.side == kWestSide) {
    a00 = a01;
    a10 = a11;
    a01 = 0.0;
    a11 = 0.0;
  } else if (cell.column.side == kEastSide) {
    a01 = a00;
    a11 = a10;
    a00 = 0.0;
    a10 = 0.0;
  }
  if (cell.row.side == kSouthSide) {
    a10 = a00;
    a11 = a01;
    a00 = 0.0;
    a01 = 0.0;
  } else if (cell.row.side == kNorthSide) {
    a00 = a10;
    a01 = a11;
    a10 = 0.0;
    a11 = 0.0;
  }
  const double fx = cell.column.fraction;
  const double fy = cell.row.fraction;
  return a00 + (a01 - a00) * fx + (a10 - a00) * fy + (a00 - a01 - a10 + a11) * fx * fy;
}

bool holdsNodes(const SubGridFields& g, std::span<const float> values) {
  return g.rows >= 1 && g.columns >= 1 &&
         values.size() / 2 >= static_cast<std::size_t>(g.rows) * static_cast<std::size_t>(g.columns);
}

// A sub-grid and where the point lies in it, as the search works with it: the sub-grid's state,
// whose tree links it follows, rather than the SubGrid that holds it.
struct Match {
  const SubGridFields* subGrid = nullptr;
  int locationClass = kNoClass;
};

// The walk of the top-level list in findSubGrid keeps the sub-grid with the lowest class, a margin
// counting as class 5, and of those the first in the list: a minimum over (class, list position),
// so the index may offer its candidates in any order. Edges and interiors come first, from the few
// sub-grids whose rectangle box holds the point; only when none holds it are the margins asked.
Match searchTopLevelIndex(const detail::TopLevelIndex& index, double x, double y) {
  using Boxes = detail::TopLevelIndex::Boxes;
  Match choice;
  std::uint32_t chosenPosition = 0;
  index.forEachCandidate(Boxes::kRectangle, x, y, [&](const SubGridFields& top, std::uint32_t position) {
    const int locationClass = rectangleClass(top, x, y);
    if (locationClass != 0 && (locationClass < choice.locationClass ||
                               (locationClass == choice.locationClass && position < chosenPosition))) {
      choice = {&top, locationClass};
      chosenPosition = position;
    }
  });
  if (choice.subGrid != nullptr) return choice;
  index.forEachCandidate(Boxes::kReach, x, y, [&](const SubGridFields& top, std::uint32_t position) {
    if ((choice.subGrid == nullptr || position < chosenPosition) && inMargin(top, x, y)) {
      choice = {&top, kClassMargin};
      chosenPosition = position;
    }
  });
  return choice;
}

// findSubGrid on the sub-grids' states at the longitude as given.
Match searchAt(const GridFile& grid, double x, double y) {
  // Every edge test is false for NaN but true for an infinity ("near" anything); neither may go on
  // to the cell arithmetic.
  if (!std::isfinite(x) || !std::isfinite(y)) return {};

  Match chosen;
  // A long list goes through its index; coordinates too large for the index walk the list.
  const detail::TopLevelIndex* index = GridFileBuilder::topLevelIndex(grid);
  if (index != nullptr && std::fabs(x) <= kIndexedCoordinateLimit &&
      std::fabs(y) <= kIndexedCoordinateLimit) {
    chosen = searchTopLevelIndex(*index, x, y);
  } else {
    for (const SubGridFields* top = GridFileBuilder::fields(grid).firstTopLevel; top != nullptr;
         top = top->nextSibling) {
      const int locationClass = rectangleClass(*top, x, y);
      if (locationClass == kClassInterior) {
        chosen = {top, kClassInterior};
        break;
      }
      if (locationClass != 0) {
        // Among the edges a later sub-grid wins only with a strictly better class.
        if (chosen.locationClass > locationClass) chosen = {top, locationClass};
      } else if (chosen.locationClass == kNoClass && inMargin(*top, x, y)) {
        // The first margin in list order; any later edge or interior replaces it.
        chosen = {top, kClassMargin};
      }
    }
  }
  if (chosen.subGrid == nullptr || chosen.locationClass == kClassMargin) return chosen;

  // Descend into the deepest child that holds the point. The descent class d is kept across
  // levels; ties among siblings on edges go to the later sibling, an interior sibling ends the scan.
  int descent = kNoClass;
  for (const SubGridFields* level = chosen.subGrid; level->firstChild != nullptr;) {
    const SubGridFields* picked = nullptr;
    for (const SubGridFields* child = level->firstChild; child != nullptr; child = child->nextSibling) {
      const int locationClass = rectangleClass(*child, x, y);
      if (locationClass == kClassInterior) {
        picked = child;
        chosen.locationClass = descent = kClassInterior;
        break;
      }
      if (locationClass != 0 && descent >= locationClass) {
        picked = child;
        chosen.locationClass = descent = locationClass;
      }
    }
    if (picked == nullptr) break;
    chosen.subGrid = picked;
    level = picked;
  }
  return chosen;
}

constexpr double kFullTurnDeg = 360.0;

constexpr double kHalfTurnDeg = 180.0;

// findSubGrid on the sub-grids' states; no sub-grid and kNoClass when none holds the point. A grid
// that extends past 180 degrees (New Zealand's run from 160 E to 190 E) or past -180 also holds
// points given the other way round the globe, and a point given past +-180 may lie in a grid given
// within it (a world grid from -180): when the longitude as given finds no sub-grid, or only a
// margin, the longitude 360 degrees east or west is tried where it falls within the grid's reach.
// x is set to the longitude that found the sub-grid. A grid within -180 .. 180 and a point given
// within it never take the second look, so their results are those of the plain search.
Match searchGrid(const GridFile& grid, double& x, double y) {
  Match chosen = searchAt(grid, x, y);
  if (chosen.subGrid != nullptr && chosen.locationClass != kClassMargin) return chosen;
  const GridFileFields& fields = GridFileBuilder::fields(grid);
  if (!std::isfinite(x) || !(fields.pastAntimeridian || std::fabs(x) > kHalfTurnDeg)) return chosen;
  for (const double turned : {x + kFullTurnDeg, x - kFullTurnDeg}) {
    if (!(turned > fields.reachWest && turned < fields.reachEast)) continue;
    const Match other = searchAt(grid, turned, y);
    if (other.subGrid != nullptr && other.locationClass < chosen.locationClass) {
      chosen = other;
      x = turned;
    }
  }
  return chosen;
}

// x is the longitude at which the search found the sub-grid.
SubGridMatch publicMatch(const Match& match, double x) {
  if (match.subGrid == nullptr) return {};
  return {GridFileBuilder::owner(match.subGrid), match.locationClass, x};
}

}  // namespace

SubGridMatch findSubGrid(const GridFile& grid, double x, double y) {
  const Match match = searchGrid(grid, x, y);
  return publicMatch(match, x);
}

namespace {

// The interpolation at a match, without the test for nodes without data; x is the longitude at which
// the search found the sub-grid, y the latitude.
std::optional<GridShift> shiftAt(const GridFile& grid, const Match& match, double x, double y) {
  if (match.subGrid == nullptr) return std::nullopt;
  const SubGridFields& g = *match.subGrid;
  if (!holdsNodes(g, g.shifts)) return std::nullopt;

  const Cell cell = locateCell(g, match.locationClass, x, y);
  const auto columns = static_cast<std::size_t>(g.columns);
  // Straight from the file unit to arc-seconds: a detour through degrees (/ 3600 then * 3600)
  // would move values by an ulp, enough to turn a stored -998 into data.
  const double fileUnitToSeconds = GridFileBuilder::fields(grid).toSeconds;
  const auto toSeconds = [&](double value) { return value * fileUnitToSeconds; };
  const double lonShift = toSeconds(interpolate(g.shifts, 0, columns, cell));
  const double latShift = toSeconds(interpolate(g.shifts, 1, columns, cell));
  // A sub-grid without accuracies (text lines of two values) reports 0.
  const bool hasAccuracies = holdsNodes(g, g.accuracies);
  const double lonAccuracy = hasAccuracies ? toSeconds(interpolate(g.accuracies, 0, columns, cell)) : 0.0;
  const double latAccuracy = hasAccuracies ? toSeconds(interpolate(g.accuracies, 1, columns, cell)) : 0.0;

  // NTv2 longitude shifts are positive west; the accuracy takes the same change of sign.
  return GridShift{-lonShift, latShift, -lonAccuracy, latAccuracy, publicMatch(match, x)};
}

// A node without data (NaN, from a GTX or GeoTIFF grid) makes the shift NaN: the grid has no shift
// to give there, as if it did not hold the point.
std::optional<GridShift> withData(std::optional<GridShift> shift) {
  if (shift && (std::isnan(shift->longitudeShift) || std::isnan(shift->latitudeShift))) return std::nullopt;
  return shift;
}

Match privateMatch(const SubGridMatch& match) {
  if (match.subGrid == nullptr) return {};
  return {&GridFileBuilder::fields(*match.subGrid), match.locationClass};
}

GridValue valueOf(const std::optional<GridShift>& shift) {
  if (!shift) return {};
  const double separation = shift->latitudeShift;
  // -998 and below mark nodes without data; a NaN fails the comparison too.
  if (!(separation > kNoDataAtOrBelow)) return {GridValueStatus::kNoData, 0.0, shift->match};
  return {GridValueStatus::kFound, separation, shift->match};
}

}  // namespace

std::optional<GridShift> interpolateGridShift(const GridFile& grid, double latitude, double longitude) {
  double x = longitude;
  const Match match = searchGrid(grid, x, latitude);
  return withData(shiftAt(grid, match, x, latitude));
}

std::optional<GridShift> interpolateGridShift(const GridFile& grid, const SubGridMatch& match,
                                              double latitude) {
  return withData(shiftAt(grid, privateMatch(match), match.longitude, latitude));
}

GridValue interpolateGridValue(const GridFile& grid, double latitude, double longitude) {
  double x = longitude;
  const Match match = searchGrid(grid, x, latitude);
  return valueOf(shiftAt(grid, match, x, latitude));
}

GridValue interpolateGridValue(const GridFile& grid, const SubGridMatch& match, double latitude) {
  return valueOf(shiftAt(grid, privateMatch(match), match.longitude, latitude));
}

}  // namespace velmora
