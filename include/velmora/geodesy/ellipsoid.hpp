// Ellipsoids of the map projections. These values serve the projections only; the datum
// transformations carry their own constants, which differ in the last digits.
#pragma once

#include <array>

namespace velmora {

struct Ellipsoid {
  double semiMajorAxis;        // a, metres
  double eccentricitySquared;  // e^2, exactly as stored (not always the textbook value)
};

inline constexpr int kAustralianNationalSpheroid = 0;
inline constexpr int kGrs80 = 1;
inline constexpr int kInternational1924 = 2;
inline constexpr int kClarke1858 = 3;
inline constexpr int kWgs84Ellipsoid = 4;

extern const std::array<Ellipsoid, 5> kProjectionEllipsoids;

}  // namespace velmora
