#include "frontend/run_driver.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "frontend/block_runner.hpp"
#include "frontend/command_line.hpp"
#include "frontend/help_text.hpp"
#include "frontend/input_lines.hpp"
#include "frontend/program_folder.hpp"
#include "frontend/run_tally.hpp"
#include "velmora/version.hpp"

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

namespace {

void writeText(std::string_view text, std::FILE* file) {
  std::fwrite(text.data(), 1, text.size(), file);
}

// An option-level error of --strict: one message, no output, exit status 1.
int optionError(std::string_view message, std::FILE* out, std::FILE* err) {
  errno = 0;
  writeText(std::string("velmora: ").append(message).append("\n"), err);
  return finish(out, err, kExitFailure);
}

std::string absolutePath(const std::string& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return error ? path : absolute.lexically_normal().string();
}

// A grid or geoid the run needs that did not open, or grids asked for where none serves, in the
// words of --strict.
std::optional<std::string> gridProblem(const Converter& converter) {
  const ConversionSettings& settings = converter.settings();
  const bool datumGrid = converter.gridState(GridId::kAgd66).needed ||
                         converter.gridState(GridId::kAgd84).needed ||
                         converter.gridState(GridId::kGda2020).needed;
  if (settings.useGridShift && !datumGrid) {
    return "--useGridShift: no grid file serves " + std::string(datumName(settings.fromDatum)) + " to " +
           std::string(datumName(settings.toDatum));
  }
  constexpr std::array<GridId, kGridIdCount> kGrids{GridId::kAgd66,      GridId::kAgd84,
                                                    GridId::kGda2020,    GridId::kAusGeoid2020,
                                                    GridId::kAusGeoid09, GridId::kAusGeoid98};
  for (const GridId id : kGrids) {
    const GridState& state = converter.gridState(id);
    if (!state.needed || state.grid != nullptr) continue;
    const bool geoid = id == GridId::kAusGeoid2020 || id == GridId::kAusGeoid09 || id == GridId::kAusGeoid98;
    const char* message = gridErrorMessage(state.error);
    return "cannot use " + std::string(geoid ? "the geoid file '" : "the grid file '") +
           absolutePath(state.path) + "' (needed " + (geoid ? "for the heights" : "by --useGridShift") +
           "): error " + std::to_string(state.error) + ": " +
           (message != nullptr ? message : "unknown error");
  }
  return std::nullopt;
}

int printVersion(std::FILE* out, std::FILE* err) {
  errno = 0;
  writeText(std::string("velmora ").append(kVersion).append("\n"), out);
  return finish(out, err, kExitSuccess);
}

int printHelp(std::FILE* out, std::FILE* err) {
  errno = 0;
  writeText(kHelpText, out);
  return finish(out, err, kExitSuccess);
}

}  // namespace

int runVelmora(std::span<const std::string_view> args, std::FILE* out, std::FILE* err) {
  if (args.size() <= 1) return finish(out, err, usage(out));
  CommandLine line = scanCommandLine(args);
  if (line.help) return printHelp(out, err);
  if (line.version) return printVersion(out, err);
  if (!line.errors.empty()) return optionError(line.errors.front(), out, err);
  if (line.strict) {
    if (!line.problems.empty()) return optionError(line.problems.front(), out, err);
    const std::vector<std::string> problems = settingsProblems(line);
    if (!problems.empty()) return optionError(problems.front(), out, err);
  }
  if (line.missingValue) return finish(out, err, usage(out));
  if (!line.useInputFile && line.positionals.size() < 2) return finish(out, err, usage(out));

  const std::unique_ptr<std::FILE, InputFileCloser> input(
      line.useInputFile ? std::fopen(line.inputFile.c_str(), "r") : nullptr);
  if (line.useInputFile && !input) {
    const int error = errno;
    if (line.strict || line.summary) {
      writeText("velmora: cannot open input file '" + line.inputFile +
                    "': " + std::generic_category().message(error) + "\n",
                err);
    }
    return finish(out, err, cannotReadInput(out));
  }

  line.settings.gridFolders = gridSearchFolders(line.gridFolder, line.programPath);
  line.settings.gridFiles = line.gridFiles;
  const Converter converter(line.settings);
  if (line.strict) {
    if (const std::optional<std::string> problem = gridProblem(converter))
      return optionError(*problem, out, err);
  }

  const PointOptions options{line.strict, line.showMethod, line.strict || line.summary, line.inputFile};
  RunTally tally;
  const auto status = [&](int completed) {
    if (line.summary) writeSummary(converter, tally, line.strict, line.useInputFile, err);
    return line.strict && tally.failed > 0 ? kExitFailure : completed;
  };

  if (!line.useInputFile) {
    BlockOutput output;
    convertArguments(converter, options,
                     line.positionals.first(std::min<std::size_t>(line.positionals.size(), 3)), output);
    tally.merge(output.tally);
    std::fwrite(output.messages.data(), 1, output.messages.size(), err);
    errno = 0;
    const bool written =
        std::fwrite(output.results.data(), 1, output.results.size(), out) == output.results.size();
    return finish(out, err, status(kExitSuccess), written);
  }

  LineReader reader(input.get());
  const unsigned threads = line.threads > 0 ? line.threads : defaultThreadCount();
  errno = 0;
  const StreamOutcome outcome = convertStream(converter, options, reader, threads, out, err, tally);
  if (outcome == StreamOutcome::kReadError) {
    // The results before the failed read go out before the message that follows them.
    if (std::fflush(out) != 0) return finish(out, err, kExitFailure, false);
    if (line.strict || line.summary) {
      writeText("velmora: cannot read input file '" + line.inputFile +
                    "': " + std::generic_category().message(errno != 0 ? errno : EIO) + "\n",
                err);
    }
    status(kExitFailure);
    return finish(out, err, cannotReadInput(out));
  }
  return finish(out, err, status(kExitSuccess), outcome == StreamOutcome::kCompleted);
}

}  // namespace velmora
