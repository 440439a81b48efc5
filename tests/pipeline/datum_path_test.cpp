// Routing of the datum dispatcher: every chain equals, bit for bit, the composition of the
// transformations named for its pair; the region rules choose the right chain or none.

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "tests/pipeline/pipeline_fixtures.hpp"
#include "tests/support/temp_dir.hpp"
#include "velmora/geodesy/ang_parameters.hpp"
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
LatLon fromAng(LatLon p) {
  return angToGda94(p.latitude, p.longitude, kAngToGda94Params);
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
  return gda94ToAng(p.latitude, p.longitude, kAngToGda94Params);
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
      {"AGD66 to AGD84 outside unchanged", {5.0, 100.0}, Datum::kAgd66, Datum::kAgd84, Expect::kInput},
  };
  const Era era{1994.0, false};
  for (const RegionCase& c : cases) {
    const LatLon actual = transformDatum(c.point.latitude, c.point.longitude, c.from, c.to, era.epoch, false,
                                         era.useItrf2008, "");
    expectBitEqual(actual, expectedFor(c, era), c.what);
  }
}

}  // namespace
}  // namespace velmora
