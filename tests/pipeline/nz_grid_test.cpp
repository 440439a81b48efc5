// The New Zealand grid nzgd2kgrid0005.gsb (NZGD49 <-> NZGD2000), the real file of Debian's proj-data,
// checked against PROJ's hgridshift on the same file; where it is needed, where merely used if present,
// and the seven parameters wherever it does not serve.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "pipeline/datum_path.hpp"
#include "tests/support/temp_dir.hpp"
#include "velmora/geodesy/datum_transforms.hpp"
#include "velmora/gridfile/grid_file.hpp"

namespace velmora {
namespace {

constexpr const char* kRealGrid = "/usr/share/proj/nzgd2kgrid0005.gsb";
constexpr double kToleranceDeg = 1e-6 / 3600.0;  // 1e-6 arc-second

// PROJ's forward shift (NZGD49 -> NZGD2000) of each point, longitude first as cct writes it:
//   echo "174.78 -41.28 0" | cct -d 12 +proj=hgridshift +grids=/usr/share/proj/nzgd2kgrid0005.gsb
struct ProjShift {
  const char* where;
  LatLon at;       // the point given to cct
  LatLon shifted;  // cct's output
};
constexpr ProjShift kProjForward[] = {
    {"Wellington", {-41.28, 174.78}, {-41.278275094493, 174.780190907152}},
    {"Auckland", {-36.85, 174.76}, {-36.848196690654, 174.760191646721}},
    {"Christchurch", {-43.53, 172.63}, {-43.528327256148, 172.630130478715}},
    {"south-east corner", {-47.93, 179.93}, {-47.928356472917, 179.930379101072}},
};

constexpr LatLon kOutsideTheGrid{-31.5, 170.0};  // New Zealand area, north of the grid and its margin

ConversionSettings settings(Datum from, Datum to, bool withGrid, const TempDir& emptyFolder) {
  ConversionSettings s;
  s.fromDatum = from;
  s.toDatum = to;
  s.useGridShift = true;
  s.gridFolders = {emptyFolder.prefix()};
  if (withGrid) s.gridFiles[static_cast<std::size_t>(GridId::kNzgd2000)] = kRealGrid;
  return s;
}

ConversionResult convert(const Converter& converter, LatLon p) {
  return converter.transformPoint({p.latitude, p.longitude, 0.0});
}

class NzGridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(kRealGrid)) GTEST_SKIP() << kRealGrid << " missing: install proj-data";
  }
  TempDir empty_;
};

// Forward adds PROJ's shift at the NZGD49 point; inverse subtracts the shift at the NZGD2000 point,
// so taking PROJ's input as NZGD2000 it must give at - (shifted - at). The New Zealand rule reaches
// the same grid from the Australian datums, also after an AGD grid that is not there. A WGS84 side
// would have gone through the deformation model, which is not there: that miss is reported.
TEST_F(NzGridTest, ForwardAndInverseMatchProjsShift) {
  struct Pair {
    Datum from;
    Datum to;
    bool forward;
    bool newZealandRule;
  };
  constexpr Pair kPairs[] = {
      {Datum::kNzgd49, Datum::kNzgd2000, true, false}, {Datum::kNzgd2000, Datum::kNzgd49, false, false},
      {Datum::kAgd66, Datum::kGda94, true, true},      {Datum::kWgs84, Datum::kIsg, false, true},
      {Datum::kNzgd49, Datum::kWgs84, true, true},
  };
  for (const Pair& pair : kPairs) {
    const Converter converter(settings(pair.from, pair.to, true, empty_));
    for (const ProjShift& c : kProjForward) {
      SCOPED_TRACE(::testing::Message()
                   << datumName(pair.from) << " to " << datumName(pair.to) << ", " << c.where);
      const ConversionResult r = convert(converter, c.at);
      const double sign = pair.forward ? 1.0 : -1.0;
      EXPECT_NEAR(r.coordinates.first, c.at.latitude + sign * (c.shifted.latitude - c.at.latitude),
                  kToleranceDeg);
      EXPECT_NEAR(r.coordinates.second, c.at.longitude + sign * (c.shifted.longitude - c.at.longitude),
                  kToleranceDeg);
      ASSERT_EQ(r.datum.stepCount, 1);
      const DatumStep& step = r.datum.steps[0];
      EXPECT_EQ(step.kind, StepKind::kGridShift);
      EXPECT_EQ(step.grid, GridId::kNzgd2000);
      EXPECT_EQ(step.reverse, !pair.forward);
      ASSERT_NE(step.subGrid, nullptr);
      EXPECT_EQ(step.subGrid->name(), "NZNAT   ");
      const bool modelMissed = pair.from == Datum::kWgs84 || pair.to == Datum::kWgs84;
      EXPECT_EQ(r.datum.gridMissed, modelMissed);
      if (modelMissed) {
        EXPECT_EQ(r.datum.deformationMiss, DeformationMiss::kNotOpen);
      }
      EXPECT_EQ(r.datum.newZealandRule, pair.newZealandRule);
    }
  }
}

