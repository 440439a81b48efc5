// What is wrong with a converted point, an error with --strict and a warning without: every decision
// that settled it without doing what the run asked (a grid that does not hold it, an area the transformation
// is not made for, a geoid without a value there).
#pragma once

#include <array>
#include <optional>
#include <string>

#include "velmora/app/run_warnings.hpp"
#include "velmora/converter.hpp"

namespace velmora {

// False for a point done as asked, whatever the converter: the test of every point, a few compares,
// before the work of pointProblemKinds, which true asks for.
inline bool mayHaveProblem(const ConversionResult& result) noexcept {
  const DatumReport& datum = result.datum;
  if (datum.outcome != DatumOutcome::kTransformed && datum.outcome != DatumOutcome::kUnchanged) return true;
  if (datum.gridMissed || result.zone.sourceOutside || result.zone.targetOutside) return true;
  for (const HeightLookup* height :
       {static_cast<const HeightLookup*>(&result.height), &result.height.second}) {
    const GeoidStatus geoid = height->geoidStatus;
    if (geoid != GeoidStatus::kNotUsed && (geoid != GeoidStatus::kApplied || height->inMargin)) return true;
  }
  for (std::size_t k = 0; k < datum.stepCount; ++k) {
    if (datum.steps[k].inMargin) return true;
  }
  return false;
}

// The kinds of a point's problems: of its datum change, its height and its zone, in that order,
// each none when that part was done as asked. Cheap: no text. A needed grid that is not open is
// the run's problem (see gridProblems), not each point's.
using PointProblemKinds = std::array<std::optional<LineWarning>, 3>;
PointProblemKinds pointProblemKinds(const Converter& converter, const ConversionResult& result);

// Appends the problem of that kind, one of pointProblemKinds(result), in words and without location.
void describePointProblem(const Converter& converter, const ConversionResult& result, LineWarning kind,
                          std::string& out);

// Appends the first problem of result, in words and without location, to out and returns its kind;
// returns none (out untouched) for a point converted as asked.
std::optional<LineWarning> describePointProblem(const Converter& converter, const ConversionResult& result,
                                                std::string& out);

}  // namespace velmora
