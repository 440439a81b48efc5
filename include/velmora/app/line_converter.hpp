// The conversion of lines of input: each line's point read from its text (checked with --strict),
// converted, and written as a result line, with the messages and counts it gives.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "velmora/app/input_block.hpp"
#include "velmora/app/record_options.hpp"
#include "velmora/app/result_line.hpp"
#include "velmora/app/run_tally.hpp"
#include "velmora/converter.hpp"

namespace velmora {

// How points are checked, written and counted.
struct PointOptions {
  // A line with a problem (fields, text, or a point the run cannot convert as asked) writes a
  // message "velmora: <where>: <what>" and a result line of empty fields, and counts as failed.
  bool strict = false;
  bool showMethod = false;  // a last field naming what was applied (method_name.hpp)
  // Two fields before the method: the horizontal and vertical accuracy in metres
  // (point_accuracy.hpp), each empty where there is none.
  bool showAccuracy = false;
  OutputForm form;     // decimals and DMS form of the results
  bool tally = false;  // count lines, points and methods (for --summary)
  // Without --strict: count what --strict would fail, by kind, with the first of each kind's
  // warning (run_warnings.hpp). Off with --quiet.
  bool warnings = false;
  std::string inputName;  // the input file as messages name it
  // Lines are read whole and handled by records (columns, delimiter, skipped and comment lines).
  bool records = false;
  RecordOptions record;
};

// What a block of points writes: result lines for standard output, messages for standard error
// (--strict's), and its counts, warnings among them.
struct BlockOutput {
  std::string results;
  std::string messages;
  RunTally tally;
};

// The point of the positional arguments (two coordinates and an optional height; the caller rejects
// more), checked, written and counted as a line of a file is.
void convertArguments(const Converter& converter, const PointOptions& options,
                      std::span<const std::string_view> positionals, BlockOutput& output);

// Converts every line of block that holds a point, in order. Without --strict a line of fewer than
// two fields writes nothing.
void convertBlock(const Converter& converter, const PointOptions& options, const InputBlock& block,
                  BlockOutput& output);

}  // namespace velmora
