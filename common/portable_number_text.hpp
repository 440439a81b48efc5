// Floating-point text by the C library alone, for standard libraries without floating-point
// std::from_chars and std::to_chars (libc++ before version 17, which emscripten 3.1.6 ships). The
// results are those of std::to_chars, byte for byte: the tests compare the two on every kind of
// value. Numbers are written in the C locale, whatever the program's.
#pragma once

#include <string>

namespace velmora {

// value in fixed notation with that many decimals, as std::to_chars(..., fixed, decimals) writes it;
// the end, or nullptr when [first, last) is too small.
char* writeFixedByPrintf(char* first, char* last, double value, int decimals);

// The shortest text that reads back as value, as std::to_chars(value) writes it: the fewest
// significant digits, in fixed notation unless scientific is shorter.
std::string shortestTextByPrintf(double value);

// The same for a float: the fewest significant digits that read back as that float.
std::string shortestTextByPrintf(float value);

}  // namespace velmora
