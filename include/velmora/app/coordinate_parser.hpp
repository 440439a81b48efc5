// Turning one coordinate text (a command-line argument or a field of an input line) into a number,
// by the source coordinate type, and saying what is wrong with the text for strict mode. The value
// never depends on the check: text that is no number still reads as it always has (0 when nothing
// can be read).
#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "velmora/codes.hpp"

namespace velmora {

// What a coordinate is: decides the ranges checked and which hemisphere letters suit it.
enum class CoordinateRole : std::uint8_t { kLatitude, kLongitude, kEasting, kNorthing };

enum class CoordinateProblem : std::uint8_t {
  kNone,
  kNotANumber,           // EN/DD: not one whole finite decimal number
  kMalformedAngle,       // DMS/DM: text that does not parse whole
  kOutOfRange,           // latitude beyond +-90, longitude beyond +-180, minutes or seconds outside [0, 60)
  kMinusWithHemisphere,  // a minus sign with N or E: the minus sign wins
  kWrongHemisphere,      // N or S on a longitude, E or W on a latitude (the letter still sets the sign)
};

struct ParsedCoordinate {
  double value = 0.0;
  CoordinateProblem problem = CoordinateProblem::kNone;
};

// The value the program uses (without --strict too).
// EN and DD: the leading decimal number (metres or decimal degrees), whatever follows it.
// DMS and DM: text of the plain form "deg min sec" / "deg decimal-min" (parseDms, parseDm) that reads
// whole keeps the value of those readers; otherwise the marked forms are tried: a hemisphere letter
// N, S, E or W (either case) before or after the angle, and the degree sign, ':', the primes and the
// letters d, m, s as separators (33°51'24.408"S, -33:51:24.408, 151d12m55.08sE, 33 51.4068 S). Text
// that fits neither keeps the value of parseDms / parseDm. Any other code gives 0.0.
double parseCoordinate(CoordType type, std::string_view token);

// The same value, and what strict mode reports about the text. When several problems apply, the first
// of: not a number / malformed, out of range, wrong hemisphere, minus sign with N or E. Latitude and
// longitude ranges apply to DMS, DM and DD with those roles; EN is only checked to be a number.
ParsedCoordinate checkCoordinate(CoordType type, CoordinateRole role, std::string_view token);

// The role of the first (index 0) or second coordinate of a point given in type: easting and
// northing for EN, latitude and longitude (latitude first) otherwise.
CoordinateRole coordinateRole(CoordType type, std::size_t index);

// Both coordinates of a point read from their texts, as checkCoordinate reads each, with the first
// of their problems: the point every front end reads, and what --strict says of it.
struct CoordinatePair {
  std::array<double, 2> values{};
  std::size_t problemIndex = 0;  // the coordinate (0 or 1) with the first problem, when there is one
  CoordinateProblem problem = CoordinateProblem::kNone;
  CoordinateRole problemRole = CoordinateRole::kLatitude;  // that coordinate's role
};
CoordinatePair readCoordinates(CoordType type, std::string_view first, std::string_view second);

// A text naming the problem for messages ("expected a decimal number", "latitude out of range
// (-90 to 90)", ...); empty for kNone.
std::string_view problemText(CoordinateProblem problem, CoordType type, CoordinateRole role);

// "latitude", "longitude", "easting" or "northing".
std::string_view roleName(CoordinateRole role);

constexpr double kMaxLatitudeDegrees = 90.0;
constexpr double kMaxLongitudeDegrees = 180.0;

// Whether decimal degrees lie beyond the range of their role (latitude +-90, longitude +-180; NaN
// too); easting and northing have none. Inline: every point of a strict array run is tested.
inline bool beyondDegreeLimit(CoordinateRole role, double degrees) {
  if (role == CoordinateRole::kLatitude) return !(std::fabs(degrees) <= kMaxLatitudeDegrees);
  if (role == CoordinateRole::kLongitude) return !(std::fabs(degrees) <= kMaxLongitudeDegrees);
  return false;
}

// "deg min sec", groups separated by runs of the space character only (a tab belongs to a group).
// Degrees and minutes are whole numbers, seconds decimal. The degrees carry the sign of the angle,
// "-0" included; minutes and seconds keep their own signs. Fewer than three groups give 0.0; groups
// after the third are ignored. Result in signed decimal degrees.
double parseDms(std::string_view token);

// "deg decimal-min", split like parseDms; fewer than two groups give 0.0, later groups are ignored.
double parseDm(std::string_view token);

}  // namespace velmora
