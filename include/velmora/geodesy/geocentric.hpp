// Geographic <-> geocentric conversions shared by every parameter transformation. The Helmert
// transformation applied between the two steps is in geodesy/helmert.hpp.
#pragma once

#include "velmora/geodesy/lat_lon.hpp"

namespace velmora {

struct Geocentric {
  double x = 0.0;  // metres
  double y = 0.0;
  double z = 0.0;
};

// An ellipsoid as the datum transformations use it: each derived constant is stored as computed
// once in double precision, and these differ from the projection table in the last digits.
struct DatumEllipsoid {
  double semiMajorAxis;        // a, metres
  double eccentricitySquared;  // e^2
  double oneMinusE2;           // 1 - e^2
  double e2TimesA;             // e^2 * a, metres
  double oneMinusFlattening;   // 1 - f = b / a
};

inline constexpr DatumEllipsoid kAnsDatumEllipsoid{6378160.0, 0.006694541854587637, 0.9933054581454124,
                                                   42698.85907525668, 0.9966471081307627};
inline constexpr DatumEllipsoid kGrs80DatumEllipsoid{6378137.0, 0.006694380022900787, 0.9933056199770992,
                                                     42697.67291612436, 0.9966471893188177};
inline constexpr DatumEllipsoid kWgs84DatumEllipsoid{6378137.0, 0.0066943799901413165, 0.9933056200098587,
                                                     42697.67270717997, 0.9966471893352525};
inline constexpr DatumEllipsoid kClarke1858DatumEllipsoid{
    6378293.639, 0.00678514592115091, 0.9932148540788491, 43277.653068563646, 0.996601652657093};

// Latitude and longitude (degrees) and ellipsoidal height (metres) to geocentric X, Y, Z.
Geocentric geographicToGeocentric(double latitude, double longitude, double height,
                                  const DatumEllipsoid& ellipsoid);

// Closed-form (non-iterative) geocentric to geographic on an ellipsoid given by its semi-major
// axis (metres) and inverse flattening. Degrees out. The centre of the earth (X = Y = Z = 0)
// has no latitude and gives NaN.
LatLon geocentricToGeographic(const Geocentric& point, double semiMajorAxis, double inverseFlattening);
// The same, also writing the ellipsoidal height (metres).
LatLon geocentricToGeographic(const Geocentric& point, double semiMajorAxis, double inverseFlattening,
                              double& height);
// The same closed form on the stored constants e^2 * a and 1 - f of an ellipsoid; no height.
LatLon geocentricToGeographic(const Geocentric& point, const DatumEllipsoid& ellipsoid);

}  // namespace velmora
