#include "app/command_line.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "tests/support/code_printing.hpp"

namespace velmora {
namespace {

CommandLine scan(std::initializer_list<std::string_view> arguments, std::vector<std::string_view>& storage) {
  storage.assign(arguments);
  return scanCommandLine(storage);
}

std::vector<std::string> positionalTexts(const CommandLine& line) {
  return {line.positionals.begin(), line.positionals.end()};
}

TEST(CommandLine, DefaultsWithoutOptions) {
  std::vector<std::string_view> args;
  const CommandLine line = scan({"/opt/velmora/velmora", "-33.5", "151.2"}, args);
  const ConversionSettings& r = line.settings;
  EXPECT_EQ(r.fromDatum, Datum::kWgs84);
  EXPECT_EQ(r.fromCoordType, CoordType::kDd);
  EXPECT_EQ(r.fromHeightType, HeightType::kNone);
  EXPECT_EQ(r.toDatum, Datum::kWgs84);
  EXPECT_EQ(r.toCoordType, CoordType::kDd);
  EXPECT_EQ(r.toHeightType, HeightType::kNone);
  EXPECT_EQ(r.zone, 56);
  EXPECT_EQ(r.isgSubZone, 0);
  EXPECT_EQ(r.epoch, 1994.0);
  EXPECT_FALSE(r.useGridShift);
  EXPECT_TRUE(r.southernHemisphere);
  EXPECT_FALSE(r.useITRF2008);
  EXPECT_FALSE(r.useAusGeoid98);
  EXPECT_EQ(line.programPath, "/opt/velmora/velmora");
  EXPECT_EQ(line.threads, 0U);
  EXPECT_FALSE(line.useInputFile);
  EXPECT_FALSE(line.missingValue);
  EXPECT_EQ(positionalTexts(line), (std::vector<std::string>{"-33.5", "151.2"}));
}

TEST(CommandLine, EveryOptionInAnyLetterCase) {
  std::vector<std::string_view> args;
  const CommandLine line = scan({"velmora",
                                 "--FROMDATUM",
                                 "GDA94",
                                 "--fromcoordtype",
                                 "EN",
                                 "--FromHeightType",
                                 "AHD",
                                 "--toDATUM",
                                 "GDA2020",
                                 "--ToCoordType",
                                 "DMS",
                                 "--toheighttype",
                                 "Ellipsoid",
                                 "--ZONE",
                                 "55",
                                 "--isgsubzone",
                                 "2",
                                 "--Epoch",
                                 "2020.5",
                                 "--USEGRIDSHIFT",
                                 "--hemisphere",
                                 "N",
                                 "--useitrf2008",
                                 "--USEAUSGEOID98",
                                 "--InputFile",
                                 "pts.csv",
                                 "1",
                                 "2"},
                                args);
  const ConversionSettings& r = line.settings;
  EXPECT_EQ(r.fromDatum, Datum::kGda94);
  EXPECT_EQ(r.fromCoordType, CoordType::kEn);
  EXPECT_EQ(r.fromHeightType, HeightType::kAhd);
  EXPECT_EQ(r.toDatum, Datum::kGda2020);
  EXPECT_EQ(r.toCoordType, CoordType::kDms);
  EXPECT_EQ(r.toHeightType, HeightType::kEllipsoid);
  EXPECT_EQ(r.zone, 55);
  EXPECT_EQ(r.isgSubZone, 2);
  EXPECT_EQ(r.epoch, 2020.5);
  EXPECT_TRUE(r.useGridShift);
  EXPECT_FALSE(r.southernHemisphere);
  EXPECT_TRUE(r.useITRF2008);
  EXPECT_TRUE(r.useAusGeoid98);
  EXPECT_TRUE(line.useInputFile);
  EXPECT_EQ(line.inputFile, "pts.csv");
  EXPECT_EQ(positionalTexts(line), (std::vector<std::string>{"1", "2"}));
}

// A thread count below 1, or no number, asks for every hardware thread (0).
TEST(CommandLine, ThreadCount) {
  const std::pair<std::string_view, unsigned> cases[] = {
      {"4", 4U}, {"1", 1U}, {"0", 0U}, {"-3", 0U}, {"abc", 0U}};
  for (const auto& [value, expected] : cases) {
    const std::vector<std::string_view> args{"velmora", "--THREADS", value, "1", "2"};
    EXPECT_EQ(scanCommandLine(args).threads, expected) << value;
  }
}

// The numeric value of a setting, whatever its type.
template <typename T>
std::function<int(const ConversionSettings&)> field(T ConversionSettings::*member) {
  return [member](const ConversionSettings& settings) { return static_cast<int>(settings.*member); };
}

// Values are names compared exactly; option names ignore case but values do not.
TEST(CommandLine, ValueTable) {
  struct Case {
    std::vector<std::string_view> options;
    std::function<int(const ConversionSettings&)> value;
    int expected;
  };
  const Case cases[] = {
      {{"--FROMDATUM", "GDA94"}, field(&ConversionSettings::fromDatum), codeOf(Datum::kGda94)},
      {{"--fromdatum", "gda94"}, field(&ConversionSettings::fromDatum), codeOf(Datum::kWgs84)},
      {{"--todatum", "NZGD2000"}, field(&ConversionSettings::toDatum), codeOf(Datum::kNzgd2000)},
      {{"--todatum", "ISG"}, field(&ConversionSettings::toDatum), codeOf(Datum::kIsg)},
      {{"--fromheighttype", "None"}, field(&ConversionSettings::fromHeightType), codeOf(HeightType::kNone)},
      {{"--fromheighttype", "NONE"}, field(&ConversionSettings::fromHeightType), codeOf(HeightType::kNone)},
      {{"--toheighttype", "ahd"}, field(&ConversionSettings::toHeightType), codeOf(HeightType::kNone)},
      {{"--toheighttype", "AHD"}, field(&ConversionSettings::toHeightType), codeOf(HeightType::kAhd)},
      {{"--tocoordtype", "dms"}, field(&ConversionSettings::toCoordType), codeOf(CoordType::kDd)},
      {{"--fromcoordtype", "DM"}, field(&ConversionSettings::fromCoordType), codeOf(CoordType::kDm)},
      {{"--zone", "55abc"}, field(&ConversionSettings::zone), 55},
      {{"--zone", "abc"}, field(&ConversionSettings::zone), 0},
      {{"--zone", " -7"}, field(&ConversionSettings::zone), -7},
      {{"--zone", "54.9"}, field(&ConversionSettings::zone), 54},
      {{"--zone", "99999999999999"}, field(&ConversionSettings::zone), 2147483647},
      {{"--ISGSubZone", "-99999999999999"}, field(&ConversionSettings::isgSubZone), -2147483647 - 1},
      // The last value wins.
      {{"--zone", "50", "--zone", "51"}, field(&ConversionSettings::zone), 51},
      {{"--fromdatum", "AGD66", "--FromDatum", "AGD84"},
       field(&ConversionSettings::fromDatum),
       codeOf(Datum::kAgd84)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.options.front() << " " << c.options.back());
    std::vector<std::string_view> args{"velmora"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const CommandLine line = scanCommandLine(args);
    EXPECT_EQ(c.value(line.settings), c.expected);
    EXPECT_TRUE(line.positionals.empty());
  }
}

// An option given again is a problem only when its value reads otherwise; the last value still wins.
TEST(CommandLine, RepeatedOptionsDisagreeOnlyWhenTheyReadDifferently) {
  const std::string disagree = ": an option given twice must not disagree";
  struct Case {
    std::vector<std::string_view> options;
    std::vector<std::string> problems;
  };
  const Case cases[] = {
      {{"--zone", "55", "--zone=055"}, {}},
      {{"--hemisphere", "S", "--hemisphere", "South"}, {}},
      {{"--delimiter", "tab", "--delimiter", "\t"}, {}},
      {{"--epoch", "2020", "--epoch", "2020.0"}, {}},
      {{"--useGridShift", "--usegridshift"}, {}},
      {{"--grid", "AGD66=a.gsb", "--grid", "AGD84=b.gsb"}, {}},
      {{"--grid", "AGD66=a.gsb", "--grid", "agd66=b.gsb"},
       {"--grid agd66=b.gsb after --grid AGD66=a.gsb" + disagree}},
      {{"--toZone", "55", "--toZone", "auto"}, {"--toZone auto after --toZone 55" + disagree}},
      {{"--zone", "55", "--ZONE", "56", "--zone", "56", "--fromZone", "55"},
       {"--zone 56 after --zone 55" + disagree, "--fromZone 55 after --zone 56" + disagree}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.options.back());
    std::vector<std::string_view> args{"velmora"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    EXPECT_EQ(scanCommandLine(args).problems, c.problems);
  }
}

TEST(CommandLine, EpochAndHemisphere) {
  struct Case {
    std::vector<std::string_view> options;
    double epoch;
    bool southern;
  };
  const Case cases[] = {
      {{"--epoch", "1999.5xyz"}, 1999.5, true},
      {{"--epoch", "xyz"}, 0.0, true},
      {{"--hemisphere", "North"}, 1994.0, false},
      {{"--hemisphere", "n"}, 1994.0, true},
      {{"--hemisphere", ""}, 1994.0, true},
      {{"--hemisphere", "N", "--hemisphere", "s"}, 1994.0, false},
      {{"--hemisphere", "N", "--hemisphere", "South"}, 1994.0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.options.back());
    std::vector<std::string_view> args{"velmora"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const CommandLine line = scanCommandLine(args);
    EXPECT_EQ(line.settings.epoch, c.epoch);
    EXPECT_EQ(line.settings.southernHemisphere, c.southern);
  }
}

// --strict holds the epoch to 1950..2100, bounds included, only in a run that reads it: one with
// WGS84 (the default datum) or an ITRF datum on either side.
TEST(CommandLine, StrictEpochRange) {
  struct Case {
    std::vector<std::string_view> options;
    std::string problem;  // empty: none
  };
  const Case cases[] = {
      {{"--epoch", "1949.99"}, "--epoch 1949.99: expected a decimal year from 1950 to 2100"},
      {{"--epoch", "1950", "--fromDatum", "ITRF2020", "--toDatum", "GDA2020"}, ""},
      {{"--epoch", "2100", "--fromDatum", "GDA2020", "--toDatum", "ITRF2014"}, ""},
      {{"--epoch", "2100.01", "--fromDatum", "GDA2020", "--toDatum", "ITRF2014"},
       "--epoch 2100.01: expected a decimal year from 1950 to 2100"},
      {{"--epoch", "1e9", "--fromDatum", "AGD66", "--toDatum", "ITRF2008"},
       "--epoch 1e+09: expected a decimal year from 1950 to 2100"},
      {{"--epoch", "269", "--fromDatum", "ITRF2000", "--toDatum", "AGD66"},
       "--epoch 269: expected a decimal year from 1950 to 2100"},
      {{"--epoch", "1900", "--fromDatum", "GDA94", "--toDatum", "GDA2020"}, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.options[1]);
    std::vector<std::string_view> args{"velmora"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.insert(args.end(), {"-33.5", "151.2"});
    const std::vector<std::string> problems = settingsProblems(scanCommandLine(args));
    EXPECT_EQ(problems, c.problem.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.problem});
  }
}

TEST(CommandLine, ScanRules) {
  struct Case {
    std::vector<std::string_view> arguments;  // after the program path
    std::vector<std::string> positionals;
    Datum fromDatum;
  };
  const Case cases[] = {
      // An unknown option is skipped alone: its would-be value becomes the first positional.
      {{"--fromdatumx", "GDA94", "-33.5", "151.2"}, {"GDA94", "-33.5", "151.2"}, Datum::kWgs84},
      {{"--", "-33.5", "151.2"}, {"-33.5", "151.2"}, Datum::kWgs84},
      {{"--", "--fromdatum", "AGD66", "1", "2"}, {"1", "2"}, Datum::kAgd66},
      // A value is taken verbatim even when it looks like an option.
      {{"--fromdatum", "--todatum", "1", "2"}, {"1", "2"}, Datum::kWgs84},
      // A negative number ends the scan; nothing after it is an option.
      {{"-33.5", "--fromdatum", "GDA94"}, {"-33.5", "--fromdatum", "GDA94"}, Datum::kWgs84},
      {{"-", "1"}, {"-", "1"}, Datum::kWgs84},
      {{"--usegridshift"}, {}, Datum::kWgs84},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.arguments.front());
    std::vector<std::string_view> args{"velmora"};
    args.insert(args.end(), c.arguments.begin(), c.arguments.end());
    const CommandLine line = scanCommandLine(args);
    EXPECT_EQ(positionalTexts(line), c.positionals);
    EXPECT_EQ(line.settings.fromDatum, c.fromDatum);
    EXPECT_FALSE(line.missingValue);
  }
}

TEST(CommandLine, OptionWithoutItsValueStopsTheScan) {
  for (const std::string_view option : {"--inputfile", "--fromdatum", "--ZONE", "--epoch", "--hemisphere",
                                        "--ISGSubZone", "--toheighttype"}) {
    SCOPED_TRACE(option);
    // The vector holds exactly the arguments: a read past its end would be caught by the sanitizers.
    const std::vector<std::string_view> args{"velmora", "--usegridshift", option};
    const CommandLine line = scanCommandLine(args);
    EXPECT_TRUE(line.missingValue);
    EXPECT_TRUE(line.settings.useGridShift);
    EXPECT_TRUE(line.positionals.empty());
  }
}

TEST(CommandLine, EmptyArgumentVector) {
  const std::vector<std::string_view> args;
  const CommandLine line = scanCommandLine(args);
  EXPECT_EQ(line.programPath, "");
  EXPECT_TRUE(line.positionals.empty());
}

// A front end shows each problem beside the field where its option was given: the option the message
// names, else the one whose removal takes it away.
TEST(CommandLine, FindingsArePlacedOnTheirOptions) {
  struct Case {
    std::vector<std::string_view> args;
    std::string_view start;  // of the message
    std::optional<std::size_t> index;
  };
  const std::vector<std::string_view> several{"velmora", "--fromDatum", "GDA94", "--fromCoordType", "EN", "--zone=99",
                                              "--epoch", "abc", "--bogus", "--toHeightType", "AHD"};
  for (const Case& c : std::vector<Case>{
           {several, "--zone 99:", 5},
           {several, "--epoch 'abc':", 6},
           {several, "unknown option '--bogus'", 8},
           {several, "--toHeightType", 9},
           // Given twice alike, no single removal helps: the later, which the message names.
           {{"velmora", "--zone", "99", "--zone", "99", "--fromCoordType", "EN"}, "--zone 99:", 3},
           // Two options clear it; the message is about the one it names first.
           {{"velmora", "--zoneColumn", "3", "--columns", "1,2,3"}, "--zoneColumn 3:", 1},
       }) {
    SCOPED_TRACE(c.start);
    const OptionFindings findings = findOptionProblems(c.args);
    const auto found = std::find_if(findings.errors.begin(), findings.errors.end(), [&](const OptionFinding& f) {
      return f.message.starts_with(c.start);
    });
    ASSERT_NE(found, findings.errors.end());
    EXPECT_EQ(found->index, c.index);
  }
  // Without --strict the same problems are warnings, but for the errors of either policy.
  const OptionFindings findings = findOptionProblems(several);
  EXPECT_EQ(findings.warnings.size(), findings.errors.size());
  EXPECT_TRUE(findOptionProblems(std::vector<std::string_view>{"velmora", "--fromDatum", "GDA94"}).errors.empty());
}

}  // namespace
}  // namespace velmora
