// Change of datum of one geographic point: grid stage, New Zealand area, same datum, supported
// area, then the chain of parameter transformations through GDA94.
#pragma once

#include "velmora/codes.hpp"
#include "velmora/converter.hpp"
#include "velmora/geodesy/itrf.hpp"
#include "velmora/geodesy/lat_lon.hpp"

namespace velmora {

// The grids a datum path may read; nullptr where a file is not open.
struct DatumGrids {
  const GridFile* agd66 = nullptr;     // AGD66 and ISG <-> GDA94
  const GridFile* agd84 = nullptr;     // AGD84 <-> GDA94
  const GridFile* gda2020 = nullptr;   // GDA94 <-> GDA2020
  const GridFile* nzgd2000 = nullptr;  // NZGD49 <-> NZGD2000
};

struct DatumPathSettings {
  Datum fromDatum = Datum::kWgs84;
  Datum toDatum = Datum::kWgs84;
  double epoch = 1994.0;      // decimal year of ITRF (WGS84) positions
  bool useITRF2008 = false;   // WGS84 is ITRF2008, else ITRF2000
  bool useGridShift = false;  // the grids serve where they cover the point
};

// The grid files a path between two datums may read when grids are used. The New Zealand grid is
// needed when one of the two datums is NZGD49 or NZGD2000 and the pair, after the New Zealand rule,
// is NZGD49 <-> NZGD2000; it is optional (used if present, see GridState) when only the rule leads
// there, from an AGD or ISG datum to GDA94 or WGS84 or back.
struct GridNeeds {
  bool agd66 = false;
  bool agd84 = false;
  bool gda2020 = false;
  bool nzgd2000 = false;
  bool nzgd2000Optional = false;
};
GridNeeds gridsNeeded(const DatumPathSettings& settings);

class DatumPath {
 public:
  DatumPath(const DatumPathSettings& settings, const DatumGrids& grids);

  // latitude, longitude: degrees on the source datum. Never fails: pairs without a transformation
  // pass unchanged, points outside 90S..0, 0E..180E at most receive the fixed approximate AGD shift.
  LatLon transformDatum(double latitude, double longitude, DatumReport& report) const;

 private:
  DatumPathSettings settings_;
  DatumGrids grids_;
  ItrfRealisation realisation_;
  bool nzgd2000Needed_ = false;  // a point the New Zealand grid misses is reported even when it is not open
};

}  // namespace velmora
