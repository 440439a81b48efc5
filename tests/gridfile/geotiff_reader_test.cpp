#include "gridfile/geotiff_reader.hpp"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <cmath>
#include <string>
#include <vector>

#include "gridfile/gdal_metadata.hpp"
#include "gridfile/geo_keys.hpp"
#include "gridfile/tiff_handle.hpp"
#include "tests/support/grid_images.hpp"
#include "tests/support/temp_dir.hpp"
#include "velmora/gridfile/grid_search.hpp"
#include "velmora/gridfile/grid_writer.hpp"

namespace velmora {
namespace {

// A horizontal grid of 4 rows x 5 columns over 42 S .. 40.5 S, 172 E .. 174 E (0.5 degree), whose
// offsets in arc-seconds are planes in the node indexes (row from the south, column from the west):
// latitude 2 + row / 2 + column / 4, longitude (east) -1 + row / 8 - column / 2. Multiples of 1/8,
// so every storage type holds them exactly and every interpolated value is known.
constexpr int kRows = 4;
constexpr int kColumns = 5;
constexpr double kSouth = -42.0;
constexpr double kWest = 172.0;
constexpr double kStep = 0.5;

double latitudeOffset(int row, int column) {
  return 2.0 + row / 2.0 + column / 4.0;
}
double longitudeOffset(int row, int column) {
  return -1.0 + row / 8.0 - column / 2.0;
}

// How a test file is laid out; each field departs from the profile's usual choice.
struct Layout {
  const char* what = "";
  bool bigEndian = false;
  bool tiled = false;
  bool contig = false;
  std::uint16_t sampleFormat = SAMPLEFORMAT_IEEEFP;
  std::uint16_t bits = 32;
  double scale = 1.0;  // integers: value = offset + scale * raw
  double offset = 0.0;
  std::uint16_t compression = COMPRESSION_NONE;
  std::uint16_t predictor = PREDICTOR_NONE;
  bool bottomUp = false;
  bool pixelIsArea = false;
  bool transformation = false;
  bool positiveWest = false;
  double unitToSeconds = 1.0;  // 3600 for degree
  const char* unit = "arc-second";
  bool longitudeFirst = false;  // samples named by DESCRIPTION, longitude first
  bool descriptions = true;
  std::string type = "HORIZONTAL_OFFSET";
  std::string extraItem;  // replaces the metadata when set
  bool geoKeys = true;
  std::vector<std::uint16_t> keys;  // replaces the GeoKey directory when not empty
  std::uint16_t samples = 2;
  const char* noData = nullptr;  // GDAL_NODATA text; the south-western node then holds it
};

template <typename T>
void put(std::vector<unsigned char>& out, double value) {
  const T v = static_cast<T>(value);
  const auto* bytes = reinterpret_cast<const unsigned char*>(&v);
  out.insert(out.end(), bytes, bytes + sizeof v);
}

void putSample(std::vector<unsigned char>& out, const Layout& l, double value) {
  const double raw = (value - l.offset) / l.scale;
  if (l.sampleFormat == SAMPLEFORMAT_IEEEFP) {
    if (l.bits == 32) {
      put<float>(out, raw);
    } else {
      put<double>(out, raw);
    }
  } else if (l.sampleFormat == SAMPLEFORMAT_INT) {
    if (l.bits == 16) {
      put<std::int16_t>(out, raw);
    } else {
      put<std::int32_t>(out, raw);
    }
  } else if (l.bits == 16) {
    put<std::uint16_t>(out, raw);
  } else if (l.bits == 8) {
    put<std::uint8_t>(out, raw);
  } else {
    put<std::uint32_t>(out, raw);
  }
}

// The stored value of sample s at TIFF row j (from the top) and column i.
double storedValue(const Layout& l, int s, int j, int i) {
  const int row = l.bottomUp ? j : kRows - 1 - j;
  if (l.noData != nullptr && row == 0 && i == 0) return std::stod(l.noData) * l.scale + l.offset;
  const bool longitude = (s == 0) == l.longitudeFirst;
  if (!longitude) return latitudeOffset(row, i) / l.unitToSeconds;
  const double east = longitudeOffset(row, i) / l.unitToSeconds;
  return l.positiveWest ? -east : east;
}

std::string metadataOf(const Layout& l) {
  if (!l.extraItem.empty()) return l.extraItem;
  std::vector<GdalMetadataItem> items = {{"TYPE", -1, "", l.type}};
  if (l.positiveWest) items.push_back({"positive_value", -1, "", "west"});
  for (int s = 0; s < l.samples; ++s) {
    const bool longitude = (s == 0) == l.longitudeFirst;
    if (l.descriptions) {
      items.push_back({"DESCRIPTION", s, "description", longitude ? "longitude_offset" : "latitude_offset"});
    }
    items.push_back({"UNITTYPE", s, "unittype", l.unit});
    if (l.scale != 1.0 || l.offset != 0.0) {
      items.push_back({"SCALE", s, "scale", std::to_string(l.scale)});
      items.push_back({"OFFSET", s, "offset", std::to_string(l.offset)});
    }
  }
  return encodeGdalMetadata(items);
}

// Writes the grid as layout says, through libtiff.
std::string writeTiff(const TempDir& dir, const std::string& name, const Layout& l) {
  const std::string path = dir.filePath(name);
  TIFF* tiff = TIFFOpen(path.c_str(), l.bigEndian ? "wb" : "wl");
  EXPECT_NE(tiff, nullptr);
  registerGeoTiffTags(tiff);
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, kColumns);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, kRows);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, l.samples);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, l.bits);
  TIFFSetField(tiff, TIFFTAG_SAMPLEFORMAT, l.sampleFormat);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, l.contig ? PLANARCONFIG_CONTIG : PLANARCONFIG_SEPARATE);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, l.compression);
  if (l.predictor != PREDICTOR_NONE) TIFFSetField(tiff, TIFFTAG_PREDICTOR, l.predictor);
  if (l.tiled) {
    TIFFSetField(tiff, TIFFTAG_TILEWIDTH, 16);
    TIFFSetField(tiff, TIFFTAG_TILELENGTH, 16);
  } else {
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 3);  // two strips, the second short
  }
  // Row 0 of the file: the northern row, or the southern one for a bottom-up grid.
  const double sy = l.bottomUp ? -kStep : kStep;
  const double firstRowLatitude = l.bottomUp ? kSouth : kSouth + kStep * (kRows - 1);
  const double x = l.pixelIsArea ? kWest - kStep / 2 : kWest;
  const double y = l.pixelIsArea ? firstRowLatitude + sy / 2 : firstRowLatitude;
  if (l.transformation) {
    const std::vector<double> m = {kStep, 0, 0, x, 0, -sy, 0, y, 0, 0, 0, 0, 0, 0, 0, 1};
    TIFFSetField(tiff, kTagModelTransformation, static_cast<std::uint16_t>(m.size()), m.data());
  } else {
    const std::vector<double> tiepoint = {0, 0, 0, x, y, 0};
    const std::vector<double> scale = {kStep, sy, 0};
    TIFFSetField(tiff, kTagModelTiepoint, static_cast<std::uint16_t>(tiepoint.size()), tiepoint.data());
    TIFFSetField(tiff, kTagModelPixelScale, static_cast<std::uint16_t>(scale.size()), scale.data());
  }
  if (l.geoKeys) {
    const std::vector<std::uint16_t> keys =
        !l.keys.empty() ? l.keys
                        : encodeGeoKeys(kModelTypeGeographic, l.pixelIsArea ? kRasterPixelIsArea : kRasterPixelIsPoint,
                                        4326);
    TIFFSetField(tiff, kTagGeoKeyDirectory, static_cast<std::uint16_t>(keys.size()), keys.data());
  }
  const std::string metadata = metadataOf(l);
  TIFFSetField(tiff, kTagGdalMetadata, metadata.c_str());
  if (l.noData != nullptr) TIFFSetField(tiff, kTagGdalNoData, l.noData);

  // Samples in the machine's order; libtiff swaps them for a big-endian file.
  const int planes = l.contig ? 1 : l.samples;
  const int perPixel = l.contig ? l.samples : 1;
  for (int p = 0; p < planes; ++p) {
    std::vector<unsigned char> image;
    for (int j = 0; j < kRows; ++j) {
      for (int i = 0; i < kColumns; ++i) {
        for (int k = 0; k < perPixel; ++k) putSample(image, l, storedValue(l, l.contig ? k : p, j, i));
      }
    }
    const std::size_t rowBytes = image.size() / kRows;
    if (l.tiled) {
      std::vector<unsigned char> tile(16 * rowBytes / kColumns * 16, 0);
      for (int j = 0; j < kRows; ++j) {
        std::copy_n(image.begin() + j * rowBytes, rowBytes, tile.begin() + j * (rowBytes / kColumns) * 16);
      }
      TIFFWriteEncodedTile(tiff, TIFFComputeTile(tiff, 0, 0, 0, static_cast<std::uint16_t>(p)), tile.data(),
                           static_cast<tmsize_t>(tile.size()));
    } else {
      for (int first = 0; first < kRows; first += 3) {
        const int rows = std::min(3, kRows - first);
        TIFFWriteEncodedStrip(tiff, TIFFComputeStrip(tiff, first, static_cast<std::uint16_t>(p)),
                              image.data() + first * rowBytes, static_cast<tmsize_t>(rows * rowBytes));
      }
    }
  }
  TIFFClose(tiff);
  return path;
}

