// heightCorrection: the twelve rows of datum and height type, the geoid of the AHD side, the
// geoid's life from the first point to the last, and the missing-geoid message.
#include "pipeline/height_correction.hpp"

#include <cmath>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "velmora/geodesy/datum_transforms.hpp"
#include "pipeline/grid_slots.hpp"
#include "tests/pipeline/pipeline_fixtures.hpp"
#include "tests/support/temp_dir.hpp"

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

double n2020() { return kAusGeoid2020.at(kLat, kLon); }
double n09() { return kAusGeoid09.at(kLat, kLon); }
double dh2020To94(double h) { return gda2020ToGda94(kLat, kLon, h).height; }
double dh94To2020(double h) { return gda94ToGda2020(kLat, kLon, h).height; }

class HeightCorrectionTest : public testing::GridSlotTest {
 protected:
  void writeGeoids() {
    ASSERT_TRUE(testing::writeGeoidGrid(folder_.filePath("AUSGeoid2020.gsb"), kGeoidExtent, kAusGeoid2020));
    ASSERT_TRUE(testing::writeGeoidGrid(folder_.filePath("AUSGeoid09.gsb"), kGeoidExtent, kAusGeoid09));
    ASSERT_TRUE(testing::writeGeoidGrid(folder_.filePath("AUSGeoid98.gsb"), kGeoidExtent, kAusGeoid98));
  }
  // A run of a single point: opens and closes the geoid in the one call.
  double singlePoint(DatumCode from, HeightTypeCode fromType, DatumCode to, HeightTypeCode toType,
                     bool useAusGeoid98 = false, double latitude = kLat, double longitude = kLon) {
    return heightCorrection(latitude, longitude, from, fromType, to, toType, useAusGeoid98, folder_.prefix(), true,
                            true);
  }
  static bool geoidSlotsEmpty() {
    return !gridSlot(GridSlotId::kGda2020Geoid) && !gridSlot(GridSlotId::kGda94Geoid);
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
    ::testing::internal::CaptureStderr();
    const double correction = singlePoint(c.from, c.fromType, c.to, c.toType);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_NEAR(correction, c.expected(), kHeightToleranceMetres)
        << c.from << "/" << c.fromType << " to " << c.to << "/" << c.toType;
    EXPECT_TRUE(geoidSlotsEmpty());
  }
}

TEST_F(HeightCorrectionTest, AhdToEllipsoidAndBackOnGda2020) {
  // N = 20.0 everywhere.
  ASSERT_TRUE(testing::writeGeoidGrid(folder_.filePath("AUSGeoid2020.gsb"), kGeoidExtent,
                                      DegreePlane{20.0, 0.0, 0.0}));
  EXPECT_NEAR(100.0 + singlePoint(kGda2020, kAhd, kGda2020, kEllipsoid), 120.0, kHeightToleranceMetres);
  EXPECT_NEAR(120.0 + singlePoint(kGda2020, kEllipsoid, kGda2020, kAhd), 100.0, kHeightToleranceMetres);
}

