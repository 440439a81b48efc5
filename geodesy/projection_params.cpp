// The central meridian rules of the projection records.
//
// UTM-type zones are 6 degrees wide with zone 53 centred on 135 E. The Integrated Survey Grid
// numbers its 2-degree zones Z/1, Z/2, Z/3 from the west, on 2 degrees west of, on and 2 degrees
// east of UTM zone Z's meridian (56/1 on 151 E, 56/3 on 155 E): sub-zone s lies 2s - 4 degrees
// from it. Sub-zone 0 follows the same rule, 4 degrees west, which is the zone west of Z/1
// (56/0 is 55/3 on 149 E). The ANG grid has a single zone on 111 E and the NZ Map Grid its origin
// on 173 E.
#include "velmora/geodesy/projection_params.hpp"

namespace velmora {
namespace {

constexpr double kUtmZoneWidthDeg = 6.0;
constexpr double kUtmReferenceZone = 53.0;
constexpr double kUtmReferenceMeridianDeg = 135.0;    // central meridian of zone 53
constexpr double kIsgWesternSubZoneOffsetDeg = -4.0;  // sub-zone 0 lies 4 degrees west of the UTM meridian
constexpr double kIsgSubZoneWidthDeg = 2.0;
constexpr double kAngCentralMeridianDeg = 111.0;
constexpr double kNzMapGridMeridianDeg = 173.0;

// Zone arithmetic is done in double precision: it is exact for every int, so no zone number,
// however absurd, can overflow.
double utmCentralMeridian(int zone) {
  return (static_cast<double>(zone) - kUtmReferenceZone) * kUtmZoneWidthDeg + kUtmReferenceMeridianDeg;
}

}  // namespace

double centralMeridianDegrees(const ProjectionParams& params) {
  switch (params.kind) {
    case ProjectionKind::kTransverseMercator:
      return params.zone != 0 ? utmCentralMeridian(params.zone) : params.centralMeridian;
    case ProjectionKind::kIsgGrid:
      if (params.zone == 0) return params.centralMeridian;
      return utmCentralMeridian(params.zone) + kIsgWesternSubZoneOffsetDeg +
             kIsgSubZoneWidthDeg * static_cast<double>(params.isgSubZone);
    case ProjectionKind::kAngGrid:
      return kAngCentralMeridianDeg;
    case ProjectionKind::kNzMapGrid:
      return kNzMapGridMeridianDeg;
    case ProjectionKind::kNzCircuit:
      break;
  }
  return params.centralMeridian;
}

}  // namespace velmora
