#include "app/run_driver.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "app/block_runner.hpp"
#include "app/command_line.hpp"
#include "app/input_lines.hpp"
#include "app/output_file.hpp"
#include "velmora/app/grid_problems.hpp"
#include "velmora/app/help_text.hpp"
#include "velmora/app/program_folder.hpp"
#include "velmora/app/run_tally.hpp"
#include "velmora/app/run_warnings.hpp"
#include "velmora/deformation/deformation_model.hpp"
#include "velmora/gridfile/grid_file.hpp"
#include "velmora/version.hpp"

namespace velmora {
namespace {

constexpr std::string_view kCannotOpenInput = "Could not open input file\n";
constexpr std::string_view kCannotWriteOutput = "velmora: cannot write standard output: ";

struct InputFileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

std::string reason(int error) {
  return std::generic_category().message(error != 0 ? error : EIO);
}

// The error of a write or flush that failed: errno as the failing call left it, EIO when it left
// none. Taken at once, before any other call (a grid file looked up for the summary, say) can
// replace errno, and carried from there to the message.
int failedWriteError() {
  return errno != 0 ? errno : EIO;
}

// Writes text to file: 0, or the error of the failed write.
int writeText(std::string_view text, std::FILE* file) {
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), file) == text.size()) return 0;
  return failedWriteError();
}

// Output that never reached its destination (a full disk, a file too large, a closed pipe with
// SIGPIPE ignored) is no success, and says so on err with the reason. writeError: the error of a
// write to out that already failed, taken when it failed; 0 for none, and then the final flush
// may find one.
int finish(std::FILE* out, std::FILE* err, int status, int writeError = 0) {
  errno = 0;
  if (std::fflush(out) != 0 && writeError == 0) writeError = failedWriteError();
  if (writeError == 0 && std::ferror(out) != 0) writeError = EIO;  // a failure none saw: no reason kept
  if (writeError == 0) return status;
  writeText(std::string(kCannotWriteOutput) + reason(writeError) + '\n', err);
  return kExitFailure;
}

int usage(std::FILE* out, std::FILE* err) {
  errno = 0;
  printUsage(out);
  return finish(out, err, kExitFailure, std::ferror(out) != 0 ? failedWriteError() : 0);
}

int cannotReadInput(std::FILE* out, std::FILE* err) {
  return finish(out, err, kExitFailure, writeText(kCannotOpenInput, out));
}

// An option-level error of --strict: one message, no output, exit status 1.
int optionError(std::string_view message, std::FILE* out, std::FILE* err) {
  writeText(std::string("velmora: ").append(message).append("\n"), err);
  return finish(out, err, kExitFailure);
}

int printHelp(std::FILE* out, std::FILE* err) {
  return finish(out, err, kExitSuccess, writeText(kHelpText, out));
}

int printVersion(std::FILE* out, std::FILE* err) {
  return finish(out, err, kExitSuccess,
                writeText(std::string("velmora ")
                              .append(kVersion)
                              .append("\ngrid formats read: ")
                              .append(gridFormatsRead())
                              .append("\n")
                              // Only a build without a JSON parser says so: the default's text stays.
                              .append(deformationModelsSupported()
                                          ? ""
                                          : "deformation models: none (built without a JSON parser)\n"),
                          out));
}

// Where the results go: standard output, or the file of --outputFile, renamed into place only when
// the run completes.
class Results {
 public:
  Results(const CommandLine& line, std::FILE* out, std::FILE* err) : line_(line), out_(out), err_(err) {}

  // False, after the message, when the output file cannot be made.
  bool open() {
    if (!line_.useOutputFile) return true;
    if (const std::error_code error = file_.create(line_.outputFile)) {
      // ELOOP's own text speaks of levels; the user made links.
      const std::string why = error == std::errc::too_many_symbolic_link_levels
                                  ? "its symbolic links lead round in a loop"
                                  : error.message();
      writeText("velmora: cannot write output file '" + line_.outputFile + "': " + why + "\n", err_);
      return false;
    }
    return true;
  }

  std::FILE* stream() const { return line_.useOutputFile ? file_.stream() : out_; }

  // The exit status of a run that wrote all it had, or whose write failed with writeError (an
  // errno, taken when it failed): then an output file is not put in place.
  int complete(int status, int writeError) {
    if (!line_.useOutputFile) return finish(out_, err_, status, writeError);
    const std::error_code error =
        writeError != 0 ? std::error_code(writeError, std::generic_category()) : file_.commit();
    if (!error) return finish(out_, err_, status);
    writeText("velmora: cannot write output file '" + line_.outputFile + "': " + reason(error.value()) + "\n",
              err_);
    return finish(out_, err_, kExitFailure);
  }

 private:
  const CommandLine& line_;
  std::FILE* out_;
  std::FILE* err_;
  OutputFile file_;
};

