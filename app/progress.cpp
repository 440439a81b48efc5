#include "app/progress.hpp"

#include <cinttypes>

namespace velmora {
namespace {

constexpr auto kRefreshInterval = std::chrono::milliseconds(250);  // four lines a second
constexpr std::string_view kClearToEnd = "\x1b[K";                 // erase the rest of the line
constexpr double kBytesPerMegabyte = 1e6;
constexpr int kSecondsPerMinute = 60;

std::string formatted(const char* format, double a, double b = 0.0) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, a, b);
  return buffer;
}

std::string duration(double seconds) {
  if (seconds < kSecondsPerMinute) return formatted("%.0f s", seconds);
  const double minutes = static_cast<double>(static_cast<std::int64_t>(seconds / kSecondsPerMinute));
  return formatted("%.0f min %.0f s", minutes, seconds - minutes * kSecondsPerMinute);
}

}  // namespace

Progress::Progress(std::FILE* err, std::optional<std::uint64_t> inputBytes, bool terminal,
                   bool resultsOnTerminal)
    : err_(err),
      inputBytes_(inputBytes),
      terminal_(terminal),
      resultsOnTerminal_(terminal && resultsOnTerminal),
      start_(Clock::now()),
      lastShown_(start_) {}

void Progress::advance(std::uint64_t lines, std::uint64_t bytesRead) {
  lines_ += lines;
  bytesRead_ = bytesRead;
  if (!terminal_) return;
  const Clock::time_point now = Clock::now();
  if (now - lastShown_ < kRefreshInterval) return;
  lastShown_ = now;
  const double seconds = std::chrono::duration<double>(now - start_).count();
  const double rate = seconds > 0.0 ? static_cast<double>(lines_) / seconds : 0.0;
  std::string text = "\rvelmora: " + std::to_string(lines_) + " lines";
  if (inputBytes_ && *inputBytes_ > 0) {
    const double done = static_cast<double>(bytesRead_) / static_cast<double>(*inputBytes_);
    text += formatted(", %.1f of %.1f MB", static_cast<double>(bytesRead_) / kBytesPerMegabyte,
                      static_cast<double>(*inputBytes_) / kBytesPerMegabyte);
    text += formatted(" (%.0f%%)", 100.0 * done);
    text += ", " + formatted("%.0f", rate) + " lines/s";
    if (done > 0.0) text += ", " + duration(seconds * (1.0 - done) / done) + " left";
  } else {
    text += formatted(", %.1f MB read", static_cast<double>(bytesRead_) / kBytesPerMegabyte);
    text += ", " + formatted("%.0f", rate) + " lines/s";
  }
  write(text + std::string(kClearToEnd));
  lineShown_ = true;
}

void Progress::clearLine() {
  if (!lineShown_) return;
  write("\r" + std::string(kClearToEnd));
  lineShown_ = false;
}

void Progress::finish() {
  const double seconds = std::chrono::duration<double>(Clock::now() - start_).count();
  const double rate = seconds > 0.0 ? static_cast<double>(lines_) / seconds : 0.0;
  std::string text = "velmora: " + std::to_string(lines_) + " lines in " + formatted("%.1f s", seconds) +
                     ", " + formatted("%.0f", rate) + " lines/s";
  if (terminal_) text = "\r" + text + std::string(kClearToEnd);
  write(text + "\n");
  lineShown_ = false;
}

void Progress::write(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), err_);
  std::fflush(err_);
}

}  // namespace velmora
