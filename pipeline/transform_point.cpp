// Grid coordinates to latitude and longitude on the source datum's projection, the change of
// datum, then back to grid coordinates on the target datum's projection. Both projections use
// the run's one zone, hemisphere and ISG sub-zone: there is no automatic choice of zone, so an
// EN to EN conversion stays in the zone given even where the datum change crosses its edge.
#include "pipeline/transform_point.hpp"

#include "velmora/geodesy/map_projection.hpp"
#include "pipeline/datum_projection.hpp"
#include "pipeline/transform_datum.hpp"

namespace velmora {

void transformPoint(const ConversionRequest& request, std::string_view programFolder, double& x, double& y) {
  // x is the easting or longitude, y the northing or latitude.
  LatLon source{y, x};
  if (request.fromCoordType == kEn) {
    const ProjectionParams sourceGrid =
        makeProjectionParams(request.fromDatum, request.zone, request.southernHemisphere, request.isgSubZone);
    source = gridToGeographic(sourceGrid, GridPoint{x, y});
  }

  const LatLon target = transformDatum(source.latitude, source.longitude, request.fromDatum, request.toDatum,
                                       request.epoch, request.useGridShift, request.useITRF2008, programFolder);
  x = target.longitude;
  y = target.latitude;

  if (request.toCoordType == kEn) {
    const ProjectionParams targetGrid =
        makeProjectionParams(request.toDatum, request.zone, request.southernHemisphere, request.isgSubZone);
    const GridPoint grid = geographicToGrid(targetGrid, target);
    x = grid.easting;
    y = grid.northing;
  }
}

}  // namespace velmora
