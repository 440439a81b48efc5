// Blocks go through a ring of slots: the calling thread reads a block into a free slot and queues
// it, the workers convert queued blocks in any order, and the calling thread writes finished blocks
// strictly in the order they were read. The ring bounds the memory of a run to a few blocks per
// worker, whatever the size of the input.
#include "frontend/block_runner.hpp"

#include <sched.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "frontend/angle_format.hpp"
#include "frontend/result_line.hpp"

namespace velmora {
namespace {

constexpr std::string_view kMissingFileMessage = " does not exist\n";
constexpr unsigned kSlotsPerWorker = 2;  // one being converted, one read ahead
constexpr unsigned kMaxThreads = 64;     // more workers than this only cost memory

// Scratch of the result formatting, kept across points so that formatting allocates nothing.
struct LineFormatter {
  ResultLine line{};
  std::string latitudeText;
  std::string longitudeText;
};

// Inside, the results are latitude first for geographic coordinates, as they were given.
std::string_view formatResult(CoordType toCoordType, const Coordinates& c, LineFormatter& f) {
  switch (toCoordType) {
    case CoordType::kEn:
      return enResultLine(c.first, c.second, c.height, f.line);
    case CoordType::kDms:
      formatDms(c.first, true, f.latitudeText);
      formatDms(c.second, false, f.longitudeText);
      return angleResultLine(f.latitudeText, f.longitudeText, c.height, f.line);
    case CoordType::kDm:
      formatDm(c.first, true, f.latitudeText);
      formatDm(c.second, false, f.longitudeText);
      return angleResultLine(f.latitudeText, f.longitudeText, c.height, f.line);
    default:
      return ddResultLine(c.first, c.second, c.height, f.line);
  }
}

void convertInto(const Converter& converter, const Coordinates& point, LineFormatter& formatter,
                 BlockOutput& output) {
  const ConversionResult result = converter.transformPoint(point);
  if (result.height.geoidStatus == GeoidStatus::kFileMissing) {
    output.messages.append(converter.gridState(result.height.geoid).path).append(kMissingFileMessage);
  }
  output.results.append(formatResult(converter.settings().toCoordType, result.coordinates, formatter));
}

bool writeAll(std::string_view text, std::FILE* file) {
  return text.empty() || std::fwrite(text.data(), 1, text.size(), file) == text.size();
}

// Messages first: they are written as the points are converted, before the results leave the
// output buffer. Only the results decide success: a closed or full standard error never cut a run short.
bool writeBlock(const BlockOutput& output, std::FILE* out, std::FILE* err) {
  writeAll(output.messages, err);
  return writeAll(output.results, out) && std::ferror(out) == 0;
}

StreamOutcome convertOnThisThread(const Converter& converter, LineReader& reader, std::FILE* out,
                                  std::FILE* err) {
  InputBlock block;
  BlockOutput output;
  for (;;) {
    const ReadStatus status = reader.readBlock(block);
    if (status == ReadStatus::kEnd) return StreamOutcome::kCompleted;
    if (status == ReadStatus::kError) return StreamOutcome::kReadError;
    output.results.clear();
    output.messages.clear();
    convertBlock(converter, block, output);
    if (!writeBlock(output, out, err)) return StreamOutcome::kWriteError;
  }
}

class WorkerPool {
 public:
  // Throws std::system_error when not one worker could be started.
  WorkerPool(const Converter& converter, unsigned workers)
      : converter_(converter), slots_(workers * kSlotsPerWorker) {
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

  StreamOutcome run(LineReader& reader, std::FILE* out, std::FILE* err) {
    std::size_t nextRead = 0;   // sequence number of the next block to read
    std::size_t nextWrite = 0;  // sequence number of the next block to write
    bool inputEnded = false;
    StreamOutcome outcome = StreamOutcome::kCompleted;
    for (;;) {
      // Write every finished block at the head of the ring, in order.
      while (nextWrite < nextRead && isDone(nextWrite)) {
        Slot& slot = slotOf(nextWrite);
        const bool written = writeBlock(slot.output, out, err);
        setState(slot, State::kFree);
        ++nextWrite;
        if (!written) return drain(nextWrite, nextRead, StreamOutcome::kWriteError);
      }
      if (inputEnded && nextWrite == nextRead) return outcome;
      if (!inputEnded && nextRead - nextWrite < slots_.size()) {
        Slot& slot = slotOf(nextRead);  // free: every block before it in this slot was written
        const ReadStatus status = reader.readBlock(slot.input);
        if (status == ReadStatus::kLines) {
          queue(nextRead);
          ++nextRead;
        } else {
          inputEnded = true;
          if (status == ReadStatus::kError) outcome = StreamOutcome::kReadError;
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
      slot.output.results.clear();
      slot.output.messages.clear();
      convertBlock(converter_, slot.input, slot.output);
      {
        const std::lock_guard<std::mutex> lock(mutex_);
        slot.state = State::kDone;
      }
      done_.notify_all();
    }
  }

  const Converter& converter_;
  std::vector<Slot> slots_;
  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable queued_;  // a block was queued, or the pool is stopping
  std::condition_variable done_;    // a block was converted
  std::deque<std::size_t> pending_;
  bool stopping_ = false;
};

}  // namespace

void convertPoint(const Converter& converter, const Coordinates& point, BlockOutput& output) {
  LineFormatter formatter;
  convertInto(converter, point, formatter, output);
}

void convertBlock(const Converter& converter, const InputBlock& block, BlockOutput& output) {
  LineFormatter formatter;
  const CoordType fromCoordType = converter.settings().fromCoordType;
  block.forEachLine([&](const LineFields& line) {
    if (const std::optional<Coordinates> point = pointOfLine(line, fromCoordType)) {
      convertInto(converter, *point, formatter, output);
    }
  });
}

StreamOutcome convertStream(const Converter& converter, LineReader& reader, unsigned threads, std::FILE* out,
                            std::FILE* err) {
  if (threads > 1) {
    std::optional<WorkerPool> pool;
    try {
      pool.emplace(converter, std::min(threads, kMaxThreads));
    } catch (const std::system_error&) {
      pool.reset();  // no thread could be started: the calling thread converts alone
    }
    if (pool) return pool->run(reader, out, err);
  }
  return convertOnThisThread(converter, reader, out, err);
}

unsigned defaultThreadCount() {
  // The processors this process may run on, which a container or taskset may limit below the machine's.
  cpu_set_t allowed;
  if (sched_getaffinity(0, sizeof allowed, &allowed) == 0)
    return static_cast<unsigned>(std::max(1, CPU_COUNT(&allowed)));
  return std::max(1U, std::thread::hardware_concurrency());
}

}  // namespace velmora
