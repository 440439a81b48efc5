// Routing of the datum dispatcher: every chain equals, bit for bit, the composition of the
// transformations named for its pair; the region rules choose the right chain or none.

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "tests/geodesy/ground_offset.hpp"
#include "tests/pipeline/pipeline_fixtures.hpp"
#include "tests/support/code_printing.hpp"
#include "tests/support/temp_dir.hpp"
#include "velmora/geodesy/datum_transforms.hpp"
#include "velmora/geodesy/itrf.hpp"

namespace velmora {
namespace {

constexpr std::array<Datum, 9> kAllDatums{Datum::kAgd66,   Datum::kAgd84,    Datum::kGda94,
                                          Datum::kGda2020, Datum::kAng,      Datum::kIsg,
                                          Datum::kNzgd49,  Datum::kNzgd2000, Datum::kWgs84};

// Exactly as the dispatcher must apply them outside the supported area.
constexpr double kApproxLatitudeShiftDeg = 0.0014444444444444446;   // 5.2 arc-seconds
constexpr double kApproxLongitudeShiftDeg = 0.0013055555555555557;  // 4.7 arc-seconds

struct Era {
  double epoch;
  bool useItrf2008;
  ItrfRealisation realisation() const {
    return useItrf2008 ? ItrfRealisation::kItrf2008 : ItrfRealisation::kItrf2000;
  }
};

using Chain = LatLon (*)(LatLon, const Era&);

struct ChainRow {
  Datum from;
  Datum to;
  Chain expected;
};

// Single steps, each a geodesy call as the dispatcher is meant to make it.
LatLon fromAgd66(LatLon p) {
  return agd66ToGda94(p.latitude, p.longitude);
}
LatLon fromAgd84(LatLon p) {
  return agd84ToGda94(p.latitude, p.longitude);
}
LatLon fromGda2020(LatLon p) {
  return gda2020ToGda94(p.latitude, p.longitude, 0.0);
}
// ANG has no parameter set: the empty record selects Molodensky's change of ellipsoid.
LatLon fromAng(LatLon p) {
  return angToGda94(p.latitude, p.longitude, HelmertParams{});
}
LatLon fromItrf(LatLon p, const Era& e) {
  return itrfToGda94(p.latitude, p.longitude, e.epoch, e.realisation());
}
LatLon toAgd66(LatLon p) {
  return gda94ToAgd66(p.latitude, p.longitude);
}
LatLon toAgd84(LatLon p) {
  return gda94ToAgd84(p.latitude, p.longitude);
}
LatLon toGda2020(LatLon p) {
  return gda94ToGda2020(p.latitude, p.longitude, 0.0);
}
LatLon toAng(LatLon p) {
  return gda94ToAng(p.latitude, p.longitude, HelmertParams{});
}
LatLon toItrf(LatLon p, const Era& e) {
  return gda94ToItrf(p.latitude, p.longitude, e.epoch, e.realisation());
}

// The chain table. Rows for "AGD66 or ISG" are listed once per code.
std::vector<ChainRow> chainTable() {
  std::vector<ChainRow> rows;
  for (const Datum agd66Like : {Datum::kAgd66, Datum::kIsg}) {
    rows.push_back({agd66Like, Datum::kAgd84, [](LatLon p, const Era&) { return toAgd84(fromAgd66(p)); }});
    rows.push_back({agd66Like, Datum::kGda94, [](LatLon p, const Era&) { return fromAgd66(p); }});
    rows.push_back(
        {agd66Like, Datum::kGda2020, [](LatLon p, const Era&) { return toGda2020(fromAgd66(p)); }});
    rows.push_back({agd66Like, Datum::kAng, [](LatLon p, const Era&) { return toAng(fromAgd66(p)); }});
    rows.push_back(
        {agd66Like, Datum::kWgs84, [](LatLon p, const Era& e) { return toItrf(fromAgd66(p), e); }});
    rows.push_back({Datum::kAgd84, agd66Like, [](LatLon p, const Era&) { return toAgd66(fromAgd84(p)); }});
    rows.push_back({Datum::kGda94, agd66Like, [](LatLon p, const Era&) { return toAgd66(p); }});
    rows.push_back(
        {Datum::kGda2020, agd66Like, [](LatLon p, const Era&) { return toAgd66(fromGda2020(p)); }});
    rows.push_back({Datum::kAng, agd66Like, [](LatLon p, const Era&) { return toAgd66(fromAng(p)); }});
    rows.push_back(
        {Datum::kWgs84, agd66Like, [](LatLon p, const Era& e) { return toAgd66(fromItrf(p, e)); }});
  }
  rows.push_back({Datum::kAgd84, Datum::kGda94, [](LatLon p, const Era&) { return fromAgd84(p); }});
  rows.push_back(
      {Datum::kAgd84, Datum::kGda2020, [](LatLon p, const Era&) { return toGda2020(fromAgd84(p)); }});
  rows.push_back({Datum::kAgd84, Datum::kAng, [](LatLon p, const Era&) { return toAng(fromAgd84(p)); }});
  rows.push_back(
      {Datum::kAgd84, Datum::kWgs84, [](LatLon p, const Era& e) { return toItrf(fromAgd84(p), e); }});
  rows.push_back({Datum::kGda94, Datum::kAgd84, [](LatLon p, const Era&) { return toAgd84(p); }});
  rows.push_back({Datum::kGda94, Datum::kGda2020, [](LatLon p, const Era&) { return toGda2020(p); }});
  rows.push_back({Datum::kGda94, Datum::kAng, [](LatLon p, const Era&) { return toAng(p); }});
  rows.push_back({Datum::kGda94, Datum::kWgs84, [](LatLon p, const Era& e) { return toItrf(p, e); }});
  rows.push_back(
      {Datum::kGda2020, Datum::kAgd84, [](LatLon p, const Era&) { return toAgd84(fromGda2020(p)); }});
  rows.push_back({Datum::kGda2020, Datum::kGda94, [](LatLon p, const Era&) { return fromGda2020(p); }});
  rows.push_back({Datum::kGda2020, Datum::kAng, [](LatLon p, const Era&) { return toAng(fromGda2020(p)); }});
  rows.push_back({Datum::kGda2020, Datum::kWgs84, [](LatLon p, const Era& e) {
                    return gda2020ToItrf(p.latitude, p.longitude, e.epoch, e.realisation());
                  }});
  rows.push_back({Datum::kAng, Datum::kAgd84, [](LatLon p, const Era&) { return toAgd84(fromAng(p)); }});
  rows.push_back({Datum::kAng, Datum::kGda94, [](LatLon p, const Era&) { return fromAng(p); }});
  rows.push_back({Datum::kAng, Datum::kGda2020, [](LatLon p, const Era&) { return toGda2020(fromAng(p)); }});
  rows.push_back({Datum::kAng, Datum::kWgs84, [](LatLon p, const Era& e) { return toItrf(fromAng(p), e); }});
  rows.push_back({Datum::kNzgd49, Datum::kNzgd2000,
                  [](LatLon p, const Era&) { return nzgd49ToNzgd2000(p.latitude, p.longitude); }});
  rows.push_back({Datum::kNzgd2000, Datum::kNzgd49,
                  [](LatLon p, const Era&) { return nzgd2000ToNzgd49(p.latitude, p.longitude); }});
  rows.push_back(
      {Datum::kWgs84, Datum::kAgd84, [](LatLon p, const Era& e) { return toAgd84(fromItrf(p, e)); }});
  rows.push_back({Datum::kWgs84, Datum::kGda94, [](LatLon p, const Era& e) { return fromItrf(p, e); }});
  rows.push_back({Datum::kWgs84, Datum::kGda2020, [](LatLon p, const Era& e) {
                    return itrfToGda2020(p.latitude, p.longitude, e.epoch, e.realisation());
                  }});
  rows.push_back({Datum::kWgs84, Datum::kAng, [](LatLon p, const Era& e) { return toAng(fromItrf(p, e)); }});
  return rows;
}

const ChainRow* findRow(const std::vector<ChainRow>& rows, Datum from, Datum to) {
  for (const ChainRow& row : rows) {
    if (row.from == from && row.to == to) return &row;
  }
  return nullptr;
}

void expectBitEqual(LatLon actual, LatLon expected, const std::string& context) {
  EXPECT_EQ(actual.latitude, expected.latitude) << context;
  EXPECT_EQ(actual.longitude, expected.longitude) << context;
}

std::string describe(Datum from, Datum to, LatLon p) {
  return "from " + std::to_string(codeOf(from)) + " to " + std::to_string(codeOf(to)) + " at " +
         std::to_string(p.latitude) + ", " + std::to_string(p.longitude);
}

TEST(TransformDatumRouting, ChainTableHasOneRowPerListedPair) {
  const std::vector<ChainRow> rows = chainTable();
  EXPECT_EQ(rows.size(), 42U);
  for (const ChainRow& row : rows) {
    int matches = 0;
    for (const ChainRow& other : rows) matches += (other.from == row.from && other.to == row.to) ? 1 : 0;
    EXPECT_EQ(matches, 1) << describe(row.from, row.to, {});
  }
}

// Every ordered pair, at points in the supported area away from New Zealand, in both ITRF
// realisations: the listed chain, or the input unchanged for every other pair.
TEST(TransformDatumRouting, EveryPairFollowsItsChainOrKeepsThePoint) {
  const std::vector<ChainRow> rows = chainTable();
  constexpr std::array<LatLon, 3> kPoints{{{-33.5, 151.25}, {-12.4, 130.8}, {-42.9, 147.3}}};
  constexpr std::array<Era, 3> kEras{{{1994.0, false}, {2010.25, true}, {2020.0, false}}};
  for (const Era& era : kEras) {
    for (const LatLon& p : kPoints) {
      for (const Datum from : kAllDatums) {
        for (const Datum to : kAllDatums) {
          const LatLon actual =
              transformDatum(p.latitude, p.longitude, from, to, era.epoch, false, era.useItrf2008, "");
          const ChainRow* row = findRow(rows, from, to);
          const LatLon expected = row != nullptr ? row->expected(p, era) : p;
          expectBitEqual(actual, expected,
                         describe(from, to, p) + " itrf2008=" + std::to_string(era.useItrf2008));
        }
      }
    }
  }
}

// With useGridShift but no grid file in the folder, every leg falls back to the parameters.
class TransformDatumWithoutGrids : public ::testing::Test {};

TEST_F(TransformDatumWithoutGrids, MissingGridsFallBackToTheChains) {
  const TempDir folder;
  const std::vector<ChainRow> rows = chainTable();
  const LatLon p{-27.47, 153.02};
  const Era era{2005.5, true};
  for (const Datum from : kAllDatums) {
    for (const Datum to : kAllDatums) {
      const LatLon actual = transformDatum(p.latitude, p.longitude, from, to, era.epoch, true,
                                           era.useItrf2008, folder.prefix());
      const ChainRow* row = findRow(rows, from, to);
      expectBitEqual(actual, row != nullptr ? row->expected(p, era) : p, describe(from, to, p));
    }
  }
}

TEST(TransformDatumRouting, WgsRealisationFollowsTheFlag) {
  // Epoch far from both reference epochs, so the two realisations differ measurably.
  const LatLon itrf2000 =
      transformDatum(-33.5, 151.25, Datum::kWgs84, Datum::kGda94, 2015.0, false, false, "");
  const LatLon itrf2008 =
      transformDatum(-33.5, 151.25, Datum::kWgs84, Datum::kGda94, 2015.0, false, true, "");
  expectBitEqual(itrf2000, itrfToGda94(-33.5, 151.25, 2015.0, ItrfRealisation::kItrf2000), "ITRF2000");
  expectBitEqual(itrf2008, itrfToGda94(-33.5, 151.25, 2015.0, ItrfRealisation::kItrf2008), "ITRF2008");
  EXPECT_NE(itrf2000.latitude, itrf2008.latitude);
}

// ITRF2000 and ITRF2008 by name are WGS84 without and with --useITRF2008, and the flag does not
// change them: every partner, every region, both directions.
TEST(TransformDatumRouting, ItrfNamesAreWgs84InTheirRealisation) {
  constexpr std::array<LatLon, 4> kPoints{{{-33.5, 151.25}, {-41.0, 174.0}, {5.0, 100.0}, {-20.0, 185.0}}};
  constexpr std::array<Datum, 10> kPartners{
      Datum::kAgd66, Datum::kAgd84,  Datum::kGda94,    Datum::kGda2020,  Datum::kAng,
      Datum::kIsg,   Datum::kNzgd49, Datum::kNzgd2000, Datum::kItrf2014, Datum::kItrf2020};
  for (const LatLon& p : kPoints) {
    for (const Datum partner : kPartners) {
      for (const bool flag : {false, true}) {
        const auto run = [&](Datum from, Datum to, bool itrf2008) {
          return transformDatum(p.latitude, p.longitude, from, to, 2017.5, false, itrf2008, "");
        };
        const std::string what = describe(partner, Datum::kItrf2000, p) + " flag=" + std::to_string(flag);
        expectBitEqual(run(Datum::kItrf2000, partner, flag), run(Datum::kWgs84, partner, false), what);
        expectBitEqual(run(partner, Datum::kItrf2000, flag), run(partner, Datum::kWgs84, false), what);
        expectBitEqual(run(Datum::kItrf2008, partner, flag), run(Datum::kWgs84, partner, true), what);
        expectBitEqual(run(partner, Datum::kItrf2008, flag), run(partner, Datum::kWgs84, true), what);
      }
    }
  }
  // WGS84 and the name of its realisation hold the same positions; the other realisation is a
  // chain through GDA94.
  const LatLon p{-33.5, 151.25};
  const Era itrf2008{2017.5, true};
  expectBitEqual(
      transformDatum(p.latitude, p.longitude, Datum::kWgs84, Datum::kItrf2000, 2017.5, false, false, ""), p,
      "WGS84 is ITRF2000");
  expectBitEqual(
      transformDatum(p.latitude, p.longitude, Datum::kItrf2008, Datum::kWgs84, 2017.5, false, true, ""), p,
      "WGS84 is ITRF2008");
  expectBitEqual(
      transformDatum(p.latitude, p.longitude, Datum::kItrf2000, Datum::kWgs84, 2017.5, false, true, ""),
      toItrf(fromItrf(p, Era{2017.5, false}), itrf2008), "ITRF2000 to WGS84 as ITRF2008");
}

// ITRF2014 and ITRF2020 chains against PROJ 9.1 on the same parameters, within 0.1 mm. Each row is
//   echo "LAT LON 0 EPOCH" | cct -d 12 +proj=pipeline +step +proj=axisswap +order=2,1
//     +step +proj=unitconvert +xy_in=deg +xy_out=rad +step +proj=cart +ellps=FROM STEPS...
//     +step +inv +proj=cart +ellps=TO +step +proj=unitconvert +xy_in=rad +xy_out=deg
//     +step +proj=axisswap +order=2,1
// with ellipsoid GRS80, WGS84 for ITRF2000 and ITRF2008, "+a=6378160 +rf=298.25" for AGD66, and the
// steps ("-" before a name: its +inv form)
//   PMM   +step +proj=helmert +drx=0.00150379 +dry=0.00118346 +drz=0.00120716 +t_epoch=2020
//         +convention=coordinate_frame  (projinfo -s EPSG:9000 -t EPSG:7843)
//   T1420 +step +proj=helmert +x=0.0014 +y=0.0009 +z=-0.0014 +s=0.00042 +dy=0.0001 +dz=-0.0002
//         +t_epoch=2015 +convention=position_vector
//   G9420 +step +proj=helmert +x=0.06155 +y=-0.01087 +z=-0.04019 +rx=-0.0394924 +ry=-0.0327221
//         +rz=-0.0328979 +s=-0.009994 +convention=coordinate_frame  (projinfo -s EPSG:4283 -t EPSG:7844)
//   A6694 +step +proj=helmert +x=-117.808 +y=-51.536 +z=137.784 +rx=-0.303 +ry=-0.446 +rz=-0.234
//         +s=-0.29 +convention=coordinate_frame
//   I0894 +step +proj=helmert +x=-0.08468 +y=-0.01942 +z=0.03201 +rx=-0.0004254 +ry=0.0022578
//         +rz=0.0024015 +s=0.00971 +dx=0.00142 +dy=0.00134 +dz=0.0009 +drx=0.0015461 +dry=0.001182
//         +drz=0.0011551 +ds=0.000109 +t_epoch=1994 +convention=coordinate_frame
//   I0094 +step +proj=helmert +x=-0.0761 +y=-0.0101 +z=0.0444 +rx=0.008765 +ry=0.009361 +rz=0.009325
//         +s=0.007935 +dx=0.011 +dy=-0.0045 +dz=-0.0174 +drx=0.001034 +dry=0.000671 +drz=0.001039
//         +ds=-0.000538 +t_epoch=2000 +convention=coordinate_frame
TEST(TransformDatumItrf, ChainsAgreeWithProj) {
  constexpr LatLon kSydney{-33.85678, 151.2153};
  constexpr LatLon kPerth{-31.95224, 115.8614};
  constexpr LatLon kDarwin{-12.46344, 130.8456};
  struct Row {
    Datum from;
    Datum to;
    LatLon point;
    double epoch;
    LatLon proj;  // cct with the steps of the comment
  };
  const Row rows[] = {
      // PMM
      {Datum::kItrf2014, Datum::kGda2020, kSydney, 2026.9, {-33.856783384527, 151.215298641800}},
      // -PMM
      {Datum::kGda2020, Datum::kItrf2014, kPerth, 2015.0, {-31.952242604107, 115.861397971465}},
      // -T1420
      {Datum::kItrf2020, Datum::kItrf2014, kDarwin, 2031.25, {-12.463439960931, 130.845600024932}},
      // T1420
      {Datum::kItrf2014, Datum::kItrf2020, kSydney, 2026.9, {-33.856780029333, 151.215299972921}},
      // -T1420 PMM
      {Datum::kItrf2020, Datum::kGda2020, kSydney, 2026.9, {-33.856783355193, 151.215298668879}},
      // -PMM T1420
      {Datum::kGda2020, Datum::kItrf2020, kPerth, 2015.0, {-31.952242613796, 115.861397953988}},
      // -T1420 PMM -G9420
      {Datum::kItrf2020, Datum::kGda94, kDarwin, 2031.25, {-12.463459851423, 130.845587603288}},
      // G9420 -PMM T1420
      {Datum::kGda94, Datum::kItrf2020, kSydney, 2026.9, {-33.856763962143, 151.215306761684}},
      // -T1420 PMM -G9420 -A6694
      {Datum::kItrf2020, Datum::kAgd66, kPerth, 2015.0, {-31.953463916195, 115.859920941255}},
      // A6694 G9420 -PMM T1420
      {Datum::kAgd66, Datum::kItrf2020, kDarwin, 2031.25, {-12.461981935779, 130.846815679439}},
      // -T1420 PMM -G9420 -I0894
      {Datum::kItrf2020, Datum::kItrf2008, kSydney, 2026.9, {-33.856779920669, 151.215299981904}},
      // I0094 G9420 -PMM
      {Datum::kItrf2000, Datum::kItrf2014, kPerth, 2015.0, {-31.952239833966, 115.861400083221}},
  };
  for (const Row& row : rows) {
    for (const bool itrf2008 : {false, true}) {  // the ITRF names ignore the flag
      const LatLon actual = transformDatum(row.point.latitude, row.point.longitude, row.from, row.to,
                                           row.epoch, false, itrf2008, "");
      EXPECT_LT(test::groundOffset(row.proj, actual).length(), 1e-4) << describe(row.from, row.to, row.point);
    }
  }
}

enum class Expect { kInput, kPlusShift, kMinusShift, kChain, kNzgd49To2000, kNzgd2000To49 };

struct RegionCase {
  const char* what;
  LatLon point;
  Datum from;
  Datum to;
  Expect expect;
};

LatLon expectedFor(const RegionCase& c, const Era& era) {
  const LatLon p = c.point;
  switch (c.expect) {
    case Expect::kInput:
      return p;
    case Expect::kPlusShift:
      return {p.latitude + kApproxLatitudeShiftDeg, p.longitude + kApproxLongitudeShiftDeg};
    case Expect::kMinusShift:
      return {p.latitude - kApproxLatitudeShiftDeg, p.longitude - kApproxLongitudeShiftDeg};
    case Expect::kChain: {
      const std::vector<ChainRow> rows = chainTable();
      const ChainRow* row = findRow(rows, c.from, c.to);
      return row != nullptr ? row->expected(p, era) : LatLon{-999.0, -999.0};
    }
    case Expect::kNzgd49To2000:
      return nzgd49ToNzgd2000(p.latitude, p.longitude);
    case Expect::kNzgd2000To49:
      return nzgd2000ToNzgd49(p.latitude, p.longitude);
  }
  return p;
}

TEST(TransformDatumRegions, NewZealandAreaSameDatumAndSupportedArea) {
  const RegionCase cases[] = {
      // New Zealand area: latitude < -30 and longitude > 160, both strict.
      {"AGD66 in NZ becomes NZGD49", {-41.0, 174.0}, Datum::kAgd66, Datum::kGda94, Expect::kNzgd49To2000},
      {"ISG in NZ becomes NZGD49", {-41.0, 174.0}, Datum::kIsg, Datum::kWgs84, Expect::kNzgd49To2000},
      {"AGD84 in NZ to GDA94", {-45.0, 169.0}, Datum::kAgd84, Datum::kGda94, Expect::kNzgd49To2000},
      {"GDA94 to AGD84 in NZ", {-41.0, 174.0}, Datum::kGda94, Datum::kAgd84, Expect::kNzgd2000To49},
      {"WGS84 to NZGD49 in NZ", {-41.0, 174.0}, Datum::kWgs84, Datum::kNzgd49, Expect::kNzgd2000To49},
      {"GDA94 to WGS84 in NZ: both NZGD2000", {-41.0, 174.0}, Datum::kGda94, Datum::kWgs84, Expect::kInput},
      {"GDA2020 to GDA94 in NZ: no chain", {-41.0, 174.0}, Datum::kGda2020, Datum::kGda94, Expect::kInput},
      {"GDA2020 stays GDA2020 in NZ", {-41.0, 174.0}, Datum::kAgd66, Datum::kGda2020, Expect::kInput},
      {"ANG stays ANG in NZ", {-41.0, 174.0}, Datum::kAng, Datum::kGda94, Expect::kInput},
      {"latitude exactly -30 is outside NZ", {-30.0, 170.0}, Datum::kAgd66, Datum::kGda94, Expect::kChain},
      {"just south of -30 is inside NZ",
       {-30.000001, 170.0},
       Datum::kAgd66,
       Datum::kGda94,
       Expect::kNzgd49To2000},
      {"longitude exactly 160 is outside NZ", {-41.0, 160.0}, Datum::kAgd66, Datum::kGda94, Expect::kChain},
      {"just east of 160 is inside NZ",
       {-41.0, 160.000001},
       Datum::kAgd66,
       Datum::kGda94,
       Expect::kNzgd49To2000},
      {"NZGD49 to NZGD2000 in Australia",
       {-33.5, 151.25},
       Datum::kNzgd49,
       Datum::kNzgd2000,
       Expect::kNzgd49To2000},
      {"NZGD2000 to GDA94 outside NZ: no chain",
       {-33.5, 151.25},
       Datum::kNzgd2000,
       Datum::kGda94,
       Expect::kInput},
      // Equal datums, also outside the supported area.
      {"GDA94 to GDA94 far north", {45.0, 200.0}, Datum::kGda94, Datum::kGda94, Expect::kInput},
      {"AGD66 to ISG", {-33.5, 151.25}, Datum::kAgd66, Datum::kIsg, Expect::kInput},
      {"ISG to AGD66 outside the area", {10.0, 151.25}, Datum::kIsg, Datum::kAgd66, Expect::kInput},
      // Supported area: -90 <= latitude <= 0 and 0 <= longitude < 180.
      {"longitude 180 is outside", {-20.0, 180.0}, Datum::kAgd66, Datum::kGda94, Expect::kPlusShift},
      {"longitude 179.999 is inside", {-20.0, 179.999}, Datum::kAgd66, Datum::kGda94, Expect::kChain},
      {"latitude 0 is inside", {0.0, 151.0}, Datum::kAgd66, Datum::kGda94, Expect::kChain},
      {"latitude 0.0001 is outside", {0.0001, 151.0}, Datum::kAgd66, Datum::kGda94, Expect::kPlusShift},
      {"longitude 0 is inside", {-20.0, 0.0}, Datum::kAgd66, Datum::kGda94, Expect::kChain},
      {"longitude -0.0001 is outside", {-20.0, -0.0001}, Datum::kAgd66, Datum::kGda94, Expect::kPlusShift},
      {"latitude -89.9 is inside", {-89.9, 120.0}, Datum::kAgd84, Datum::kGda94, Expect::kChain},
      {"latitude -90.0001 is outside", {-90.0001, 120.0}, Datum::kAgd84, Datum::kGda94, Expect::kPlusShift},
      {"NZ area first: -33, 180 AGD66 to GDA94",
       {-33.0, 180.0},
       Datum::kAgd66,
       Datum::kGda94,
       Expect::kInput},
      {"AGD84 to WGS84 outside adds", {5.0, 100.0}, Datum::kAgd84, Datum::kWgs84, Expect::kPlusShift},
      {"ISG to GDA94 outside adds", {5.0, 100.0}, Datum::kIsg, Datum::kGda94, Expect::kPlusShift},
      {"GDA94 to AGD66 outside subtracts", {5.0, 100.0}, Datum::kGda94, Datum::kAgd66, Expect::kMinusShift},
      {"WGS84 to AGD84 outside subtracts", {-20.0, 185.0}, Datum::kWgs84, Datum::kAgd84, Expect::kMinusShift},
      {"GDA94 to GDA2020 outside unchanged", {5.0, 100.0}, Datum::kGda94, Datum::kGda2020, Expect::kInput},
      {"GDA2020 to AGD66 outside unchanged", {5.0, 100.0}, Datum::kGda2020, Datum::kAgd66, Expect::kInput},
      {"ANG to GDA94 outside unchanged", {5.0, 100.0}, Datum::kAng, Datum::kGda94, Expect::kInput},
      // The ITRF datums follow WGS84's rules.
      {"ITRF2020 to NZGD49 in NZ", {-41.0, 174.0}, Datum::kItrf2020, Datum::kNzgd49, Expect::kNzgd2000To49},
      {"ITRF2014 to GDA94 in NZ: both NZGD2000",
       {-41.0, 174.0},
       Datum::kItrf2014,
       Datum::kGda94,
       Expect::kInput},
      {"AGD84 to ITRF2014 outside adds", {5.0, 100.0}, Datum::kAgd84, Datum::kItrf2014, Expect::kPlusShift},
      {"ITRF2020 to ISG outside subtracts",
       {-20.0, 185.0},
       Datum::kItrf2020,
       Datum::kIsg,
       Expect::kMinusShift},
      {"ITRF2020 to GDA2020 outside unchanged",
       {5.0, 100.0},
       Datum::kItrf2020,
       Datum::kGda2020,
       Expect::kInput},
      {"AGD66 to AGD84 outside unchanged", {5.0, 100.0}, Datum::kAgd66, Datum::kAgd84, Expect::kInput},
  };
  const Era era{1994.0, false};
  for (const RegionCase& c : cases) {
    const LatLon actual = transformDatum(c.point.latitude, c.point.longitude, c.from, c.to, era.epoch, false,
                                         era.useItrf2008, "");
    expectBitEqual(actual, expectedFor(c, era), c.what);
  }
}

bool isAgdFamilyDatum(Datum datum) {
  return datum == Datum::kAgd66 || datum == Datum::kAgd84 || datum == Datum::kIsg;
}

// GDA94, WGS84 and the ITRF datums.
bool isGda94GroupDatum(Datum datum) {
  return datum == Datum::kGda94 || datum == Datum::kWgs84 || datum == Datum::kItrf2000 ||
         datum == Datum::kItrf2008 || datum == Datum::kItrf2014 || datum == Datum::kItrf2020;
}

// The datum the New Zealand rule takes in the New Zealand area.
Datum newZealandDatumOf(Datum datum) {
  if (isAgdFamilyDatum(datum)) return Datum::kNzgd49;
  if (isGda94GroupDatum(datum)) return Datum::kNzgd2000;
  return datum;
}

DatumReport reportOf(Datum from, Datum to, LatLon p, LatLon& position) {
  ConversionSettings settings;
  settings.fromDatum = from;
  settings.toDatum = to;
  settings.epoch = 2017.5;
  const ConversionResult result = Converter(settings).transformPoint({p.latitude, p.longitude, 0.0});
  position = {result.coordinates.first, result.coordinates.second};
  return result.datum;
}

// Every pair of the thirteen datums. In the New Zealand area the rule only changes the pair: the
// point converts bit for bit as between the New Zealand datums, with the same steps (the corner at
// 180 E is also outside the supported area). Outside the supported area only the AGD family and the
// datums of GDA94's group (GDA94, WGS84, the ITRF datums) are joined, by the fixed shift.
TEST(TransformDatumRegions, EveryPairInTheNewZealandAreaAndOutsideTheSupportedArea) {
  constexpr std::array<LatLon, 3> kNewZealandArea{{{-41.0, 174.0}, {-30.5, 160.5}, {-33.0, 180.0}}};
  constexpr std::array<LatLon, 3> kOutsideArea{{{5.0, 100.0}, {-20.0, 185.0}, {-20.0, -0.5}}};
  constexpr std::array<Datum, 13> kEveryDatum{
      Datum::kAgd66,    Datum::kAgd84,    Datum::kGda94,    Datum::kGda2020, Datum::kAng,
      Datum::kIsg,      Datum::kNzgd49,   Datum::kNzgd2000, Datum::kWgs84,   Datum::kItrf2000,
      Datum::kItrf2008, Datum::kItrf2014, Datum::kItrf2020};
  for (const Datum from : kEveryDatum) {
    for (const Datum to : kEveryDatum) {
      for (const LatLon& p : kNewZealandArea) {
        SCOPED_TRACE(describe(from, to, p));
        const Datum nzFrom = newZealandDatumOf(from);
        const Datum nzTo = newZealandDatumOf(to);
        LatLon ruled;
        LatLon direct;
        const DatumReport ruledReport = reportOf(from, to, p, ruled);
        const DatumReport directReport = reportOf(nzFrom, nzTo, p, direct);
        expectBitEqual(ruled, direct, "");
        EXPECT_EQ(ruledReport.fromDatum, nzFrom);
        EXPECT_EQ(ruledReport.toDatum, nzTo);
        EXPECT_EQ(ruledReport.newZealandRule, nzFrom != from || nzTo != to);
        EXPECT_EQ(ruledReport.outcome, directReport.outcome);
        ASSERT_EQ(ruledReport.stepCount, directReport.stepCount);
        for (std::size_t k = 0; k < ruledReport.stepCount; ++k) {
          EXPECT_EQ(ruledReport.steps[k].kind, directReport.steps[k].kind);
          EXPECT_EQ(ruledReport.steps[k].reverse, directReport.steps[k].reverse);
          EXPECT_EQ(ruledReport.steps[k].parameters, directReport.steps[k].parameters);
        }
      }
      for (const LatLon& p : kOutsideArea) {
        SCOPED_TRACE(describe(from, to, p));
        const bool add = isAgdFamilyDatum(from) && isGda94GroupDatum(to);
        const bool subtract = isGda94GroupDatum(from) && isAgdFamilyDatum(to);
        const double sign = add ? 1.0 : -1.0;
        LatLon position;
        const DatumReport report = reportOf(from, to, p, position);
        if (add || subtract) {
          expectBitEqual(
              position,
              {p.latitude + sign * kApproxLatitudeShiftDeg, p.longitude + sign * kApproxLongitudeShiftDeg},
              "");
          EXPECT_EQ(report.outcome, DatumOutcome::kApproximate);
          ASSERT_EQ(report.stepCount, 1);
          EXPECT_EQ(report.steps[0].kind, StepKind::kApproximateShift);
          EXPECT_EQ(report.steps[0].reverse, subtract);
        } else {
          expectBitEqual(position, p, "");
          EXPECT_EQ(report.outcome, from == to ? DatumOutcome::kUnchanged : DatumOutcome::kOutsideArea);
          EXPECT_EQ(report.stepCount, 0);
        }
        EXPECT_FALSE(report.newZealandRule);
      }
    }
  }
}

// A target epoch moves positions with the plate: the source side at its epoch onto GDA2020 or
// GDA94, the target side back at the target's. Against cct, within 0.1 mm, with the steps of the
// comment above and "+step +proj=set +v_4=EPOCH" before each side:
//   ITRF2014 -> ITRF2014   PMM | -PMM
//   ITRF2020 -> ATRF2014   -T1420 PMM | -PMM
//   ITRF2000 -> ITRF2014   I0094 (WGS84 to GRS80) G9420 | -PMM
// Each also through the per-point overload: the run's epoch elsewhere, the point's own.
TEST(TransformDatumItrf, TargetEpochMovesThePositionWithThePlate) {
  struct Row {
    Datum from;
    Datum to;
    LatLon point;
    double epoch;
    double toEpoch;
    LatLon proj;
  };
  const Row rows[] = {
      {Datum::kItrf2014,
       Datum::kItrf2014,
       {-33.85, 151.2},
       2010.0,
       2025.5,
       {-33.849992396205, 151.200003052926}},
      {Datum::kItrf2020,
       Datum::kAtrf2014,
       {-12.46344, 130.8456},
       2031.25,
       2015.0,
       {-12.463448642369, 130.845594663408}},
      {Datum::kItrf2000,
       Datum::kItrf2014,
       {-31.95224, 115.8614},
       2005.0,
       2026.9,
       {-31.952228473897, 115.861408899519}},
  };
  for (const Row& row : rows) {
    ConversionSettings settings;
    settings.fromDatum = row.from;
    settings.toDatum = row.to;
    settings.epoch = row.epoch;
    settings.toEpoch = row.toEpoch;
    const Converter converter(settings);
    const Coordinates point{row.point.latitude, row.point.longitude, 0.0};
    const Coordinates c = converter.transformPoint(point).coordinates;
    EXPECT_LT(test::groundOffset(row.proj, LatLon{c.first, c.second}).length(), 1e-4)
        << describe(row.from, row.to, row.point);
    settings.epoch = 1994.0;
    const Coordinates own = Converter(settings).transformPoint(point, row.epoch).coordinates;
    EXPECT_EQ(own.first, c.first);
    EXPECT_EQ(own.second, c.second);
  }
}

// ATRF2014 holds ITRF2014's positions: to GDA2020 by the same rates, to ITRF2014 unchanged.
TEST(TransformDatumItrf, Atrf2014IsItrf2014) {
  constexpr LatLon kSydney{-33.85678, 151.2153};
  for (const Datum partner :
       {Datum::kGda2020, Datum::kGda94, Datum::kAgd66, Datum::kItrf2020, Datum::kWgs84}) {
    expectBitEqual(transformDatum(kSydney.latitude, kSydney.longitude, Datum::kAtrf2014, partner, 2026.9,
                                  false, false, ""),
                   transformDatum(kSydney.latitude, kSydney.longitude, Datum::kItrf2014, partner, 2026.9,
                                  false, false, ""),
                   describe(Datum::kAtrf2014, partner, kSydney));
  }
  expectBitEqual(transformDatum(kSydney.latitude, kSydney.longitude, Datum::kItrf2014, Datum::kAtrf2014,
                                2026.9, false, false, ""),
                 kSydney, "ITRF2014 to ATRF2014");
}

}  // namespace
}  // namespace velmora
