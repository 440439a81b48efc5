// The grid of each datum. The hemisphere only moves the false northing of the UTM-type grids; the
// ISG, NZ Map Grid and NZGD2000 grids have fixed origins. Each datum's ellipsoid is the record the
// grid coordinates in circulation were computed with (see velmora/geodesy/ellipsoid.hpp): for
// GRS80 the one from a and b rounded to 0.1 mm, not the one from 1/f.
#include "pipeline/datum_projection.hpp"

#include <array>
#include <cstddef>

#include "velmora/geodesy/ellipsoid.hpp"

namespace velmora {
namespace {

struct DatumProjection {
  ProjectionKind kind;
  Ellipsoid ellipsoid;
  double falseEastingM;
  double falseNorthingSouthM;  // with the southern-hemisphere flag set
  double falseNorthingNorthM;  // with it cleared
  bool keepsZone;              // false: the requested zone is discarded for the central meridian field
  double centralMeridianDeg;   // used only when the stored zone is 0
};

constexpr ProjectionKind kTm = ProjectionKind::kTransverseMercator;

// GRS80 from a and b = 6356752.3141 m: e^2 = 0.006694380035512838, where 1/f gives
// 0.006694380022900787. GDA94, GDA2020 and NZGD2000 grid coordinates were computed with it.
constexpr Ellipsoid kGrs80RoundedAxes = ellipsoidFromSemiAxes(6378137.0, 6356752.3141);

// One row per datum code, AGD66 (0) to ATRF2014 (13).
constexpr std::array<DatumProjection, 14> kDatumProjections{{
    {kTm, kAustralianNationalSpheroidRoundedE2, 500000.0, 10000000.0, 0.0, true, 0.0},  // AGD66
    {kTm, kAustralianNationalSpheroidRoundedE2, 500000.0, 10000000.0, 0.0, true, 0.0},  // AGD84
    {kTm, kGrs80RoundedAxes, 500000.0, 10000000.0, 0.0, true, 0.0},                     // GDA94
    {kTm, kGrs80RoundedAxes, 500000.0, 10000000.0, 0.0, true, 0.0},                     // GDA2020
    // ANG: the ANG grid formulas use their own origin in yards; these metre values go unused.
    {ProjectionKind::kAngGrid, kClarke1858RoundedE2, 500000.0, 10000000.0, 0.0, true, 0.0},  // ANG
    {ProjectionKind::kIsgGrid, kAustralianNationalSpheroidRoundedE2, 300000.0, 5000000.0, 5000000.0, true,
     0.0},                                                                                         // ISG
    {ProjectionKind::kNzMapGrid, kInternational1924, 2510000.0, 6023150.0, 6023150.0, true, 0.0},  // NZGD49
    // NZGD2000: one Transverse Mercator grid on 173 E whatever zone or hemisphere is asked for.
    {kTm, kGrs80RoundedAxes, 1600000.0, 10000000.0, 10000000.0, false, 173.0},  // NZGD2000
    {kTm, kWgs84RoundedAxes, 500000.0, 10000000.0, 0.0, true, 0.0},             // WGS84
    // The ITRF datums are UTM like WGS84; ITRF2000 and ITRF2008 are what WGS84 means, ITRF2014 and
    // ITRF2020 positions lie on GRS80, the ellipsoid of their parameters.
    {kTm, kWgs84RoundedAxes, 500000.0, 10000000.0, 0.0, true, 0.0},  // ITRF2000
    {kTm, kWgs84RoundedAxes, 500000.0, 10000000.0, 0.0, true, 0.0},  // ITRF2008
    {kTm, kGrs80RoundedAxes, 500000.0, 10000000.0, 0.0, true, 0.0},  // ITRF2014
    {kTm, kGrs80RoundedAxes, 500000.0, 10000000.0, 0.0, true, 0.0},  // ITRF2020
    {kTm, kGrs80RoundedAxes, 500000.0, 10000000.0, 0.0, true, 0.0},  // ATRF2014
}};

}  // namespace

ProjectionParams makeProjectionParams(Datum datum, int zone, bool southernHemisphere, int isgSubZone) {
  const int code = codeOf(datum);
  const bool known = code >= 0 && code < static_cast<int>(kDatumProjections.size());
  const DatumProjection& row =
      kDatumProjections[static_cast<std::size_t>(known ? code : codeOf(Datum::kGda94))];

  ProjectionParams params;
  params.kind = row.kind;
  params.ellipsoid = row.ellipsoid;
  params.zone = row.keepsZone ? zone : 0;
  params.isgSubZone = isgSubZone;
  params.falseEasting = row.falseEastingM;
  params.falseNorthing = southernHemisphere ? row.falseNorthingSouthM : row.falseNorthingNorthM;
  params.centralMeridian = row.centralMeridianDeg;
  return params;
}

}  // namespace velmora
