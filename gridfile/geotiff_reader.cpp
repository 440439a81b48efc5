// GeoTIFF grids in PROJ's profile for geodetic grids: one image per grid, each image directory a
// sub-grid. The GDAL_METADATA XML says what the samples are (TYPE, one DESCRIPTION and UNITTYPE per
// sample, SCALE and OFFSET for integer samples, grid_name and parent_grid_name for the tree);
// GDAL_NODATA the raw value of nodes without data. Georeferencing: ModelTiepoint (I, J, K, X, Y, Z)
// and ModelPixelScale (sx, sy, sz), or a ModelTransformation without rotation terms; the node of
// column i and row j lies at lon = X + (i - I) sx, lat = Y - (j - J) sy, so row 0 is the NORTHERN
// row unless sy is negative (a bottom-up grid). PixelIsArea puts the tie point on the corner of
// the first cell, half a pixel west and north of its node.
//
// Everything goes into the NTv2 layout the search reads: rows from the south, columns from the
// EAST, longitude shifts in arc-seconds positive WEST. Offsets are arc-seconds in the file unless
// UNITTYPE says degree or radian; the longitude offset is positive east unless positive_value
// says west. A deformation model's displacement grid (TYPE=DEFORMATION_MODEL, east_offset,
// north_offset and vertical_offset in metres, or degrees for the horizontal pair) is read only when
// asked for, its values as stored, east_offset turned positive west like every longitude shift.
// libtiff undoes compression and predictors and gives samples in the machine's order.

#include "gridfile/geotiff_reader.hpp"

#include <tiffio.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/ascii_text.hpp"
#include "common/number_text.hpp"
#include "gridfile/gdal_metadata.hpp"
#include "gridfile/geo_keys.hpp"
#include "gridfile/grid_builder.hpp"
#include "gridfile/regular_grid.hpp"
#include "gridfile/tiff_handle.hpp"

