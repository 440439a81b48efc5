#include "app/output_file.hpp"

#include <unistd.h>

#include <array>
#include <csignal>
#include <cstring>

namespace velmora {
namespace {

// A signal handler can reach nothing but static storage: the one piece of process-wide state of the
// program, the name of the temporary file to remove, set while an output file is being written.
constexpr std::size_t kMaxWatchedPath = 4096;
std::array<char, kMaxWatchedPath> watchedPath{};
volatile std::sig_atomic_t watching = 0;

// SIGPIPE too: standard error may be a pipe whose reader went away.
constexpr std::array<int, 5> kEndingSignals{SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE};
constexpr std::size_t kOutputBufferBytes = 1 << 16;

extern "C" void removeTemporaryAndEnd(int signal) {
  if (watching != 0) ::unlink(watchedPath.data());
  // Ended by the same signal, as the caller expects (a shell reports 130 for Ctrl-C).
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

}  // namespace

OutputFile::~OutputFile() {
  if (watched_) watching = 0;
}

std::error_code OutputFile::create(const std::string& fileName) {
  if (const std::error_code error = file_.create(fileName)) return error;
  stream_ = file_.stream();
  if (stream_ == nullptr) return {errno, std::generic_category()};
  buffer_.resize(kOutputBufferBytes);
  std::setvbuf(stream_, buffer_.data(), _IOFBF, buffer_.size());
  const std::string& path = file_.temporaryPath();
  if (!path.empty() && path.size() < watchedPath.size()) {
    std::memcpy(watchedPath.data(), path.c_str(), path.size() + 1);
    watching = 1;
    watched_ = true;
    for (const int signal : kEndingSignals) {
      // A signal the caller chose to ignore (nohup) stays ignored.
      if (std::signal(signal, removeTemporaryAndEnd) == SIG_IGN) std::signal(signal, SIG_IGN);
    }
  }
  return {};
}

std::error_code OutputFile::commit() {
  const std::error_code error = file_.commit();
  if (watched_) watching = 0;
  watched_ = false;
  stream_ = nullptr;
  return error;
}

}  // namespace velmora
