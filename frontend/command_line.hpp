// The command line: options into the conversion settings, the input-file switch, the thread count,
// the positional arguments, and the usage text.
#pragma once

#include <array>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

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
};

// Scans args (args[0] is the program path) from index 1. An option is an argument of at least two
// characters beginning "--"; its name is compared ignoring ASCII case; a value is the next argument
// taken verbatim, even when it begins with "--"; a later value replaces an earlier one. An unknown
// option (the bare "--" included) is skipped on its own. The first argument that is no option ends
// the scan. When an option that takes a value stands last, the scan stops with missingValue set;
// nothing past the end of args is read. positionals points into args.
CommandLine scanCommandLine(std::span<const std::string_view> args);

}  // namespace velmora
