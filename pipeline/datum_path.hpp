// Change of datum of one geographic point by the run's plan: the grid legs between the run's datums,
// then the route of the point's side of the New Zealand area, inside or outside the supported area.
#pragma once

#include "pipeline/datum_plan.hpp"
#include "velmora/codes.hpp"
#include "velmora/converter.hpp"
#include "velmora/geodesy/lat_lon.hpp"

namespace velmora {

class DatumPath {
 public:
  // Works out the plan (see datum_plan.hpp); grids as opened for gridsNeeded(settings).
  DatumPath(const DatumPathSettings& settings, const DatumGrids& grids);

  // latitude, longitude: degrees on the source datum, at the point's source and target epochs.
  // Never fails: pairs without a transformation pass unchanged, points outside 90S..0, 0E..180E at
  // most receive the fixed approximate AGD shift. report starts as a DatumReport{}.
  LatLon transformDatum(double latitude, double longitude, const PointEpochs& epochs,
                        DatumReport& report) const;
  // The epochs of a point whose source position is at sourceEpoch: the target's is the run's
  // target epoch, or else the same.
  PointEpochs epochsOf(double sourceEpoch) const noexcept;

 private:
  DatumPlan plan_;
};

}  // namespace velmora
