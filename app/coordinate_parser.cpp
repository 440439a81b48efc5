// Sexagesimal angles are written with the sign on the degrees only ("-33 52 10.5" is 33 degrees 52
// minutes 10.5 seconds south). Because the degrees are read as an integer, "-0 30 0" would lose its
// sign; the sign is therefore taken from the text of the degrees when they read as zero.
//
// Two readings exist. The plain one splits at spaces and reads each group as atoi/atof would; it has
// always given the program's values, so text that it reads whole keeps them bit for bit, and text
// that fits no form at all keeps them too. The marked one reads the forms people copy from maps and
// documents: hemisphere letters and unit marks. Both end in the same formula, evaluated in the same
// order, so equal groups give the same double whichever reading took them.
#include "velmora/app/coordinate_parser.hpp"

#include <array>
#include <cmath>
#include <cstddef>
#include <optional>
#include <span>

#include "app/text_fields.hpp"
#include "common/ascii_text.hpp"
#include "common/number_text.hpp"
#include "velmora/geodesy/angle_units.hpp"

namespace velmora {
namespace {

constexpr double kMinutesOrSecondsLimit = 60.0;  // minutes and seconds lie in [0, 60)

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

double dmsValue(SignedDegrees degrees, int minutes, double seconds) {
  return degrees.sign * ((degrees.magnitude + minutes / kMinutesPerDegree) + seconds / kArcSecondsPerDegree);
}

double dmValue(SignedDegrees degrees, double minutes) {
  return degrees.sign * (degrees.magnitude + minutes / kMinutesPerDegree);
}

// An angle as read, with what the checks need.
struct AngleReading {
  double value = 0.0;
  bool whole = false;      // the text fits the plain or a marked form
  double minutes = 0.0;    // the groups as read, for the range check
  double seconds = 0.0;    // 0 for DM
  char hemisphere = '\0';  // 'N', 'S', 'E', 'W', or '\0' for none
  bool minusSign = false;  // a '-' before the degrees
};

constexpr bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// A text that reads whole: the value from its groups, and the groups for the range check. lastGroup
// is the seconds of DMS or the decimal minutes of DM.
void setGroups(AngleReading& reading, SignedDegrees degrees, int wholeMinutes, double lastGroup,
               bool withSeconds) {
  reading.whole = true;
  if (withSeconds) {
    reading.value = dmsValue(degrees, wholeMinutes, lastGroup);
    reading.minutes = wholeMinutes;
    reading.seconds = lastGroup;
  } else {
    reading.value = dmValue(degrees, lastGroup);
    reading.minutes = lastGroup;
  }
}

// A signed whole number at text[pos] as readWholeNumber reads it: [+-] digits, advancing pos past
// it; false, pos unspecified, when no digit follows the sign.
bool takeSignedWhole(std::string_view text, std::size_t& pos, int& value) {
  const std::size_t start = pos;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
  const std::size_t digitsStart = pos;
  while (pos < text.size() && isDigit(text[pos])) ++pos;
  if (pos == digitsStart) return false;
  value = readWholeNumber(text.substr(start, pos - start));
  return true;
}

// One or more spaces at text[pos], advancing pos past them.
bool takeSpaces(std::string_view text, std::size_t& pos) {
  const std::size_t start = pos;
  while (pos < text.size() && text[pos] == ' ') ++pos;
  return pos > start;
}

// The plain form read whole, in one pass: the groups split at runs of spaces, the degrees [+-] digits
// (tabs or line ends may come before them, as the plain reader skips them), DMS minutes [+-] digits,
// the last group one exact decimal with only white space after it. Nothing when the text is not
// that; the reading is then the split one (parseDms, parseDm). The values are those of the split
// reading of the same text.
std::optional<AngleReading> readPlainWhole(std::string_view token, bool withSeconds) {
  std::size_t pos = 0;
  while (pos < token.size() && token[pos] == ' ') ++pos;
  while (pos < token.size() && token[pos] != ' ' && isAsciiSpace(token[pos])) ++pos;
  const bool minusSign = pos < token.size() && token[pos] == '-';
  int degrees = 0;
  if (!takeSignedWhole(token, pos, degrees) || !takeSpaces(token, pos)) return std::nullopt;
  int wholeMinutes = 0;
  if (withSeconds && (!takeSignedWhole(token, pos, wholeMinutes) || !takeSpaces(token, pos)))
    return std::nullopt;
  const std::optional<double> last = readExactDecimal(token.substr(pos));
  if (!last) return std::nullopt;

  // As readSignedDegrees: the sign of the text, "-0" included; the magnitude through double.
  const SignedDegrees signedDegrees{std::fabs(static_cast<double>(degrees)), minusSign ? -1.0 : 1.0};
  AngleReading reading;
  setGroups(reading, signedDegrees, wholeMinutes, *last, withSeconds);
  return reading;
}

// The marks written right after a group's number (UTF-8).
constexpr std::array<std::string_view, 4> kDegreeMarks{
    "\xC2\xB0",  // degree sign
    "\xC2\xBA",  // masculine ordinal, the degree sign's look-alike on many keyboards
    "d",
    "D",
};
constexpr std::array<std::string_view, 5> kMinuteMarks{
    "'",
    "\xE2\x80\xB2",  // prime
    "\xE2\x80\x99",  // right single quotation mark, what word processors make of '
    "m",
    "M",
};
constexpr std::array<std::string_view, 5> kSecondMarks{
    "''",
    "\"",
    "\xE2\x80\xB3",  // double prime
    "s",
    "S",
};

constexpr bool isHemisphereLetter(char c) {
  const char upper = asciiUpper(c);
  return upper == 'N' || upper == 'S' || upper == 'E' || upper == 'W';
}

// A cursor over the text of a marked angle.
class AngleScanner {
 public:
  explicit AngleScanner(std::string_view text) : rest_(text) {}

