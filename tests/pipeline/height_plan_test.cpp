// HeightPlan: the twelve rows of datum and height type, the geoid of the AHD side, and what a point
// gets when its geoid is missing or does not cover it.
#include "pipeline/height_plan.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/pipeline/pipeline_fixtures.hpp"
#include "tests/support/code_printing.hpp"
#include "tests/support/temp_dir.hpp"
#include "velmora/geodesy/datum_transforms.hpp"
#include "velmora/gridfile/grid_file.hpp"
#include "velmora/gridfile/grid_writer.hpp"

namespace velmora {
namespace {

constexpr double kHeightToleranceMetres = 1e-9;

// Distinct planes, so the file used can be told from the value. N in metres.
const DegreePlane kAusGeoid2020{20.0, 0.125, 0.0625};
const DegreePlane kAusGeoid09{10.0, -0.25, 0.125};
const DegreePlane kAusGeoid98{-5.0, 0.5, -0.03125};
const DegreeArea kGeoidExtent{-45.0, -10.0, 110.0, 155.0, 5.0};

constexpr double kLat = -33.3;  // a GDA2020 position inside every geoid fixture
constexpr double kLon = 138.7;

double n2020() {
  return kAusGeoid2020.at(kLat, kLon);
}
double n09() {
  return kAusGeoid09.at(kLat, kLon);
}
double dh2020To94(double h) {
  return gda2020ToGda94(kLat, kLon, h).height;
}
double dh94To2020(double h) {
  return gda94ToGda2020(kLat, kLon, h).height;
}

class HeightCorrectionTest : public ::testing::Test {
 protected:
  void writeGeoids() {
    ASSERT_TRUE(testing::writeGeoidGrid(folder_.filePath("AUSGeoid2020.gsb"), kGeoidExtent, kAusGeoid2020));
    ASSERT_TRUE(testing::writeGeoidGrid(folder_.filePath("AUSGeoid09.gsb"), kGeoidExtent, kAusGeoid09));
    ASSERT_TRUE(testing::writeGeoidGrid(folder_.filePath("AUSGeoid98.gsb"), kGeoidExtent, kAusGeoid98));
  }
  // The correction of one point at its GDA2020 position, with the plan's geoid opened from the folder.
  HeightCorrection correct(Datum from, HeightType fromType, Datum to, HeightType toType,
                           bool useAusGeoid98 = false, double latitude = kLat,
                           double longitude = kLon) const {
    const HeightPlan plan(from, fromType, to, toType, useAusGeoid98);
    // Each surface, and its uncertainty grid, from the folder by its fixed name with the extension
    // .gsb (the fixtures are NTv2 whatever the published file's format): nullptr when absent.
    std::array<std::unique_ptr<GridFile>, 2 * HeightPlan::kMaxSurfaces> files;
    std::array<const GridFile*, 2 * HeightPlan::kMaxSurfaces> open{};
    HeightPlan::Grids grids;
    const std::span<const GridId> surfaces = plan.surfaces();
    for (std::size_t k = 0; k < surfaces.size(); ++k) {
      const auto openAt = [&](std::size_t place, GridId id) {
        const std::string path =
            folder_.filePath(std::filesystem::path(gridFileName(id)).replace_extension(".gsb").string());
        if (std::filesystem::exists(path)) files[place] = openGridFile(path);
        open[place] = files[place].get();
        return GridList(&open[place], 1);
      };
      grids.surfaces[k] = openAt(2 * k, surfaces[k]);
      if (const std::optional<GridId> uncertainty = uncertaintyGrid(surfaces[k]))
        grids.uncertainties[k] = openAt(2 * k + 1, *uncertainty);
    }
    return plan.heightCorrection({latitude, longitude}, grids);
  }
  double singlePoint(Datum from, HeightType fromType, Datum to, HeightType toType, bool useAusGeoid98 = false,
                     double latitude = kLat, double longitude = kLon) const {
    return correct(from, fromType, to, toType, useAusGeoid98, latitude, longitude).metres;
  }
  TempDir folder_;
};

TEST_F(HeightCorrectionTest, TwelveRows) {
  writeGeoids();
  struct Case {
    Datum from;
    Datum to;
    HeightType fromType;
    HeightType toType;
    double (*expected)();
  };
  const Case cases[] = {
      {Datum::kGda2020, Datum::kGda2020, HeightType::kEllipsoid, HeightType::kAhd, [] { return -n2020(); }},
      {Datum::kGda2020, Datum::kGda2020, HeightType::kAhd, HeightType::kEllipsoid, [] { return n2020(); }},
      {Datum::kGda94, Datum::kGda94, HeightType::kEllipsoid, HeightType::kAhd, [] { return -n09(); }},
      {Datum::kGda94, Datum::kGda94, HeightType::kAhd, HeightType::kEllipsoid, [] { return n09(); }},
      {Datum::kGda2020, Datum::kGda94, HeightType::kEllipsoid, HeightType::kEllipsoid,
       [] { return dh2020To94(0.0); }},
      {Datum::kGda2020, Datum::kGda94, HeightType::kEllipsoid, HeightType::kAhd,
       [] { return dh2020To94(0.0) - n09(); }},
      {Datum::kGda2020, Datum::kGda94, HeightType::kAhd, HeightType::kEllipsoid,
       [] { return dh2020To94(n2020()); }},
      {Datum::kGda2020, Datum::kGda94, HeightType::kAhd, HeightType::kAhd, [] { return 0.0; }},
      {Datum::kGda94, Datum::kGda2020, HeightType::kEllipsoid, HeightType::kEllipsoid,
       [] { return dh94To2020(0.0); }},
      {Datum::kGda94, Datum::kGda2020, HeightType::kEllipsoid, HeightType::kAhd,
       [] { return dh94To2020(0.0) - n2020(); }},
      {Datum::kGda94, Datum::kGda2020, HeightType::kAhd, HeightType::kEllipsoid,
       [] { return dh94To2020(n09()); }},
      {Datum::kGda94, Datum::kGda2020, HeightType::kAhd, HeightType::kAhd, [] { return 0.0; }},
  };
  // The height change alone is a few centimetres: make sure the rows that carry it do.
  ASSERT_GT(std::abs(dh94To2020(0.0)), 1e-3);
  for (const Case& c : cases) {
    const HeightCorrection correction = correct(c.from, c.fromType, c.to, c.toType);
    EXPECT_NEAR(correction.metres, c.expected(), kHeightToleranceMetres)
        << c.from << "/" << c.fromType << " to " << c.to << "/" << c.toType;
    const bool geoidUsed = correction.report.geoidStatus != GeoidStatus::kNotUsed;
    EXPECT_EQ(geoidUsed, correction.report.geoidStatus == GeoidStatus::kApplied);
  }
}

TEST_F(HeightCorrectionTest, AhdToEllipsoidAndBackOnGda2020) {
  // N = 20.0 everywhere.
  ASSERT_TRUE(testing::writeGeoidGrid(folder_.filePath("AUSGeoid2020.gsb"), kGeoidExtent,
                                      DegreePlane{20.0, 0.0, 0.0}));
  EXPECT_NEAR(100.0 + singlePoint(Datum::kGda2020, HeightType::kAhd, Datum::kGda2020, HeightType::kEllipsoid),
              120.0, kHeightToleranceMetres);
  EXPECT_NEAR(120.0 + singlePoint(Datum::kGda2020, HeightType::kEllipsoid, Datum::kGda2020, HeightType::kAhd),
              100.0, kHeightToleranceMetres);
}

TEST_F(HeightCorrectionTest, NothingToDoNeedsNoGeoid) {
  writeGeoids();
  struct Case {
    Datum from;
    HeightType fromType;
    Datum to;
    HeightType toType;
  };
  const Case cases[] = {
      {Datum::kGda2020, HeightType::kAhd, Datum::kGda2020, HeightType::kAhd},
      {Datum::kGda94, HeightType::kEllipsoid, Datum::kGda94, HeightType::kEllipsoid},
      {Datum::kAgd66, HeightType::kAhd, Datum::kGda94, HeightType::kEllipsoid},
      {Datum::kGda94, HeightType::kEllipsoid, Datum::kWgs84, HeightType::kAhd},
      {Datum::kAgd84, HeightType::kEllipsoid, Datum::kAgd84, HeightType::kAhd},
      {Datum::kNzgd2000, HeightType::kAhd, Datum::kGda2020, HeightType::kEllipsoid},
      {Datum::kGda2020, HeightType::kNone, Datum::kGda2020, HeightType::kAhd},
  };
  for (const Case& c : cases) {
    const HeightPlan plan(c.from, c.fromType, c.to, c.toType, false);
    EXPECT_FALSE(plan.planned());
    EXPECT_TRUE(plan.surfaces().empty());
    EXPECT_EQ(singlePoint(c.from, c.fromType, c.to, c.toType), 0.0);
  }
}

TEST_F(HeightCorrectionTest, Gda94GeoidFileFollowsTheAusGeoid98Flag) {
  writeGeoids();
  EXPECT_NEAR(singlePoint(Datum::kGda94, HeightType::kAhd, Datum::kGda94, HeightType::kEllipsoid, true),
              kAusGeoid98.at(kLat, kLon), kHeightToleranceMetres);
  EXPECT_NEAR(singlePoint(Datum::kGda94, HeightType::kAhd, Datum::kGda94, HeightType::kEllipsoid, false),
              n09(), kHeightToleranceMetres);
  // GDA94 ellipsoid to GDA2020 AHD uses the AHD side's geoid whatever the flag says.
  EXPECT_NEAR(singlePoint(Datum::kGda94, HeightType::kEllipsoid, Datum::kGda2020, HeightType::kAhd, true),
              dh94To2020(0.0) - n2020(), kHeightToleranceMetres);
}

TEST_F(HeightCorrectionTest, PointOutsideTheGeoidAddsNothing) {
  writeGeoids();
  const HeightCorrection outside =
      correct(Datum::kGda2020, HeightType::kAhd, Datum::kGda2020, HeightType::kEllipsoid, false, -2.0, 130.0);
  EXPECT_EQ(outside.metres, 0.0);
  EXPECT_EQ(outside.report.geoidStatus, GeoidStatus::kOutside);
  EXPECT_NEAR(singlePoint(Datum::kGda94, HeightType::kAhd, Datum::kGda2020, HeightType::kEllipsoid, false,
                          -2.0, 130.0),
              gda94ToGda2020(-2.0, 130.0, 0.0).height, kHeightToleranceMetres);
}

TEST_F(HeightCorrectionTest, MissingGeoidIsReportedAndTheHeightChangeStillApplies) {
  const HeightCorrection missing =
      correct(Datum::kGda94, HeightType::kEllipsoid, Datum::kGda2020, HeightType::kAhd);
  EXPECT_EQ(missing.report.geoidStatus, GeoidStatus::kFileMissing);
  EXPECT_EQ(missing.report.geoid, GridId::kAusGeoid2020);
  EXPECT_NEAR(missing.metres, dh94To2020(0.0), kHeightToleranceMetres);
  // The geoid of the run's AHD side is the one named.
  EXPECT_EQ(
      correct(Datum::kGda94, HeightType::kAhd, Datum::kGda94, HeightType::kEllipsoid, true).report.geoid,
      GridId::kAusGeoid98);
  EXPECT_EQ(correct(Datum::kGda2020, HeightType::kEllipsoid, Datum::kGda94, HeightType::kAhd).report.geoid,
            GridId::kAusGeoid09);
}

TEST_F(HeightCorrectionTest, NoDataNodesAddNothing) {
  ASSERT_TRUE(testing::writeGeoidGrid(folder_.filePath("AUSGeoid2020.gsb"), kGeoidExtent,
                                      DegreePlane{-999.0, 0.0, 0.0}));
  const HeightCorrection noData =
      correct(Datum::kGda2020, HeightType::kAhd, Datum::kGda2020, HeightType::kEllipsoid);
  EXPECT_EQ(noData.report.geoidStatus, GeoidStatus::kNoData);
  EXPECT_EQ(noData.metres, 0.0);
}

// New Zealand heights: NZGeoid2016 N and two local datums' offsets (local minus NZVD2016), planes
// over the South Island in metres. A local datum reaches NZVD2016 and another local datum through
// its offset alone; the ellipsoid through NZGeoid2016 as well.
const DegreeArea kNzExtent{-48.0, -40.0, 165.0, 175.0, 1.0};
const DegreePlane kNzGeoid{10.0, 0.125, 0.0625};
const DegreePlane kDunedinOffset{0.25, 0.0078125, -0.00390625};
const DegreePlane kBluffOffset{-0.5, 0.015625, 0.0078125};
constexpr double kNzLat = -45.3;
constexpr double kNzLon = 169.7;

TEST_F(HeightCorrectionTest, NewZealandChains) {
  ASSERT_TRUE(testing::writeGeoidGrid(folder_.filePath("nzgeoid2016.gsb"), kNzExtent, kNzGeoid));
  ASSERT_TRUE(
      testing::writeGeoidGrid(folder_.filePath("duneht1958-nzvd2016.gsb"), kNzExtent, kDunedinOffset));
  ASSERT_TRUE(testing::writeGeoidGrid(folder_.filePath("blufht1955-nzvd2016.gsb"), kNzExtent, kBluffOffset));
  const double n = kNzGeoid.at(kNzLat, kNzLon);
  const double dunedin = kDunedinOffset.at(kNzLat, kNzLon);
  const double bluff = kBluffOffset.at(kNzLat, kNzLon);
  struct Case {
    HeightType from;
    HeightType to;
    double expected;
    std::vector<GridId> surfaces;
  };
  const Case cases[] = {
      {HeightType::kNzvd2016, HeightType::kEllipsoid, n, {GridId::kNzGeoid2016}},
      {HeightType::kEllipsoid, HeightType::kNzvd2016, -n, {GridId::kNzGeoid2016}},
      {HeightType::kNzvd2016, HeightType::kDunedin1958, dunedin, {GridId::kDunedin1958}},
      {HeightType::kDunedin1958, HeightType::kNzvd2016, -dunedin, {GridId::kDunedin1958}},
      {HeightType::kDunedin1958,
       HeightType::kEllipsoid,
       -dunedin + n,
       {GridId::kDunedin1958, GridId::kNzGeoid2016}},
      {HeightType::kEllipsoid,
       HeightType::kDunedin1958,
       -n + dunedin,
       {GridId::kNzGeoid2016, GridId::kDunedin1958}},
      {HeightType::kDunedin1958,
       HeightType::kBluff1955,
       -dunedin + bluff,
       {GridId::kDunedin1958, GridId::kBluff1955}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(codeOf(c.from)) + " to " + std::to_string(codeOf(c.to)));
    const HeightPlan plan(Datum::kNzgd2000, c.from, Datum::kNzgd2000, c.to, false);
    EXPECT_TRUE(plan.onNzgd2000());
    EXPECT_EQ(std::vector<GridId>(plan.surfaces().begin(), plan.surfaces().end()), c.surfaces);
    const HeightCorrection correction =
        correct(Datum::kNzgd2000, c.from, Datum::kNzgd2000, c.to, false, kNzLat, kNzLon);
    EXPECT_NEAR(correction.metres, c.expected, kHeightToleranceMetres);
    EXPECT_EQ(correction.report.geoidStatus, GeoidStatus::kApplied);
    EXPECT_EQ(correction.report.second.geoidStatus,
              c.surfaces.size() > 1 ? GeoidStatus::kApplied : GeoidStatus::kNotUsed);
  }
}

// AVWS: zeta from AGQG on GDA2020, with AHD on either datum; the AUSGeoid2020 uncertainty grid,
// when present, gives the point its uncertainty.
TEST_F(HeightCorrectionTest, AvwsOnGda2020) {
  writeGeoids();
  const DegreePlane agqg{19.5, 0.0625, 0.125};
  ASSERT_TRUE(testing::writeGeoidGrid(folder_.filePath("AGQG_20201120.gsb"), kGeoidExtent, agqg));
  ASSERT_TRUE(testing::writeGeoidGrid(folder_.filePath("AUSGeoid2020_20180201_error.gsb"), kGeoidExtent,
                                      DegreePlane{0.0625, 0.0, 0.0}));
  const double zeta = agqg.at(kLat, kLon);
  struct Case {
    Datum from;
    HeightType fromType;
    Datum to;
    HeightType toType;
    double expected;
  };
  const Case cases[] = {
      {Datum::kGda2020, HeightType::kAvws, Datum::kGda2020, HeightType::kEllipsoid, zeta},
      {Datum::kGda2020, HeightType::kEllipsoid, Datum::kGda2020, HeightType::kAvws, -zeta},
      {Datum::kGda2020, HeightType::kAvws, Datum::kGda2020, HeightType::kAhd, zeta - n2020()},
      {Datum::kGda2020, HeightType::kAvws, Datum::kGda94, HeightType::kAhd, dh2020To94(zeta) - n09()},
      {Datum::kGda94, HeightType::kEllipsoid, Datum::kGda2020, HeightType::kAvws, dh94To2020(0.0) - zeta},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(singlePoint(c.from, c.fromType, c.to, c.toType), c.expected, kHeightToleranceMetres)
        << c.from << "/" << c.fromType << " to " << c.to << "/" << c.toType;
  }
  const HeightCorrection withAhd =
      correct(Datum::kGda2020, HeightType::kAhd, Datum::kGda2020, HeightType::kAvws);
  EXPECT_EQ(withAhd.report.uncertainty, std::optional(0.0625));  // AUSGeoid2020's error grid
  EXPECT_EQ(withAhd.report.second.uncertainty, std::nullopt);    // no AGQG uncertainty file
  EXPECT_FALSE(
      HeightPlan(Datum::kGda94, HeightType::kAvws, Datum::kGda94, HeightType::kEllipsoid, false).planned());
}

// EPSG's example of operation 9314: the four published nodes of the Dunedin 1958 offset grid around
// 44.42 S 168.92 E (a 2' cell, arc-seconds, longitudes positive west, nodes from the south and each
// row east to west). PROJ's vgridshift on the same nodes: 50.304348 from NZVD2016 50 m, 49.999652
// back from 50.304.
TEST_F(HeightCorrectionTest, PublishedDunedinExampleAgreesWithProj) {
  SubGridImage cell;
  cell.sLat = -159960.0;   // 44 26' S
  cell.nLat = -159840.0;   // 44 24' S
  cell.eLong = -608160.0;  // 168 56' E
  cell.wLong = -608040.0;  // 168 54' E
  cell.latInc = 120.0;
  cell.longInc = 120.0;
  cell.nodes = {{0.3055F}, {0.3051F}, {0.3029F}, {0.3028F}};
  GridImage image;
  image.subGrids.push_back(cell);
  folder_.writeFile("duneht1958-nzvd2016.gsb", encodeBinaryGrid(image));
  constexpr double kProjToleranceMetres = 1e-6;  // cct's six decimals
  EXPECT_NEAR(50.0 + singlePoint(Datum::kNzgd2000, HeightType::kNzvd2016, Datum::kNzgd2000,
                                 HeightType::kDunedin1958, false, -44.42, 168.92),
              50.304348, kProjToleranceMetres);
  EXPECT_NEAR(50.304 + singlePoint(Datum::kNzgd2000, HeightType::kDunedin1958, Datum::kNzgd2000,
                                   HeightType::kNzvd2016, false, -44.42, 168.92),
              49.999652, kProjToleranceMetres);
}

}  // namespace
}  // namespace velmora
