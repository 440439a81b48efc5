// The map grid of each datum: the record makeProjectionParams fills for every datum code, zone,
// hemisphere and sub-zone.
#include "pipeline/datum_projection.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace velmora {
namespace {

using enum ProjectionKind;

// GRS80 as the GDA and NZGD2000 grids read it: from a and b = 6356752.3141 m, e^2 =
// 0.006694380035512838 (the record from 1/f has 0.006694380022900787).
constexpr Ellipsoid kGrs80RoundedAxes = ellipsoidFromSemiAxes(6378137.0, 6356752.3141);

struct RecordCase {
  std::string name;
  Datum datum;
  int zone;
  bool southern;
  int subZone;
  // expected
  ProjectionKind kind;
  const Ellipsoid* ellipsoid;
  double falseEasting;
  double falseNorthing;
  int storedZone;
  double centralMeridianDeg;
};

class MakeProjectionParams : public ::testing::TestWithParam<RecordCase> {};

TEST_P(MakeProjectionParams, FillsTheRecordForTheDatum) {
  const RecordCase& c = GetParam();
  const ProjectionParams p = makeProjectionParams(c.datum, c.zone, c.southern, c.subZone);
  EXPECT_EQ(p.kind, c.kind);
  EXPECT_EQ(p.ellipsoid.semiMajorAxis, c.ellipsoid->semiMajorAxis);
  EXPECT_EQ(p.ellipsoid.eccentricitySquared, c.ellipsoid->eccentricitySquared);
  EXPECT_EQ(p.falseEasting, c.falseEasting);
  EXPECT_EQ(p.falseNorthing, c.falseNorthing);
  EXPECT_EQ(p.zone, c.storedZone);
  EXPECT_EQ(p.isgSubZone, c.subZone);
  EXPECT_EQ(centralMeridianDegrees(p), c.centralMeridianDeg);
}

INSTANTIATE_TEST_SUITE_P(
    DatumTable, MakeProjectionParams,
    ::testing::Values(RecordCase{"Gda94Zone56South", Datum::kGda94, 56, true, 0, kTransverseMercator,
                                 &kGrs80RoundedAxes, 500000, 10000000, 56, 153},
                      RecordCase{"Gda94Zone56North", Datum::kGda94, 56, false, 0, kTransverseMercator,
                                 &kGrs80RoundedAxes, 500000, 0, 56, 153},
                      RecordCase{"Gda94Zone0UsesFieldZero", Datum::kGda94, 0, true, 0, kTransverseMercator,
                                 &kGrs80RoundedAxes, 500000, 10000000, 0, 0},
                      RecordCase{"Gda94Zone1", Datum::kGda94, 1, true, 0, kTransverseMercator,
                                 &kGrs80RoundedAxes, 500000, 10000000, 1, -177},
                      RecordCase{"Gda94Zone60", Datum::kGda94, 60, true, 0, kTransverseMercator,
                                 &kGrs80RoundedAxes, 500000, 10000000, 60, 177},
                      RecordCase{"Gda2020Zone55", Datum::kGda2020, 55, true, 0, kTransverseMercator,
                                 &kGrs80RoundedAxes, 500000, 10000000, 55, 147},
                      RecordCase{"Agd66Zone50", Datum::kAgd66, 50, true, 2, kTransverseMercator,
                                 &kAustralianNationalSpheroidRoundedE2, 500000, 10000000, 50, 117},
                      RecordCase{"Agd84Zone54North", Datum::kAgd84, 54, false, 0, kTransverseMercator,
                                 &kAustralianNationalSpheroidRoundedE2, 500000, 0, 54, 141},
                      RecordCase{"Nzgd2000IgnoresZone", Datum::kNzgd2000, 56, true, 1, kTransverseMercator,
                                 &kGrs80RoundedAxes, 1600000, 10000000, 0, 173},
                      RecordCase{"Nzgd2000IgnoresHemisphere", Datum::kNzgd2000, 59, false, 0,
                                 kTransverseMercator, &kGrs80RoundedAxes, 1600000, 10000000, 0, 173},
                      RecordCase{"IsgSubZone0", Datum::kIsg, 56, true, 0, kIsgGrid,
                                 &kAustralianNationalSpheroidRoundedE2, 300000, 5000000, 56, 149},
                      RecordCase{"IsgSubZone1", Datum::kIsg, 56, true, 1, kIsgGrid,
                                 &kAustralianNationalSpheroidRoundedE2, 300000, 5000000, 56, 151},
                      RecordCase{"IsgSubZone2", Datum::kIsg, 56, true, 2, kIsgGrid,
                                 &kAustralianNationalSpheroidRoundedE2, 300000, 5000000, 56, 153},
                      RecordCase{"IsgNorthKeepsOrigin", Datum::kIsg, 55, false, 1, kIsgGrid,
                                 &kAustralianNationalSpheroidRoundedE2, 300000, 5000000, 55, 145},
                      RecordCase{"IsgZone0UsesFieldZero", Datum::kIsg, 0, true, 2, kIsgGrid,
                                 &kAustralianNationalSpheroidRoundedE2, 300000, 5000000, 0, 0},
                      RecordCase{"AngAnyZoneIs111", Datum::kAng, 56, true, 0, kAngGrid, &kClarke1858RoundedE2,
                                 500000, 10000000, 56, 111},
                      RecordCase{"AngNorth", Datum::kAng, 49, false, 0, kAngGrid, &kClarke1858RoundedE2,
                                 500000, 0, 49, 111},
                      RecordCase{"Nzgd49", Datum::kNzgd49, 56, true, 0, kNzMapGrid, &kInternational1924,
                                 2510000, 6023150, 56, 173},
                      RecordCase{"Nzgd49North", Datum::kNzgd49, 56, false, 0, kNzMapGrid, &kInternational1924,
                                 2510000, 6023150, 56, 173},
                      RecordCase{"Wgs84", Datum::kWgs84, 56, true, 0, kTransverseMercator, &kWgs84RoundedAxes,
                                 500000, 10000000, 56, 153},
                      RecordCase{"Itrf2008LikeWgs84", Datum::kItrf2008, 55, false, 0, kTransverseMercator,
                                 &kWgs84RoundedAxes, 500000, 0, 55, 147},
                      RecordCase{"Itrf2020OnGrs80", Datum::kItrf2020, 56, true, 0, kTransverseMercator,
                                 &kGrs80RoundedAxes, 500000, 10000000, 56, 153},
                      RecordCase{"Code13AsGda94", static_cast<Datum>(13), 56, true, 0, kTransverseMercator,
                                 &kGrs80RoundedAxes, 500000, 10000000, 56, 153},
                      RecordCase{"NegativeCodeAsGda94", static_cast<Datum>(-1), 55, false, 0,
                                 kTransverseMercator, &kGrs80RoundedAxes, 500000, 0, 55, 147},
                      RecordCase{"HugeCodeAsGda94", static_cast<Datum>(INT_MAX), 56, true, 0,
                                 kTransverseMercator, &kGrs80RoundedAxes, 500000, 10000000, 56, 153}),
    [](const ::testing::TestParamInfo<RecordCase>& info) { return info.param.name; });

}  // namespace
}  // namespace velmora
