// The run: options, points, conversion, exit status.
#pragma once

#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/progress.hpp"
#include "velmora/converter.hpp"

namespace velmora {

inline constexpr int kExitSuccess = 0;  // the run completed, whatever individual points gave
inline constexpr int kExitFailure = 1;  // usage text, unreadable input file, output not written, or
                                        // with --strict any error reported

// args is the whole argument vector, program path first. Results, the usage text and "Could not
// open input file\n" go to out, messages about missing geoid files to err. The usage text (status
// 1) is printed when no argument follows the program path, when an option that takes a value stands
// last, and in single-point mode with fewer than two coordinates. An input file is converted as it
// is read; when a read fails part way, the results before the failure stay and "Could not open
// input file\n" follows. Status 1 also when out reports a write error, at any write or at the final
// flush, after "velmora: cannot write standard output: <reason>\n" on err (the reason as strerror
// gives it for the write that failed, "No space left on device" for a full disk, "File too large"
// beyond the file size limit, "Broken pipe" for a closed pipe); the same for the output file, as
// "velmora: cannot write output file '<name>': <reason>\n".
//
// --help (or -h) and --version print to out and end with status 0 before anything else. With
// --strict the first problem of the options, the settings or a needed grid file is printed on err
// as "velmora: <what>" and ends the run with status 1 before any output; a line with a problem
// prints its message on err and a result line of empty fields, and the run ends with status 1
// after every line. --summary writes the counts of the run on err after the last result; when they
// cannot be written the status is 1 (other messages that err cannot take change nothing).
//
// observer, when given, follows an input file's conversion block by block where --progress does not
// (a front end's own display of the progress).
int runVelmora(std::span<const std::string_view> args, std::FILE* out, std::FILE* err,
               StreamProgress* observer = nullptr);

}  // namespace velmora
