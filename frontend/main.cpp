#include <array>
#include <csignal>
#include <cstdio>
#include <string_view>
#include <vector>

#include "app/run_driver.hpp"

namespace {

// Results are written through one large buffer: a run of a million points must not pay for a
// write per line. Static, so it outlives the final flush at exit.
std::array<char, 1 << 16> outputBuffer;

}  // namespace

int main(int argc, char** argv) {
  // Past a file-size limit a write then fails with "File too large", which the run reports (an output
  // file's temporary removed), instead of the signal ending the program and leaving it behind.
  std::signal(SIGXFSZ, SIG_IGN);
  std::setvbuf(stdout, outputBuffer.data(), _IOFBF, outputBuffer.size());
  const std::vector<std::string_view> args(argv, argv + argc);
  return velmora::runVelmora(args, stdout, stderr);
}
