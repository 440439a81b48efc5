// velmora-grid: inspects, samples and converts NTv2 grid files (see tools/grid_tool.hpp).
#include <cstdio>
#include <string_view>
#include <vector>

#include "tools/grid_tool.hpp"

int main(int argc, char** argv) {
  const std::vector<std::string_view> arguments(argv + 1, argv + argc);
  const velmora::GridToolResult result = velmora::runGridTool(arguments);
  std::fwrite(result.out.data(), 1, result.out.size(), stdout);
  std::fwrite(result.err.data(), 1, result.err.size(), stderr);
  // A report that did not reach its reader (a full disk, a closed pipe) is a failure.
  if (std::fflush(stdout) != 0 && result.status == velmora::kToolSuccess) return velmora::kToolFailure;
  return result.status;
}
