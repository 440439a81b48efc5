#include "common/portable_number_text.hpp"

#include <locale.h>
#include <stdio.h>
#include <stdlib.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace velmora {
namespace {

constexpr int kMaxSignificantDigits = 17;      // every double reads back from 17
constexpr int kMaxFloatSignificantDigits = 9;  // every float reads back from 9

// The C locale, made once and never changed.
locale_t cLocale() {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return locale;
}

// The C locale for this thread while it lives: printf has no locale argument, and uselocale
// changes the calling thread's locale only.
class CLocaleScope {
 public:
  CLocaleScope() {
    if (cLocale() != static_cast<locale_t>(nullptr)) previous_ = uselocale(cLocale());
  }
  ~CLocaleScope() {
    if (previous_ != static_cast<locale_t>(nullptr)) uselocale(previous_);
  }
  CLocaleScope(const CLocaleScope&) = delete;
  CLocaleScope& operator=(const CLocaleScope&) = delete;

 private:
  locale_t previous_ = static_cast<locale_t>(nullptr);
};

// Scientific notation as std::to_chars writes it: the exponent with a sign and at least two digits.
std::string scientific(bool negative, const std::string& digits, int exponent) {
  std::string text = negative ? "-" : "";
  text += digits[0];
  if (digits.size() > 1) text += "." + digits.substr(1);
  text += exponent < 0 ? "e-" : "e+";
  const int magnitude = std::abs(exponent);
  if (magnitude < 10) text += '0';
  text += std::to_string(magnitude);
  return text;
}

// The same digits in fixed notation: d.ddd times 10^exponent, of value.
std::string fixed(double value, bool negative, const std::string& digits, int exponent) {
  std::string text = negative ? "-" : "";
  if (exponent < 0) {
    const auto zeros = static_cast<std::size_t>(-static_cast<long>(exponent)) - 1;
    text += "0." + std::string(zeros, '0') + digits;
    return text;
  }
  const std::size_t before = static_cast<std::size_t>(exponent) + 1;  // digits before the point
  if (before > digits.size()) {
    // A whole number wider than its shortest digits: of the texts of that length, to_chars writes
    // the one nearest the value, which is the exact integer, not the digits padded with zeros.
    std::array<char, 400> whole{};
    snprintf(whole.data(), whole.size(), "%.0f", value);
    return whole.data();
  }
  if (before == digits.size()) {
    text += digits;
  } else {
    text += digits.substr(0, before) + "." + digits.substr(before);
  }
  return text;
}

}  // namespace

char* writeFixedByPrintf(char* first, char* last, double value, int decimals) {
  const CLocaleScope c;
  const std::size_t room = static_cast<std::size_t>(last - first);
  // snprintf writes a terminating zero, which the caller's range need not hold room for.
  std::array<char, 512> small{};
  std::string large;
  char* out = small.data();
  std::size_t size = small.size();
  int length = snprintf(out, size, "%.*f", decimals, value);
  if (length < 0) return nullptr;
  if (static_cast<std::size_t>(length) >= size) {
    large.resize(static_cast<std::size_t>(length) + 1);
    out = large.data();
    length = snprintf(out, large.size(), "%.*f", decimals, value);
  }
  if (static_cast<std::size_t>(length) > room) return nullptr;
  std::memcpy(first, out, static_cast<std::size_t>(length));
  return first + length;
}

namespace {

// The shortest significant digits that read back as value through the reader of its own type
// (strtod, strtof), then fixed or scientific notation, whichever is shorter.
template <typename Number>
std::string shortestByPrintf(Number value, int maxSignificantDigits, Number (*read)(const char*, char**)) {
  const bool negative = std::signbit(value);
  if (std::isnan(value)) return negative ? "-nan" : "nan";
  if (std::isinf(value)) return negative ? "-inf" : "inf";
  if (value == 0) return negative ? "-0" : "0";

  const CLocaleScope c;
  std::array<char, 40> text{};  // "-d.dddddddddddddddde-308" and its terminator
  const double wide = value;    // exact: every float is a double
  int precision = 1;
  for (;; ++precision) {
    snprintf(text.data(), text.size(), "%.*e", precision - 1, wide);
    if (precision == maxSignificantDigits || read(text.data(), nullptr) == value) break;
  }
  // "-d.ddde+XX": the significant digits and the exponent.
  const char* at = text.data() + (negative ? 1 : 0);
  std::string digits;
  for (; *at != 'e'; ++at) {
    if (*at != '.') digits += *at;
  }
  const int exponent = std::atoi(at + 1);
  std::string inFixed = fixed(wide, negative, digits, exponent);
  std::string inScientific = scientific(negative, digits, exponent);
  return inFixed.size() <= inScientific.size() ? inFixed : inScientific;
}

}  // namespace

std::string shortestTextByPrintf(double value) {
  return shortestByPrintf<double>(value, kMaxSignificantDigits, strtod);
}

std::string shortestTextByPrintf(float value) {
  return shortestByPrintf<float>(value, kMaxFloatSignificantDigits, strtof);
}

}  // namespace velmora
