// The height types of New Zealand and AVWS, and slots of several files, through the program. The
// Dunedin 1958 fixture holds the four nodes of the published example of EPSG:9314 around 44.42 S
// 168.92 E; PROJ's vgridshift on the same nodes, as a GTX file, gives
//   echo "168.92 -44.42 50 0" | cct -d 6 +proj=vgridshift +grids=dune.gtx +multiplier=1
//   168.920000  -44.420000  50.304348  0.0000
// and with -I from 50.304 the height 49.999652.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/velmora_folder.hpp"
#include "tests/support/grid_images.hpp"
#include "velmora/gridfile/grid_writer.hpp"

namespace velmora::testing {
namespace {

// The 2' cell of the example, in arc-seconds, longitudes positive west: 44 24' to 44 26' S,
// 168 54' to 168 56' E. Nodes from the south, each row east to west.
std::string dunedinExampleGrid() {
  SubGridImage cell;
  cell.name = "DUNEDIN";
  cell.sLat = -44.0 * 3600.0 - 26.0 * 60.0;
  cell.nLat = -44.0 * 3600.0 - 24.0 * 60.0;
  cell.eLong = -(168.0 * 3600.0 + 56.0 * 60.0);
  cell.wLong = -(168.0 * 3600.0 + 54.0 * 60.0);
  cell.latInc = 120.0;
  cell.longInc = 120.0;
  cell.nodes = {{0.3055F}, {0.3051F}, {0.3029F}, {0.3028F}};  // SE, SW, NE, NW
  GridImage image;
  image.subGrids.push_back(cell);
  return encodeBinaryGrid(image);
}

// NZGeoid2016 stand-in: N = 10 + 0.5 per degree north of 47 S + 0.25 per degree east of 166 E.
constexpr DegreeArea kSouthIsland{-47.0, -34.0, 166.0, 179.0, 1.0};

const std::vector<std::string> kNz{"--fromDatum", "NZGD2000", "--toDatum", "NZGD2000", "--showMethod"};

TEST(HeightsE2e, NewZealandHeightsThroughTheirSurfaces) {
  const VelmoraFolder velmora;
  velmora.writeBesideProgram("dunedin.gsb", dunedinExampleGrid());
  velmora.writeBesideProgram("nzgeoid.gsb", planeGeoidGrid(kSouthIsland, 10.0F, 0.5F, 0.25F));
  const std::vector<std::string> grids{"--grid", "Dunedin1958=dunedin.gsb", "--grid",
                                       "NZGeoid2016=nzgeoid.gsb"};
  struct Case {
    const char* from;
    const char* to;
    const char* height;
    std::string expected;
  };
  // N at the point is 10 + 0.5 * 2.58 + 0.25 * 2.92 = 12.02.
  const std::string point = "-44.42000000,168.92000000,";
  const Case cases[] = {
      {"NZVD2016", "Dunedin1958", "50", point + "50.304,unchanged+geoid:dunedin.gsb:DUNEDIN\n"},
      {"Dunedin1958", "NZVD2016", "50.304", point + "50.000,unchanged+geoid:dunedin.gsb:DUNEDIN\n"},
      {"NZVD2016", "Ellipsoid", "50", point + "62.020,unchanged+geoid:nzgeoid.gsb:AREA\n"},
      {"Dunedin1958", "Ellipsoid", "50.304",
       point + "62.020,unchanged+geoid:dunedin.gsb:DUNEDIN+geoid:nzgeoid.gsb:AREA\n"},
      {"Ellipsoid", "Dunedin1958", "62.02",
       point + "50.304,unchanged+geoid:nzgeoid.gsb:AREA+geoid:dunedin.gsb:DUNEDIN\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.from) + " to " + c.to);
    expectRun(velmora.run(with(with(kNz, grids), {"--strict", "--fromHeightType", c.from, "--toHeightType",
                                                  c.to, "-44.42", "168.92", c.height})),
              {0, c.expected, ""});
  }
  // Outside the offset grid: the height of NZVD2016 alone, as for a geoid that does not cover a point.
  expectRun(
      velmora.run(with(with(kNz, grids), {"--fromHeightType", "Dunedin1958", "--toHeightType", "Ellipsoid",
                                          "-41.3", "174.8", "10"})),
      {0, "-41.30000000,174.80000000,25.050,unchanged+geoid-outside:dunedin.gsb+geoid:nzgeoid.gsb:AREA\n",
       "velmora: warning: the geoid dunedin.gsb does not cover the point\n"});
}

// A world geoid from 170 E (GTX, 1-degree nodes, N = lat / 2 + lon / 4 at the nodes): 169.5 E lies
// in the band west of its first column and is read 360 degrees round, between 529 E and the wrap
// column. PROJ on the same GTX gives N = 65.125:
//   echo "169.5 -44.5 0" | cct -d 6 +proj=vgridshift +grids=./world.gtx +multiplier=1
TEST(HeightsE2e, AWorldGeoidReadsAPointWestOfItsFirstColumnRoundTheGlobe) {
  GridImage geoid = degreeGrid({-47.0, -43.0, 170.0, 529.0, 1.0}, shiftPlanes({0.0, 0.5, 0.25}, {}));
  geoid.content = GridContent::kGeoid;
  std::string gtx;
  ASSERT_EQ(encodeGtxGrid(geoid, gtx), kGridOk);
  const VelmoraFolder velmora;
  velmora.writeBesideProgram("world.gtx", gtx);
  expectRun(velmora.run(with(kNz, {"--strict", "--grid", "NZGeoid2016=world.gtx", "--fromHeightType",
                                   "NZVD2016", "--toHeightType", "Ellipsoid", "-44.5", "169.5", "50"})),
            {0, "-44.50000000,169.50000000,115.125,unchanged+geoid:world.gtx:GTX\n", ""});
}

TEST(HeightsE2e, PairsWithoutAPathKeepTheHeight) {
  const VelmoraFolder velmora;
  struct Case {
    std::vector<std::string> options;
    std::string problem;
  };
  const Case cases[] = {
      {{"--fromDatum", "GDA94", "--toDatum", "GDA94", "--fromHeightType", "AVWS", "--toHeightType",
        "Ellipsoid"},
       "no height conversion from AVWS on GDA94 to Ellipsoid on GDA94: Ellipsoid, AHD and AVWS convert "
       "between "
       "GDA94 and GDA2020, AVWS on GDA2020 only (the AGQG surface is referenced to GDA2020)"},
      {{"--fromDatum", "NZGD2000", "--toDatum", "NZGD2000", "--fromHeightType", "NZVD2016", "--toHeightType",
        "AVWS"},
       "no height conversion from NZVD2016 on NZGD2000 to AVWS on NZGD2000: New Zealand and Australian "
       "heights "
       "have no surface in common"},
      {{"--fromDatum", "NZGD2000", "--toDatum", "NZGD2000", "--fromHeightType", "AHD", "--toHeightType",
        "Wellington1953"},
       "no height conversion from AHD on NZGD2000 to Wellington1953 on NZGD2000: Ellipsoid, NZVD2016 and the "
       "New "
       "Zealand local datums convert on NZGD2000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.problem);
    expectRun(velmora.run(with(c.options, {"-41.3", "174.8", "10"})),
              {0, "-41.30000000,174.80000000,10.000\n", "velmora: warning: " + c.problem + "\n"});
    expectRun(velmora.run(with({"--strict"}, with(c.options, {"-41.3", "174.8", "10"}))),
              {1, "", "velmora: " + c.problem + "\n"});
  }
}

// AVWS through AGQG; with the uncertainty grids beside the program, --summary gives their range.
TEST(HeightsE2e, AvwsAndTheUncertaintyRange) {
  constexpr DegreeArea kContinent{-45.0, -10.0, 110.0, 155.0, 1.0};
  const VelmoraFolder velmora;
  velmora.writeBesideProgram("AUSGeoid2020.gsb", planeGeoidGrid(kContinent, 20.0F, 0.5F, 0.25F));
  velmora.writeBesideProgram("AGQG_20201120.gsb", planeGeoidGrid(kContinent, 21.0F, 0.5F, 0.25F));
  velmora.writeBesideProgram("AUSGeoid2020_20180201_error.gsb",
                             planeGeoidGrid(kContinent, 0.03F, 0.0F, 0.0F));
  velmora.writeBesideProgram("AGQG_uncertainty_20201120.gsb",
                             planeGeoidGrid(kContinent, 0.04F, 0.0F, 0.002F));
  velmora.writeInWorkFolder("points.csv", "-33.5,151.5,10\n-31.5,115.5,20\n");
  const ProcessResult run =
      velmora.run({"--strict", "--summary", "--fromDatum", "GDA2020", "--toDatum", "GDA2020",
                   "--fromHeightType", "AHD", "--toHeightType", "AVWS", "--inputFile", "points.csv"});
  // AVWS = AHD + N - zeta, one metre less everywhere.
  const std::string folder = velmora.programFolder();
  expectRun(
      run,
      {0, "-33.50000000,151.50000000,9.000\n-31.50000000,115.50000000,19.000\n",
       "velmora: 2 lines read: 2 points converted, 0 failed, 0 skipped\n"
       "velmora: 2 points: unchanged+geoid:AUSGeoid2020.gsb:AREA+geoid:AGQG_20201120.gsb:AREA\n"
       "velmora: height uncertainty from AUSGeoid2020_20180201_error.gsb: 0.030 to 0.030 m over 2 points\n"
       "velmora: height uncertainty from AGQG_uncertainty_20201120.gsb: 0.051 to 0.123 m over 2 points\n"
       "velmora: grid folders searched: " +
           folder + ", " + binaryFolder() +
           "\n"
           "velmora: opened " +
           folder +
           "AUSGeoid2020.gsb\n"
           "velmora: opened " +
           folder +
           "AGQG_20201120.gsb\n"
           "velmora: opened " +
           folder +
           "AUSGeoid2020_20180201_error.gsb\n"
           "velmora: opened " +
           folder + "AGQG_uncertainty_20201120.gsb\n"});
}

// An uncertainty grid is optional, but one named with --grid that cannot be used is the run's problem,
// and only a sub-grid that holds the point gives an uncertainty (none from the fading margin band).
TEST(HeightsE2e, ANamedUncertaintyGridMustServe) {
  constexpr DegreeArea kContinent{-45.0, -10.0, 110.0, 155.0, 1.0};
  const VelmoraFolder velmora;
  velmora.writeBesideProgram("AUSGeoid2020.gsb", planeGeoidGrid(kContinent, 20.0F, 0.5F, 0.25F));
  velmora.writeBesideProgram("AUSGeoid2020_20180201_error.gsb",
                             planeGeoidGrid({-40.0, -30.0, 140.0, 152.0, 1.0}, 0.03F, 0.0F, 0.0F));
  const std::vector<std::string> run{"--strict", "--summary", "--fromDatum", "GDA2020", "--toDatum", "GDA2020",
                                     "--fromHeightType", "Ellipsoid", "--toHeightType", "AHD", "-33.5",
                                     "152.5", "100"};
  const ProcessResult margin = velmora.run(run);
  EXPECT_EQ(margin.status, 0) << margin.standardError;
  EXPECT_EQ(margin.standardError.find("height uncertainty"), std::string::npos) << margin.standardError;
  expectRun(velmora.run(with({"--grid", "AUSGeoid2020Error=./nope.gsb"}, run)),
            {1, "",
             "velmora: cannot use the geoid file '" + velmora.workFolder() +
                 "/nope.gsb' (named for its slot): error 321: Cannot open file\n"});
}

// A slot's published name is found where its fixed name is not, in each folder in turn; the
// conformal-and-distortion GDA2020 grid is never taken by name.
TEST(HeightsE2e, PublishedNamesInEachFolderInTurn) {
  const VelmoraFolder velmora;
  velmora.writeBesideProgram("AUSGeoid2020.gsb", constantShiftGrid(kEasternArea, 20.0F, 0.0F));
  velmora.writeInWorkFolder("AUSGeoid2020_20180201.gsb", constantShiftGrid(kEasternArea, 30.0F, 0.0F));
  velmora.writeBesideProgram("GDA94_GDA2020_conformal_and_distortion.gsb",
                             constantShiftGrid(kEasternArea, 1.0F, 1.0F));
  const std::vector<std::string> ahd{
      "--showMethod", "--fromDatum",    "GDA2020",   "--toDatum", "GDA2020", "--fromHeightType",
      "AHD",          "--toHeightType", "Ellipsoid", "-33.5",     "151.5",   "10"};
  expectRun(velmora.run(ahd),
            {0, "-33.50000000,151.50000000,30.000,unchanged+geoid:AUSGeoid2020.gsb:AREA\n", ""});
  expectRun(velmora.run(with({"--gridFolder", "."}, ahd)),
            {0, "-33.50000000,151.50000000,40.000,unchanged+geoid:AUSGeoid2020_20180201.gsb:AREA\n", ""});
  const ProcessResult conformal = velmora.run({"--quiet", "--showMethod", "--useGridShift", "--fromDatum",
                                               "GDA94", "--toDatum", "GDA2020", "-33.5", "151.5"});
  EXPECT_NE(conformal.standardOutput.find(",helmert:GDA94-GDA2020\n"), std::string::npos)
      << conformal.standardOutput;
}

// Extra files serve the points the slot's file does not hold; the margin band of the first file
// only when no file holds the point.
TEST(HeightsE2e, ExtraGridsServeWhereTheSlotsFileDoesNot) {
  const VelmoraFolder velmora;
  velmora.writeBesideProgram("GDA2020_Australia.gsb", constantShiftGrid(kEasternArea, 1.0F, 1.0F));
  velmora.writeBesideProgram("christmas.gsb",
                             constantShiftGrid({-11.0, -10.0, 105.0, 106.0, 0.5}, 3.6F, 7.2F));
  velmora.writeBesideProgram("north.gsb", constantShiftGrid({-25.0, -24.0, 149.0, 151.0, 0.5}, 3.6F, 3.6F));
  const std::vector<std::string> run{
      "--strict",         "--showMethod", "--useGridShift", "--fromDatum",           "GDA94",
      "--toDatum",        "GDA2020",      "--extraGrid",    "GDA2020=christmas.gsb", "--extraGrid",
      "GDA2020=north.gsb"};
  struct Case {
    const char* latitude;
    const char* longitude;
    std::string expected;
  };
  const Case cases[] = {
      {"-10.5", "105.6", "-10.49900000,105.60200000,0.000,grid:christmas.gsb:AREA\n"},
      {"-30", "150", "-29.99972222,150.00027778,0.000,grid:GDA2020_Australia.gsb:AREA\n"},
      // In the national grid's margin band, inside the northern extra grid.
      {"-24.8", "150", "-24.79900000,150.00100000,0.000,grid:north.gsb:AREA\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.latitude);
    expectRun(velmora.run(with(run, {c.latitude, c.longitude})), {0, c.expected, ""});
  }
  // Without the extra files the same point falls in the national grid's band.
  const ProcessResult alone = velmora.run({"--quiet", "--showMethod", "--useGridShift", "--fromDatum",
                                           "GDA94", "--toDatum", "GDA2020", "-24.8", "150"});
  EXPECT_NE(alone.standardOutput.find(",grid-margin:GDA2020_Australia.gsb:AREA\n"), std::string::npos)
      << alone.standardOutput;
}

}  // namespace
}  // namespace velmora::testing