  std::string_view rest() const { return rest_; }

  bool take(std::string_view text) {
    if (!rest_.starts_with(text)) return false;
    rest_.remove_prefix(text.size());
    return true;
  }

  // Spaces and tabs; whether there were any.
  bool takeBlanks() {
    const std::size_t end = rest_.find_first_not_of(" \t");
    const std::size_t taken = end == std::string_view::npos ? rest_.size() : end;
    rest_.remove_prefix(taken);
    return taken > 0;
  }

  // The first of the marks that follows, if any.
  bool takeMark(std::span<const std::string_view> marks) {
    for (const std::string_view mark : marks) {
      if (take(mark)) return true;
    }
    return false;
  }

  // digits; empty when none.
  std::string_view takeDigits() {
    std::size_t end = 0;
    while (end < rest_.size() && isDigit(rest_[end])) ++end;
    return takeFirst(end);
  }

  // digits ["." digits] or "." digits; empty when none.
  std::string_view takeDecimal() {
    std::size_t end = 0;
    while (end < rest_.size() && isDigit(rest_[end])) ++end;
    std::size_t digits = end;
    if (end < rest_.size() && rest_[end] == '.') {
      ++end;
      while (end < rest_.size() && isDigit(rest_[end])) ++end;
      digits += end - digits - 1;
    }
    return digits == 0 ? std::string_view{} : takeFirst(end);
  }

 private:
  std::string_view takeFirst(std::size_t length) {
    const std::string_view taken = rest_.substr(0, length);
    rest_.remove_prefix(length);
    return taken;
  }

