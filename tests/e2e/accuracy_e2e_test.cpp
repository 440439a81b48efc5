// --showAccuracy: the published figure of each step, a grid's own accuracies turned into metres,
// the vertical figure of the uncertainty grids, and where the two fields go on a result line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/velmora_folder.hpp"
#include "velmora/gridfile/grid_writer.hpp"

namespace velmora::testing {
namespace {

struct Case {
  const char* what;
  std::vector<std::string> arguments;
  std::string output;
};

void expectOutputs(const VelmoraFolder& velmora, const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ProcessResult run = velmora.run(with({"--showAccuracy"}, c.arguments));
    EXPECT_EQ(run.standardOutput, c.output);
    EXPECT_EQ(run.status, 0);
  }
}

// EPSG accuracies of the parameter sets (projinfo -k operation EPSG:NNNN); a chain adds as a root
// sum of squares (AGD66 to GDA2020: sqrt(3^2 + 0.01^2) = 3.0000167).
TEST(AccuracyE2e, ParameterSetsGiveTheirPublishedFigures) {
  const VelmoraFolder velmora;
  const auto pair = [](const char* from, const char* to, std::vector<std::string> point) {
    return with({"--fromDatum", from, "--toDatum", to}, point);
  };
  const std::vector<std::string> sydney{"-33.5", "151.2"};
  const std::vector<std::string> wellington{"-41.3", "174.8"};
  expectOutputs(
      velmora,
      {
          {"EPSG:15979", pair("AGD66", "GDA94", sydney), "-33.49841952,151.20115251,0.000,3.000,\n"},
          {"EPSG:1280", pair("GDA94", "AGD84", sydney), "-33.50158775,151.19883449,0.000,1.000,\n"},
          {"EPSG:8048", pair("GDA94", "GDA2020", sydney), "-33.49998731,151.20000548,0.000,0.010,\n"},
          {"EPSG:15979 + 8048", pair("AGD66", "GDA2020", sydney), "-33.49840683,151.20115799,0.000,3.000,\n"},
          {"EPSG:8049", pair("ITRF2014", "GDA2020", sydney), "-33.49998724,151.20000517,0.000,0.030,\n"},
          {"EPSG:6315", pair("ITRF2000", "GDA94", sydney), "-33.49999987,151.19999966,0.000,0.100,\n"},
          {"EPSG:1701", pair("NZGD49", "NZGD2000", wellington), "-41.29828798,174.80016437,0.000,4.000,\n"},
          {"ANG has no published figure", pair("ANG", "GDA94", sydney),
           "-33.49758837,151.20000000,0.000,,\n"},
          {"unchanged", pair("GDA2020", "GDA2020", sydney), "-33.50000000,151.20000000,0.000,0.000,\n"},
          {"approximate shift", pair("AGD66", "GDA94", {"10", "-20"}),
           "10.00144444,-19.99869444,0.000,100.000,\n"},
          {"no transformation", pair("WGS84", "NZGD2000", sydney), "-33.50000000,151.20000000,0.000,,\n"},
      });
}

// A grid whose nodes hold accuracies of 1/64" in latitude and 1/32" in longitude, at 33.5 S 151.5 E:
// GeodSolve -i -E over those arcs gives 0.481394912 m north and 0.806619308 m east, 0.9394 m together.
// Grids whose accuracy fields hold 0 give the published figure of the grid instead (EPSG:1803 0.5 m,
// 8446 0.05 m): sqrt(0.5^2 + 0.05^2) = 0.5025 m for the two legs from AGD66 to GDA2020.
TEST(AccuracyE2e, GridLegsTurnTheirAccuraciesIntoMetres) {
  const VelmoraFolder velmora;
  constexpr float kLatitudeAccuracySec = 0.015625F;
  constexpr float kLongitudeAccuracySec = 0.03125F;
  velmora.writeBesideProgram("AGD84_Australia.gsb",
                             encodeBinaryGrid(degreeGrid(kEasternArea, [](const DegreeNode&) {
                               return GridNode{5.0F, -4.0F, kLatitudeAccuracySec, kLongitudeAccuracySec};
                             })));
  velmora.writeBesideProgram("AGD66_Australia.gsb", constantShiftGrid(kEasternArea, 5.0F, 4.0F));
  velmora.writeBesideProgram("GDA2020_Australia.gsb", constantShiftGrid(kEasternArea, 0.5F, 0.25F));
  const auto grids = [](const char* from, const char* to) {
    return std::vector<std::string>{"--useGridShift", "--fromDatum", from, "--toDatum", to, "-33.5", "151.5"};
  };
  expectOutputs(
      velmora,
      {
          {"accuracies of the grid", grids("AGD84", "GDA94"), "-33.49861111,151.50111111,0.000,0.939,\n"},
          {"published figures", grids("AGD66", "GDA2020"), "-33.49847222,151.50118056,0.000,0.502,\n"},
      });
}

// The vertical figure: the uncertainty grids' values at the point, two surfaces by root sum of
// squares (AHD to AVWS: sqrt(0.03^2 + 0.04^2) = 0.05); none without an uncertainty grid.
TEST(AccuracyE2e, HeightsTakeTheUncertaintyGrids) {
  constexpr DegreeArea kContinent{-45.0, -10.0, 110.0, 155.0, 1.0};
  const VelmoraFolder velmora;
  velmora.writeBesideProgram("AUSGeoid2020.gsb", planeGeoidGrid(kContinent, 20.0F, 0.0F, 0.0F));
  velmora.writeBesideProgram("AGQG_20201120.gsb", planeGeoidGrid(kContinent, 21.0F, 0.0F, 0.0F));
  const std::vector<std::string> run{"--fromDatum", "GDA2020", "--toDatum", "GDA2020", "--fromHeightType",
                                     "AHD",         "-33.5",   "151.5",     "10"};
  expectOutputs(velmora,
                {{"no uncertainty grid", with({"--toHeightType", "AVWS"}, run),
                  "-33.50000000,151.50000000,9.000,0.000,\n"},
                 {"ellipsoidal on both sides, unchanged",
                  {"--fromHeightType", "Ellipsoid", "--toHeightType", "Ellipsoid", "-33.5", "151.5", "10"},
                  "-33.50000000,151.50000000,10.000,0.000,0.000\n"}});
  velmora.writeBesideProgram("AUSGeoid2020_20180201_error.gsb",
                             planeGeoidGrid(kContinent, 0.03F, 0.0F, 0.0F));
  velmora.writeBesideProgram("AGQG_uncertainty_20201120.gsb", planeGeoidGrid(kContinent, 0.04F, 0.0F, 0.0F));
  expectOutputs(velmora, {{"AHD to ellipsoid", with({"--toHeightType", "Ellipsoid"}, run),
                           "-33.50000000,151.50000000,30.000,0.000,0.030\n"},
                          {"AHD to AVWS", with({"--toHeightType", "AVWS"}, run),
                           "-33.50000000,151.50000000,9.000,0.000,0.050\n"}});
}

// After the zone and the factors, before the method; with --columns at the end of the line, "*" for
// an empty field between blanks; a failed line keeps every field, empty.
TEST(AccuracyE2e, FieldsFollowTheFactorsAndPrecedeTheMethod) {
  const VelmoraFolder velmora;
  velmora.writeInWorkFolder("points.txt", "P1 -33.5 151.2 x\nP2 -33.5 151.2 ANG\n");
  velmora.writeInWorkFolder("bad.csv", "-33.5,151.2\n-95,151.2\n");
  const std::vector<std::string> agd66{"--fromDatum", "AGD66", "--toDatum", "GDA94"};
  expectOutputs(
      velmora,
      {
          {"every field",
           with(agd66, {"--toCoordType", "EN", "--toZone", "auto", "--showFactors", "--showMethod", "-33.5",
                        "151.2"}),
           "332899.526,6292007.978,0.000,56,0.993039171,0.9999442546,,3.000,,helmert:AGD66-GDA94\n"},
          {"columns", with(agd66, {"--columns", "2,3", "--delimiter", "space", "--inputFile", "points.txt"}),
           "P1 -33.49841952 151.20115251 x 3.000 *\nP2 -33.49841952 151.20115251 ANG 3.000 *\n"},
      });
  const ProcessResult strict =
      velmora.run(with(agd66, {"--strict", "--showAccuracy", "--showMethod", "--inputFile", "bad.csv"}));
  EXPECT_EQ(strict.standardOutput, "-33.49841952,151.20115251,0.000,3.000,,helmert:AGD66-GDA94\n,,,,,\n");
  EXPECT_EQ(strict.status, 1);
}

}  // namespace
}  // namespace velmora::testing
