// What a Converter lacks of the grids its settings call for, in the words of --strict: a grid or
// geoid the run needs that did not open, or grids asked for where none serves the pair.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "velmora/converter.hpp"

namespace velmora {

// A grid or geoid the run needs that did not open, or grids asked for where none serves, in the
// words of --strict (without "velmora: "); none when the converter has every grid it needs.
std::optional<std::string> gridProblem(const Converter& converter);

// Every such problem, in the order of the grids (the warnings of a run without --strict).
std::vector<std::string> gridProblems(const Converter& converter);

// The part of gridProblem that follows from the options alone, whatever files exist: grids asked
// for (--useGridShift) where none serves the pair.
std::optional<std::string> gridShiftProblem(const Converter& converter);

}  // namespace velmora