TEST(GeoTiffReader, EveryLayoutOfTheProfileGivesTheSameShifts) {
  const TempDir dir;
  std::vector<Layout> layouts(18);
  layouts[0].what = "separate Float32, strips, little-endian";
  layouts[1].what = "big-endian", layouts[1].bigEndian = true;
  layouts[2].what = "tiles", layouts[2].tiled = true;
  layouts[3].what = "contig", layouts[3].contig = true;
  layouts[4].what = "contig tiles big-endian", layouts[4].contig = layouts[4].tiled = layouts[4].bigEndian = true;
  layouts[5].what = "Float64", layouts[5].bits = 64;
  layouts[6].what = "Int16 with SCALE and OFFSET", layouts[6].sampleFormat = SAMPLEFORMAT_INT, layouts[6].bits = 16,
  layouts[6].scale = 0.125, layouts[6].offset = -8.0;
  layouts[7].what = "UInt16", layouts[7].sampleFormat = SAMPLEFORMAT_UINT, layouts[7].bits = 16,
  layouts[7].scale = 0.125, layouts[7].offset = -8.0;
  layouts[8].what = "Int32", layouts[8].sampleFormat = SAMPLEFORMAT_INT, layouts[8].bits = 32, layouts[8].scale = 0.125;
  layouts[9].what = "UInt32 LZW with horizontal predictor", layouts[9].sampleFormat = SAMPLEFORMAT_UINT,
  layouts[9].bits = 32, layouts[9].scale = 0.125, layouts[9].offset = -8.0, layouts[9].compression = COMPRESSION_LZW,
  layouts[9].predictor = PREDICTOR_HORIZONTAL;
  layouts[10].what = "Deflate with floating-point predictor", layouts[10].compression = COMPRESSION_ADOBE_DEFLATE,
  layouts[10].predictor = PREDICTOR_FLOATINGPOINT;
  layouts[11].what = "bottom-up", layouts[11].bottomUp = true;
  layouts[12].what = "PixelIsArea", layouts[12].pixelIsArea = true;
  layouts[13].what = "bottom-up PixelIsArea by a transformation", layouts[13].bottomUp = layouts[13].pixelIsArea =
      layouts[13].transformation = true;
  layouts[14].what = "longitude positive west", layouts[14].positiveWest = true;
  layouts[15].what = "degrees", layouts[15].unitToSeconds = 3600.0, layouts[15].unit = "degree",
  layouts[15].bits = 64;
  layouts[16].what = "longitude sample first, by DESCRIPTION", layouts[16].longitudeFirst = true;
  layouts[17].what = "no GeoKeys, no DESCRIPTION", layouts[17].geoKeys = false, layouts[17].descriptions = false;

  // Row 1.4 and column 2.4 of the cell grid: latitude -41.3, longitude 173.2.
  const double latitude = -41.3;
  const double longitude = 173.2;
  const double row = (latitude - kSouth) / kStep;
  const double column = (longitude - kWest) / kStep;
  for (std::size_t n = 0; n < layouts.size(); ++n) {
    const Layout& l = layouts[n];
    GridError error = -1;
    const auto grid = openGeoTiffGridFile(writeTiff(dir, "l" + std::to_string(n) + ".tif", l), error);
    ASSERT_NE(grid, nullptr) << l.what << ": error " << error;
    EXPECT_EQ(grid->content(), GridContent::kHorizontal) << l.what;
    const SubGrid& sub = grid->subGrids()[0];
    EXPECT_NEAR(sub.latMin(), kSouth, 1e-12) << l.what;
    EXPECT_NEAR(sub.lonMin(), kWest, 1e-12) << l.what;
    const std::optional<GridShift> shift = interpolateGridShift(*grid, latitude, longitude);
    ASSERT_TRUE(shift) << l.what;
    EXPECT_NEAR(shift->latitudeShift, 2.0 + row / 2.0 + column / 4.0, 1e-9) << l.what;
    EXPECT_NEAR(shift->longitudeShift, -1.0 + row / 8.0 - column / 2.0, 1e-9) << l.what;
  }
}

