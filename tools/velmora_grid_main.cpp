// velmora-grid: inspects, samples and converts NTv2 grid files (see tools/grid_tool.hpp).
#include <unistd.h>

#include <csignal>
#include <string_view>
#include <vector>

#include "tools/grid_tool.hpp"

int main(int argc, char** argv) {
  // Past a file-size limit a write then fails with "File too large", which convert reports after
  // removing its unfinished file, instead of the signal ending the program and leaving it behind.
  std::signal(SIGXFSZ, SIG_IGN);
  const std::vector<std::string_view> arguments(argv + 1, argv + argc);
  return velmora::writeGridToolResult(velmora::runGridTool(arguments), STDOUT_FILENO, STDERR_FILENO);
}
