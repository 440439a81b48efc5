#include "velmora/geodesy/krueger_series.hpp"

#include <gtest/gtest.h>

namespace velmora {
namespace {

// Independent derivation: GeographicLib 2.1 `TransverseMercatorProj -l 0 -k 1 -e 6378137
// 1/298.257222101 -p 10`, the exact transverse Mercator (Lee's elliptic functions), on GRS80.
// It prints x, y, the convergence gamma in degrees and the scale k.
TEST(KruegerSeries, AgreesWithTheExactProjectionBothWays) {
  struct Reference {
    double latitude;
    double longitude;  // from the central meridian
    double x;
    double y;
    double gamma;
    double k;
  };
  const Reference references[] = {
      {-33.8, -1.8, -166691.8610502770, -3742934.2124621454, 1.0015628226505637, 1.0003424135311341},
      {-10.0, 5.0, 548856.1914404359, -1110021.3200535502, -0.8704270785957516, 1.0037283496296441},
      {-45.0, 9.5, 749036.2931103067, -5029057.2215883788, -6.7486897812733195, 1.0069033203704747},
      {-60.0, 10.0, 556573.8891377986, -6696296.8691338077, -8.6823134346477602, 1.0037967859213293},
      {0.0, 3.0, 334112.2018001856, 0.0, 0.0, 1.0013816141533802},
      {-80.0, 8.0, 154674.3809611388, -8895792.4835015703, -7.8800012950540452, 1.0002922108438783},
      {-25.0, 0.0, 0.0, -2766054.1690631122, 0.0, 1.0},
  };
  const KruegerSeries series(kGrs80Ellipsoid);
  constexpr double kMetres = 1e-8;            // 0.01 micrometre
  constexpr double kDegrees = 1e-8 / 3600.0;  // 1e-8 arc-seconds
  for (const Reference& r : references) {
    const KruegerForward f = series.forward(r.latitude, r.longitude);
    EXPECT_NEAR(f.x, r.x, kMetres) << r.latitude << " " << r.longitude;
    EXPECT_NEAR(f.y, r.y, kMetres) << r.latitude << " " << r.longitude;
    EXPECT_NEAR(f.factors.convergenceDeg, r.gamma, kDegrees) << r.latitude << " " << r.longitude;
    EXPECT_NEAR(f.factors.scale, r.k, 1e-14) << r.latitude << " " << r.longitude;
    const KruegerReverse back = series.reverse(r.x, r.y);
    EXPECT_NEAR(back.latitudeDeg, r.latitude, 1e-13) << r.latitude << " " << r.longitude;
    EXPECT_NEAR(back.longitudeDeg, r.longitude, 1e-13) << r.latitude << " " << r.longitude;
    EXPECT_NEAR(back.factors.convergenceDeg, r.gamma, kDegrees);
    EXPECT_NEAR(back.factors.scale, r.k, 1e-14);
  }
}

}  // namespace
}  // namespace velmora
