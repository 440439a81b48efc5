// The seven-parameter Helmert transformation (coordinate-frame rotation convention). Positive
// rotations turn the coordinate frame, not the point: a positive rz moves a point on the
// X axis towards negative Y.
#include "velmora/geodesy/helmert.hpp"

namespace velmora {

Geocentric helmertForward(const Geocentric& point, const HelmertTransformation& set) {
  const double k = set.scale;
  return Geocentric{set.tx + k * (point.x + set.rz * point.y - set.ry * point.z),
                    set.ty + k * (-set.rz * point.x + point.y + set.rx * point.z),
                    set.tz + k * (set.ry * point.x - set.rx * point.y + point.z)};
}

Geocentric rotateTransposed(const Geocentric& point, const HelmertTransformation& set) {
  return Geocentric{point.x - set.rz * point.y + set.ry * point.z,
                    set.rz * point.x + point.y - set.rx * point.z,
                    -set.ry * point.x + set.rx * point.y + point.z};
}

Geocentric helmertTransposed(const Geocentric& point, const HelmertTransformation& set) {
  const Geocentric unscaled{(point.x - set.tx) / set.scale, (point.y - set.ty) / set.scale,
                            (point.z - set.tz) / set.scale};
  return rotateTransposed(unscaled, set);
}

LatLon helmertBetween(double latitude, double longitude, const Ellipsoid& source,
                      const HelmertTransformation& set, const Ellipsoid& target, bool forward) {
  const Geocentric point = geographicToGeocentric(latitude, longitude, 0.0, source);
  return geocentricToGeographic(forward ? helmertForward(point, set) : helmertTransposed(point, set), target);
}

}  // namespace velmora
