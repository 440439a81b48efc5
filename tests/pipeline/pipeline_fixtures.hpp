// Fixtures of the pipeline tests: NTv2 grids whose node values form planes in degrees (so every
// interpolated value is known), and one-point conversions through a Converter.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "tests/support/grid_fixtures.hpp"
#include "velmora/converter.hpp"
#include "velmora/geodesy/lat_lon.hpp"

namespace velmora::testing {

// Writes a binary "SECONDS" grid over area: latitude shift and EAST-positive longitude shift in
// arc-seconds from the planes (the file stores the longitude shift positive west). False if not written.
bool writeShiftGrid(const std::string& path, const DegreeArea& area, const DegreePlane& latitudeShift,
                    const DegreePlane& longitudeShiftEast);

// Writes a geoid grid: N in metres in the latitude-shift field, zero longitude shifts.
bool writeGeoidGrid(const std::string& path, const DegreeArea& area, const DegreePlane& separation);

}  // namespace velmora::testing

namespace velmora {

// The datum change of one geographic point (degrees) by a Converter of decimal degrees made for the
// call, with the grids of gridFolder.
LatLon transformDatum(double latitude, double longitude, Datum fromDatum, Datum toDatum, double epoch,
                      bool useGridShift, bool useITRF2008, std::string_view gridFolder);

// One point through a Converter made for the call. x, y in: easting/northing for EN, else
// longitude/latitude; out: the same on the target side.
void transformPoint(const ConversionSettings& settings, double& x, double& y);

}  // namespace velmora
