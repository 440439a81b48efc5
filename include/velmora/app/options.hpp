// The program's options by name: read into the conversion settings and the settings of a run
// (input, output, threads, checking), with every problem in the words the program prints; and the
// policy that decides which problems stop a run and which are warnings.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "velmora/app/record_options.hpp"
#include "velmora/app/result_line.hpp"
#include "velmora/converter.hpp"

namespace velmora {

struct RunOptions {
  ConversionSettings settings;   // defaults, then the options; no grid folder
  unsigned threads = 0;          // "--threads": 0 for every hardware thread
  bool useInputFile = false;     // "--inputfile" was given
  std::string inputFile;         // its last value
  bool missingValue = false;     // an option that takes a value came without one
  bool isgSubZoneGiven = false;  // "--ISGSubZone" was given (settings keep 0 otherwise)
  // Values that were no number: their problem is said once, not again for the number read from them.
  struct {
    bool zone = false;
    bool isgSubZone = false;
    bool epoch = false;
    bool toEpoch = false;
  } unreadable;
  bool strict = false;                      // "--strict"
  bool quiet = false;                       // "--quiet": no warnings without --strict
  bool showMethod = false;                  // "--showMethod"
  bool showAccuracy = false;                // "--showAccuracy"
  OutputForm form;                          // "--decimals", "--heightDecimals", "--dmsFormat"
  bool summary = false;                     // "--summary"
  bool help = false;                        // "--help" or "-h"
  bool version = false;                     // "--version"
  bool useOutputFile = false;               // "--outputFile" was given
  std::string outputFile;                   // its last value
  bool progress = false;                    // "--progress"
  std::optional<ColumnSpec> columns;        // "--columns A,B[,H]"
  int epochColumn = 0;                      // "--epochColumn N": each line's source epoch; 0: none
  int zoneColumn = 0;                       // "--zoneColumn N": each line's zone; 0: none
  Delimiter delimiter = Delimiter::kComma;  // "--delimiter"
  std::uint64_t skipLines = 0;              // "--skipLines N": header lines copied unchanged
  std::string comment;                      // "--comment C": lines starting so are copied; empty: none
  std::string gridFolder;                   // "--gridFolder DIR": searched first for grids
  // ("--grid SLOT=FILE" and "--extraGrid SLOT=FILE" go straight to settings.gridFiles and
  // settings.extraGridFiles.)
  // Values of the options above that name nothing: an error with or without --strict (these options
  // are new, so no script relies on their values being skipped).
  std::vector<std::string> errors;
  // What --strict reports about the options, and without it warns of, one message each (without
  // "velmora: " and newline), in the order of the arguments: unknown options, names that name
  // nothing, values that are no number, a value given to an option that takes none, an option given
  // again with a value that reads otherwise, a missing value.
  std::vector<std::string> problems;
};

// One option as a front end holds it: its name as the help writes it ("--fromDatum", compared
// ignoring ASCII case; "-h" for --help) and its value, none for an option given without one.
struct OptionText {
  std::string_view name;
  std::optional<std::string_view> value;
};

// An epoch as --epoch, --toEpoch and --epochColumn read it: a decimal year, or an ISO date or date
// and time ("2020-07-01", "2020-07-01T12:00:00Z") as a decimal year (the year plus the seconds since
// 1 January over the seconds in that year). Nothing for any other text.
std::optional<double> readEpochText(std::string_view text);

// Whether the program takes a decimal year as an epoch: from 1950 to 2100, where the published
// transformations are meant to be used (the run's --epoch and --toEpoch, each line's and each
// point's own epoch alike).
bool isEpochInRange(double year);

// The name of a grid slot as --grid and --extraGrid read it ("AUSGeoid2020").
std::string_view gridSlotName(GridId grid);

// Every option the program accepts, as the help writes it ("--fromDatum"), and "-h".
std::vector<std::string_view> optionNames();

// Whether the option of that name takes a value; none for a name that is no option.
std::optional<bool> optionTakesValue(std::string_view name);

// Reads options in order into the settings of a run, from the defaults. A later value replaces an
// earlier one, and is a problem when the two read differently (--zone 55 and --zone=055 agree;
// --zone and --fromZone are one option; each --grid slot is a setting of its own; options without a
// value never disagree). An unknown name, a value given to an option that takes none ("--strict"
// given one still asks for strict mode) and a missing value (missingValue set) are problems, and the
// option is skipped. Names that name nothing, values that are no number: problems, the setting then
// being what the program has always read from them (an unknown datum name is WGS84, and so on).
RunOptions readOptions(std::span<const OptionText> options);

// What --strict reports about the settings as a whole, after the scan: zones out of range for the
// datums on a grid side (and outside 1..60 in a run without one), an ISG grid side without one of
// the official sub-zones 1, 2 or 3, an epoch outside 1950..2100 for a run with WGS84 or an ITRF
// datum, height types that convert nothing, a datum grid named by --grid in a run without
// --useGridShift (which never reads it), a grid folder that does not exist. Messages as in
// RunOptions::problems.
std::vector<std::string> settingsProblems(const RunOptions& options);

// --toZone auto with grid output whose target grid has no UTM zones (ISG, ANG, NZMG, NZTM): an
// option error with or without --strict.
std::optional<std::string> autoZoneProblem(const ConversionSettings& settings);

// --fromCircuit or --toCircuit for a side whose datum is neither NZGD2000 nor NZGD49: an option error
// with or without --strict.
std::optional<std::string> circuitProblem(const ConversionSettings& settings);

// Which problems stop a run: under kStrict every one; under kLax only the errors, the rest being
// warnings and the run going on with the settings read (scripts written before the checks rely on it).
enum class OptionPolicy : std::uint8_t { kLax, kStrict };

struct OptionVerdict {
  std::vector<std::string> errors;    // the first stops the run before it converts anything
  std::vector<std::string> warnings;  // said before the first result, the run going on
};

// The verdict on options read: RunOptions::errors, autoZoneProblem and circuitProblem are errors under either
// policy; RunOptions::problems, settingsProblems (not after a missing value) and the front end's own
// problems (its positional arguments, say), in that order, are errors or warnings by policy.
OptionVerdict judgeOptions(const RunOptions& options, OptionPolicy policy,
                           std::span<const std::string> frontEndProblems = {});

}  // namespace velmora
