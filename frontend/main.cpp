#include <array>
#include <cstdio>
#include <string_view>
#include <vector>

#include "frontend/run_driver.hpp"

namespace {

// Results are written through one large buffer: a run of a million points must not pay for a
// write per line. Static, so it outlives the final flush at exit.
std::array<char, 1 << 16> outputBuffer;

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, outputBuffer.data(), _IOFBF, outputBuffer.size());
  const std::vector<std::string_view> args(argv, argv + argc);
  return velmora::runVelmora(args, stdout, stderr);
}
