// The 28 meridional circuits of New Zealand's cadastral surveys: Transverse Mercator projections,
// each with its own origin, on NZGD2000 (EPSG 2105 to 2132: false origin 400000 m E, 800000 m N)
// and on NZGD49 (EPSG 27205 to 27232: 300000 m E, 700000 m N, Bluff excepted). The origins of
// the two datums differ by the datum change, to the hundredth of an arc-second on NZGD49.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "velmora/geodesy/projection_params.hpp"

namespace velmora {

// An angle as EPSG stores it (sexagesimal degrees, minutes and seconds; the sign on the degrees).
struct Sexagesimal {
  int degrees = 0;
  int minutes = 0;
  double seconds = 0.0;

  constexpr double decimalDegrees() const {
    const double magnitude = (degrees < 0 ? -degrees : degrees) + minutes / 60.0 + seconds / 3600.0;
    return degrees < 0 ? -magnitude : magnitude;
  }
};

struct CircuitOrigin {
  int epsgCode = 0;
  Sexagesimal latitude;
  Sexagesimal longitude;
  double falseEasting = 0.0;  // metres
  double falseNorthing = 0.0;
};

struct NzCircuit {
  std::string_view name;  // "MountEden": the EPSG name without "Circuit" and the year, spaces removed
  double scale = 1.0;     // on the central meridian
  CircuitOrigin nzgd2000;
  CircuitOrigin nzgd49;
};

// Every circuit, north to south as EPSG numbers them.
std::span<const NzCircuit> nzCircuits();

// The circuit of that name, letter case ignored; nothing for a name that names none.
const NzCircuit* findNzCircuit(std::string_view name);

// The projection record of a circuit on NZGD2000 (GRS80) or NZGD49 (International 1924).
ProjectionParams circuitProjection(const NzCircuit& circuit, bool nzgd49);

}  // namespace velmora
