#include "velmora/geodesy/projection_params.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

#include "velmora/geodesy/ellipsoid.hpp"

namespace velmora {
namespace {

// The stored e^2 values, checked against the semi-axes they were derived from (1 - b^2/a^2);
// the tolerance is a few units in the last place.
TEST(EllipsoidTable, StoredEccentricitiesMatchTheirSemiMinorAxes) {
  struct Row {
    int index;
    double a;
    double b;
  };
  const Row rows[] = {
      {kGrs80, 6378137.0, 6356752.3141},
      {kInternational1924, 6378388.0, 6356911.946},
      {kWgs84Ellipsoid, 6378137.0, 6356752.3142},
  };
  for (const Row& row : rows) {
    const Ellipsoid& e = kProjectionEllipsoids[static_cast<std::size_t>(row.index)];
    EXPECT_EQ(e.semiMajorAxis, row.a) << row.index;
    EXPECT_NEAR(e.eccentricitySquared, 1.0 - (row.b * row.b) / (row.a * row.a), 1e-16) << row.index;
  }
  // Rows given to 12 decimals; the Australian National Spheroid one is 2f - f^2 with 1/f = 298.25.
  const double f = 1.0 / 298.25;
  EXPECT_NEAR(kProjectionEllipsoids[kAustralianNationalSpheroid].eccentricitySquared, 2.0 * f - f * f, 1e-12);
  EXPECT_EQ(kProjectionEllipsoids[kClarke1858].semiMajorAxis, 6378293.639);
  EXPECT_EQ(kProjectionEllipsoids[kClarke1858].eccentricitySquared, 0.006785145922);
  // The GRS80 row is not the textbook value; both are listed so that a "correction" is caught.
  EXPECT_EQ(kProjectionEllipsoids[kGrs80].eccentricitySquared, 0.006694380035512838);
  EXPECT_NE(kProjectionEllipsoids[kGrs80].eccentricitySquared, 0.006694380022900787);
}

struct RecordCase {
  std::string name;
  DatumCode datum;
  int zone;
  bool southern;
  int subZone;
  // expected
  int kind;
  int ellipsoid;
  double falseEasting;
  double falseNorthing;
  int storedZone;
  double centralMeridianDeg;
};

class MakeProjectionParams : public ::testing::TestWithParam<RecordCase> {};

TEST_P(MakeProjectionParams, FillsTheRecordForTheDatum) {
  const RecordCase& c = GetParam();
  const ProjectionParams p = makeProjectionParams(c.datum, c.zone, c.southern, c.subZone);
  EXPECT_EQ(p.projectionKind, c.kind);
  EXPECT_EQ(p.ellipsoidIndex, c.ellipsoid);
  EXPECT_EQ(p.semiMajorAxis, kProjectionEllipsoids[static_cast<std::size_t>(c.ellipsoid)].semiMajorAxis);
  EXPECT_EQ(p.eccentricitySquared,
            kProjectionEllipsoids[static_cast<std::size_t>(c.ellipsoid)].eccentricitySquared);
  EXPECT_EQ(p.falseEasting, c.falseEasting);
  EXPECT_EQ(p.falseNorthing, c.falseNorthing);
  EXPECT_EQ(p.zone, c.storedZone);
  EXPECT_EQ(p.isgSubZone, c.subZone);
  EXPECT_EQ(p.angZone, 0);
  EXPECT_EQ(centralMeridianDegrees(p), c.centralMeridianDeg);
}

INSTANTIATE_TEST_SUITE_P(
    DatumTable, MakeProjectionParams,
    ::testing::Values(
        RecordCase{"Gda94Zone56South", kGda94, 56, true, 0, kTransverseMercator, kGrs80, 500000, 10000000, 56,
                   153},
        RecordCase{"Gda94Zone56North", kGda94, 56, false, 0, kTransverseMercator, kGrs80, 500000, 0, 56, 153},
        RecordCase{"Gda94Zone0UsesFieldZero", kGda94, 0, true, 0, kTransverseMercator, kGrs80, 500000,
                   10000000, 0, 0},
        RecordCase{"Gda94Zone1", kGda94, 1, true, 0, kTransverseMercator, kGrs80, 500000, 10000000, 1, -177},
        RecordCase{"Gda94Zone60", kGda94, 60, true, 0, kTransverseMercator, kGrs80, 500000, 10000000, 60,
                   177},
        RecordCase{"Gda2020Zone55", kGda2020, 55, true, 0, kTransverseMercator, kGrs80, 500000, 10000000, 55,
                   147},
        RecordCase{"Agd66Zone50", kAgd66, 50, true, 2, kTransverseMercator, kAustralianNationalSpheroid,
                   500000, 10000000, 50, 117},
        RecordCase{"Agd84Zone54North", kAgd84, 54, false, 0, kTransverseMercator, kAustralianNationalSpheroid,
                   500000, 0, 54, 141},
        RecordCase{"Nzgd2000IgnoresZone", kNzgd2000, 56, true, 1, kTransverseMercator, kGrs80, 1600000,
                   10000000, 0, 173},
        RecordCase{"Nzgd2000IgnoresHemisphere", kNzgd2000, 59, false, 0, kTransverseMercator, kGrs80, 1600000,
                   10000000, 0, 173},
        RecordCase{"IsgSubZone0", kIsg, 56, true, 0, kIsgGrid, kAustralianNationalSpheroid, 300000, 5000000,
                   56, 149},
        RecordCase{"IsgSubZone1", kIsg, 56, true, 1, kIsgGrid, kAustralianNationalSpheroid, 300000, 5000000,
                   56, 151},
        RecordCase{"IsgSubZone2", kIsg, 56, true, 2, kIsgGrid, kAustralianNationalSpheroid, 300000, 5000000,
                   56, 153},
        RecordCase{"IsgNorthKeepsOrigin", kIsg, 55, false, 1, kIsgGrid, kAustralianNationalSpheroid, 300000,
                   5000000, 55, 145},
        RecordCase{"IsgZone0UsesFieldZero", kIsg, 0, true, 2, kIsgGrid, kAustralianNationalSpheroid, 300000,
                   5000000, 0, 0},
        RecordCase{"AngAnyZoneIs111", kAng, 56, true, 0, kAngGrid, kClarke1858, 500000, 10000000, 56, 111},
        RecordCase{"AngNorth", kAng, 49, false, 0, kAngGrid, kClarke1858, 500000, 0, 49, 111},
        RecordCase{"Nzgd49", kNzgd49, 56, true, 0, kNzMapGrid, kInternational1924, 2510000, 6023150, 56, 173},
        RecordCase{"Nzgd49North", kNzgd49, 56, false, 0, kNzMapGrid, kInternational1924, 2510000, 6023150, 56,
                   173},
        RecordCase{"Wgs84", kWgs84, 56, true, 0, kTransverseMercator, kWgs84Ellipsoid, 500000, 10000000, 56,
                   153},
        RecordCase{"Code9AsGda94", 9, 56, true, 0, kTransverseMercator, kGrs80, 500000, 10000000, 56, 153},
        RecordCase{"NegativeCodeAsGda94", -1, 55, false, 0, kTransverseMercator, kGrs80, 500000, 0, 55, 147},
        RecordCase{"HugeCodeAsGda94", INT_MAX, 56, true, 0, kTransverseMercator, kGrs80, 500000, 10000000, 56,
                   153}),
    [](const ::testing::TestParamInfo<RecordCase>& info) { return info.param.name; });

// Zone and sub-zone numbers are not validated; absurd ones must still give a number, computed
// without integer overflow (the sanitizer build checks the latter).
TEST(CentralMeridian, ExtremeZoneNumbersDoNotOverflow) {
  const ProjectionParams utm = makeProjectionParams(kGda94, INT_MAX, true, 0);
  EXPECT_EQ(centralMeridianDegrees(utm), (static_cast<double>(INT_MAX) - 53.0) * 6.0 + 135.0);
  const ProjectionParams low = makeProjectionParams(kGda94, INT_MIN, true, 0);
  EXPECT_EQ(centralMeridianDegrees(low), (static_cast<double>(INT_MIN) - 53.0) * 6.0 + 135.0);
  const ProjectionParams isg = makeProjectionParams(kIsg, 56, true, INT_MAX);
  EXPECT_EQ(centralMeridianDegrees(isg), 149.0 + 2.0 * static_cast<double>(INT_MAX));
  ProjectionParams ang = makeProjectionParams(kAng, 0, true, 0);
  ang.angZone = INT_MAX;
  EXPECT_TRUE(std::isfinite(centralMeridianDegrees(ang)));
}

}  // namespace
}  // namespace velmora
