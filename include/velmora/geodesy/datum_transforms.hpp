// Parameter transformations between fixed datums. All pass through geocentric coordinates.
// Latitudes and longitudes in decimal degrees; heights in metres.
#pragma once

#include "velmora/geodesy/helmert.hpp"
#include "velmora/geodesy/lat_lon.hpp"

namespace velmora {

// AGD66/AGD84 <-> GDA94. The height is taken as 0 and none is returned.
LatLon agd66ToGda94(double latitude, double longitude);
LatLon agd84ToGda94(double latitude, double longitude);
LatLon gda94ToAgd66(double latitude, double longitude);
LatLon gda94ToAgd84(double latitude, double longitude);

// GDA94 <-> GDA2020 with the ellipsoidal height (metres) carried through.
LatLonHeight gda2020ToGda94(double latitude, double longitude, double height);
LatLonHeight gda94ToGda2020(double latitude, double longitude, double height);

// NZGD49 <-> NZGD2000 (International 1924 <-> GRS80); the way back negates the parameters.
LatLon nzgd49ToNzgd2000(double latitude, double longitude);
LatLon nzgd2000ToNzgd49(double latitude, double longitude);

// ANG <-> GDA94 with the parameters of the ANG to GDA94 direction. Molodensky's formulas when
// rotations and scale are all exactly 0, a Helmert transformation otherwise.
LatLon angToGda94(double latitude, double longitude, const HelmertParams& params);
LatLon gda94ToAng(double latitude, double longitude, const HelmertParams& params);

}  // namespace velmora
