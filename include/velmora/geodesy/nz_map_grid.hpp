// The NZ Map Grid (NZGD49 grid coordinates): complex polynomials about 41 S, 173 E on the
// International 1924 ellipsoid, false origin 2510000 m E, 6023150 m N. The polynomials are the
// projection's definition; the domain they were fitted for is 34 S to 47.5 S, 166 E to 179 E.
#pragma once

#include "velmora/geodesy/grid_factors.hpp"
#include "velmora/geodesy/grid_point.hpp"
#include "velmora/geodesy/lat_lon.hpp"

namespace velmora {

// Latitude and longitude (degrees) to easting and northing (metres). Every latitude is taken as
// southern (41 N projects like 41 S). Agrees with PROJ nzmg to 0.001 mm; any finite input gives a
// number, NaN gives NaN.
GridPoint nzMapGridForward(const LatLon& point);

// Easting and northing (metres) to latitude (degrees, south negative) and longitude (degrees). A
// first estimate refined by two Newton steps: it inverts the forward polynomials to 0.11 mm over
// the domain above and 0.8 mm at 33 S, 165 E.
LatLon nzMapGridReverse(const GridPoint& point);

// The grid convergence and point scale factor at a point (degrees), from the derivative of the
// forward polynomial. Agree with PROJ's numerical factors (`proj -V +proj=nzmg`) to 0.01
// arc-seconds and 1e-8 over the domain above.
GridFactors nzMapGridFactors(const LatLon& point);

}  // namespace velmora
