// Geographic positions: latitude north positive and longitude east positive, in decimal degrees;
// heights above the ellipsoid in metres.
#pragma once

namespace velmora {

struct LatLon {
  double latitude = 0.0;   // degrees
  double longitude = 0.0;  // degrees
};

// A position with its ellipsoidal height. It passes as a LatLon where only the position is wanted.
struct LatLonHeight : LatLon {
  double height = 0.0;  // metres above the ellipsoid
};

}  // namespace velmora
