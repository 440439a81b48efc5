// Builders of NTv2 grid images for the tests and the benchmarks alike, so nothing here needs a test
// framework. The plane fixtures have node values that form planes, so that every bilinear value is
// known exactly. A PlaneSpec has its bounds and spacings in the file unit (arc-seconds for "SECONDS"),
// longitudes positive WEST as in the file; a DegreeArea is laid out in degrees, east positive.
// Positions inside a sub-grid are in node spacings: row north from the southern edge, column WEST
// from the eastern edge.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "velmora/gridfile/grid_writer.hpp"

namespace velmora {

// value = base + perRow * row + perColumn * column. Choose small binary fractions (0.25, 1.5, ...)
// so that every node value is exact in float32.
struct Plane {
  double base = 0.0;
  double perRow = 0.0;
  double perColumn = 0.0;

  double at(double row, double column) const { return base + perRow * row + perColumn * column; }
};

struct PlaneSpec {
  std::string name = "PLANE";
  std::string parent = "NONE";
  double sLat = 0.0;
  double nLat = 0.0;
  double eLong = 0.0;  // eastern bound, positive west: the smaller of the two
  double wLong = 0.0;
  double latInc = 0.0;
  double longInc = 0.0;
  Plane latShift;
  Plane lonShift;  // positive west, as stored
  Plane latAccuracy;
  Plane lonAccuracy;
};

// Nodes of plane: (nLat - sLat) / latInc + 1 rows of (wLong - eLong) / longInc + 1 columns.
SubGridImage planeSubGrid(const PlaneSpec& plane);

// A file of that single sub-grid with the given GS_TYPE.
GridImage planeGrid(const PlaneSpec& plane, std::string_view gsType = "SECONDS");

struct GeoPoint {
  double longitude = 0.0;  // degrees, east positive
  double latitude = 0.0;   // degrees
};

// Where the node position (row, column) of plane lies, for a file whose unit is toDegrees degrees.
GeoPoint planePoint(const PlaneSpec& plane, double row, double column, double toDegrees = 1.0 / 3600.0);

// "PARENT": 0..4 degrees north, 0..4 degrees east, 1-degree spacing (5 x 5 nodes).
PlaneSpec parentPlaneSpec();
// "CHILD" of "PARENT": 2..4 degrees north, 1..3 degrees east, 0.5-degree spacing (5 x 5 nodes).
// It shares the parent's northern edge; its values differ from the parent's by 100 and more.
PlaneSpec childPlaneSpec();
// SECONDS file of parentPlaneSpec() then childPlaneSpec().
GridImage parentWithChildGrid();

// Grids laid out in degrees: a single sub-grid over whole nodes of a rectangle, latitudes north
// positive and longitudes EAST positive. In the file it is a "SECONDS" sub-grid: bounds times 3600,
// longitudes negated (positive west, so E_LONG = -east * 3600), rows from the south, each row from
// east to west.
struct DegreeArea {
  double south = 0.0;
  double north = 0.0;
  double west = 0.0;
  double east = 0.0;
  double spacing = 0.0;  // degrees between nodes, the same along both axes
};

// One node of a DegreeArea, as the builder visits it in the file's order.
struct DegreeNode {
  int row = 0;             // north from the southern edge
  int column = 0;          // WEST from the eastern edge: the order within a row
  int columnFromWest = 0;  // east from the western edge
  double latitude = 0.0;   // degrees, south + row * spacing
  double longitude = 0.0;  // degrees east, east - column * spacing
};

// The stored values of a node: shifts in arc-seconds with the longitude shift positive WEST.
using NodeValues = std::function<GridNode(const DegreeNode&)>;

// Sub-grid name with parent over area: (north - south) / spacing + 1 rows of
// (east - west) / spacing + 1 columns, each node as values gives it.
SubGridImage degreeSubGrid(const DegreeArea& area, const NodeValues& values, std::string_view name = "AREA",
                           std::string_view parent = "NONE");

// A "SECONDS" file of that single sub-grid.
GridImage degreeGrid(const DegreeArea& area, const NodeValues& values, std::string_view name = "AREA");

// value = base + perLatitude * latitude + perLongitude * longitude, latitude and longitude in
// degrees (east positive). Short binary fractions keep every node value exact in float.
struct DegreePlane {
  double base = 0.0;
  double perLatitude = 0.0;
  double perLongitude = 0.0;

  double at(double latitude, double longitude) const {
    return base + perLatitude * latitude + perLongitude * longitude;
  }
};

// A shift grid's nodes: latitude shift and EAST-positive longitude shift in arc-seconds from the
// planes at the node's position (stored negated, positive west); accuracies zero. A geoid file
// holds the separation in metres as its latitude shift, with a zero longitude plane.
NodeValues shiftPlanes(const DegreePlane& latitudeShift, const DegreePlane& longitudeShiftEast);

}  // namespace velmora
