// Test helper: the ground offset between two nearby positions on GRS80, in metres north and east.
#pragma once

#include <cmath>

#include "velmora/geodesy/lat_lon.hpp"

namespace velmora::test {

struct GroundOffset {
  double north = 0.0;  // metres
  double east = 0.0;   // metres
  double length() const { return std::hypot(north, east); }
};

inline GroundOffset groundOffset(const LatLon& from, const LatLon& to) {
  constexpr double kDegToRad = 0.017453292519943295;
  constexpr double kA = 6378137.0;
  constexpr double kE2 = 0.006694380022900787;
  const double s = std::sin(from.latitude * kDegToRad);
  const double w2 = 1.0 - kE2 * s * s;
  const double meridianRadius = kA * (1.0 - kE2) / (w2 * std::sqrt(w2));
  const double primeVerticalRadius = kA / std::sqrt(w2);
  return GroundOffset{(to.latitude - from.latitude) * kDegToRad * meridianRadius,
                      (to.longitude - from.longitude) * kDegToRad * primeVerticalRadius *
                          std::cos(from.latitude * kDegToRad)};
}

}  // namespace velmora::test
