#include "velmora/deformation/deformation_model.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "tests/support/grid_images.hpp"
#include "velmora/gridfile/grid_writer.hpp"

namespace velmora {
namespace {

// Grids whose values are not angles: a "SECONDS" NTv2 grid hands its values through unscaled, so
// it stands for a displacement grid in metres (north in the latitude field, east in the longitude
// field) in these tests of the evaluation itself.
std::unique_ptr<GridFile> planeGridFile(const std::string& name, const DegreeArea& area, DegreePlane north,
                                        DegreePlane east) {
  const std::string path = (std::filesystem::temp_directory_path() / name).string();
  EXPECT_TRUE(writeBytesToFile(path, encodeBinaryGrid(degreeGrid(area, shiftPlanes(north, east)))));
  std::unique_ptr<GridFile> grid = openGridFile(path);
  std::filesystem::remove(path);
  return grid;
}

constexpr DegreeBox kBox{170.0, -44.0, 176.0, -40.0};
constexpr DegreeArea kArea{.south = -44.0, .north = -40.0, .west = 170.0, .east = 176.0, .spacing = 0.5};

DeformationModel velocityAndStepModel() {
  DeformationModelFile file;
  file.extent = kBox;
  file.firstEpoch = 1900.0;
  file.lastEpoch = 2050.0;
  DeformationComponent velocity{.description = "velocity",
                                .extent = kBox,
                                .displacement = DisplacementType::kHorizontal,
                                .gridFile = "v",
                                .time = {.kind = TimeFunctionKind::kVelocity, .referenceEpoch = 2000.0}};
  DeformationComponent event{.description = "event",
                             .extent = {172.0, -43.0, 174.0, -41.0},
                             .displacement = DisplacementType::kHorizontal,
                             .gridFile = "e",
                             .time = {.kind = TimeFunctionKind::kReverseStep, .stepEpoch = 2016.87}};
  file.components = {velocity, event};
  std::vector<DeformationModel::ComponentGrids> grids(2);
  // 2 cm/yr north and 4 cm/yr east, growing to the east; an event that moved points 1.5 m north-east.
  grids[0].horizontal = planeGridFile("velmora-defmodel-v.gsb", kArea, {0.02, 0.0, 0.0}, {0.04, 0.0, 0.0005});
  grids[1].horizontal = planeGridFile("velmora-defmodel-e.gsb", kArea, {1.5, 0.0, 0.0}, {1.5, 0.0, 0.0});
  return DeformationModel(std::move(file), std::move(grids));
}

TEST(DeformationModel, AddsTheComponentsAndReturnsByTheInverse) {
  const DeformationModel model = velocityAndStepModel();
  // 10 years of velocity at 173 E: 0.2 m north and (0.04 + 0.0005 * 173) * 10 = 1.265 m east; before
  // the event the reverse step takes its 1.5 m away.
  const DeformedPosition p = model.forward(-42.0, 173.0, 2010.0);
  ASSERT_EQ(p.status, DeformationStatus::kDone);
  const double phi = -42.0 * M_PI / 180.0;
  const double a = 6378137.0;
  const double e2 = 0.006694380022900787;
  const double w2 = 1.0 - e2 * std::sin(phi) * std::sin(phi);
  const double meridian = a * (1.0 - e2) / (w2 * std::sqrt(w2));
  const double primeVertical = a / std::sqrt(w2);
  EXPECT_NEAR((p.latitude + 42.0) * M_PI / 180.0 * meridian, 0.2 - 1.5, 1e-7);  // the nodes hold float values
  EXPECT_NEAR((p.longitude - 173.0) * M_PI / 180.0 * primeVertical * std::cos(phi), 1.265 - 1.5, 1e-7);

  const DeformedPosition back = model.inverse(p.latitude, p.longitude, 2010.0);
  ASSERT_EQ(back.status, DeformationStatus::kDone);
  EXPECT_NEAR(back.latitude, -42.0, 1e-12);
  EXPECT_NEAR(back.longitude, 173.0, 1e-12);
}

TEST(DeformationModel, FailsOutsideItsExtentAndTime) {
  const DeformationModel model = velocityAndStepModel();
  EXPECT_EQ(model.forward(-42.0, 173.0, 2051.0).status, DeformationStatus::kOutsideTimeExtent);
  EXPECT_EQ(model.forward(-39.0, 173.0, 2010.0).status, DeformationStatus::kOutsideExtent);
  EXPECT_EQ(model.forward(-42.0, 173.0 - 360.0, 2010.0).status, DeformationStatus::kDone);  // wrapped
  EXPECT_EQ(model.forward(-42.0, 173.0, 2020.0).status, DeformationStatus::kDone);
}

}  // namespace
}  // namespace velmora
