// HeightPlan: the twelve rows of datum and height type, the geoid of the AHD side, and what a point
// gets when its geoid is missing or does not cover it.
#include "pipeline/height_plan.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "tests/pipeline/pipeline_fixtures.hpp"
#include "tests/support/temp_dir.hpp"
#include "velmora/geodesy/datum_transforms.hpp"
#include "velmora/gridfile/grid_file.hpp"

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
  HeightCorrection correct(DatumCode from, HeightTypeCode fromType, DatumCode to, HeightTypeCode toType,
                           bool useAusGeoid98 = false, double latitude = kLat,
                           double longitude = kLon) const {
    const HeightPlan plan(from, fromType, to, toType, useAusGeoid98);
    std::unique_ptr<GridFile> geoid;
    if (plan.usesGeoid()) geoid = openGridFile(folder_.filePath(gridFileName(plan.geoid())));
    return plan.correctionAt({latitude, longitude}, geoid.get());
  }
  double singlePoint(DatumCode from, HeightTypeCode fromType, DatumCode to, HeightTypeCode toType,
                     bool useAusGeoid98 = false, double latitude = kLat, double longitude = kLon) const {
    return correct(from, fromType, to, toType, useAusGeoid98, latitude, longitude).metres;
  }
  TempDir folder_;
};

TEST_F(HeightCorrectionTest, TwelveRows) {
  writeGeoids();
  struct Case {
    DatumCode from;
    DatumCode to;
    HeightTypeCode fromType;
    HeightTypeCode toType;
    double (*expected)();
  };
  const Case cases[] = {
      {kGda2020, kGda2020, kEllipsoid, kAhd, [] { return -n2020(); }},
      {kGda2020, kGda2020, kAhd, kEllipsoid, [] { return n2020(); }},
      {kGda94, kGda94, kEllipsoid, kAhd, [] { return -n09(); }},
      {kGda94, kGda94, kAhd, kEllipsoid, [] { return n09(); }},
      {kGda2020, kGda94, kEllipsoid, kEllipsoid, [] { return dh2020To94(0.0); }},
      {kGda2020, kGda94, kEllipsoid, kAhd, [] { return dh2020To94(0.0) - n09(); }},
      {kGda2020, kGda94, kAhd, kEllipsoid, [] { return dh2020To94(n2020()); }},
      {kGda2020, kGda94, kAhd, kAhd, [] { return 0.0; }},
      {kGda94, kGda2020, kEllipsoid, kEllipsoid, [] { return dh94To2020(0.0); }},
      {kGda94, kGda2020, kEllipsoid, kAhd, [] { return dh94To2020(0.0) - n2020(); }},
      {kGda94, kGda2020, kAhd, kEllipsoid, [] { return dh94To2020(n09()); }},
      {kGda94, kGda2020, kAhd, kAhd, [] { return 0.0; }},
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
  EXPECT_NEAR(100.0 + singlePoint(kGda2020, kAhd, kGda2020, kEllipsoid), 120.0, kHeightToleranceMetres);
  EXPECT_NEAR(120.0 + singlePoint(kGda2020, kEllipsoid, kGda2020, kAhd), 100.0, kHeightToleranceMetres);
}

TEST_F(HeightCorrectionTest, NothingToDoNeedsNoGeoid) {
  writeGeoids();
  struct Case {
    DatumCode from;
    HeightTypeCode fromType;
    DatumCode to;
    HeightTypeCode toType;
  };
  const Case cases[] = {
      {kGda2020, kAhd, kGda2020, kAhd},      {kGda94, kEllipsoid, kGda94, kEllipsoid},
      {kAgd66, kAhd, kGda94, kEllipsoid},    {kGda94, kEllipsoid, kWgs84, kAhd},
      {kAgd84, kEllipsoid, kAgd84, kAhd},    {kNzgd2000, kAhd, kGda2020, kEllipsoid},
      {kGda2020, kNoHeight, kGda2020, kAhd},
  };
  for (const Case& c : cases) {
    const HeightPlan plan(c.from, c.fromType, c.to, c.toType, false);
    EXPECT_EQ(plan.kind(), HeightPlan::Kind::kNone);
    EXPECT_FALSE(plan.usesGeoid());
    EXPECT_EQ(singlePoint(c.from, c.fromType, c.to, c.toType), 0.0);
  }
}

TEST_F(HeightCorrectionTest, Gda94GeoidFileFollowsTheAusGeoid98Flag) {
  writeGeoids();
  EXPECT_NEAR(singlePoint(kGda94, kAhd, kGda94, kEllipsoid, true), kAusGeoid98.at(kLat, kLon),
              kHeightToleranceMetres);
  EXPECT_NEAR(singlePoint(kGda94, kAhd, kGda94, kEllipsoid, false), n09(), kHeightToleranceMetres);
  // GDA94 ellipsoid to GDA2020 AHD uses the AHD side's geoid whatever the flag says.
  EXPECT_NEAR(singlePoint(kGda94, kEllipsoid, kGda2020, kAhd, true), dh94To2020(0.0) - n2020(),
              kHeightToleranceMetres);
}

TEST_F(HeightCorrectionTest, PointOutsideTheGeoidAddsNothing) {
  writeGeoids();
  const HeightCorrection outside = correct(kGda2020, kAhd, kGda2020, kEllipsoid, false, -2.0, 130.0);
  EXPECT_EQ(outside.metres, 0.0);
  EXPECT_EQ(outside.report.geoidStatus, GeoidStatus::kOutside);
  EXPECT_NEAR(singlePoint(kGda94, kAhd, kGda2020, kEllipsoid, false, -2.0, 130.0),
              gda94ToGda2020(-2.0, 130.0, 0.0).height, kHeightToleranceMetres);
}

TEST_F(HeightCorrectionTest, MissingGeoidIsReportedAndTheHeightChangeStillApplies) {
  const HeightCorrection missing = correct(kGda94, kEllipsoid, kGda2020, kAhd);
  EXPECT_EQ(missing.report.geoidStatus, GeoidStatus::kFileMissing);
  EXPECT_EQ(missing.report.geoid, GridId::kAusGeoid2020);
  EXPECT_NEAR(missing.metres, dh94To2020(0.0), kHeightToleranceMetres);
  // The geoid of the run's AHD side is the one named.
  EXPECT_EQ(correct(kGda94, kAhd, kGda94, kEllipsoid, true).report.geoid, GridId::kAusGeoid98);
  EXPECT_EQ(correct(kGda2020, kEllipsoid, kGda94, kAhd).report.geoid, GridId::kAusGeoid09);
}

TEST_F(HeightCorrectionTest, NoDataNodesAddNothing) {
  ASSERT_TRUE(testing::writeGeoidGrid(folder_.filePath("AUSGeoid2020.gsb"), kGeoidExtent,
                                      DegreePlane{-999.0, 0.0, 0.0}));
  const HeightCorrection noData = correct(kGda2020, kAhd, kGda2020, kEllipsoid);
  EXPECT_EQ(noData.report.geoidStatus, GeoidStatus::kNoData);
  EXPECT_EQ(noData.metres, 0.0);
}

}  // namespace
}  // namespace velmora
