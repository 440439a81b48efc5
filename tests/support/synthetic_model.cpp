#include "tests/support/synthetic_model.hpp"

#include <cmath>
#include <functional>
#include <vector>

#include "tests/support/grid_images.hpp"
#include "velmora/gridfile/grid_writer.hpp"

namespace velmora::test {
namespace {

// Offsets in metres at a node: east and north, and up for a 3d grid.
struct Offsets {
  double east = 0.0;
  double north = 0.0;
  double up = 0.0;
};
using OffsetField = std::function<Offsets(double latitude, double longitude)>;

struct Level {
  DegreeArea area;
  OffsetField field;
};

// A grid of one sub-grid, or a parent with one finer child, in the deformation layout: north in the
// latitude shift, east in the longitude shift (stored positive west), up in the vertical (3d) or in
// the latitude shift (a vertical grid).
bool writeGrid(const std::string& path, DeformationGridType type, const std::vector<Level>& levels) {
  GridImage image;
  image.deformation = type;
  image.content = type == DeformationGridType::kVertical ? GridContent::kVertical : GridContent::kHorizontal;
  for (std::size_t k = 0; k < levels.size(); ++k) {
    const OffsetField& field = levels[k].field;
    const NodeValues values = [&field, type](const DegreeNode& node) {
      const Offsets o = field(node.latitude, node.longitude);
      GridNode n;
      n.latShift = static_cast<float>(type == DeformationGridType::kVertical ? o.up : o.north);
      n.lonShift = static_cast<float>(-o.east);
      n.vertical = static_cast<float>(o.up);
      return n;
    };
    image.subGrids.push_back(
        degreeSubGrid(levels[k].area, values, k == 0 ? "PARENT" : "CHILD", k == 0 ? "NONE" : "PARENT"));
  }
  std::string bytes;
  return encodeGeoTiffGrid(image, bytes) == kGridOk && writeBytesToFile(path, bytes);
}

constexpr const char* kMasterFile = R"({
  "file_type": "deformation_model_master_file",
  "format_version": "1.0",
  "name": "Synthetic test model",
  "version": "1",
  "source_crs": "EPSG:4959",
  "target_crs": "EPSG:7907",
  "definition_crs": "EPSG:4959",
  "extent": {"type": "bbox", "parameters": {"bbox": [165.0, -48.0, 180.0, -33.0]}},
  "time_extent": {"first": "1900-01-01T00:00:00Z", "last": "2050-01-01T00:00:00Z"},
  "horizontal_offset_unit": "metre",
  "vertical_offset_unit": "metre",
  "horizontal_offset_method": "addition",
  "components": [
    {"description": "Secular velocity",
     "displacement_type": "horizontal", "uncertainty_type": "none",
     "extent": {"type": "bbox", "parameters": {"bbox": [165.0, -48.0, 180.0, -33.0]}},
     "spatial_model": {"type": "GeoTIFF", "interpolation_method": "bilinear", "filename": "velocity.tif"},
     "time_function": {"type": "velocity", "parameters": {"reference_epoch": "2000-01-01T00:00:00Z"}}},
    {"description": "An earthquake, as a step",
     "displacement_type": "horizontal", "uncertainty_type": "none",
     "extent": {"type": "bbox", "parameters": {"bbox": [171.0, -45.0, 175.0, -41.0]}},
     "spatial_model": {"type": "GeoTIFF", "interpolation_method": "bilinear", "filename": "step.tif"},
     "time_function": {"type": "step", "parameters": {"step_epoch": "2010-09-04T00:00:00Z"}}},
    {"description": "An earthquake, as a reverse step in three dimensions",
     "displacement_type": "3d", "uncertainty_type": "none",
     "extent": {"type": "bbox", "parameters": {"bbox": [172.0, -43.0, 176.0, -39.0]}},
     "spatial_model": {"type": "GeoTIFF", "interpolation_method": "bilinear", "filename": "reverse_step.tif"},
     "time_function": {"type": "reverse_step", "parameters": {"step_epoch": "2016-11-14T00:00:00Z"}}},
    {"description": "A slow slip, as a piecewise ramp",
     "displacement_type": "vertical", "uncertainty_type": "none",
     "extent": {"type": "bbox", "parameters": {"bbox": [174.0, -42.0, 178.0, -38.0]}},
     "spatial_model": {"type": "GeoTIFF", "interpolation_method": "bilinear", "filename": "ramp.tif"},
     "time_function": {"type": "piecewise", "parameters": {"before_first": "constant", "after_last": "zero",
        "model": [{"epoch": "2005-01-01T00:00:00Z", "scale_factor": 0.0},
                  {"epoch": "2009-07-15T00:00:00Z", "scale_factor": 1.0},
                  {"epoch": "2009-07-15T00:00:00Z", "scale_factor": 0.6},
                  {"epoch": "2012-01-01T00:00:00Z", "scale_factor": 0.0}]}}},
    {"description": "Post-seismic relaxation",
     "displacement_type": "horizontal", "uncertainty_type": "none",
     "extent": {"type": "bbox", "parameters": {"bbox": [170.0, -44.0, 176.0, -38.0]}},
     "spatial_model": {"type": "GeoTIFF", "interpolation_method": "bilinear", "filename": "decay.tif"},
     "time_function": {"type": "exponential", "parameters": {"reference_epoch": "2016-11-14T00:00:00Z",
        "end_epoch": "2030-01-01T00:00:00Z", "relaxation_constant": 2.5, "before_scale_factor": 0.0,
        "initial_scale_factor": 0.0, "final_scale_factor": 1.0}}}
  ]
}
)";

}  // namespace

