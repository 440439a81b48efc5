// Conversion of a sub-file header, shared by both readers, into a SubGrid: bounds in degrees with
// longitudes positive east, node rows and columns, and the checks that keep every later node
// address inside the sub-grid's arrays.
#pragma once

#include <cstdint>

#include "velmora/gridfile/grid_file.hpp"

namespace velmora {

// Fills subGrid from header (names normalised in name mode into defects) with toDegrees the
// file's unit factor. Refuses, in this order: GS_COUNT 0 or less (305), a non-finite S_LAT (203),
// N_LAT (204), W_LONG (207) or E_LONG (208), a spacing that is not a finite positive number
// (205 LAT_INC, 206 LONG_INC), S_LAT >= N_LAT (201), lonMin >= lonMax (202), and a GS_COUNT
// other than rows x columns (305). On success rows x columns == nodeCount.
GridError subGridFromHeader(const SubFileHeader& header, double toDegrees, int index, std::int64_t dataOffset,
                            std::uint32_t& defects, SubGrid& subGrid);

}  // namespace velmora