// The size of the input when it is a regular file, for the progress line.
std::optional<std::uint64_t> regularFileSize(std::FILE* input) {
  struct stat status {};
  if (::fstat(::fileno(input), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  return static_cast<std::uint64_t>(status.st_size);
}

}  // namespace

int runVelmora(std::span<const std::string_view> args, std::FILE* out, std::FILE* err,
               StreamProgress* observer) {
  if (args.size() <= 1) return usage(out, err);
  CommandLine line = scanCommandLine(args);
  if (line.help) return printHelp(out, err);
  if (line.version) return printVersion(out, err);
  const OptionVerdict verdict =
      judgeOptions(line, line.strict ? OptionPolicy::kStrict : OptionPolicy::kLax, positionalProblems(line));
  if (!verdict.errors.empty()) return optionError(verdict.errors.front(), out, err);
  const bool warn = !line.strict && !line.quiet;
  if (warn) {
    for (const std::string& warning : verdict.warnings) writeWarning(warning, err);
  }
  if (line.missingValue) return usage(out, err);
  if (!line.useInputFile && line.positionals.size() < 2) return usage(out, err);
  const bool recordOptions = line.columns || line.skipLines > 0 || !line.comment.empty();
  if (!line.useInputFile && recordOptions) {
    return optionError("--columns, --skipLines and --comment read lines of an --inputFile", out, err);
  }

  // Messages about files name them and say why, where they say anything beyond the fixed text.
  const bool explain = line.strict || line.summary;
  const bool fromStandardInput = line.useInputFile && line.inputFile == "-";
  const std::string inputName = fromStandardInput ? "standard input" : line.inputFile;
  const std::unique_ptr<std::FILE, InputFileCloser> opened(
      line.useInputFile && !fromStandardInput ? std::fopen(line.inputFile.c_str(), "r") : nullptr);
  std::FILE* const input = fromStandardInput ? stdin : opened.get();
  if (line.useInputFile && input == nullptr) {
    const int error = errno;
    if (explain)
      writeText("velmora: cannot open input file '" + inputName + "': " + reason(error) + "\n", err);
    return cannotReadInput(out, err);
  }

  applyGridFolders(gridSearchFolders(line.gridFolder, line.programPath), line.settings);
  const Converter converter(line.settings);
  if (line.strict) {
    if (const std::optional<std::string> problem = gridProblem(converter))
      return optionError(*problem, out, err);
  } else if (warn) {
    for (const std::string& problem : gridProblems(converter)) writeWarning(problem, err);
  }
  Results results(line, out, err);
  if (!results.open()) return finish(out, err, kExitFailure);

  const PointOptions options{.strict = line.strict,
                             .showMethod = line.showMethod,
                             .showAccuracy = line.showAccuracy,
                             .form = line.form,
                             .tally = explain,
                             .warnings = warn,
                             .inputName = inputName,
                             .records = recordOptions || line.delimiter != Delimiter::kComma,
                             .record = RecordOptions{line.columns, line.delimiter, line.skipLines,
                                                     line.comment, line.epochColumn, line.zoneColumn}};
  RunTally tally;
  // The summary was asked for: one that cannot be written fails the run (other messages on err do
  // not).
  const auto status = [&](int completed) {
    if (line.useInputFile) writeWarningSummary(tally.warnings, err);
    const bool reported =
        !line.summary || writeSummary(converter, tally, line.strict, line.useInputFile, err);
    return (line.strict && tally.failed > 0) || !reported ? kExitFailure : completed;
  };

  if (!line.useInputFile) {
    BlockOutput output;
    convertArguments(converter, options,
                     line.positionals.first(std::min<std::size_t>(line.positionals.size(), 3)), output);
    writeNewWarnings(tally.warnings, output.tally.warnings, err);
    tally.merge(output.tally);
    std::replace(output.results.begin(), output.results.end(), ',', delimiterChar(line.delimiter));
    std::fwrite(output.messages.data(), 1, output.messages.size(), err);
    const int writeError = writeText(output.results, results.stream());
    return results.complete(status(kExitSuccess), writeError);
  }

  LineReader reader(input, options.records);
  const unsigned threads = line.threads > 0 ? line.threads : defaultThreadCount();
  std::optional<Progress> progress;
  if (line.progress) {
    progress.emplace(err, regularFileSize(input), ::isatty(::fileno(err)) == 1,
                     ::isatty(::fileno(results.stream())) == 1);
  }
  const StreamResult stream = convertStream(converter, options, reader, threads, results.stream(), err, tally,
                                            progress ? &*progress : observer);
  if (progress) progress->finish();
  if (stream.outcome == StreamOutcome::kReadError) {
    // The results before the failed read go out before the message that follows them; an output
    // file is not put in place.
    if (!line.useOutputFile) {
      errno = 0;
      if (std::fflush(out) != 0) return finish(out, err, kExitFailure, failedWriteError());
    }
    if (explain) {
      writeText("velmora: cannot read input file '" + inputName + "': " + reason(reader.readError()) + "\n",
                err);
    }
    status(kExitFailure);
    return cannotReadInput(out, err);
  }
  if (stream.outcome == StreamOutcome::kLineTooLong) {
    writeText("velmora: " + inputName + " line " + std::to_string(reader.tooLongLineNumber()) +
                  ": longer than 1 MiB; lines are read whole with --columns, --delimiter, --skipLines or "
                  "--comment\n",
              err);
    status(kExitFailure);
    return finish(out, err, kExitFailure);
  }
  return results.complete(status(kExitSuccess), stream.writeError);
}

}  // namespace velmora
