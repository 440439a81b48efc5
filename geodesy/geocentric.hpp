// Geographic <-> geocentric conversions and the seven-parameter Helmert transformation in the
// coordinate-frame convention, shared by every parameter transformation.
#pragma once

#include "geodesy/lat_lon.hpp"

namespace velmora {

struct Geocentric {
  double x = 0.0;  // metres
  double y = 0.0;
  double z = 0.0;
};

// Closed-form (non-iterative) geocentric to geographic on an ellipsoid given by its semi-major
// axis (metres) and inverse flattening. Degrees out.
LatLon geocentricToGeographic(const Geocentric& point, double semiMajorAxis, double inverseFlattening);
// The same, also writing the ellipsoidal height (metres).
LatLon geocentricToGeographic(const Geocentric& point, double semiMajorAxis, double inverseFlattening,
                              double& height);

}  // namespace velmora
