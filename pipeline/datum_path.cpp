// A point through the run's datum plan. Only the tests that depend on the point are made here: does
// each grid hold it, does it lie in the New Zealand area (which of the two routes), does it lie in
// the supported area (the approximate shift or the chain). The steps themselves were chosen when the
// plan was made.
#include "pipeline/datum_path.hpp"

#include <optional>

#include "pipeline/grid_shift.hpp"
#include "velmora/deformation/deformation_model.hpp"
#include "velmora/geodesy/datum_transforms.hpp"
#include "velmora/geodesy/itrf.hpp"

namespace velmora {
namespace {

// ANG <-> GDA94 in both directions. No national parameter set between ANG and GDA94 exists:
// pre-1966 ANG coordinates are not homogeneous. The record therefore holds no translation,
// rotation or scale, so that Molodensky's formulas carry out the change of ellipsoid (Clarke 1858
// to GRS80) alone. ANG datum changes are approximate.
constexpr HelmertParams kAngToGda94Params{};

// New Zealand area: latitude strictly south of 30 S and longitude strictly east of 160 E.
constexpr double kNzAreaNorthLimitDeg = -30.0;
constexpr double kNzAreaWestLimitDeg = 160.0;

// Supported area: -90 <= latitude <= 0 and 0 <= longitude < 180, degrees.
constexpr double kSupportedSouthLimitDeg = -90.0;
constexpr double kSupportedNorthLimitDeg = 0.0;
constexpr double kSupportedWestLimitDeg = 0.0;
constexpr double kSupportedEastEndDeg = 180.0;  // exclusive

// Approximate AGD to GDA94 shift applied outside the supported area.
constexpr double kApproxLatitudeShiftDeg = 0.0014444444444444446;   // 5.2 arc-seconds
constexpr double kApproxLongitudeShiftDeg = 0.0013055555555555557;  // 4.7 arc-seconds

void addStep(DatumReport& report, const DatumStep& step) {
  if (report.stepCount < report.steps.size()) report.steps[report.stepCount++] = step;
}

// A parameter set applied to a point in the step's direction; epoch (decimal year) for the
// time-dependent sets. The ITRF2000 and ITRF2008 sets carry their realisation.
LatLon applyParameters(const DatumStep& step, LatLon point, double epoch) {
  const double lat = point.latitude;
  const double lon = point.longitude;
  const bool forward = !step.reverse;
  switch (step.parameters) {
    case ParameterSet::kAgd66ToGda94:
      return forward ? agd66ToGda94(lat, lon) : gda94ToAgd66(lat, lon);
    case ParameterSet::kAgd84ToGda94:
      return forward ? agd84ToGda94(lat, lon) : gda94ToAgd84(lat, lon);
    case ParameterSet::kGda2020ToGda94:
      return forward ? gda2020ToGda94(lat, lon) : gda94ToGda2020(lat, lon);
    case ParameterSet::kAngToGda94:
      return forward ? angToGda94(lat, lon, kAngToGda94Params) : gda94ToAng(lat, lon, kAngToGda94Params);
    case ParameterSet::kNzgd49ToNzgd2000:
      return forward ? nzgd49ToNzgd2000(lat, lon) : nzgd2000ToNzgd49(lat, lon);
    case ParameterSet::kItrf2000ToGda94:
      return forward ? itrfToGda94(lat, lon, epoch, ItrfRealisation::kItrf2000)
                     : gda94ToItrf(lat, lon, epoch, ItrfRealisation::kItrf2000);
    case ParameterSet::kItrf2008ToGda94:
      return forward ? itrfToGda94(lat, lon, epoch, ItrfRealisation::kItrf2008)
                     : gda94ToItrf(lat, lon, epoch, ItrfRealisation::kItrf2008);
    case ParameterSet::kItrf2014ToGda2020:
    case ParameterSet::kAtrf2014ToGda2020:  // the same rotation rates, published for each
      return forward ? itrf2014ToGda2020(lat, lon, epoch) : gda2020ToItrf2014(lat, lon, epoch);
    case ParameterSet::kItrf2020ToItrf2014:
      return forward ? itrf2020ToItrf2014(lat, lon, epoch) : itrf2014ToItrf2020(lat, lon, epoch);
    case ParameterSet::kItrf2014ToItrf96:
      return forward ? itrfToItrf96(lat, lon, epoch, Itrf96Source::kItrf2014)
                     : itrf96ToItrf(lat, lon, epoch, Itrf96Source::kItrf2014);
    case ParameterSet::kItrf2008ToItrf96:
      return forward ? itrfToItrf96(lat, lon, epoch, Itrf96Source::kItrf2008)
                     : itrf96ToItrf(lat, lon, epoch, Itrf96Source::kItrf2008);
    case ParameterSet::kItrf2000ToItrf96:
      return forward ? itrfToItrf96(lat, lon, epoch, Itrf96Source::kItrf2000)
                     : itrf96ToItrf(lat, lon, epoch, Itrf96Source::kItrf2000);
  }
  return point;
}

// One grid leg at the point, reported with the sub-grid read; nothing when its grid misses.
std::optional<LatLon> runGridLeg(const PlannedGridLeg& leg, LatLon point, DatumReport& report) {
  const std::optional<GridLeg> shift = shiftByGrid(leg.files, point.latitude, point.longitude, !leg.reverse);
  if (!shift) return std::nullopt;
  addStep(report,
          DatumStep{StepKind::kGridShift, leg.reverse, leg.grid, shift->subGrid, ParameterSet::kAgd66ToGda94,
                    shift->inMargin, shift->file, shift->accuracyMetres});
  return shift->position;
}

// Stage 1. The shifted point when every grid leg gave a shift; nothing, and no step reported, when
// one leg gave none, which the report then notes.
std::optional<LatLon> runGridLegs(const DatumPlan& plan, LatLon point, DatumReport& report) {
  for (std::size_t k = 0; k < plan.gridLegCount; ++k) {
    const PlannedGridLeg& leg = plan.gridLegs[k];
    const std::optional<LatLon> shifted = runGridLeg(leg, point, report);
    if (!shifted) {
      report.stepCount = 0;  // a first leg that served is not reported when the second missed
      report.gridMissed = true;
      report.missedGrid = leg.grid;
      return std::nullopt;
    }
    point = *shifted;
  }
  report.outcome = DatumOutcome::kTransformed;
  return point;
}

// Stage 4, for a point outside the supported area.
LatLon shiftOutsideArea(const DatumRoute& route, LatLon point, DatumReport& report) {
  switch (route.outsideArea) {
    case ApproximateShift::kAdd:
      addStep(report, DatumStep{StepKind::kApproximateShift, false});
      report.outcome = DatumOutcome::kApproximate;
      return {point.latitude + kApproxLatitudeShiftDeg, point.longitude + kApproxLongitudeShiftDeg};
    case ApproximateShift::kSubtract:
      addStep(report, DatumStep{StepKind::kApproximateShift, true});
      report.outcome = DatumOutcome::kApproximate;
      return {point.latitude - kApproxLatitudeShiftDeg, point.longitude - kApproxLongitudeShiftDeg};
    case ApproximateShift::kNone:
      break;
  }
  report.outcome = DatumOutcome::kOutsideArea;
  return point;
}

// Why the model did not serve.
DeformationMiss missOf(DeformationStatus status) {
  switch (status) {
    case DeformationStatus::kDone:
      return DeformationMiss::kNone;
    case DeformationStatus::kOutsideExtent:
      return DeformationMiss::kOutsideExtent;
    case DeformationStatus::kOutsideTimeExtent:
      return DeformationMiss::kOutsideTimeExtent;
    case DeformationStatus::kNotConverged:
      return DeformationMiss::kNotConverged;
    case DeformationStatus::kOutsideGrid:
    case DeformationStatus::kNoData:
      break;
  }
  return DeformationMiss::kOutsideGrid;
}

// Stage 5: each stage's grid where it holds the point, else its parameters, at the source's or the
// target's epoch; the deformation model of a route through it. Nothing when the model does not
// serve the point (report.deformationMiss says why).
std::optional<LatLon> runChain(const DatumRoute& route, LatLon point, const PointEpochs& epochs,
                               const DeformationModel* model, DatumReport& report) {
  report.outcome = route.outcome;
  for (std::size_t k = 0; k < route.stageCount; ++k) {
    const ChainStage& stage = route.stages[k];
    const double epoch = stage.atTargetEpoch ? epochs.target : epochs.source;
    if (stage.parameters.kind == StepKind::kDeformation) {
      if (model == nullptr) {
        report.deformationMiss = DeformationMiss::kNotOpen;
        return std::nullopt;
      }
      const DeformedPosition moved = stage.parameters.reverse
                                         ? model->inverse(point.latitude, point.longitude, epoch)
                                         : model->forward(point.latitude, point.longitude, epoch);
      if (moved.status != DeformationStatus::kDone) {
        report.deformationMiss = missOf(moved.status);
        return std::nullopt;
      }
      addStep(report, stage.parameters);
      point = {moved.latitude, moved.longitude};
      continue;
    }
    if (stage.grid) {
      if (const std::optional<LatLon> shifted = runGridLeg(*stage.grid, point, report)) {
        if (stage.hitClearsMiss) report.gridMissed = false;
        point = *shifted;
        continue;
      }
      if (stage.missReported) {
        report.gridMissed = true;
        report.missedGrid = stage.grid->grid;
      }
    }
    addStep(report, stage.parameters);
    point = applyParameters(stage.parameters, point, epoch);
  }
  return point;
}

}  // namespace

DatumPath::DatumPath(const DatumPathSettings& settings, const DatumGrids& grids)
    : plan_(planDatumPath(settings, grids)) {}

PointEpochs DatumPath::epochsOf(double sourceEpoch) const noexcept {
  return PointEpochs{sourceEpoch, plan_.toEpoch.value_or(sourceEpoch)};
}

LatLon DatumPath::transformDatum(double latitude, double longitude, const PointEpochs& epochs,
                                 DatumReport& report) const {
  const LatLon input{latitude, longitude};
  if (plan_.gridLegCount > 0) {
    if (const std::optional<LatLon> shifted = runGridLegs(plan_, input, report)) {
      report.fromDatum = plan_.fromDatum;
      report.toDatum = plan_.toDatum;
      return *shifted;
    }
  }

  const bool inNewZealandArea = latitude < kNzAreaNorthLimitDeg && longitude > kNzAreaWestLimitDeg;
  const bool outsideSupportedArea = latitude > kSupportedNorthLimitDeg ||
                                    latitude < kSupportedSouthLimitDeg ||
                                    longitude < kSupportedWestLimitDeg || longitude >= kSupportedEastEndDeg;
  DeformationMiss modelMiss = DeformationMiss::kNone;
  if (inNewZealandArea && plan_.usesModel && !outsideSupportedArea) {
    const DatumRoute& route = plan_.viaModel;
    report.fromDatum = route.fromDatum;
    report.toDatum = route.toDatum;
    report.newZealandRule = route.newZealandRule;
    if (const std::optional<LatLon> moved = runChain(route, input, epochs, plan_.nzModel, report))
      return *moved;
    // The New Zealand rule serves instead, as it did before there was a model.
    modelMiss = report.deformationMiss;
    report = DatumReport{};
  }

  const DatumRoute& route = inNewZealandArea ? plan_.newZealand : plan_.ordinary;
  report.fromDatum = route.fromDatum;
  report.toDatum = route.toDatum;
  report.newZealandRule = route.newZealandRule;
  const auto missed = [&](LatLon point) {
    if (modelMiss != DeformationMiss::kNone) {
      report.gridMissed = true;
      report.missedGrid = GridId::kNzDeformation;
      report.deformationMiss = modelMiss;
    }
    return point;
  };

  if (route.equalDatums) return missed(input);
  if (outsideSupportedArea) return shiftOutsideArea(route, input, report);
  return missed(*runChain(route, input, epochs, nullptr, report));
}

}  // namespace velmora
