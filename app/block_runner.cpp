// Blocks of lines through the ordered runner: read on the calling thread, converted on the workers,
// written strictly in the order they were read.
#include "app/block_runner.hpp"

#include <cerrno>

#include "velmora/app/ordered_runner.hpp"

namespace velmora {
namespace {

bool writeAll(std::string_view text, std::FILE* file) {
  return text.empty() || std::fwrite(text.data(), 1, text.size(), file) == text.size();
}

// Where finished blocks go, in input order.
struct StreamSink {
  std::FILE* out;
  std::FILE* err;
  RunTally& total;
  StreamProgress* progress;  // none: nothing follows the run
  const LineReader& reader;
  int writeError = 0;  // of the first write to out that failed
};

// Writes results to out, and flushes it when asked; false, with the reason kept in the sink, when
// out reports an error. errno is read at once: the reason must not be that of a later call.
bool writeResults(std::string_view results, bool flush, StreamSink& sink) {
  errno = 0;
  bool written = writeAll(results, sink.out) && std::ferror(sink.out) == 0;
  if (written && flush) written = std::fflush(sink.out) == 0;
  if (!written && sink.writeError == 0) sink.writeError = errno != 0 ? errno : EIO;
  return written;
}

// Messages first (the first warning of each kind in the run, --strict's errors): they are written
// as the points are converted, before the results leave the output buffer. Only the results decide
// success: a closed or full standard error never cut a run short.
bool writeBlock(const InputBlock& input, const BlockOutput& output, StreamSink& sink) {
  const bool sharing = sink.progress != nullptr && sink.progress->sharesTerminal();
  const bool messages =
      !output.messages.empty() || hasNewWarnings(sink.total.warnings, output.tally.warnings);
  if (sink.progress != nullptr && (sharing || messages)) sink.progress->clearLine();
  writeNewWarnings(sink.total.warnings, output.tally.warnings, sink.err);
  sink.total.merge(output.tally);
  writeAll(output.messages, sink.err);
  const bool written = writeResults(output.results, sharing, sink);
  if (sink.progress != nullptr) sink.progress->advance(input.lineCount(), sink.reader.bytesRead());
  return written;
}

void clearOutput(BlockOutput& output) {
  output.results.clear();
  output.messages.clear();
  output.tally.clear();
}

// A block of lines and what converting it gave.
struct Block {
  InputBlock input;
  BlockOutput output;
};

}  // namespace

StreamResult convertStream(const Converter& converter, const PointOptions& options, LineReader& reader,
                           unsigned threads, std::FILE* out, std::FILE* err, RunTally& total,
                           StreamProgress* progress) {
  StreamSink sink{out, err, total, progress, reader};
  StreamOutcome outcome = StreamOutcome::kCompleted;
  OrderedRunner<Block> runner(threads, [&](Block& block) {
    clearOutput(block.output);
    convertBlock(converter, options, block.input, block.output);
  });
  RunnerCalls<Block> calls;
  calls.fill = [&](Block& block) {
    // The next read may wait for a pipe or a terminal: every result read so far goes out first
    // (drainFirst has taken every block before this one).
    if (reader.slowInput() && !writeResults({}, true, sink)) {
      outcome = StreamOutcome::kWriteError;
      return FillStatus::kEnd;
    }
    switch (reader.readBlock(block.input)) {
      case ReadStatus::kLines:
        return FillStatus::kPiece;
      case ReadStatus::kError:
        outcome = StreamOutcome::kReadError;
        break;
      case ReadStatus::kLineTooLong:
        outcome = StreamOutcome::kLineTooLong;
        break;
      case ReadStatus::kEnd:
        break;
    }
    return FillStatus::kEnd;
  };
  calls.take = [&](Block& block) { return writeBlock(block.input, block.output, sink); };
  calls.drainFirst = [&] { return reader.slowInput(); };
  if (runner.run(calls) == RunEnd::kStopped) outcome = StreamOutcome::kWriteError;
  return {outcome, outcome == StreamOutcome::kWriteError ? sink.writeError : 0};
}

StreamResult convertStream(const Converter& converter, LineReader& reader, unsigned threads, std::FILE* out,
                           std::FILE* err) {
  RunTally total;
  return convertStream(converter, PointOptions{}, reader, threads, out, err, total);
}

}  // namespace velmora
