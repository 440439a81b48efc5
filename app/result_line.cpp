#include "velmora/app/result_line.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "common/number_text.hpp"

namespace velmora {
namespace {

char* appendText(char* first, char* last, std::string_view text) {
  if (first == nullptr || static_cast<std::size_t>(last - first) < text.size()) return nullptr;
  std::memcpy(first, text.data(), text.size());
  return first + text.size();
}

char* appendChar(char* first, char* last, char c) {
  if (first == nullptr || first == last) return nullptr;
  *first = c;
  return first + 1;
}

std::string_view finish(char* end, ResultLine& line) {
  // The line buffer holds any three doubles; running out of room cannot happen.
  if (end == nullptr) return {};
  return {line.data(), static_cast<std::size_t>(end - line.data())};
}

// Powers of ten up to the largest number of decimals a result line uses; each is exact in a double.
constexpr std::array<double, 9> kPowersOfTen{1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};
constexpr std::array<std::uint64_t, 9> kIntegerPowersOfTen{1,      10,      100,      1000,     10000,
                                                           100000, 1000000, 10000000, 100000000};

// Scaled values below this have a spacing of at most 1/8 between doubles, so the rounding below is
// decided exactly; larger ones (and NaN, infinities) take the general path.
constexpr double kFastScaledLimit = 1e15;

// printf's "%.<decimals>f" for values whose scaled magnitude |value| * 10^decimals is below
// kFastScaledLimit: the digits of that product rounded to an integer, half to even, as printf rounds
// the exact binary value. The product is exact as hi + lo (lo by a fused multiply-add), so the
// rounding of hi is corrected only where hi itself lies exactly halfway and lo tips it.
// nullptr when the value needs the general path or the room is too small.
char* appendFixedFast(char* first, char* last, double value, int decimals) {
  if (decimals < 0 || decimals >= static_cast<int>(kPowersOfTen.size())) return nullptr;
  const double scale = kPowersOfTen[static_cast<std::size_t>(decimals)];
  const double magnitude = std::fabs(value);
  const double hi = magnitude * scale;
  if (!(hi < kFastScaledLimit)) return nullptr;  // NaN fails too
  const double lo = std::fma(magnitude, scale, -hi);
  double rounded = std::nearbyint(hi);   // half to even in the default rounding mode
  const double fraction = hi - rounded;  // exact
  if (fraction == 0.5 && lo > 0.0) rounded += 1.0;
  if (fraction == -0.5 && lo < 0.0) rounded -= 1.0;

  const auto digits = static_cast<std::uint64_t>(rounded);
  const std::uint64_t unit = kIntegerPowersOfTen[static_cast<std::size_t>(decimals)];
  char* p = first;
  if (std::signbit(value)) {
    if (p == last) return nullptr;
    *p++ = '-';
  }
  const std::to_chars_result whole = std::to_chars(p, last, digits / unit);
  if (whole.ec != std::errc()) return nullptr;
  p = whole.ptr;
  if (decimals == 0) return p;
  if (last - p < decimals + 1) return nullptr;
  *p++ = '.';
  std::uint64_t fractionDigits = digits % unit;
  for (int k = decimals - 1; k >= 0; --k) {
    p[k] = static_cast<char>('0' + fractionDigits % 10);
    fractionDigits /= 10;
  }
  return p + decimals;
}

}  // namespace

char* appendFixed(char* first, char* last, double value, int decimals) {
  if (first == nullptr) return nullptr;
  if (char* end = appendFixedFast(first, last, value, decimals)) return end;
  if (std::isnan(value)) {
    // printf shows the sign bit of a NaN; to_chars would too, but say it here once and plainly.
    return appendText(first, last, std::signbit(value) ? "-nan" : "nan");
  }
  return writeFixed(first, last, value, decimals);
}

void appendFixed(std::string& out, double value, int decimals) {
  std::array<char, kResultLineBytes> buffer;  // written before it is read: no need to clear it
  char* const end = appendFixed(buffer.data(), buffer.data() + buffer.size(), value, decimals);
  out.append(buffer.data(), end == nullptr ? buffer.data() : end);
}

std::string_view numberLine(double first, double second, int decimals, double height, int heightDecimals,
                            ResultLine& line) {
  char* const last = line.data() + line.size();
  char* p = appendFixed(line.data(), last, first, decimals);
  p = appendChar(p, last, ',');
  p = appendFixed(p, last, second, decimals);
  p = appendChar(p, last, ',');
  p = appendFixed(p, last, height, heightDecimals);
  p = appendChar(p, last, '\n');
  return finish(p, line);
}

std::string_view enResultLine(double easting, double northing, double height, ResultLine& line) {
  return numberLine(easting, northing, kMetreDecimals, height, kMetreDecimals, line);
}

std::string_view ddResultLine(double latitude, double longitude, double height, ResultLine& line) {
  return numberLine(latitude, longitude, kDegreeDecimals, height, kMetreDecimals, line);
}

std::string_view angleResultLine(std::string_view latitude, std::string_view longitude, double height,
                                 int heightDecimals, ResultLine& line) {
  char* const last = line.data() + line.size();
  char* p = appendText(line.data(), last, latitude);
  p = appendChar(p, last, ',');
  p = appendText(p, last, longitude);
  p = appendChar(p, last, ',');
  p = appendFixed(p, last, height, heightDecimals);
  p = appendChar(p, last, '\n');
  return finish(p, line);
}

}  // namespace velmora
