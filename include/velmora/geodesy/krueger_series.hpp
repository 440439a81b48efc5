// Krüger's series for the Transverse Mercator projection in the third flattening n, to order n^8,
// in the form of Karney (2011, "Transverse Mercator with an accuracy of a few nanometers") that
// the GDA2020 Technical Manual recommends: exact to a few nanometres within 30 degrees of the
// central meridian, against Redfearn's series, which loses a millimetre beyond 6 degrees. With the
// coordinates it gives the grid convergence and the point scale factor.
//
// Coordinates here are those of the projection itself: x east of the central meridian and y north
// of the equator, in metres, with a central scale factor of 1; the caller scales them by k0 and
// adds the false origin.
#pragma once

#include <array>

#include "velmora/geodesy/ellipsoid.hpp"
#include "velmora/geodesy/grid_factors.hpp"
#include "velmora/geodesy/lat_lon.hpp"

namespace velmora {

struct KruegerForward {
  double x = 0.0;  // metres east of the central meridian, scale 1
  double y = 0.0;  // metres north of the equator, scale 1
  GridFactors factors;
};

struct KruegerReverse {
  double latitudeDeg = 0.0;
  double longitudeDeg = 0.0;  // from the central meridian
  GridFactors factors;
};

class KruegerSeries {
 public:
  static constexpr int kOrder = 8;

  // The series of an ellipsoid, from its a and e^2.
  explicit KruegerSeries(const Ellipsoid& ellipsoid);

  // Latitude and longitude from the central meridian, degrees (|longitude| < 90).
  KruegerForward forward(double latitudeDeg, double longitudeDeg) const;
  // Back from x, y: latitude and longitude from the central meridian alone, or with the factors.
  LatLon geographic(double x, double y) const;
  KruegerReverse reverse(double x, double y) const;

 private:
  double semiMajorAxis_ = 0.0;
  double eccentricity_ = 0.0;
  double oneMinusE2_ = 0.0;
  double radius_ = 0.0;
  std::array<double, kOrder> alpha_{};  // forward coefficients alpha_1 .. alpha_8
  std::array<double, kOrder> beta_{};   // reverse coefficients beta_1 .. beta_8
};

}  // namespace velmora
