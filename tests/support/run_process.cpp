#include "tests/support/run_process.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace velmora {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// The caller's environment with the changes applied, in the caller's order, new names last.
std::vector<std::string> childEnvironment(const std::vector<std::string>& changes) {
  std::vector<std::string> entries;
  for (char** entry = environ; *entry != nullptr; ++entry) entries.emplace_back(*entry);
  for (const std::string& change : changes) {
    const std::string name = change.substr(0, change.find('='));
    std::erase_if(entries, [&](const std::string& entry) {
      return entry.size() > name.size() && entry.compare(0, name.size(), name) == 0 &&
             entry[name.size()] == '=';
    });
    if (change.size() > name.size()) entries.push_back(change);
  }
  return entries;
}

std::string readAll(std::FILE* file) {
  std::string text;
  std::rewind(file);
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, got);
  return text;
}

// Child side, between fork and exec: only system calls.
[[noreturn]] void execChild(const std::string& executable, std::vector<char*>& argv,
                            std::vector<char*>& environment, const ProcessOptions& options, int outFd,
                            int errFd) {
  const int in = ::open(options.standardInputFile.c_str(), O_RDONLY);
  if (in < 0 || ::dup2(in, 0) < 0) ::_exit(126);
  if (!options.standardOutputFile.empty()) {
    outFd = ::open(options.standardOutputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (outFd < 0) ::_exit(126);
  }
  if (!options.standardErrorFile.empty()) {
    errFd = ::open(options.standardErrorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (errFd < 0) ::_exit(126);
  }
  if (options.standardOutputClosedPipe) {
    int ends[2];
    if (::pipe(ends) != 0 || ::close(ends[0]) != 0) ::_exit(126);
    outFd = ends[1];
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    if (::sigaction(SIGPIPE, &ignore, nullptr) != 0) ::_exit(126);  // kept across exec
  }
  if (options.standardErrorClosedPipe) {  // SIGPIPE as the caller has it: the default ends the child
    int ends[2];
    if (::pipe(ends) != 0 || ::close(ends[0]) != 0) ::_exit(126);
    errFd = ends[1];
  }
  if (options.fileSizeLimit) {
    const rlimit limit{*options.fileSizeLimit, *options.fileSizeLimit};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(126);
  }
  if (::dup2(outFd, 1) < 0 || ::dup2(errFd, 2) < 0) ::_exit(126);
  if (!options.workingDirectory.empty() && ::chdir(options.workingDirectory.c_str()) != 0) ::_exit(126);
  ::execve(executable.c_str(), argv.data(), environment.data());
  ::_exit(127);
}

}  // namespace

ProcessResult runProcess(const std::string& executable, const std::vector<std::string>& argv,
                         const ProcessOptions& options) {
  ProcessResult result;
  const File out(std::tmpfile());
  const File err(std::tmpfile());
  if (!out || !err) return result;
  std::vector<std::string> copies = argv;  // execv wants mutable strings
  std::vector<char*> pointers;
  pointers.reserve(copies.size() + 1);
  for (std::string& text : copies) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  std::vector<std::string> environment = childEnvironment(options.environment);
  std::vector<char*> environmentPointers;
  environmentPointers.reserve(environment.size() + 1);
  for (std::string& entry : environment) environmentPointers.push_back(entry.data());
  environmentPointers.push_back(nullptr);

  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child < 0) return result;
  if (child == 0)
    execChild(executable, pointers, environmentPointers, options, ::fileno(out.get()), ::fileno(err.get()));

  int waitStatus = 0;
  if (::waitpid(child, &waitStatus, 0) != child) return result;
  if (WIFEXITED(waitStatus)) result.status = WEXITSTATUS(waitStatus);
  if (WIFSIGNALED(waitStatus)) result.status = 128 + WTERMSIG(waitStatus);
  result.standardOutput = readAll(out.get());
  result.standardError = readAll(err.get());
  return result;
}

std::string withoutWarnings(std::string_view text) {
  constexpr std::string_view kWarning = "velmora: warning: ";
  std::string kept;
  while (!text.empty()) {
    const std::size_t newline = text.find('\n');
    const std::string_view line = text.substr(0, newline == std::string_view::npos ? text.size() : newline + 1);
    if (!line.starts_with(kWarning)) kept.append(line);
    text.remove_prefix(line.size());
  }
  return kept;
}

void expectRun(const ProcessResult& result, const ExpectedRun& expected) {
  EXPECT_EQ(result.status, expected.status);
  EXPECT_EQ(result.standardOutput, expected.standardOutput);
  const bool warningsExpected = expected.standardError.find("velmora: warning: ") != std::string::npos;
  EXPECT_EQ(warningsExpected ? result.standardError : withoutWarnings(result.standardError),
            expected.standardError);
}

}  // namespace velmora