TEST(GeoTiffReader, NoDataNodesGiveNoShift) {
  const TempDir dir;
  Layout l;
  l.sampleFormat = SAMPLEFORMAT_INT;
  l.bits = 16;
  l.scale = 0.125;
  l.noData = "-32768";  // applies to the raw value
  GridError error = -1;
  const auto grid = openGeoTiffGridFile(writeTiff(dir, "n.tif", l), error);
  ASSERT_NE(grid, nullptr) << error;
  EXPECT_FALSE(interpolateGridShift(*grid, -41.9, 172.1));  // the cell of the south-western node
  EXPECT_TRUE(interpolateGridShift(*grid, -41.3, 173.2));
}

TEST(GeoTiffReader, EachRefusalHasItsCode) {
  const TempDir dir;
  struct Case {
    Layout layout;
    GridError error;
  };
  std::vector<Case> cases(10);
  cases[0].layout.type = "GEOCENTRIC_TRANSLATION", cases[0].error = kGridUnsupportedType;
  cases[1].layout.extraItem = "<GDALMetadata><Item name=\"TYPE\">HORIZONTAL_OFFSET</Item>",
  cases[1].error = kGridInvalidMetadata;
  cases[2].layout.extraItem = "<GDALMetadata></GDALMetadata>", cases[2].error = kGridUnsupportedType;
  cases[3].layout.samples = 1, cases[3].error = kGridMissingSamples;
  cases[4].layout.unit = "metre", cases[4].error = kGridMissingSamples;
  cases[5].layout.keys = {1, 1, 0, 1, kKeyModelType, 0, 1, kModelTypeProjected},
  cases[5].error = kGridInvalidGeoreference;
  cases[6].layout.keys = {2, 1, 0, 0}, cases[6].error = kGridInvalidGeoKeys;
  cases[7].layout.keys = {1, 1, 0, 5, kKeyModelType, 0, 1, 2}, cases[7].error = kGridInvalidGeoKeys;
  cases[8].layout.sampleFormat = SAMPLEFORMAT_UINT, cases[8].layout.bits = 8,
  cases[8].error = kGridUnsupportedSamples;
  cases[9].layout.extraItem = encodeGdalMetadata({{"TYPE", -1, "", "HORIZONTAL_OFFSET"},
                                                  {"positive_value", -1, "", "north"}}),
  cases[9].error = kGridInvalidMetadata;
  for (std::size_t n = 0; n < cases.size(); ++n) {
    GridError error = -1;
    EXPECT_EQ(openGeoTiffGridFile(writeTiff(dir, "e.tif", cases[n].layout), error), nullptr) << n;
    EXPECT_EQ(error, cases[n].error) << "case " << n;
  }
  GridError error = -1;
  EXPECT_EQ(openGeoTiffGridFile(dir.writeFile("x.tif", "II*\0garbage"), error), nullptr);
  EXPECT_EQ(error, kGridInvalidTiff);
}

