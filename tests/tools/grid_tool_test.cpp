#include "tools/grid_tool.hpp"

#include <gtest/gtest.h>

#include <clocale>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/doc_text.hpp"

namespace velmora {
namespace {

TEST(ParseDecimalNumber, AcceptsSignedDecimalsAndExponentsOnly) {
  const struct {
    std::string_view text;
    std::optional<double> value;
  } cases[] = {
      {"-41.5", -41.5},
      {"+174.25", 174.25},  // a leading plus is common for north and east
      {"174", 174.0},
      {"174.", 174.0},
      {".5", 0.5},
      {"-0", -0.0},
      {"1e2", 100.0},
      {"-1.5E-1", -0.15},
      {"", std::nullopt},
      {"+", std::nullopt},
      {"-", std::nullopt},
      {"+-1", std::nullopt},
      {"++1", std::nullopt},
      {"--1", std::nullopt},
      {"abc", std::nullopt},
      {"1,5", std::nullopt},  // a comma is never a decimal point here
      {"12abc", std::nullopt},
      {"12 ", std::nullopt},
      {" 12", std::nullopt},
      {"0x10", std::nullopt},
      {"nan", std::nullopt},
      {"inf", std::nullopt},
      {"-infinity", std::nullopt},
      {"1e400", std::nullopt},  // overflows to infinity
  };
  for (const auto& c : cases) EXPECT_EQ(parseDecimalNumber(c.text), c.value) << '"' << c.text << '"';
}

TEST(ParseDecimalNumber, ReadsAPointUnderACommaLocale) {
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "no de_DE.UTF-8 locale";
  const std::optional<double> point = parseDecimalNumber("-41.25");
  const std::optional<double> comma = parseDecimalNumber("-41,25");
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_EQ(point, -41.25);
  EXPECT_EQ(comma, std::nullopt);
}

TEST(RunGridTool, WrongArgumentsPrintTheUsageToStandardOutputWithStatusOne) {
  const std::vector<std::vector<std::string_view>> cases = {
      {},
      {"info"},
      {"info", "a.gsb", "b.gsb"},
      {"INFO", "a.gsb"},  // commands are lower case
      {"shift", "a.gsb", "-41"},
      {"shift", "a.gsb", "-41", "174", "0"},
      {"shift", "a.gsb", "south", "174"},
      {"shift", "a.gsb", "-41", "174E"},
      {"shift", "a.gsb", "-41,5", "174"},
      {"convert", "a.gsb"},
      {"convert", "a.gsb", "b.gsa", "c.gsa"},
      {"help"},  // the commands are words, help and version are options
      {"-help"},
      {"version"},
  };
  for (const auto& arguments : cases) {
    const GridToolResult result = runGridTool(arguments);
    EXPECT_EQ(result.status, kToolFailure) << arguments.size();
    EXPECT_EQ(result.out, kGridToolUsage) << arguments.size();
    EXPECT_EQ(result.err, "") << arguments.size();
  }
}

TEST(RunGridTool, UnknownExtensionsAreRefusedBeforeAnyFileIsRead) {
  const struct {
    std::vector<std::string_view> arguments;
    const char* err;
  } cases[] = {
      {{"info", "grid.txt"}, "velmora-grid: grid.txt: unknown extension, expected .gsb, .gsa, .gtx or .tif\n"},
      {{"info", "grid"}, "velmora-grid: grid: unknown extension, expected .gsb, .gsa, .gtx or .tif\n"},
      {{"shift", "grid.gsb.gz", "0", "0"},
       "velmora-grid: grid.gsb.gz: unknown extension, expected .gsb, .gsa, .gtx or .tif\n"},
      // The output name is checked first: the input here does not even exist.
      {{"convert", "missing.gsb", "out.ntv2"},
       "velmora-grid: out.ntv2: unknown extension, expected .gsb, .gsa, .gtx or .tif\n"},
      {{"convert", "missing.txt", "out.gsa"},
       "velmora-grid: missing.txt: unknown extension, expected .gsb, .gsa, .gtx or .tif\n"},
  };
  for (const auto& c : cases) {
    const GridToolResult result = runGridTool(c.arguments);
    EXPECT_EQ(result.status, kToolFailure);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, c.err);
  }
}

// Every command of the usage text ("velmora-grid COMMAND ..."), and the options, in the manual page.
TEST(GridToolDocs, ManPageNamesEveryCommand) {
  const std::string page = manPageWords(VELMORA_MAN_DIR "/velmora-grid.1");
  ASSERT_FALSE(page.empty());
  constexpr std::string_view kProgram = "velmora-grid ";
  std::vector<std::string_view> names{"--help", "-h", "--version"};
  for (std::size_t at = kGridToolUsage.find(kProgram); at != std::string_view::npos;
       at = kGridToolUsage.find(kProgram, at + 1)) {
    const std::string_view rest = kGridToolUsage.substr(at + kProgram.size());
    names.push_back(rest.substr(0, rest.find(' ')));
  }
  ASSERT_GT(names.size(), 3U) << "no command found in the usage text";
  for (const std::string_view name : names) {
    EXPECT_TRUE(mentions(page, name)) << name;
    EXPECT_TRUE(mentions(kGridToolHelp, name)) << name;
  }
}

}  // namespace
}  // namespace velmora
