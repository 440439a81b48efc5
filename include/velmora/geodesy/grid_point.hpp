// A point of a map grid: easting and northing in the grid's unit (metres; yards on the ANG grid).
#pragma once

namespace velmora {

struct GridPoint {
  double easting = 0.0;
  double northing = 0.0;
};

}  // namespace velmora
