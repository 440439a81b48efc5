// Parameter transformations between fixed datums. Each goes geographic -> geocentric on the
// source ellipsoid, applies a seven-parameter Helmert transformation (coordinate-frame rotation
// convention, see helmert.hpp) and returns to geographic on the target ellipsoid by Bowring's
// closed form. The published sets are those of the direction into GDA94 (or NZGD2000); the
// way back uses the transposed form, which assumes the rotations are small (they are, well
// under an arc-second). Heights are carried only between GDA94 and GDA2020; the AGD, NZGD and
// ANG operations work at ellipsoidal height 0, where their published parameters apply.
#include "velmora/geodesy/datum_transforms.hpp"

#include <cmath>

#include "velmora/geodesy/angle_units.hpp"
#include "velmora/geodesy/ellipsoid.hpp"
#include "velmora/geodesy/geocentric.hpp"
#include "velmora/geodesy/helmert.hpp"

namespace velmora {
namespace {

// AGD66 to GDA94 and AGD84 to GDA94, metres / arc-seconds / ppm.
constexpr HelmertTransformation kAgd66ToGda94 =
    helmertFromParams({-117.808, -51.536, 137.784, -0.303, -0.446, -0.234, -0.29});
constexpr HelmertTransformation kAgd84ToGda94 =
    helmertFromParams({-117.763, -51.51, 139.061, -0.292, -0.443, -0.277, -0.191});

// GDA2020 to GDA94. The scale is published as k rather than in ppm, and the way back divides
// the translation by it, precomputed here.
constexpr HelmertParams kGda2020ToGda94Rotation{-0.06155,  0.01087,   0.04019, 0.0394924,
                                                0.0327221, 0.0328979, 0.0};
constexpr double kGda2020ToGda94Scale = 1.000000009994;
constexpr double kGda94ToGda2020TxOverScale = kGda2020ToGda94Rotation.tx / kGda2020ToGda94Scale;  // metres
constexpr double kGda94ToGda2020TyOverScale = kGda2020ToGda94Rotation.ty / kGda2020ToGda94Scale;
constexpr double kGda94ToGda2020TzOverScale = kGda2020ToGda94Rotation.tz / kGda2020ToGda94Scale;

// NZGD2000's ellipsoid as the NZGD49 <-> NZGD2000 transformation reads it: GRS80 from a and b =
// 6356752.3141 m (b from 1/f is 6356752.314140356 m).
constexpr Ellipsoid kGrs80RoundedAxes = ellipsoidFromSemiAxes(6378137.0, 6356752.3141);

// NZGD49 to NZGD2000; the reverse direction negates every parameter.
constexpr HelmertParams kNzgd49ToNzgd2000{59.47, -5.04, 187.44, -0.47, 0.1, -1.024, -4.5993};
constexpr HelmertTransformation kNzgd49ToNzgd2000Set = helmertFromParams(kNzgd49ToNzgd2000);
constexpr HelmertTransformation kNzgd2000ToNzgd49Set = helmertFromParams(
    {-kNzgd49ToNzgd2000.tx, -kNzgd49ToNzgd2000.ty, -kNzgd49ToNzgd2000.tz, -kNzgd49ToNzgd2000.rx,
     -kNzgd49ToNzgd2000.ry, -kNzgd49ToNzgd2000.rz, -kNzgd49ToNzgd2000.s});

// Molodensky constants of the ANG <-> GDA94 ellipsoid change, target ellipsoid first.
struct MolodenskyTarget {
  const Ellipsoid* ellipsoid;
  double secondEccentricitySquared;  // e'^2
  double semiMajorTimesOneMinusE2;   // a (1 - e^2), metres
  double deltaA;                     // a_target - a_source, metres
  double deltaF;                     // f_target - f_source
};
// 6378137 - 6378293.639 as computed in double precision, and the matching flattening change.
constexpr double kAngToGda94DeltaAM = -156.63900000043213;
constexpr double kAngToGda94DeltaF = -0.00004553666172465781;
constexpr MolodenskyTarget kMolodenskyIntoGrs80{&kGrs80Ellipsoid, 0.006739496775478957, 6335439.327083875,
                                                kAngToGda94DeltaAM, kAngToGda94DeltaF};
constexpr MolodenskyTarget kMolodenskyIntoClarke1858{&kClarke1858, 0.0068314986362580645, 6335015.985931437,
                                                     -kAngToGda94DeltaAM, -kAngToGda94DeltaF};

constexpr HelmertTransformation gda2020ToGda94Set() {
  HelmertTransformation set = helmertFromParams(kGda2020ToGda94Rotation);
  set.scale = kGda2020ToGda94Scale;
  return set;
}
constexpr HelmertTransformation kGda2020ToGda94 = gda2020ToGda94Set();

Geocentric gda2020ToGda94Geocentric(double latitude, double longitude, double height) {
  return helmertForward(geographicToGeocentric(latitude, longitude, height, kGrs80Ellipsoid),
                        kGda2020ToGda94);
}

Geocentric gda94ToGda2020Geocentric(double latitude, double longitude, double height) {
  const HelmertTransformation& set = kGda2020ToGda94;
  const Geocentric point = geographicToGeocentric(latitude, longitude, height, kGrs80Ellipsoid);
  const Geocentric unscaled{point.x / set.scale - kGda94ToGda2020TxOverScale,
                            point.y / set.scale - kGda94ToGda2020TyOverScale,
                            point.z / set.scale - kGda94ToGda2020TzOverScale};
  return rotateTransposed(unscaled, set);
}

// Standard Molodensky shift at ellipsoidal height 0, radii taken on the target ellipsoid at the
// input latitude; the translation is (dx, dy, dz).
LatLon molodensky(double latitude, double longitude, double dx, double dy, double dz,
                  const MolodenskyTarget& target) {
  const Ellipsoid& ellipsoid = *target.ellipsoid;
  const double e2 = ellipsoid.eccentricitySquared;
  const double phi = latitude * kRadiansPerDegree;
  const double lambda = longitude * kRadiansPerDegree;
  const double sinPhi = std::sin(phi);
  const double cosPhi = std::cos(phi);
  const double sinLambda = std::sin(lambda);
  const double cosLambda = std::cos(lambda);

  const double w = std::sqrt(1.0 - e2 * sinPhi * sinPhi);
  const double n = ellipsoid.semiMajorAxis / w;                    // prime-vertical radius
  const double m = target.semiMajorTimesOneMinusE2 / (w * w * w);  // meridian radius

  const double deltaPhi =
      (-dx * sinPhi * cosLambda - dy * sinPhi * sinLambda + dz * cosPhi +
       target.deltaA * e2 * sinPhi * cosPhi / w +
       target.deltaF * (m * target.secondEccentricitySquared * sinPhi * sinPhi + 2.0 * n) * sinPhi * cosPhi *
           ellipsoid.oneMinusFlattening) /
      m;
  const double deltaLambda = (-dx * sinLambda + dy * cosLambda) / (n * cosPhi);
  return LatLon{latitude + deltaPhi * kDegreesPerRadian, longitude + deltaLambda * kDegreesPerRadian};
}

bool isMolodenskyRecord(const HelmertParams& params) {
  return params.rx == 0.0 && params.ry == 0.0 && params.rz == 0.0 && params.s == 0.0;
}

// NZGD49 <-> NZGD2000: the published set forward, its negation back. Both ellipsoids enter through
// their semi-axes (GRS80 with b = 6356752.3141 m), the geocentric steps written with a^2 and b^2
// rather than e^2. One body serves both directions, chosen at run time: specialised copies would
// let the compiler order operands differently and change the sign of NaN results.
LatLon nzgdHelmert(bool fromNzgd49, double latitude, double longitude) {
  const HelmertTransformation& set = fromNzgd49 ? kNzgd49ToNzgd2000Set : kNzgd2000ToNzgd49Set;
  const Ellipsoid& from = fromNzgd49 ? kInternational1924 : kGrs80RoundedAxes;
  const Ellipsoid& to = fromNzgd49 ? kGrs80RoundedAxes : kInternational1924;

  const double phi = latitude * kRadiansPerDegree;
  const double lambda = longitude * kRadiansPerDegree;
  const double sinPhi = std::sin(phi);
  const double cosPhi = std::cos(phi);
  const double a2 = from.semiMajorAxis * from.semiMajorAxis;
  const double b2 = from.semiMinorAxis * from.semiMinorAxis;
  const double n = a2 / std::sqrt(a2 * cosPhi * cosPhi + b2 * sinPhi * sinPhi);
  const Geocentric point{n * cosPhi * std::cos(lambda), n * cosPhi * std::sin(lambda),
                         (b2 / a2) * n * sinPhi};

  const Geocentric moved = helmertForward(point, set);

  // Bowring's closed form written with the semi-axes of the target ellipsoid.
  const double p = std::sqrt(moved.x * moved.x + moved.y * moved.y);
  const double u = std::atan2(to.semiMajorAxis * moved.z, to.semiMinorAxis * p);
  const double sinU = std::sin(u);
  const double cosU = std::cos(u);
  const double axesDifference = to.semiMajorAxis * to.semiMajorAxis - to.semiMinorAxis * to.semiMinorAxis;
  const double newPhi = std::atan2(moved.z + (axesDifference / to.semiMinorAxis) * sinU * sinU * sinU,
                                   p - (axesDifference / to.semiMajorAxis) * cosU * cosU * cosU);
  const double newLambda = std::atan2(moved.y, moved.x);
  return LatLon{newPhi * kDegreesPerRadian, newLambda * kDegreesPerRadian};
}

}  // namespace

LatLon agd66ToGda94(double latitude, double longitude) {
  return helmertBetween(latitude, longitude, kAustralianNationalSpheroid, kAgd66ToGda94, kGrs80Ellipsoid,
                        true);
}

LatLon agd84ToGda94(double latitude, double longitude) {
  return helmertBetween(latitude, longitude, kAustralianNationalSpheroid, kAgd84ToGda94, kGrs80Ellipsoid,
                        true);
}

LatLon gda94ToAgd66(double latitude, double longitude) {
  return helmertBetween(latitude, longitude, kGrs80Ellipsoid, kAgd66ToGda94, kAustralianNationalSpheroid,
                        false);
}

LatLon gda94ToAgd84(double latitude, double longitude) {
  return helmertBetween(latitude, longitude, kGrs80Ellipsoid, kAgd84ToGda94, kAustralianNationalSpheroid,
                        false);
}

LatLonHeight gda2020ToGda94(double latitude, double longitude, double height) {
  return geocentricToGeographicWithHeight(gda2020ToGda94Geocentric(latitude, longitude, height),
                                          kGrs80Ellipsoid);
}

LatLonHeight gda94ToGda2020(double latitude, double longitude, double height) {
  return geocentricToGeographicWithHeight(gda94ToGda2020Geocentric(latitude, longitude, height),
                                          kGrs80Ellipsoid);
}

LatLon gda2020ToGda94(double latitude, double longitude) {
  return geocentricToGeographic(gda2020ToGda94Geocentric(latitude, longitude, 0.0), kGrs80Ellipsoid);
}

LatLon gda94ToGda2020(double latitude, double longitude) {
  return geocentricToGeographic(gda94ToGda2020Geocentric(latitude, longitude, 0.0), kGrs80Ellipsoid);
}

LatLon nzgd49ToNzgd2000(double latitude, double longitude) {
  return nzgdHelmert(true, latitude, longitude);
}

LatLon nzgd2000ToNzgd49(double latitude, double longitude) {
  return nzgdHelmert(false, latitude, longitude);
}

LatLon angToGda94(double latitude, double longitude, const HelmertParams& params) {
  if (isMolodenskyRecord(params)) {
    return molodensky(latitude, longitude, params.tx, params.ty, params.tz, kMolodenskyIntoGrs80);
  }
  return helmertBetween(latitude, longitude, kClarke1858, helmertFromParams(params), kGrs80Ellipsoid, true);
}

LatLon gda94ToAng(double latitude, double longitude, const HelmertParams& params) {
  if (isMolodenskyRecord(params)) {
    return molodensky(latitude, longitude, -params.tx, -params.ty, -params.tz, kMolodenskyIntoClarke1858);
  }
  // Rotation and scale first, translation last, with the scale taken as 1 - s rather than
  // 1 / (1 + s): the two differ by s^2 and the rotated translation by well under a millimetre.
  const Geocentric point = geographicToGeocentric(latitude, longitude, 0.0, kGrs80Ellipsoid);
  const HelmertTransformation set = helmertFromParams(params);
  const Geocentric rotated = rotateTransposed(point, set);
  const double shrink = 1.0 - params.s * kPartsPerMillion;
  const Geocentric moved{shrink * rotated.x - params.tx, shrink * rotated.y - params.ty,
                         shrink * rotated.z - params.tz};
  return geocentricToGeographic(moved, kClarke1858);
}

}  // namespace velmora
