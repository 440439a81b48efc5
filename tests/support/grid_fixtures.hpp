// Small NTv2 grids for tests, whose node values form planes so that every bilinear value is known
// exactly. All bounds and spacings are in the file unit (arc-seconds for "SECONDS"), longitudes
// positive WEST as in the file; positions inside a sub-grid are in node spacings: row north from
// the southern edge, column WEST from the eastern edge.
#pragma once

#include <string>
#include <string_view>

#include "gridfile/grid_writer.hpp"
#include "tests/support/temp_dir.hpp"

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

// Nodes of spec: (nLat - sLat) / latInc + 1 rows of (wLong - eLong) / longInc + 1 columns.
SubGridImage planeSubGrid(const PlaneSpec& spec);

// A file of that single sub-grid with the given GS_TYPE.
GridImage planeGrid(const PlaneSpec& spec, std::string_view gsType = "SECONDS");

struct GeoPoint {
  double longitude = 0.0;  // degrees, east positive
  double latitude = 0.0;   // degrees
};

// Where the node position (row, column) of spec lies, for a file whose unit is toDegrees degrees.
GeoPoint planePoint(const PlaneSpec& spec, double row, double column, double toDegrees = 1.0 / 3600.0);

// "PARENT": 0..4 degrees north, 0..4 degrees east, 1-degree spacing (5 x 5 nodes).
PlaneSpec parentPlaneSpec();
// "CHILD" of "PARENT": 2..4 degrees north, 1..3 degrees east, 0.5-degree spacing (5 x 5 nodes).
// It shares the parent's northern edge; its values differ from the parent's by 100 and more.
PlaneSpec childPlaneSpec();
// SECONDS file of parentPlaneSpec() then childPlaneSpec().
GridImage parentWithChildGrid();

// Writes image into dir as name: text form when the name ends in ".gsa" (any letter case),
// binary form with layout otherwise. Returns the file's full path.
std::string writeGridFile(const TempDir& dir, std::string_view name, const GridImage& image,
                          const BinaryLayout& layout = {});

}  // namespace velmora
