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

#include "common/number_text.hpp"
#include "frontend/angle_format.hpp"
#include "frontend/coordinate_parser.hpp"
#include "frontend/method_name.hpp"
#include "frontend/point_problem.hpp"
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
  std::string method;
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

void appendGeoidMessage(const Converter& converter, const ConversionResult& result, BlockOutput& output) {
  if (result.height.geoidStatus == GeoidStatus::kFileMissing) {
    output.messages.append(converter.gridState(result.height.geoid).path).append(kMissingFileMessage);
  }
}

void convertInto(const Converter& converter, const Coordinates& point, LineFormatter& formatter,
                 BlockOutput& output) {
  const ConversionResult result = converter.transformPoint(point);
  appendGeoidMessage(converter, result, output);
  output.results.append(formatResult(converter.settings().toCoordType, result.coordinates, formatter));
}

// Where a line came from, for messages: a line of the input file, or the positional arguments.
struct LinePlace {
  bool arguments = false;
  std::uint64_t lineNumber = 0;
};

constexpr std::size_t kQuotedFieldBytes = 40;  // longer field texts are cut in messages

// A field's text in a message: without its line ending, cut short, control bytes shown as '?'.
void appendQuoted(std::string_view text, std::string& out) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
  out.push_back('\'');
  for (const char c : text.substr(0, kQuotedFieldBytes)) {
    out.push_back(static_cast<unsigned char>(c) < ' ' || c == 0x7f ? '?' : c);
  }
  if (text.size() > kQuotedFieldBytes) out.append("...");
  out.push_back('\'');
}

// Checks, converts, writes and counts the lines of one block (or the arguments) on one thread.
class LineConverter {
 public:
  LineConverter(const Converter& converter, const PointOptions& options)
      : converter_(converter),
        options_(options),
        fromCoordType_(converter.settings().fromCoordType),
        toCoordType_(converter.settings().toCoordType),
        grid_(fromCoordType_ == CoordType::kEn),
        convertsHeights_(converter.settings().fromHeightType != HeightType::kNone &&
                         converter.settings().toHeightType != HeightType::kNone) {}

  void convert(const LineFields& line, LinePlace place, BlockOutput& output) {
    if (!options_.strict && !options_.tally) {
      if (const std::optional<Coordinates> point = pointOfLine(line, fromCoordType_)) write(*point, output);
      return;
    }
    convertChecked(line, place, output);
  }

 private:
  void write(const Coordinates& point, BlockOutput& output) {
    const ConversionResult result = converter_.transformPoint(point);
    appendGeoidMessage(converter_, result, output);
    writeResult(result, output);
  }

  void writeResult(const ConversionResult& result, BlockOutput& output) {
    const std::string_view line = formatResult(toCoordType_, result.coordinates, formatter_);
    if (!options_.showMethod) {
      output.results.append(line);
      return;
    }
    formatter_.method.clear();
    appendMethodName(converter_, result, formatter_.method);
    output.results.append(line.substr(0, line.size() - 1)).append(",").append(formatter_.method).append("\n");
  }

  CoordinateRole roleOf(std::size_t field) const {
    if (grid_) return field == 0 ? CoordinateRole::kEasting : CoordinateRole::kNorthing;
    return field == 0 ? CoordinateRole::kLatitude : CoordinateRole::kLongitude;
  }

  static std::string_view roleName(CoordinateRole role) {
    switch (role) {
      case CoordinateRole::kLatitude:
        return "latitude";
      case CoordinateRole::kLongitude:
        return "longitude";
      case CoordinateRole::kEasting:
        return "easting";
      case CoordinateRole::kNorthing:
        return "northing";
    }
    return {};
  }

  // "velmora: pts.csv line 3: " or, for the point of the arguments, "velmora: "
  void startMessage(LinePlace place, std::string& out) const {
    out.append("velmora: ");
    if (!place.arguments) {
      out.append(options_.inputName).append(" line ").append(std::to_string(place.lineNumber)).append(": ");
    }
  }

