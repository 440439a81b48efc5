// Time-dependent (fourteen-parameter) transformations between ITRF2000/ITRF2008 at an epoch
// and GDA94, and their compositions with GDA2020. ITRF positions are taken on the WGS84
// ellipsoid, GDA94 ones on GRS80; heights are taken as 0 and none is returned.
#pragma once

#include "velmora/geodesy/lat_lon.hpp"

namespace velmora {

// The ITRF realisation of the coordinates, each with its own published parameter set.
enum class ItrfRealisation { kItrf2000, kItrf2008 };

// Latitude and longitude (degrees) at epoch (decimal year; any epoch, the parameters extrapolated
// linearly) to GDA94 and back. Within 0.01 mm of PROJ's time-dependent Helmert at 1994, 2020.5
// and 2040; forward then back within 0.01 mm.
LatLon itrfToGda94(double latitude, double longitude, double epoch, ItrfRealisation realisation);
LatLon gda94ToItrf(double latitude, double longitude, double epoch, ItrfRealisation realisation);

// Through GDA94, composing the two transformations above.
LatLon itrfToGda2020(double latitude, double longitude, double epoch, ItrfRealisation realisation);
LatLon gda2020ToItrf(double latitude, double longitude, double epoch, ItrfRealisation realisation);

}  // namespace velmora
