// Angles as degrees-minutes-seconds and degrees-decimal-minutes text for the result lines.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace velmora {

struct DegreeParts {
  bool negative = false;  // the angle is below zero, even when its whole degrees are 0
  int degrees = 0;        // whole degrees, never negative
  int minutes = 0;        // whole minutes, never negative
  double seconds = 0.0;   // never negative
  // "%d" of the whole degrees with their sign; "-0" for a negative angle of less than 1 degree.
  std::string degreeText() const { return (negative ? "-" : "") + std::to_string(degrees); }
};

// angle in decimal degrees. The degrees are the angle truncated toward zero. When they fall outside
// -90..90 (latitude) or -180..180 (longitude), or the angle is not a number, the parts are those of
// a zero angle: "0 0 0", or "-0 0 0" when the angle is negative. Minutes and seconds never carry
// into the next unit, so seconds may print as 60.0000 after rounding.
DegreeParts formatDegreeParts(double angle, bool isLatitude);

// "%s %d %.4f": degree text, whole minutes, seconds, e.g. "-33 52 10.5000".
void formatDms(double angle, bool isLatitude, std::string& text);
std::string formatDms(double angle, bool isLatitude);

// "%s %.8f": degree text and decimal minutes, e.g. "-33 52.17500000".
void formatDm(double angle, bool isLatitude, std::string& text);
std::string formatDm(double angle, bool isLatitude);

// How DMS and DM text is written: "-33 51 24.3623" (plain), "33 51 24.3623 S" (hemisphere) or
// "33°51'24.3623\"S" (symbols, the degree sign in UTF-8), and how many decimals the last unit has.
enum class DmsForm : std::uint8_t { kPlain, kHemisphere, kSymbols };

struct AngleTextOptions {
  // Decimals of the seconds (DMS) or minutes (DM), 0..12. None: 4 and 8 without carrying, as above;
  // given, a last unit that rounds to 60 carries (-33 59 60.0000 is written -34 0 0.0000).
  std::optional<int> decimals;
  DmsForm form = DmsForm::kPlain;
};

// The same texts in a chosen form. The hemisphere letter is N or S for a latitude, E or W for a
// longitude, from the sign of the angle (a zero angle is N or E).
void formatDms(double angle, bool isLatitude, const AngleTextOptions& options, std::string& text);
void formatDm(double angle, bool isLatitude, const AngleTextOptions& options, std::string& text);

}  // namespace velmora
