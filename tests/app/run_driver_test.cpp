#include "app/run_driver.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/command_line.hpp"
#include "tests/support/temp_dir.hpp"

namespace velmora {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

struct RunResult {
  int status;
  std::string output;
  std::string errors;
};

std::string contentsOf(std::FILE* file) {
  std::string text;
  std::rewind(file);
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) text.push_back(static_cast<char>(c));
  return text;
}

RunResult run(const std::vector<std::string_view>& args) {
  const File out(std::tmpfile());
  const File err(std::tmpfile());
  EXPECT_NE(out, nullptr);
  EXPECT_NE(err, nullptr);
  const int status = runVelmora(args, out.get(), err.get());
  return {status, contentsOf(out.get()), contentsOf(err.get())};
}

std::string usageText() {
  std::string text;
  for (const std::string_view line : kUsageLines) text.append(line);
  return text;
}

TEST(RunDriver, UsageCases) {
  const std::vector<std::vector<std::string_view>> cases = {
      {},
      {"velmora"},
      {"velmora", "--fromdatum"},
      {"velmora", "--usegridshift", "--inputfile"},
      {"velmora", "-33.5"},
      {"velmora", "--fromdatum", "GDA94"},
      {"velmora", "--usegridshift"},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(::testing::Message() << args.size() << " arguments");
    const RunResult result = run(args);
    EXPECT_EQ(result.status, kExitFailure);
    EXPECT_EQ(result.output, usageText());
  }
}

TEST(RunDriver, InputFileThatCannotBeOpened) {
  const TempDir folder;
  const std::string absent = folder.filePath("absent.csv");
  for (const std::string& name : {absent, folder.path(), std::string()}) {
    SCOPED_TRACE(name);
    const RunResult result = run({"velmora", "--inputfile", name, "1", "2"});
    EXPECT_EQ(result.status, kExitFailure);
    EXPECT_EQ(result.output, "Could not open input file\n");
  }
}

TEST(RunDriver, ResultsThatCannotBeWrittenAreAFailureSaidOnStandardError) {
  const File full(std::fopen("/dev/full", "w"));
  const File err(std::tmpfile());
  ASSERT_NE(full, nullptr);
  ASSERT_NE(err, nullptr);
  // Same datum and form on both sides: the point passes unchanged and no grid is needed.
  const std::vector<std::string_view> args{"velmora", "-33.5", "151.25"};
  EXPECT_EQ(runVelmora(args, full.get(), err.get()), kExitFailure);
  EXPECT_EQ(contentsOf(err.get()), "velmora: cannot write standard output: No space left on device\n");
}

TEST(RunDriver, SamePointSameDatumPassesUnchanged) {
  const RunResult result =
      run({"velmora", "--fromdatum", "GDA94", "--todatum", "GDA94", "-33.5", "151.25", "12.5"});
  EXPECT_EQ(result.status, kExitSuccess);
  EXPECT_EQ(result.output, "-33.50000000,151.25000000,12.500\n");
}

}  // namespace
}  // namespace velmora
