// Dispatch of a projection record to its formulas. The Transverse Mercator family (UTM-type
// zones, ISG, ANG grid) shares Redfearn's series; the NZ Map Grid has its own polynomials and
// takes latitude first, while the record operations take the longitude (x) first.
#include "velmora/geodesy/map_projection.hpp"

#include "velmora/geodesy/nz_map_grid.hpp"
#include "velmora/geodesy/transverse_mercator.hpp"

namespace velmora {

void geographicToGrid(const ProjectionParams& params, double& first, double& second) {
  switch (params.kind) {
    case ProjectionKind::kTransverseMercator:
    case ProjectionKind::kIsgGrid:
    case ProjectionKind::kAngGrid:
      transverseMercatorForward(params, first, second);
      return;
    case ProjectionKind::kNzMapGrid: {
      double easting = 0.0;
      double northing = 0.0;
      nzMapGridForward(second, first, easting, northing);
      first = easting;
      second = northing;
      return;
    }
    default:
      return;  // no other kind is ever built; such a record leaves the point as it is
  }
}

void gridToGeographic(const ProjectionParams& params, double& first, double& second) {
  switch (params.kind) {
    case ProjectionKind::kTransverseMercator:
    case ProjectionKind::kIsgGrid:
    case ProjectionKind::kAngGrid:
      transverseMercatorReverse(params, first, second);
      return;
    case ProjectionKind::kNzMapGrid: {
      double latitude = 0.0;
      double longitude = 0.0;
      nzMapGridReverse(first, second, latitude, longitude);
      first = longitude;
      second = latitude;
      return;
    }
    default:
      return;
  }
}

}  // namespace velmora
