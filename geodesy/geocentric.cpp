// Geographic <-> geocentric conversions. The reverse direction is Bowring's closed form (1985):
// a parametric latitude u first, then the geodetic latitude in one step, accurate to well under
// a millimetre for points near the surface, so no iteration is needed. Only the sine and cosine of
// u are used, so they are taken from its tangent q/p by one square root rather than by atan, sin
// and cos: the same values to the last bit or one unit in it, at a third of the cost.
#include "velmora/geodesy/geocentric.hpp"

#include <cmath>

#include "velmora/geodesy/angle_units.hpp"

namespace velmora {
namespace {

struct GeographicRad {
  double latitude = 0.0;
  double longitude = 0.0;
};

GeographicRad closedForm(const Geocentric& point, double e2TimesA, double oneMinusF) {
  const double p = std::sqrt(point.x * point.x + point.y * point.y);
  const double r = std::sqrt(p * p + point.z * point.z);
  // tan u = q / p. At a pole p is 0 and u is +-90 degrees: sin u = +-1, cos u = 0 all the same.
  const double q = point.z * (oneMinusF + e2TimesA / r);
  const double hypotenuse = std::sqrt(q * q + p * p);
  const double sinU = q / hypotenuse;
  const double cosU = p / hypotenuse;
  const double latitude = std::atan2(point.z * oneMinusF + e2TimesA * sinU * sinU * sinU,
                                     oneMinusF * (p - e2TimesA * cosU * cosU * cosU));
  return GeographicRad{latitude, std::atan2(point.y, point.x)};
}

LatLon toDegrees(const GeographicRad& position) {
  return LatLon{position.latitude * kDegreesPerRadian, position.longitude * kDegreesPerRadian};
}

}  // namespace

Geocentric geographicToGeocentric(double latitude, double longitude, double height,
                                  const Ellipsoid& ellipsoid) {
  const double phi = latitude * kRadiansPerDegree;
  const double lambda = longitude * kRadiansPerDegree;
  const double sinPhi = std::sin(phi);
  const double cosPhi = std::cos(phi);
  const double nu =
      ellipsoid.semiMajorAxis / std::sqrt(1.0 - ellipsoid.eccentricitySquared * sinPhi * sinPhi);
  return Geocentric{(nu + height) * cosPhi * std::cos(lambda), (nu + height) * cosPhi * std::sin(lambda),
                    (nu * ellipsoid.oneMinusE2 + height) * sinPhi};
}

LatLon geocentricToGeographic(const Geocentric& point, const Ellipsoid& ellipsoid) {
  return toDegrees(closedForm(point, ellipsoid.e2TimesA, ellipsoid.oneMinusFlattening));
}

LatLonHeight geocentricToGeographicWithHeight(const Geocentric& point, const Ellipsoid& ellipsoid) {
  const GeographicRad position = closedForm(point, ellipsoid.e2TimesA, ellipsoid.oneMinusFlattening);
  const double p = std::sqrt(point.x * point.x + point.y * point.y);
  const double sinPhi = std::sin(position.latitude);
  const double height =
      p * std::cos(position.latitude) + point.z * sinPhi -
      ellipsoid.semiMajorAxis * std::sqrt(1.0 - ellipsoid.eccentricitySquared * sinPhi * sinPhi);
  return LatLonHeight{toDegrees(position), height};
}

}  // namespace velmora
