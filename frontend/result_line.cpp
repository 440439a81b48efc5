#include "frontend/result_line.hpp"

#include <charconv>
#include <cmath>
#include <cstring>

namespace velmora {
namespace {

constexpr int kMetreDecimals = 3;   // millimetres
constexpr int kDegreeDecimals = 8;  // about a millimetre on the ground

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

std::string_view numberLine(double a, int aDecimals, double b, int bDecimals, double height,
                            ResultLine& line) {
  char* const last = line.data() + line.size();
  char* p = appendFixed(line.data(), last, a, aDecimals);
  p = appendChar(p, last, ',');
  p = appendFixed(p, last, b, bDecimals);
  p = appendChar(p, last, ',');
  p = appendFixed(p, last, height, kMetreDecimals);
  p = appendChar(p, last, '\n');
  return finish(p, line);
}

}  // namespace

char* appendFixed(char* first, char* last, double value, int decimals) {
  if (first == nullptr) return nullptr;
  if (std::isnan(value)) {
    // printf shows the sign bit of a NaN; to_chars would too, but say it here once and plainly.
    return appendText(first, last, std::signbit(value) ? "-nan" : "nan");
  }
  const std::to_chars_result result = std::to_chars(first, last, value, std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) return nullptr;
  return result.ptr;
}

std::string_view enResultLine(double easting, double northing, double height, ResultLine& line) {
  return numberLine(easting, kMetreDecimals, northing, kMetreDecimals, height, line);
}

std::string_view ddResultLine(double latitude, double longitude, double height, ResultLine& line) {
  return numberLine(latitude, kDegreeDecimals, longitude, kDegreeDecimals, height, line);
}

std::string_view angleResultLine(std::string_view latitude, std::string_view longitude, double height,
                                 ResultLine& line) {
  char* const last = line.data() + line.size();
  char* p = appendText(line.data(), last, latitude);
  p = appendChar(p, last, ',');
  p = appendText(p, last, longitude);
  p = appendChar(p, last, ',');
  p = appendFixed(p, last, height, kMetreDecimals);
  p = appendChar(p, last, '\n');
  return finish(p, line);
}

}  // namespace velmora
