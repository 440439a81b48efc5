// Parameter transformations between fixed datums, each through geocentric coordinates.
// Latitudes and longitudes in decimal degrees, north and east positive; heights in metres above
// the ellipsoid. Every input is computed, wherever it lies (NaN gives NaN); the parameter sets
// are published for Australia and New Zealand and mean nothing elsewhere. The figures below
// compare with PROJ's Helmert chains on the same parameters, over 10 S to 44 S, 113 E to 153 E
// (New Zealand: 34 S to 47 S, 166 E to 179 E).
#pragma once

#include "velmora/geodesy/helmert.hpp"
#include "velmora/geodesy/lat_lon.hpp"

namespace velmora {

// AGD66/AGD84 (Australian National Spheroid) <-> GDA94 (GRS80) by the national seven-parameter
// sets, at ellipsoidal height 0 on the source and the target height dropped. Within 0.01 mm of
// PROJ both ways; forward then back returns within 2.3 mm (the dropped height, largest at the
// coasts).
LatLon agd66ToGda94(double latitude, double longitude);
LatLon agd84ToGda94(double latitude, double longitude);
LatLon gda94ToAgd66(double latitude, double longitude);
LatLon gda94ToAgd84(double latitude, double longitude);

// GDA94 <-> GDA2020 (GRS80 both) with the ellipsoidal height carried through. Within 0.01 mm of
// PROJ in position and 0.001 mm in height; forward then back within 0.01 mm.
LatLonHeight gda2020ToGda94(double latitude, double longitude, double height);
LatLonHeight gda94ToGda2020(double latitude, double longitude, double height);
// The same at ellipsoidal height 0 with the target height dropped, as the datum chains use them:
// the same latitude and longitude as the forms above at height 0, without the cost of the height.
LatLon gda2020ToGda94(double latitude, double longitude);
LatLon gda94ToGda2020(double latitude, double longitude);

// NZGD49 (International 1924) <-> NZGD2000 (GRS80), both ellipsoids from their semi-axes, at
// height 0. Forward within 0.001 mm of PROJ on the same semi-axes (0.09 mm from GRS80's 1/f);
// the way back negates the parameters, 0.6 mm from the exact inverse, and the loop closes within
// 0.7 mm.
LatLon nzgd49ToNzgd2000(double latitude, double longitude);
LatLon nzgd2000ToNzgd49(double latitude, double longitude);

// ANG (Clarke 1858) <-> GDA94 with the parameters of the ANG to GDA94 direction, at height 0.
// Rotations and scale all exactly 0 select Molodensky's formulas, 6.2 mm from the exact change of
// ellipsoid for the empty ANG set (loops close within 1.4 cm); anything else a Helmert
// transformation whose way back takes the scale as 1 - s.
LatLon angToGda94(double latitude, double longitude, const HelmertParams& params);
LatLon gda94ToAng(double latitude, double longitude, const HelmertParams& params);

}  // namespace velmora
