// Time-dependent (fourteen-parameter) transformations between ITRF2000/ITRF2008 at an epoch
// and GDA94, and their compositions with GDA2020. Heights are taken as 0 and none is returned.
#pragma once

#include "velmora/geodesy/lat_lon.hpp"

namespace velmora {

// realisationYear 2008 selects ITRF2008, any other value ITRF2000. epoch is a decimal year.
LatLon itrfToGda94(double latitude, double longitude, double epoch, int realisationYear);
LatLon gda94ToItrf(double latitude, double longitude, double epoch, int realisationYear);

LatLon itrfToGda2020(double latitude, double longitude, double epoch, bool useItrf2008);
LatLon gda2020ToItrf(double latitude, double longitude, double epoch, bool useItrf2008);

}  // namespace velmora