// A small file that declares 4096 x 4096 nodes of two Float32 samples (128 MiB decoded) is refused
// before anything is decoded.
TEST(GeoTiffReader, ASmallFileCannotAskForMoreThanItsExpansionAllows) {
  const TempDir dir;
  const std::string path = dir.filePath("bomb.tif");
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  ASSERT_NE(tiff, nullptr);
  registerGeoTiffTags(tiff);
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, 4096);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, 4096);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 2);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 32);
  TIFFSetField(tiff, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_IEEEFP);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 4096);
  const std::string raw(16, '\0');
  TIFFWriteRawStrip(tiff, 0, const_cast<char*>(raw.data()), static_cast<tmsize_t>(raw.size()));
  TIFFClose(tiff);
  GridError error = -1;
  EXPECT_EQ(openGeoTiffGridFile(path, error), nullptr);
  EXPECT_EQ(error, kGridTooLarge);
}

// Written by Velmora and read back: the tree, every node and every accuracy; the shifts agree with
// the NTv2 form of the same grid.
TEST(GeoTiffWriter, TwoLevelGridRoundTripsThroughGeoTiff) {
  const TempDir dir;
  const GridImage image = parentWithChildGrid();
  std::string bytes;
  ASSERT_EQ(encodeGeoTiffGrid(image, bytes), kGridOk);
  const auto tif = openGridFile(dir.writeFile("two.tif", bytes));
  const auto gsb = openGridFile(dir.writeFile("two.gsb", encodeBinaryGrid(image)));
  ASSERT_TRUE(tif && gsb);
  ASSERT_EQ(tif->subGridCount(), 2);
  EXPECT_EQ(tif->subGrids()[1].parent(), &tif->subGrids()[0]);
  for (int i = 0; i < 2; ++i) {
    const SubGrid& a = tif->subGrids()[static_cast<std::size_t>(i)];
    const SubGrid& b = gsb->subGrids()[static_cast<std::size_t>(i)];
    EXPECT_EQ(a.name(), b.name());
    EXPECT_EQ(std::vector<float>(a.shifts().begin(), a.shifts().end()),
              std::vector<float>(b.shifts().begin(), b.shifts().end()));
    EXPECT_EQ(std::vector<float>(a.accuracies().begin(), a.accuracies().end()),
              std::vector<float>(b.accuracies().begin(), b.accuracies().end()));
  }
  // Without names the child is found inside its parent by the extents. The metadata is stored
  // uncompressed, so renaming the items in place leaves every offset of the file as it was.
  for (std::size_t at = bytes.find("grid_name"); at != std::string::npos; at = bytes.find("grid_name", at)) {
    bytes.replace(at, 9, "grid_xxxx");
  }
  const auto nested = openGridFile(dir.writeFile("nested.tif", bytes));
  ASSERT_TRUE(nested);
  EXPECT_EQ(nested->subGrids()[1].parent(), &nested->subGrids()[0]);
}

