// Redfearn's series for the Transverse Mercator family: UTM-type zones, ISG and the ANG grid.
#pragma once

#include "velmora/geodesy/grid_point.hpp"
#include "velmora/geodesy/lat_lon.hpp"
#include "velmora/geodesy/projection_params.hpp"

namespace velmora {

inline constexpr double kUtmScaleFactor = 0.9996;   // k0 on the central meridian of UTM zones
inline constexpr double kIsgScaleFactor = 0.99994;  // k0 of the Integrated Survey Grid

// Meridian arc from the equator to latitude phi (radians), metres, on the ellipsoid's a and e^2.
double meridianDistance(const Ellipsoid& ellipsoid, double latitudeRad);

// Footpoint latitude (radians) of meridian arc distance m (metres). The iteration stops after
// the first pass whose residual is at most 1 m, or after a fixed pass limit.
double footpointLatitude(const Ellipsoid& ellipsoid, double meridianArc);

// Forward and reverse for kinds kTransverseMercator, kIsgGrid and kAngGrid: degrees to easting and
// northing in metres (yards on the ANG grid) and back.
GridPoint transverseMercatorForward(const ProjectionParams& params, const LatLon& point);
LatLon transverseMercatorReverse(const ProjectionParams& params, const GridPoint& point);

}  // namespace velmora
