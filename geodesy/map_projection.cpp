// Dispatch of a projection record to its formulas. The Transverse Mercator family (UTM-type
// zones, ISG, ANG grid, NZ circuits) shares Redfearn's series; the NZ Map Grid has its own polynomials.
#include "velmora/geodesy/map_projection.hpp"

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

}  // namespace velmora
