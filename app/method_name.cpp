#include "velmora/app/method_name.hpp"

#include <array>

#include "velmora/gridfile/grid_file.hpp"

namespace velmora {
namespace {

struct SetNames {
  std::string_view forward;
  std::string_view reverse;
};

// By ParameterSet, in its order.
constexpr std::array<SetNames, 13> kSetNames{{
    {"AGD66-GDA94", "GDA94-AGD66"},
    {"AGD84-GDA94", "GDA94-AGD84"},
    {"GDA2020-GDA94", "GDA94-GDA2020"},
    {"ANG-GDA94", "GDA94-ANG"},
    {"NZGD49-NZGD2000", "NZGD2000-NZGD49"},
    {"ITRF2000-GDA94", "GDA94-ITRF2000"},
    {"ITRF2008-GDA94", "GDA94-ITRF2008"},
    {"ITRF2014-GDA2020", "GDA2020-ITRF2014"},
    {"ITRF2020-ITRF2014", "ITRF2014-ITRF2020"},
    {"ATRF2014-GDA2020", "GDA2020-ATRF2014"},
    {"ITRF2014-ITRF96", "ITRF96-ITRF2014"},
    {"ITRF2008-ITRF96", "ITRF96-ITRF2008"},
    {"ITRF2000-ITRF96", "ITRF96-ITRF2000"},
}};

// File names and sub-grid names may hold any byte. Whatever could split a field of delimited output
// (a comma, a semicolon, a quote, a blank or any other control byte), end a part ('+') or make the
// field other than plain ASCII is written as '_', so the method stays one field.
void appendFieldText(std::string_view text, std::string& out) {
  for (const char c : text) {
    const bool plain = c > ' ' && c < 0x7f && c != ',' && c != ';' && c != '"' && c != '+';
    out.push_back(plain ? c : '_');
  }
}

// KIND:FILE, and :SUBGRID when a sub-grid served the point.
void appendGridPart(std::string_view kind, std::string_view file, const SubGrid* subGrid, std::string& out) {
  out.append(kind).push_back(':');
  appendFieldText(file, out);
  const std::string_view name = subGridName(subGrid);
  if (name.empty()) return;
  out.push_back(':');
  appendFieldText(name, out);
}

void appendStep(const Converter& converter, const DatumStep& step, std::string& out) {
  switch (step.kind) {
    case StepKind::kGridShift:
      appendGridPart(step.inMargin ? "grid-margin" : "grid", gridBaseName(converter, step.grid, step.file),
                     step.subGrid, out);
      return;
    case StepKind::kParameters:
      out.append(step.parameters == ParameterSet::kAngToGda94 ? "molodensky:" : "helmert:");
      out.append(parameterSetName(step.parameters, step.reverse));
      return;
    case StepKind::kApproximateShift:
      out.append("approximate");
      return;
    case StepKind::kDeformation:
      appendGridPart("deformation", gridBaseName(converter, GridId::kNzDeformation, step.file), nullptr, out);
      return;
  }
}

void appendDatumPart(const Converter& converter, const DatumReport& report, std::string& out) {
  if (report.newZealandRule) out.append("nz-rule+");
  switch (report.outcome) {
    case DatumOutcome::kTransformed:
    case DatumOutcome::kApproximate:
      for (std::size_t k = 0; k < report.stepCount; ++k) {
        if (k > 0) out.push_back('+');
        appendStep(converter, report.steps[k], out);
      }
      return;
    case DatumOutcome::kUnchanged:
      out.append("unchanged");
      return;
    case DatumOutcome::kOutsideArea:
      out.append("outside-area");
      return;
    case DatumOutcome::kNoTransformation:
      out.append("no-transformation");
      return;
  }
}

void appendLookup(const Converter& converter, const HeightLookup& report, std::string& out) {
  const std::string_view file = gridBaseName(converter, report.geoid, report.file);
  switch (report.geoidStatus) {
    case GeoidStatus::kNotUsed:
      return;
    case GeoidStatus::kApplied:
      out.push_back('+');
      appendGridPart(report.inMargin ? "geoid-margin" : "geoid", file, report.subGrid, out);
      return;
    case GeoidStatus::kFileMissing:
      appendGridPart("+geoid-missing", file, nullptr, out);
      return;
    case GeoidStatus::kOutside:
      appendGridPart("+geoid-outside", file, nullptr, out);
      return;
    case GeoidStatus::kNoData:
      appendGridPart("+geoid-nodata", file, nullptr, out);
      return;
  }
}

void appendHeightPart(const Converter& converter, const HeightReport& report, std::string& out) {
  appendLookup(converter, report, out);
  appendLookup(converter, report.second, out);
}

}  // namespace

std::string_view gridBaseName(const Converter& converter, GridId id, std::size_t file) {
  const std::span<const GridState> states = converter.gridStates(id);
  const std::string_view path = (file < states.size() ? states[file] : states.front()).path;
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view subGridName(const SubGrid* subGrid) {
  if (subGrid == nullptr) return {};
  std::string_view name = subGrid->name();
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  return name;
}

std::string_view parameterSetName(ParameterSet set, bool reverse) {
  const SetNames& names = kSetNames[static_cast<std::size_t>(set)];
  return reverse ? names.reverse : names.forward;
}

void appendMethodName(const Converter& converter, const ConversionResult& result, std::string& out) {
  appendDatumPart(converter, result.datum, out);
  appendHeightPart(converter, result.height, out);
}

}  // namespace velmora
