// The GeoTIFF writer, in PROJ's profile for geodetic grids (see geotiff_reader.cpp): Float32
// samples in separate planes, Deflate with the floating-point predictor, strips of about
// kStripBytes, PixelIsPoint with the tie point on the north-western node.
#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/ascii_text.hpp"
#include "gridfile/gdal_metadata.hpp"
#include "gridfile/geo_keys.hpp"
#include "gridfile/regular_grid.hpp"
#include "gridfile/tiff_handle.hpp"
#include "velmora/gridfile/grid_writer.hpp"

namespace velmora {

namespace {

constexpr std::uint16_t kGeodeticCrsWgs84 = 4326;  // the grid does not say its datum; PROJ ignores the key
constexpr float kNoDataValue = -32768.0F;          // exact in float32, far outside any shift or height
constexpr std::size_t kStripBytes = 65536;
constexpr std::uint16_t kFloatBits = 32;

struct Plane {
  std::string description;
  std::string unit;
  std::vector<float> values;  // TIFF order: rows from the north, each row from the west
};

// Depth of each sub-grid in the tree its parent names make (0 at the top); names compare ignoring
// letter case, as the NTv2 tree does.
std::vector<int> depths(const GridImage& image) {
  const auto upper = [](std::string text) {
    for (char& c : text) c = asciiUpper(c);
    return text;
  };
  std::unordered_map<std::string, const SubGridImage*> byName;  // the first sub-grid of each name
  for (const SubGridImage& sub : image.subGrids) byName.emplace(upper(sub.name), &sub);
  std::vector<int> depth(image.subGrids.size(), 0);
  for (std::size_t i = 0; i < image.subGrids.size(); ++i) {
    std::string parent = upper(image.subGrids[i].parent);
    for (std::size_t step = 0; step < image.subGrids.size() && parent != "NONE"; ++step) {
      const auto found = byName.find(parent);
      if (found == byName.end()) break;
      ++depth[i];
      parent = upper(found->second->parent);
    }
  }
  return depth;
}

GridError writeDirectory(TIFF* tiff, const GridImage& image, const SubGridImage& sub) {
  RegularGridGeometry g;
  double toSeconds = 1.0;
  if (const GridError error = imageGeometry(image, sub, g, toSeconds); error != kGridOk) return error;
  const auto width = static_cast<std::size_t>(g.columns);
  const auto height = static_cast<std::size_t>(g.rows);

  std::vector<Plane> planes;
  const auto fill = [&](std::string description, std::string unit, auto valueOf) {
    Plane& plane = planes.emplace_back();
    plane.description = std::move(description);
    plane.unit = std::move(unit);
    plane.values.resize(width * height);
    for (std::size_t j = 0; j < height; ++j) {
      for (std::size_t i = 0; i < width; ++i) {
        plane.values[j * width + i] = valueOf(sub.nodes[(height - 1 - j) * width + (width - 1 - i)]);
      }
    }
  };
  const auto scaled = [&](float value, double sign) { return static_cast<float>(value * toSeconds * sign); };
  std::string type;
  const DeformationGridType deformation = image.deformation;
  if (deformation != DeformationGridType::kNone) {
    type = "DEFORMATION_MODEL";
    if (deformation != DeformationGridType::kVertical) {
      fill("east_offset", image.offsetUnit, [](const GridNode& n) { return -n.lonShift; });
      fill("north_offset", image.offsetUnit, [](const GridNode& n) { return n.latShift; });
    }
    if (deformation == DeformationGridType::kVertical)
      fill("vertical_offset", "metre", [](const GridNode& n) { return n.latShift; });
    if (deformation == DeformationGridType::k3d)
      fill("vertical_offset", "metre", [](const GridNode& n) { return n.vertical; });
  } else if (image.content == GridContent::kHorizontal) {
    type = "HORIZONTAL_OFFSET";
    fill("latitude_offset", "arc-second", [&](const GridNode& n) { return scaled(n.latShift, 1.0); });
    // The image holds longitudes positive west; the TIFF east.
    fill("longitude_offset", "arc-second", [&](const GridNode& n) { return scaled(n.lonShift, -1.0); });
    const bool accuracies = std::any_of(sub.nodes.begin(), sub.nodes.end(), [](const GridNode& n) {
      return n.latAccuracy != 0.0F || n.lonAccuracy != 0.0F;
    });
    if (accuracies) {
      fill("latitude_offset_accuracy", "arc-second",
           [&](const GridNode& n) { return scaled(n.latAccuracy, 1.0); });
      fill("longitude_offset_accuracy", "arc-second",
           [&](const GridNode& n) { return scaled(n.lonAccuracy, 1.0); });
    }
  } else {
    const bool geoid = image.content == GridContent::kGeoid;
    type = geoid ? "VERTICAL_OFFSET_GEOGRAPHIC_TO_VERTICAL" : "VERTICAL_OFFSET_VERTICAL_TO_VERTICAL";
    fill(geoid ? "geoid_undulation" : "vertical_offset", "metre", [&](const GridNode& n) {
      return n.latShift <= kNtv2NoDataAtOrBelow ? std::numeric_limits<float>::quiet_NaN()
                                                : scaled(n.latShift, 1.0);
    });
  }
  bool noData = false;
  for (Plane& plane : planes) {
    for (float& value : plane.values) {
      if (std::isfinite(value)) continue;
      value = kNoDataValue;
      noData = true;
    }
  }

  std::vector<GdalMetadataItem> items = {{"TYPE", -1, "", type}, {"grid_name", -1, "", sub.name}};
  if (sub.parent != "NONE" && !sub.parent.empty()) items.push_back({"parent_grid_name", -1, "", sub.parent});
  if (deformation != DeformationGridType::kNone) {
    constexpr std::string_view kDisplacementNames[] = {"NONE", "HORIZONTAL", "VERTICAL", "3D"};
    items.push_back(
        {"DISPLACEMENT_TYPE", -1, "", std::string(kDisplacementNames[static_cast<int>(deformation)])});
    items.push_back({"UNCERTAINTY_TYPE", -1, "", "NONE"});
  } else if (image.content == GridContent::kHorizontal) {
    items.push_back({"positive_value", -1, "", "east"});
  }
  for (std::size_t s = 0; s < planes.size(); ++s) {
    items.push_back({"DESCRIPTION", static_cast<int>(s), "description", planes[s].description});
    items.push_back({"UNITTYPE", static_cast<int>(s), "unittype", planes[s].unit});
  }
  const std::string metadata = encodeGdalMetadata(items);

  const auto samples = static_cast<std::uint16_t>(planes.size());
  const auto rowsPerStrip =
      static_cast<std::uint32_t>(std::clamp<std::size_t>(kStripBytes / (width * sizeof(float)), 1, height));
  bool ok = TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(width)) == 1 &&
            TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(height)) == 1 &&
            TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, samples) == 1 &&
            TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, kFloatBits) == 1 &&
            TIFFSetField(tiff, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_IEEEFP) == 1 &&
            TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_SEPARATE) == 1 &&
            TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK) == 1 &&
            TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE) == 1 &&
            TIFFSetField(tiff, TIFFTAG_PREDICTOR, PREDICTOR_FLOATINGPOINT) == 1 &&
            TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, rowsPerStrip) == 1;
  if (samples > 1) {
    const std::vector<std::uint16_t> extra(samples - 1U, EXTRASAMPLE_UNSPECIFIED);
    ok = ok && TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, static_cast<std::uint16_t>(extra.size()),
                            extra.data()) == 1;
  }
  // Tie point on the north-western node; pixel scale positive in both directions (rows go south).
  const std::vector<double> tiepoint = {0.0, 0.0, 0.0, g.west, g.north(), 0.0};
  const std::vector<double> scale = {g.lonStep, g.latStep, 0.0};
  const std::vector<std::uint16_t> keys =
      encodeGeoKeys(kModelTypeGeographic, kRasterPixelIsPoint, kGeodeticCrsWgs84);
  ok = ok &&
       TIFFSetField(tiff, kTagModelTiepoint, static_cast<std::uint16_t>(tiepoint.size()), tiepoint.data()) ==
           1 &&
       TIFFSetField(tiff, kTagModelPixelScale, static_cast<std::uint16_t>(scale.size()), scale.data()) == 1 &&
       TIFFSetField(tiff, kTagGeoKeyDirectory, static_cast<std::uint16_t>(keys.size()), keys.data()) == 1 &&
       TIFFSetField(tiff, kTagGdalMetadata, metadata.c_str()) == 1;
  const std::string noDataText = "-32768";
  if (noData) ok = ok && TIFFSetField(tiff, kTagGdalNoData, noDataText.c_str()) == 1;
  if (!ok) return kGridWriteFailed;

  for (std::size_t s = 0; s < planes.size(); ++s) {
    for (std::size_t row = 0; row < height; row += rowsPerStrip) {
      const std::size_t rows = std::min<std::size_t>(rowsPerStrip, height - row);
      const std::uint32_t strip =
          TIFFComputeStrip(tiff, static_cast<std::uint32_t>(row), static_cast<std::uint16_t>(s));
      if (TIFFWriteEncodedStrip(tiff, strip, planes[s].values.data() + row * width,
                                static_cast<tmsize_t>(rows * width * sizeof(float))) < 0) {
        return kGridWriteFailed;
      }
    }
  }
  return TIFFWriteDirectory(tiff) == 1 ? kGridOk : kGridWriteFailed;
}

}  // namespace

GridError encodeGeoTiffGrid(const GridImage& image, std::string& bytes) {
  if (image.subGrids.empty()) return kGridContentMismatch;
  // Parents before children (coarser first), the file order kept within a level of the tree.
  const std::vector<int> depth = depths(image);
  std::vector<std::size_t> order(image.subGrids.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return depth[a] < depth[b]; });

  TiffHandle handle = TiffHandle::forWriting();
  if (handle.get() == nullptr) return kGridWriteFailed;
  for (const std::size_t i : order) {
    // Writing a directory resets the handle's fields to libtiff's own: the GeoTIFF tags are
    // registered again for each one.
    if (!registerGeoTiffTags(handle.get())) return kGridWriteFailed;
    if (const GridError error = writeDirectory(handle.get(), image, image.subGrids[i]); error != kGridOk)
      return error;
  }
  if (!handle.close()) return kGridWriteFailed;
  bytes = handle.bytes();
  return kGridOk;
}

}  // namespace velmora
