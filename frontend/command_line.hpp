// The command line: options into the conversion settings, the input-file switch, the thread count,
// the positional arguments, and the usage text.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "velmora/app/record_options.hpp"
#include "velmora/converter.hpp"

namespace velmora {

// The usage text, one entry per line, each with its "\n".
extern const std::array<std::string_view, 24> kUsageLines;

// Writes the usage text to out.
void printUsage(std::FILE* out);

struct CommandLine {
  ConversionSettings settings;                    // defaults, then the options; no grid folder
  std::string programPath;                        // args[0]
  unsigned threads = 0;                           // "--threads": 0 for every hardware thread
  bool useInputFile = false;                      // "--inputfile" was given
  std::string inputFile;                          // its last value
  std::span<const std::string_view> positionals;  // every argument from the first non-option on
  bool missingValue = false;                      // an option that takes a value stood last
  bool isgSubZoneGiven = false;                   // "--ISGSubZone" was given (settings keep 0 otherwise)
  // Values that were no number: their problem is said once, not again for the number read from them.
  struct {
    bool zone = false;
    bool isgSubZone = false;
    bool epoch = false;
  } unreadable;
  bool strict = false;                      // "--strict"
  bool quiet = false;                       // "--quiet": no warnings without --strict
  bool showMethod = false;                  // "--showMethod"
  bool summary = false;                     // "--summary"
  bool help = false;                        // "--help" or "-h"
  bool version = false;                     // "--version"
  bool useOutputFile = false;               // "--outputFile" was given
  std::string outputFile;                   // its last value
  bool progress = false;                    // "--progress"
  std::optional<ColumnSpec> columns;        // "--columns A,B[,H]"
  Delimiter delimiter = Delimiter::kComma;  // "--delimiter"
  std::uint64_t skipLines = 0;              // "--skipLines N": header lines copied unchanged
  std::string comment;                      // "--comment C": lines starting so are copied; empty: none
  std::string gridFolder;                   // "--gridFolder DIR": searched first for grids
  std::array<std::string, kGridIdCount> gridFiles;  // "--grid SLOT=FILE"; empty: the fixed name
  // Values of the options above that name nothing: an error with or without --strict (these options
  // are new, so no script relies on their values being skipped).
  std::vector<std::string> errors;
  // What --strict reports about the options, and without it warns of, one message each (without
  // "velmora: " and newline), in the order of the arguments: unknown options, names that name
  // nothing, values that are no number, a value given to an option that takes none, an option given
  // again with a value that reads otherwise, a missing value.
  std::vector<std::string> problems;
};

// Every option the program accepts, as the help writes it ("--fromDatum"), and "-h".
std::vector<std::string_view> optionNames();

// Scans args (args[0] is the program path) from index 1. An option is an argument of at least two
// characters beginning "--" (or "-h"); its name is compared ignoring ASCII case; a value is the rest
// of the argument after "=" ("--zone=55"), else the next argument taken verbatim, even when it
// begins with "--"; a later value replaces an earlier one, and is a problem when the two read
// differently (--zone 55 and --zone=055 agree; --zone and --fromZone are one option; each --grid
// slot is a setting of its own; options without a value never disagree). An unknown option (the
// bare "--" included, and an option that takes no value given one with "=") is skipped on its own.
// The first argument that is no option ends the scan. When an option that takes a value stands
// last, the scan stops with missingValue set; nothing past the end of args is read. positionals
// points into args.
CommandLine scanCommandLine(std::span<const std::string_view> args);

// What --strict reports about the settings as a whole, after the scan: zones out of range for the
// datums on a grid side (and outside 1..60 in a run without one), an ISG grid side without one of
// the official sub-zones 1, 2 or 3, an epoch outside 1950..2100 for a run with WGS84 or an ITRF
// datum, height types that convert nothing, a datum grid named by --grid in a run without
// --useGridShift (which never reads it), positional arguments that are not one point. Messages as
// in CommandLine::problems. Without --strict each is a warning.
std::vector<std::string> settingsProblems(const CommandLine& line);

// --toZone auto with grid output whose target grid has no UTM zones (ISG, ANG, NZMG, NZTM): an
// option error with or without --strict.
std::optional<std::string> autoZoneProblem(const ConversionSettings& settings);

}  // namespace velmora
