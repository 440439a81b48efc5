// The family's records around Krueger's series: the series gives x, y about the central meridian
// and the equator at scale 1; each kind then scales by its k0 and adds its false origin, a circuit
// counting northings from its latitude of origin, the ANG grid in yards. Longitudes are taken from
// the central meridian in degrees as written (no rounded 180/pi: no stored coordinate was made with
// these formulas).
#include "velmora/geodesy/krueger_projection.hpp"

#include "velmora/geodesy/transverse_mercator.hpp"

namespace velmora {

KruegerProjection::KruegerProjection(const ProjectionParams& params)
    : kind_(params.kind),
      falseEasting_(params.falseEasting),
      falseNorthing_(params.falseNorthing),
      series_(params.ellipsoid),
      centralMeridianDeg_(centralMeridianDegrees(params)),
      k0_(centralScaleFactor(params)) {
  if (params.kind == ProjectionKind::kNzCircuit) originY_ = series_.forward(params.latitudeOfOrigin, 0.0).y;
}

ProjectedPoint KruegerProjection::forwardWithFactors(const LatLon& point) const {
  const KruegerForward offsets = series_.forward(point.latitude, point.longitude - centralMeridianDeg_);
  GridFactors factors = offsets.factors;
  factors.scale *= k0_;
  if (kind_ == ProjectionKind::kAngGrid) {
    return {GridPoint{kAngFalseEastingYd + kMetresToYards * offsets.x,
                      kAngFalseNorthingYd + kMetresToYards * offsets.y},
            factors};
  }
  return {GridPoint{falseEasting_ + k0_ * offsets.x, falseNorthing_ + k0_ * (offsets.y - originY_)}, factors};
}

GridPoint KruegerProjection::forward(const LatLon& point) const {
  return forwardWithFactors(point).grid;
}

LatLon KruegerProjection::reverse(const GridPoint& point) const {
  double x = 0.0;
  double y = 0.0;
  if (kind_ == ProjectionKind::kAngGrid) {
    x = (point.easting - kAngFalseEastingYd) * kYardsToMetres;
    y = (point.northing - kAngFalseNorthingYd) * kYardsToMetres;
  } else {
    x = (point.easting - falseEasting_) / k0_;
    y = (point.northing - falseNorthing_) / k0_ + originY_;
  }
  const LatLon geographic = series_.geographic(x, y);
  return LatLon{geographic.latitude, geographic.longitude + centralMeridianDeg_};
}

GridFactors KruegerProjection::factors(const LatLon& point) const {
  return forwardWithFactors(point).factors;
}

}  // namespace velmora
