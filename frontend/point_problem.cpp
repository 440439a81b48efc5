#include "frontend/point_problem.hpp"

#include "frontend/method_name.hpp"
#include "velmora/gridfile/grid_file.hpp"

namespace velmora {
namespace {

constexpr std::string_view kSupportedArea = "latitudes 90 S to 0, longitudes 0 to 180 E";

void appendSubGrid(const SubGrid* subGrid, std::string& out) {
  if (subGrid != nullptr) out.append(" sub-grid ").append(subGridName(subGrid));
}

bool describeDatumProblem(const Converter& converter, const DatumReport& report, std::string& out) {
  // The area first: outside it no grid holds the point either.
  switch (report.outcome) {
    case DatumOutcome::kTransformed:
    case DatumOutcome::kUnchanged:
      break;
    case DatumOutcome::kApproximate:
      out.append("the point lies outside the area the AGD transformations are made for (")
          .append(kSupportedArea)
          .append("); only an approximate shift would apply");
      return true;
    case DatumOutcome::kOutsideArea:
      out.append("the point lies outside the area the transformations are made for (")
          .append(kSupportedArea)
          .append(")");
      return true;
    case DatumOutcome::kNoTransformation:
      out.append("no transformation from ")
          .append(datumName(report.fromDatum))
          .append(" to ")
          .append(datumName(report.toDatum));
      if (report.newZealandRule) {
        out.append(" (points in the New Zealand area are taken on NZGD49 or NZGD2000)");
      }
      return true;
  }
  if (report.gridMissed) {
    out.append("the point lies outside the grid ")
        .append(gridBaseName(converter, report.missedGrid))
        .append(" (--useGridShift)");
    return true;
  }
  for (std::size_t k = 0; k < report.stepCount; ++k) {
    const DatumStep& step = report.steps[k];
    if (step.kind != StepKind::kGridShift || !step.inMargin) continue;
    out.append("the point lies outside the edge of the grid ").append(gridBaseName(converter, step.grid));
    appendSubGrid(step.subGrid, out);
    out.append(", in the band where its shift fades to zero");
    return true;
  }
  return false;
}

bool describeHeightProblem(const Converter& converter, const HeightReport& report, std::string& out) {
  const auto geoid = [&] { return gridBaseName(converter, report.geoid); };
  switch (report.geoidStatus) {
    case GeoidStatus::kNotUsed:
      return false;
    case GeoidStatus::kApplied:
      if (!report.inMargin) return false;
      out.append("the point lies outside the edge of the geoid ").append(geoid());
      appendSubGrid(report.subGrid, out);
      out.append(", in the band where its values fade to zero");
      return true;
    case GeoidStatus::kOutside:
      out.append("the geoid ").append(geoid()).append(" does not cover the point");
      return true;
    case GeoidStatus::kNoData:
      out.append("the geoid ").append(geoid()).append(" holds no data at the point");
      return true;
    case GeoidStatus::kFileMissing:
      out.append("the geoid file ").append(converter.gridState(report.geoid).path).append(" is not open");
      return true;
  }
  return false;
}

// Grid coordinates more than a degree outside their zone: Redfearn's series, good to well under a
// millimetre within a zone, is off by millimetres to centimetres far beyond it.
bool describeZoneProblem(const Converter& converter, const ZoneReport& report, std::string& out) {
  if (!report.sourceOutside && !report.targetOutside) return false;
  const int zone = report.sourceOutside ? converter.settings().zone : report.target;
  out.append(report.sourceOutside ? "the grid coordinates given lie"
                                  : "the point's grid coordinates would lie")
      .append(" more than 1 degree outside zone ")
      .append(std::to_string(zone));
  return true;
}

}  // namespace

bool describePointProblem(const Converter& converter, const ConversionResult& result, std::string& out) {
  return describeDatumProblem(converter, result.datum, out) ||
         describeHeightProblem(converter, result.height, out) ||
         describeZoneProblem(converter, result.zone, out);
}

}  // namespace velmora
