// The steps of a change of datum, worked out once for a run. Three things vary from point to point:
// whether the national grids hold the point, whether it lies in the New Zealand area, and whether it
// lies in the supported area. Everything else (the datums the New Zealand rule takes, the parameter
// sets of each chain and their directions, the grids to try and what a miss of each reports)
// follows from the run's settings and is decided here, as two routes: the ordinary one and the one
// under the New Zealand rule. DatumPath picks one per point and runs it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "pipeline/grid_list.hpp"
#include "velmora/codes.hpp"
#include "velmora/converter.hpp"

namespace velmora {

// The grids a datum path may read, each the files of its slot (see grid_list.hpp); empty or nullptr
// where no file is open.
struct DatumGrids {
  GridList agd66;                             // AGD66 and ISG <-> GDA94
  GridList agd84;                             // AGD84 <-> GDA94
  GridList gda2020;                           // GDA94 <-> GDA2020
  GridList nzgd2000;                          // NZGD49 <-> NZGD2000
  const DeformationModel* nzModel = nullptr;  // NZGD2000 <-> ITRF96 at an epoch
  std::uint8_t nzModelFile = 0;               // which file of its slot it is
};

struct DatumPathSettings {
  Datum fromDatum = Datum::kWgs84;
  Datum toDatum = Datum::kWgs84;
  double epoch = 1994.0;                         // decimal year of ITRF (WGS84) positions
  bool useITRF2008 = false;                      // WGS84 is ITRF2008, else ITRF2000
  bool useGridShift = false;                     // the grids serve where they cover the point
  std::optional<double> toEpoch = std::nullopt;  // decimal year of an ITRF target; none: epoch
  // Source and target positions may lie at different epochs (a target epoch was given, and differs
  // from the source epoch or the source epoch comes with each point): two ITRF datums, even the
  // same, are then joined through GDA2020 or GDA94 rather than taken as the same positions.
  bool changesEpoch = false;
};

// The epochs (decimal years) of a point's source and target positions.
struct PointEpochs {
  double source = 1994.0;
  double target = 1994.0;
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
  // New Zealand's deformation model: needed when one datum is ITRF (or WGS84, ATRF2014) and the
  // other NZGD2000 or NZGD49; optional when only the New Zealand rule leads there.
  bool nzModel = false;
  bool nzModelOptional = false;
};
GridNeeds gridsNeeded(const DatumPathSettings& settings);

// One NTv2 grid leg: the shift added (forward, in the file's own direction) or subtracted.
struct PlannedGridLeg {
  GridId grid = GridId::kAgd66;
  GridList files;        // no file open: the leg misses every point
  bool reverse = false;  // subtract the shift
};

// One stage of a chain: a parameter set, or a grid leg that hands over to the parameter set where
// its grid does not hold the point.
struct ChainStage {
  DatumStep parameters;                               // kParameters: the set and its direction
  std::optional<PlannedGridLeg> grid = std::nullopt;  // tried first where set
  bool missReported = true;    // a miss sets gridMissed and missedGrid (not so for an optional grid that
                               // is not open: the run never relied on it)
  bool hitClearsMiss = false;  // a hit makes an earlier miss of another grid no longer matter
  bool atTargetEpoch = false;  // a time-dependent set taken at the target's epoch, not the source's
};

// What the fixed approximate AGD shift does outside the supported area.
enum class ApproximateShift : std::uint8_t {
  kNone,      // the pair has none: the point is kept (DatumOutcome::kOutsideArea)
  kAdd,       // AGD family to GDA94, WGS84 or ITRF
  kSubtract,  // back
};

// Between two datums: for the points of one side of the New Zealand area's border.
struct DatumRoute {
  // ITRF2020 to ITRF2020 at another epoch in New Zealand: to ITRF2014, to ITRF96, the model back,
  // the model forward, to ITRF2014, to ITRF2020.
  static constexpr std::size_t kMaxStages = 6;

  Datum fromDatum = Datum::kWgs84;  // the run's datums, or those the New Zealand rule put instead
  Datum toDatum = Datum::kWgs84;
  bool newZealandRule = false;  // the New Zealand rule changed a datum of the run
  bool equalDatums = false;     // every point passes unchanged, and nothing is reported
  ApproximateShift outsideArea = ApproximateShift::kNone;
  // Inside the supported area: kTransformed by the stages, or kUnchanged or kNoTransformation with
  // none.
  DatumOutcome outcome = DatumOutcome::kTransformed;
  std::array<ChainStage, kMaxStages> stages{};
  std::uint8_t stageCount = 0;
};

struct DatumPlan {
  static constexpr std::size_t kMaxGridLegs = 2;  // an AGD datum and GDA2020, through GDA94

  Datum fromDatum = Datum::kWgs84;  // the run's datums
  Datum toDatum = Datum::kWgs84;
  // The decimal year of the target's positions (none: that of each point's source).
  std::optional<double> toEpoch;
  // Tried first at every point, whatever its area: the grid legs between the run's own datums. The
  // point is settled by them only when every leg holds it.
  std::array<PlannedGridLeg, kMaxGridLegs> gridLegs{};
  std::uint8_t gridLegCount = 0;
  DatumRoute ordinary;    // points outside the New Zealand area
  DatumRoute newZealand;  // points in it
  // With --useGridShift and an ITRF datum: points in the New Zealand area (and the supported area)
  // go through New Zealand's deformation model, whose stages this route holds; where the model does
  // not serve them, by newZealand as before.
  bool usesModel = false;
  DatumRoute viaModel;
  const DeformationModel* nzModel = nullptr;  // nullptr: the model is not open
};

// The plan of a run: settings as for gridsNeeded, grids as opened for them.
DatumPlan planDatumPath(const DatumPathSettings& settings, const DatumGrids& grids);

}  // namespace velmora
