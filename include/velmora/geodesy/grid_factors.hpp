// The two numbers that relate a map grid to the ground at a point.
#pragma once

namespace velmora {

// The grid convergence: the bearing of grid north measured clockwise from true north, in degrees,
// positive where grid north lies east of true north (GeographicLib's gamma; the GDA Technical
// Manual's gamma has the opposite sign). The point scale factor: grid distance over ellipsoidal
// distance for a short line at the point.
struct GridFactors {
  double convergenceDeg = 0.0;
  double scale = 1.0;
};

}  // namespace velmora
