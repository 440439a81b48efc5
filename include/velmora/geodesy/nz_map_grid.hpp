// The NZ Map Grid (NZGD49 grid coordinates): complex polynomials about 41 S, 173 E.
#pragma once

#include "velmora/geodesy/grid_point.hpp"
#include "velmora/geodesy/lat_lon.hpp"

namespace velmora {

// Latitude and longitude (degrees) to easting and northing (metres). Every latitude is treated
// as southern.
GridPoint nzMapGridForward(const LatLon& point);

// Easting and northing (metres) to latitude and longitude (degrees).
LatLon nzMapGridReverse(const GridPoint& point);

}  // namespace velmora