  // "velmora: pts.csv line 3, field 2 (longitude): <problem>, got 'abc'" or
  // "velmora: argument 'abc' (longitude): <problem>"
  void fieldMessage(LinePlace place, std::size_t field, std::string_view what, std::string_view text,
                    std::string_view problem, std::string& out) const {
    out.append("velmora: ");
    if (place.arguments) {
      out.append("argument ");
      appendQuoted(text, out);
      out.append(" (").append(what).append("): ").append(problem);
    } else {
      out.append(options_.inputName)
          .append(" line ")
          .append(std::to_string(place.lineNumber))
          .append(", field ")
          .append(std::to_string(field + 1))
          .append(" (")
          .append(what)
          .append("): ")
          .append(problem)
          .append(", got ");
      appendQuoted(text, out);
    }
    out.push_back('\n');
  }

  // The first problem of the line's text, as a message; false when there is none.
  bool checkFields(const LineFields& line, LinePlace place, Coordinates& point, std::string& message) const {
    if (line.count < 2) {
      startMessage(place, message);
      message.append("expected two coordinates and an optional height, got ");
      if (line.count == 0 || trimSpace(line.fields[0]).empty()) {
        message.append(line.count == 0 ? "no field\n" : "an empty line\n");
      } else {
        message.append("one field\n");
      }
      return true;
    }
    if (line.emptyField) {
      startMessage(place, message);
      message.append("expected no empty field (one comma between fields, none at the ends)\n");
      return true;
    }
    if (line.longField) {
      startMessage(place, message);
      message.append("expected no field longer than ")
          .append(std::to_string(kFieldReadLimitBytes))
          .append(" bytes\n");
      return true;
    }
    bool problem = false;
    std::array<double, 2> values{};
    for (std::size_t k = 0; k < 2; ++k) {
      const CoordinateRole role = roleOf(k);
      const ParsedCoordinate parsed = checkCoordinate(fromCoordType_, role, line.fields[k]);
      values[k] = parsed.value;
      if (parsed.problem != CoordinateProblem::kNone && !problem) {
        problem = true;
        fieldMessage(place, k, roleName(role), line.fields[k],
                     problemText(parsed.problem, fromCoordType_, role), message);
      }
    }
    point = Coordinates{values[0], values[1], line.count == 3 ? readDecimal(line.fields[2]) : 0.0};
    if (problem) return true;
    if (line.count == 3 && !readExactDecimal(line.fields[2])) {
      fieldMessage(place, 2, "height", line.fields[2], "expected a height in metres (a decimal number)",
                   message);
      return true;
    }
    if (line.moreFields) {
      startMessage(place, message);
      message.append("expected at most three fields (two coordinates and a height)\n");
      return true;
    }
    if (line.count == 2 && convertsHeights_) {
      startMessage(place, message);
      message.append("expected a height after the coordinates: heights are converted\n");
      return true;
    }
    return false;
  }

  void fail(std::string_view message, BlockOutput& output) {
    output.messages.append(message);
    // The line keeps its place: every field empty.
    output.results.append(options_.showMethod ? ",,,\n" : ",,\n");
    ++output.tally.failed;
  }

  void convertChecked(const LineFields& line, LinePlace place, BlockOutput& output) {
    ++output.tally.read;
    message_.clear();
    Coordinates point;
    const bool textProblem = checkFields(line, place, point, message_);
    if (line.count < 2 && !options_.strict) {
      ++output.tally.skipped;
      return;
    }
    if (textProblem && options_.strict) return fail(message_, output);

    const ConversionResult result = converter_.transformPoint(point);
    appendGeoidMessage(converter_, result, output);
    const std::size_t problemStart = message_.size();
    startMessage(place, message_);
    const bool pointProblem = describePointProblem(converter_, result, message_);
    if (pointProblem && options_.strict) {
      message_.push_back('\n');
      return fail(std::string_view(message_).substr(problemStart), output);
    }
    if (textProblem || pointProblem) ++output.tally.withProblems;
    ++output.tally.converted;
    writeResult(result, output);
    if (options_.tally) {
      if (!options_.showMethod) {
        formatter_.method.clear();
        appendMethodName(converter_, result, formatter_.method);
      }
      output.tally.addMethod(formatter_.method);
    }
  }

