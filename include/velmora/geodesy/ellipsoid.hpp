// Ellipsoids of revolution with the derived constants the formulas read. Every record is built at
// compile time from its defining pair by the expressions below, which are the ones the stored
// results were made with. Records of the same ellipsoid may therefore differ in the last digits
// (GRS80 from 1/f has e^2 = 0.006694380022900787, from b = 6356752.3141 m it has
// 0.006694380035512838); each formula keeps the record it has always used, so results are
// reproduced to the last bit. GRS80 from its rounded semi-axes, which only the GDA and NZGD2000
// map grids and the NZGD49 <-> NZGD2000 transformation read, is kept beside those operations.
#pragma once

namespace velmora {

struct Ellipsoid {
  double semiMajorAxis = 0.0;        // a, metres
  double semiMinorAxis = 0.0;        // b, metres
  double eccentricitySquared = 0.0;  // e^2
  double oneMinusE2 = 0.0;           // 1 - e^2
  double e2TimesA = 0.0;             // e^2 * a, metres
  double oneMinusFlattening = 0.0;   // 1 - f = b / a
};

// From a (metres) and the inverse flattening: f = 1 / (1/f), e^2 = 2f - f^2, b = a (1 - f).
constexpr Ellipsoid ellipsoidFromInverseFlattening(double semiMajorAxis, double inverseFlattening) {
  const double f = 1.0 / inverseFlattening;
  const double e2 = 2.0 * f - f * f;
  return Ellipsoid{semiMajorAxis, semiMajorAxis * (1.0 - f), e2, 1.0 - e2, e2 * semiMajorAxis, 1.0 - f};
}

// From the semi-axes a and b (metres): e^2 = (a^2 - b^2) / a^2, 1 - f = b / a.
constexpr Ellipsoid ellipsoidFromSemiAxes(double semiMajorAxis, double semiMinorAxis) {
  const double a2 = semiMajorAxis * semiMajorAxis;
  const double e2 = (a2 - semiMinorAxis * semiMinorAxis) / a2;
  const double oneMinusF = semiMinorAxis / semiMajorAxis;
  return Ellipsoid{semiMajorAxis, semiMinorAxis, e2, 1.0 - e2, e2 * semiMajorAxis, oneMinusF};
}

// The ellipsoid with e^2 replaced by a rounded value (1 - e^2 and e^2 * a follow it; a, b and
// 1 - f stay those of the defining pair).
constexpr Ellipsoid withRoundedEccentricitySquared(const Ellipsoid& ellipsoid, double eccentricitySquared) {
  Ellipsoid rounded = ellipsoid;
  rounded.eccentricitySquared = eccentricitySquared;
  rounded.oneMinusE2 = 1.0 - eccentricitySquared;
  rounded.e2TimesA = eccentricitySquared * ellipsoid.semiMajorAxis;
  return rounded;
}

// Defined by a and 1/f. The geographic <-> geocentric conversions of the datum transformations
// use these. GRS80 and WGS84 name whole reference systems, so their records say Ellipsoid.
inline constexpr Ellipsoid kAustralianNationalSpheroid = ellipsoidFromInverseFlattening(6378160.0, 298.25);
inline constexpr Ellipsoid kGrs80Ellipsoid = ellipsoidFromInverseFlattening(6378137.0, 298.257222101);
inline constexpr Ellipsoid kWgs84Ellipsoid = ellipsoidFromInverseFlattening(6378137.0, 298.257223563);
inline constexpr Ellipsoid kClarke1858 = ellipsoidFromInverseFlattening(6378293.639, 294.26068);

// Defined by a and a rounded b (0.1 mm; 1 mm for International 1924). The map projections use
// these, and the NZGD49 <-> NZGD2000 transformation the semi-axes of International 1924.
inline constexpr Ellipsoid kWgs84RoundedAxes = ellipsoidFromSemiAxes(6378137.0, 6356752.3142);
inline constexpr Ellipsoid kInternational1924 = ellipsoidFromSemiAxes(6378388.0, 6356911.946);

// e^2 rounded to 12 decimal places, as the map projections use them.
inline constexpr Ellipsoid kAustralianNationalSpheroidRoundedE2 =
    withRoundedEccentricitySquared(kAustralianNationalSpheroid, 0.006694541855);
inline constexpr Ellipsoid kClarke1858RoundedE2 = withRoundedEccentricitySquared(kClarke1858, 0.006785145922);

}  // namespace velmora
