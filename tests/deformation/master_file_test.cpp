#include <gtest/gtest.h>

#include <string>

#include "velmora/deformation/deformation_model.hpp"

namespace velmora {
namespace {

// The shape of LINZ's NZGD2000 master file, cut to two components.
constexpr const char* kModel = R"({
  "file_type": "deformation_model_master_file",
  "format_version": "1.0",
  "name": "Test model",
  "version": "20180701",
  "source_crs": "EPSG:4959",
  "target_crs": "EPSG:7907",
  "definition_crs": "EPSG:4959",
  "extent": {"type": "bbox", "parameters": {"bbox": [158.0, -58.0, 194.0, -25.0]}},
  "time_extent": {"first": "1900-01-01T00:00:00Z", "last": "2050-01-01T00:00:00Z"},
  "horizontal_offset_unit": "metre",
  "vertical_offset_unit": "metre",
  "horizontal_offset_method": "addition",
  "authority": {"name": "Somebody"},
  "components": [
    {"description": "Secular velocity",
     "displacement_type": "horizontal",
     "uncertainty_type": "none",
     "extent": {"type": "bbox", "parameters": {"bbox": [158.0, -58.0, 194.0, -25.0]}},
     "spatial_model": {"type": "GeoTIFF", "interpolation_method": "bilinear", "filename": "velocity.tif"},
     "time_function": {"type": "velocity", "parameters": {"reference_epoch": "2000-01-01T00:00:00Z"}}},
    {"description": "Post-seismic ramp",
     "displacement_type": "vertical",
     "extent": {"type": "bbox", "parameters": {"bbox": [172.0, -43.0, 175.0, -41.0]}},
     "spatial_model": {"type": "GeoTIFF", "interpolation_method": "bilinear", "filename": "sub/ramp.tif"},
     "time_function": {"type": "piecewise", "parameters": {"before_first": "zero", "after_last": "constant",
        "model": [{"epoch": "2016-11-14T00:00:00Z", "scale_factor": 0.0},
                  {"epoch": "2017-02-14T00:00:00Z", "scale_factor": 1.0}]}}}
  ]
})";

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

TEST(DeformationModelFile, ReadsTheMasterFile) {
  if (!deformationModelsSupported()) GTEST_SKIP() << "built without a JSON parser";
  std::string problem;
  const std::optional<DeformationModelFile> file = readDeformationModelFile(kModel, problem);
  ASSERT_TRUE(file) << problem;
  EXPECT_EQ(file->sourceCrs, "EPSG:4959");
  EXPECT_EQ(file->targetCrs, "EPSG:7907");
  EXPECT_EQ(file->extent.east, 194.0);
  EXPECT_EQ(file->firstEpoch, 1900.0);
  EXPECT_EQ(file->lastEpoch, 2050.0);
  ASSERT_EQ(file->components.size(), 2U);
  EXPECT_EQ(file->components[0].time.kind, TimeFunctionKind::kVelocity);
  EXPECT_EQ(file->components[0].time.referenceEpoch, 2000.0);
  EXPECT_EQ(file->components[1].displacement, DisplacementType::kVertical);
  EXPECT_EQ(file->components[1].gridFile, "sub/ramp.tif");
  ASSERT_EQ(file->components[1].time.model.size(), 2U);
  EXPECT_NEAR(file->components[1].time.model[0].epoch, 2016.0 + (318.0 / 366.0), 1e-12);
  EXPECT_EQ(file->components[1].time.afterLast, PiecewiseEnd::kConstant);
}

TEST(DeformationModelFile, SaysWhatIsWrong) {
  if (!deformationModelsSupported()) GTEST_SKIP() << "built without a JSON parser";
  struct Case {
    std::string from;
    std::string to;
    std::string problem;
  };
  const Case cases[] = {
      {"{", "[", "not a JSON object"},
      {"\"format_version\": \"1.0\"", "\"format_version\": \"2.0\"",
       "format version '2.0' is not known (1.0 is)"},
      {"\"target_crs\": \"EPSG:7907\",", "", "has no \"target_crs\""},
      {"\"first\": \"1900-01-01T00:00:00Z\"", "\"first\": \"1900\"",
       "time_extent \"first\" is no date: '1900'"},
      {"\"type\": \"velocity\"", "\"type\": \"sinusoid\"",
       "component 1 time function of type 'sinusoid' is not known"},
      {"\"interpolation_method\": \"bilinear\", \"filename\": \"velocity.tif\"",
       "\"interpolation_method\": \"geocentric_bilinear\", \"filename\": \"velocity.tif\"",
       "component 1 interpolation 'geocentric_bilinear': only bilinear is supported"},
      {"\"horizontal_offset_method\": \"addition\"", "\"horizontal_offset_method\": \"geocentric\"",
       "horizontal offset method 'geocentric': only addition is supported"},
      {"{\"epoch\": \"2017-02-14T00:00:00Z\", \"scale_factor\": 1.0}",
       "{\"epoch\": \"2015-02-14T00:00:00Z\", \"scale_factor\": 1.0}",
       "component 2 piecewise time_function \"model\" is not in the order of its epochs"},
      {"[172.0, -43.0, 175.0, -41.0]", "[172.0, -43.0, 175.0]",
       "component 2 extent bbox is not four numbers"},
  };
  for (const Case& c : cases) {
    std::string problem;
    EXPECT_FALSE(readDeformationModelFile(replaced(kModel, c.from, c.to), problem)) << c.problem;
    EXPECT_EQ(problem, c.problem);
  }
}

}  // namespace
}  // namespace velmora
