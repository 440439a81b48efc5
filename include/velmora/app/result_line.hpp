// The result lines, written without the general printf machinery: a run of millions of points
// spends most of its time printing numbers otherwise. Every number prints exactly as printf's
// "%.<n>f" prints it in the C locale (same rounding, "-0.000", "nan", "-nan", "inf").
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "velmora/app/angle_format.hpp"

namespace velmora {

inline constexpr int kMetreDecimals = 3;   // millimetres
inline constexpr int kDegreeDecimals = 8;  // about a millimetre on the ground
inline constexpr int kMaxDecimals = 12;    // the most --decimals and --heightDecimals take

// How the numbers of a result line are written: none of these set writes today's bytes.
struct OutputForm {
  // Decimals of the coordinates' last unit (degrees for DD, minutes for DM, seconds for DMS, metres
  // for EN, yards on the ANG grid), 0..12; DMS and DM then carry a unit that rounds to 60.
  std::optional<int> decimals;
  std::optional<int> heightDecimals;  // of heights, 0..12; none: 3
  DmsForm dmsForm = DmsForm::kPlain;  // DMS and DM text
};

// Room for three numbers of the largest magnitude a double holds with their decimals.
inline constexpr std::size_t kResultLineBytes = 1024;
using ResultLine = std::array<char, kResultLineBytes>;

// "%.<decimals>f" of value appended at first; returns the end, or nullptr when [first, last) is
// too small.
char* appendFixed(char* first, char* last, double value, int decimals);
// The same appended to out.
void appendFixed(std::string& out, double value, int decimals);

// "%.<decimals>f,%.<decimals>f,%.<heightDecimals>f\n": two coordinates and a height.
std::string_view numberLine(double first, double second, int decimals, double height, int heightDecimals,
                            ResultLine& line);
// "%.3lf,%.3lf,%.3lf\n": easting, northing, height.
std::string_view enResultLine(double easting, double northing, double height, ResultLine& line);
// "%.8lf,%.8lf,%.3lf\n": latitude, longitude, height.
std::string_view ddResultLine(double latitude, double longitude, double height, ResultLine& line);
// "%s,%s,%.<heightDecimals>f\n": latitude text, longitude text (DMS or DM, each at most 64
// characters), height.
std::string_view angleResultLine(std::string_view latitude, std::string_view longitude, double height,
                                 int heightDecimals, ResultLine& line);

}  // namespace velmora
