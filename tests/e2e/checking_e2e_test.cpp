// What the program says about a run: --strict errors, the method of each point, the summary,
// help and version, and the forms people type.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/velmora_folder.hpp"
#include "velmora/geodesy/datum_transforms.hpp"
#include "velmora/gridfile/grid_file.hpp"
#include "velmora/version.hpp"

namespace velmora::testing {
namespace {

constexpr DegreeArea kContinent{-45.0, -10.0, 110.0, 155.0, 1.0};
constexpr float kLatShift = 5.25F;  // arc-seconds
constexpr float kLonShift = 4.75F;

// The AGD66 and GDA2020 grids over eastern Australia and the AUSGeoid2020 geoid.
void writeGrids(const VelmoraFolder& velmora) {
  velmora.writeBesideProgram("AGD66_Australia.gsb", constantShiftGrid(kEasternArea, kLatShift, kLonShift));
  velmora.writeBesideProgram("GDA2020_Australia.gsb", constantShiftGrid(kEasternArea, kLatShift, kLonShift));
  velmora.writeBesideProgram("AUSGeoid2020.gsb", constantShiftGrid(kContinent, 22.5F, 0.0F));
}

TEST(StrictE2e, OptionErrorsPrintOneMessageAndStopBeforeAnyOutput) {
  const VelmoraFolder velmora;  // no grid files
  const std::string folder = velmora.programFolder();
  struct Case {
    std::vector<std::string> arguments;
    std::string message;
  };
  const Case cases[] = {
      {{"--fromDatun", "GDA94", "-33.8", "151.2"},
       "unknown option '--fromDatun'; did you mean --fromDatum? (velmora --help lists the options)"},
      {{"--fromDatum", "agd66", "-33.8", "151.2"},
       "--fromDatum 'agd66': unknown datum; expected AGD66, AGD84, GDA94, GDA2020, ANG, ISG, NZGD49, "
       "NZGD2000, WGS84, ITRF2000, ITRF2008, ITRF2014, ITRF2020 or ATRF2014 (names are case-sensitive: "
       "AGD66)"},
      {{"--toDatum", "itrf2020", "-33.8", "151.2"},
       "--toDatum 'itrf2020': unknown datum; expected AGD66, AGD84, GDA94, GDA2020, ANG, ISG, NZGD49, "
       "NZGD2000, WGS84, ITRF2000, ITRF2008, ITRF2014, ITRF2020 or ATRF2014 (names are case-sensitive: "
       "ITRF2020)"},
      {{"--toCoordType=en", "-33.8", "151.2"},
       "--toCoordType 'en': unknown coordinate type; expected EN, DMS, DM or DD (names are case-sensitive: "
       "EN)"},
      {{"--fromHeightType", "Orthometric", "-33.8", "151.2"},
       "--fromHeightType 'Orthometric': unknown height type; expected NONE, Ellipsoid, AHD, AVWS, NZVD2016 "
       "or a "
       "New Zealand local datum that velmora --help lists, such as Dunedin1958"},
      {{"--hemisphere", "s", "-33.8", "151.2"}, "--hemisphere 's': expected S or N"},
      {{"--zone", "55abc", "-33.8", "151.2"}, "--zone '55abc': expected a whole number"},
      {{"--epoch", "2020.5y", "-33.8", "151.2"}, "--epoch '2020.5y': expected a decimal year"},
      {{"--fromDatum", "ITRF2020", "--toDatum", "GDA2020", "--epoch", "20269", "-33.8", "151.2"},
       "--epoch 20269: expected a decimal year from 1950 to 2100"},
      {{"--fromDatum", "ITRF2014", "--toDatum", "GDA2020", "--toEpoch", "2025", "-33.8", "151.2"},
       "--toEpoch 2025: GDA2020 positions have no epoch (the target epoch is ignored; it serves WGS84, ITRF "
       "and "
       "ATRF2014 targets)"},
      {{"--toEpoch", "mid-2025", "-33.8", "151.2"},
       "--toEpoch 'mid-2025': expected a decimal year or an ISO date such as 2020-07-01"},
      {{"--threads", "many", "-33.8", "151.2"},
       "--threads 'many': expected a number of threads (0 for every processor)"},
      {{"--useGridShift=yes", "-33.8", "151.2"},
       "option --useGridShift takes no value, got '--useGridShift=yes'"},
      {{"-33.8", "151.2", "10", "extra"},
       "unexpected argument 'extra': a point is two coordinates and an optional height"},
      {{"--toCoordType", "EN", "--zone", "61", "-33.8", "151.2"}, "--zone 61: expected a zone from 1 to 60"},
      {{"--toDatum", "ISG", "--toCoordType", "EN", "--zone", "57", "-33.8", "151.2"},
       "--zone 57: ISG grid coordinates need zone 54, 55 or 56"},
      {{"--toDatum", "ISG", "--toCoordType", "EN", "--ISGSubZone", "4", "-33.8", "151.2"},
       "--ISGSubZone 4: expected 1, 2 or 3 (ISG zones Z/1, Z/2, Z/3)"},
      {{"--toDatum", "ISG", "--toCoordType", "EN", "--zone", "55", "-35.3", "147.2"},
       "ISG grid coordinates need --ISGSubZone 1, 2 or 3: without it, --zone 55 --ISGSubZone 0 is ISG zone "
       "54/3 "
       "(central meridian 143 E): write --zone 54 --ISGSubZone 3"},
      {{"--toDatum", "ISG", "--toCoordType", "EN", "--ISGSubZone", "0", "-33.8", "149.2"},
       "--zone 56 --ISGSubZone 0 is ISG zone 55/3 (central meridian 149 E): write --zone 55 --ISGSubZone 3"},
      {{"--fromDatum", "ISG", "--fromCoordType", "EN", "--zone", "54", "--ISGSubZone", "0", "300000",
        "1500000"},
       "--zone 54 --ISGSubZone 0 is central meridian 137 E, no ISG zone at all (ISG zone 54/1 is --zone 54 "
       "--ISGSubZone 1)"},
      {{"--zone", "0", "-33.8", "151.2"}, "--zone 0: expected a zone from 1 to 60"},
      {{"--zone", "55", "--zone", "56", "-33.8", "151.2"},
       "--zone 56 after --zone 55: an option given twice must not disagree"},
      {{"--zone=55", "--fromZone", "54", "-33.8", "151.2"},
       "--fromZone 54 after --zone 55: an option given twice must not disagree"},
      {{"--fromDatum", "GDA94", "--FROMDATUM=GDA2020", "-33.8", "151.2"},
       "--fromDatum GDA2020 after --fromDatum GDA94: an option given twice must not disagree"},
      {{"--fromDatum", "GDA2020", "--toDatum", "GDA2020", "--fromHeightType", "AHD", "-33.8", "151.2"},
       "--fromHeightType alone converts no height: give both --fromHeightType and --toHeightType"},
      {{"--fromDatum", "AGD66", "--toDatum", "GDA94", "--fromHeightType", "AHD", "--toHeightType",
        "Ellipsoid", "-33.8", "151.2"},
       "heights are converted only between GDA94 and GDA2020, not from AGD66 to GDA94"},
      {{"--fromDatum", "GDA94", "--toDatum", "GDA2020", "--useGridShift", "-33.8", "151.2"},
       "cannot use the grid file '" + folder +
           "GDA2020_Australia.gsb' (needed by --useGridShift): error 321: Cannot open file; looked in " +
           folder + ", " + binaryFolder()},
      {{"--fromDatum", "GDA2020", "--toDatum", "GDA2020", "--fromHeightType", "AHD", "--toHeightType",
        "Ellipsoid", "-33.8", "151.2"},
       "cannot use the geoid file '" + folder +
           "AUSGeoid2020.gsb' (needed for the heights): error 321: Cannot open file; looked in " + folder +
           ", " + binaryFolder()},
      {{"--fromDatum", "GDA94"},
       "expected a point (two coordinates and an optional height) or --inputFile FILE"},
      {{"--inputFile", "points.csv", "1", "2"},
       "unexpected argument '1': a point is not read from the arguments with --inputFile"},
      {{"--zone"}, "option --zone needs a value"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    expectRun(velmora.run(with({"--strict"}, c.arguments)), {1, "", "velmora: " + c.message + "\n"});
  }
}

TEST(StrictE2e, FailedLinesKeepTheirPlaceWithEmptyFields) {
  const VelmoraFolder velmora;
  writeGrids(velmora);
  const std::string shiftedSydney =
      ddLine(-33.85678 + kLatShift / kSecondsPerDegree, 151.2153 + kLonShift / kSecondsPerDegree, 25.0);
  struct Line {
    std::string input;
    std::string message;  // after "velmora: points.csv line N"; empty for a good line
  };
  const Line lines[] = {
      {"id,lat,lon,h", ", field 1 (latitude): expected a decimal number, got 'id'"},
      {"-33.85678,151.2153,25", ""},
      {"-33.85678", ": expected two coordinates and an optional height, got one field"},
      {"", ": expected two coordinates and an optional height, got an empty line"},
      {"-33.85678,151.2153,25,PM1", ": expected at most three fields (two coordinates and a height)"},
      {"-33.85678,,151.2153", ": expected no empty field (one comma between fields, none at the ends)"},
      {"-33.85678,151.2153,2 m",
       ", field 3 (height): expected a height in metres (a decimal number), got '2 m'"},
      {"-95,151.2", ", field 1 (latitude): latitude out of range (-90 to 90), got '-95'"},
      {"-31.95224,115.8614", ": the point lies outside the grid AGD66_Australia.gsb (--useGridShift)"},
      {"-33,155.2",
       ": the point lies outside the edge of the grid AGD66_Australia.gsb sub-grid AREA, in the band "
       "where its shift fades to zero"},
      {"2.5,151.2",
       ": the point lies outside the area the AGD transformations are made for (latitudes 90 S to 0, "
       "longitudes 0 to 180 E); only an approximate shift would apply"},
  };
  std::string input;
  std::string expectedOut;
  std::string expectedErr;
  int number = 0;
  for (const Line& line : lines) {
    ++number;
    input += line.input + "\n";
    expectedOut += line.message.empty() ? shiftedSydney : ",,\n";
    if (!line.message.empty()) {
      expectedErr += "velmora: points.csv line " + std::to_string(number) + line.message + "\n";
    }
  }
  velmora.writeInWorkFolder("points.csv", input);
  for (const char* threads : {"1", "3"}) {
    SCOPED_TRACE(threads);
    expectRun(velmora.run({"--strict", "--threads", threads, "--useGridShift", "--fromDatum", "AGD66",
                           "--toDatum", "GDA94", "--inputFile", "points.csv"}),
              {1, expectedOut, expectedErr});
  }
  // Without --strict the same file converts as it always has: exit 0, no message.
  EXPECT_EQ(
      velmora
          .run({"--useGridShift", "--fromDatum", "AGD66", "--toDatum", "GDA94", "--inputFile", "points.csv"})
          .status,
      0);
}

TEST(StrictE2e, PointTextProblems) {
  const VelmoraFolder velmora;
  writeGrids(velmora);
  struct Case {
    std::vector<std::string> arguments;
    std::string out;
    std::string message;
  };
  const Case cases[] = {
      {{"--fromCoordType", "DMS", "33 51 24.408 N", "151 12 55.08 E"},
       "33.85678000,151.21530000,0.000\n",
       ""},
      {{"--fromCoordType", "DMS", "-33 51 24.408 N", "151 12 55.08"},
       ",,\n",
       "argument '-33 51 24.408 N' (latitude): "},
      {{"--fromCoordType", "DMS", "33 51", "151 12 55.08"}, ",,\n", "argument '33 51' (latitude): "},
      {{"--fromCoordType", "DM", "33 51.4068 E", "151 12.918"},
       ",,\n",
       "argument '33 51.4068 E' (latitude): "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments[2]);
    const ProcessResult result = velmora.run(with({"--strict"}, c.arguments));
    EXPECT_EQ(result.status, c.message.empty() ? 0 : 1);
    EXPECT_EQ(result.standardOutput, c.out);
    EXPECT_EQ(result.standardError.substr(0, 9 + c.message.size()),
              c.message.empty() ? "" : "velmora: " + c.message);
  }
}

TEST(ShowMethodE2e, NamesWhatWasAppliedToEachPoint) {
  const VelmoraFolder velmora;
  writeGrids(velmora);
  const VelmoraFolder bare;
  struct Case {
    const VelmoraFolder* folder;
    std::vector<std::string> options;
    std::string point;  // "latitude longitude"
    std::string method;
  };
  const Case cases[] = {
      {&velmora,
       {"--useGridShift", "--fromDatum", "GDA94", "--toDatum", "GDA2020"},
       "-33.8 151.2",
       "grid:GDA2020_Australia.gsb:AREA"},
      {&velmora,
       {"--useGridShift", "--fromDatum", "GDA2020", "--toDatum", "AGD66"},
       "-33.8 151.2",
       "grid:GDA2020_Australia.gsb:AREA+grid:AGD66_Australia.gsb:AREA"},
      {&velmora,
       {"--useGridShift", "--fromDatum", "GDA94", "--toDatum", "GDA2020"},
       "-33 155.2",
       "grid-margin:GDA2020_Australia.gsb:AREA"},
      {&velmora,
       {"--useGridShift", "--fromDatum", "GDA94", "--toDatum", "GDA2020"},
       "-31.9 115.8",
       "helmert:GDA94-GDA2020"},
      {&bare,
       {"--fromDatum", "AGD66", "--toDatum", "GDA2020"},
       "-33.8 151.2",
       "helmert:AGD66-GDA94+helmert:GDA94-GDA2020"},
      {&bare,
       {"--fromDatum", "WGS84", "--useITRF2008", "--toDatum", "AGD84"},
       "-33.8 151.2",
       "helmert:ITRF2008-GDA94+helmert:GDA94-AGD84"},
      {&bare, {"--fromDatum", "ANG", "--toDatum", "GDA94"}, "-33.8 151.2", "molodensky:ANG-GDA94"},
      {&bare,
       {"--fromDatum", "AGD66", "--toDatum", "GDA94"},
       "-41.28 174.78",
       "nz-rule+helmert:NZGD49-NZGD2000"},
      {&bare, {"--fromDatum", "AGD66", "--toDatum", "GDA94"}, "2.5 151.2", "approximate"},
      {&bare, {"--fromDatum", "GDA94", "--toDatum", "GDA2020"}, "2.5 151.2", "outside-area"},
      {&bare, {"--fromDatum", "NZGD49", "--toDatum", "GDA2020"}, "-33.8 151.2", "no-transformation"},
      {&bare, {"--fromDatum", "AGD66", "--toDatum", "ISG"}, "-33.8 151.2", "unchanged"},
      {&velmora,
       {"--fromDatum", "GDA2020", "--toDatum", "GDA2020", "--fromHeightType", "Ellipsoid", "--toHeightType",
        "AHD"},
       "-33.8 151.2",
       "unchanged+geoid:AUSGeoid2020.gsb:AREA"},
      {&bare,
       {"--fromDatum", "GDA94", "--toDatum", "GDA2020", "--fromHeightType", "AHD", "--toHeightType",
        "Ellipsoid"},
       "-33.8 151.2",
       "helmert:GDA94-GDA2020+geoid-missing:AUSGeoid09.gsb"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.method);
    const std::size_t space = c.point.find(' ');
    const ProcessResult result = c.folder->run(
        with(with({"--showMethod"}, c.options), {c.point.substr(0, space), c.point.substr(space + 1)}));
    EXPECT_EQ(result.status, 0);
    const std::string& out = result.standardOutput;
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out.substr(out.rfind(',') + 1), c.method + "\n");
  }
}

// A file name may hold the delimiter, a quote, a blank, a control byte or '+': the method writes '_'
// for each, so it stays one field of one part, and the messages keep the real name.
TEST(ShowMethodE2e, FileNamesKeepTheMethodOneField) {
  const VelmoraFolder velmora;
  writeGrids(velmora);
  struct Case {
    std::string file;
    std::string written;
  };
  const Case cases[] = {
      {"a,b.gsb", "a_b.gsb"},  {"a;b.gsb", "a_b.gsb"}, {"a b.gsb", "a_b.gsb"},       {"a\tb.gsb", "a_b.gsb"},
      {"a\"b.gsb", "a_b.gsb"}, {"a+b.gsb", "a_b.gsb"}, {"a\nb\rc.gsb", "a_b_c.gsb"}, {"\x7f,.gsb", "__.gsb"},
  };
  const std::vector<std::string> gridRun{"--showMethod", "--useGridShift", "--fromDatum", "GDA94",
                                         "--toDatum",    "GDA2020",        "-33.8",       "151.2"};
  const std::vector<std::string> geoidRun{
      "--showMethod", "--fromDatum",    "GDA2020",   "--toDatum", "GDA2020", "--fromHeightType",
      "AHD",          "--toHeightType", "Ellipsoid", "-33.8",     "151.2"};
  const ProcessResult plain = velmora.run(with({"--grid", "GDA2020=GDA2020_Australia.gsb"}, gridRun));
  const std::string plainValues = plain.standardOutput.substr(0, plain.standardOutput.rfind(',') + 1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.written);
    velmora.writeBesideProgram(c.file, constantShiftGrid(kEasternArea, kLatShift, kLonShift));
    expectRun(velmora.run(with({"--grid", "GDA2020=" + c.file}, gridRun)),
              {0, plainValues + "grid:" + c.written + ":AREA\n", ""});
    const ProcessResult geoid = velmora.run(with({"--grid", "AUSGeoid2020=" + c.file}, geoidRun));
    EXPECT_EQ(geoid.status, 0);
    EXPECT_TRUE(geoid.standardOutput.ends_with(",unchanged+geoid:" + c.written + ":AREA\n"))
        << geoid.standardOutput;
    // Missing, in the semicolon-delimited output of a file: the message names the file as it is.
    velmora.writeInWorkFolder("points.csv", "-33.8;151.2;0\n");
    const ProcessResult missing =
        velmora.run({"--showMethod", "--delimiter", ";", "--fromDatum", "GDA2020", "--toDatum", "GDA2020",
                     "--fromHeightType", "AHD", "--toHeightType", "Ellipsoid", "--grid",
                     "AUSGeoid2020=missing-" + c.file, "--inputFile", "points.csv"});
    EXPECT_EQ(missing.status, 0);
    EXPECT_EQ(missing.standardOutput,
              "-33.80000000;151.20000000;0.000;unchanged+geoid-missing:missing-" + c.written + "\n");
    // After the warning that names the file once, as it is.
    EXPECT_NE(missing.standardError.find("\n" + velmora.programFolder() + "missing-" + c.file +
                                         " does not exist\n"),
              std::string::npos);
  }
}

TEST(SummaryE2e, CountsLinesMethodsAndFiles) {
  const VelmoraFolder velmora;
  writeGrids(velmora);
  const std::string folder = velmora.programFolder();
  velmora.writeInWorkFolder("points.csv", "lat,lon\n-33.8,151.2\n-33.7,,151.1\n\n-31.9,115.8\n");
  const std::vector<std::string> options{"--summary", "--useGridShift", "--fromDatum", "AGD66",
                                         "--toDatum", "GDA2020",        "--inputFile", "points.csv"};
  const ProcessResult lax = velmora.run(options);
  EXPECT_EQ(lax.status, 0);
  // Counting changes no result, the lines --strict would reject included.
  EXPECT_EQ(lax.standardOutput,
            velmora.run(std::vector<std::string>(options.begin() + 1, options.end())).standardOutput);
  EXPECT_EQ(withoutWarnings(lax.standardError),
            "velmora: 5 lines read: 4 points converted, 0 failed, 1 skipped\n"
            "velmora: 3 converted points have a problem that --strict reports\n"
            "velmora: 2 points: helmert:AGD66-GDA94+helmert:GDA94-GDA2020\n"
            "velmora: 2 points: grid:AGD66_Australia.gsb:AREA+grid:GDA2020_Australia.gsb:AREA\n"
            "velmora: grid folders searched: " +
                folder + ", " + binaryFolder() +
                "\n"
                "velmora: opened " +
                folder +
                "AGD66_Australia.gsb\n"
                "velmora: opened " +
                folder + "GDA2020_Australia.gsb\n");

  const ProcessResult strict = velmora.run(with({"--strict", "--threads", "2"}, options));
  EXPECT_EQ(strict.status, 1);
  EXPECT_EQ(strict.standardOutput.substr(0, 3), ",,\n");
  const std::string counts = "velmora: 5 lines read: 1 point converted, 4 failed, 0 skipped\n";
  EXPECT_NE(strict.standardError.find(counts), std::string::npos) << strict.standardError;

  // A refused geoid is named with the grid library's code and message.
  velmora.writeBesideProgram("AUSGeoid2020.gsb", "not a grid");
  const ProcessResult refused =
      velmora.run({"--summary", "--fromDatum", "GDA2020", "--toDatum", "GDA2020", "--fromHeightType", "AHD",
                   "--toHeightType", "Ellipsoid", "-33.8", "151.2"});
  EXPECT_NE(refused.standardError.find("velmora: refused " + folder +
                                       "AUSGeoid2020.gsb: error 301: Invalid NUM_OREC\n"),
            std::string::npos)
      << refused.standardError;
}

TEST(InformationE2e, HelpAndVersionGoToStandardOutputWithStatusZero) {
  const VelmoraFolder velmora;
  for (const char* option : {"--help", "-h", "--HELP"}) {
    SCOPED_TRACE(option);
    const ProcessResult result = velmora.run({"--fromDatum", "GDA94", option, "--bogus"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.standardOutput.rfind("velmora converts coordinates", 0), 0U);
    EXPECT_EQ(result.standardError, "");
  }
  expectRun(velmora.run({"--version"}),
            {0, "velmora " + std::string(kVersion) + "\ngrid formats read: " + std::string(gridFormatsRead()) + "\n",
             ""});
}

TEST(TypedFormsE2e, NameEqualsValueAndMarkedAnglesGiveTheSameResults) {
  const VelmoraFolder velmora;
  const std::string expected = velmora
                                   .run({"--fromDatum", "GDA94", "--toDatum", "GDA2020", "--fromCoordType",
                                         "DMS", "-33 51 24.408", "151 12 55.08"})
                                   .standardOutput;
  ASSERT_EQ(expected.rfind("-33.85", 0), 0U);
  const std::vector<std::vector<std::string>> forms{
      {"--fromDatum=GDA94", "--toDatum=GDA2020", "--fromCoordType=DMS", "-33 51 24.408", "151 12 55.08"},
      {"--fromDatum", "GDA94", "--toDatum", "GDA2020", "--fromCoordType", "DMS", "33°51'24.408\"S",
       "151d12m55.08sE"},
      {"--fromDatum", "GDA94", "--toDatum", "GDA2020", "--fromCoordType", "DMS", "-33:51:24.408",
       "E151 12 55.08"},
      {"--fromDatum", "GDA94", "--toDatum", "GDA2020", "--fromCoordType", "DMS", "33 51 24.408 s",
       "151:12:55.08"},
  };
  for (const std::vector<std::string>& form : forms) {
    SCOPED_TRACE(form[form.size() - 2]);
    expectRun(velmora.run(form), {0, expected, ""});
  }
}

}  // namespace
}  // namespace velmora::testing