// PROJ reads the GeoTIFF Velmora writes with the same values. Expected values from PROJ 9.1.1 on
// the file encodeGeoTiffGrid(parentWithChildGrid()) writes, on both sub-grids:
//   echo "LON LAT 0" | cct -d 14 +proj=hgridshift +grids=./two.tif
// as (output - input) x 3600. PROJ gives the same for the .gsb of the same grid. It holds each shift
// as a float32 in radians, so its values carry a relative error of up to 2^-24 (3 micro-arc-seconds
// on the child's 100-arc-second shifts); the tolerance allows that on top of 1e-8 arc-seconds.
TEST(GeoTiffWriter, ProjReadsTheWrittenGridWithTheSameShifts) {
  const TempDir dir;
  std::string bytes;
  ASSERT_EQ(encodeGeoTiffGrid(parentWithChildGrid(), bytes), kGridOk);
  const auto grid = openGridFile(dir.writeFile("two.tif", bytes));
  ASSERT_NE(grid, nullptr);
  struct Case {
    double latitude;
    double longitude;
    double latitudeShift;   // arc-seconds
    double longitudeShift;  // arc-seconds east
  };
  const std::vector<Case> cases = {
      {0.7, 0.3, 3.0249999887, 1.9375000059},      // parent
      {1.2, 3.7, 1.4500000046, 1.1375000100},      // parent
      {3.25, 0.5, 3.5625000537, 0.0000000029},     // parent, north of the child's west
      {2.3, 1.6, 102.0000008107, 99.7500001078},   // child
      {3.9, 2.95, 102.9250034582, 100.9750009920}, // child, near its north-eastern corner
      {3.1, 2.2, 102.5000034749, 100.2499979694},  // child
  };
  constexpr double kFloatRadianError = 5.96e-8;  // 2^-24, PROJ's float32 storage
  for (const Case& c : cases) {
    const std::optional<GridShift> shift = interpolateGridShift(*grid, c.latitude, c.longitude);
    ASSERT_TRUE(shift) << c.latitude << " " << c.longitude;
    EXPECT_NEAR(shift->latitudeShift, c.latitudeShift, 1e-8 + kFloatRadianError * std::fabs(c.latitudeShift))
        << c.latitude << " " << c.longitude;
    EXPECT_NEAR(shift->longitudeShift, c.longitudeShift, 1e-8 + kFloatRadianError * std::fabs(c.longitudeShift))
        << c.latitude << " " << c.longitude;
  }
  // Both shifts negative (south and west): degreeGrid({-45, -40, 170, 176, 1}, shiftPlanes({-3, 0.25,
  // 0.0625}, {-1.5, 0.125, 0.03125})), the same cct command on its GeoTIFF.
  ASSERT_EQ(encodeGeoTiffGrid(degreeGrid({-45.0, -40.0, 170.0, 176.0, 1.0},
                                         shiftPlanes({-3.0, 0.25, 0.0625}, {-1.5, 0.125, 0.03125})),
                              bytes),
            kGridOk);
  const auto negative = openGridFile(dir.writeFile("negative.tif", bytes));
  ASSERT_NE(negative, nullptr);
  const std::vector<Case> negativeCases = {
      {-42.6, 173.3, -2.8187500078, -1.4093750039},
      {-44.9, 170.55, -3.5656250216, -1.7828125108},
      {-40.2, 175.9, -2.0562500458, -1.0281250228},
  };
  for (const Case& c : negativeCases) {
    const std::optional<GridShift> shift = interpolateGridShift(*negative, c.latitude, c.longitude);
    ASSERT_TRUE(shift) << c.latitude << " " << c.longitude;
    EXPECT_NEAR(shift->latitudeShift, c.latitudeShift, 1e-8 + kFloatRadianError * std::fabs(c.latitudeShift))
        << c.latitude << " " << c.longitude;
    EXPECT_NEAR(shift->longitudeShift, c.longitudeShift, 1e-8 + kFloatRadianError * std::fabs(c.longitudeShift))
        << c.latitude << " " << c.longitude;
  }
}

