// The deformation model against PROJ's defmodel on the synthetic model of
// tests/support/synthetic_model.hpp: forward and inverse at epochs before, at and after each event.
//
// The expected values were computed with PROJ 9.1.1's cct on the model this test writes:
//   VELMORA_SYNTHETIC_MODEL_DIR=/tmp/m velmora_deformation_tests --gtest_filter='*Writes*'
//   cd /tmp/m && PROJ_DATA=/tmp/m cct -d 12 -t EPOCH +proj=defmodel +model=synthetic_model.json
// (and "cct -I" for the inverse), longitude and latitude in degrees in and out.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/synthetic_model.hpp"
#include "tests/support/temp_dir.hpp"
#include "velmora/deformation/deformation_model.hpp"

namespace velmora {
namespace {

struct Expected {
  double longitude;
  double latitude;
  double heightChange;  // metres
};

struct Row {
  double longitude;
  double latitude;
  double epoch;  // before, at and after the events: 2009-07-15, 2010-09-04, 2016-11-14 and 2012.0
  Expected forward;
  Expected inverse;
};

// cct's values at three points: one in the step's finer sub-grid, the reverse step's coarser one and
// the decay; one in the reverse step's finer sub-grid, the ramp and the decay; one in the ramp alone.
// Over 10,000 points at 20 such epochs the largest difference was 1.0e-12 degrees both ways.
constexpr Row kRows[] = {
    {173.3,
     -42.3,
     1990.0,
     {173.299982769407, -42.299999392051, 0.229173978567},
     {173.300017230600, -42.300000608038, -0.229171397817}},
    {174.6,
     -41.2,
     1990.0,
     {174.599982447107, -41.199993660214, 0.891016991138},
     {174.600017552780, -41.200006340269, -0.891009204205}},
    {176.9,
     -39.6,
     1990.0,
     {176.899995441427, -39.600001623579, 0.000000000000},
     {176.900004558573, -39.599998376422, 0.000000000000}},
    {173.3,
     -42.3,
     2005.0,
     {173.299989612163, -42.299996193197, 0.229173978567},
     {173.300010387839, -42.300003806856, -0.229173041865}},
    {174.6,
     -41.2,
     2005.0,
     {174.599989413586, -41.199990682924, 0.891016991138},
     {174.600010586233, -41.200009317369, -0.891012531387}},
    {176.9,
     -39.6,
     2005.0,
     {176.900002279287, -39.599999188211, 0.000000000000},
     {176.899997720713, -39.600000811789, 0.000000000000}},
    {173.3,
     -42.3,
     2009.5342465753424,
     {173.299991680612, -42.299995226238, 0.229173978567},
     {173.300008319390, -42.300004773805, -0.229173538835}},
    {174.6,
     -41.2,
     2009.5342465753424,
     {174.599991519435, -41.199989782939, 0.930902773634},
     {174.600008480364, -41.200010217296, -0.930901805257}},
    {176.9,
     -39.6,
     2009.5342465753424,
     {176.900004346256, -39.599998452040, -0.252529199123},
     {176.899995653744, -39.600001547960, 0.252530639218}},
    {173.3,
     -42.3,
     2010.6739726027397,
     {173.299995175972, -42.299988769456, 0.229173978567},
     {173.300004824006, -42.300011230577, -0.229175246611}},
    {174.6,
     -41.2,
     2010.6739726027397,
     {174.599992966136, -41.199987963903, 0.912466678614},
     {174.600007033656, -41.200012036278, -0.912465284902}},
    {176.9,
     -39.6,
     2010.6739726027397,
     {176.900004865809, -39.599998266996, -0.135804591529},
     {176.899995134191, -39.600001733004, 0.135805458558}},
    {173.3,
     -42.3,
     2012.0,
     {173.299995780884, -42.299988486671, 0.229173978567},
     {173.300004219098, -42.300011513359, -0.229175391947}},
    {174.6,
     -41.2,
     2012.0,
     {174.599993581986, -41.199987700705, 0.891016991138},
     {174.600006417802, -41.200012299461, -0.891014573958}},
    {176.9,
     -39.6,
     2012.0,
     {176.900005470288, -39.599998051705, 0.000000000000},
     {176.899994529712, -39.600001948295, 0.000000000000}},
    {173.3,
     -42.3,
     2016.8688524590164,
     {173.300010670731, -42.299990188873, 0.000000000000},
     {173.299989329340, -42.300009811134, 0.000000000000}},
    {174.6,
     -41.2,
     2016.8688524590164,
     {174.600008751810, -41.199995058952, 0.000000000000},
     {174.599991248203, -41.200004941068, 0.000000000000}},
    {176.9,
     -39.6,
     2016.8688524590164,
     {176.900007689790, -39.599997261209, 0.000000000000},
     {176.899992310209, -39.600002738792, 0.000000000000}},
    {173.3,
     -42.3,
     2016.95,
     {173.300010651065, -42.299990208772, 0.000000000000},
     {173.299989349007, -42.300009791235, 0.000000000000}},
    {174.6,
     -41.2,
     2016.95,
     {174.600008879134, -41.199995013960, 0.000000000000},
     {174.599991120879, -41.200004986060, 0.000000000000}},
    {176.9,
     -39.6,
     2016.95,
     {176.900007726782, -39.599997248034, 0.000000000000},
     {176.899992273218, -39.600002751967, 0.000000000000}},
    {173.3,
     -42.3,
     2031.0,
     {173.300015351611, -42.299988334104, 0.000000000000},
     {173.299984648553, -42.300011665896, 0.000000000000}},
    {174.6,
     -41.2,
     2031.0,
     {174.600018106677, -41.199991354427, 0.000000000000},
     {174.599981893332, -41.200008645600, 0.000000000000}},
    {176.9,
     -39.6,
     2031.0,
     {176.900014131577, -39.599994966906, 0.000000000000},
     {176.899985868420, -39.600005033097, 0.000000000000}},
};

constexpr double kToleranceDeg = 1e-11;
constexpr double kHeightToleranceM = 1e-9;

TEST(DeformationProjCrossCheck, AgreesWithProjForwardAndInverse) {
  if (!deformationModelsSupported() || !gridFormReadable(GridForm::kGeoTiff))
    GTEST_SKIP() << "built without a JSON parser or without libtiff";
  const TempDir folder;
  ASSERT_TRUE(test::writeSyntheticModel(folder.path() + "/"));
  std::string problem;
  const auto model = DeformationModel::open(folder.path() + "/" + test::kSyntheticModelName, problem);
  ASSERT_NE(model, nullptr) << problem;
  for (const Row& row : kRows) {
    SCOPED_TRACE(::testing::Message() << row.longitude << " " << row.latitude << " at " << row.epoch);
    const DeformedPosition f = model->forward(row.latitude, row.longitude, row.epoch);
    ASSERT_EQ(f.status, DeformationStatus::kDone);
    EXPECT_NEAR(f.longitude, row.forward.longitude, kToleranceDeg);
    EXPECT_NEAR(f.latitude, row.forward.latitude, kToleranceDeg);
    EXPECT_NEAR(f.heightChange, row.forward.heightChange, kHeightToleranceM);
    const DeformedPosition i = model->inverse(row.latitude, row.longitude, row.epoch);
    ASSERT_EQ(i.status, DeformationStatus::kDone);
    EXPECT_NEAR(i.longitude, row.inverse.longitude, kToleranceDeg);
    EXPECT_NEAR(i.latitude, row.inverse.latitude, kToleranceDeg);
    EXPECT_NEAR(i.heightChange, row.inverse.heightChange, kHeightToleranceM);
  }
  // A displacement grid is no shift grid of arc-seconds: read only when its samples are asked for.
  GridError error = kGridOk;
  EXPECT_EQ(openGridFile(folder.path() + "/velocity.tif", error), nullptr);
  EXPECT_EQ(error, kGridUnsupportedType);
  // cct fails these too: outside the extent, and after the time extent.
  EXPECT_EQ(model->forward(-40.0, 181.0, 2020.0).status, DeformationStatus::kOutsideExtent);
  EXPECT_EQ(model->forward(-40.0, 175.0, 2050.5).status, DeformationStatus::kOutsideTimeExtent);
}

TEST(DeformationProjCrossCheck, WritesTheModelWhereAsked) {
  const char* folder = std::getenv("VELMORA_SYNTHETIC_MODEL_DIR");
  if (folder == nullptr) GTEST_SKIP() << "VELMORA_SYNTHETIC_MODEL_DIR names a folder to write the model into";
  ASSERT_TRUE(test::writeSyntheticModel(std::string(folder) + "/"));
}

// With the model written, VELMORA_SYNTHETIC_MODEL_POINTS names a file of "longitude latitude epoch"
// lines: each is printed forward and inverse as cct prints them, for a comparison of many points.
TEST(DeformationProjCrossCheck, PrintsPointsWhereAsked) {
  const char* folder = std::getenv("VELMORA_SYNTHETIC_MODEL_DIR");
  const char* points = std::getenv("VELMORA_SYNTHETIC_MODEL_POINTS");
  if (folder == nullptr || points == nullptr) GTEST_SKIP() << "no points asked for";
  std::string problem;
  const auto model = DeformationModel::open(std::string(folder) + "/" + test::kSyntheticModelName, problem);
  ASSERT_NE(model, nullptr) << problem;
  std::ifstream in(points);
  double lon = 0.0;
  double lat = 0.0;
  double epoch = 0.0;
  while (in >> lon >> lat >> epoch) {
    const DeformedPosition f = model->forward(lat, lon, epoch);
    const DeformedPosition i = model->inverse(lat, lon, epoch);
    std::printf("%.12f %.12f %.12f %d %.12f %.12f %.12f %d\n", f.longitude, f.latitude, f.heightChange,
                static_cast<int>(f.status), i.longitude, i.latitude, i.heightChange,
                static_cast<int>(i.status));
  }
}

}  // namespace
}  // namespace velmora
