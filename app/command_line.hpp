// The command line: the options read by name, the positional arguments, and the usage text.
#pragma once

#include <array>
#include <cstddef>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "velmora/app/options.hpp"

namespace velmora {

// The usage text, one entry per line, each with its "\n".
extern const std::array<std::string_view, 24> kUsageLines;

// Writes the usage text to out.
void printUsage(std::FILE* out);

struct CommandLine : RunOptions {
  std::string programPath;                        // args[0]
  std::span<const std::string_view> positionals;  // every argument from the first non-option on
};

// Scans args (args[0] is the program path) from index 1 and reads the options found (readOptions).
// An option is an argument of at least two characters beginning "--" (or "-h"); a value is the rest
// of the argument after "=" ("--zone=55"), else, for an option that takes one, the next argument
// taken verbatim, even when it begins with "--". An unknown option (the bare "--" included) takes no
// value. The first argument that is no option ends the scan. When an option that takes a value
// stands last, the scan stops with missingValue set; nothing past the end of args is read.
// positionals points into args.
CommandLine scanCommandLine(std::span<const std::string_view> args);

// A problem of the options, with the argument it concerns: the index in args of the option whose
// removal takes the message away (of several, the one the message names first; of one option given
// twice, the later), else of the option the message names first, else none.
struct OptionFinding {
  std::string message;  // as in RunOptions::problems
  std::optional<std::size_t> index;
};

struct OptionFindings {
  std::vector<OptionFinding> errors;    // what --strict reports, each problem an error
  std::vector<OptionFinding> warnings;  // what a run without --strict warns of
};

// The verdicts of both policies on the options of args (args[0] the program path; the positional
// arguments, a point, are not judged), each message placed on its option, for a front end that shows
// it beside the field where the option was given.
OptionFindings findOptionProblems(std::span<const std::string_view> args);

// What --strict reports about the positional arguments: an option after the point, arguments that
// are not one point (or any, with --inputFile). Messages as in RunOptions::problems.
std::vector<std::string> positionalProblems(const CommandLine& line);

}  // namespace velmora