TEST_F(HeightCorrectionTest, NothingToDoOpensNothing) {
  writeGeoids();
  struct Case {
    DatumCode from;
    HeightTypeCode fromType;
    DatumCode to;
    HeightTypeCode toType;
  };
  const Case cases[] = {
      {kGda2020, kAhd, kGda2020, kAhd},
      {kGda94, kEllipsoid, kGda94, kEllipsoid},
      {kAgd66, kAhd, kGda94, kEllipsoid},
      {kGda94, kEllipsoid, kWgs84, kAhd},
      {kAgd84, kEllipsoid, kAgd84, kAhd},
      {kNzgd2000, kAhd, kGda2020, kEllipsoid},
      {kGda2020, kNoHeight, kGda2020, kAhd},
  };
  for (const Case& c : cases) {
    ::testing::internal::CaptureStderr();
    // First point only: a geoid opened here would stay in its slot.
    const double correction =
        heightCorrection(kLat, kLon, c.from, c.fromType, c.to, c.toType, false, folder_.prefix(), true, false);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(correction, 0.0);
    EXPECT_TRUE(geoidSlotsEmpty());
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

TEST_F(HeightCorrectionTest, GeoidOpensAtFirstPointAndClosesAtLast) {
  writeGeoids();
  double accumulator = 1.0;
  addAusGeoid2020Separation(folder_.prefix(), false, kLat, kLon, accumulator, true, false);
  EXPECT_NEAR(accumulator, 1.0 + n2020(), kHeightToleranceMetres);
  ASSERT_NE(gridSlot(GridSlotId::kGda2020Geoid), nullptr);

  // Middle points use the open grid, even with the file gone.
  std::filesystem::remove(folder_.filePath("AUSGeoid2020.gsb"));
  addAusGeoid2020Separation(folder_.prefix(), true, kLat, kLon, accumulator, false, false);
  EXPECT_NEAR(accumulator, 1.0, kHeightToleranceMetres);

  addAusGeoid2020Separation(folder_.prefix(), false, kLat, kLon, accumulator, false, true);
  EXPECT_NEAR(accumulator, 1.0 + n2020(), kHeightToleranceMetres);
  EXPECT_EQ(gridSlot(GridSlotId::kGda2020Geoid), nullptr);
}

TEST_F(HeightCorrectionTest, PointOutsideTheGeoidAddsNothingSilently) {
  writeGeoids();
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(singlePoint(kGda2020, kAhd, kGda2020, kEllipsoid, false, -2.0, 130.0), 0.0);
  EXPECT_NEAR(singlePoint(kGda94, kAhd, kGda2020, kEllipsoid, false, -2.0, 130.0),
              gda94ToGda2020(-2.0, 130.0, 0.0).height,
              kHeightToleranceMetres);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST_F(HeightCorrectionTest, MissingGeoidIsReportedForEveryPoint) {
  const std::string message = folder_.filePath("AUSGeoid2020.gsb") + " does not exist\n";
  ::testing::internal::CaptureStderr();
  double total = 0.0;
  for (int k = 0; k < 3; ++k) {
    total += heightCorrection(kLat, kLon, kGda94, kEllipsoid, kGda2020, kAhd, false, folder_.prefix(), k == 0, k == 2);
  }
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), message + message + message);
  // The datum height change still applies; only the separation is missing.
  EXPECT_NEAR(total, 3.0 * dh94To2020(0.0), kHeightToleranceMetres);
}

TEST_F(HeightCorrectionTest, MissingGeoidMessageNamesTheFileOfTheRun) {
  ::testing::internal::CaptureStderr();
  singlePoint(kGda94, kAhd, kGda94, kEllipsoid, true);
  singlePoint(kGda2020, kEllipsoid, kGda94, kAhd, false);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            folder_.filePath("AUSGeoid98.gsb") + " does not exist\n" + folder_.filePath("AUSGeoid09.gsb") +
                " does not exist\n");
}

TEST_F(HeightCorrectionTest, PercentSignsInThePathPrintAsTheyAre) {
  const std::string prefix = folder_.prefix() + "50%d %s %n%%/";
  ::testing::internal::CaptureStderr();
  const double correction =
      heightCorrection(kLat, kLon, kGda2020, kAhd, kGda2020, kEllipsoid, false, prefix, true, true);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), prefix + "AUSGeoid2020.gsb does not exist\n");
  EXPECT_EQ(correction, 0.0);

  ::testing::internal::CaptureStderr();
  heightCorrection(kLat, kLon, kGda2020, kAhd, kGda2020, kEllipsoid, false, "", true, true);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "AUSGeoid2020.gsb does not exist\n");
}

TEST_F(HeightCorrectionTest, GeoidInFolderWithPercentSignsOpens) {
  const std::string prefix = folder_.prefix() + "50%d%s/";
  std::filesystem::create_directory(prefix);
  ASSERT_TRUE(testing::writeGeoidGrid(prefix + "AUSGeoid2020.gsb", kGeoidExtent, kAusGeoid2020));
  EXPECT_NEAR(heightCorrection(kLat, kLon, kGda2020, kAhd, kGda2020, kEllipsoid, false, prefix, true, true), n2020(),
              kHeightToleranceMetres);
}

}  // namespace
}  // namespace velmora
