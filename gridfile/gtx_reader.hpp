// Reader of GTX grids (.gtx): one value per node, a geoid or a vertical offset, in metres.
#pragma once

#include <memory>
#include <string_view>

#include "velmora/gridfile/grid_file.hpp"

namespace velmora {

// The value a GTX file writes at a node without data; values beyond +-1000 m count as none too.
inline constexpr float kGtxNoData = -88.8888F;

// The whole file in memory and closed on return, one top-level sub-grid named "GTX", content geoid,
// each value in the latitude-shift field (NaN where the file has none); nullptr and the code of the
// first failure otherwise: 321 cannot open or not a regular file, 324 path too long, 325 a header
// value out of range (see regularGeometryValid; origin longitude outside -360 .. 360), 327 more
// nodes than kMaxGridNodes or than the file holds, 2 a read that fails.
std::unique_ptr<GridFile> openGtxGridFile(std::string_view fileName, GridError& error);

}  // namespace velmora
