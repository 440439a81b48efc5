// Change of datum of one geographic point: grid stage, New Zealand area, same datum, supported
// area, then the chain of parameter transformations through GDA94.
#pragma once

#include <string_view>

#include "velmora/codes.hpp"
#include "velmora/geodesy/lat_lon.hpp"

namespace velmora {

// latitude, longitude: degrees on fromDatum; the result is on toDatum. epoch: decimal year of ITRF
// (WGS84) positions, ITRF2008 when useITRF2008 is set, else ITRF2000. useGridShift lets the grids in
// programFolder serve where they cover the point. Never fails: pairs without a transformation pass
// unchanged, points outside 90S..0, 0E..180E at most receive the fixed approximate AGD shift.
LatLon transformDatum(double latitude, double longitude, DatumCode fromDatum, DatumCode toDatum, double epoch,
                      bool useGridShift, bool useITRF2008, std::string_view programFolder);

}  // namespace velmora
