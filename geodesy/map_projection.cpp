// Dispatch of a projection record to its formulas. The Transverse Mercator family (UTM-type
// zones, ISG, ANG grid, NZ circuits) shares Redfearn's series; the NZ Map Grid has its own polynomials.
#include "velmora/geodesy/map_projection.hpp"

#include <cmath>

#include "velmora/geodesy/angle_units.hpp"
#include "velmora/geodesy/nz_map_grid.hpp"
#include "velmora/geodesy/transverse_mercator.hpp"

namespace velmora {

GridPoint geographicToGrid(const ProjectionParams& params, const LatLon& point) {
  switch (params.kind) {
    case ProjectionKind::kTransverseMercator:
    case ProjectionKind::kIsgGrid:
    case ProjectionKind::kAngGrid:
    case ProjectionKind::kNzCircuit:
      return transverseMercatorForward(params, point);
    case ProjectionKind::kNzMapGrid:
      return nzMapGridForward(point);
  }
  return GridPoint{point.longitude, point.latitude};  // no other kind is ever built
}

LatLon gridToGeographic(const ProjectionParams& params, const GridPoint& point) {
  switch (params.kind) {
    case ProjectionKind::kTransverseMercator:
    case ProjectionKind::kIsgGrid:
    case ProjectionKind::kAngGrid:
    case ProjectionKind::kNzCircuit:
      return transverseMercatorReverse(params, point);
    case ProjectionKind::kNzMapGrid:
      return nzMapGridReverse(point);
  }
  return LatLon{point.northing, point.easting};
}

GridFactors gridFactors(const ProjectionParams& params, const LatLon& point) {
  switch (params.kind) {
    case ProjectionKind::kTransverseMercator:
    case ProjectionKind::kIsgGrid:
    case ProjectionKind::kAngGrid:
    case ProjectionKind::kNzCircuit:
      return transverseMercatorFactors(params, point);
    case ProjectionKind::kNzMapGrid:
      return nzMapGridFactors(point);
  }
  return GridFactors{};
}

namespace {

bool isTransverseMercator(ProjectionKind kind) {
  return kind == ProjectionKind::kTransverseMercator || kind == ProjectionKind::kIsgGrid ||
         kind == ProjectionKind::kAngGrid || kind == ProjectionKind::kNzCircuit;
}

}  // namespace

MapProjection::MapProjection(const ProjectionParams& params, TmFormulas formulas) : params_(params) {
  if (formulas == TmFormulas::kKrueger && isTransverseMercator(params.kind)) krueger_.emplace(params);
}

GridPoint MapProjection::forward(const LatLon& point) const {
  return krueger_ ? krueger_->forward(point) : geographicToGrid(params_, point);
}

LatLon MapProjection::reverse(const GridPoint& point) const {
  return krueger_ ? krueger_->reverse(point) : gridToGeographic(params_, point);
}

GridFactors MapProjection::factors(const LatLon& point) const {
  return krueger_ ? krueger_->factors(point) : gridFactors(params_, point);
}

ProjectedPoint MapProjection::forwardWithFactors(const LatLon& point) const {
  if (krueger_) return krueger_->forwardWithFactors(point);
  return {geographicToGrid(params_, point), gridFactors(params_, point)};
}

double gaussianMeanRadius(const Ellipsoid& ellipsoid, double latitudeDeg) {
  // rho = a (1 - e^2) / w^3 and nu = a / w with w^2 = 1 - e^2 sin^2(phi): rho * nu = a^2 (1 - e^2) / w^4.
  const double sinLat = std::sin(latitudeDeg * kRadiansPerDegree);
  const double w2 = 1.0 - ellipsoid.eccentricitySquared * sinLat * sinLat;
  return ellipsoid.semiMajorAxis * std::sqrt(ellipsoid.oneMinusE2) / w2;
}

}  // namespace velmora
