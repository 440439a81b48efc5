// Reader of GeoTIFF grids (.tif, .tiff) in PROJ's profile for geodetic grids, through libtiff.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "velmora/gridfile/grid_file.hpp"

namespace velmora {

// Whether this build reads and writes GeoTIFF grids (it was built with libtiff).
extern const bool kGeoTiffSupported;

// Decoded node values may be at most this many times the file's size: well past the largest
// ratio Deflate (about 1032 to 1) or LZW (about 2730 to 1 with 12-bit codes) can reach, so no valid
// file is refused, while a small hostile file cannot ask for gigabytes.
inline constexpr std::uint64_t kMaxTiffExpansion = 4096;

// The whole grid in memory and the file closed on return: one sub-grid per image directory, in the
// NTv2 layout (see grid_file.hpp), shifts in arc-seconds positive west, one value per node in
// metres for a vertical grid, NaN for nodes without data, accuracies (arc-seconds) when the file
// has them. nullptr and the code of the first failure otherwise: 321/324 as for every reader, 326
// in a build without libtiff, 328 a file or block libtiff cannot read, 329 a sample type, size or
// layout not read, 330 georeferencing missing or unusable, 331 GDAL_METADATA or GDAL_NODATA
// malformed, 332 TYPE missing or not a horizontal offset or vertical offset grid, 333 too few
// samples or a unit not read, 334 a malformed GeoKey directory, 327 more nodes than kMaxGridNodes
// or than kMaxTiffExpansion allows, 308/310 a parent grid name that names no grid or a loop.
// samples: see GridSamples; a DEFORMATION_MODEL grid read by default is refused with 332.
std::unique_ptr<GridFile> openGeoTiffGridFile(std::string_view fileName, GridError& error,
                                              GridSamples samples = GridSamples::kDefault);

}  // namespace velmora
