// A geographic position in decimal degrees: latitude north positive, longitude east positive.
#pragma once

namespace velmora {

struct LatLon {
  double latitude = 0.0;
  double longitude = 0.0;
};

}  // namespace velmora
