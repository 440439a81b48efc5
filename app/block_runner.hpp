// The conversion of a whole input: blocks of lines read, converted on worker threads and written in
// input order, so that the results and messages are the same bytes whatever the number of threads.
#pragma once

#include <cstdio>

#include "app/input_lines.hpp"
#include "app/progress.hpp"
#include "velmora/app/line_converter.hpp"
#include "velmora/app/ordered_runner.hpp"
#include "velmora/app/run_tally.hpp"
#include "velmora/converter.hpp"

namespace velmora {

enum class StreamOutcome {
  kCompleted,    // every line read, converted and written
  kReadError,    // the input failed part way: the results before the failure are written
  kWriteError,   // out or err reported an error; the run stopped
  kLineTooLong,  // a line too long to be held whole: the results before it are written
};

struct StreamResult {
  StreamOutcome outcome = StreamOutcome::kCompleted;
  // With kWriteError: the errno of the write or flush of out that failed, taken at the failure (EIO
  // when that call set none), so that nothing done since can replace it.
  int writeError = 0;
};

// Reads the whole input through reader and writes results to out and messages to err, block by
// block. threads <= 1 converts on the calling thread; more start that many workers, at most 64
// (when no thread can be started, the calling thread converts alone). A failure to write err is no
// failure of the run; a failure to write or flush out (also the flush before waiting for slow
// input) ends it. With kReadError, reader.readError() tells why.
// The counts of every block are added to total, in input order.
// With progress, it is advanced after every block written.
StreamResult convertStream(const Converter& converter, const PointOptions& options, LineReader& reader,
                           unsigned threads, std::FILE* out, std::FILE* err, RunTally& total,
                           StreamProgress* progress = nullptr);
StreamResult convertStream(const Converter& converter, LineReader& reader, unsigned threads, std::FILE* out,
                           std::FILE* err);

}  // namespace velmora
