#include "common/number_text.hpp"

#include <locale.h>

#include <array>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/ascii_text.hpp"
#include "common/portable_number_text.hpp"

// libstdc++ has floating-point from_chars and to_chars; a standard library without them (libc++
// before 17) takes the C library's way, which gives the same bytes. VELMORA_PORTABLE_NUMBER_TEXT
// asks for that way on any library.
#if defined(__cpp_lib_to_chars) && !defined(VELMORA_PORTABLE_NUMBER_TEXT)
#define VELMORA_FLOATING_CHARCONV 1
#else
#define VELMORA_FLOATING_CHARCONV 0
#endif

namespace velmora {
namespace {

// Characters that can belong to a number strtod accepts: digits, letters (exponent, hexadecimal
// digits and prefix, "inf", "nan"), sign, point, and the parentheses and underscore of "nan(...)".
constexpr bool mayBelongToNumber(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '.' || c == '+' ||
         c == '-' || c == '(' || c == ')' || c == '_';
}

constexpr bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

#if VELMORA_FLOATING_CHARCONV
// Text that from_chars reads exactly like strtod: an optional "-", then a digit or a point, and
// no hexadecimal prefix (from_chars would read "0x1p4" as 0).
bool startsPlainDecimal(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && text[i] == '-') ++i;
  if (i >= text.size() || !(isDigit(text[i]) || text[i] == '.')) return false;
  const bool hexPrefix = text[i] == '0' && i + 1 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X');
  return !hexPrefix;
}
#endif

// A decimal of at most 15 digits is an integer m < 10^15 < 2^53 over a power of ten 10^k with
// k <= 15 < 23: both are exact doubles, so the one correctly rounded division gives the double
// nearest the decimal, which is what strtod returns.
constexpr int kShortDecimalDigits = 15;
constexpr std::array<double, kShortDecimalDigits + 1> kExactPowersOfTen{
    1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// The value of the number at the start of text when it is "-"? digits ("." digits)? with at least one
// and at most 15 digits, followed by the end of text or a character that cannot continue a number,
// and its length; 0 for anything else (the general readers take it).
std::size_t readShortDecimal(std::string_view text, double& value) {
  std::size_t i = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (negative) ++i;
  std::uint64_t mantissa = 0;
  int digits = 0;
  int fractionDigits = 0;
  bool inFraction = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (isDigit(c)) {
      if (++digits > kShortDecimalDigits) return 0;
      mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
      fractionDigits += inFraction ? 1 : 0;
    } else if (c == '.' && !inFraction) {
      inFraction = true;
    } else if (mayBelongToNumber(c)) {
      return 0;
    } else {
      break;
    }
  }
  if (digits == 0) return 0;
  const double magnitude =
      static_cast<double>(mantissa) / kExactPowersOfTen[static_cast<std::size_t>(fractionDigits)];
  value = negative ? -magnitude : magnitude;
  return i;
}

// The C locale, made once: numbers in commands and files always use "." as the decimal point.
locale_t cLocale() {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return locale;
}

// The length of the run of digits at text[from], which may be past the end.
std::size_t digitRun(std::string_view text, std::size_t from) {
  std::size_t end = from;
  while (end < text.size() && isDigit(text[end])) ++end;
  return end - from;
}

// True when text is exactly [+-] digits ["." digits] [(e|E) [+-] digits], at least one digit before
// the exponent: a decimal number strtod reads to its last character.
bool isWholeDecimal(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = digitRun(text, i);
  i += digits;
  if (i < text.size() && text[i] == '.') {
    const std::size_t fraction = digitRun(text, i + 1);
    i += 1 + fraction;
    digits += fraction;
  }
  if (digits == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    const std::size_t exponent = digitRun(text, i);
    if (exponent == 0) return false;
    i += exponent;
  }
  return i == text.size();
}

// Numbers up to this many characters are converted from a copy on the stack; only an absurdly long
// run of digits needs the heap.
constexpr std::size_t kStackNumberChars = 127;

template <typename Number>
std::string shortestTextOf(Number value) {
#if VELMORA_FLOATING_CHARCONV
  std::array<char, 32> text{};  // the longest shortest double, "-2.2250738585072014e-308", fits
  const std::to_chars_result result = std::to_chars(text.data(), text.data() + text.size(), value);
  return {text.data(), result.ptr};
#else
  return shortestTextByPrintf(value);
#endif
}

}  // namespace

