// Error codes of the grid-file library; 0 means success. Every failing operation reports one.
#pragma once

#include <array>

namespace velmora {

using GridError = int;

inline constexpr GridError kGridOk = 0;
inline constexpr GridError kGridNoMemory = 1;
inline constexpr GridError kGridIoError = 2;
inline constexpr GridError kGridInvalidLatMinMax = 201;  // LAT_MIN >= LAT_MAX
inline constexpr GridError kGridInvalidLonMinMax = 202;  // LON_MIN >= LON_MAX
inline constexpr GridError kGridInvalidLatMin = 203;     // S_LAT not finite
inline constexpr GridError kGridInvalidLatMax = 204;     // N_LAT not finite
inline constexpr GridError kGridInvalidLatInc = 205;     // LAT_INC zero, negative or not finite
inline constexpr GridError kGridInvalidLonMin = 207;     // W_LONG not finite
inline constexpr GridError kGridInvalidLonMax = 208;     // E_LONG not finite
inline constexpr GridError kGridInvalidLonInc = 206;     // LONG_INC zero, negative or not finite
inline constexpr GridError kGridInvalidNumORec = 301;
inline constexpr GridError kGridInvalidNumSRec = 302;
inline constexpr GridError kGridInvalidNumFile = 303;
inline constexpr GridError kGridInvalidGsType = 304;
inline constexpr GridError kGridInvalidGsCount = 305;
inline constexpr GridError kGridInvalidParentName = 307;
inline constexpr GridError kGridParentNotFound = 308;
inline constexpr GridError kGridNoTopLevelParent = 309;
inline constexpr GridError kGridParentLoop = 310;
inline constexpr GridError kGridCannotOpenFile = 321;  // also a path that is not a regular file
inline constexpr GridError kGridUnexpectedEof = 322;
inline constexpr GridError kGridInvalidLine = 323;  // text form: bad node line, or a line too long
inline constexpr GridError kGridPathTooLong = 324;  // longer than kMaxGridPathLength characters
inline constexpr GridError kGridInvalidGtxHeader = 325;    // GTX: origin, spacing or counts out of range
inline constexpr GridError kGridNoGeoTiffSupport = 326;    // a .tif in a build without libtiff
inline constexpr GridError kGridTooLarge = 327;            // nodes over kMaxGridNodes or more than the file holds
inline constexpr GridError kGridInvalidTiff = 328;         // libtiff refused the file, a directory or a block
inline constexpr GridError kGridUnsupportedSamples = 329;  // sample type, width or layout not read
inline constexpr GridError kGridInvalidGeoreference = 330; // tie point, pixel scale, transformation or model type
inline constexpr GridError kGridInvalidMetadata = 331;     // GDAL_METADATA not the XML expected, or bad SCALE/OFFSET/nodata
inline constexpr GridError kGridUnsupportedType = 332;     // TYPE missing or not a grid type that is read
inline constexpr GridError kGridMissingSamples = 333;      // fewer samples than the TYPE needs, or bad unit
inline constexpr GridError kGridInvalidGeoKeys = 334;      // GeoKey directory malformed
inline constexpr GridError kGridContentMismatch = 335;     // writing: the grid does not fit the format
inline constexpr GridError kGridWriteFailed = 336;         // writing: the encoder failed
inline constexpr GridError kGridHoldsHeights = 337;        // a height grid where shifts are needed
inline constexpr GridError kGridHoldsShifts = 338;         // a horizontal shift grid where heights are needed
inline constexpr GridError kGridInvalidModel = 339;        // a deformation model master file not read
inline constexpr GridError kGridNoModelSupport = 340;      // a deformation model in a build without JSON

struct GridErrorMessage {
  GridError code;
  const char* message;  // nullptr in the closing entry
};

// Every code with its message, in the library's table order, closed by {-1, nullptr}.
extern const std::array<GridErrorMessage, 54> kGridErrorMessages;

// The message of a code, or nullptr for a code the table does not hold.
const char* gridErrorMessage(GridError code);

}  // namespace velmora
