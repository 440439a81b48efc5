// The Transverse Mercator family (UTM-type zones, ISG, the ANG grid, NZTM and the New Zealand
// circuits) by Krueger's series (krueger_series.hpp) instead of Redfearn's: the same records, false
// origins, central scale factors, latitudes of origin and ANG yards, with the exact projection's
// accuracy, within 0.01 mm of GeographicLib's exact TransverseMercator out to 10 degrees from the
// central meridian (a few nanometres for the series itself), convergence and scale as exact.
#pragma once

#include "velmora/geodesy/grid_factors.hpp"
#include "velmora/geodesy/grid_point.hpp"
#include "velmora/geodesy/krueger_series.hpp"
#include "velmora/geodesy/lat_lon.hpp"
#include "velmora/geodesy/projection_params.hpp"

namespace velmora {

// A grid point with the grid convergence and point scale factor there.
struct ProjectedPoint {
  GridPoint grid;
  GridFactors factors;
};

class KruegerProjection {
 public:
  // A record of kind kTransverseMercator, kIsgGrid, kAngGrid or kNzCircuit; the series' coefficients
  // are computed here, once.
  explicit KruegerProjection(const ProjectionParams& params);

  // Latitude and longitude (degrees) to easting and northing (metres; yards on the ANG grid) and
  // back. Longitudes within 90 degrees of the central meridian; NaN gives NaN.
  GridPoint forward(const LatLon& point) const;
  LatLon reverse(const GridPoint& point) const;
  // The grid convergence (degrees) and point scale factor at a point, central scale included.
  GridFactors factors(const LatLon& point) const;
  // forward and factors together, from one run of the series.
  ProjectedPoint forwardWithFactors(const LatLon& point) const;

 private:
  ProjectionKind kind_ = ProjectionKind::kTransverseMercator;
  double falseEasting_ = 0.0;   // metres
  double falseNorthing_ = 0.0;  // metres
  KruegerSeries series_;
  double centralMeridianDeg_ = 0.0;
  double k0_ = 1.0;
  double originY_ = 0.0;  // y of the latitude of origin (circuits), metres at scale 1
};

}  // namespace velmora
