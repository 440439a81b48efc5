// The run: options, points, conversion, exit status.
#pragma once

#include <cstdio>
#include <span>
#include <string_view>

namespace velmora {

inline constexpr int kExitSuccess = 0;  // the run completed, whatever individual points gave
inline constexpr int kExitFailure = 1;  // usage text, unreadable input file, or results not written

// args is the whole argument vector, program path first. Results, the usage text and "Could not
// open input file\n" go to out. The usage text (status 1) is printed when no argument follows the
// program path, when an option that takes a value stands last, and in single-point mode with fewer
// than two coordinates. Every point is read before the first is converted. Status 1 also when out
// reports a write error at the end of the run.
int runVelmora(std::span<const std::string_view> args, std::FILE* out);

}  // namespace velmora
