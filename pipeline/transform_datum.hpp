// Change of datum of one geographic point: grid stage, New Zealand area, same datum, supported
// area, then the chain of parameter transformations through GDA94.
#pragma once

#include <string_view>

#include "common/codes.hpp"
#include "geodesy/lat_lon.hpp"

namespace velmora {

LatLon transformDatum(double latitude, double longitude, DatumCode fromDatum, DatumCode toDatum, double epoch,
                      bool useGridShift, bool useITRF2008, std::string_view programFolder);

}  // namespace velmora
