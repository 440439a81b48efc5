// The point loop: converts every point of a run in input order and prints one result line each.
#pragma once

#include <cstdio>

#include "common/conversion_request.hpp"

namespace velmora {

// Converts each point with transformPoint and, when both height types are given (neither is -1),
// adds heightCorrection at the point's GDA2020 position to its height. Writes one line per point to
// out: EN "easting,northing,height" (3 decimals), DD "latitude,longitude,height" (8, 8 and 3
// decimals), DMS and DM latitude first in the text of formatDms / formatDm. Grid files are looked
// up in programFolder(request.programPath). After the last point, also when there is none, the
// datum grids are closed. Per point nothing is allocated and no file is touched once grids are open.
void convertPoints(const ConversionRequest& request, const InputPoints& points, std::FILE* out);

}  // namespace velmora
