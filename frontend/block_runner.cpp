// Blocks go through a ring of slots: the calling thread reads a block into a free slot and queues
// it, the workers convert queued blocks in any order, and the calling thread writes finished blocks
// strictly in the order they were read. The ring bounds the memory of a run to a few blocks per
// worker, whatever the size of the input.
#include "frontend/block_runner.hpp"

#include <sched.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

namespace velmora {
namespace {

constexpr unsigned kSlotsPerWorker = 2;  // one being converted, one read ahead
constexpr unsigned kMaxThreads = 64;     // more workers than this only cost memory

bool writeAll(std::string_view text, std::FILE* file) {
  return text.empty() || std::fwrite(text.data(), 1, text.size(), file) == text.size();
}

// Where finished blocks go, in input order.
struct StreamSink {
  std::FILE* out;
  std::FILE* err;
  RunTally& total;
  Progress* progress;  // nullptr without --progress
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

StreamOutcome convertOnThisThread(const Converter& converter, const PointOptions& options, LineReader& reader,
                                  StreamSink& sink) {
  InputBlock block;
  BlockOutput output;
  for (;;) {
    const ReadStatus status = reader.readBlock(block);
    if (status == ReadStatus::kEnd) return StreamOutcome::kCompleted;
    if (status == ReadStatus::kError) return StreamOutcome::kReadError;
    if (status == ReadStatus::kLineTooLong) return StreamOutcome::kLineTooLong;
    clearOutput(output);
    convertBlock(converter, options, block, output);
    if (!writeBlock(block, output, sink)) return StreamOutcome::kWriteError;
    // The next read may wait: the results should not.
    if (reader.slowInput() && !writeResults({}, true, sink)) return StreamOutcome::kWriteError;
  }
}

class WorkerPool {
 public:
  // Throws std::system_error when not one worker could be started.
  WorkerPool(const Converter& converter, const PointOptions& options, unsigned workers)
      : converter_(converter), options_(options), slots_(workers * kSlotsPerWorker) {
    threads_.reserve(workers);
    try {
      for (unsigned k = 0; k < workers; ++k) threads_.emplace_back([this] { work(); });
    } catch (const std::system_error&) {
      if (threads_.empty()) throw;  // the workers that did start serve the run
    }
  }

  ~WorkerPool() { stop(); }

  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  StreamOutcome run(LineReader& reader, StreamSink& sink) {
    std::size_t nextRead = 0;   // sequence number of the next block to read
    std::size_t nextWrite = 0;  // sequence number of the next block to write
    bool inputEnded = false;
    StreamOutcome outcome = StreamOutcome::kCompleted;
    for (;;) {
      // Write every finished block at the head of the ring, in order.
      while (nextWrite < nextRead && isDone(nextWrite)) {
        Slot& slot = slotOf(nextWrite);
        const bool written = writeBlock(slot.input, slot.output, sink);
        setState(slot, State::kFree);
        ++nextWrite;
        if (!written) return drain(nextWrite, nextRead, StreamOutcome::kWriteError);
      }
      if (inputEnded && nextWrite == nextRead) return outcome;
      if (!inputEnded && nextRead - nextWrite < slots_.size()) {
        if (reader.slowInput()) {
          // The next read may wait for a pipe or a terminal: every result read so far goes out first.
          if (nextWrite < nextRead) {
            waitForDone(nextWrite);
            continue;
          }
          if (!writeResults({}, true, sink)) return StreamOutcome::kWriteError;  // nothing is queued
        }
        Slot& slot = slotOf(nextRead);  // free: every block before it in this slot was written
        const ReadStatus status = reader.readBlock(slot.input);
        if (status == ReadStatus::kLines) {
          queue(nextRead);
          ++nextRead;
        } else {
          inputEnded = true;
          if (status == ReadStatus::kError) outcome = StreamOutcome::kReadError;
          if (status == ReadStatus::kLineTooLong) outcome = StreamOutcome::kLineTooLong;
        }
        continue;
      }
      waitForDone(nextWrite);
    }
  }

 private:
  enum class State { kFree, kQueued, kDone };

  struct Slot {
    InputBlock input;
    BlockOutput output;
    State state = State::kFree;
  };

  Slot& slotOf(std::size_t sequence) { return slots_[sequence % slots_.size()]; }

  bool isDone(std::size_t sequence) {
    const std::lock_guard<std::mutex> lock(mutex_);
    return slotOf(sequence).state == State::kDone;
  }

  void setState(Slot& slot, State state) {
    const std::lock_guard<std::mutex> lock(mutex_);
    slot.state = state;
  }

  void queue(std::size_t sequence) {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      slotOf(sequence).state = State::kQueued;
      pending_.push_back(sequence);
    }
    queued_.notify_one();
  }

  void waitForDone(std::size_t sequence) {
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [&] { return slotOf(sequence).state == State::kDone; });
  }

  void stop() {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    queued_.notify_all();
    for (std::thread& thread : threads_) thread.join();
  }

  // After a failed write the blocks still queued are let finish, unwritten, so that no worker
  // touches a slot once the run has returned.
  StreamOutcome drain(std::size_t nextWrite, std::size_t nextRead, StreamOutcome outcome) {
    for (std::size_t sequence = nextWrite; sequence < nextRead; ++sequence) waitForDone(sequence);
    return outcome;
  }

  void work() {
    for (;;) {
      std::size_t sequence = 0;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        queued_.wait(lock, [&] { return stopping_ || !pending_.empty(); });
        if (pending_.empty()) return;
        sequence = pending_.front();
        pending_.pop_front();
      }
      Slot& slot = slotOf(sequence);
      clearOutput(slot.output);
      convertBlock(converter_, options_, slot.input, slot.output);
      {
        const std::lock_guard<std::mutex> lock(mutex_);
        slot.state = State::kDone;
      }
      done_.notify_all();
    }
  }

  const Converter& converter_;
  const PointOptions& options_;
  std::vector<Slot> slots_;
  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable queued_;  // a block was queued, or the pool is stopping
  std::condition_variable done_;    // a block was converted
  std::deque<std::size_t> pending_;
  bool stopping_ = false;
};

}  // namespace

StreamResult convertStream(const Converter& converter, const PointOptions& options, LineReader& reader,
                           unsigned threads, std::FILE* out, std::FILE* err, RunTally& total,
                           Progress* progress) {
  StreamSink sink{out, err, total, progress, reader};
  std::optional<WorkerPool> pool;
  if (threads > 1) {
    try {
      pool.emplace(converter, options, std::min(threads, kMaxThreads));
    } catch (const std::system_error&) {
      pool.reset();  // no thread could be started: the calling thread converts alone
    }
  }
  const StreamOutcome outcome =
      pool ? pool->run(reader, sink) : convertOnThisThread(converter, options, reader, sink);
  return {outcome, outcome == StreamOutcome::kWriteError ? sink.writeError : 0};
}

StreamResult convertStream(const Converter& converter, LineReader& reader, unsigned threads, std::FILE* out,
                           std::FILE* err) {
  RunTally total;
  return convertStream(converter, PointOptions{}, reader, threads, out, err, total);
}

unsigned defaultThreadCount() {
  // The processors this process may run on, which a container or taskset may limit below the machine's.
  cpu_set_t allowed;
  if (sched_getaffinity(0, sizeof allowed, &allowed) == 0)
    return static_cast<unsigned>(std::max(1, CPU_COUNT(&allowed)));
  return std::max(1U, std::thread::hardware_concurrency());
}

}  // namespace velmora
