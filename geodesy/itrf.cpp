// Fourteen-parameter (time-dependent) Helmert transformations between ITRF2000 / ITRF2008 and
// GDA94. GDA94 is fixed to the Australian plate at epoch 1994.0 while ITRF positions move with
// the plate, about 7 cm a year to the north-north-east, so each parameter p = p0 + rate * dt
// with dt = epoch - reference epoch in decimal years. Rotations follow the coordinate-frame
// convention of helmert.hpp. ITRF positions are converted on the WGS84 constants, GDA94
// positions on GRS80; no height is carried (both sides work at ellipsoidal height 0).
#include "velmora/geodesy/itrf.hpp"

#include "velmora/geodesy/datum_transforms.hpp"
#include "velmora/geodesy/geocentric.hpp"
#include "velmora/geodesy/helmert.hpp"

namespace velmora {
namespace {

struct TimeDependentSet {
  double referenceEpoch;  // decimal year
  HelmertParams atEpoch;  // metres, arc-seconds, ppm at the reference epoch
  HelmertParams perYear;  // the same units per year
};

constexpr TimeDependentSet kItrf2000ToGda94{
    2000.0,
    {-0.0761, -0.0101, 0.0444, 0.008765, 0.009361, 0.009325, 0.007935},
    {0.011, -0.0045, -0.0174, 0.001034, 0.000671, 0.001039, -0.000538},
};

constexpr TimeDependentSet kItrf2008ToGda94{
    1994.0,
    {-0.08468, -0.01942, 0.03201, -0.0004254, 0.0022578, 0.0024015, 0.00971},
    {0.00142, 0.00134, 0.0009, 0.0015461, 0.001182, 0.0011551, 0.000109},
};

// The parameters at an epoch; any epoch is extrapolated linearly.
HelmertTransformation setAtEpoch(double epoch, ItrfRealisation realisation) {
  const TimeDependentSet& set =
      realisation == ItrfRealisation::kItrf2008 ? kItrf2008ToGda94 : kItrf2000ToGda94;
  const double dt = epoch - set.referenceEpoch;
  const HelmertParams& p = set.atEpoch;
  const HelmertParams& r = set.perYear;
  return helmertFromParams(HelmertParams{p.tx + r.tx * dt, p.ty + r.ty * dt, p.tz + r.tz * dt,
                                         p.rx + r.rx * dt, p.ry + r.ry * dt, p.rz + r.rz * dt,
                                         p.s + r.s * dt});
}

}  // namespace

LatLon itrfToGda94(double latitude, double longitude, double epoch, ItrfRealisation realisation) {
  const Geocentric point = geographicToGeocentric(latitude, longitude, 0.0, kWgs84Ellipsoid);
  return geocentricToGeographic(helmertForward(point, setAtEpoch(epoch, realisation)), kGrs80Ellipsoid);
}

LatLon gda94ToItrf(double latitude, double longitude, double epoch, ItrfRealisation realisation) {
  const Geocentric point = geographicToGeocentric(latitude, longitude, 0.0, kGrs80Ellipsoid);
  return geocentricToGeographic(helmertTransposed(point, setAtEpoch(epoch, realisation)), kWgs84Ellipsoid);
}

LatLon itrfToGda2020(double latitude, double longitude, double epoch, ItrfRealisation realisation) {
  const LatLon gda94 = itrfToGda94(latitude, longitude, epoch, realisation);
  return gda94ToGda2020(gda94.latitude, gda94.longitude, 0.0);
}

LatLon gda2020ToItrf(double latitude, double longitude, double epoch, ItrfRealisation realisation) {
  const LatLon gda94 = gda2020ToGda94(latitude, longitude, 0.0);
  return gda94ToItrf(gda94.latitude, gda94.longitude, epoch, realisation);
}

}  // namespace velmora
