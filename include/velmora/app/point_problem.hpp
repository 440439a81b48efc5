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
