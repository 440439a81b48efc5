// The text keeps every unit separate: a value that rounds to 60 seconds or 60 minutes prints as
// such rather than carrying into the next unit, which is how stored results have always looked.
#include "velmora/app/angle_format.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>

#include "velmora/app/result_line.hpp"
#include "velmora/geodesy/angle_units.hpp"

namespace velmora {
namespace {

constexpr double kLatitudeLimitDeg = 90.0;
constexpr double kLongitudeLimitDeg = 180.0;

constexpr int kSecondsDecimals = 4;
constexpr int kDecimalMinutesDecimals = 8;

// Longest text: "-180" (degrees limited to +-180 by the range test), at most "60" minutes, and
// seconds or decimal minutes below 60.0000001 with 8 decimals; 64 bytes leave ample room.
constexpr std::size_t kAngleTextBytes = 64;

// Fills text with "<degrees> <minutes> <seconds>" ("%s %d %.4f") or, without minutes,
// "<degrees> <decimal minutes>" ("%s %.8f"). The assignment reuses the capacity of text, so a
// text reused from point to point allocates nothing.
void assignAngleText(std::string& text, const std::string& degrees, std::optional<int> minutes,
                     double lastPart, int decimals) {
  std::array<char, kAngleTextBytes> scratch{};
  char* const last = scratch.data() + scratch.size();
  char* p = scratch.data();
  p = std::copy(degrees.begin(), degrees.end(), p);
  *p++ = ' ';
  if (minutes.has_value()) {
    p = std::to_chars(p, last, *minutes).ptr;
    *p++ = ' ';
  }
  p = appendFixed(p, last, lastPart, decimals);
  if (p == nullptr) p = scratch.data();  // cannot happen for the bounded parts above
  text.assign(scratch.data(), p);
}

}  // namespace

DegreeParts formatDegreeParts(double angle, bool isLatitude) {
  const double limit = isLatitude ? kLatitudeLimitDeg : kLongitudeLimitDeg;
  const double wholeDegrees = std::trunc(angle);
  DegreeParts parts;
  int degrees = 0;
  // The range test is made on the truncated value before any conversion to int, so a NaN (every
  // comparison false), an infinity or 1e300 becomes the zero angle instead of an undefined cast.
  if (wholeDegrees >= -limit && wholeDegrees <= limit) {
    degrees = static_cast<int>(wholeDegrees);
    const double minutes = (std::fabs(angle) - std::fabs(wholeDegrees)) * kMinutesPerDegree;
    parts.minutes = static_cast<int>(minutes);
    parts.seconds = (minutes - parts.minutes) * kSecondsPerMinute;
  }
  if (degrees != 0) {
    parts.degreeText = std::to_string(degrees);
  } else {
    parts.degreeText = angle < 0.0 ? "-0" : "0";
  }
  return parts;
}

void formatDms(double angle, bool isLatitude, std::string& text) {
  const DegreeParts parts = formatDegreeParts(angle, isLatitude);
  assignAngleText(text, parts.degreeText, parts.minutes, parts.seconds, kSecondsDecimals);
}

std::string formatDms(double angle, bool isLatitude) {
  std::string text;
  formatDms(angle, isLatitude, text);
  return text;
}

void formatDm(double angle, bool isLatitude, std::string& text) {
  const DegreeParts parts = formatDegreeParts(angle, isLatitude);
  const double decimalMinutes = parts.seconds / kSecondsPerMinute + parts.minutes;
  assignAngleText(text, parts.degreeText, std::nullopt, decimalMinutes, kDecimalMinutesDecimals);
}

std::string formatDm(double angle, bool isLatitude) {
  std::string text;
  formatDm(angle, isLatitude, text);
  return text;
}

}  // namespace velmora