  std::string_view rest_;
};

// What separates a group from the next: its own mark right after the number, then spaces, tabs and
// colons; at least one of them.
bool takeSeparator(AngleScanner& scanner, std::span<const std::string_view> marks) {
  bool separated = scanner.takeMark(marks);
  while (scanner.takeBlanks() || scanner.take(":")) separated = true;
  return separated;
}

// The marked forms; nothing when the text fits none of them.
std::optional<AngleReading> readMarkedAngle(std::string_view token, bool withSeconds) {
  std::string_view text = trimSpace(token);
  AngleReading reading;
  if (!text.empty() && isHemisphereLetter(text.front())) {
    reading.hemisphere = asciiUpper(text.front());
    text.remove_prefix(1);
  }
  AngleScanner scanner(text);
  scanner.takeBlanks();
  const std::string_view signedDegreesStart = scanner.rest();
  reading.minusSign = scanner.take("-");
  if (!reading.minusSign) scanner.take("+");
  const std::string_view degreesDigits = scanner.takeDigits();
  if (degreesDigits.empty()) return std::nullopt;
  const std::string_view signedDegrees = signedDegreesStart.substr(
      0, static_cast<std::size_t>(scanner.rest().data() - signedDegreesStart.data()));
  if (!takeSeparator(scanner, kDegreeMarks)) return std::nullopt;

  std::span<const std::string_view> lastMarks = kMinuteMarks;
  int wholeMinutes = 0;
  if (withSeconds) {
    const std::string_view minutesDigits = scanner.takeDigits();
    if (minutesDigits.empty() || !takeSeparator(scanner, kMinuteMarks)) return std::nullopt;
    wholeMinutes = readWholeNumber(minutesDigits);
    lastMarks = kSecondMarks;
  }
  const std::string_view lastGroup = scanner.takeDecimal();
  if (lastGroup.empty()) return std::nullopt;

  // A mark right after the last number is its unit ("24.408s" is seconds, as in 151d12m55.08s), so
  // a hemisphere letter after it needs no space ("151d12m55.08sE"); a lone letter after a blank or
  // another mark is the hemisphere ("33 51 24.408 S").
  scanner.takeMark(lastMarks);
  scanner.takeBlanks();
  const std::string_view end = scanner.rest();
  if (reading.hemisphere == '\0' && end.size() == 1 && isHemisphereLetter(end.front())) {
    reading.hemisphere = asciiUpper(end.front());
  } else if (!end.empty()) {
    return std::nullopt;
  }

  SignedDegrees degrees = readSignedDegrees(signedDegrees);
  if (reading.hemisphere == 'S' || reading.hemisphere == 'W') degrees.sign = -1.0;
  setGroups(reading, degrees, wholeMinutes, readDecimal(lastGroup), withSeconds);
  return reading;
}

AngleReading readAngle(CoordType type, std::string_view token) {
  const bool withSeconds = type == CoordType::kDms;
  if (std::optional<AngleReading> plain = readPlainWhole(token, withSeconds)) return *plain;
  if (std::optional<AngleReading> marked = readMarkedAngle(token, withSeconds)) return *marked;
  AngleReading reading;
  reading.value = withSeconds ? parseDms(token) : parseDm(token);
  return reading;
}

bool isMinutesOrSeconds(double value) {
  return value >= 0.0 && value < kMinutesOrSecondsLimit;
}

CoordinateProblem angleProblem(const AngleReading& angle, CoordinateRole role) {
  if (!angle.whole) return CoordinateProblem::kMalformedAngle;
  if (!isMinutesOrSeconds(angle.minutes) || !isMinutesOrSeconds(angle.seconds) ||
      beyondDegreeLimit(role, angle.value)) {
    return CoordinateProblem::kOutOfRange;
  }
  const bool northSouth = angle.hemisphere == 'N' || angle.hemisphere == 'S';
  const bool eastWest = angle.hemisphere == 'E' || angle.hemisphere == 'W';
  if ((role == CoordinateRole::kLatitude && eastWest) || (role == CoordinateRole::kLongitude && northSouth)) {
    return CoordinateProblem::kWrongHemisphere;
  }
  if (angle.minusSign && (angle.hemisphere == 'N' || angle.hemisphere == 'E')) {
    return CoordinateProblem::kMinusWithHemisphere;
  }
  return CoordinateProblem::kNone;
}

}  // namespace

double parseDms(std::string_view token) {
  std::array<std::string_view, 3> parts;
  if (splitFields(token, ' ', parts) < parts.size()) return 0.0;
  const double seconds = readDecimal(parts[2]);
  const int minutes = readWholeNumber(parts[1]);
  return dmsValue(readSignedDegrees(parts[0]), minutes, seconds);
}

double parseDm(std::string_view token) {
  std::array<std::string_view, 2> parts;
  if (splitFields(token, ' ', parts) < parts.size()) return 0.0;
  const double minutes = readDecimal(parts[1]);
  return dmValue(readSignedDegrees(parts[0]), minutes);
}

double parseCoordinate(CoordType type, std::string_view token) {
  switch (type) {
    case CoordType::kEn:
    case CoordType::kDd:
      return readDecimal(token);
    case CoordType::kDms:
    case CoordType::kDm:
      return readAngle(type, token).value;
    default:
      return 0.0;
  }
}

ParsedCoordinate checkCoordinate(CoordType type, CoordinateRole role, std::string_view token) {
  switch (type) {
    case CoordType::kEn:
    case CoordType::kDd: {
      const std::optional<double> exact = readExactDecimal(token);
      if (!exact) return {readDecimal(token), CoordinateProblem::kNotANumber};
      const bool outOfRange = type == CoordType::kDd && beyondDegreeLimit(role, *exact);
      return {*exact, outOfRange ? CoordinateProblem::kOutOfRange : CoordinateProblem::kNone};
    }
    case CoordType::kDms:
    case CoordType::kDm: {
      const AngleReading angle = readAngle(type, token);
      return {angle.value, angleProblem(angle, role)};
    }
    default:
      return {0.0, CoordinateProblem::kNotANumber};
  }
}

CoordinateRole coordinateRole(CoordType type, std::size_t index) {
  if (type == CoordType::kEn) return index == 0 ? CoordinateRole::kEasting : CoordinateRole::kNorthing;
  return index == 0 ? CoordinateRole::kLatitude : CoordinateRole::kLongitude;
}

CoordinatePair readCoordinates(CoordType type, std::string_view first, std::string_view second) {
  CoordinatePair pair;
  const std::array<std::string_view, 2> texts{first, second};
  for (std::size_t k = 0; k < texts.size(); ++k) {
    const CoordinateRole role = coordinateRole(type, k);
    const ParsedCoordinate parsed = checkCoordinate(type, role, texts[k]);
    pair.values[k] = parsed.value;
    if (parsed.problem == CoordinateProblem::kNone || pair.problem != CoordinateProblem::kNone) continue;
    pair.problemIndex = k;
    pair.problem = parsed.problem;
    pair.problemRole = role;
  }
  return pair;
}

std::string_view roleName(CoordinateRole role) {
  switch (role) {
    case CoordinateRole::kLatitude:
      return "latitude";
    case CoordinateRole::kLongitude:
      return "longitude";
    case CoordinateRole::kEasting:
      return "easting";
    case CoordinateRole::kNorthing:
      return "northing";
  }
  return {};
}

std::string_view problemText(CoordinateProblem problem, CoordType type, CoordinateRole role) {
  const bool latitude = role == CoordinateRole::kLatitude;
  const bool longitude = role == CoordinateRole::kLongitude;
  switch (problem) {
    case CoordinateProblem::kNone:
      return "";
    case CoordinateProblem::kNotANumber:
      return "expected a decimal number";
    case CoordinateProblem::kMalformedAngle:
      if (type == CoordType::kDm) {
        return longitude ? "expected degrees and decimal minutes (for example 151 12.918 or 151°12.918'E)"
                         : "expected degrees and decimal minutes (for example -33 51.4068 or 33°51.4068'S)";
      }
      return longitude
                 ? "expected degrees, minutes and seconds (for example 151 12 55.08 or 151°12'55.08\"E)"
                 : "expected degrees, minutes and seconds (for example -33 51 24.408 or 33°51'24.408\"S)";
    case CoordinateProblem::kOutOfRange:
      if (type == CoordType::kDms) {
        if (latitude) return "latitude out of range (-90 to 90, minutes and seconds 0 to under 60)";
        if (longitude) return "longitude out of range (-180 to 180, minutes and seconds 0 to under 60)";
        return "minutes or seconds out of range (0 to under 60)";
      }
      if (type == CoordType::kDm) {
        if (latitude) return "latitude out of range (-90 to 90, minutes 0 to under 60)";
        if (longitude) return "longitude out of range (-180 to 180, minutes 0 to under 60)";
        return "minutes out of range (0 to under 60)";
      }
      if (latitude) return "latitude out of range (-90 to 90)";
      if (longitude) return "longitude out of range (-180 to 180)";
      return "value out of range";
    case CoordinateProblem::kMinusWithHemisphere:
      return "minus sign together with hemisphere N or E (read as negative: the minus sign wins)";
    case CoordinateProblem::kWrongHemisphere:
      return latitude ? "hemisphere E or W on a latitude (expected N or S)"
                      : "hemisphere N or S on a longitude (expected E or W)";
  }
  return "";
}

}  // namespace velmora
