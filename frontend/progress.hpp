// --progress: one line on standard error, rewritten in place a few times a second while a file is
// converted (points done, bytes read of the input's size when it is known, points per second, time
// left), and a last line at the end. Where standard error is no terminal only the last line is written.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace velmora {

class Progress {
 public:
  // inputBytes: the size of the input, when it is a regular file.
  Progress(std::FILE* err, std::optional<std::uint64_t> inputBytes, bool terminal);

  // After a block is written: its lines, and the bytes of input read so far.
  void advance(std::uint64_t lines, std::uint64_t bytesRead);
  // Before messages are written: the line in place is cleared so that they start a line of their own.
  void clearLine();
  // The last line.
  void finish();

 private:
  using Clock = std::chrono::steady_clock;
  void write(const std::string& text);

  std::FILE* err_;
  std::optional<std::uint64_t> inputBytes_;
  bool terminal_;
  Clock::time_point start_;
  Clock::time_point lastShown_;
  std::uint64_t points_ = 0;
  std::uint64_t bytesRead_ = 0;
  bool lineShown_ = false;
};

}  // namespace velmora
