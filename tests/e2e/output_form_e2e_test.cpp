// --decimals, --heightDecimals and --dmsFormat: the result fields in every form and delimiter, and
// the defaults untouched.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/velmora_folder.hpp"

namespace velmora::testing {
namespace {

TEST(OutputFormE2e, DecimalsAndDmsFormsInEveryLayout) {
  const VelmoraFolder velmora;
  velmora.writeInWorkFolder("points.txt", "-33.856767 151.215297 1\n");
  velmora.writeInWorkFolder("points.csv", "a,-33.856767,151.215297,1\n");
  const std::vector<std::string> run{"--fromDatum", "GDA2020", "--toDatum", "GDA2020"};
  const std::vector<std::string> sydney{"-33.856767", "151.215297", "12.3456"};
  struct Case {
    std::vector<std::string> arguments;
    std::string output;
  };
  const Case cases[] = {
      {with({"--toCoordType", "DMS"}, sydney), "-33 51 24.3612,151 12 55.0692,12.346\n"},
      {with({"--toCoordType", "DMS", "--dmsFormat", "plain"}, sydney),
       "-33 51 24.3612,151 12 55.0692,12.346\n"},
      {with({"--toCoordType", "DMS", "--dmsFormat", "hemisphere"}, sydney),
       "33 51 24.3612 S,151 12 55.0692 E,12.346\n"},
      {with({"--toCoordType", "DMS", "--dmsFormat", "symbols"}, sydney),
       "\"33\u00b051'24.3612\"\"S\",\"151\u00b012'55.0692\"\"E\",12.346\n"},
      {with({"--toCoordType", "DM", "--dmsFormat", "symbols", "--decimals", "3"}, sydney),
       "33\u00b051.406'S,151\u00b012.918'E,12.346\n"},
      {with({"--toCoordType", "EN", "--decimals", "5", "--heightDecimals", "1"}, sydney),
       "334900.22856,6252292.40773,12.3\n"},
      {with({"--decimals", "0", "--heightDecimals", "0"}, sydney), "-34,151,12\n"},
      {with({"--heightDecimals", "5"}, sydney), "-33.85676700,151.21529700,12.34560\n"},
      // A second that rounds to 60 is kept by default, and carries with --decimals.
      {{"--toCoordType", "DMS", "-33.99999999", "151.0"}, "-33 59 60.0000,151 0 0.0000,0.000\n"},
      {{"--toCoordType", "DMS", "--decimals", "4", "-33.99999999", "151.0"},
       "-34 0 0.0000,151 0 0.0000,0.000\n"},
      {{"--toCoordType", "DMS", "--dmsFormat", "hemisphere", "--delimiter", "space", "--inputFile",
        "points.txt"},
       "33:51:24.3612S 151:12:55.0692E 1.000\n"},
      {{"--toCoordType", "DMS", "--dmsFormat", "hemisphere", "--delimiter", "space", "--columns", "1,2,3",
        "--inputFile", "points.txt"},
       "33:51:24.3612S 151:12:55.0692E 1.000\n"},
      {{"--toCoordType", "DMS", "--dmsFormat", "symbols", "--columns", "2,3,4", "--inputFile", "points.csv"},
       "a,\"33\u00b051'24.3612\"\"S\",\"151\u00b012'55.0692\"\"E\",1.000\n"},
  };
  for (const Case& c : cases) {
    const ProcessResult result = velmora.run(with(run, c.arguments));
    EXPECT_EQ(result.standardOutput, c.output);
    EXPECT_EQ(result.status, 0) << result.standardError;
  }
  // The symbols form of a CSV file reads back with --columns, which unquotes fields.
  velmora.writeInWorkFolder("symbols.csv", "\"33\u00b051'24.3612\"\"S\",\"151\u00b012'55.0692\"\"E\",0\n");
  const ProcessResult back = velmora.run(
      with(run, {"--strict", "--fromCoordType", "DMS", "--columns", "1,2,3", "--inputFile", "symbols.csv"}));
  EXPECT_EQ(back.standardOutput, "-33.85676700,151.21529700,0.000\n");

  const std::pair<std::vector<std::string>, std::string> errors[] = {
      {{"--decimals", "13"}, "velmora: --decimals '13': expected a number of decimals from 0 to 12\n"},
      {{"--heightDecimals", "-1"},
       "velmora: --heightDecimals '-1': expected a number of decimals from 0 to 12\n"},
      {{"--dmsFormat", "fancy"}, "velmora: --dmsFormat 'fancy': expected plain, hemisphere or symbols\n"},
  };
  for (const auto& [arguments, message] : errors) {
    const ProcessResult result = velmora.run(with(arguments, {"-33", "151"}));
    EXPECT_EQ(result.standardError, message);
    EXPECT_EQ(result.status, 1);
  }
}

}  // namespace
}  // namespace velmora::testing
