// Datum changes by the national NTv2 grid-shift files.
//
// The grids are interpolated at (longitude, latitude) in degrees and give shifts in arc-seconds,
// latitude north positive and longitude EAST positive (the library has already turned the file's
// west-positive longitudes round). The forward direction of each file adds the shift; the inverse
// subtracts the shift interpolated at the given position. The inverse does not iterate, so a
// forward-then-inverse round trip is off by the change of the shift between the two positions:
// a few millimetres on the national grids.
//
// A sub-grid may hold the accuracy of its shifts (arc-seconds of latitude and of longitude). At the
// point they become metres north (M dphi) and east (N cos(phi) dlambda), M and N the meridian and
// prime vertical radii of curvature of GRS80: the grids' two ellipsoids differ by far less than the
// accuracies' own two significant figures. The two are combined as a root sum of squares.
#include "pipeline/grid_shift.hpp"

#include <cmath>
#include <limits>

#include "velmora/geodesy/angle_units.hpp"
#include "velmora/geodesy/ellipsoid.hpp"
#include "velmora/gridfile/grid_file.hpp"
#include "velmora/gridfile/grid_search.hpp"

namespace velmora {
namespace {

// Metres of the latitude and longitude accuracies (arc-seconds) at latitude (degrees).
double accuracyInMetres(double latitudeDeg, double latitudeAccuracySec, double longitudeAccuracySec) {
  const Ellipsoid& ellipsoid = kGrs80Ellipsoid;
  const double phi = latitudeDeg * kRadiansPerDegree;
  const double sinPhi = std::sin(phi);
  const double w2 = 1.0 - ellipsoid.eccentricitySquared * sinPhi * sinPhi;
  const double primeVerticalM = ellipsoid.semiMajorAxis / std::sqrt(w2);
  const double meridianM = primeVerticalM * ellipsoid.oneMinusE2 / w2;
  const double radiansPerArcSecond = kRadiansPerDegree / kArcSecondsPerDegree;
  const double northM = meridianM * std::abs(latitudeAccuracySec) * radiansPerArcSecond;
  const double eastM = primeVerticalM * std::cos(phi) * std::abs(longitudeAccuracySec) * radiansPerArcSecond;
  return std::hypot(northM, eastM);
}

}  // namespace

std::optional<GridLeg> shiftByGrid(GridList files, double latitude, double longitude, bool forward) {
  const ListMatch found = findInList(files, latitude, longitude);
  if (found.grid == nullptr) return std::nullopt;
  const std::optional<GridShift> shift = interpolateGridShift(*found.grid, found.match, latitude);
  if (!shift) return std::nullopt;

  const double latitudeShiftDeg = shift->latitudeShift / kArcSecondsPerDegree;
  const double longitudeShiftDeg = shift->longitudeShift / kArcSecondsPerDegree;
  const LatLon position = forward ? LatLon{latitude + latitudeShiftDeg, longitude + longitudeShiftDeg}
                                  : LatLon{latitude - latitudeShiftDeg, longitude - longitudeShiftDeg};
  // Files without accuracies fill the fields with 0, or with -1 for unknown: neither is a figure.
  const bool hasAccuracies = shift->match.subGrid != nullptr && !shift->match.subGrid->accuracies().empty() &&
                             shift->latitudeAccuracy >= 0.0 &&
                             (shift->latitudeAccuracy > 0.0 || shift->longitudeAccuracy != 0.0);
  const double accuracyMetres =
      hasAccuracies ? accuracyInMetres(latitude, shift->latitudeAccuracy, shift->longitudeAccuracy)
                    : std::numeric_limits<double>::quiet_NaN();
  return GridLeg{position, found.file, shift->match.subGrid, shift->match.locationClass == kClassMargin,
                 accuracyMetres};
}

}  // namespace velmora
