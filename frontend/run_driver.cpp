#include "frontend/run_driver.hpp"

#include "frontend/command_line.hpp"
#include "frontend/input_points.hpp"
#include "frontend/point_loop.hpp"

namespace velmora {
namespace {

constexpr std::string_view kCannotOpenInput = "Could not open input file\n";

int usage(std::FILE* out) {
  printUsage(out);
  return kExitFailure;
}

}  // namespace

int runVelmora(std::span<const std::string_view> args, std::FILE* out) {
  if (args.size() <= 1) return usage(out);
  const CommandLine line = scanCommandLine(args);
  if (line.missingValue) return usage(out);

  InputPoints points;
  if (line.useInputFile) {
    if (!readInputFile(line.inputFile, line.request.fromCoordType, points)) {
      std::fwrite(kCannotOpenInput.data(), 1, kCannotOpenInput.size(), out);
      return kExitFailure;
    }
  } else if (!addPositionalPoint(line.positionals, line.request.fromCoordType, points)) {
    return usage(out);
  }

  convertPoints(line.request, points, out);
  // Results that never reached their destination (a full disk, a closed pipe) are no success.
  if (std::fflush(out) != 0 || std::ferror(out) != 0) return kExitFailure;
  return kExitSuccess;
}

}  // namespace velmora
