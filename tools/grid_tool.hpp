// The velmora-grid commands: shows what an NTv2 grid file holds, interpolates it at a point and
// converts it between the binary and the text form. The main program falls back to parameters
// without a word when a grid is missing or refused; this tool says why.
//
//   velmora-grid info FILE
//   velmora-grid shift FILE LATITUDE LONGITUDE     (decimal degrees, north and east positive)
//   velmora-grid convert IN OUT                    (form chosen by OUT's extension)
//   velmora-grid --help | -h                       (the full help, status 0)
//   velmora-grid --version                         ("velmora-grid " and kVersion, status 0)
//
// Exit status: 0 done, 1 usage text or failure (message on standard error), 2 for shift when no
// sub-grid holds the point. Error messages name the file: "velmora-grid: FILE: error 321: Cannot
// open file" for a code of the grid library, "velmora-grid: FILE: <what>" otherwise. Standard
// output that cannot be written is a failure too: "velmora-grid: cannot write standard output:
// <reason>".
//
// convert replaces OUT whole or not at all (see writeFileAtomically), and refuses an OUT that is
// IN under another name or through a link.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "tools/grid_report.hpp"

namespace velmora {

inline constexpr int kToolSuccess = 0;
inline constexpr int kToolFailure = 1;      // usage text, unreadable or unwritable file
inline constexpr int kToolOutsideGrid = 2;  // shift: no sub-grid holds the point

// Printed to standard output, with status 1, for no or wrong arguments.
extern const std::string_view kGridToolUsage;

// Printed to standard output, with status 0, for "--help" or "-h" as the first argument.
extern const std::string_view kGridToolHelp;

struct GridToolResult {
  int status = kToolSuccess;
  std::string out;  // for standard output
  std::string err;  // for standard error
};

// Runs one command; arguments without the program name. Prints nothing itself.
GridToolResult runGridTool(std::span<const std::string_view> arguments);

// Writes result.out whole to the descriptor outFd and result.err to errFd, and returns the exit
// status: result.status, or 1 when outFd took not every byte (a full disk, a closed pipe with
// SIGPIPE ignored), after "velmora-grid: cannot write standard output: <reason>\n" on errFd.
// A failure of errFd has nowhere to be reported and changes nothing.
int writeGridToolResult(const GridToolResult& result, int outFd, int errFd);

// A decimal number written with "." whatever the locale, optionally signed, digits and an optional
// exponent and nothing else; nullopt for any other text and for values that are not finite.
std::optional<double> parseDecimalNumber(std::string_view text);

}  // namespace velmora
