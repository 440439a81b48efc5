// The text keeps every unit separate: a value that rounds to 60 seconds or 60 minutes prints as
// such rather than carrying into the next unit, which is how stored results have always looked.
#include "frontend/angle_format.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>

namespace velmora {
namespace {

constexpr double kMinutesPerDegree = 60.0;
constexpr double kSecondsPerMinute = 60.0;
constexpr double kLatitudeLimitDeg = 90.0;
constexpr double kLongitudeLimitDeg = 180.0;

// Longest text: "-180" (degrees limited to +-180 by the range test), at most "60" minutes, and
// seconds or decimal minutes below 60.0000001 with 8 decimals; 64 bytes leave ample room.
constexpr std::size_t kAngleTextBytes = 64;

template <typename... Args>
void formatInto(std::string& text, const char* format, Args... args) {
  std::array<char, kAngleTextBytes> scratch{};
  const int written = std::snprintf(scratch.data(), scratch.size(), format, args...);
  const std::size_t length = written < 0 ? 0 : std::min<std::size_t>(written, scratch.size() - 1);
  text.assign(scratch.data(), length);  // reuses the capacity of text: no allocation per point
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
  formatInto(text, "%s %d %.4f", parts.degreeText.c_str(), parts.minutes, parts.seconds);
}

std::string formatDms(double angle, bool isLatitude) {
  std::string text;
  formatDms(angle, isLatitude, text);
  return text;
}

void formatDm(double angle, bool isLatitude, std::string& text) {
  const DegreeParts parts = formatDegreeParts(angle, isLatitude);
  const double decimalMinutes = parts.seconds / kSecondsPerMinute + parts.minutes;
  formatInto(text, "%s %.8f", parts.degreeText.c_str(), decimalMinutes);
}

std::string formatDm(double angle, bool isLatitude) {
  std::string text;
  formatDm(angle, isLatitude, text);
  return text;
}

}  // namespace velmora
