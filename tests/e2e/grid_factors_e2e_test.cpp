// --showFactors: the grid convergence and scale factors of every grid, against GeographicLib and
// PROJ, and where their fields go on a result line.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/velmora_folder.hpp"

namespace velmora::testing {
namespace {

constexpr double kArcSecondsPerDegree = 3600.0;
constexpr double kConvergenceToleranceArcSec = 0.01;
constexpr double kScaleTolerance = 1e-8;

// The fields of the first result line, split at commas.
std::vector<std::string> fieldsOf(const std::string& output) {
  std::vector<std::string> fields;
  std::istringstream line(output.substr(0, output.find('\n')));
  for (std::string field; std::getline(line, field, ',');) fields.push_back(field);
  if (!output.empty() && output[output.find('\n') - 1] == ',') fields.emplace_back();
  return fields;
}

// References: the Transverse Mercator grids from GeographicLib's exact projection,
//   echo LAT LON | TransverseMercatorProj -e A 1/F -l LON0 -k K0 -p 9   (gamma, then k)
// and the NZ Map Grid from PROJ's numerical factors,
//   echo LON LAT | proj -V +proj=nzmg +ellps=intl                      (Convergence, Meridian scale)
TEST(GridFactorsE2e, EveryGridAgreesWithTheReferences) {
  const VelmoraFolder velmora;
  struct Case {
    const char* grid;
    std::vector<std::string> options;
    const char* latitude;
    const char* longitude;
    double convergenceDeg;
    double scale;
  };
  const Case cases[] = {
      // -e 6378137 1/298.257222101 -l 153 -k 0.9996
      {"MGA2020 zone 56",
       {"--fromDatum", "GDA2020", "--toDatum", "GDA2020", "--zone", "56"},
       "-33.856767",
       "151.215297",
       0.994516251021929,
       0.999936033861556},
      // -l 147, 2.1 degrees west of the central meridian
      {"MGA2020 zone 55",
       {"--fromDatum", "GDA2020", "--toDatum", "GDA2020", "--zone", "55"},
       "-37.8",
       "144.9",
       1.287469294678118,
       1.000021032617869},
      // -e 6378160 1/298.25 -l 151 -k 0.99994
      {"ISG 56/1",
       {"--fromDatum", "ISG", "--toDatum", "ISG", "--zone", "56", "--ISGSubZone", "1"},
       "-33.5",
       "150.3",
       0.386369445569939,
       0.999992137558673},
      // -e 6378293.639 1/294.26068 -l 111 -k 1
      {"ANG grid",
       {"--fromDatum", "ANG", "--toDatum", "ANG"},
       "-31.95",
       "115.86",
       -2.576324092372881,
       1.002606677467134},
      // -e 6378137 1/298.257222101 -l 173 -k 0.9996
      {"NZTM",
       {"--fromDatum", "NZGD2000", "--toDatum", "NZGD2000"},
       "-41.29",
       "174.78",
       -1.174785366376477,
       0.999873398300414},
      // proj -V: Convergence -1d10'4.597" [ -1.16794355 ], Meridian scale (h) 0.99995186
      {"NZMG", {"--fromDatum", "NZGD49", "--toDatum", "NZGD49"}, "-41.29", "174.78", -1.16794355, 0.99995186},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.grid);
    const ProcessResult run = velmora.run(
        with(c.options, {"--strict", "--toCoordType", "EN", "--showFactors", c.latitude, c.longitude, "0"}));
    ASSERT_EQ(run.status, 0) << run.standardError;
    const std::vector<std::string> fields = fieldsOf(run.standardOutput);
    ASSERT_EQ(fields.size(), 6U) << run.standardOutput;
    EXPECT_NEAR(std::strtod(fields[3].c_str(), nullptr) * kArcSecondsPerDegree,
                c.convergenceDeg * kArcSecondsPerDegree, kConvergenceToleranceArcSec);
    EXPECT_NEAR(std::strtod(fields[4].c_str(), nullptr), c.scale, kScaleTolerance);
    EXPECT_EQ(fields[5], "");  // no ellipsoidal height
  }
}

// The combined scale factor on Sydney at 100 m: R = sqrt(rho nu) = 6369987.937 m on GRS80 at
// 33.856767 S, so k * R / (R + h) = 0.999936033861556 * 0.99998430... = 0.9999203365.
TEST(GridFactorsE2e, FieldsFollowTheZoneAndPrecedeTheMethodOnEitherSide) {
  const VelmoraFolder velmora;
  const std::vector<std::string> gda2020{"--fromDatum", "GDA2020", "--toDatum", "GDA2020", "--showFactors"};
  const std::vector<std::string> ellipsoidal{"--fromHeightType", "Ellipsoid", "--toHeightType", "Ellipsoid"};
  struct Case {
    std::vector<std::string> arguments;
    std::string output;
  };
  const Case cases[] = {
      {with(gda2020,
            {"--toCoordType", "EN", "--toZone", "auto", "--showMethod", "-33.856767", "151.215297", "100"}),
       "334900.229,6252292.408,100.000,56,0.994516251,0.9999360339,,unchanged\n"},
      {with(with(gda2020, ellipsoidal),
            {"--toCoordType", "EN", "--zone", "56", "-33.856767", "151.215297", "100"}),
       "334900.229,6252292.408,100.000,0.994516251,0.9999360339,0.9999203365\n"},
      // Grid input, geographic output: the source grid's factors.
      {with(with(gda2020, ellipsoidal),
            {"--fromCoordType", "EN", "--zone", "56", "334900.229", "6252292.408", "100"}),
       "-33.85676700,151.21529700,100.000,0.994516250,0.9999360339,0.9999203365\n"},
      // Neither side a grid: the fields are there, empty, after a warning.
      {with(gda2020, {"-33.856767", "151.215297", "100"}), "-33.85676700,151.21529700,100.000,,,\n"},
  };
  for (const Case& c : cases) {
    const ProcessResult run = velmora.run(c.arguments);
    EXPECT_EQ(run.standardOutput, c.output);
    EXPECT_EQ(run.status, 0);
  }
  const ProcessResult strict = velmora.run(with(gda2020, {"--strict", "-33.856767", "151.215297"}));
  EXPECT_EQ(strict.status, 1);
  EXPECT_EQ(strict.standardOutput, "");
  EXPECT_EQ(strict.standardError,
            "velmora: --showFactors: neither side is a grid (EN): the factor fields would stay empty (give "
            "--fromCoordType EN or --toCoordType EN)\n");
}

TEST(GridFactorsE2e, FilesKeepTheFieldCountOnFailedLinesWithColumnsAndBlanks) {
  const VelmoraFolder velmora;
  velmora.writeInWorkFolder("points.csv", "a,-33.856767,151.215297,100\nb,-33.8x,151.2,0\n");
  velmora.writeInWorkFolder("points.txt", "-33.856767 151.215297 100\n");
  const std::vector<std::string> run{"--fromDatum", "GDA2020", "--toDatum", "GDA2020",       "--toCoordType",
                                     "EN",          "--zone",  "56",        "--showFactors", "--strict"};
  const ProcessResult columns = velmora.run(with(run, {"--columns", "2,3,4", "--inputFile", "points.csv"}));
  EXPECT_EQ(columns.standardOutput,
            "a,334900.229,6252292.408,100.000,0.994516251,0.9999360339,\n"
            "b,,,,,,\n");
  EXPECT_EQ(columns.status, 1);
  const ProcessResult lines = velmora.run(with(run, {"--inputFile", "points.csv"}));
  EXPECT_EQ(lines.standardOutput, ",,,,,\n,,,,,\n");
  const ProcessResult blanks = velmora.run(with(run, {"--delimiter", "space", "--inputFile", "points.txt"}));
  EXPECT_EQ(blanks.standardOutput, "334900.229 6252292.408 100.000 0.994516251 0.9999360339 *\n");
  EXPECT_EQ(blanks.status, 0);
}

}  // namespace
}  // namespace velmora::testing
