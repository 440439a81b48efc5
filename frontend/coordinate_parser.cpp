// Sexagesimal angles are written with the sign on the degrees only ("-33 52 10.5" is 33 degrees 52
// minutes 10.5 seconds south). Because the degrees are read as an integer, "-0 30 0" would lose its
// sign; the sign is therefore taken from the text of the degrees when they read as zero.
#include "frontend/coordinate_parser.hpp"

#include <array>
#include <cmath>
#include <cstddef>

#include "common/number_text.hpp"
#include "frontend/text_fields.hpp"
#include "velmora/geodesy/angle_units.hpp"

namespace velmora {
namespace {

struct SignedDegrees {
  double magnitude = 0.0;  // |degrees|, whole
  double sign = 1.0;       // -1.0 for a negative angle, "-0" included
};

SignedDegrees readSignedDegrees(std::string_view degreesPart) {
  // A tab or line feed can sit before the sign (a field "\t-0 30 0" of an input line).
  const std::string_view trimmed = trimLeadingSpace(degreesPart);
  const int degrees = readWholeNumber(trimmed);
  const bool negative = degrees < 0 || (degrees == 0 && !trimmed.empty() && trimmed.front() == '-');
  // Through double: the absolute value of INT_MIN does not fit an int.
  return {std::fabs(static_cast<double>(degrees)), negative ? -1.0 : 1.0};
}

}  // namespace

double parseDms(std::string_view token) {
  std::array<std::string_view, 3> parts;
  if (splitFields(token, ' ', parts) < parts.size()) return 0.0;
  const double seconds = readDecimal(parts[2]);
  const int minutes = readWholeNumber(parts[1]);
  const SignedDegrees degrees = readSignedDegrees(parts[0]);
  return degrees.sign * ((degrees.magnitude + minutes / kMinutesPerDegree) + seconds / kArcSecondsPerDegree);
}

double parseDm(std::string_view token) {
  std::array<std::string_view, 2> parts;
  if (splitFields(token, ' ', parts) < parts.size()) return 0.0;
  const double minutes = readDecimal(parts[1]);
  const SignedDegrees degrees = readSignedDegrees(parts[0]);
  return degrees.sign * (degrees.magnitude + minutes / kMinutesPerDegree);
}

double parseCoordinate(CoordType coordType, std::string_view token) {
  switch (coordType) {
    case CoordType::kEn:
    case CoordType::kDd:
      return readDecimal(token);
    case CoordType::kDms:
      return parseDms(token);
    case CoordType::kDm:
      return parseDm(token);
    default:
      return 0.0;
  }
}

}  // namespace velmora
