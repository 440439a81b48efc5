// The settings of one run and the points it converts.
#pragma once

#include <string>
#include <vector>

#include "velmora/codes.hpp"

namespace velmora {

struct ConversionRequest {
  DatumCode fromDatum = kWgs84;
  CoordTypeCode fromCoordType = kDd;
  HeightTypeCode fromHeightType = kNoHeight;
  DatumCode toDatum = kWgs84;
  CoordTypeCode toCoordType = kDd;
  HeightTypeCode toHeightType = kNoHeight;
  int zone = 56;                   // UTM zone of grid coordinates, source and target alike
  int isgSubZone = 0;              // ISG sub-zone 0, 1 or 2
  double epoch = 1994.0;           // decimal year of ITRF (WGS84) coordinates
  bool useGridShift = false;       // NTv2 grids instead of parameters where they serve
  bool southernHemisphere = true;  // false: grid northings with a false northing of 0
  bool useITRF2008 = false;        // ITRF2008 instead of ITRF2000
  bool useAusGeoid98 = false;      // AUSGeoid98 instead of AUSGeoid09 for GDA94 heights
  std::string programPath;         // the program as it was started (argv[0])
};

// Three parallel lists, entry k of each belonging to point k, in input order.
// x is the easting (metres) for grid input, else the longitude (degrees); y the northing or latitude.
struct InputPoints {
  std::vector<double> xValues;
  std::vector<double> yValues;
  std::vector<double> heights;  // 0.0 where the point had none
};

}  // namespace velmora
