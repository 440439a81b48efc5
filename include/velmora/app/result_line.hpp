// The result lines, written without the general printf machinery: a run of millions of points
// spends most of its time printing numbers otherwise. Every number prints exactly as printf's
// "%.<n>f" prints it in the C locale (same rounding, "-0.000", "nan", "-nan", "inf").
#pragma once

#include <array>
#include <string_view>

namespace velmora {

inline constexpr int kMetreDecimals = 3;   // millimetres
inline constexpr int kDegreeDecimals = 8;  // about a millimetre on the ground

// Room for three numbers of the largest magnitude a double holds with their decimals.
inline constexpr std::size_t kResultLineBytes = 1024;
using ResultLine = std::array<char, kResultLineBytes>;

// "%.<decimals>f" of value appended at first; returns the end, or nullptr when [first, last) is
// too small.
char* appendFixed(char* first, char* last, double value, int decimals);

// "%.3lf,%.3lf,%.3lf\n": easting, northing, height.
std::string_view enResultLine(double easting, double northing, double height, ResultLine& line);
// "%.8lf,%.8lf,%.3lf\n": latitude, longitude, height.
std::string_view ddResultLine(double latitude, double longitude, double height, ResultLine& line);
// "%s,%s,%.3lf\n": latitude text, longitude text (DMS or DM, each at most 64 characters), height.
std::string_view angleResultLine(std::string_view latitude, std::string_view longitude, double height,
                                 ResultLine& line);

}  // namespace velmora
