// --zoneColumn: each line's zone for the source grid, and for the output without --toZone.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/velmora_folder.hpp"

namespace velmora::testing {
namespace {

// Grid values: MGA2020 zone 56 of Sydney and zone 55 of 37.8 S, 144.9 E, and ISG 56/1 of 33.5 S,
// 150.3 E, as GeographicLib's TransverseMercatorProj gives them (see grid_factors_e2e_test.cpp).
TEST(ZoneColumnE2e, EachLineInItsOwnZoneWithAnyThreadCount) {
  const VelmoraFolder velmora;
  velmora.writeInWorkFolder("marks.csv",
                            "id,e,n,zone\n"
                            "A,334900.229,6252292.408,56\n"
                            "B,315115.612,5814297.849,55H\n"
                            "C,315115.612,5814297.849,55N\n"
                            "D,315115.612,5814297.849,zone 55\n");
  velmora.writeInWorkFolder("points.csv", "-33.856767,151.215297,56\n-37.8,144.9,55\n");
  velmora.writeInWorkFolder("isg.csv", "234957.249,1291787.823,56/1\n");
  const std::vector<std::string> gda2020{"--fromDatum", "GDA2020", "--toDatum", "GDA2020"};
  for (const std::string threads : {"1", "2"}) {
    const ProcessResult lax = velmora.run(
        with(gda2020, {"--threads", threads, "--fromCoordType", "EN", "--columns", "2,3", "--zoneColumn", "4",
                       "--skipLines", "1", "--quiet", "--inputFile", "marks.csv"}));
    // Without --strict a band of the other hemisphere still gives its zone; a zone that does not read
    // leaves the run's (56).
    EXPECT_EQ(lax.standardOutput,
              "id,e,n,zone\n"
              "A,-33.85676700,151.21529700,56\n"
              "B,-37.80000000,144.90000000,55H\n"
              "C,-37.80000000,144.90000000,55N\n"
              "D,-37.80000000,150.90000000,zone 55\n");  // zone 56: 6 degrees east
    const ProcessResult output =
        velmora.run(with(gda2020, {"--threads", threads, "--toCoordType", "EN", "--columns", "1,2",
                                   "--zoneColumn", "3", "--inputFile", "points.csv"}));
    EXPECT_EQ(output.standardOutput, "334900.229,6252292.408,56\n315115.612,5814297.849,55\n");
  }
  const ProcessResult strict =
      velmora.run(with(gda2020, {"--strict", "--fromCoordType", "EN", "--columns", "2,3", "--zoneColumn", "4",
                                 "--skipLines", "1", "--inputFile", "marks.csv"}));
  EXPECT_EQ(
      strict.standardOutput,
      "id,e,n,zone\nA,-33.85676700,151.21529700,56\nB,-37.80000000,144.90000000,55H\nC,,,55N\nD,,,zone 55\n");
  EXPECT_EQ(
      strict.standardError,
      "velmora: marks.csv line 4, field 4 (zone): a latitude band north of the equator, and the run's "
      "hemisphere is S, got '55N'\n"
      "velmora: marks.csv line 5, field 4 (zone): expected a zone from 1 to 60 such as 55, 55H or 56/1, got "
      "'zone 55'\n");
  EXPECT_EQ(strict.status, 1);
  const ProcessResult isg =
      velmora.run({"--strict", "--fromDatum", "ISG", "--toDatum", "ISG", "--fromCoordType", "EN",
                   "--ISGSubZone", "2", "--columns", "1,2", "--zoneColumn", "3", "--inputFile", "isg.csv"});
  EXPECT_EQ(isg.standardOutput, "-33.50000000,150.30000000,56/1\n");
  EXPECT_EQ(isg.status, 0) << isg.standardError;
  const ProcessResult noColumns = velmora.run(with(gda2020, {"--zoneColumn", "3", "-33", "151"}));
  EXPECT_EQ(noColumns.standardError,
            "velmora: --zoneColumn 3: needs --columns (the zone is a field of each line)\n");
  EXPECT_EQ(noColumns.status, 1);
}

}  // namespace
}  // namespace velmora::testing
