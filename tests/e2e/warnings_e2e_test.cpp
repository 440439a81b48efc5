// What a run without --strict says on standard error: a warning for each decision --strict would
// reject, never a change of the results or the exit status; nothing with --quiet.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/e2e/velmora_folder.hpp"

namespace velmora::testing {
namespace {

// The same run with --quiet: the same results and status, and nothing on standard error.
void expectQuietTwin(const VelmoraFolder& velmora, const std::vector<std::string>& arguments,
                     const ProcessResult& loud) {
  const ProcessResult quiet = velmora.run(with({"--quiet"}, arguments));
  EXPECT_EQ(quiet.status, loud.status);
  EXPECT_EQ(quiet.standardOutput, loud.standardOutput);
  EXPECT_EQ(quiet.standardError, "");
}

TEST(WarningsE2e, OptionProblemsAreSaidOnceEachBeforeTheResults) {
  const VelmoraFolder velmora;
  struct Case {
    std::vector<std::string> arguments;
    std::string out;
    std::string warnings;
  };
  const Case cases[] = {
      // A typo makes the datum a coordinate and the rest of the options positional.
      {{"--fromDatun", "GDA94", "--toDatum", "GDA2020", "-33.85678", "151.21530"},
       "0.00000000,0.00000000,0.000\n",
       "velmora: warning: unknown option '--fromDatun'; did you mean --fromDatum? (velmora --help lists the "
       "options)\n"
       "velmora: warning: option '--toDatum' after the point: options go before the coordinates\n"
       "velmora: warning: argument 'GDA94' (latitude): expected a decimal number\n"},
      {{"--fromDatum", "gda94", "--toHeightType", "ahd", "-33.85678", "151.21530"},
       "-33.85678000,151.21530000,0.000\n",
       "velmora: warning: --fromDatum 'gda94': unknown datum; expected AGD66, AGD84, GDA94, GDA2020, ANG, "
       "ISG, "
       "NZGD49, NZGD2000, WGS84, ITRF2000, ITRF2008, ITRF2014, ITRF2020 or ATRF2014 (names are "
       "case-sensitive: GDA94)\n"
       "velmora: warning: --toHeightType 'ahd': unknown height type; expected NONE, Ellipsoid, AHD, AVWS, "
       "NZVD2016 or a New Zealand local datum that velmora --help lists, such as Dunedin1958 (names are "
       "case-sensitive: AHD)\n"},
      // A value that is no number is said once, not again as the number read from it; an option
      // cut short is completed, and its value becomes the first coordinate.
      {{"--zone", "abc", "--epoch", "x", "--hemi", "N", "-33.85678", "151.21530"},
       "0.00000000,-33.85678000,151.215\n",
       "velmora: warning: --zone 'abc': expected a whole number\n"
       "velmora: warning: --epoch 'x': expected a decimal year\n"
       "velmora: warning: unknown option '--hemi'; did you mean --hemisphere? (velmora --help lists the "
       "options)\n"
       "velmora: warning: argument 'N' (latitude): expected a decimal number\n"},
      // A datum grid named without --useGridShift would be read by nothing.
      {{"--fromDatum", "GDA94", "--toDatum", "GDA2020", "--grid", "GDA2020=conformal.gsb", "-33.85678",
        "151.21530"},
       "-33.85676732,151.21530543,0.000\n",
       "velmora: warning: --grid GDA2020=conformal.gsb: datum grids are read only with --useGridShift (the "
       "file "
       "would be ignored)\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments.front());
    const ProcessResult result = velmora.run(c.arguments);
    expectRun(result, {0, c.out, c.warnings});
    expectQuietTwin(velmora, c.arguments, result);
  }
  // The same grid problem stops a --strict run.
  expectRun(
      velmora.run({"--strict", "--grid", "GDA2020=conformal.gsb", "-33.85678", "151.21530"}),
      {1, "",
       "velmora: --grid GDA2020=conformal.gsb: datum grids are read only with --useGridShift (the file would "
       "be ignored)\n"});
}

// A run with nothing to say says nothing: the tests of results compare standard error without its
// warnings, so a warning where none is due would show only here.
TEST(WarningsE2e, CleanRunsWriteNothingOnStandardError) {
  const VelmoraFolder velmora;
  velmora.writeBesideProgram("AUSGeoid2020.gsb",
                             planeGeoidGrid({-45.0, -10.0, 110.0, 155.0, 1.0}, 20.0F, 0.5F, 0.25F));
  velmora.writeInWorkFolder("ids.csv", "id,lat,lon,h\n# comment\nPM1,\"-33.85678\",151.21530,25\n");
  velmora.writeInWorkFolder("blanks.txt", "-33:51:24.408  151:12:55.08 10\n");
  const std::vector<std::vector<std::string>> runs{
      {"--fromDatum", "GDA94", "--toDatum", "GDA2020", "-33.85678", "151.21530"},
      {"--fromDatum", "GDA94", "--toDatum", "AGD66", "--fromCoordType", "DMS", "--toCoordType", "EN",
       "--zone", "56", "33 51 24.408 S", "151d12m55.08sE", "12.5"},
      {"--fromDatum", "GDA2020", "--toDatum", "GDA2020", "--fromHeightType", "Ellipsoid", "--toHeightType",
       "AHD", "--columns", "2,3,4", "--skipLines", "1", "--comment", "#", "--showMethod", "--inputFile",
       "ids.csv"},
      {"--fromDatum", "ITRF2020", "--epoch", "2026.5", "--toDatum", "GDA2020", "--fromCoordType", "DMS",
       "--delimiter", "space", "--inputFile", "blanks.txt"},
  };
  for (const std::vector<std::string>& run : runs) {
    SCOPED_TRACE(run.back());
    const ProcessResult result = velmora.run(run);
    EXPECT_EQ(result.status, 0);
    EXPECT_FALSE(result.standardOutput.empty());
    EXPECT_EQ(result.standardError, "");
  }
}

// A file of many lines with a header and a missing geoid: the results are those of a quiet run, and
// standard error holds a few lines, the same on any number of threads.
TEST(WarningsE2e, ALargeFileGetsAFewLinesInInputOrder) {
  const VelmoraFolder velmora;
  std::string input = "lat,lon,h\n";
  for (int k = 0; k < 100000; ++k) {
    input += std::to_string(-40.0 + k * 0.0001) + (k == 70000 ? ",x,1\n" : ",145.5,2.5\n");
  }
  velmora.writeInWorkFolder("points.csv", input);
  const std::vector<std::string> arguments{"--fromDatum",      "GDA2020",   "--toDatum",      "GDA2020",
                                           "--fromHeightType", "AHD",       "--toHeightType", "Ellipsoid",
                                           "--inputFile",      "points.csv"};
  const std::string geoid = velmora.programFolder() + "AUSGeoid2020.gsb";
  const std::string warnings =
      "velmora: warning: cannot use the geoid file '" + geoid +
      "' (needed for the heights): error 321: Cannot open file; looked in " + velmora.programFolder() + ", " +
      binaryFolder() +
      "\n"
      "velmora: warning: points.csv line 1, field 1 (latitude): expected a decimal number, got 'lat'\n" +
      geoid +
      " does not exist\n"
      "velmora: warning: 2 lines had a field that is not a number (first: points.csv line 1, field 1 'lat'); "
      "--strict makes these errors\n"
      "velmora: warning: 100001 points had no geoid file, their heights converted without its separation "
      "(first: points.csv line 1); "
      "--strict makes these errors\n";
  for (const char* threads : {"1", "3"}) {
    SCOPED_TRACE(threads);
    const std::vector<std::string> run = with({"--threads", threads}, arguments);
    const ProcessResult result = velmora.run(run);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.standardError, warnings);
    expectQuietTwin(velmora, run, result);
  }
}

// A file that another delimiter would split says which.
TEST(WarningsE2e, ALineOfOneFieldNamesTheDelimiterThatWouldSplitIt) {
  const VelmoraFolder velmora;
  for (const auto& [line, hint] :
       {std::pair<std::string, std::string>{"-33.8\t151.2", "tabs: --delimiter tab"},
        {"-33.8;151.2", "semicolons: --delimiter ';'"},
        {"-33.8 151.2", "blanks: --delimiter space"}}) {
    velmora.writeInWorkFolder("points.txt", line + "\n");
    expectRun(
        velmora.run({"--inputFile", "points.txt"}),
        {0, "",
         "velmora: warning: points.txt line 1: expected two coordinates and an optional height, got one "
         "field (separated by " +
             hint + " reads them)\n"});
  }
}

// Warnings that cannot be written change nothing: the same results and exit status.
TEST(WarningsE2e, AStandardErrorThatCannotBeWrittenChangesNothing) {
  const VelmoraFolder velmora;
  velmora.writeInWorkFolder("points.csv", "lat,lon\n-33.8,151.2\n");
  for (const char* redirect : {"2>/dev/full", "2>&-"}) {
    SCOPED_TRACE(redirect);
    ProcessOptions options;
    options.workingDirectory = velmora.workFolder();
    const ProcessResult result =
        runProcess("/bin/sh",
                   {"sh", "-c", "\"$0\" --toDatum gda94 --inputFile points.csv " + std::string(redirect),
                    velmora.programPath()},
                   options);
    expectRun(result, {0, "0.00000000,0.00000000,0.000\n-33.80000000,151.20000000,0.000\n", ""});
  }
  // A reader of standard error that has gone: SIGPIPE must not end the run.
  ProcessOptions closedPipe;
  closedPipe.workingDirectory = velmora.workFolder();
  closedPipe.standardErrorClosedPipe = true;
  const ProcessResult result = velmora.run({"--toDatum", "gda94", "--inputFile", "points.csv"}, closedPipe);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.standardOutput, "0.00000000,0.00000000,0.000\n-33.80000000,151.20000000,0.000\n");
}

}  // namespace
}  // namespace velmora::testing
