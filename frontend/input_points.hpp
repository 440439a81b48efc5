// Collecting the points of a run, from an input file or from the positional arguments, before any
// is converted. Geographic points are given latitude first and stored longitude first (x, y).
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "common/conversion_request.hpp"

namespace velmora {

// One line of an input file, with its ending newline if it had one (the newline stays part of the
// last field and reads as nothing). Fields are the non-empty runs between commas: first and second
// coordinate, then the height (atof; 0.0 when absent); later fields are ignored. A line with fewer
// than two fields adds no point.
void addInputLine(std::string_view line, CoordTypeCode fromCoordType, InputPoints& points);

// Reads every line of the file, of any length, through addInputLine. False when the file cannot be
// opened or a read fails; the points added up to then stay in points.
bool readInputFile(const std::string& fileName, CoordTypeCode fromCoordType, InputPoints& points);

// The single point of the positional arguments: first and second coordinate, optional height.
// False, and no point added, when fewer than two arguments are given.
bool addPositionalPoint(std::span<const std::string_view> positionals, CoordTypeCode fromCoordType,
                        InputPoints& points);

}  // namespace velmora
