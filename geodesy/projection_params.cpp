// The central meridian rules of the projection records.
//
// UTM-type zones are 6 degrees wide with zone 53 centred on 135 E. The Integrated Survey Grid
// splits each UTM zone into three 2-degree sub-zones, s = 0, 1, 2 from the west, whose central
// meridians lie 4, 2 and 0 degrees west of the UTM one. The ANG grid has a single zone on 111 E
// and the NZ Map Grid its origin on 173 E.
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
  }
  return params.centralMeridian;
}

}  // namespace velmora
