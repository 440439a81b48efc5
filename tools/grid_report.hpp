// Plain-text reports on an opened grid file, printed by the velmora-grid tool.
//
// The reports are a user interface: their layout is fixed and scripts may read them. Numbers are
// written with "." as the decimal point whatever the locale, angles in decimal degrees (east and
// north positive) and shifts in arc-seconds, each with 9 decimals; a value that rounds to zero is
// written without a minus sign. Sub-grid names are shown quoted with all 8 characters, so blank
// padding and blank names are visible; a byte outside printable ASCII is shown as \xHH.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "velmora/gridfile/grid_file.hpp"

namespace velmora {

// Meaning of one GridFile::defects() bit as the form in question sets it; "" for an unknown bit.
std::string_view gridDefectMeaning(std::uint32_t bit, GridForm form);

// "binary", "text", "GTX" or "GeoTIFF", as the Form line of the info report shows it.
std::string_view gridFormName(GridForm form);

// Name of a location class of findSubGrid ("interior", "northern edge", ...); "none" for 0.
std::string_view locationClassName(int locationClass);

// Fixed-point text of a value with the given number of decimals, "." as decimal point, no sign on
// a value that rounds to zero; "nan", "inf" and "-inf" for values that are not finite.
std::string formatFixed(double value, int decimals);

// Report of "velmora-grid info": file name, form, content (GTX and GeoTIFF only: horizontal,
// geoid or vertical), byte order and padding (binary only), unit,
// sub-grid count, defects one per line, then the sub-grid tree in file order with each child
// indented two more spaces under its parent. Example:
//
//   File:        nzgd2kgrid0005.gsb
//   Form:        binary
//   Byte order:  little-endian
//   Integers:    padded to 8 bytes
//   Unit:        SECONDS
//   Sub-grids:   1 (1 top-level)
//   Defects:     0x80
//     0x80  the eight bytes after the END key are not all zero
//   Sub-grid tree (lat and lon in degrees: south .. north and west .. east, then the spacing):
//     [0] "NZNAT   " parent "NONE    ", 141 x 141 nodes (rows x columns), 19881 stored, lat
//     -48.000000000 .. -34.000000000 step 0.100000000, lon 166.000000000 .. 180.000000000 step
//     0.100000000                                      (one line in the report)
//
// A child's line starts two spaces further in than its parent's, right after the parent's line
// (or after the lines of the parent's earlier children and their own children). Top-level
// sub-grids are at depth 0; past depth 8 the lines stay at the indentation of depth 9 and start
// with the depth, "(depth 12) [12] ...", so that the report grows linearly with the sub-grids.
//
// In-use sub-grids that the hierarchy check did not link into the tree are listed after it.
std::string formatGridInfo(const GridFile& grid, GridForm form);

struct GridShiftReport {
  bool found = false;  // a sub-grid holds the point
  std::string text;    // the report; empty when found is false
};

// Report of "velmora-grid shift" at a point in decimal degrees (east and north positive): the
// sub-grid chosen and its location class, the interpolated shifts in arc-seconds (north and east
// positive), the accuracies in arc-seconds as the file stores them ("not stored in the text form"
// for a text sub-grid whose node lines hold two values, "not stored in the file" for a GTX or
// GeoTIFF grid without them), and the value interpolateGridValue gives
// (the geoid-ellipsoid separation of a geoid file) or "no data". Example:
//
//   File:               nzgd2kgrid0005.gsb
//   Point:              latitude -41.300000000, longitude 174.800000000
//   Sub-grid:           [0] "NZNAT   " (class 1, interior)
//   Latitude shift:     6.206136227 arc-seconds (north positive)
//   Longitude shift:    0.685768008 arc-seconds (east positive)
//   Latitude accuracy:  0.000627000 arc-seconds
//   Longitude accuracy: 0.000835000 arc-seconds
//   Geoid/value:        6.206136227
//
// The geoid/value line is the interpolated latitude-shift field times the unit's arc-second factor,
// as interpolateGridValue gives it; a geoid file (unit SECONDS) stores the separation in metres
// there. It reads "no data" when that value is -998 or below. For a GTX or GeoTIFF geoid or
// vertical grid the shift and accuracy lines are left out and the value is followed by " metres".
// The info report's Unit line reads "arc-seconds" or "metres" for those formats.
GridShiftReport formatGridShift(const GridFile& grid, GridForm form, double latitude, double longitude);

}  // namespace velmora