// Debian's proj-data copy of LINZ's NZGD49 to NZGD2000 grid, converted to GeoTIFF and back: the
// same nodes and accuracies, and PROJ reads the GeoTIFF with the same shifts. Expected values from
// PROJ 9.1.1 on the .tif that velmora-grid convert writes (the same for the .gsb):
//   echo "LON LAT 0" | cct -d 14 +proj=hgridshift +grids=./nz.tif
// as (output - input) x 3600, with the float32 tolerance explained above.
TEST(GeoTiffWriter, NewZealandGridSurvivesGeoTiffAndAgreesWithProj) {
  const std::string path = "/usr/share/proj/nzgd2kgrid0005.gsb";
  const auto gsb = openGridFile(path);
  if (gsb == nullptr) GTEST_SKIP() << path << " is not installed";
  const TempDir dir;
  std::string bytes;
  ASSERT_EQ(encodeGeoTiffGrid(gridImageFromFile(*gsb), bytes), kGridOk);
  const auto tif = openGridFile(dir.writeFile("nz.tif", bytes));
  ASSERT_NE(tif, nullptr);
  const auto back = openGridFile(dir.writeFile("nz.gsb", encodeBinaryGrid(gridImageFromFile(*tif))));
  ASSERT_NE(back, nullptr);
  for (const GridFile* grid : {tif.get(), back.get()}) {
    const SubGrid& a = grid->subGrids()[0];
    const SubGrid& b = gsb->subGrids()[0];
    EXPECT_EQ(std::vector<float>(a.shifts().begin(), a.shifts().end()),
              std::vector<float>(b.shifts().begin(), b.shifts().end()));
    EXPECT_EQ(std::vector<float>(a.accuracies().begin(), a.accuracies().end()),
              std::vector<float>(b.accuracies().begin(), b.accuracies().end()));
  }
  struct Case {
    double latitude;
    double longitude;
    double latitudeShift;
    double longitudeShift;
  };
  const std::vector<Case> cases = {
      {-41.3, 174.8, 6.2061364134, 0.6857680275},
      {-46.9, 167.25, 5.6148400917, 0.2870575078},
      {-37.55, 178.95, 6.3690058468, 0.7815232585},
      {-43.53, 172.63, 6.0218778665, 0.4697233755},
  };
  constexpr double kFloatRadianError = 5.96e-8;
  for (const Case& c : cases) {
    const std::optional<GridShift> shift = interpolateGridShift(*tif, c.latitude, c.longitude);
    ASSERT_TRUE(shift);
    EXPECT_NEAR(shift->latitudeShift, c.latitudeShift, 1e-8 + kFloatRadianError * std::fabs(c.latitudeShift));
    EXPECT_NEAR(shift->longitudeShift, c.longitudeShift, 1e-8 + kFloatRadianError * std::fabs(c.longitudeShift));
  }
}

}  // namespace
}  // namespace velmora
