// Plain-text reports on an opened NTv2 grid file, printed by the velmora-grid tool.
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

#include "gridfile/grid_file.hpp"

namespace velmora {

// The two forms of an NTv2 file, named by the extension .gsb (binary) or .gsa (text).
enum class GridForm { kBinary, kText };

// Meaning of one GridFile::defects bit as the form in question sets it; "" for an unknown bit.
std::string_view gridDefectMeaning(std::uint32_t bit, GridForm form);

// Name of a location class of findSubGrid ("interior", "northern edge", ...); "none" for 0.
std::string_view locationClassName(int locationClass);

// Fixed-point text of a value with the given number of decimals, "." as decimal point, no sign on
// a value that rounds to zero; "nan", "inf" and "-inf" for values that are not finite.
std::string formatFixed(double value, int decimals);

// Report of "velmora-grid info": file name, form, byte order and padding (binary only), unit,
// sub-grid count, defects one per line, then the sub-grid tree in file order with each child
// indented two more spaces under its parent. Example:
//
//   File:        nz.gsb
//   Form:        binary
//   Byte order:  little-endian
//   Integers:    padded to 8 bytes
//   Unit:        SECONDS
//   Sub-grids:   2 (1 top-level)
//   Defects:     none
//   Sub-grid tree (lat and lon in degrees: south .. north and west .. east, then the spacing):
//     [0] "NZGD2K  " parent "NONE    ", 301 x 301 nodes (rows x columns), 90601 stored, lat ...
//       [1] "CHILD   " parent "NZGD2K  ", ...
//
// In-use sub-grids that the hierarchy check did not link into the tree are listed after it.
std::string formatGridInfo(const GridFile& grid, GridForm form);

struct GridShiftReport {
  bool found = false;  // a sub-grid holds the point
  std::string text;    // the report; empty when found is false
};

// Report of "velmora-grid shift" at a point in decimal degrees (east and north positive): the
// sub-grid chosen and its location class, the interpolated shifts in arc-seconds (north and east
// positive), the accuracies in arc-seconds as the file stores them (not held by the text form),
// and the value interpolateGridValue gives (the geoid-ellipsoid separation of a geoid file) or
// "no data". Example:
//
//   File:               nz.gsb
//   Point:              latitude -41.000000000, longitude 174.000000000
//   Sub-grid:           [0] "NZGD2K  " (class 1, interior)
//   Latitude shift:     5.713580000 arc-seconds (north positive)
//   Longitude shift:    -6.213040000 arc-seconds (east positive)
//   Latitude accuracy:  0.021000000 arc-seconds
//   Longitude accuracy: 0.019000000 arc-seconds
//   Geoid/value:        5.713580000
GridShiftReport formatGridShift(const GridFile& grid, GridForm form, double latitude, double longitude);

}  // namespace velmora
