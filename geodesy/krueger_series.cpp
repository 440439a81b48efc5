// Karney's form of Krüger's series. The forward maps the latitude to the conformal latitude
// (through tau = tan phi and tau' = tan of the conformal latitude), takes the spherical transverse
// Mercator coordinates xi', eta' of the conformal sphere, and corrects them by the alpha series in
// sin/cos(2j xi') cosh/sinh(2j eta'); the reverse undoes the correction with the beta series and
// recovers tau from tau' by Newton's method. Convergence and scale come from the same sums: the
// derivative of the series (p, q) and the factors of the conformal mapping.
#include "velmora/geodesy/krueger_series.hpp"

#include <algorithm>
#include <cmath>

#include "velmora/geodesy/angle_units.hpp"

namespace velmora {
namespace {

// Coefficients of n^1 .. n^8 of each alpha_j and beta_j (Karney 2011, equations 35 and 36).
// Row j holds the coefficients of n^j .. n^8 of the j-th term, as exact fractions.
constexpr double kAlpha[8][8] = {
    {1.0 / 2, -2.0 / 3, 5.0 / 16, 41.0 / 180, -127.0 / 288, 7891.0 / 37800, 72161.0 / 387072,
     -18975107.0 / 50803200},
    {13.0 / 48, -3.0 / 5, 557.0 / 1440, 281.0 / 630, -1983433.0 / 1935360, 13769.0 / 28800,
     148003883.0 / 174182400},
    {61.0 / 240, -103.0 / 140, 15061.0 / 26880, 167603.0 / 181440, -67102379.0 / 29030400,
     79682431.0 / 79833600},
    {49561.0 / 161280, -179.0 / 168, 6601661.0 / 7257600, 97445.0 / 49896, -40176129013.0 / 7664025600},
    {34729.0 / 80640, -3418889.0 / 1995840, 14644087.0 / 9123840, 2605413599.0 / 622702080},
    {212378941.0 / 319334400, -30705481.0 / 10378368, 175214326799.0 / 58118860800},
    {1522256789.0 / 1383782400, -16759934899.0 / 3113510400},
    {1424729850961.0 / 743921418240},
};
constexpr double kBeta[8][8] = {
    {1.0 / 2, -2.0 / 3, 37.0 / 96, -1.0 / 360, -81.0 / 512, 96199.0 / 604800, -5406467.0 / 38707200,
     7944359.0 / 67737600},
    {1.0 / 48, 1.0 / 15, -437.0 / 1440, 46.0 / 105, -1118711.0 / 3870720, 51841.0 / 1209600,
     24749483.0 / 348364800},
    {17.0 / 480, -37.0 / 840, -209.0 / 4480, 5569.0 / 90720, 9261899.0 / 58060800, -6457463.0 / 17740800},
    {4397.0 / 161280, -11.0 / 504, -830251.0 / 7257600, 466511.0 / 2494800, 324154477.0 / 7664025600},
    {4583.0 / 161280, -108847.0 / 3991680, -8005831.0 / 63866880, 22894433.0 / 124540416},
    {20648693.0 / 638668800, -16363163.0 / 518918400, -2204645983.0 / 12915302400},
    {219941297.0 / 5535129600, -497323811.0 / 12454041600},
    {191773887257.0 / 3719607091200},
};

// sum over k of row[k] n^(j + k), the j-th coefficient (from 1).
double term(const double (&row)[8], int j, double n) {
  double sum = 0.0;
  double power = std::pow(n, j);
  for (int k = 0; k + j <= 8; ++k) {
    sum += row[k] * power;
    power *= n;
  }
  return sum;
}

constexpr int kMaxNewtonSteps = 10;
constexpr double kTauTolerance = 1e-15;  // relative, a few units in the last place of tau

}  // namespace

KruegerSeries::KruegerSeries(const Ellipsoid& ellipsoid)
    : semiMajorAxis_(ellipsoid.semiMajorAxis),
      eccentricity_(std::sqrt(ellipsoid.eccentricitySquared)),
      oneMinusE2_(ellipsoid.oneMinusE2) {
  // n = f / (2 - f) with 1 - f = sqrt(1 - e^2).
  const double oneMinusF = std::sqrt(oneMinusE2_);
  const double n = (1.0 - oneMinusF) / (1.0 + oneMinusF);
  const double n2 = n * n;
  radius_ = semiMajorAxis_ / (1.0 + n) *
            (1.0 + n2 * (1.0 / 4 + n2 * (1.0 / 64 + n2 * (1.0 / 256 + n2 * 25.0 / 16384))));
  for (int j = 1; j <= kOrder; ++j) {
    alpha_[j - 1] = term(kAlpha[j - 1], j, n);
    beta_[j - 1] = term(kBeta[j - 1], j, n);
  }
}

KruegerForward KruegerSeries::forward(double latitudeDeg, double longitudeDeg) const {
  const double phi = latitudeDeg * kRadiansPerDegree;
  const double lambda = longitudeDeg * kRadiansPerDegree;
  const double e = eccentricity_;
  const double tau = std::tan(phi);
  const double secPhi = std::hypot(1.0, tau);
  const double sigma = std::sinh(e * std::atanh(e * tau / secPhi));
  const double tauPrime = tau * std::hypot(1.0, sigma) - sigma * secPhi;
  const double cosLambda = std::cos(lambda);
  const double sinLambda = std::sin(lambda);
  const double xiPrime = std::atan2(tauPrime, cosLambda);
  const double etaPrime = std::asinh(sinLambda / std::hypot(tauPrime, cosLambda));

  double xi = xiPrime;
  double eta = etaPrime;
  double p = 1.0;  // d(xi + i eta) / d(xi' + i eta') = p - i q ... as Karney's p' and q'
  double q = 0.0;
  for (int j = 1; j <= kOrder; ++j) {
    const double a = alpha_[j - 1];
    const double s = std::sin(2 * j * xiPrime);
    const double c = std::cos(2 * j * xiPrime);
    const double sh = std::sinh(2 * j * etaPrime);
    const double ch = std::cosh(2 * j * etaPrime);
    xi += a * s * ch;
    eta += a * c * sh;
    p += 2 * j * a * c * ch;
    q += 2 * j * a * s * sh;
  }
  KruegerForward result;
  result.x = radius_ * eta;
  result.y = radius_ * xi;
  // Convergence: that of the conformal sphere, then the series' own rotation.
  const double gammaSphere = std::atan2(tauPrime * std::tan(lambda), std::hypot(1.0, tauPrime));
  const double gammaSeries = std::atan2(q, p);
  result.factors.convergenceDeg = (gammaSphere + gammaSeries) * kDegreesPerRadian;
  // Scale: the conformal mapping's and the series'.
  const double sinPhi = std::sin(phi);
  const double kSphere = std::sqrt(1.0 - e * e * sinPhi * sinPhi) * secPhi / std::hypot(tauPrime, cosLambda);
  result.factors.scale = radius_ / semiMajorAxis_ * std::hypot(p, q) * kSphere;
  return result;
}

LatLon KruegerSeries::geographic(double x, double y) const {
  const double xi = y / radius_;
  const double eta = x / radius_;
  double xiPrime = xi;
  double etaPrime = eta;
  for (int j = 1; j <= kOrder; ++j) {
    const double b = beta_[j - 1];
    xiPrime -= b * std::sin(2 * j * xi) * std::cosh(2 * j * eta);
    etaPrime -= b * std::cos(2 * j * xi) * std::sinh(2 * j * eta);
  }
  const double sinhEta = std::sinh(etaPrime);
  const double cosXi = std::cos(xiPrime);
  const double tauPrime = std::sin(xiPrime) / std::hypot(sinhEta, cosXi);
  const double lambda = std::atan2(sinhEta, cosXi);

  // tau from tau' by Newton's method (Karney 2011, equations 19 to 21).
  const double e = eccentricity_;
  double tau = tauPrime / oneMinusE2_;
  for (int step = 0; step < kMaxNewtonSteps; ++step) {
    const double secTau = std::hypot(1.0, tau);
    const double sigma = std::sinh(e * std::atanh(e * tau / secTau));
    const double tauI = tau * std::hypot(1.0, sigma) - sigma * secTau;
    const double change =
        (tauPrime - tauI) / std::hypot(1.0, tauI) * (1.0 + oneMinusE2_ * tau * tau) / (oneMinusE2_ * secTau);
    tau += change;
    if (!(std::fabs(change) >= kTauTolerance * std::max(1.0, std::fabs(tau)))) break;
  }
  return LatLon{std::atan(tau) * kDegreesPerRadian, lambda * kDegreesPerRadian};
}

KruegerReverse KruegerSeries::reverse(double x, double y) const {
  const LatLon point = geographic(x, y);
  return KruegerReverse{point.latitude, point.longitude, forward(point.latitude, point.longitude).factors};
}

}  // namespace velmora