namespace velmora {

const bool kGeoTiffSupported = true;

namespace {

constexpr int kMaxDirectories = 4096;  // far more sub-grids than any published grid has
constexpr double kSecondsPerDegree = 3600.0;
constexpr double kSecondsPerRadian = 180.0 / std::numbers::pi * 3600.0;
constexpr std::size_t kTiepointValues = 6;
constexpr std::size_t kPixelScaleValues = 2;  // sx, sy; sz unused
constexpr std::size_t kTransformationValues = 16;
constexpr double kNestingTolerance = 1e-9;  // degrees: extents that agree this closely nest

// What a sample is for and where it is.
struct SampleRoles {
  GridContent content = GridContent::kHorizontal;
  int latitude = 0;  // horizontal: latitude_offset; vertical: the value
  int longitude = 1;
  int latitudeAccuracy = -1;
  int longitudeAccuracy = -1;
  double latitudeToSeconds = 1.0;  // UNITTYPE factors to arc-seconds (metres: 1)
  double longitudeToSeconds = 1.0;
  double latitudeAccuracyToSeconds = 1.0;
  double longitudeAccuracyToSeconds = 1.0;
  bool westPositive = false;
};

// A directory read: its place, geometry and node values in the NTv2 layout.
struct DirectoryGrid {
  RegularGridGeometry geometry;
  std::string name;
  std::string parentName;
  GridContent content = GridContent::kHorizontal;
  std::vector<float> shifts;
  std::vector<float> accuracies;
};

const GdalMetadataItem* findItem(const std::vector<GdalMetadataItem>& items, std::string_view name,
                                 int sample) {
  for (const GdalMetadataItem& item : items) {
    if (item.name == name && item.sample == sample) return &item;
  }
  return nullptr;
}

std::string itemValue(const std::vector<GdalMetadataItem>& items, std::string_view name, int sample = -1) {
  const GdalMetadataItem* item = findItem(items, name, sample);
  return item != nullptr ? item->value : std::string();
}

int sampleNamed(const std::vector<GdalMetadataItem>& items, std::string_view description, int fallback) {
  for (const GdalMetadataItem& item : items) {
    if (item.name == "DESCRIPTION" && item.sample >= 0 && item.value == description) return item.sample;
  }
  return fallback;
}

std::optional<double> parseNumber(std::string_view text) {
  text = trimSpace(text);
  if (equalsIgnoreCase(text, "nan")) return std::numeric_limits<double>::quiet_NaN();
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0.0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

// Factor from an angle UNITTYPE to arc-seconds; nullopt for a unit not read.
std::optional<double> angleUnitToSeconds(std::string_view unit) {
  if (unit.empty() || unit == "arc-second") return 1.0;
  if (unit == "degree") return kSecondsPerDegree;
  if (unit == "radian") return kSecondsPerRadian;
  return std::nullopt;
}

// The samples of a DEFORMATION_MODEL grid the choice asks for: the horizontal pair (east_offset
// first and north_offset second by default) or vertical_offset (the third sample by default, the
// only one of a one-sample grid).
GridError deformationRoles(const std::vector<GdalMetadataItem>& items, int samples, GridSamples choice,
                           SampleRoles& roles) {
  const std::string displacement = itemValue(items, "DISPLACEMENT_TYPE");
  const bool horizontal = displacement == "HORIZONTAL" || displacement == "3D";
  const bool vertical = displacement == "VERTICAL" || displacement == "3D";
  if (choice == GridSamples::kDeformationVertical) {
    if (!vertical) return kGridMissingSamples;
    roles.content = GridContent::kVertical;
    roles.latitude = sampleNamed(items, "vertical_offset", samples == 1 ? 0 : 2);
    roles.longitude = -1;
    const std::string unit = itemValue(items, "UNITTYPE", roles.latitude);
    return unit.empty() || unit == "metre" ? kGridOk : kGridMissingSamples;
  }
  if (!horizontal) return kGridMissingSamples;
  roles.content = GridContent::kHorizontal;
  roles.longitude = sampleNamed(items, "east_offset", 0);
  roles.latitude = sampleNamed(items, "north_offset", 1);
  const std::string eastUnit = itemValue(items, "UNITTYPE", roles.longitude);
  const std::string northUnit = itemValue(items, "UNITTYPE", roles.latitude);
  // The unit the model says its offsets are in: a grid in another would be added as if it were.
  const bool degrees = choice == GridSamples::kDeformationHorizontalDegrees;
  const bool rightUnit = degrees ? eastUnit == "degree" : (eastUnit.empty() || eastUnit == "metre");
  if (!rightUnit || eastUnit != northUnit || roles.latitude == roles.longitude) return kGridMissingSamples;
  return kGridOk;  // as stored: the model says its unit; east positive
}

GridError sampleRoles(const std::vector<GdalMetadataItem>& items, int samples, GridSamples choice,
                      SampleRoles& roles) {
  const std::string type = itemValue(items, "TYPE");
  if (type == "DEFORMATION_MODEL") {
    if (choice == GridSamples::kDefault) return kGridUnsupportedType;
    if (const GridError error = deformationRoles(items, samples, choice, roles); error != kGridOk)
      return error;
  } else if (type == "HORIZONTAL_OFFSET") {
    roles.content = GridContent::kHorizontal;
    roles.latitude = sampleNamed(items, "latitude_offset", 0);
    roles.longitude = sampleNamed(items, "longitude_offset", 1);
    roles.latitudeAccuracy = sampleNamed(items, "latitude_offset_accuracy", -1);
    roles.longitudeAccuracy = sampleNamed(items, "longitude_offset_accuracy", -1);
    const auto unitOf = [&](int sample) { return angleUnitToSeconds(itemValue(items, "UNITTYPE", sample)); };
    const std::optional<double> lat = unitOf(roles.latitude);
    const std::optional<double> lon = unitOf(roles.longitude);
    if (!lat || !lon || roles.latitude == roles.longitude) return kGridMissingSamples;
    roles.latitudeToSeconds = *lat;
    roles.longitudeToSeconds = *lon;
    // Accuracies are kept as a pair in an angle unit, or not at all (metres, say, have no place in
    // the NTv2 layout); the shifts do not depend on them.
    const std::optional<double> latAccuracyUnit = unitOf(roles.latitudeAccuracy);
    const std::optional<double> lonAccuracyUnit = unitOf(roles.longitudeAccuracy);
    if (roles.latitudeAccuracy < 0 || roles.longitudeAccuracy < 0 || !latAccuracyUnit || !lonAccuracyUnit) {
      roles.latitudeAccuracy = roles.longitudeAccuracy = -1;
    } else {
      roles.latitudeAccuracyToSeconds = *latAccuracyUnit;
      roles.longitudeAccuracyToSeconds = *lonAccuracyUnit;
    }
    std::string positive = itemValue(items, "positive_value", roles.longitude);
    if (positive.empty()) positive = itemValue(items, "positive_value");
    if (positive == "west") {
      roles.westPositive = true;
    } else if (!positive.empty() && positive != "east") {
      return kGridInvalidMetadata;
    }
  } else if (type == "VERTICAL_OFFSET_GEOGRAPHIC_TO_VERTICAL" ||
             type == "VERTICAL_OFFSET_VERTICAL_TO_VERTICAL") {
    const bool geoid = type == "VERTICAL_OFFSET_GEOGRAPHIC_TO_VERTICAL";
    roles.content = geoid ? GridContent::kGeoid : GridContent::kVertical;
    roles.latitude = sampleNamed(items, geoid ? "geoid_undulation" : "vertical_offset", 0);
    roles.longitude = -1;
    const std::string unit = itemValue(items, "UNITTYPE", roles.latitude);
    if (!unit.empty() && unit != "metre") return kGridMissingSamples;
  } else {
    return kGridUnsupportedType;
  }
  const int highest =
      std::max({roles.latitude, roles.longitude, roles.latitudeAccuracy, roles.longitudeAccuracy});
  if (highest >= samples) return kGridMissingSamples;
  return kGridOk;
}

// Turns the raw bytes of one sample into a double, by the directory's sample type.
struct SampleDecoder {
  std::uint16_t format = SAMPLEFORMAT_IEEEFP;
  std::uint16_t bits = 32;

  bool supported() const {
    if (format == SAMPLEFORMAT_IEEEFP) return bits == 32 || bits == 64;
    if (format == SAMPLEFORMAT_INT || format == SAMPLEFORMAT_UINT) return bits == 16 || bits == 32;
    return false;
  }
  std::size_t bytes() const { return bits / 8U; }

  // A value as a sample of this type holds it: GDAL writes the no-data value as decimal text,
  // which for Float32 samples is the float nearest it ("-88.8888" is -88.88880157...).
  double asStored(double value) const {
    if (format == SAMPLEFORMAT_IEEEFP && bits == 32) return static_cast<double>(static_cast<float>(value));
    return value;
  }

  double operator()(const unsigned char* at) const {
    if (format == SAMPLEFORMAT_IEEEFP) {
      if (bits == 32) return load<float>(at);
      return load<double>(at);
    }
    if (format == SAMPLEFORMAT_INT) return bits == 16 ? load<std::int16_t>(at) : load<std::int32_t>(at);
    return bits == 16 ? load<std::uint16_t>(at) : load<std::uint32_t>(at);
  }

  template <typename T>
  static double load(const unsigned char* at) {
    T value{};
    std::memcpy(&value, at, sizeof value);
    return static_cast<double>(value);
  }
};

// What to do with the raw value of one sample: scale and offset, nodata, and where it goes.
struct SampleTarget {
  int sample = 0;
  double scale = 1.0;
  double offset = 0.0;
  double toSeconds = 1.0;
  double sign = 1.0;
  std::vector<float>* values = nullptr;
  std::size_t component = 1;  // 0 longitude, 1 latitude of the node pairs
};

class DirectoryReader {
 public:
  DirectoryReader(TIFF* tiff, std::uint64_t fileSize, std::uint64_t& nodesSoFar, GridSamples choice)
      : tiff_(tiff), fileSize_(fileSize), nodesSoFar_(nodesSoFar), choice_(choice) {}

  GridError read(const std::vector<GdalMetadataItem>* inherited, DirectoryGrid& out) {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    if (TIFFGetField(tiff_, TIFFTAG_IMAGEWIDTH, &width) != 1 ||
        TIFFGetField(tiff_, TIFFTAG_IMAGELENGTH, &height) != 1)
      return kGridInvalidTiff;
    std::uint16_t samples = 1;
    std::uint16_t planar = PLANARCONFIG_CONTIG;
    TIFFGetFieldDefaulted(tiff_, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tiff_, TIFFTAG_BITSPERSAMPLE, &decoder_.bits);
    TIFFGetFieldDefaulted(tiff_, TIFFTAG_SAMPLEFORMAT, &decoder_.format);
    TIFFGetFieldDefaulted(tiff_, TIFFTAG_PLANARCONFIG, &planar);
    if (!decoder_.supported() || samples == 0) return kGridUnsupportedSamples;
    if (planar != PLANARCONFIG_CONTIG && planar != PLANARCONFIG_SEPARATE) return kGridUnsupportedSamples;
    separate_ = planar == PLANARCONFIG_SEPARATE && samples > 1;
    samples_ = samples;
    width_ = width;
    height_ = height;

    // Counts against the cap and against what the file can decode to, before any array is made.
    const std::uint64_t nodes = static_cast<std::uint64_t>(width) * height;
    if (nodes > kMaxGridNodes - nodesSoFar_) return kGridTooLarge;
    if (nodes * samples * decoder_.bytes() > fileSize_ * kMaxTiffExpansion) return kGridTooLarge;
    nodesSoFar_ += nodes;

    if (const std::optional<std::string> xml = tiffText(tiff_, kTagGdalMetadata)) {
      std::optional<std::vector<GdalMetadataItem>> parsed = parseGdalMetadata(*xml);
      if (!parsed) return kGridInvalidMetadata;
      metadata_ = std::move(*parsed);
    } else if (inherited != nullptr) {
      metadata_ = *inherited;  // a later directory without metadata is read as the first one says
    }
    const std::vector<GdalMetadataItem>& items = metadata_;
    SampleRoles roles;
    if (const GridError error = sampleRoles(items, samples, choice_, roles); error != kGridOk) return error;
    out.content = roles.content;
    out.name = itemValue(items, "grid_name");
    out.parentName = itemValue(items, "parent_grid_name");

    if (const GridError error = readGeometry(out.geometry); error != kGridOk) return error;

    if (const std::optional<std::string> text = tiffText(tiff_, kTagGdalNoData)) {
      const std::optional<double> value = parseNumber(*text);
      if (!value) return kGridInvalidMetadata;
      noData_ = decoder_.asStored(*value);
    }

    // A strip or tile of no bytes decodes as zeros: a file of a few kilobytes could declare a grid
    // of the largest size and be taken for one, nodes of zero shift everywhere. None is allowed.
    const std::uint32_t blocks = TIFFIsTiled(tiff_) != 0 ? TIFFNumberOfTiles(tiff_) : TIFFNumberOfStrips(tiff_);
    for (std::uint32_t block = 0; block < blocks; ++block) {
      if (TIFFGetStrileByteCount(tiff_, block) == 0) return kGridInvalidTiff;
    }

    out.shifts.assign(static_cast<std::size_t>(nodes) * 2, 0.0F);
    std::vector<SampleTarget> targets;
    if (roles.content == GridContent::kHorizontal) {
      // Stored positive west, as NTv2 holds longitudes.
      const double westSign = roles.westPositive ? 1.0 : -1.0;
      targets.push_back(target(roles.latitude, roles.latitudeToSeconds, 1.0, out.shifts, 1));
      targets.push_back(target(roles.longitude, roles.longitudeToSeconds, westSign, out.shifts, 0));
      if (roles.latitudeAccuracy >= 0) {
        out.accuracies.assign(static_cast<std::size_t>(nodes) * 2, 0.0F);
        targets.push_back(
            target(roles.latitudeAccuracy, roles.latitudeAccuracyToSeconds, 1.0, out.accuracies, 1));
        targets.push_back(
            target(roles.longitudeAccuracy, roles.longitudeAccuracyToSeconds, 1.0, out.accuracies, 0));
      }
    } else {
      targets.push_back(target(roles.latitude, 1.0, 1.0, out.shifts, 1));
    }
    for (const SampleTarget& t : targets) {
      if (!std::isfinite(t.scale) || !std::isfinite(t.offset)) return kGridInvalidMetadata;
    }
    return readSamples(targets);
  }

  // The GDAL_METADATA items the directory was read with: its own, or those it inherited.
  const std::vector<GdalMetadataItem>& metadata() const { return metadata_; }

 private:
  SampleTarget target(int sample, double toSeconds, double sign, std::vector<float>& values,
                      std::size_t component) {
    SampleTarget t;
    t.sample = sample;
    t.toSeconds = toSeconds;
    t.sign = sign;
    t.values = &values;
    t.component = component;
    if (const std::string scale = itemValue(metadata_, "SCALE", sample); !scale.empty()) {
      t.scale = parseNumber(scale).value_or(std::numeric_limits<double>::quiet_NaN());
    }
    if (const std::string offset = itemValue(metadata_, "OFFSET", sample); !offset.empty()) {
      t.offset = parseNumber(offset).value_or(std::numeric_limits<double>::quiet_NaN());
    }
    return t;
  }

  GridError readGeometry(RegularGridGeometry& g) {
    double tieI = 0.0;
    double tieJ = 0.0;
    double tieX = 0.0;
    double tieY = 0.0;
    double sx = 0.0;
    double sy = 0.0;
    const std::optional<std::vector<double>> transformation = tiffNumbers(tiff_, kTagModelTransformation);
    if (transformation && transformation->size() >= kTransformationValues) {
      // [a b 0 d; e f 0 h; ...]: lon = a i + b j + d, lat = e i + f j + h; b and e would rotate.
      const std::vector<double>& m = *transformation;
      if (m[1] != 0.0 || m[4] != 0.0) return kGridInvalidGeoreference;
      sx = m[0];
      sy = -m[5];
      tieX = m[3];
      tieY = m[7];
    } else {
      const std::optional<std::vector<double>> tiepoint = tiffNumbers(tiff_, kTagModelTiepoint);
      const std::optional<std::vector<double>> scale = tiffNumbers(tiff_, kTagModelPixelScale);
      if (!tiepoint || tiepoint->size() < kTiepointValues || !scale || scale->size() < kPixelScaleValues)
        return kGridInvalidGeoreference;
      tieI = (*tiepoint)[0];
      tieJ = (*tiepoint)[1];
      tieX = (*tiepoint)[3];
      tieY = (*tiepoint)[4];
      sx = (*scale)[0];
      sy = (*scale)[1];
    }

    bool pixelIsArea = false;  // a directory without the key is read as PROJ reads it: node at the tie point
    if (const std::optional<std::vector<double>> directory = tiffNumbers(tiff_, kTagGeoKeyDirectory)) {
      const std::optional<GeoKeys> keys = parseGeoKeys(*directory);
      if (!keys) return kGridInvalidGeoKeys;
      if (keys->modelType && *keys->modelType != kModelTypeGeographic) return kGridInvalidGeoreference;
      if (keys->rasterType) {
        if (*keys->rasterType != kRasterPixelIsArea && *keys->rasterType != kRasterPixelIsPoint)
          return kGridInvalidGeoKeys;
        pixelIsArea = *keys->rasterType == kRasterPixelIsArea;
      }
    }
    if (!std::isfinite(sx) || !std::isfinite(sy) || !(sx > 0.0) || sy == 0.0) return kGridInvalidGeoreference;
    double west = tieX - tieI * sx;
    double top = tieY + tieJ * sy;  // latitude of row 0
    if (pixelIsArea) {
      west += sx / 2;
      top -= sy / 2;
    }
    if (width_ > static_cast<std::uint32_t>(std::numeric_limits<int>::max()) ||
        height_ > static_cast<std::uint32_t>(std::numeric_limits<int>::max()))
      return kGridTooLarge;
    topDown_ = sy > 0.0;
    g.west = west;
    g.lonStep = sx;
    g.latStep = std::fabs(sy);
    g.rows = static_cast<int>(height_);
    g.columns = static_cast<int>(width_);
    g.south = topDown_ ? top - sy * (g.rows - 1) : top;
    return regularGeometryValid(g) ? kGridOk : kGridInvalidGeoreference;
  }

  // Every block (strip or tile) holding the wanted samples, decoded and spread into the targets.
  GridError readSamples(const std::vector<SampleTarget>& targets) {
    const bool tiled = TIFFIsTiled(tiff_) != 0;
    std::uint32_t blockWidth = width_;
    std::uint32_t blockHeight = 0;
    if (tiled) {
      if (TIFFGetField(tiff_, TIFFTAG_TILEWIDTH, &blockWidth) != 1 ||
          TIFFGetField(tiff_, TIFFTAG_TILELENGTH, &blockHeight) != 1)
        return kGridInvalidTiff;
    } else {
      TIFFGetFieldDefaulted(tiff_, TIFFTAG_ROWSPERSTRIP, &blockHeight);
      blockHeight = std::min(blockHeight, height_);
    }
    if (blockWidth == 0 || blockHeight == 0) return kGridInvalidTiff;
    const std::size_t pixelSamples = separate_ ? 1 : samples_;
    const std::uint64_t blockBytes =
        static_cast<std::uint64_t>(blockWidth) * blockHeight * pixelSamples * decoder_.bytes();
    // A tile may be larger than the image: its buffer is bounded like the image itself.
    if (blockBytes > static_cast<std::uint64_t>(kMaxTiffSingleAllocationBytes) ||
        blockBytes > fileSize_ * kMaxTiffExpansion) {
      return kGridTooLarge;
    }
    std::vector<unsigned char> block(static_cast<std::size_t>(blockBytes));

    const std::size_t sampleBytes = decoder_.bytes();
    for (std::size_t pass = 0; pass < (separate_ ? targets.size() : 1); ++pass) {
      const auto plane = static_cast<std::uint16_t>(separate_ ? targets[pass].sample : 0);
      // A separate plane fills its own target; a pixel of all samples fills every one.
      const std::span<const SampleTarget> filled =
          separate_ ? std::span(targets).subspan(pass, 1) : std::span(targets);
      for (std::uint32_t y = 0; y < height_; y += blockHeight) {
        for (std::uint32_t x = 0; x < width_; x += blockWidth) {
          const tmsize_t got = tiled
                                   ? TIFFReadEncodedTile(tiff_, TIFFComputeTile(tiff_, x, y, 0, plane),
                                                         block.data(), static_cast<tmsize_t>(block.size()))
                                   : TIFFReadEncodedStrip(tiff_, TIFFComputeStrip(tiff_, y, plane),
                                                          block.data(), static_cast<tmsize_t>(block.size()));
          const std::uint32_t rowsHere = std::min(blockHeight, height_ - y);
          const std::uint32_t columnsHere = std::min(blockWidth, width_ - x);
          // A strip holds its rows whole; a tile is always full size.
          const std::uint64_t needed = (static_cast<std::uint64_t>(rowsHere - 1) * blockWidth + columnsHere) *
                                       pixelSamples * sampleBytes;
          if (got < 0 || static_cast<std::uint64_t>(got) < needed) return kGridInvalidTiff;
          for (std::uint32_t r = 0; r < rowsHere; ++r) {
            for (std::uint32_t c = 0; c < columnsHere; ++c) {
              const unsigned char* pixel =
                  block.data() + (static_cast<std::size_t>(r) * blockWidth + c) * pixelSamples * sampleBytes;
              store(filled, pixel, sampleBytes, y + r, x + c);
            }
          }
        }
      }
    }
    return kGridOk;
  }

  // Puts the pixel's values for the targets given into the node of TIFF row j and column i.
  void store(std::span<const SampleTarget> targets, const unsigned char* pixel, std::size_t sampleBytes,
             std::uint32_t j, std::uint32_t i) const {
    const std::size_t row = topDown_ ? height_ - 1 - j : j;
    const std::size_t column = width_ - 1 - i;
    const std::size_t node = row * width_ + column;
    for (const SampleTarget& t : targets) {
      const unsigned char* at = separate_ ? pixel : pixel + static_cast<std::size_t>(t.sample) * sampleBytes;
      const double raw = decoder_(at);
      const bool missing = noData_ && (raw == *noData_ || (std::isnan(raw) && std::isnan(*noData_)));
      const double value = missing ? std::numeric_limits<double>::quiet_NaN()
                                   : (t.offset + t.scale * raw) * t.toSeconds * t.sign;
      (*t.values)[node * 2 + t.component] = static_cast<float>(value);
    }
  }

  TIFF* tiff_;
  std::uint64_t fileSize_;
  std::uint64_t& nodesSoFar_;
  GridSamples choice_;
  SampleDecoder decoder_;
  std::vector<GdalMetadataItem> metadata_;
  std::optional<double> noData_;
  std::uint32_t width_ = 0;
  std::uint32_t height_ = 0;
  std::size_t samples_ = 1;
  bool separate_ = false;
  bool topDown_ = true;
};

// True when a's extent holds b's.
bool holds(const RegularGridGeometry& a, const RegularGridGeometry& b) {
  return a.south <= b.south + kNestingTolerance && a.north() >= b.north() - kNestingTolerance &&
         a.west <= b.west + kNestingTolerance && a.east() >= b.east() - kNestingTolerance;
}

double area(const RegularGridGeometry& g) {
  return g.latStep * (g.rows - 1) * g.lonStep * (g.columns - 1);
}

// The parent of each directory, or -1 at the top: by grid_name and parent_grid_name when the
// directories are named, otherwise the smallest other grid that holds it (of equal extents, the
// earlier one is the parent).
GridError parentsOf(const std::vector<DirectoryGrid>& grids, std::vector<int>& parents) {
  parents.assign(grids.size(), -1);
  const bool named =
      std::any_of(grids.begin(), grids.end(), [](const DirectoryGrid& g) { return !g.name.empty(); });
  if (named) {
    std::unordered_map<std::string, int> byName;
    for (std::size_t i = 0; i < grids.size(); ++i) byName.emplace(grids[i].name, static_cast<int>(i));
    for (std::size_t i = 0; i < grids.size(); ++i) {
      if (grids[i].parentName.empty()) continue;
      const auto found = byName.find(grids[i].parentName);
      if (found == byName.end()) return kGridParentNotFound;
      if (found->second == static_cast<int>(i)) return kGridInvalidParentName;
      parents[i] = found->second;
    }
    return kGridOk;
  }
  for (std::size_t i = 0; i < grids.size(); ++i) {
    double best = std::numeric_limits<double>::infinity();
    for (std::size_t k = 0; k < grids.size(); ++k) {
      if (k == i || !holds(grids[k].geometry, grids[i].geometry)) continue;
      const double a = area(grids[k].geometry);
      const double own = area(grids[i].geometry);
      if (!(a > own) && !(a == own && k < i)) continue;  // equal extents: the earlier one is the parent
      if (a < best) {
        best = a;
        parents[i] = static_cast<int>(k);
      }
    }
  }
  return kGridOk;
}

// Eight-character names for the NTv2 tree: the grid names when they stay distinct cut to eight
// printable characters, otherwise "GRID" and the directory's number.
std::vector<std::string> shortNames(const std::vector<DirectoryGrid>& grids) {
  std::vector<std::string> names;
  std::unordered_map<std::string, int> seen;
  bool distinct = true;
  for (const DirectoryGrid& g : grids) {
    std::string name = g.name.substr(0, 8);
    const bool printable = std::all_of(name.begin(), name.end(), [](char c) { return c > ' ' && c < 0x7F; });
    std::string upper = name;
    for (char& c : upper) c = asciiUpper(c);
    if (name.empty() || !printable || upper == "NONE" || !seen.emplace(upper, 0).second) distinct = false;
    names.push_back(name);
  }
  if (distinct) return names;
  for (std::size_t i = 0; i < names.size(); ++i) names[i] = "GRID" + std::to_string(i);
  return names;
}

bool reducedImage(TIFF* tiff) {
  std::uint32_t type = 0;
  return TIFFGetField(tiff, TIFFTAG_SUBFILETYPE, &type) == 1 &&
         (type & (FILETYPE_REDUCEDIMAGE | FILETYPE_MASK)) != 0;
}

GridError readGeoTiff(GridFile& grid, GridSamples choice) {
  std::FILE* file = GridFileBuilder::file(grid);
  const std::int64_t fileSize = fileSizeOf(file);
  if (fileSize < 0) return kGridIoError;
  TiffHandle handle = TiffHandle::forReading(file, fileSize);
  if (handle.get() == nullptr) return kGridInvalidTiff;

  std::vector<DirectoryGrid> grids;
  std::vector<GdalMetadataItem> firstItems;
  std::uint64_t nodes = 0;
  for (int directory = 0;; ++directory) {
    if (directory == kMaxDirectories) return kGridTooLarge;
    if (!reducedImage(handle.get())) {
      DirectoryReader reader(handle.get(), static_cast<std::uint64_t>(fileSize), nodes, choice);
      DirectoryGrid& out = grids.emplace_back();
      if (const GridError error = reader.read(grids.size() == 1 ? nullptr : &firstItems, out);
          error != kGridOk)
        return error;
      if (grids.size() == 1) {
        firstItems = reader.metadata();
      } else if (out.content != grids.front().content) {
        return kGridUnsupportedType;
      }
    }
    // The chain ends where a directory's next offset is 0. A next directory that cannot be read is
    // a damaged or cut-short file, never a smaller grid: its finer sub-grids would be lost unsaid.
    if (TIFFLastDirectory(handle.get()) != 0) break;
    if (TIFFReadDirectory(handle.get()) != 1) return kGridInvalidTiff;
  }
  if (handle.failed() && grids.empty()) return kGridInvalidTiff;
  if (grids.empty()) return kGridUnsupportedType;

  std::vector<int> parents;
  if (const GridError error = parentsOf(grids, parents); error != kGridOk) return error;
  const std::vector<std::string> names = shortNames(grids);

  setRegularGridFile(grid, GridForm::kGeoTiff, grids.front().content, grids.size());
  GridFileFields& fields = GridFileBuilder::fields(grid);
  for (std::size_t i = 0; i < grids.size(); ++i) {
    const std::string parent = parents[i] < 0 ? "NONE" : names[static_cast<std::size_t>(parents[i])];
    SubGridFields& sub = initRegularSubGrid(grids[i].geometry, names[i], parent, static_cast<int>(i),
                                            fields.subGrids[i], false);
    sub.shifts = std::move(grids[i].shifts);
    sub.accuracies = std::move(grids[i].accuracies);
  }
  return checkGridHierarchy(grid);
}

}  // namespace

std::unique_ptr<GridFile> openGeoTiffGridFile(std::string_view fileName, GridError& error,
                                              GridSamples samples) {
  std::unique_ptr<GridFile> grid = createGridFile(fileName, error);
  if (!grid) return nullptr;
  error = readGeoTiff(*grid, samples);
  GridFileBuilder::closeFile(*grid);
  if (error != kGridOk) return nullptr;
  return grid;
}

}  // namespace velmora
