// Test helper: projection records of the grids the geodesy tests exercise, filled field by field
// as the pipeline's datum table fills them.
#pragma once

#include "velmora/geodesy/projection_params.hpp"

namespace velmora::test {

// GRS80 as the GDA and NZGD2000 grids read it: from a and b = 6356752.3141 m, so that e^2 is
// 0.006694380035512838 (0.006694380022900787 from 1/f).
inline constexpr Ellipsoid kGrs80RoundedAxes = ellipsoidFromSemiAxes(6378137.0, 6356752.3141);

inline ProjectionParams utmGrid(const Ellipsoid& ellipsoid, int zone, bool southern = true) {
  return {ProjectionKind::kTransverseMercator, ellipsoid, zone, 0, 500000.0,
          southern ? 10000000.0 : 0.0,         0.0};
}

inline ProjectionParams gda94Grid(int zone, bool southern = true) {
  return utmGrid(kGrs80RoundedAxes, zone, southern);
}

inline ProjectionParams isgGrid(int zone, int subZone) {
  return {ProjectionKind::kIsgGrid,
          kAustralianNationalSpheroidRoundedE2,
          zone,
          subZone,
          300000.0,
          5000000.0,
          0.0};
}

inline ProjectionParams angGrid() {
  return {ProjectionKind::kAngGrid, kClarke1858RoundedE2, 0, 0, 500000.0, 10000000.0, 0.0};
}

inline ProjectionParams nzMapGridRecord() {
  return {ProjectionKind::kNzMapGrid, kInternational1924, 0, 0, 2510000.0, 6023150.0, 0.0};
}

// One Transverse Mercator grid on 173 E, through the central meridian field.
inline ProjectionParams nzgd2000Grid() {
  return {ProjectionKind::kTransverseMercator, kGrs80RoundedAxes, 0, 0, 1600000.0, 10000000.0, 173.0};
}

}  // namespace velmora::test
