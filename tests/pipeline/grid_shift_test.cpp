// Datum changes by NTv2 grids: the forward leg adds and the inverse leg subtracts the shift
// interpolated at the given position; legs that find no shift fall back to the parameters; a
// Converter opens the grids its run needs once and keeps them, or their absence, for its lifetime.
#include "pipeline/grid_shift.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/pipeline/pipeline_fixtures.hpp"
#include "tests/support/temp_dir.hpp"
#include "velmora/geodesy/datum_transforms.hpp"
#include "velmora/geodesy/itrf.hpp"
#include "velmora/gridfile/grid_search.hpp"
#include "velmora/gridfile/grid_writer.hpp"

namespace velmora {
namespace {

constexpr double kSecondsPerDegree = 3600.0;
constexpr double kShiftToleranceDeg = 1e-12;  // rounding of a bilinear interpolation, ~0.1 micrometre

struct ShiftPlanes {
  const char* fileName;
  DegreeArea extent;
  DegreePlane latitudeShift;       // arc-seconds, north positive
  DegreePlane longitudeShiftEast;  // arc-seconds, east positive
};

// Node values are short binary fractions, so the float nodes hold the planes exactly.
constexpr DegreeArea kAgdArea{-45.0, -10.0, 110.0, 155.0, 5.0};
const ShiftPlanes kAgd66Grid{"AGD66_Australia.gsb", kAgdArea, {2.5, 0.125, 0.0625}, {-1.5, 0.0625, 0.03125}};
const ShiftPlanes kAgd84Grid{"AGD84_Australia.gsb", kAgdArea, {1.25, -0.0625, 0.125}, {3.0, 0.125, -0.0625}};
const ShiftPlanes kGda2020Grid{
    "GDA2020_Australia.gsb", {-45.0, 0.0, 110.0, 155.0, 5.0}, {0.5, 0.03125, 0.0}, {0.25, 0.0, 0.015625}};

constexpr LatLon kInside{-33.3, 138.7};      // inside all three grids
constexpr LatLon kOutside{-20.0, 170.0};     // more than one spacing outside all three
constexpr LatLon kOnlyGda2020{-2.0, 130.0};  // outside the AGD grids, inside the GDA2020 grid

// One grid leg: sign +1 forward (shift added), -1 inverse (shift subtracted).
struct Leg {
  const ShiftPlanes* grid;
  double sign;
};

LatLon applyLeg(LatLon p, const Leg& leg) {
  const double dLat = leg.grid->latitudeShift.at(p.latitude, p.longitude) / kSecondsPerDegree;
  const double dLon = leg.grid->longitudeShiftEast.at(p.latitude, p.longitude) / kSecondsPerDegree;
  return {p.latitude + leg.sign * dLat, p.longitude + leg.sign * dLon};
}

LatLon applyLegs(LatLon p, const std::vector<Leg>& legs) {
  for (const Leg& leg : legs) p = applyLeg(p, leg);
  return p;
}

void expectNear(LatLon actual, LatLon expected, const std::string& what) {
  EXPECT_NEAR(actual.latitude, expected.latitude, kShiftToleranceDeg) << what;
  EXPECT_NEAR(actual.longitude, expected.longitude, kShiftToleranceDeg) << what;
}

void expectBitEqual(LatLon actual, LatLon expected, const std::string& what) {
  EXPECT_EQ(actual.latitude, expected.latitude) << what;
  EXPECT_EQ(actual.longitude, expected.longitude) << what;
}

bool writeGrid(const TempDir& folder, const ShiftPlanes& grid) {
  return testing::writeShiftGrid(folder.filePath(grid.fileName), grid.extent, grid.latitudeShift,
                                 grid.longitudeShiftEast);
}

class GridShiftTest : public ::testing::Test {
 protected:
  void writeAllGrids() {
    ASSERT_TRUE(writeGrid(folder_, kAgd66Grid));
    ASSERT_TRUE(writeGrid(folder_, kAgd84Grid));
    ASSERT_TRUE(writeGrid(folder_, kGda2020Grid));
  }
  // The grid of a fixture, opened from the folder.
  std::unique_ptr<GridFile> open(const ShiftPlanes& grid) const {
    return openGridFile(folder_.filePath(grid.fileName));
  }
  LatLon viaDispatcher(LatLon p, Datum from, Datum to, double epoch = 2012.0, bool itrf2008 = false) {
    return transformDatum(p.latitude, p.longitude, from, to, epoch, true, itrf2008, folder_.prefix());
  }
  TempDir folder_;
};

TEST_F(GridShiftTest, SingleLegsAddForwardAndSubtractInverse) {
  writeAllGrids();
  struct Case {
    const char* what;
    Leg leg;
  };
  const Case cases[] = {
      {"AGD66 forward", {&kAgd66Grid, 1.0}},     {"AGD84 forward", {&kAgd84Grid, 1.0}},
      {"AGD66 inverse", {&kAgd66Grid, -1.0}},    {"AGD84 inverse", {&kAgd84Grid, -1.0}},
      {"GDA2020 forward", {&kGda2020Grid, 1.0}}, {"GDA2020 inverse", {&kGda2020Grid, -1.0}},
  };
  for (const LatLon p : {kInside, LatLon{-40.0, 145.0}, LatLon{-10.0, 155.0}}) {
    for (const Case& c : cases) {
      const std::unique_ptr<GridFile> grid = open(*c.leg.grid);
      const GridFile* const files[] = {grid.get()};
      const std::optional<GridLeg> leg = shiftByGrid(files, p.latitude, p.longitude, c.leg.sign > 0.0);
      ASSERT_TRUE(leg) << c.what;
      expectNear(leg->position, applyLeg(p, c.leg), c.what);
      EXPECT_EQ(leg->subGrid, &grid->subGrids().front()) << c.what;
    }
  }
}

TEST_F(GridShiftTest, InverseUsesTheShiftAtTheGivenPositionWithoutIterating) {
  writeAllGrids();
  const std::unique_ptr<GridFile> grid = open(kAgd66Grid);
  const GridFile* const files[] = {grid.get()};
  const std::optional<GridLeg> forward = shiftByGrid(files, kInside.latitude, kInside.longitude, true);
  ASSERT_TRUE(forward);
  const std::optional<GridLeg> inverse =
      shiftByGrid(files, forward->position.latitude, forward->position.longitude, false);
  ASSERT_TRUE(inverse);
  const LatLon back = inverse->position;
  // The round trip misses the start by the change of the planar shift between the two positions.
  const LatLon expected = applyLeg(applyLeg(kInside, {&kAgd66Grid, 1.0}), {&kAgd66Grid, -1.0});
  expectNear(back, expected, "round trip");
  EXPECT_GT(std::abs(back.latitude - kInside.latitude), 1e-9);
}

TEST_F(GridShiftTest, PointOutsideTheGridGivesNoShift) {
  writeAllGrids();
  const std::unique_ptr<GridFile> grid = open(kAgd84Grid);
  const GridFile* const files[] = {grid.get()};
  const GridFile* const none[] = {nullptr};
  EXPECT_FALSE(shiftByGrid(files, kOutside.latitude, kOutside.longitude, true));
  EXPECT_FALSE(shiftByGrid(none, kInside.latitude, kInside.longitude, true));
  // The next point inside is served by the same grid.
  EXPECT_TRUE(shiftByGrid(files, kInside.latitude, kInside.longitude, true));
}

TEST_F(GridShiftTest, GridStageRowsChainTheirLegs) {
  writeAllGrids();
  struct Case {
    const char* what;
    Datum from;
    Datum to;
    std::vector<Leg> legs;
  };
  const Case cases[] = {
      {"AGD66 to GDA94", Datum::kAgd66, Datum::kGda94, {{&kAgd66Grid, 1.0}}},
      {"ISG to GDA94", Datum::kIsg, Datum::kGda94, {{&kAgd66Grid, 1.0}}},
      {"AGD84 to GDA94", Datum::kAgd84, Datum::kGda94, {{&kAgd84Grid, 1.0}}},
      {"GDA94 to AGD66", Datum::kGda94, Datum::kAgd66, {{&kAgd66Grid, -1.0}}},
      {"GDA94 to ISG", Datum::kGda94, Datum::kIsg, {{&kAgd66Grid, -1.0}}},
      {"GDA94 to AGD84", Datum::kGda94, Datum::kAgd84, {{&kAgd84Grid, -1.0}}},
      {"GDA94 to GDA2020", Datum::kGda94, Datum::kGda2020, {{&kGda2020Grid, 1.0}}},
      {"GDA2020 to GDA94", Datum::kGda2020, Datum::kGda94, {{&kGda2020Grid, -1.0}}},
      {"AGD66 to GDA2020", Datum::kAgd66, Datum::kGda2020, {{&kAgd66Grid, 1.0}, {&kGda2020Grid, 1.0}}},
      {"ISG to GDA2020", Datum::kIsg, Datum::kGda2020, {{&kAgd66Grid, 1.0}, {&kGda2020Grid, 1.0}}},
      {"AGD84 to GDA2020", Datum::kAgd84, Datum::kGda2020, {{&kAgd84Grid, 1.0}, {&kGda2020Grid, 1.0}}},
      {"GDA2020 to AGD66", Datum::kGda2020, Datum::kAgd66, {{&kGda2020Grid, -1.0}, {&kAgd66Grid, -1.0}}},
      {"GDA2020 to ISG", Datum::kGda2020, Datum::kIsg, {{&kGda2020Grid, -1.0}, {&kAgd66Grid, -1.0}}},
      {"GDA2020 to AGD84", Datum::kGda2020, Datum::kAgd84, {{&kGda2020Grid, -1.0}, {&kAgd84Grid, -1.0}}},
  };
  for (const Case& c : cases)
    expectNear(viaDispatcher(kInside, c.from, c.to), applyLegs(kInside, c.legs), c.what);
}

TEST_F(GridShiftTest, ItrfRowsUseTheAgdGridForTheirGdaLeg) {
  writeAllGrids();
  constexpr double kEpoch = 2012.0;
  constexpr double kChainToleranceDeg = 1e-11;  // grid rounding carried through one more transformation
  struct Case {
    const char* what;
    Datum from;
    Datum to;
    bool itrf2008;
    LatLon (*expected)(LatLon, bool);
  };
  const Case cases[] = {
      {"AGD66 to WGS84", Datum::kAgd66, Datum::kWgs84, false,
       [](LatLon p, bool) {
         const LatLon g = applyLeg(p, {&kAgd66Grid, 1.0});
         return gda94ToItrf(g.latitude, g.longitude, kEpoch, ItrfRealisation::kItrf2000);
       }},
      {"ISG to WGS84 (ITRF2008)", Datum::kIsg, Datum::kWgs84, true,
       [](LatLon p, bool) {
         const LatLon g = applyLeg(p, {&kAgd66Grid, 1.0});
         return gda94ToItrf(g.latitude, g.longitude, kEpoch, ItrfRealisation::kItrf2008);
       }},
      {"AGD84 to WGS84", Datum::kAgd84, Datum::kWgs84, false,
       [](LatLon p, bool) {
         const LatLon g = applyLeg(p, {&kAgd84Grid, 1.0});
         return gda94ToItrf(g.latitude, g.longitude, kEpoch, ItrfRealisation::kItrf2000);
       }},
      {"WGS84 to AGD66", Datum::kWgs84, Datum::kAgd66, false,
       [](LatLon p, bool) {
         return applyLeg(itrfToGda94(p.latitude, p.longitude, kEpoch, ItrfRealisation::kItrf2000),
                         {&kAgd66Grid, -1.0});
       }},
      {"WGS84 to ISG (ITRF2008)", Datum::kWgs84, Datum::kIsg, true,
       [](LatLon p, bool) {
         return applyLeg(itrfToGda94(p.latitude, p.longitude, kEpoch, ItrfRealisation::kItrf2008),
                         {&kAgd66Grid, -1.0});
       }},
      {"WGS84 to AGD84", Datum::kWgs84, Datum::kAgd84, false,
       [](LatLon p, bool) {
         return applyLeg(itrfToGda94(p.latitude, p.longitude, kEpoch, ItrfRealisation::kItrf2000),
                         {&kAgd84Grid, -1.0});
       }},
  };
  for (const Case& c : cases) {
    const LatLon actual = viaDispatcher(kInside, c.from, c.to, kEpoch, c.itrf2008);
    const LatLon expected = c.expected(kInside, c.itrf2008);
    EXPECT_NEAR(actual.latitude, expected.latitude, kChainToleranceDeg) << c.what;
    EXPECT_NEAR(actual.longitude, expected.longitude, kChainToleranceDeg) << c.what;
  }
}

// Where no grid serves, or the pair never uses one, the parameters run on the unshifted point.
TEST_F(GridShiftTest, ParametersWhereNoGridServes) {
  writeAllGrids();
  constexpr double kEpoch = 2012.0;
  struct Case {
    const char* what;
    LatLon point;
    Datum from;
    Datum to;
    LatLon (*expected)(LatLon);
  };
  const Case cases[] = {
      {"AGD66 to GDA94 outside the grid", kOutside, Datum::kAgd66, Datum::kGda94,
       [](LatLon p) { return agd66ToGda94(p.latitude, p.longitude); }},
      {"GDA94 to AGD84 outside the grid", kOutside, Datum::kGda94, Datum::kAgd84,
       [](LatLon p) { return gda94ToAgd84(p.latitude, p.longitude); }},
      {"GDA2020 to GDA94 outside the grid", kOutside, Datum::kGda2020, Datum::kGda94,
       [](LatLon p) -> LatLon { return gda2020ToGda94(p.latitude, p.longitude, 0.0); }},
      {"AGD66 to GDA2020 outside AGD66 grid, inside GDA2020 grid", kOnlyGda2020, Datum::kAgd66,
       Datum::kGda2020,
       [](LatLon p) -> LatLon {
         const LatLon g = agd66ToGda94(p.latitude, p.longitude);
         return gda94ToGda2020(g.latitude, g.longitude, 0.0);
       }},
      {"GDA2020 to AGD84: first leg served, second not", kOnlyGda2020, Datum::kGda2020, Datum::kAgd84,
       [](LatLon p) {
         const LatLon g = gda2020ToGda94(p.latitude, p.longitude, 0.0);
         return gda94ToAgd84(g.latitude, g.longitude);
       }},
      {"AGD66 to WGS84 outside the grid", kOutside, Datum::kAgd66, Datum::kWgs84,
       [](LatLon p) {
         const LatLon g = agd66ToGda94(p.latitude, p.longitude);
         return gda94ToItrf(g.latitude, g.longitude, kEpoch, ItrfRealisation::kItrf2000);
       }},
      {"WGS84 to AGD84 outside the grid", kOutside, Datum::kWgs84, Datum::kAgd84,
       [](LatLon p) {
         const LatLon g = itrfToGda94(p.latitude, p.longitude, kEpoch, ItrfRealisation::kItrf2000);
         return gda94ToAgd84(g.latitude, g.longitude);
       }},
      {"AGD84 to AGD66 never uses a grid", kInside, Datum::kAgd84, Datum::kAgd66,
       [](LatLon p) {
         const LatLon g = agd84ToGda94(p.latitude, p.longitude);
         return gda94ToAgd66(g.latitude, g.longitude);
       }},
      {"ANG to GDA2020 uses parameters for GDA2020", kInside, Datum::kAng, Datum::kGda2020,
       [](LatLon p) -> LatLon {
         const LatLon g = angToGda94(p.latitude, p.longitude, HelmertParams{});
         return gda94ToGda2020(g.latitude, g.longitude, 0.0);
       }},
      {"GDA2020 to ANG uses parameters for GDA2020", kInside, Datum::kGda2020, Datum::kAng,
       [](LatLon p) {
         const LatLon g = gda2020ToGda94(p.latitude, p.longitude, 0.0);
         return gda94ToAng(g.latitude, g.longitude, HelmertParams{});
       }},
      {"WGS84 to GDA2020", kInside, Datum::kWgs84, Datum::kGda2020,
       [](LatLon p) { return itrfToGda2020(p.latitude, p.longitude, kEpoch, ItrfRealisation::kItrf2000); }},
      {"GDA2020 to WGS84", kInside, Datum::kGda2020, Datum::kWgs84,
       [](LatLon p) { return gda2020ToItrf(p.latitude, p.longitude, kEpoch, ItrfRealisation::kItrf2000); }},
  };
  for (const Case& c : cases)
    expectBitEqual(viaDispatcher(c.point, c.from, c.to, kEpoch), c.expected(c.point), c.what);
  // The GDA2020 grid does cover the point the AGD66 grid misses.
  expectNear(viaDispatcher(kOnlyGda2020, Datum::kGda94, Datum::kGda2020),
             applyLeg(kOnlyGda2020, {&kGda2020Grid, 1.0}), "GDA94 to GDA2020 inside the GDA2020 grid");
}

// A grid is opened once, when the Converter is made: a file missing then stays missing for the
// Converter's whole life, even when it appears later, and an open grid serves after its file is gone.
TEST_F(GridShiftTest, GridsAreOpenedOnceForTheConvertersLife) {
  ConversionSettings settings;
  settings.fromDatum = Datum::kAgd84;
  settings.toDatum = Datum::kGda94;
  settings.useGridShift = true;
  settings.gridFolders = {folder_.prefix()};
  const Coordinates point{kInside.latitude, kInside.longitude, 0.0};
  const LatLon parameters = agd84ToGda94(kInside.latitude, kInside.longitude);
  const LatLon gridded = applyLeg(kInside, {&kAgd84Grid, 1.0});
  const auto position = [](const ConversionResult& r) {
    return LatLon{r.coordinates.first, r.coordinates.second};
  };

  const Converter withoutFile(settings);
  EXPECT_TRUE(withoutFile.gridState(GridId::kAgd84).needed);
  EXPECT_EQ(withoutFile.gridState(GridId::kAgd84).grid, nullptr);
  ASSERT_TRUE(writeGrid(folder_, kAgd84Grid));
  expectBitEqual(position(withoutFile.transformPoint(point)), parameters,
                 "file written after the converter was made");

  const Converter withFile(settings);
  std::filesystem::remove(folder_.filePath(kAgd84Grid.fileName));
  expectNear(position(withFile.transformPoint(point)), gridded, "file removed after the open");
  // Only the grid the run needs was opened.
  for (const GridId other : {GridId::kAgd66, GridId::kGda2020, GridId::kAusGeoid2020}) {
    EXPECT_FALSE(withFile.gridState(other).needed);
  }
}

TEST_F(GridShiftTest, UnreadableFileFallsBackToParameters) {
  ASSERT_TRUE(writeBytesToFile(folder_.filePath(kAgd66Grid.fileName), "not an NTv2 file at all"));
  expectBitEqual(viaDispatcher(kInside, Datum::kGda94, Datum::kAgd66),
                 gda94ToAgd66(kInside.latitude, kInside.longitude), "unreadable file");
}

TEST_F(GridShiftTest, EmptyFolderMeansTheCurrentDirectory) {
  writeAllGrids();
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(folder_.prefix());
  const LatLon shifted = transformDatum(kInside.latitude, kInside.longitude, Datum::kAgd66, Datum::kGda94,
                                        2012.0, true, false, "");
  std::filesystem::current_path(previous);
  expectNear(shifted, applyLeg(kInside, {&kAgd66Grid, 1.0}), "bare file name");
}

// A real national grid (New Zealand, NZGD49 to NZGD2000) placed under the AGD66 name: the grid
// stage runs before the New Zealand substitution, and its result must agree with the
// seven-parameter NZGD transformation to within that transformation's few metres.
TEST_F(GridShiftTest, RealNationalGridAgreesWithTheParameterTransformation) {
  const std::filesystem::path real = "/usr/share/proj/nzgd2kgrid0005.gsb";
  if (!std::filesystem::exists(real)) GTEST_SKIP() << real << " not installed";
  std::filesystem::copy_file(real, folder_.filePath(kAgd66Grid.fileName));

  constexpr std::array<LatLon, 3> kPoints{{{-41.3, 174.78}, {-36.85, 174.76}, {-45.87, 170.5}}};
  constexpr double kParameterAccuracyDeg = 1e-4;  // about 10 m
  constexpr double kRoundTripDeg = 1e-7;          // about 1 cm: the shift hardly changes over 200 m
  for (const LatLon& p : kPoints) {
    const LatLon gridded = viaDispatcher(p, Datum::kAgd66, Datum::kGda94);
    const LatLon parameters = nzgd49ToNzgd2000(p.latitude, p.longitude);
    EXPECT_NEAR(gridded.latitude, parameters.latitude, kParameterAccuracyDeg);
    EXPECT_NEAR(gridded.longitude, parameters.longitude, kParameterAccuracyDeg);
    EXPECT_NE(gridded.latitude, parameters.latitude);  // the grid, not the parameters, served

    const LatLon back = viaDispatcher(gridded, Datum::kGda94, Datum::kAgd66);
    EXPECT_NEAR(back.latitude, p.latitude, kRoundTripDeg);
    EXPECT_NEAR(back.longitude, p.longitude, kRoundTripDeg);
  }
}

}  // namespace
}  // namespace velmora