// Outside the grid, without the file, or without --useGridShift: the seven parameters, bit for bit.
// A missed grid is reported as the New Zealand one, except when the New Zealand rule would only
// have used a file that is not there: that run reports what it reported before the grid existed.
TEST_F(NzGridTest, SevenParametersWhereTheGridDoesNotServe) {
  struct Case {
    const char* what;
    Datum from;
    Datum to;
    bool withGrid;
    bool useGridShift;
    LatLon at;
    bool gridMissed;
    GridId missedGrid;
  };
  constexpr LatLon kWellington = kProjForward[0].at;
  const Case cases[] = {
      {"outside the grid", Datum::kNzgd49, Datum::kNzgd2000, true, true, kOutsideTheGrid, true,
       GridId::kNzgd2000},
      {"rule, outside the grid", Datum::kAgd66, Datum::kGda94, true, true, kOutsideTheGrid, true,
       GridId::kNzgd2000},
      {"needed file missing", Datum::kNzgd49, Datum::kNzgd2000, false, true, kWellington, true,
       GridId::kNzgd2000},
      {"rule, optional file missing", Datum::kAgd66, Datum::kGda94, false, true, kWellington, true,
       GridId::kAgd66},
      {"rule without AGD grid leg, no deformation model", Datum::kAgd84, Datum::kWgs84, false, true,
       kWellington, true, GridId::kNzDeformation},
      {"no --useGridShift", Datum::kNzgd49, Datum::kNzgd2000, true, false, kWellington, false,
       GridId::kAgd66},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ConversionSettings s = settings(c.from, c.to, c.withGrid, empty_);
    s.useGridShift = c.useGridShift;
    const Converter converter(s);
    const ConversionResult r = convert(converter, c.at);
    const LatLon expected = nzgd49ToNzgd2000(c.at.latitude, c.at.longitude);
    EXPECT_EQ(r.coordinates.first, expected.latitude);
    EXPECT_EQ(r.coordinates.second, expected.longitude);
    ASSERT_EQ(r.datum.stepCount, 1);
    EXPECT_EQ(r.datum.steps[0].parameters, ParameterSet::kNzgd49ToNzgd2000);
    EXPECT_EQ(r.datum.gridMissed, c.gridMissed);
    EXPECT_EQ(r.datum.missedGrid, c.missedGrid);
    if (!c.useGridShift) {
      EXPECT_FALSE(converter.gridState(GridId::kNzgd2000).needed);
      EXPECT_FALSE(converter.gridState(GridId::kNzgd2000).optional);
    }
  }
}

// Needed (a missing file is the run's fault) when the run names a New Zealand datum, optional when
// only the New Zealand rule leads to the pair.
TEST(NzGridNeeds, NeededForTheNewZealandPairOptionalUnderTheRule) {
  struct Case {
    Datum from;
    Datum to;
    bool needed;
    bool optional;
  };
  constexpr Case kCases[] = {
      {Datum::kNzgd49, Datum::kNzgd2000, true, false}, {Datum::kNzgd2000, Datum::kNzgd49, true, false},
      {Datum::kNzgd49, Datum::kGda94, true, false},    {Datum::kWgs84, Datum::kNzgd49, true, false},
      {Datum::kAgd66, Datum::kNzgd2000, true, false},  {Datum::kAgd84, Datum::kGda94, false, true},
      {Datum::kWgs84, Datum::kIsg, false, true},       {Datum::kNzgd49, Datum::kGda2020, false, false},
      {Datum::kAgd66, Datum::kGda2020, false, false},  {Datum::kNzgd49, Datum::kAgd66, false, false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(::testing::Message() << datumName(c.from) << " to " << datumName(c.to));
    const GridNeeds needs = gridsNeeded({c.from, c.to, 1994.0, false, true});
    EXPECT_EQ(needs.nzgd2000, c.needed);
    EXPECT_EQ(needs.nzgd2000Optional, c.optional);
    const GridNeeds without = gridsNeeded({c.from, c.to, 1994.0, false, false});
    EXPECT_FALSE(without.nzgd2000 || without.nzgd2000Optional);
  }
}

}  // namespace
}  // namespace velmora
