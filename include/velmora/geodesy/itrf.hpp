// Time-dependent (fourteen-parameter) transformations between ITRF2000/ITRF2008 at an epoch
// and GDA94, and their compositions with GDA2020. Heights are taken as 0 and none is returned.
#pragma once

#include "velmora/geodesy/lat_lon.hpp"

namespace velmora {

// The ITRF realisation of the coordinates, each with its own published parameter set.
enum class ItrfRealisation { kItrf2000, kItrf2008 };

// epoch is a decimal year.
LatLon itrfToGda94(double latitude, double longitude, double epoch, ItrfRealisation realisation);
LatLon gda94ToItrf(double latitude, double longitude, double epoch, ItrfRealisation realisation);

LatLon itrfToGda2020(double latitude, double longitude, double epoch, ItrfRealisation realisation);
LatLon gda2020ToItrf(double latitude, double longitude, double epoch, ItrfRealisation realisation);

}  // namespace velmora
