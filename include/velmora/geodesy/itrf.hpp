// Time-dependent (fourteen-parameter) transformations between ITRF2000/ITRF2008 at an epoch
// and GDA94, and their compositions with GDA2020; between ITRF2014 and GDA2020, and between
// ITRF2020 and ITRF2014. ITRF2000/ITRF2008 positions are taken on the WGS84 ellipsoid, ITRF2014,
// ITRF2020, GDA94 and GDA2020 ones on GRS80; heights are taken as 0 and none is returned.
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

// ITRF2014 at epoch <-> GDA2020 by the Australian plate motion model (rotation rates only,
// reference epoch 2020.0). The way back uses the transposed rotation, as PROJ's inverse does.
LatLon itrf2014ToGda2020(double latitude, double longitude, double epoch);
LatLon gda2020ToItrf2014(double latitude, double longitude, double epoch);

// ITRF2020 <-> ITRF2014 at epoch by the published ITRF2014 to ITRF2020 set (translations and
// scale, reference epoch 2015.0): ITRF2020 positions go to ITRF2014 by its exact inverse.
LatLon itrf2020ToItrf2014(double latitude, double longitude, double epoch);
LatLon itrf2014ToItrf2020(double latitude, double longitude, double epoch);

// The realisations with a published set to ITRF96, the frame of New Zealand's deformation model.
enum class Itrf96Source { kItrf2000, kItrf2008, kItrf2014 };

// ITRF2000, ITRF2008 or ITRF2014 at epoch <-> ITRF96 at the same epoch by LINZ's time-dependent sets
// (position-vector convention as published, reference epoch 2000.0); the way back by the
// transposed rotation, as PROJ's inverse does. ITRF2000 and ITRF2008 positions on the WGS84
// constants, ITRF2014 and ITRF96 on GRS80.
LatLon itrfToItrf96(double latitude, double longitude, double epoch, Itrf96Source source);
LatLon itrf96ToItrf(double latitude, double longitude, double epoch, Itrf96Source source);

}  // namespace velmora
