#include "velmora/geodesy/projection_params.hpp"

#include <gtest/gtest.h>

#include <climits>

#include "tests/geodesy/projection_records.hpp"

namespace velmora {
namespace {

// Central meridians of the zone rules, in degrees east: UTM zone 53 on 135 E in 6-degree steps,
// ISG sub-zones 4, 2 and 0 degrees west of their UTM meridian, zone 0 through the record's field.
TEST(CentralMeridian, ZoneRulesOfEachKind) {
  struct Case {
    ProjectionParams params;
    double expectedDeg;
  };
  ProjectionParams zone0 = test::gda94Grid(0);
  zone0.centralMeridian = 147.5;
  ProjectionParams isgZone0 = test::isgGrid(0, 2);
  isgZone0.centralMeridian = 12.25;
  const Case cases[] = {
      {test::gda94Grid(56), 153.0},
      {test::gda94Grid(1), -177.0},
      {test::gda94Grid(60), 177.0},
      {test::gda94Grid(50), 117.0},
      {zone0, 147.5},
      {test::isgGrid(56, 0), 149.0},
      {test::isgGrid(56, 1), 151.0},
      {test::isgGrid(55, 2), 147.0},
      {isgZone0, 12.25},
      {test::angGrid(), 111.0},
      {test::nzMapGridRecord(), 173.0},
      {test::nzgd2000Grid(), 173.0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(centralMeridianDegrees(c.params), c.expectedDeg) << static_cast<int>(c.params.kind);
  }
}

// Zone and sub-zone numbers are not validated; absurd ones must still give a number, computed
// without integer overflow (the sanitizer build checks the latter).
TEST(CentralMeridian, ExtremeZoneNumbersDoNotOverflow) {
  EXPECT_EQ(centralMeridianDegrees(test::gda94Grid(INT_MAX)),
            (static_cast<double>(INT_MAX) - 53.0) * 6.0 + 135.0);
  EXPECT_EQ(centralMeridianDegrees(test::gda94Grid(INT_MIN)),
            (static_cast<double>(INT_MIN) - 53.0) * 6.0 + 135.0);
  EXPECT_EQ(centralMeridianDegrees(test::isgGrid(56, INT_MAX)), 149.0 + 2.0 * static_cast<double>(INT_MAX));
  EXPECT_EQ(centralMeridianDegrees(test::isgGrid(INT_MIN, INT_MIN)),
            (static_cast<double>(INT_MIN) - 53.0) * 6.0 + 135.0 - 4.0 + 2.0 * static_cast<double>(INT_MIN));
}

}  // namespace
}  // namespace velmora
