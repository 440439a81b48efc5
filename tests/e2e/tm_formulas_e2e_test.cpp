// --tmFormulas: Krueger's series reaches every Transverse Mercator grid both ways, where Redfearn's
// series is off by millimetres 9.5 degrees from the central meridian.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/velmora_folder.hpp"

namespace velmora::testing {
namespace {

// MGA2020 zone 56 at 33 S, 143.5 E: GeographicLib's exact projection on GRS80 with b = 6356752.3141 m,
//   echo -33 143.5 | TransverseMercatorProj -e 6378137 0.0033528106875094776 -l 153 -k 0.9996 -p 10
//   -889110.9150541917 -3691657.2922504540 5.2081062671828144 1.0093621016904539
// so E = -389110.915, N = 6308342.708; Redfearn's series gives E = -389110.921.
TEST(TmFormulasE2e, KruegerReachesTheExactProjectionBothWaysAndRedfearnStaysTheDefault) {
  const VelmoraFolder velmora;
  const std::vector<std::string> gda2020{"--fromDatum", "GDA2020", "--toDatum", "GDA2020", "--zone", "56"};
  const std::vector<std::string> forward{"--toCoordType", "EN", "--showFactors", "-33.0", "143.5", "0"};
  const std::vector<std::string> reverse{"--fromCoordType", "EN", "-389110.9150541917", "6308342.707749546"};
  struct Case {
    std::vector<std::string> arguments;
    std::string output;
  };
  const Case cases[] = {
      {with(gda2020, forward), "-389110.921,6308342.708,0.000,5.208106268,1.0093621188,\n"},
      {with(with(gda2020, {"--tmFormulas", "redfearn"}), forward),
       "-389110.921,6308342.708,0.000,5.208106268,1.0093621188,\n"},
      {with(with(gda2020, {"--tmFormulas", "krueger"}), forward),
       "-389110.915,6308342.708,0.000,5.208106267,1.0093621017,\n"},
      {with(gda2020, reverse), "-33.00000000,143.50000011,0.000\n"},
      {with(with(gda2020, {"--tmFormulas", "krueger"}), reverse), "-33.00000000,143.50000000,0.000\n"},
      // ISG 56/1 on ANS: -e 6378160 0.003352891869444097 -l 151 -k 0.99994 gives -912330.0831008030
      // -3751312.0609151353 at 33.5 S, 141.2 E.
      {{"--fromDatum", "ISG", "--toDatum", "ISG", "--toCoordType", "EN", "--zone", "56", "--ISGSubZone", "1",
        "--tmFormulas", "krueger", "-33.5", "141.2", "0"},
       "-612330.083,1248687.939,0.000\n"},
  };
  for (const Case& c : cases) {
    const ProcessResult run = velmora.run(with(c.arguments, {"--quiet"}));
    EXPECT_EQ(run.standardOutput, c.output);
    EXPECT_EQ(run.status, 0);
  }
  const ProcessResult unknown = velmora.run({"--tmFormulas", "exact", "-33", "151"});
  EXPECT_EQ(unknown.status, 1);
  EXPECT_EQ(unknown.standardOutput, "");
  EXPECT_EQ(unknown.standardError, "velmora: --tmFormulas 'exact': expected redfearn or krueger\n");
}

}  // namespace
}  // namespace velmora::testing
