// Redfearn's series for the Transverse Mercator projection, in the form published in the GDA
// technical manual: the forward series in powers of the longitude difference omega from the
// central meridian, the reverse through the footpoint latitude (the latitude whose meridian arc
// equals the true northing) and the inverse series in powers of x = E'/nu.
//
// Conventions that matter here: latitudes are negative in the south and the false northing
// (10000000 m in the southern hemisphere) is added after the series, so southern northings are
// 10000000 m minus the arc. psi is the ratio nu/rho of the two radii of curvature. The ANG grid
// is the same series without a scale factor, expressed in yards about its own false origin.
//
// Stored coordinates were produced with two rounded constants that are therefore kept: the
// reverse longitude passes through 57.295779514 (a shortened 180/pi), and the forward central
// meridian is converted with 3.141592653589793/180, which equals the double nearest pi/180, so
// that a point on the central meridian gets omega = 0 and the false easting exactly.
#include "velmora/geodesy/transverse_mercator.hpp"

#include <cmath>

#include "velmora/geodesy/angle_units.hpp"

namespace velmora {
namespace {

constexpr double kCentralMeridianRadiansPerDegree = 3.141592653589793 / 180;
constexpr double kShortenedDegreesPerRadian = 57.295779514;  // reverse longitude only

// rho is the derivative of the meridian arc, so each footpoint pass is a Newton step and a real
// latitude needs two or three. The pass cap only stops inputs whose residual can never fall to
// 1 m (arcs so large that their rounding error exceeds a metre), which would otherwise loop.
constexpr double kFootpointToleranceM = 1.0;
constexpr int kFootpointMaxPasses = 100;

// The last pass of the footpoint iteration. Redfearn's reverse series reuse its radii and its
// sine, which belong to the latitude before the final correction.
struct Footpoint {
  double latitudeRad = 0.0;  // corrected footpoint latitude phi'
  double sinLatitude = 0.0;  // sine of the latitude the last pass started from
  double nu = 0.0;           // prime-vertical radius of curvature of the last pass, metres
  double rho = 0.0;          // meridian radius of curvature of the last pass, metres
};

Footpoint solveFootpoint(const Ellipsoid& ellipsoid, double meridianArc) {
  const double a = ellipsoid.semiMajorAxis;
  const double e2 = ellipsoid.eccentricitySquared;
  const double semiMinorAxis = std::sqrt(a * a - a * a * e2);
  double phi = meridianArc / semiMinorAxis;
  Footpoint last;
  for (int pass = 0; pass < kFootpointMaxPasses; ++pass) {
    const double sinPhi = std::sin(phi);
    const double residual = meridianArc - meridianDistance(ellipsoid, phi);
    const double w2 = 1.0 - e2 * sinPhi * sinPhi;
    const double nu = a / std::sqrt(w2);
    const double rho = (1.0 - e2) * nu / w2;
    phi += residual / rho;
    last = Footpoint{phi, sinPhi, nu, rho};
    // The correction of the pass that meets the tolerance is still applied. A residual that is
    // not a number fails the comparison and ends the iteration too.
    if (!(std::fabs(residual) > kFootpointToleranceM)) break;
  }
  return last;
}

// Redfearn's forward series without scale factor or false origin.
struct SeriesOffsets {
  double easting = 0.0;   // metres east of the central meridian
  double northing = 0.0;  // metres north of the equator (negative in the south)
};

SeriesOffsets forwardSeries(const Ellipsoid& ellipsoid, double phi, double omega) {
  const double a = ellipsoid.semiMajorAxis;
  const double e2 = ellipsoid.eccentricitySquared;
  const double sinPhi = std::sin(phi);
  const double cosPhi = std::cos(phi);
  const double secondEccentricity2 = e2 / (1.0 - e2);
  const double psi = 1.0 + secondEccentricity2 * cosPhi * cosPhi;
  const double nu = (a / std::sqrt(1.0 - e2)) / std::sqrt(psi);
  const double t = sinPhi / cosPhi;

  const double t2 = t * t;
  const double t4 = t2 * t2;
  const double t6 = t4 * t2;
  const double psi2 = psi * psi;
  const double psi3 = psi2 * psi;
  const double psi4 = psi3 * psi;
  const double w2 = omega * omega;
  const double w4 = w2 * w2;
  const double w6 = w4 * w2;
  const double w8 = w6 * w2;
  const double c2 = cosPhi * cosPhi;
  const double c3 = c2 * cosPhi;
  const double c4 = c2 * c2;
  const double c5 = c4 * cosPhi;
  const double c6 = c4 * c2;
  const double c7 = c6 * cosPhi;

  const double eastingBracket =
      1.0 + (w2 / 6.0) * c2 * (psi - t2) +
      (w4 / 120.0) * c4 * (4.0 * psi3 * (1.0 - 6.0 * t2) + psi2 * (1.0 + 8.0 * t2) - 2.0 * psi * t2 + t4) +
      (w6 / 5040.0) * c6 * (61.0 - 479.0 * t2 + 179.0 * t4 - t6);

  const double nuSin = nu * sinPhi;
  const double northing = meridianDistance(ellipsoid, phi) + (w2 / 2.0) * nuSin * cosPhi +
                          (w4 / 24.0) * nuSin * c3 * (4.0 * psi2 + psi - t2) +
                          (w6 / 720.0) * nuSin * c5 *
                              (8.0 * psi4 * (11.0 - 24.0 * t2) - 28.0 * psi3 * (1.0 - 6.0 * t2) +
                               psi2 * (1.0 - 32.0 * t2) - 2.0 * psi * t2 + t4) +
                          (w8 / 40320.0) * nuSin * c7 * (1385.0 - 3111.0 * t2 + 543.0 * t4 - t6);

  return SeriesOffsets{nu * omega * cosPhi * eastingBracket, northing};
}

// Redfearn's reverse series from true (unscaled, origin-free) grid offsets in metres; degrees out.
LatLon reverseSeries(const Ellipsoid& ellipsoid, double eastingM, double northingM, double centralMeridianDeg,
                     double degreesPerRadian) {
  const Footpoint foot = solveFootpoint(ellipsoid, northingM);
  const double cosFoot = std::cos(foot.latitudeRad);
  const double t = foot.sinLatitude / cosFoot;
  const double rho = foot.rho;
  const double psi = foot.nu / rho;
  const double x = eastingM / foot.nu;

  const double t2 = t * t;
  const double t4 = t2 * t2;
  const double t6 = t4 * t2;
  const double psi2 = psi * psi;
  const double psi3 = psi2 * psi;
  const double psi4 = psi3 * psi;
  const double x3 = x * x * x;
  const double x5 = x3 * x * x;
  const double x7 = x5 * x * x;
  const double tOverRho = t / rho;

  const double phi =
      foot.latitudeRad - tOverRho * (eastingM * x / 2.0) +
      tOverRho * (eastingM * x3 / 24.0) * (-4.0 * psi2 + 9.0 * psi * (1.0 - t2) + 12.0 * t2) -
      tOverRho * (eastingM * x5 / 720.0) *
          (8.0 * psi4 * (11.0 - 24.0 * t2) - 12.0 * psi3 * (21.0 - 71.0 * t2) +
           15.0 * psi2 * (15.0 - 98.0 * t2 + 15.0 * t4) + 180.0 * psi * (5.0 * t2 - 3.0 * t4) + 360.0 * t4) +
      tOverRho * (eastingM * x7 / 40320.0) * (1385.0 + 3633.0 * t2 + 4095.0 * t4 + 1575.0 * t6);

  const double omega =
      (1.0 / cosFoot) * (x - (x3 / 6.0) * (psi + 2.0 * t2) +
                         (x5 / 120.0) * (-4.0 * psi3 * (1.0 - 6.0 * t2) + psi2 * (9.0 - 68.0 * t2) +
                                         72.0 * psi * t2 + 24.0 * t4) -
                         (x7 / 5040.0) * (61.0 + 662.0 * t2 + 1320.0 * t4 + 720.0 * t6));

  return LatLon{phi / kRadiansPerDegree,
                ((omega * degreesPerRadian + centralMeridianDeg) / degreesPerRadian) / kRadiansPerDegree};
}

double scaleFactor(const ProjectionParams& params) {
  if (params.kind == ProjectionKind::kNzCircuit) return params.centralScale;
  return params.kind == ProjectionKind::kIsgGrid ? kIsgScaleFactor : kUtmScaleFactor;
}

// The meridian arc to the latitude of origin, which a circuit's northings count from.
double originArc(const ProjectionParams& params) {
  return meridianDistance(params.ellipsoid, params.latitudeOfOrigin * kRadiansPerDegree);
}

}  // namespace

double centralScaleFactor(const ProjectionParams& params) {
  return params.kind == ProjectionKind::kAngGrid ? 1.0 : scaleFactor(params);
}

double meridianDistance(const Ellipsoid& ellipsoid, double latitudeRad) {
  const double e2 = ellipsoid.eccentricitySquared;
  const double e4 = e2 * e2;
  const double e6 = e4 * e2;
  const double a0 = 1.0 - e2 / 4.0 - 3.0 * e4 / 64.0 - 5.0 * e6 / 256.0;
  const double a2 = (3.0 / 8.0) * (e2 + e4 / 4.0 + 15.0 * e6 / 128.0);
  const double a4 = (15.0 / 256.0) * (e4 + 3.0 * e6 / 4.0);
  const double a6 = 35.0 * e6 / 3072.0;
  const double phi = latitudeRad;
  return ellipsoid.semiMajorAxis *
         (a0 * phi - a2 * std::sin(2.0 * phi) + a4 * std::sin(4.0 * phi) - a6 * std::sin(6.0 * phi));
}

double footpointLatitude(const Ellipsoid& ellipsoid, double meridianArc) {
  return solveFootpoint(ellipsoid, meridianArc).latitudeRad;
}

GridPoint transverseMercatorForward(const ProjectionParams& params, const LatLon& point) {
  const double phi = point.latitude * kRadiansPerDegree;
  const double lambda = point.longitude * kRadiansPerDegree;
  const double omega = lambda - centralMeridianDegrees(params) * kCentralMeridianRadiansPerDegree;
  const SeriesOffsets offsets = forwardSeries(params.ellipsoid, phi, omega);

  if (params.kind == ProjectionKind::kAngGrid) {
    return GridPoint{kAngFalseEastingYd + kMetresToYards * offsets.easting,
                     kAngFalseNorthingYd + kMetresToYards * offsets.northing};
  }
  const double k0 = scaleFactor(params);
  if (params.kind == ProjectionKind::kNzCircuit) {
    return GridPoint{params.falseEasting + k0 * offsets.easting,
                     params.falseNorthing + k0 * (offsets.northing - originArc(params))};
  }
  return GridPoint{params.falseEasting + k0 * offsets.easting, params.falseNorthing + k0 * offsets.northing};
}

LatLon transverseMercatorReverse(const ProjectionParams& params, const GridPoint& point) {
  double eastingM = 0.0;
  double northingM = 0.0;
  if (params.kind == ProjectionKind::kAngGrid) {
    eastingM = (point.easting - kAngFalseEastingYd) * kYardsToMetres;
    northingM = (point.northing - kAngFalseNorthingYd) * kYardsToMetres;
  } else {
    const double k0 = scaleFactor(params);
    eastingM = (point.easting - params.falseEasting) / k0;
    northingM = (point.northing - params.falseNorthing) / k0;
    if (params.kind == ProjectionKind::kNzCircuit) northingM += originArc(params);
  }
  // The circuits are new to the program: no stored coordinate holds the shortened 180/pi.
  const double degreesPerRadian =
      params.kind == ProjectionKind::kNzCircuit ? kDegreesPerRadian : kShortenedDegreesPerRadian;
  return reverseSeries(params.ellipsoid, eastingM, northingM, centralMeridianDegrees(params), degreesPerRadian);
}

GridFactors transverseMercatorFactors(const ProjectionParams& params, const LatLon& point) {
  const Ellipsoid& ellipsoid = params.ellipsoid;
  const double phi = point.latitude * kRadiansPerDegree;
  const double omega =
      point.longitude * kRadiansPerDegree - centralMeridianDegrees(params) * kCentralMeridianRadiansPerDegree;
  const double sinPhi = std::sin(phi);
  const double cosPhi = std::cos(phi);
  const double w2 = 1.0 - ellipsoid.eccentricitySquared * sinPhi * sinPhi;
  const double psi = w2 / ellipsoid.oneMinusE2;  // nu / rho
  const double t = sinPhi / cosPhi;
  const double t2 = t * t;
  const double t4 = t2 * t2;
  const double psi2 = psi * psi;
  const double psi3 = psi2 * psi;
  const double psi4 = psi3 * psi;
  const double c2 = cosPhi * cosPhi;
  const double c4 = c2 * c2;
  const double c6 = c4 * c2;
  const double w = omega;
  const double w3 = w * w * w;
  const double w5 = w3 * w * w;
  const double w7 = w5 * w * w;

  const double convergence =
      w * sinPhi + (w3 / 3.0) * sinPhi * c2 * (2.0 * psi2 - psi) +
      (w5 / 15.0) * sinPhi * c4 *
          (psi4 * (11.0 - 24.0 * t2) - psi3 * (11.0 - 36.0 * t2) + 2.0 * psi2 * (1.0 - 7.0 * t2) + psi * t2) +
      (w7 / 315.0) * sinPhi * c6 * (17.0 - 26.0 * t2 + 2.0 * t4);
  const double scaleBracket =
      1.0 + (w * w / 2.0) * psi * c2 +
      (w * w3 / 24.0) * c4 * (4.0 * psi3 * (1.0 - 6.0 * t2) + psi2 * (1.0 + 24.0 * t2) - 4.0 * psi * t2) +
      (w * w5 / 720.0) * c6 * (61.0 - 148.0 * t2 + 16.0 * t4);
  const double k0 = centralScaleFactor(params);
  return GridFactors{convergence * kDegreesPerRadian, k0 * scaleBracket};
}

}  // namespace velmora