std::string_view trimLeadingSpace(std::string_view text) {
  std::size_t start = 0;
  while (start < text.size() && isAsciiSpace(text[start])) ++start;
  return text.substr(start);
}

std::string_view trimSpace(std::string_view text) {
  std::size_t end = text.size();
  while (end > 0 && isAsciiSpace(text[end - 1])) --end;
  return trimLeadingSpace(text.substr(0, end));
}

double readDecimal(std::string_view text) {
  const std::string_view trimmed = trimLeadingSpace(text);
  double shortValue = 0.0;
  if (readShortDecimal(trimmed, shortValue) > 0) return shortValue;

  std::size_t end = 0;
  while (end < trimmed.size() && mayBelongToNumber(trimmed[end])) ++end;
  const std::string_view candidate = trimmed.substr(0, end);

  // Plain decimal numbers, by far the most common, are read by from_chars, which rounds exactly as
  // strtod does. A leading "+", a hexadecimal "0x" and values out of range take the strtod path.
#if VELMORA_FLOATING_CHARCONV
  if (startsPlainDecimal(candidate)) {
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(candidate.data(), candidate.data() + candidate.size(), value);
    if (ec == std::errc()) return value;
  }
#endif

  if (candidate.empty()) return 0.0;  // no number; also keeps a null view's data() away from memcpy

  // strtod stops at the first character that cannot continue the number; the copy holds a superset
  // of that number and ends where the number must end, so the value is the one atof gives. It is read
  // in the C locale, whose decimal point is ".", whatever the program's locale: strtod_l reads no
  // process-wide locale state, so worker threads may call it at once.
  if (candidate.size() <= kStackNumberChars) {
    std::array<char, kStackNumberChars + 1> copy;
    std::memcpy(copy.data(), candidate.data(), candidate.size());
    copy[candidate.size()] = '\0';
    return strtod_l(copy.data(), nullptr, cLocale());
  }
  const std::string copy(candidate);
  return strtod_l(copy.c_str(), nullptr, cLocale());
}

int readWholeNumber(std::string_view text) {
  const std::string_view trimmed = trimLeadingSpace(text);
  std::size_t i = 0;
  bool negative = false;
  if (i < trimmed.size() && (trimmed[i] == '+' || trimmed[i] == '-')) {
    negative = trimmed[i] == '-';
    ++i;
  }
  // Accumulated as a negative number so that INT_MIN itself is reachable without overflow.
  long long value = 0;
  constexpr long long kBeyondInt = static_cast<long long>(INT_MAX) + 2;  // saturation point, any sign
  for (; i < trimmed.size() && trimmed[i] >= '0' && trimmed[i] <= '9'; ++i) {
    if (value > -kBeyondInt) value = value * 10 - (trimmed[i] - '0');
  }
  if (!negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

std::optional<double> readExactDecimal(std::string_view text) {
  const std::string_view number = trimSpace(text);
  // The common short decimal is read whole in one pass.
  double shortValue = 0.0;
  const std::size_t shortLength = readShortDecimal(number, shortValue);
  if (shortLength > 0 && shortLength == number.size()) return shortValue;
  if (!isWholeDecimal(number)) return std::nullopt;
  const double value = readDecimal(number);
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<long long> readExactInteger(std::string_view text) {
  std::string_view number = trimSpace(text);
  const std::size_t signs = !number.empty() && (number.front() == '+' || number.front() == '-') ? 1 : 0;
  if (number.size() == signs || digitRun(number, signs) != number.size() - signs) return std::nullopt;
  // from_chars takes a "-" but no "+".
  if (number.front() == '+') number.remove_prefix(1);
  long long value = 0;
  const auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (ec != std::errc() || ptr != number.data() + number.size()) return std::nullopt;
  return value;
}

char* writeFixed(char* first, char* last, double value, int decimals) {
#if VELMORA_FLOATING_CHARCONV
  const std::to_chars_result result = std::to_chars(first, last, value, std::chars_format::fixed, decimals);
  return result.ec == std::errc() ? result.ptr : nullptr;
#else
  return writeFixedByPrintf(first, last, value, decimals);
#endif
}

std::string shortestText(double value) {
  return shortestTextOf(value);
}

std::string shortestText(float value) {
  return shortestTextOf(value);
}

}  // namespace velmora
