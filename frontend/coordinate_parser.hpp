// Turning one coordinate text (a command-line argument or a field of an input line) into a number,
// by the source coordinate type. Nothing is ever rejected: text that is no number reads as 0.
#pragma once

#include <string_view>

#include "velmora/codes.hpp"

namespace velmora {

// EN and DD: the leading decimal number (metres or decimal degrees). DMS and DM: parseDms and
// parseDm. Any other code gives 0.0.
double parseCoordinate(CoordType coordType, std::string_view token);

// "deg min sec", groups separated by runs of the space character only (a tab belongs to a group).
// Degrees and minutes are whole numbers, seconds decimal. The degrees carry the sign of the angle,
// "-0" included; minutes and seconds keep their own signs. Fewer than three groups give 0.0; groups
// after the third are ignored. Result in signed decimal degrees.
double parseDms(std::string_view token);

// "deg decimal-min", split like parseDms; fewer than two groups give 0.0, later groups are ignored.
double parseDm(std::string_view token);

}  // namespace velmora
