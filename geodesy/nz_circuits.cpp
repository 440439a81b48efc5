// The parameters of the circuits as EPSG publishes them (Debian's proj.db, EPSG v10.076: table
// conversion_table, latitude and longitude of origin in sexagesimal degrees, unit 9110), each
// row with its two EPSG codes.
#include "velmora/geodesy/nz_circuits.hpp"

#include <array>

#include "common/ascii_text.hpp"

namespace velmora {
namespace {

constexpr double kNzgd2000FalseEastingM = 400000.0;
constexpr double kNzgd2000FalseNorthingM = 800000.0;
constexpr double kNzgd49FalseEastingM = 300000.0;
constexpr double kNzgd49FalseNorthingM = 700000.0;
constexpr double kBluffNzgd49FalseEastingM = 300002.66;
constexpr double kBluffNzgd49FalseNorthingM = 699999.58;

constexpr NzCircuit circuit(std::string_view name, double scale, int code2000, Sexagesimal lat2000,
                            Sexagesimal lon2000, int code49, Sexagesimal lat49, Sexagesimal lon49,
                            double fe49 = kNzgd49FalseEastingM, double fn49 = kNzgd49FalseNorthingM) {
  return NzCircuit{name, scale, {code2000, lat2000, lon2000, kNzgd2000FalseEastingM, kNzgd2000FalseNorthingM},
                   {code49, lat49, lon49, fe49, fn49}};
}

constexpr std::array kCircuits{
    circuit("MountEden", 0.9999, 2105, {-36, 52, 47}, {174, 45, 51}, 27205, {-36, 52, 47.515}, {174, 45, 51.6217}),
    circuit("BayOfPlenty", 1.0, 2106, {-37, 45, 40}, {176, 27, 58}, 27206, {-37, 45, 40.4993}, {176, 27, 58.3101}),
    circuit("PovertyBay", 1.0, 2107, {-38, 37, 28}, {177, 53, 8}, 27207, {-38, 37, 28.93}, {177, 53, 8.2906}),
    circuit("HawkesBay", 1.0, 2108, {-39, 39, 3}, {176, 40, 25}, 27208, {-39, 39, 3.3455}, {176, 40, 25.2499}),
    circuit("Taranaki", 1.0, 2109, {-39, 8, 8}, {174, 13, 40}, 27209, {-39, 8, 8.7299}, {174, 13, 40.8423}),
    circuit("Tuhirangi", 1.0, 2110, {-39, 30, 44}, {175, 38, 24}, 27210, {-39, 30, 44.8934}, {175, 38, 24.1325}),
    circuit("Wanganui", 1.0, 2111, {-40, 14, 31}, {175, 29, 17}, 27211, {-40, 14, 31.0097}, {175, 29, 17.1586}),
    circuit("Wairarapa", 1.0, 2112, {-40, 55, 31}, {175, 38, 50}, 27212, {-40, 55, 31.9175}, {175, 38, 50.4588}),
    circuit("Wellington", 1.0, 2113, {-41, 18, 4}, {174, 46, 35}, 27213, {-41, 18, 4.7507}, {174, 46, 35.8432}),
    circuit("Collingwood", 1.0, 2114, {-40, 42, 53}, {172, 40, 19}, 27214, {-40, 42, 53.1326}, {172, 40, 19.3674}),
    circuit("Nelson", 1.0, 2115, {-41, 16, 28}, {173, 17, 57}, 27215, {-41, 16, 28.361}, {173, 17, 57.5405}),
    circuit("Karamea", 1.0, 2116, {-41, 17, 23}, {172, 6, 32}, 27216, {-41, 17, 23.6815}, {172, 6, 32.5015}),
    circuit("Buller", 1.0, 2117, {-41, 48, 38}, {171, 34, 52}, 27217, {-41, 48, 38.8903}, {171, 34, 52.5362}),
    circuit("Grey", 1.0, 2118, {-42, 20, 1}, {171, 32, 59}, 27218, {-42, 20, 1.2994}, {171, 32, 59.1767}),
    circuit("Amuri", 1.0, 2119, {-42, 41, 20}, {173, 0, 36}, 27219, {-42, 41, 20.8197}, {173, 0, 36.4802}),
    circuit("Marlborough", 1.0, 2120, {-41, 32, 40}, {173, 48, 7}, 27220, {-41, 32, 40.152}, {173, 48, 7.4668}),
    circuit("Hokitika", 1.0, 2121, {-42, 53, 10}, {170, 58, 47}, 27221, {-42, 53, 10.7605}, {170, 58, 47.9766}),
    circuit("Okarito", 1.0, 2122, {-43, 6, 36}, {170, 15, 39}, 27222, {-43, 6, 36.4613}, {170, 15, 39.333}),
    circuit("JacksonsBay", 1.0, 2123, {-43, 58, 40}, {168, 36, 22}, 27223, {-43, 58, 40.0904}, {168, 36, 22.5612}),
    circuit("MountPleasant", 1.0, 2124, {-43, 35, 26}, {172, 43, 37}, 27224, {-43, 35, 26.2953}, {172, 43, 37.8969}),
    circuit("Gawler", 1.0, 2125, {-43, 44, 55}, {171, 21, 38}, 27225, {-43, 44, 55.3616}, {171, 21, 38.6945}),
    circuit("Timaru", 1.0, 2126, {-44, 24, 7}, {171, 3, 26}, 27226, {-44, 24, 7.9933}, {171, 3, 26.103}),
    circuit("LindisPeak", 1.0, 2127, {-44, 44, 6}, {169, 28, 3}, 27227, {-44, 44, 6.9647}, {169, 28, 3.9183}),
    circuit("MountNicholas", 1.0, 2128, {-45, 7, 58}, {168, 23, 55}, 27228, {-45, 7, 58.4493}, {168, 23, 55.1083}),
    circuit("MountYork", 1.0, 2129, {-45, 33, 49}, {167, 44, 19}, 27229, {-45, 33, 49.4142}, {167, 44, 19.9024}),
    circuit("ObservationPoint", 1.0, 2130, {-45, 48, 58}, {170, 37, 42}, 27230, {-45, 48, 58.3078},
            {170, 37, 42.9426}),
    circuit("NorthTaieri", 0.99996, 2131, {-45, 51, 41}, {170, 16, 57}, 27231, {-45, 51, 41.4481},
            {170, 16, 57.3208}),
    circuit("Bluff", 1.0, 2132, {-46, 36, 0}, {168, 20, 34}, 27232, {-46, 36, 0.0346}, {168, 20, 34.3392},
            kBluffNzgd49FalseEastingM, kBluffNzgd49FalseNorthingM),
};

}  // namespace

std::span<const NzCircuit> nzCircuits() {
  return kCircuits;
}

const NzCircuit* findNzCircuit(std::string_view name) {
  for (const NzCircuit& c : kCircuits) {
    if (equalsIgnoreCase(c.name, name)) return &c;
  }
  return nullptr;
}

ProjectionParams circuitProjection(const NzCircuit& circuit, bool nzgd49) {
  const CircuitOrigin& origin = nzgd49 ? circuit.nzgd49 : circuit.nzgd2000;
  ProjectionParams params;
  params.kind = ProjectionKind::kNzCircuit;
  params.ellipsoid = nzgd49 ? kInternational1924 : kGrs80Ellipsoid;
  params.falseEasting = origin.falseEasting;
  params.falseNorthing = origin.falseNorthing;
  params.centralMeridian = origin.longitude.decimalDegrees();
  params.latitudeOfOrigin = origin.latitude.decimalDegrees();
  params.centralScale = circuit.scale;
  return params;
}

}  // namespace velmora
