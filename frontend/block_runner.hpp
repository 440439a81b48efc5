// The conversion of a whole input: blocks of lines read, converted on worker threads and written in
// input order, so that the results and messages are the same bytes whatever the number of threads.
#pragma once

#include <cstdio>
#include <string>

#include "frontend/input_lines.hpp"
#include "velmora/converter.hpp"

namespace velmora {

// What a block of points writes: result lines for standard output and messages for standard error.
struct BlockOutput {
  std::string results;
  std::string messages;
};

// Converts one point and appends its result line, and its message if any, to output: "<geoid path>
// does not exist\n" when the point needed a geoid file that could not be opened.
void convertPoint(const Converter& converter, const Coordinates& point, BlockOutput& output);

// Converts every line of block that holds a point, in order.
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
StreamOutcome convertStream(const Converter& converter, LineReader& reader, unsigned threads, std::FILE* out,
                            std::FILE* err);

// Worker threads when none are asked for: every processor this process may run on.
unsigned defaultThreadCount();

}  // namespace velmora
