#include "velmora/app/point_problem.hpp"

#include "velmora/app/method_name.hpp"
#include "velmora/gridfile/grid_file.hpp"

namespace velmora {
namespace {

constexpr std::string_view kSupportedArea = "latitudes 90 S to 0, longitudes 0 to 180 E";

void appendSubGrid(const SubGrid* subGrid, std::string& out) {
  if (subGrid != nullptr) out.append(" sub-grid ").append(subGridName(subGrid));
}

// Whether a file of the slot opened: a slot with none misses every point, which is the run's problem.
bool anyOpen(const Converter& converter, GridId id) {
  for (const GridState& state : converter.gridStates(id)) {
    if (isOpen(state)) return true;
  }
  return false;
}

// The kind of the datum part's problem; none for a point transformed as asked. The area first:
// outside it no grid holds the point either. A grid that did not open misses every point: that is
// the run's problem, said once, not each point's.
std::optional<LineWarning> datumProblemKind(const Converter& converter, const DatumReport& report) {
  switch (report.outcome) {
    case DatumOutcome::kTransformed:
    case DatumOutcome::kUnchanged:
      break;
    case DatumOutcome::kApproximate:
      return LineWarning::kApproximate;
    case DatumOutcome::kOutsideArea:
      return LineWarning::kOutsideArea;
    case DatumOutcome::kNoTransformation:
      return LineWarning::kNoTransformation;
  }
  // The deformation model serves only the New Zealand points of a run: one that needed it and found
  // no file is that point's problem.
  if (report.gridMissed &&
      (anyOpen(converter, report.missedGrid) || report.missedGrid == GridId::kNzDeformation))
    return LineWarning::kOutsideGrid;
  for (std::size_t k = 0; k < report.stepCount; ++k) {
    if (report.steps[k].kind == StepKind::kGridShift && report.steps[k].inMargin)
      return LineWarning::kGridMargin;
  }
  return std::nullopt;
}

std::optional<LineWarning> lookupProblemKind(const HeightLookup& report) {
  switch (report.geoidStatus) {
    case GeoidStatus::kNotUsed:
      return std::nullopt;
    case GeoidStatus::kApplied:
      return report.inMargin ? std::optional(LineWarning::kGeoidMargin) : std::nullopt;
    case GeoidStatus::kOutside:
      return LineWarning::kGeoidOutside;
    case GeoidStatus::kNoData:
      return LineWarning::kGeoidNoData;
    case GeoidStatus::kFileMissing:
      return LineWarning::kGeoidMissing;
  }
  return std::nullopt;
}

// The deformation model did not serve a New Zealand point: the New Zealand rule did.
void describeModelMiss(const Converter& converter, const DatumReport& report, std::string& out) {
  const std::string_view model = gridBaseName(converter, GridId::kNzDeformation);
  switch (report.deformationMiss) {
    case DeformationMiss::kNotOpen:
      out.append("the deformation model ").append(converter.gridState(GridId::kNzDeformation).path);
      out.append(" is not open (--useGridShift)");
      return;
    case DeformationMiss::kOutsideTimeExtent:
      out.append("the epoch lies outside the time extent of the deformation model ").append(model);
      return;
    case DeformationMiss::kNotConverged:
      out.append("the deformation model ").append(model).append(" did not converge at the point");
      return;
    default:
      out.append("the point lies outside the deformation model ").append(model).append(" (--useGridShift)");
      return;
  }
}

void describeDatumProblem(const Converter& converter, const DatumReport& report, LineWarning kind,
                          std::string& out) {
  switch (kind) {
    case LineWarning::kApproximate:
      out.append("the point lies outside the area the AGD transformations are made for (")
          .append(kSupportedArea)
          .append("); only an approximate shift would apply");
      return;
    case LineWarning::kOutsideArea:
      out.append("the point lies outside the area the transformations are made for (")
          .append(kSupportedArea)
          .append(")");
      return;
    case LineWarning::kNoTransformation:
      out.append("no transformation from ")
          .append(datumName(report.fromDatum))
          .append(" to ")
          .append(datumName(report.toDatum));
      if (report.newZealandRule) {
        out.append(" (points in the New Zealand area are taken on NZGD49 or NZGD2000)");
      }
      return;
    case LineWarning::kOutsideGrid:
      if (report.missedGrid == GridId::kNzDeformation) return describeModelMiss(converter, report, out);
      out.append("the point lies outside the grid ")
          .append(gridBaseName(converter, report.missedGrid))
          .append(" (--useGridShift)");
      return;
    default:
      break;
  }
  for (std::size_t k = 0; k < report.stepCount; ++k) {
    const DatumStep& step = report.steps[k];
    if (step.kind != StepKind::kGridShift || !step.inMargin) continue;
    out.append("the point lies outside the edge of the grid ")
        .append(gridBaseName(converter, step.grid, step.file));
    appendSubGrid(step.subGrid, out);
    out.append(", in the band where its shift fades to zero");
    return;
  }
}

// The surface of a height whose problem is told: the first that has one.
const HeightLookup& problemLookup(const HeightReport& report) {
  return lookupProblemKind(report) ? static_cast<const HeightLookup&>(report) : report.second;
}

std::optional<LineWarning> heightProblemKind(const HeightReport& report) {
  return lookupProblemKind(problemLookup(report));
}

void describeHeightProblem(const Converter& converter, const HeightLookup& report, std::string& out) {
  const auto geoid = [&] { return gridBaseName(converter, report.geoid, report.file); };
  switch (report.geoidStatus) {
    case GeoidStatus::kNotUsed:
      return;
    case GeoidStatus::kApplied:
      out.append("the point lies outside the edge of the geoid ").append(geoid());
      appendSubGrid(report.subGrid, out);
      out.append(", in the band where its values fade to zero");
      return;
    case GeoidStatus::kOutside:
      out.append("the geoid ").append(geoid()).append(" does not cover the point");
      return;
    case GeoidStatus::kNoData:
      out.append("the geoid ").append(geoid()).append(" holds no data at the point");
      return;
    case GeoidStatus::kFileMissing:
      out.append("the geoid file ").append(converter.gridState(report.geoid).path).append(" is not open");
      return;
  }
}

// Grid coordinates more than a degree outside their zone: Redfearn's series, good to well under a
// millimetre within a zone, is off by millimetres to centimetres far beyond it.
void describeZoneProblem(const Converter& converter, const ZoneReport& report, std::string& out) {
  const int zone = report.sourceOutside ? converter.settings().zone : report.target;
  out.append(report.sourceOutside ? "the grid coordinates given lie"
                                  : "the point's grid coordinates would lie")
      .append(" more than 1 degree outside zone ")
      .append(std::to_string(zone));
}

}  // namespace

PointProblemKinds pointProblemKinds(const Converter& converter, const ConversionResult& result) {
  const bool zone = result.zone.sourceOutside || result.zone.targetOutside;
  return {datumProblemKind(converter, result.datum), heightProblemKind(result.height),
          zone ? std::optional(LineWarning::kZoneOutside) : std::nullopt};
}

void describePointProblem(const Converter& converter, const ConversionResult& result, LineWarning kind,
                          std::string& out) {
  if (kind == LineWarning::kZoneOutside) return describeZoneProblem(converter, result.zone, out);
  if (kind == heightProblemKind(result.height))
    return describeHeightProblem(converter, problemLookup(result.height), out);
  describeDatumProblem(converter, result.datum, kind, out);
}

std::optional<LineWarning> describePointProblem(const Converter& converter, const ConversionResult& result,
                                                std::string& out) {
  if (!mayHaveProblem(result)) return std::nullopt;
  for (const std::optional<LineWarning> kind : pointProblemKinds(converter, result)) {
    if (!kind) continue;
    describePointProblem(converter, result, *kind, out);
    return kind;
  }
  return std::nullopt;
}

}  // namespace velmora
