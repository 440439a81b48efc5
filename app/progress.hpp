// --progress: one line on standard error, rewritten in place a few times a second while a file is
// converted (lines done, bytes read of the input's size when it is known, lines per second, time
// left), and a last line at the end. Where standard error is no terminal only the last line is written.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace velmora {

// What follows a file's conversion block by block: the progress line of --progress, or a front end's
// own display (a page's progress bar).
class StreamProgress {
 public:
  StreamProgress() = default;
  StreamProgress(const StreamProgress&) = delete;
  StreamProgress& operator=(const StreamProgress&) = delete;
  virtual ~StreamProgress() = default;

  // The results share the display: it is cleared before they are written, and they are flushed at
  // once.
  virtual bool sharesTerminal() const { return false; }
  // After a block is written: its lines, and the bytes of input read so far.
  virtual void advance(std::uint64_t lines, std::uint64_t bytesRead) = 0;
  // Before messages are written: a line in place is cleared so that they start a line of their own.
  virtual void clearLine() {}
};

class Progress final : public StreamProgress {
 public:
  // inputBytes: the size of the input, when it is a regular file. terminal: standard error is one;
  // resultsOnTerminal: the results go to a terminal too, which then shares the line.
  Progress(std::FILE* err, std::optional<std::uint64_t> inputBytes, bool terminal, bool resultsOnTerminal);

  // The results share the terminal: the line is cleared before they are written, and they are
  // flushed at once so that the next line does not end up among them.
  bool sharesTerminal() const override { return resultsOnTerminal_; }

  void advance(std::uint64_t lines, std::uint64_t bytesRead) override;
  void clearLine() override;
  // The last line.
  void finish();

 private:
  using Clock = std::chrono::steady_clock;
  void write(const std::string& text);

  std::FILE* err_;
  std::optional<std::uint64_t> inputBytes_;
  bool terminal_;
  bool resultsOnTerminal_;
  Clock::time_point start_;
  Clock::time_point lastShown_;
  std::uint64_t lines_ = 0;
  std::uint64_t bytesRead_ = 0;
  bool lineShown_ = false;
};

}  // namespace velmora