  const Converter& converter_;
  const PointOptions& options_;
  CoordType fromCoordType_;
  CoordType toCoordType_;
  bool grid_;             // source coordinates are easting and northing
  bool convertsHeights_;  // both height types are given
  LineFormatter formatter_;
  std::string message_;
};

bool writeAll(std::string_view text, std::FILE* file) {
  return text.empty() || std::fwrite(text.data(), 1, text.size(), file) == text.size();
}

// Messages first: they are written as the points are converted, before the results leave the
// output buffer. Only the results decide success: a closed or full standard error never cut a run short.
bool writeBlock(const BlockOutput& output, std::FILE* out, std::FILE* err, RunTally& total) {
  total.merge(output.tally);
  writeAll(output.messages, err);
  return writeAll(output.results, out) && std::ferror(out) == 0;
}

void clearOutput(BlockOutput& output) {
  output.results.clear();
  output.messages.clear();
  output.tally.clear();
}

StreamOutcome convertOnThisThread(const Converter& converter, const PointOptions& options, LineReader& reader,
                                  std::FILE* out, std::FILE* err, RunTally& total) {
  InputBlock block;
  BlockOutput output;
  for (;;) {
    const ReadStatus status = reader.readBlock(block);
    if (status == ReadStatus::kEnd) return StreamOutcome::kCompleted;
    if (status == ReadStatus::kError) return StreamOutcome::kReadError;
    clearOutput(output);
    convertBlock(converter, options, block, output);
    if (!writeBlock(output, out, err, total)) return StreamOutcome::kWriteError;
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

  StreamOutcome run(LineReader& reader, std::FILE* out, std::FILE* err, RunTally& total) {
    std::size_t nextRead = 0;   // sequence number of the next block to read
    std::size_t nextWrite = 0;  // sequence number of the next block to write
    bool inputEnded = false;
    StreamOutcome outcome = StreamOutcome::kCompleted;
    for (;;) {
      // Write every finished block at the head of the ring, in order.
      while (nextWrite < nextRead && isDone(nextWrite)) {
        Slot& slot = slotOf(nextWrite);
        const bool written = writeBlock(slot.output, out, err, total);
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

void convertPoint(const Converter& converter, const Coordinates& point, BlockOutput& output) {
  LineFormatter formatter;
  convertInto(converter, point, formatter, output);
}

void convertArguments(const Converter& converter, const PointOptions& options,
                      std::span<const std::string_view> positionals, BlockOutput& output) {
  LineFields line;
  line.count = std::min(positionals.size(), line.fields.size());
  line.moreFields = positionals.size() > line.fields.size();
  std::copy_n(positionals.begin(), line.count, line.fields.begin());
  LineConverter(converter, options).convert(line, LinePlace{true, 0}, output);
}

void convertBlock(const Converter& converter, const PointOptions& options, const InputBlock& block,
                  BlockOutput& output) {
  LineConverter lines(converter, options);
  std::uint64_t lineNumber = block.firstLineNumber();
  block.forEachLine([&](const LineFields& line) {
    lines.convert(line, LinePlace{false, lineNumber++}, output);
  });
}

void convertBlock(const Converter& converter, const InputBlock& block, BlockOutput& output) {
  convertBlock(converter, PointOptions{}, block, output);
}

StreamOutcome convertStream(const Converter& converter, const PointOptions& options, LineReader& reader,
                            unsigned threads, std::FILE* out, std::FILE* err, RunTally& total) {
  if (threads > 1) {
    std::optional<WorkerPool> pool;
    try {
      pool.emplace(converter, options, std::min(threads, kMaxThreads));
    } catch (const std::system_error&) {
      pool.reset();  // no thread could be started: the calling thread converts alone
    }
    if (pool) return pool->run(reader, out, err, total);
  }
  return convertOnThisThread(converter, options, reader, out, err, total);
}

StreamOutcome convertStream(const Converter& converter, LineReader& reader, unsigned threads, std::FILE* out,
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
