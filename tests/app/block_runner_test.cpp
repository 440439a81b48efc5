// The stream of blocks on any number of threads: results in input order, a read failing part way
// keeps the results before it, a failing output ends the run without hanging.
#include "app/block_runner.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>

namespace velmora {
namespace {

// Serves text, then fails every later read with ENXIO.
struct FailingSource {
  std::string text;
  std::size_t at = 0;
};

std::FILE* openFailingSource(FailingSource& source) {
  cookie_io_functions_t functions{};
  functions.read = [](void* cookie, char* buffer, std::size_t size) -> ssize_t {
    auto* s = static_cast<FailingSource*>(cookie);
    if (s->at == s->text.size()) {
      errno = ENXIO;
      return -1;
    }
    const std::size_t n = std::min(size, s->text.size() - s->at);
    std::copy_n(s->text.data() + s->at, n, buffer);
    s->at += n;
    return static_cast<ssize_t>(n);
  };
  return fopencookie(&source, "r", functions);
}

std::string contentsOf(std::FILE* file) {
  std::string text;
  std::rewind(file);
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) text.push_back(static_cast<char>(c));
  return text;
}

TEST(ConvertStream, ReadFailingPartWayKeepsTheResultsBeforeIt) {
  // Same datum and form on both sides: every point passes unchanged.
  const Converter converter(ConversionSettings{});
  FailingSource source;
  std::string expected;
  for (int k = 0; k < 30000; ++k) {  // several reads of the file
    source.text += "-" + std::to_string(k % 90) + ".5," + std::to_string(k % 180) + ".25\n";
    expected += "-" + std::to_string(k % 90) + ".50000000," + std::to_string(k % 180) + ".25000000,0.000\n";
  }
  for (const unsigned threads : {1U, 2U, 7U}) {
    SCOPED_TRACE(threads);
    source.at = 0;
    std::FILE* in = openFailingSource(source);
    std::FILE* out = std::tmpfile();
    ASSERT_NE(in, nullptr);
    ASSERT_NE(out, nullptr);
    LineReader reader(in);
    EXPECT_EQ(convertStream(converter, reader, threads, out, stderr).outcome, StreamOutcome::kReadError);
    EXPECT_EQ(reader.readError(), ENXIO);
    EXPECT_EQ(contentsOf(out), expected);
    std::fclose(in);
    std::fclose(out);
  }
}

TEST(ConvertStream, OutputThatFailsEndsTheRun) {
  const Converter converter(ConversionSettings{});
  FailingSource source;
  for (int k = 0; k < 30000; ++k) source.text += "1,2\n";
  for (const unsigned threads : {1U, 2U, 7U}) {
    SCOPED_TRACE(threads);
    source.at = 0;
    std::FILE* in = openFailingSource(source);
    std::FILE* full = std::fopen("/dev/full", "w");
    ASSERT_NE(full, nullptr);
    std::setvbuf(full, nullptr, _IONBF, 0);
    LineReader reader(in);
    const StreamResult result = convertStream(converter, reader, threads, full, stderr);
    EXPECT_EQ(result.outcome, StreamOutcome::kWriteError);
    EXPECT_EQ(result.writeError, ENOSPC);
    std::fclose(in);
    std::fclose(full);
  }
}

}  // namespace
}  // namespace velmora
