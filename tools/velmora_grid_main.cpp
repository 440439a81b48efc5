// velmora-grid: inspects, samples and converts NTv2 grid files (see tools/grid_tool.hpp).
#include <unistd.h>

#include <string_view>
#include <vector>

#include "tools/grid_tool.hpp"

int main(int argc, char** argv) {
  const std::vector<std::string_view> arguments(argv + 1, argv + argc);
  return velmora::writeGridToolResult(velmora::runGridTool(arguments), STDOUT_FILENO, STDERR_FILENO);
}
