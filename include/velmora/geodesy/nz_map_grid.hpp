// The NZ Map Grid (NZGD49 grid coordinates): complex polynomials about 41 S, 173 E.
#pragma once

namespace velmora {

// Latitude and longitude (degrees) to easting and northing (metres). Every latitude is treated
// as southern.
void nzMapGridForward(double latitude, double longitude, double& easting, double& northing);

// Easting and northing (metres) to latitude and longitude (degrees).
void nzMapGridReverse(double easting, double northing, double& latitude, double& longitude);

}  // namespace velmora
