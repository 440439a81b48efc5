#include "frontend/run_driver.hpp"

#include <memory>

#include "frontend/block_runner.hpp"
#include "frontend/command_line.hpp"
#include "frontend/input_lines.hpp"
#include "frontend/program_folder.hpp"

namespace velmora {
namespace {

constexpr std::string_view kCannotOpenInput = "Could not open input file\n";

struct InputFileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

int usage(std::FILE* out) {
  printUsage(out);
  return kExitFailure;
}

int cannotReadInput(std::FILE* out) {
  std::fwrite(kCannotOpenInput.data(), 1, kCannotOpenInput.size(), out);
  return kExitFailure;
}

// Results that never reached their destination (a full disk, a closed pipe) are no success.
int finish(std::FILE* out, bool written) {
  if (std::fflush(out) != 0 || std::ferror(out) != 0 || !written) return kExitFailure;
  return kExitSuccess;
}

}  // namespace

int runVelmora(std::span<const std::string_view> args, std::FILE* out, std::FILE* err) {
  if (args.size() <= 1) return usage(out);
  CommandLine line = scanCommandLine(args);
  if (line.missingValue) return usage(out);

  std::optional<Coordinates> single;
  if (!line.useInputFile) {
    single = positionalPoint(line.positionals, line.settings.fromCoordType);
    if (!single) return usage(out);
  }
  const std::unique_ptr<std::FILE, InputFileCloser> input(
      line.useInputFile ? std::fopen(line.inputFile.c_str(), "r") : nullptr);
  if (line.useInputFile && !input) return cannotReadInput(out);

  line.settings.gridFolder = programFolder(line.programPath);
  const Converter converter(line.settings);

  if (single) {
    BlockOutput output;
    convertPoint(converter, *single, output);
    std::fwrite(output.messages.data(), 1, output.messages.size(), err);
    const bool written =
        std::fwrite(output.results.data(), 1, output.results.size(), out) == output.results.size();
    return finish(out, written);
  }

  LineReader reader(input.get());
  const unsigned threads = line.threads > 0 ? line.threads : defaultThreadCount();
  const StreamOutcome outcome = convertStream(converter, reader, threads, out, err);
  if (outcome == StreamOutcome::kReadError) {
    std::fflush(out);
    return cannotReadInput(out);
  }
  return finish(out, outcome == StreamOutcome::kCompleted);
}

}  // namespace velmora
