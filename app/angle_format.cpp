// The text keeps every unit separate: a value that rounds to 60 seconds or 60 minutes prints as
// such rather than carrying into the next unit, which is how stored results have always looked.
#include "velmora/app/angle_format.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>

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
void assignAngleText(std::string& text, const DegreeParts& parts, std::optional<int> minutes, double lastPart,
                     int decimals) {
  std::array<char, kAngleTextBytes> scratch{};
  char* const last = scratch.data() + scratch.size();
  char* p = scratch.data();
  if (parts.negative) *p++ = '-';
  p = std::to_chars(p, last, parts.degrees).ptr;
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
  parts.negative = angle < 0.0;  // false for a NaN
  // The range test is made on the truncated value before any conversion to int, so a NaN (every
  // comparison false), an infinity or 1e300 becomes the zero angle instead of an undefined cast.
  if (wholeDegrees >= -limit && wholeDegrees <= limit) {
    parts.degrees = static_cast<int>(std::fabs(wholeDegrees));
    const double minutes = (std::fabs(angle) - std::fabs(wholeDegrees)) * kMinutesPerDegree;
    parts.minutes = static_cast<int>(minutes);
    parts.seconds = (minutes - parts.minutes) * kSecondsPerMinute;
  }
  return parts;
}

void formatDms(double angle, bool isLatitude, std::string& text) {
  const DegreeParts parts = formatDegreeParts(angle, isLatitude);
  assignAngleText(text, parts, parts.minutes, parts.seconds, kSecondsDecimals);
}

std::string formatDms(double angle, bool isLatitude) {
  std::string text;
  formatDms(angle, isLatitude, text);
  return text;
}

void formatDm(double angle, bool isLatitude, std::string& text) {
  const DegreeParts parts = formatDegreeParts(angle, isLatitude);
  const double decimalMinutes = parts.seconds / kSecondsPerMinute + parts.minutes;
  assignAngleText(text, parts, std::nullopt, decimalMinutes, kDecimalMinutesDecimals);
}

std::string formatDm(double angle, bool isLatitude) {
  std::string text;
  formatDm(angle, isLatitude, text);
  return text;
}

namespace {

constexpr std::string_view kDegreeSign = "\u00b0";
constexpr int kUnitsPerNext = 60;  // seconds per minute, minutes per degree

// Writes one angle in a form: degrees (no sign with a hemisphere letter), minutes when given, the
// last unit already formatted.
void assignFormed(std::string& text, bool negative, int degrees, std::optional<int> minutes,
                  std::string_view lastPart, bool isLatitude, DmsForm form) {
  const char letter = isLatitude ? (negative ? 'S' : 'N') : (negative ? 'W' : 'E');
  text.clear();
  if (form == DmsForm::kPlain && negative) text.push_back('-');
  text.append(std::to_string(degrees));
  text.append(form == DmsForm::kSymbols ? kDegreeSign : " ");
  if (minutes) {
    text.append(std::to_string(*minutes));
    text.append(form == DmsForm::kSymbols ? "'" : " ");
  }
  text.append(lastPart);
  if (form == DmsForm::kSymbols) text.append(minutes ? "\"" : "'");
  if (form == DmsForm::kHemisphere) text.push_back(' ');
  if (form != DmsForm::kPlain) text.push_back(letter);
}

// The last unit (below 60) printed with its decimals; true when it printed as 60 or more, that is
// when it rounds up into the next unit.
bool formatLastUnit(double value, int decimals, std::array<char, kAngleTextBytes>& buffer,
                    std::string_view& text) {
  char* const end = appendFixed(buffer.data(), buffer.data() + buffer.size(), value, decimals);
  text = std::string_view(buffer.data(), end == nullptr ? 0 : static_cast<std::size_t>(end - buffer.data()));
  return text.size() >= 2 && text[0] == '6' && text[1] == '0';
}

void formatAngle(double angle, bool isLatitude, const AngleTextOptions& options, bool withSeconds,
                 std::string& text) {
  const DegreeParts parts = formatDegreeParts(angle, isLatitude);
  int degrees = parts.degrees;
  int minutes = parts.minutes;
  const double last = withSeconds ? parts.seconds : parts.seconds / kSecondsPerMinute + parts.minutes;
  const int decimals = options.decimals.value_or(withSeconds ? kSecondsDecimals : kDecimalMinutesDecimals);
  std::array<char, kAngleTextBytes> buffer{};
  std::string_view lastText;
  if (formatLastUnit(last, decimals, buffer, lastText) && options.decimals) {
    // Rounded up to 60: carry one into the next unit, and again when that reaches 60 too.
    formatLastUnit(0.0, decimals, buffer, lastText);
    if (withSeconds) {
      if (++minutes == kUnitsPerNext) {
        minutes = 0;
        ++degrees;
      }
    } else {
      ++degrees;
    }
  }
  assignFormed(text, parts.negative, degrees, withSeconds ? std::optional<int>(minutes) : std::nullopt,
               lastText, isLatitude, options.form);
}

}  // namespace

void formatDms(double angle, bool isLatitude, const AngleTextOptions& options, std::string& text) {
  if (!options.decimals && options.form == DmsForm::kPlain) return formatDms(angle, isLatitude, text);
  formatAngle(angle, isLatitude, options, true, text);
}

void formatDm(double angle, bool isLatitude, const AngleTextOptions& options, std::string& text) {
  if (!options.decimals && options.form == DmsForm::kPlain) return formatDm(angle, isLatitude, text);
  formatAngle(angle, isLatitude, options, false, text);
}

}  // namespace velmora
