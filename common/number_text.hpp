// Readers of the leading number of a text, with the rules of the C library's atof and atoi but
// working on a string_view (no terminator needed), never undefined for any input, and with "." as
// the decimal point whatever the locale (command-line values and grid files are written so); and
// the writers of floating-point numbers. Every floating-point conversion between text and number
// is here, behind these calls, so that a standard library without floating-point from_chars and
// to_chars needs a change in this file alone.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// The leading decimal number as atof reads it: white space skipped, optional sign, digits with an
// optional fraction and exponent (also "inf", "nan" and hexadecimal forms); whatever follows is
// ignored. 0.0 when the text starts with no number; +-HUGE_VAL when it overflows.
double readDecimal(std::string_view text);

// value in fixed notation with that many decimals, as printf's "%.<decimals>f" in the C locale, at
// first; the end, or nullptr when [first, last) is too small.
char* writeFixed(char* first, char* last, double value, int decimals);

// The shortest text that reads back as value, whatever the locale ("2026.9", "1e+09").
std::string shortestText(double value);

// The shortest text that reads back (as a float) as value.
std::string shortestText(float value);

// The leading integer as atoi reads it ("52.9" gives 52, "55abc" gives 55, "abc" gives 0), except
// that a value beyond the int range saturates to INT_MIN or INT_MAX instead of being undefined.
int readWholeNumber(std::string_view text);

// The text as one whole finite decimal number: optional sign, digits with an optional fraction
// (".5" and "5." included) and an optional exponent, with nothing but white space (CR and LF
// included) around it. The value is readDecimal's, bit for bit. Nothing for any other text: no
// number, trailing characters, hexadecimal, "inf", "nan", or a value that overflows the double range.
std::optional<double> readExactDecimal(std::string_view text);

// The text as one whole integer: optional sign and digits, white space around allowed. Nothing for
// any other text or a value beyond the long long range.
std::optional<long long> readExactInteger(std::string_view text);

// Removes white space (space, tab, line feed, vertical tab, form feed, carriage return) from the start.
std::string_view trimLeadingSpace(std::string_view text);

// Removes that white space from both ends.
std::string_view trimSpace(std::string_view text);

}  // namespace velmora
