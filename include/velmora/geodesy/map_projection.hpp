// The two operations of a ProjectionParams record, dispatching on its projection kind to
// transverse_mercator.hpp or nz_map_grid.hpp, whose domain and accuracy they share. A record of
// a kind other than the four returns the coordinates unchanged (longitude as easting, latitude
// as northing, and back).
#pragma once

#include "velmora/geodesy/grid_point.hpp"
#include "velmora/geodesy/lat_lon.hpp"
#include "velmora/geodesy/projection_params.hpp"

namespace velmora {

// Latitude and longitude (degrees) to easting and northing (metres; yards on the ANG grid).
GridPoint geographicToGrid(const ProjectionParams& params, const LatLon& point);

// Easting and northing (metres; yards on the ANG grid) to latitude and longitude (degrees).
LatLon gridToGeographic(const ProjectionParams& params, const GridPoint& point);

}  // namespace velmora
