// Geographic <-> geocentric (earth-centred, earth-fixed) conversions shared by every parameter
// transformation. The Helmert transformation applied between the two steps is in helmert.hpp.
#pragma once

#include "velmora/geodesy/ellipsoid.hpp"
#include "velmora/geodesy/lat_lon.hpp"

namespace velmora {

struct Geocentric {
  double x = 0.0;  // metres, towards latitude 0, longitude 0
  double y = 0.0;  // metres, towards latitude 0, longitude 90 E
  double z = 0.0;  // metres, towards the north pole
};

// Latitude and longitude (degrees, any value) and ellipsoidal height (metres) to X, Y, Z (metres),
// exact to rounding. Reads a, e^2 and 1 - e^2 of the ellipsoid.
Geocentric geographicToGeocentric(double latitude, double longitude, double height,
                                  const Ellipsoid& ellipsoid);

// X, Y, Z (metres) to latitude and longitude (degrees, longitude in -180..180) by Bowring's closed
// form on e^2 * a and 1 - f, without iteration: within 0.05 mm of the exact position (PROJ cart)
// from 1 km below to 1000 km above the ellipsoid. The centre of the earth (0, 0, 0) gives NaN.
LatLon geocentricToGeographic(const Geocentric& point, const Ellipsoid& ellipsoid);

// The same, with the ellipsoidal height (metres, within 0.001 mm over the same range).
LatLonHeight geocentricToGeographicWithHeight(const Geocentric& point, const Ellipsoid& ellipsoid);

}  // namespace velmora
