#include "velmora/gridfile/grid_error.hpp"

namespace velmora {

// Table order is part of the interface: 206 (LON_INC) deliberately follows 207 and 208, and codes
// added later go after 323, before the closing entry.
const std::array<GridErrorMessage, 54> kGridErrorMessages = {{
    {0, "No error"},
    {1, "No memory"},
    {2, "I/O error"},
    {3, "NULL header"},
    {101, "File needs fixing"},
    {201, "LAT_MIN >= LAT_MAX"},
    {202, "LON_MIN >= LON_MAX"},
    {203, "Invalid LAT_MIN"},
    {204, "Invalid LAT_MAX"},
    {205, "Invalid LAT_INC"},
    {207, "Invalid LON_MIN"},
    {208, "Invalid LON_MAX"},
    {206, "Invalid LON_INC"},
    {301, "Invalid NUM_OREC"},
    {302, "Invalid NUM_SREC"},
    {303, "Invalid NUM_FILE"},
    {304, "Invalid GS_TYPE"},
    {305, "Invalid GS_COUNT"},
    {306, "Invalid lat/lon delta"},
    {307, "Invalid parent name"},
    {308, "Parent not found"},
    {309, "No top-level parent"},
    {310, "Parent loop"},
    {311, "Parent overlap"},
    {312, "Subfile overlap"},
    {313, "Invalid extent"},
    {314, "Headers not read yet"},
    {315, "Unknown file type"},
    {316, "File not binary"},
    {317, "File not ascii"},
    {318, "NULL pathname"},
    {319, "Original data not kept"},
    {320, "Data not read yet"},
    {321, "Cannot open file"},
    {322, "Unexpected EOF"},
    {323, "Invalid line"},
    {324, "Path too long"},
    {325, "Invalid GTX header"},
    {326, "GeoTIFF grids not supported by this build"},
    {327, "Grid too large"},
    {328, "Invalid TIFF file"},
    {329, "Unsupported TIFF samples"},
    {330, "Invalid georeferencing"},
    {331, "Invalid GDAL metadata"},
    {332, "Unsupported grid type"},
    {333, "Missing grid samples"},
    {334, "Invalid GeoKey directory"},
    {335, "Grid content does not fit the format"},
    {336, "Cannot encode the grid"},
    {337, "Grid holds heights, not horizontal shifts"},
    {338, "Grid holds horizontal shifts, not heights"},
    {339, "Invalid deformation model"},
    {340, "Deformation models not supported by this build"},
    {-1, nullptr},
}};

const char* gridErrorMessage(GridError code) {
  for (const GridErrorMessage& entry : kGridErrorMessages) {
    if (entry.message != nullptr && entry.code == code) return entry.message;
  }
  return nullptr;
}

}  // namespace velmora
