// --fromCircuit and --toCircuit: the New Zealand meridional circuits on either datum, both ways.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/e2e/velmora_folder.hpp"
#include "velmora/geodesy/map_projection.hpp"
#include "velmora/geodesy/nz_circuits.hpp"

namespace velmora::testing {
namespace {

// The special circuits by cs2cs with their EPSG codes (PROJ 9.1, proj.db's parameters):
//   echo LAT LON | cs2cs -d 4 EPSG:4167 EPSG:21xx   (NZGD2000)  and  EPSG:4272 EPSG:272xx  (NZGD49)
// which print the northing first. Mount Eden has scale 0.9999, North Taieri 0.99996, NZGD49 Bluff
// its own false origin.
TEST(NzCircuitsE2e, SpecialCircuitsAgreeWithCs2csBothWays) {
  const VelmoraFolder velmora;
  struct Case {
    const char* circuit;
    const char* datum;
    const char* latitude;
    const char* longitude;
    std::string grid;
  };
  const Case cases[] = {
      {"MountEden", "NZGD2000", "-36.6297222222222", "175.114166666667",
       "431301.425,827683.446,0.000\n"},  // 2105
      {"MountEden", "NZGD49", "-36.6297222222222", "175.114166666667",
       "331287.370,727700.099,0.000\n"},                                                              // 27205
      {"NorthTaieri", "NZGD2000", "-45.6113888888889", "170.6325", "427300.236,827725.843,0.000\n"},  // 2131
      {"northtaieri", "NZGD49", "-45.6113888888889", "170.6325", "327294.557,727740.614,0.000\n"},    // 27231
      {"Bluff", "NZGD2000", "-46.35", "168.692777777778", "426940.691,827730.609,0.000\n"},           // 2132
      {"Bluff", "NZGD49", "-46.35", "168.692777777778", "326937.359,727732.211,0.000\n"},             // 27232
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.circuit) + " " + c.datum);
    const ProcessResult forward =
        velmora.run({"--strict", "--fromDatum", c.datum, "--toDatum", c.datum, "--toCoordType", "EN",
                     "--toCircuit", c.circuit, c.latitude, c.longitude});
    EXPECT_EQ(forward.standardOutput, c.grid);
    EXPECT_EQ(forward.status, 0) << forward.standardError;
    const std::string easting = c.grid.substr(0, c.grid.find(','));
    const std::string northing = c.grid.substr(easting.size() + 1, c.grid.rfind(',') - easting.size() - 1);
    const ProcessResult reverse =
        velmora.run({"--strict", "--fromDatum", c.datum, "--toDatum", c.datum, "--fromCoordType", "EN",
                     "--fromCircuit", c.circuit, easting, northing});
    // The grid text is rounded to the millimetre: the point comes back within 2e-8 degrees (a millimetre and
    // the last decimal).
    const std::string& back = reverse.standardOutput;
    EXPECT_NEAR(std::strtod(back.c_str(), nullptr), std::strtod(c.latitude, nullptr), 2e-8);
    EXPECT_NEAR(std::strtod(back.c_str() + back.find(',') + 1, nullptr), std::strtod(c.longitude, nullptr),
                2e-8);
    EXPECT_EQ(reverse.status, 0) << reverse.standardError;
  }
}

// Every circuit by name reaches its own record on each datum; circuit to circuit with factors
// (TransverseMercatorProj -e 6378137 1/298.257222101 -l 168.34277777777777 -k 1 gives
// gamma -1.6366929111645907 and k 1.0003920522027459 at 45.6113888888889 S, 170.6325 E).
TEST(NzCircuitsE2e, EveryCircuitByNameAndCircuitToCircuit) {
  const VelmoraFolder velmora;
  constexpr LatLon kPoint{-41.0, 173.5};
  for (const NzCircuit& circuit : nzCircuits()) {
    for (const bool nzgd49 : {false, true}) {
      const std::string datum = nzgd49 ? "NZGD49" : "NZGD2000";
      const GridPoint grid = geographicToGrid(circuitProjection(circuit, nzgd49), kPoint);
      const ProcessResult run = velmora.run({"--fromDatum", datum, "--toDatum", datum, "--toCoordType", "EN",
                                             "--toCircuit", std::string(circuit.name), "-41.0", "173.5"});
      EXPECT_EQ(run.standardOutput, enLine(grid.easting, grid.northing, 0.0)) << circuit.name << " " << datum;
    }
  }
  const ProcessResult across =
      velmora.run({"--strict", "--fromDatum", "NZGD2000", "--toDatum", "NZGD2000", "--fromCoordType", "EN",
                   "--toCoordType", "EN", "--fromCircuit", "NorthTaieri", "--toCircuit", "Bluff",
                   "--showFactors", "427300.2355", "827725.8431"});
  EXPECT_EQ(across.standardOutput, "578606.091,907336.462,0.000,-1.636692911,1.0003920522,\n");
}

TEST(NzCircuitsE2e, OptionErrors) {
  const VelmoraFolder velmora;
  struct Case {
    std::vector<std::string> arguments;
    std::string message;
  };
  const Case cases[] = {
      {{"--toCircuit", "Mount Eden"},
       "--toCircuit 'Mount Eden': unknown circuit; expected one of MountEden, BayOfPlenty, PovertyBay, "
       "HawkesBay, "
       "Taranaki, Tuhirangi, Wanganui, Wairarapa, Wellington, Collingwood, Nelson, Karamea, Buller, Grey, "
       "Amuri, "
       "Marlborough, Hokitika, Okarito, JacksonsBay, MountPleasant, Gawler, Timaru, LindisPeak, "
       "MountNicholas, "
       "MountYork, ObservationPoint, NorthTaieri, Bluff"},
      {{"--toDatum", "GDA94", "--toCoordType", "EN", "--toCircuit", "Bluff"},
       "--toCircuit Bluff: the circuits are grids of NZGD2000 and NZGD49, not of GDA94"},
      {{"--strict", "--fromDatum", "NZGD2000", "--toDatum", "NZGD2000", "--fromCircuit", "Bluff"},
       "--fromCircuit Bluff: the input is not EN, so the circuit goes unused"},
  };
  for (const Case& c : cases) {
    const ProcessResult run = velmora.run(with(c.arguments, {"-46", "168"}));
    EXPECT_EQ(run.standardError, "velmora: " + c.message + "\n");
    EXPECT_EQ(run.standardOutput, "");
    EXPECT_EQ(run.status, 1);
  }
}

}  // namespace
}  // namespace velmora::testing
