#include "frontend/run_driver.hpp"

#include <cerrno>
#include <memory>
#include <string>
#include <system_error>

#include "frontend/block_runner.hpp"
#include "frontend/command_line.hpp"
#include "frontend/input_lines.hpp"
#include "frontend/program_folder.hpp"

namespace velmora {
namespace {

constexpr std::string_view kCannotOpenInput = "Could not open input file\n";
constexpr std::string_view kCannotWriteOutput = "velmora: cannot write standard output: ";

struct InputFileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// Every write to out starts with errno cleared, so that finish never blames a failed write on
// the error of an earlier call (a geoid file that could not be opened, say).
int usage(std::FILE* out) {
  errno = 0;
  printUsage(out);
  return kExitFailure;
}

int cannotReadInput(std::FILE* out) {
  errno = 0;
  std::fwrite(kCannotOpenInput.data(), 1, kCannotOpenInput.size(), out);
  return kExitFailure;
}

// Output that never reached its destination (a full disk, a closed pipe with SIGPIPE ignored) is
// no success, and says so on err. written is false when a write already failed; errno then
// still holds its error, unless the flush gives a newer one.
int finish(std::FILE* out, std::FILE* err, int status, bool written = true) {
  int error = errno;
  if (std::fflush(out) != 0) {
    error = errno;
  } else if (written && std::ferror(out) == 0) {
    return status;
  }
  const std::string message =
      std::string(kCannotWriteOutput) + std::generic_category().message(error != 0 ? error : EIO) + '\n';
  std::fwrite(message.data(), 1, message.size(), err);
  return kExitFailure;
}

}  // namespace

int runVelmora(std::span<const std::string_view> args, std::FILE* out, std::FILE* err) {
  if (args.size() <= 1) return finish(out, err, usage(out));
  CommandLine line = scanCommandLine(args);
  if (line.missingValue) return finish(out, err, usage(out));

  std::optional<Coordinates> single;
  if (!line.useInputFile) {
    single = positionalPoint(line.positionals, line.settings.fromCoordType);
    if (!single) return finish(out, err, usage(out));
  }
  const std::unique_ptr<std::FILE, InputFileCloser> input(
      line.useInputFile ? std::fopen(line.inputFile.c_str(), "r") : nullptr);
  if (line.useInputFile && !input) return finish(out, err, cannotReadInput(out));

  line.settings.gridFolder = programFolder(line.programPath);
  const Converter converter(line.settings);

  if (single) {
    BlockOutput output;
    convertPoint(converter, *single, output);
    std::fwrite(output.messages.data(), 1, output.messages.size(), err);
    errno = 0;
    const bool written =
        std::fwrite(output.results.data(), 1, output.results.size(), out) == output.results.size();
    return finish(out, err, kExitSuccess, written);
  }

  LineReader reader(input.get());
  const unsigned threads = line.threads > 0 ? line.threads : defaultThreadCount();
  errno = 0;
  const StreamOutcome outcome = convertStream(converter, reader, threads, out, err);
  if (outcome == StreamOutcome::kReadError) {
    // The results before the failed read go out before the message that follows them.
    if (std::fflush(out) != 0) return finish(out, err, kExitFailure, false);
    return finish(out, err, cannotReadInput(out));
  }
  return finish(out, err, kExitSuccess, outcome == StreamOutcome::kCompleted);
}

}  // namespace velmora
