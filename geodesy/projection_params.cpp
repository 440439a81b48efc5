// Filling a projection record from a datum code, and the central meridian rules.
//
// UTM-type zones are 6 degrees wide with zone 53 centred on 135 E. The Integrated Survey Grid
// splits each UTM zone into three 2-degree sub-zones, s = 0, 1, 2 from the west, whose central
// meridians lie 4, 2 and 0 degrees west of the UTM one. The hemisphere only moves the false
// northing of the UTM-type grids; the ISG, NZ Map Grid and NZGD2000 grids have fixed origins.
#include "velmora/geodesy/projection_params.hpp"

#include <array>

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

// One row per datum code, AGD66 (0) to the catch-all WGS84 (8).
constexpr std::array<DatumProjection, 9> kDatumProjections{{
    {kTransverseMercator, kAustralianNationalSpheroidRoundedE2, 500000.0, 10000000.0, 0.0, true,
     0.0},  // AGD66
    {kTransverseMercator, kAustralianNationalSpheroidRoundedE2, 500000.0, 10000000.0, 0.0, true,
     0.0},                                                                           // AGD84
    {kTransverseMercator, kGrs80RoundedAxes, 500000.0, 10000000.0, 0.0, true, 0.0},  // GDA94
    {kTransverseMercator, kGrs80RoundedAxes, 500000.0, 10000000.0, 0.0, true, 0.0},  // GDA2020
    // ANG: the ANG grid formulas use their own origin in yards; these metre values go unused.
    {kAngGrid, kClarke1858RoundedE2, 500000.0, 10000000.0, 0.0, true, 0.0},                       // ANG
    {kIsgGrid, kAustralianNationalSpheroidRoundedE2, 300000.0, 5000000.0, 5000000.0, true, 0.0},  // ISG
    {kNzMapGrid, kInternational1924, 2510000.0, 6023150.0, 6023150.0, true, 0.0},                 // NZGD49
    // NZGD2000: one Transverse Mercator grid on 173 E whatever zone or hemisphere is asked for.
    {kTransverseMercator, kGrs80RoundedAxes, 1600000.0, 10000000.0, 10000000.0, false, 173.0},  // NZGD2000
    {kTransverseMercator, kWgs84RoundedAxes, 500000.0, 10000000.0, 0.0, true, 0.0},             // WGS84
}};

constexpr double kUtmZoneWidthDeg = 6.0;
constexpr double kUtmReferenceZone = 53.0;
constexpr double kUtmReferenceMeridianDeg = 135.0;    // central meridian of zone 53
constexpr double kIsgWesternSubZoneOffsetDeg = -4.0;  // sub-zone 0 lies 4 degrees west of the UTM meridian
constexpr double kIsgSubZoneWidthDeg = 2.0;
constexpr double kAngBaseMeridianDeg = 111.0;
constexpr double kAngZoneWidthDeg = 5.0;
constexpr double kNzMapGridMeridianDeg = 173.0;

// Zone arithmetic is done in double precision: it is exact for every int, so no zone number,
// however absurd, can overflow.
double utmCentralMeridian(std::int32_t zone) {
  return (static_cast<double>(zone) - kUtmReferenceZone) * kUtmZoneWidthDeg + kUtmReferenceMeridianDeg;
}

}  // namespace

ProjectionParams makeProjectionParams(DatumCode datum, int zone, bool southernHemisphere, int isgSubZone) {
  const bool known = datum >= 0 && datum < static_cast<int>(kDatumProjections.size());
  const DatumProjection& row = kDatumProjections[static_cast<std::size_t>(known ? datum : kGda94)];

  ProjectionParams params;
  params.projectionKind = row.kind;
  params.ellipsoid = row.ellipsoid;
  params.zone = row.keepsZone ? zone : 0;
  params.isgSubZone = isgSubZone;
  params.falseEasting = row.falseEastingM;
  params.falseNorthing = southernHemisphere ? row.falseNorthingSouthM : row.falseNorthingNorthM;
  params.centralMeridian = row.centralMeridianDeg;
  params.angZone = 0;
  return params;
}

double centralMeridianDegrees(const ProjectionParams& params) {
  switch (params.projectionKind) {
    case kTransverseMercator:
      return params.zone != 0 ? utmCentralMeridian(params.zone) : params.centralMeridian;
    case kIsgGrid:
      if (params.zone == 0) return params.centralMeridian;
      return utmCentralMeridian(params.zone) + kIsgWesternSubZoneOffsetDeg +
             kIsgSubZoneWidthDeg * static_cast<double>(params.isgSubZone);
    case kAngGrid:
      return kAngBaseMeridianDeg + kAngZoneWidthDeg * static_cast<double>(params.angZone);
    case kNzMapGrid:
      return kNzMapGridMeridianDeg;
    default:
      return params.centralMeridian;
  }
}

}  // namespace velmora
