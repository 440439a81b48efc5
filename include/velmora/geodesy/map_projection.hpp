// The two operations of a ProjectionParams record, dispatching on its projection kind to
// transverse_mercator.hpp or nz_map_grid.hpp, whose domain and accuracy they share. A record of
// a kind other than the four returns the coordinates unchanged (longitude as easting, latitude
// as northing, and back).
#pragma once

#include <cstdint>
#include <optional>

#include "velmora/geodesy/grid_factors.hpp"
#include "velmora/geodesy/grid_point.hpp"
#include "velmora/geodesy/krueger_projection.hpp"
#include "velmora/geodesy/lat_lon.hpp"
#include "velmora/geodesy/projection_params.hpp"

namespace velmora {

// Latitude and longitude (degrees) to easting and northing (metres; yards on the ANG grid).
GridPoint geographicToGrid(const ProjectionParams& params, const LatLon& point);

// Easting and northing (metres; yards on the ANG grid) to latitude and longitude (degrees).
LatLon gridToGeographic(const ProjectionParams& params, const GridPoint& point);

// The grid convergence and point scale factor (grid_factors.hpp) at a latitude and longitude
// (degrees): Redfearn's series for the Transverse Mercator family, the derivative of the
// polynomial for the NZ Map Grid; the accuracy of each is in its header. A record of another kind
// gives convergence 0 and scale 1.
GridFactors gridFactors(const ProjectionParams& params, const LatLon& point);

// The formulas of the Transverse Mercator family: Redfearn's series (the default, with which the
// grid coordinates in circulation were computed: sub-millimetre within 6 degrees of the central
// meridian) or Krueger's series to n^8 (exact to 0.01 mm out to 10 degrees and beyond).
enum class TmFormulas : std::uint8_t { kRedfearn, kKrueger };

// A record with its formulas chosen, built once and used for any number of points from any thread:
// the functions above for Redfearn's series and the NZ Map Grid, a KruegerProjection (its
// coefficients computed when built) for Krueger's.
class MapProjection {
 public:
  MapProjection() = default;
  MapProjection(const ProjectionParams& params, TmFormulas formulas);

  GridPoint forward(const LatLon& point) const;
  LatLon reverse(const GridPoint& point) const;
  GridFactors factors(const LatLon& point) const;
  // forward and factors together: Krueger's series run once for both.
  ProjectedPoint forwardWithFactors(const LatLon& point) const;
  const ProjectionParams& params() const { return params_; }

 private:
  ProjectionParams params_;
  std::optional<KruegerProjection> krueger_;  // Krueger's series for a kind of the family
};

// The Gaussian mean radius sqrt(rho * nu) of an ellipsoid at a latitude (degrees), in metres: the
// radius of the sphere that best fits the ellipsoid around the point, by which a distance on the
// ellipsoid is reduced from a height h above it (R / (R + h)).
double gaussianMeanRadius(const Ellipsoid& ellipsoid, double latitudeDeg);

}  // namespace velmora
