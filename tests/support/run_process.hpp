// Running a program as a child process with captured standard output and standard error.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

struct ProcessResult {
  int status = -1;  // exit status; 128 + signal number when the child was killed; -1 when not started
  std::string standardOutput;
  std::string standardError;
};

struct ProcessOptions {
  std::filesystem::path workingDirectory;  // the child's current directory; empty: the caller's
  std::string standardOutputFile;          // standard output goes to this file instead of being captured
  std::string standardErrorFile;           // standard error goes to this file instead of being captured
  std::string standardInputFile = "/dev/null";
  bool standardOutputClosedPipe = false;       // standard output is a pipe nobody reads, SIGPIPE ignored
  bool standardErrorClosedPipe = false;        // standard error is a pipe nobody reads
  std::optional<std::uint64_t> fileSizeLimit;  // the child's RLIMIT_FSIZE in bytes; SIGXFSZ as it is
  // Changes to the caller's environment for the child: "NAME=VALUE" sets NAME, "NAME" removes it.
  std::vector<std::string> environment;
};

// Executes the file executable with the argument vector argv (argv[0] included, which may differ
// from the file's name, as after a search-path lookup by a shell) and waits for it.
ProcessResult runProcess(const std::string& executable, const std::vector<std::string>& argv,
                         const ProcessOptions& options = {});

// What a run must give: the exit status and both streams, byte for byte.
struct ExpectedRun {
  int status = 0;
  std::string standardOutput;
  std::string standardError;
};

// The text without its lines that start "velmora: warning: ".
std::string withoutWarnings(std::string_view text);

// Records a GoogleTest failure for each of the three that differs from expected. Standard error is
// compared whole when expected holds a warning, else without its warnings: the warnings of a run
// without --strict are checked where they are the subject, not in every test of a result.
void expectRun(const ProcessResult& result, const ExpectedRun& expected);

}  // namespace velmora