bool writeSyntheticModel(const std::string& folder) {
  using std::cos;
  using std::sin;
  const auto area = [](double south, double north, double west, double east, double spacing) {
    return DegreeArea{.south = south, .north = north, .west = west, .east = east, .spacing = spacing};
  };
  const bool grids =
      writeGrid(folder + "velocity.tif", DeformationGridType::kHorizontal,
                {{area(kSyntheticSouth, kSyntheticNorth, kSyntheticWest, kSyntheticEast, 1.0),
                  [](double lat, double lon) {
                    return Offsets{0.035 + 0.006 * cos(lon * 0.5) + 0.002 * sin(lat * lon * 0.01),
                                   0.02 + 0.004 * sin(lat * 0.7)};
                  }}}) &&
      writeGrid(folder + "step.tif", DeformationGridType::kHorizontal,
                {{area(-45.0, -41.0, 171.0, 175.0, 0.5),
                  [](double lat, double lon) {
                    return Offsets{-0.2 * cos((lat + 43.0) * 1.1), 0.3 * sin((lon - 171.0) * 0.8) + 0.1};
                  }},
                 {area(-44.0, -42.0, 172.0, 174.0, 0.125),
                  [](double lat, double lon) {
                    return Offsets{0.4 - 0.3 * cos(lon * 2.0), 0.5 + 0.2 * sin(lon * 3.0) * cos(lat * 2.0)};
                  }}}) &&
      writeGrid(folder + "reverse_step.tif", DeformationGridType::k3d,
                {{area(-43.0, -39.0, 172.0, 176.0, 0.5),
                  [](double lat, double lon) {
                    return Offsets{1.1 * sin(lat * 1.3), -0.7 * cos(lon * 0.9), 0.3 * sin(lat + lon)};
                  }},
                 {area(-42.0, -40.0, 173.0, 175.0, 0.25),
                  [](double lat, double lon) {
                    return Offsets{2.0 + sin(lat * 4.0), 1.5 * cos(lon * 3.0), -0.8 + 0.2 * cos(lat * lon)};
                  }}}) &&
      writeGrid(folder + "ramp.tif", DeformationGridType::kVertical,
                {{area(-42.0, -38.0, 174.0, 178.0, 0.25),
                  [](double lat, double lon) {
                    return Offsets{0.0, 0.0, 0.8 * sin(lat) * cos(lon)};
                  }}}) &&
      writeGrid(folder + "decay.tif", DeformationGridType::kHorizontal,
                {{area(-44.0, -38.0, 170.0, 176.0, 0.5), [](double lat, double lon) {
                    return Offsets{0.25 * sin(lon * 1.7), 0.15 * cos(lat * 2.0)};
                  }}});
  return grids && writeBytesToFile(folder + kSyntheticModelName, kMasterFile);
}

}  // namespace velmora::test
