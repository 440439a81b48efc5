// The NZ Map Grid: a conformal projection of the International 1924 ellipsoid defined by complex
// polynomials about the origin 41 S, 173 E. The latitude difference from the origin, in units of
// 10^5 arc-seconds, becomes an isometric latitude difference by a real series (A); that and the
// longitude difference in radians form zeta, and a complex polynomial (B) gives the grid offsets
// divided by the semi-major axis, northing in the real part and easting in the imaginary part.
// The reverse starts from a complex polynomial (C) and refines it with two Newton steps on B,
// then the real series D returns the latitude.
//
// Every latitude is treated as southern (its absolute value is used). The two rounded angle
// factors below are those the grid coordinates in circulation were computed with.
#include "velmora/geodesy/nz_map_grid.hpp"

#include <array>
#include <cmath>
#include <cstddef>

namespace velmora {
namespace {

constexpr double kSemiMajorAxisM = 6378388.0;  // International 1924
constexpr double kEccentricitySquared = 0.006722670022333322;   // International 1924: 2f - f^2, f = 1/297
constexpr double kOriginLatitudeDeg = 41.0;    // degrees south
constexpr double kOriginLongitudeDeg = 173.0;  // degrees east
constexpr double kFalseEastingM = 2510000.0;
constexpr double kFalseNorthingM = 6023150.0;
constexpr double kPolynomialLatitudeUnitPerDeg = 0.036;         // 3600 / 10^5: degrees to 10^5 arc-seconds
constexpr double kForwardRadiansPerDegree = 0.017453292519943;  // shortened pi/180
constexpr double kReverseDegreesPerRadian = 57.2957795128;      // shortened 180/pi

// Latitude to isometric latitude difference, A1 to A10.
constexpr std::array<double, 10> kA{
    0.6399175073, -0.1358797613, 0.063294409, -0.02526853, 0.0117879,
    -0.0055161,   0.0026906,     -0.001333,   0.00067,     -0.00034,
};

struct Complex {
  double re = 0.0;
  double im = 0.0;
};

constexpr Complex operator+(Complex u, Complex v) {
  return {u.re + v.re, u.im + v.im};
}
constexpr Complex operator*(Complex u, Complex v) {
  return {u.re * v.re - u.im * v.im, u.re * v.im + u.im * v.re};
}
constexpr Complex operator*(double k, Complex v) {
  return {k * v.re, k * v.im};
}
// Numerator times the conjugate of the denominator, over the squared modulus of the denominator.
constexpr Complex operator/(Complex u, Complex v) {
  const double modulus2 = v.re * v.re + v.im * v.im;
  return {(u.re * v.re + u.im * v.im) / modulus2, (u.im * v.re - u.re * v.im) / modulus2};
}

// Forward polynomial B1 to B6.
constexpr std::array<Complex, 6> kB{{
    {0.7557853228, 0.0},
    {0.249204646, 0.003371507},
    {-0.001541739, 0.04105856},
    {-0.10162907, 0.01727609},
    {-0.26623489, -0.36249218},
    {-0.6870983, -1.1651967},
}};

// First estimate of the inverse, C1 to C6.
constexpr std::array<Complex, 6> kC{{
    {1.3231270439, 0.0},
    {-0.577245789, -0.007809598},
    {0.508307513, -0.112208952},
    {-0.15094762, 0.18200602},
    {1.01418179, 1.64497696},
    {1.9660549, 2.51227645},
}};

// Isometric latitude difference back to latitude, D1 to D9.
constexpr std::array<double, 9> kD{
    1.5627014243, 0.5185406398, -0.03333098, -0.1052906, -0.0368594, 0.007317, 0.0122, 0.00394, -0.0013,
};

constexpr int kNewtonRefinements = 2;

// Sum of coefficient[n-1] * value^n for n = 1..N, powers by the runtime power function.
template <std::size_t N>
double realSeries(const std::array<double, N>& coefficients, double value) {
  double sum = 0.0;
  for (std::size_t i = 0; i < N; ++i) sum += coefficients[i] * std::pow(value, static_cast<double>(i + 1));
  return sum;
}

// Sum of coefficient[n-1] * value^n for n = 1..6, powers by repeated complex multiplication.
Complex complexSeries(const std::array<Complex, 6>& coefficients, Complex value) {
  Complex sum;
  Complex power = value;
  for (const Complex& coefficient : coefficients) {
    sum = sum + coefficient * power;
    power = power * value;
  }
  return sum;
}

// One Newton step on z = sum B_n theta^n:
// theta <- (z + sum_{n=2..6} (n-1) B_n theta^n) / (sum_{n=1..6} n B_n theta^(n-1)).
Complex newtonStep(Complex z, Complex theta) {
  Complex numerator = z;
  Complex denominator;
  Complex powerBelow{1.0, 0.0};  // theta^(n-1)
  for (std::size_t i = 0; i < kB.size(); ++i) {
    const double n = static_cast<double>(i + 1);
    const Complex power = powerBelow * theta;  // theta^n
    if (i > 0) numerator = numerator + ((n - 1.0) * kB[i]) * power;
    denominator = denominator + (n * kB[i]) * powerBelow;
    powerBelow = power;
  }
  return numerator / denominator;
}

}  // namespace

GridPoint nzMapGridForward(const LatLon& point) {
  const double deltaPhi = (kOriginLatitudeDeg - std::fabs(point.latitude)) * kPolynomialLatitudeUnitPerDeg;
  const double deltaPsi = realSeries(kA, deltaPhi);
  const double deltaLambda = (point.longitude - kOriginLongitudeDeg) * kForwardRadiansPerDegree;
  const Complex z = complexSeries(kB, Complex{deltaPsi, deltaLambda});
  return GridPoint{kFalseEastingM + kSemiMajorAxisM * z.im, kFalseNorthingM + kSemiMajorAxisM * z.re};
}

LatLon nzMapGridReverse(const GridPoint& point) {
  const Complex z{(point.northing - kFalseNorthingM) / kSemiMajorAxisM,
                  (point.easting - kFalseEastingM) / kSemiMajorAxisM};
  Complex theta = complexSeries(kC, z);
  for (int step = 0; step < kNewtonRefinements; ++step) theta = newtonStep(z, theta);
  const double deltaPhi = realSeries(kD, theta.re);
  return LatLon{deltaPhi / kPolynomialLatitudeUnitPerDeg - kOriginLatitudeDeg,
                kOriginLongitudeDeg + theta.im * kReverseDegreesPerRadian};
}

GridFactors nzMapGridFactors(const LatLon& point) {
  const double deltaPhi = (kOriginLatitudeDeg - std::fabs(point.latitude)) * kPolynomialLatitudeUnitPerDeg;
  const Complex zeta{realSeries(kA, deltaPhi), (point.longitude - kOriginLongitudeDeg) * kForwardRadiansPerDegree};
  // dz/dzeta = sum n B_n zeta^(n-1): its modulus is the scale from the isometric plane (where a
  // length along a parallel is its length on the ellipsoid over nu cos phi) to the grid over a; its
  // argument, counted from the northing axis towards the easting axis, is the grid bearing of true
  // north, which is minus the convergence.
  Complex derivative;
  Complex powerBelow{1.0, 0.0};
  for (std::size_t i = 0; i < kB.size(); ++i) {
    derivative = derivative + (static_cast<double>(i + 1) * kB[i]) * powerBelow;
    powerBelow = powerBelow * zeta;
  }
  const double phi = point.latitude * kForwardRadiansPerDegree;
  const double sinPhi = std::sin(phi);
  const double primeVertical = kSemiMajorAxisM / std::sqrt(1.0 - kEccentricitySquared * sinPhi * sinPhi);
  return GridFactors{-std::atan2(derivative.im, derivative.re) * kReverseDegreesPerRadian,
                     kSemiMajorAxisM * std::hypot(derivative.re, derivative.im) / (primeVertical * std::cos(phi))};
}

}  // namespace velmora
