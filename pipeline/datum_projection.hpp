// The map grid of each datum: which projection, ellipsoid and false origin its grid coordinates use.
#pragma once

#include "velmora/codes.hpp"
#include "velmora/geodesy/projection_params.hpp"

namespace velmora {

// Record for a datum code (codes outside 0..8 as GDA94). Every integer zone and sub-zone is
// accepted; southernHemisphere moves only the false northing of the UTM-type grids.
ProjectionParams makeProjectionParams(Datum datum, int zone, bool southernHemisphere, int isgSubZone);

}  // namespace velmora
