// The conversion of a whole input: blocks of lines read, converted on worker threads and written in
// input order, so that the results and messages are the same bytes whatever the number of threads.
#pragma once

#include <cstdio>
#include <span>
#include <string>
#include <string_view>

#include "frontend/input_lines.hpp"
#include "frontend/run_tally.hpp"
#include "velmora/converter.hpp"

namespace velmora {

// How points are checked, written and counted.
struct PointOptions {
  // A line with a problem (fields, text, or a point the run cannot convert as asked) writes a
  // message "velmora: <where>: <what>" and a result line of empty fields, and counts as failed.
  bool strict = false;
  bool showMethod = false;  // a last field naming what was applied (method_name.hpp)
  bool tally = false;       // count lines, points and methods (for --summary)
  std::string inputName;    // the input file as messages name it
};

// What a block of points writes: result lines for standard output, messages for standard error,
// and its counts.
struct BlockOutput {
  std::string results;
  std::string messages;
  RunTally tally;
};

// Converts one point and appends its result line, and its message if any, to output: "<geoid path>
// does not exist\n" when the point needed a geoid file that could not be opened.
void convertPoint(const Converter& converter, const Coordinates& point, BlockOutput& output);

// The point of the positional arguments (two coordinates and an optional height; the caller rejects
// more), checked, written and counted as a line of a file is.
void convertArguments(const Converter& converter, const PointOptions& options,
                      std::span<const std::string_view> positionals, BlockOutput& output);

// Converts every line of block that holds a point, in order. Without --strict a line of fewer than
// two fields writes nothing.
void convertBlock(const Converter& converter, const PointOptions& options, const InputBlock& block,
                  BlockOutput& output);
void convertBlock(const Converter& converter, const InputBlock& block, BlockOutput& output);

enum class StreamOutcome {
  kCompleted,   // every line read, converted and written
  kReadError,   // the input failed part way: the results before the failure are written
  kWriteError,  // out or err reported an error; the run stopped
};

// Reads the whole input through reader and writes results to out and messages to err, block by
// block. threads <= 1 converts on the calling thread; more start that many workers, at most 64
// (when no thread can be started, the calling thread converts alone). A failure to write err is no
// failure of the run.
// The counts of every block are added to total, in input order.
StreamOutcome convertStream(const Converter& converter, const PointOptions& options, LineReader& reader,
                            unsigned threads, std::FILE* out, std::FILE* err, RunTally& total);
StreamOutcome convertStream(const Converter& converter, LineReader& reader, unsigned threads, std::FILE* out,
                            std::FILE* err);

// Worker threads when none are asked for: every processor this process may run on.
unsigned defaultThreadCount();

}  // namespace velmora
