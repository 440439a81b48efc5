#include "velmora/geodesy/nz_circuits.hpp"

#include <gtest/gtest.h>

#include "velmora/geodesy/map_projection.hpp"

namespace velmora {
namespace {

// Independent derivation: PROJ 9.1 `cs2cs -d 4 EPSG:4167 EPSG:21xx` (NZGD2000) and `cs2cs -d 4
// EPSG:4272 EPSG:272xx` (NZGD49) at a point 0.25 degrees north and 0.35 degrees east of each
// NZGD2000 circuit's origin, taken as a position of either datum; the circuits' parameters come
// from proj.db, as ours.
TEST(NzCircuits, ProjectAsEpsgDefinesThemBothWays) {
  struct Reference {
    const char* name;
    double latitude;
    double longitude;
    double easting2000;
    double northing2000;
    double easting49;
    double northing49;
  };
  const Reference references[] = {
      {"MountEden", -36.6297222222222, 175.114166666667, 431301.4254, 827683.4464, 331287.3700, 727700.0988},
      {"BayOfPlenty", -37.5111111111111, 176.81611111111098, 430944.3692, 827689.8491, 330938.1336,
       727706.0111},
      {"PovertyBay", -38.3744444444444, 178.235555555556, 430584.4388, 827693.4950, 330578.7554, 727722.9564},
      {"HawkesBay", -39.4008333333333, 177.023611111111, 430147.4684, 827697.9362, 330142.8476, 727709.3928},
      {"Taranaki", -38.8855555555556, 174.57777777777798, 430368.0633, 827695.6925, 330349.1264, 727719.0468},
      {"Tuhirangi", -39.2622222222222, 175.98999999999998, 430207.0505, 827697.3299, 330205.2341,
       727725.6704},
      {"Wanganui", -39.9919444444444, 175.838055555556, 429891.3945, 827700.5444, 329888.9833, 727701.6480},
      {"Wairarapa", -40.6752777777778, 175.997222222222, 429591.3890, 827703.6038, 329581.9563, 727732.7541},
      {"Wellington", -41.0511111111111, 175.12638888888898, 429424.5809, 827705.3061, 329406.2268,
       727729.3561},
      {"Collingwood", -40.4647222222222, 173.021944444444, 429684.2824, 827702.6562, 329676.9720,
       727707.5801},
      {"Nelson", -41.0244444444444, 173.64916666666699, 429436.4585, 827705.1848, 329425.1689, 727717.1833},
      {"Karamea", -41.0397222222222, 172.458888888889, 429429.6544, 827705.2543, 329419.2785, 727727.1372},
      {"Buller", -41.5605555555556, 171.931111111111, 429196.4418, 827707.6351, 329185.3478, 727735.9762},
      {"Grey", -42.0836111111111, 171.89972222222198, 428959.7939, 827710.0514, 328957.0566, 727720.1392},
      {"Amuri", -42.4388888888889, 173.35999999999999, 428797.6694, 827711.7068, 328788.0131, 727737.8867},
      {"Marlborough", -41.2944444444444, 174.15194444444398, 429315.9020, 827706.4154, 329306.3755,
       727711.9651},
      {"Hokitika", -42.6361111111111, 171.329722222222, 428707.1897, 827712.6306, 328686.2549, 727737.0354},
      {"Okarito", -42.86, 170.610833333333, 428604.0617, 827713.6834, 328597.8152, 727728.7996},
      {"JacksonsBay", -43.7277777777778, 168.956111111111, 428200.2083, 827717.8039, 328188.9484,
       727721.5140},
      {"MountPleasant", -43.3405555555556, 173.076944444444, 428381.2264, 827715.9575, 328362.3296,
       727726.0149},
      {"Gawler", -43.4986111111111, 171.710555555556, 428307.4958, 827716.7097, 328293.1966, 727728.7978},
      {"Timaru", -44.1519444444444, 171.407222222222, 428000.4325, 827719.8404, 327999.4382, 727751.3867},
      {"LindisPeak", -44.485, 169.8175, 427842.4858, 827721.4493, 327823.4827, 727752.1986},
      {"MountNicholas", -44.8827777777778, 168.748611111111, 427652.6053, 827723.3820, 327651.5121,
       727738.1538},
      {"MountYork", -45.3136111111111, 168.088611111111, 427445.4324, 827725.4885, 327427.0523, 727739.2617},
      {"ObservationPoint", -45.5661111111111, 170.97833333333298, 427323.2870, 827726.7292, 327304.1186,
       727737.2270},
      {"NorthTaieri", -45.6113888888889, 170.6325, 427300.2355, 827725.8431, 327294.5567, 727740.6143},
      {"Bluff", -46.35, 168.692777777778, 426940.6914, 827730.6091, 326937.3588, 727732.2111},
  };
  ASSERT_EQ(std::size(references), nzCircuits().size());
  for (const Reference& r : references) {
    const NzCircuit* circuit = findNzCircuit(r.name);
    ASSERT_NE(circuit, nullptr) << r.name;
    for (const bool nzgd49 : {false, true}) {
      const ProjectionParams params = circuitProjection(*circuit, nzgd49);
      const GridPoint grid = geographicToGrid(params, {r.latitude, r.longitude});
      EXPECT_NEAR(grid.easting, nzgd49 ? r.easting49 : r.easting2000, 0.001) << r.name << " " << nzgd49;
      EXPECT_NEAR(grid.northing, nzgd49 ? r.northing49 : r.northing2000, 0.001) << r.name << " " << nzgd49;
      const LatLon back = gridToGeographic(params, grid);
      EXPECT_NEAR(back.latitude, r.latitude, 1e-9) << r.name;  // 0.1 mm
      EXPECT_NEAR(back.longitude, r.longitude, 1e-9) << r.name;
    }
  }
  EXPECT_EQ(findNzCircuit("mounteden"), &nzCircuits()[0]);
  EXPECT_EQ(findNzCircuit("Mount Eden"), nullptr);
}

}  // namespace
}  // namespace velmora
