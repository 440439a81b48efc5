// What strict mode reports about a converted point: every decision that settled it without doing
// what the run asked (a grid that does not hold it, an area the transformation is not made for, a
// geoid without a value there).
#pragma once

#include <string>

#include "velmora/converter.hpp"

namespace velmora {

// Appends the first problem of result, in words and without location, to out and returns true;
// returns false (out untouched) for a point converted as asked.
bool describePointProblem(const Converter& converter, const ConversionResult& result, std::string& out);

}  // namespace velmora
