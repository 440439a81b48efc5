// The program as a user runs it: exact standard output, standard error and exit status for the
// front end's own behaviour (usage, options, coordinate forms, input files, program folder).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/velmora_folder.hpp"

namespace velmora::testing {
namespace {

const std::string kUsage =
    "USAGE:\n"
    "  Velmora [options] <easting_or_latitude> <northing_or_longitude> [height]\n"
    "  Velmora [options] --inputFile <filename>\n"
    "\n"
    "    --fromDatum <datum>\n"
    "    --fromCoordType <coordtype>\n"
    "    --fromHeightType <heighttype> (optional. Only valid when datum is GDA94 or GDA2020)\n"
    "\n"
    "    --toDatum <datum>\n"
    "    --toCoordType <coordtype>\n"
    "    --toHeightType <heighttype> (optional. Only valid when datum is GDA94 or GDA2020)\n"
    "\n"
    "    --zone <utmzone>  (only necessary if fromCoordType is EN)\n"
    "    --ISGSubZone <isg_zone>  (only necessary if datum is ISG)\n"
    "    --epoch <epoch> (optional. default is 1994.0)\n"
    "    --useGridShift (optional. default is no grid shift)\n"
    "    --hemisphere <hemisphere> (optional, default is S)\n"
    "    --useITRF2008 (optional, default is ITRF2000)\n"
    "    --useAusGeoid98 (optional, default is AusGeoid09)\n"
    "\n"
    "Valid values for datum: AGD66, AGD84, ISG, GDA94, GDA2020, WGS84\n"
    "Valid values for coordtype: EN, DMS, DM, DD\n"
    "Valid values for heighttype: None, Ellipsoid, AHD\n"
    "Valid values for hemisphere: S, N\n";

struct RunCase {
  std::vector<std::string> arguments;
  ExpectedRun expected;
};

TEST(CommandLineE2e, UsageAndExitStatus) {
  const VelmoraFolder velmora;
  const RunCase cases[] = {
      {{}, {1, kUsage, ""}},
      // An option that needs a value but stands last.
      {{"--fromDatum"}, {1, kUsage, ""}},
      {{"-33.5", "151.25", "--zone"}, {0, "-33.50000000,151.25000000,0.000\n", ""}},
      {{"--zone"}, {1, kUsage, ""}},
      // Fewer than two coordinates.
      {{"--useGridShift"}, {1, kUsage, ""}},
      {{"-33.5"}, {1, kUsage, ""}},
      {{"--fromDatum", "GDA94", "--toDatum", "GDA94"}, {1, kUsage, ""}},
      {{"--inputFile", "absent.csv"}, {1, "Could not open input file\n", ""}},
      {{"--inputFile", "absent.csv", "-33.5", "151.25"}, {1, "Could not open input file\n", ""}},
      {{"--inputFile", "."}, {1, "Could not open input file\n", ""}},
  };
  for (const RunCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.arguments.size() << " arguments");
    expectRun(velmora.run(c.arguments), c.expected);
  }
}

// Same datum on both sides: the coordinates pass through the pipeline unchanged, so every line
// here shows the front end's parsing and formatting alone.
TEST(CommandLineE2e, CoordinateFormsInAndOut) {
  const VelmoraFolder velmora;
  const std::vector<std::string> sameDatum{"--fromDatum", "GDA94", "--toDatum", "GDA94"};
  const RunCase cases[] = {
      {{"-33.5", "151.25", "12.5"}, {0, "-33.50000000,151.25000000,12.500\n", ""}},
      {{"--fromCoordType", "DMS", "-33 52 10.5", "151 12 30"}, {0, "-33.86958333,151.20833333,0.000\n", ""}},
      {{"--fromCoordType", "DMS", "--toCoordType", "DMS", "-33 52 10.5", "151 12 30", "7.25"},
       {0, "-33 52 10.5000,151 12 30.0000,7.250\n", ""}},
      {{"--fromCoordType", "DM", "--toCoordType", "DM", "-33 52.175", "151 12.5"},
       {0, "-33 52.17500000,151 12.50000000,0.000\n", ""}},
      {{"--toCoordType", "DM", "-0.5", "0.25"}, {0, "-0 30.00000000,0 15.00000000,0.000\n", ""}},
      {{"--toCoordType", "DMS", "-0.5", "-0.25"}, {0, "-0 30 0.0000,-0 15 0.0000,0.000\n", ""}},
      {{"--fromCoordType", "DMS", "--toCoordType", "DMS", "-0 30 0", "+0 30 0"},
       {0, "-0 30 0.0000,0 30 0.0000,0.000\n", ""}},
      // Minutes keep their own sign; no carry into the next unit.
      {{"--fromCoordType", "DMS", "-33 -52 10", "151 12 30"}, {0, "-32.13611111,151.20833333,0.000\n", ""}},
      {{"--toCoordType", "DMS", "-33.99999999", "151.25"}, {0, "-33 59 60.0000,151 15 0.0000,0.000\n", ""}},
      // Out of range, infinite and not-a-number angles print as the zero angle.
      {{"--toCoordType", "DMS", "91.5", "-181"}, {0, "0 0 0.0000,-0 0 0.0000,0.000\n", ""}},
      {{"--toCoordType", "DM", "nan", "1e300"}, {0, "0 0.00000000,0 0.00000000,0.000\n", ""}},
      {{"--toCoordType", "DMS", "-1e300", "-inf"}, {0, "-0 0 0.0000,-0 0 0.0000,0.000\n", ""}},
      // Text that is no number reads as 0; extra positional arguments are ignored.
      {{"abc", "151.25abc", "2.5m", "extra"}, {0, "0.00000000,151.25000000,2.500\n", ""}},
      // Unknown coordinate type names fall to DD; unknown options are skipped alone.
      {{"--toCoordType", "dms", "--bogus", "-33.5", "151.25"}, {0, "-33.50000000,151.25000000,0.000\n", ""}},
      // A height type on one side only leaves the height as read.
      {{"--fromHeightType", "AHD", "-33.5", "151.25", "12.5"}, {0, "-33.50000000,151.25000000,12.500\n", ""}},
  };
  for (const RunCase& c : cases) {
    std::vector<std::string> arguments = sameDatum;
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    SCOPED_TRACE(::testing::Message() << c.arguments.back());
    expectRun(velmora.run(arguments), c.expected);
  }
}

TEST(CommandLineE2e, InputFileFieldRules) {
  const VelmoraFolder velmora;
  const std::string longPadding(1500, ' ');
  velmora.writeInWorkFolder("points.csv",
                            "-33.8,151.2,12.5\n"
                            "1,,2\n"
                            ",3,4\n"
                            "123.4\n"
                            "\n"
                            "Latitude,Longitude,Height\n"
                            "5,6,7,8\n"
                            "-33.5,151.25,9" +
                                longPadding +
                                "\n"
                                "-20.5,130.5,1.5\r\n"
                                "-1,-2");
  const std::string expected =
      "-33.80000000,151.20000000,12.500\n"
      "1.00000000,2.00000000,0.000\n"
      "3.00000000,4.00000000,0.000\n"
      "0.00000000,0.00000000,0.000\n"
      "5.00000000,6.00000000,7.000\n"
      "-33.50000000,151.25000000,9.000\n"
      "-20.50000000,130.50000000,1.500\n"
      "-1.00000000,-2.00000000,0.000\n";
  // Options are case-insensitive; positional arguments are ignored in file mode.
  expectRun(
      velmora.run({"--INPUTFILE", "points.csv", "--fromDatum", "GDA94", "--toDatum", "GDA94", "7", "8"}),
      {0, expected, ""});
}

TEST(CommandLineE2e, InputFileForms) {
  const VelmoraFolder velmora;
  velmora.writeInWorkFolder("dms.csv", "-33 52 10.5,151 12 30,7.25\n\t-0 30 0,0 15 0\n");
  velmora.writeInWorkFolder("en.csv", "334000.5,6250000.25,10\n");
  velmora.writeInWorkFolder("header-only.csv", "only-one-field\n\n,,,\n");
  const std::vector<std::string> sameDatum{"--fromDatum", "GDA94", "--toDatum", "GDA94"};
  const RunCase cases[] = {
      {{"--fromCoordType", "DMS", "--toCoordType", "DM", "--inputFile", "dms.csv"},
       {0, "-33 52.17500000,151 12.50000000,7.250\n-0 30.00000000,0 15.00000000,0.000\n", ""}},
      {{"--fromCoordType", "EN", "--toCoordType", "EN", "--inputFile", "en.csv"},
       {0, "334000.500,6250000.250,10.000\n", ""}},
      {{"--inputFile", "header-only.csv"}, {0, "", ""}},
  };
  for (const RunCase& c : cases) {
    std::vector<std::string> arguments = sameDatum;
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    SCOPED_TRACE(c.arguments.back());
    expectRun(velmora.run(arguments), c.expected);
  }
}

// A program may be started with an empty argument vector, without even its own path.
TEST(CommandLineE2e, EmptyArgumentVector) {
  const VelmoraFolder velmora;
  expectRun(runProcess(velmora.programPath(), {}), {1, kUsage, ""});
}

// A full disk and a pipe whose reader has gone (SIGPIPE ignored): the run fails and says why,
// whether the failure comes at the final flush (one point, the usage text) or at a write in the
// middle (5000 points make 160 KB of results, more than the output buffer), on one thread or two.
TEST(CommandLineE2e, ResultsThatCannotBeWrittenFailTheRunAndSaySo) {
  const VelmoraFolder velmora;
  std::string points;
  for (int k = 0; k < 5000; ++k) points += "-33.5,151.25\n";
  velmora.writeInWorkFolder("points.csv", points);
  ProcessOptions fullDisk;
  fullDisk.standardOutputFile = "/dev/full";
  ProcessOptions closedPipe;
  closedPipe.standardOutputClosedPipe = true;
  const std::vector<std::vector<std::string>> runs = {{"-33.5", "151.25"},
                                                      {"--fromDatum"},
                                                      {"--inputFile", "points.csv", "--threads", "1"},
                                                      {"--inputFile", "points.csv", "--threads", "2"}};
  for (const std::vector<std::string>& arguments : runs) {
    SCOPED_TRACE(arguments.back());
    expectRun(velmora.run(arguments, fullDisk),
              {1, "", "velmora: cannot write standard output: No space left on device\n"});
    expectRun(velmora.run(arguments, closedPipe),
              {1, "", "velmora: cannot write standard output: Broken pipe\n"});
  }
}

// The reason of a failed write is that of the write itself, whatever the run did after it (the
// summary looks grid files up, which sets errno), and a failed write that went unseen until the
// final flush is no "Input/output error". The --summary report is asked for: when standard error
// cannot take it the run fails; other messages lost there change nothing.
TEST(CommandLineE2e, AFailedWriteNamesItsReasonAndALostSummaryFailsTheRun) {
  const VelmoraFolder velmora;
  std::string points;
  for (int k = 0; k < 5000; ++k) points += "-33.5,151.25\n";
  velmora.writeInWorkFolder("points.csv", points);  // 160 KB of results
  velmora.writeInWorkFolder("few.csv", "-33.5,151.25\n-33.6,151.25\n");
  const std::vector<std::string> gda2020{"--fromDatum", "GDA94", "--toDatum", "GDA2020"};
  const std::vector<std::string> missingGrid = with(gda2020, {"--summary", "--useGridShift"});
  const std::vector<std::string> missingGeoid =
      with(gda2020, {"--fromHeightType", "AHD", "--toHeightType", "Ellipsoid"});
  ProcessOptions fullDisk;
  fullDisk.standardOutputFile = "/dev/full";
  ProcessOptions fullErrors;
  fullErrors.standardErrorFile = "/dev/full";
  ProcessOptions limited;  // the program ignores SIGXFSZ: a write past the limit fails with EFBIG
  limited.fileSizeLimit = 1024;
  ProcessOptions limitedToFile = limited;
  limitedToFile.standardOutputFile = velmora.workFolder() + "/stdout.csv";
  const std::string expectedSydney = velmora.run(with(gda2020, {"-33.5", "151.25"})).standardOutput;

  struct Case {
    const char* name;
    std::vector<std::string> arguments;
    ProcessOptions options;
    int status;
    std::string errorEnd;  // the end of standard error
    std::string output;    // standard output, when captured
  };
  const Case cases[] = {
      {"full disk after the summary, one thread",
       with(missingGrid, {"--threads", "1", "--inputFile", "points.csv"}), fullDisk, 1,
       "velmora: cannot write standard output: No space left on device\n", ""},
      {"full disk after the summary, two threads",
       with(missingGrid, {"--threads", "2", "--inputFile", "points.csv"}), fullDisk, 1,
       "velmora: cannot write standard output: No space left on device\n", ""},
      {"full device as the output file, a short input",
       with(gda2020, {"--inputFile", "few.csv", "--outputFile", "/dev/full"}),
       {},
       1,
       "velmora: cannot write output file '/dev/full': No space left on device\n",
       ""},
      {"standard output past the file size limit", with(missingGrid, {"--inputFile", "points.csv"}),
       limitedToFile, 1, "velmora: cannot write standard output: File too large\n", ""},
      {"output file past the file size limit",
       with(missingGrid, {"--inputFile", "points.csv", "--outputFile", "out.csv"}), limited, 1,
       "velmora: cannot write output file 'out.csv': File too large\n", ""},
      {"summary lost, one point", with(missingGrid, {"-33.5", "151.25"}), fullErrors, 1, "", expectedSydney},
      {"summary lost, a file", with(missingGrid, {"--inputFile", "few.csv"}), fullErrors, 1, "",
       expectedSydney + velmora.run(with(gda2020, {"-33.6", "151.25"})).standardOutput},
      {"a message lost, no summary", with(missingGeoid, {"-33.5", "151.25"}), fullErrors, 0, "",
       velmora.run(with(missingGeoid, {"-33.5", "151.25"})).standardOutput},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ProcessResult result = velmora.run(c.arguments, c.options);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.standardOutput, c.output);
    EXPECT_TRUE(result.standardError.ends_with(c.errorEnd)) << result.standardError;
    EXPECT_FALSE(std::filesystem::exists(velmora.workFolder() + "/out.csv"));
  }
  // Nothing left behind by the output file that could not be written.
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(velmora.workFolder()))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"few.csv", "points.csv", "stdout.csv"}));
}

}  // namespace
}  // namespace velmora::testing
