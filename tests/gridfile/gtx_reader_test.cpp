#include "gridfile/gtx_reader.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <string>
#include <vector>

#include "tests/support/grid_images.hpp"
#include "tests/support/temp_dir.hpp"
#include "velmora/gridfile/grid_search.hpp"
#include "velmora/gridfile/grid_writer.hpp"

namespace velmora {
namespace {

struct GtxHeader {
  double lat0 = -41.0;
  double lon0 = 174.0;
  double dlat = 0.5;
  double dlon = 0.5;
  std::int32_t rows = 3;
  std::int32_t columns = 3;
};

void putBigEndian(std::string& out, std::uint64_t bits, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>((bits >> (8 * i)) & 0xFFU);
}

// A GTX file by hand: the header, then values (rows from the south, west to east).
std::string gtxBytes(const GtxHeader& h, const std::vector<float>& values) {
  std::string out;
  for (const double v : {h.lat0, h.lon0, h.dlat, h.dlon}) putBigEndian(out, std::bit_cast<std::uint64_t>(v), 8);
  putBigEndian(out, static_cast<std::uint32_t>(h.rows), 4);
  putBigEndian(out, static_cast<std::uint32_t>(h.columns), 4);
  for (const float v : values) putBigEndian(out, std::bit_cast<std::uint32_t>(v), 4);
  return out;
}

// value = 10 + row + column / 4 at node (row from the south, column from the west): every
// interpolated value is exact.
std::vector<float> rampValues(int rows, int columns) {
  std::vector<float> values;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) values.push_back(10.0F + static_cast<float>(r) + static_cast<float>(c) / 4.0F);
  }
  return values;
}

TEST(GtxReader, HeadersAreCheckedBeforeAnyArrayIsMade) {
  const TempDir dir;
  struct Case {
    GtxHeader header;
    std::size_t values;
    GridError error;
    const char* what;
  };
  const GtxHeader ok;
  std::vector<Case> cases = {
      {ok, 9, kGridOk, "valid"},
      {ok, 8, kGridTooLarge, "one value short of rows x columns"},
      {{-41, 174, 0.5, 0.5, 1 << 15, 1 << 15}, 9, kGridTooLarge, "2^30 nodes, over the cap"},
      {{-41, 174, 0.5, 0.5, 4096, 4096}, 9, kGridTooLarge, "under the cap, more than the file holds"},
      {{-41, 174, 0.0, 0.5, 3, 3}, 9, kGridInvalidGtxHeader, "zero latitude spacing"},
      {{-41, 174, 0.5, -0.5, 3, 3}, 9, kGridInvalidGtxHeader, "negative longitude spacing"},
      {{NAN, 174, 0.5, 0.5, 3, 3}, 9, kGridInvalidGtxHeader, "NaN origin"},
      {{-41, 400, 0.5, 0.5, 3, 3}, 9, kGridInvalidGtxHeader, "origin longitude past 360"},
      {{-41, 174, 0.5, 0.5, 1, 3}, 9, kGridInvalidGtxHeader, "a single row"},
      {{-41, 174, 0.5, 0.5, -3, 3}, 9, kGridInvalidGtxHeader, "negative rows"},
  };
  for (const Case& c : cases) {
    const std::string path = dir.writeFile("h.gtx", gtxBytes(c.header, std::vector<float>(c.values, 1.0F)));
    GridError error = -1;
    const auto grid = openGtxGridFile(path, error);
    EXPECT_EQ(error, c.error) << c.what;
    EXPECT_EQ(grid != nullptr, c.error == kGridOk) << c.what;
  }
  GridError error = -1;
  EXPECT_EQ(openGtxGridFile(dir.writeFile("short.gtx", std::string(39, '\0')), error), nullptr);
  EXPECT_EQ(error, kGridInvalidGtxHeader);
}

TEST(GtxReader, ValuesInterpolateInMetresWithNoDataAndTheOriginTakenWest) {
  const TempDir dir;
  std::vector<float> values = rampValues(3, 3);
  values[8] = kGtxNoData;  // north-eastern node
  values[6] = 2000.0F;     // north-western node: beyond 1000 m is no data too
  struct Case {
    double lon0;
    double latitude;
    double longitude;
    GridValueStatus status;
    double value;
  };
  const std::vector<Case> cases = {
      {174.0, -41.0, 174.0, GridValueStatus::kFound, 10.0},
      {174.0, -40.75, 174.25, GridValueStatus::kFound, 10.5 + 0.125},
      {174.0, -40.25, 174.75, GridValueStatus::kNoData, 0.0},  // cell with the no-data node
      {174.0, -40.25, 174.25, GridValueStatus::kNoData, 0.0},
      // An origin of 200 E is read as -160: the grid covers -160 .. -159.
      {200.0, -40.75, -159.75, GridValueStatus::kFound, 10.5 + 0.125},
      {200.0, -40.75, 200.25, GridValueStatus::kFound, 10.5 + 0.125},  // and 360 round
  };
  for (const Case& c : cases) {
    GtxHeader header;
    header.lon0 = c.lon0;
    GridError error = kGridOk;
    const auto grid = openGtxGridFile(dir.writeFile("v.gtx", gtxBytes(header, values)), error);
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->content(), GridContent::kGeoid);
    const GridValue value = interpolateGridValue(*grid, c.latitude, c.longitude);
    EXPECT_EQ(value.status, c.status) << c.latitude << " " << c.longitude;
    if (c.status == GridValueStatus::kFound) {
      EXPECT_DOUBLE_EQ(value.value, c.value);
    }
  }
}

// A node without data stays one through every format: -999 in NTv2, -88.8888 in GTX, GDAL_NODATA
// in GeoTIFF.
TEST(GtxReader, NoDataSurvivesEveryFormat) {
  const TempDir dir;
  std::vector<float> values = rampValues(3, 3);
  values[4] = kGtxNoData;  // the centre node
  GridError error = kGridOk;
  const auto gtx = openGtxGridFile(dir.writeFile("a.gtx", gtxBytes({}, values)), error);
  ASSERT_NE(gtx, nullptr);
  const GridImage image = gridImageFromFile(*gtx);
  EXPECT_EQ(image.subGrids[0].nodes[4].latShift, kNtv2NoDataHeight);
  std::string again;
  ASSERT_EQ(encodeGtxGrid(image, again), kGridOk);
  std::vector<std::string> paths = {dir.writeFile("b.gsb", encodeBinaryGrid(image)), dir.writeFile("b.gtx", again)};
  if (encodeGeoTiffGrid(image, again) == kGridOk) paths.push_back(dir.writeFile("b.tif", again));
  for (const std::string& path : paths) {
    const auto grid = openGridFile(path);
    ASSERT_NE(grid, nullptr) << path;
    EXPECT_EQ(interpolateGridValue(*grid, -40.5, 174.5).status, GridValueStatus::kNoData) << path;
    EXPECT_EQ(interpolateGridValue(*grid, -41.0, 174.0).value, 10.0) << path;
  }
}

// A grid from 160 E to 190 E serves -175 as 185, whatever its format; one within +-180 gives what
// the plain search gives.
TEST(GridSearchAntimeridian, GridsPast180ServePointsGivenEitherWay) {
  const TempDir dir;
  const DegreeArea area{-48.0, -34.0, 160.0, 190.0, 2.0};
  const GridImage image = degreeGrid(area, shiftPlanes({1.0, 0.0, 0.25}, {2.0, 0.5, 0.0}));
  GridImage geoid = image;
  geoid.content = GridContent::kGeoid;
  std::string gtx;
  ASSERT_EQ(encodeGtxGrid(geoid, gtx), kGridOk);
  for (const std::string& path : {dir.writeFile("a.gsb", encodeBinaryGrid(image)), dir.writeFile("a.gtx", gtx)}) {
    const auto grid = openGridFile(path);
    ASSERT_NE(grid, nullptr) << path;
    const std::optional<GridShift> east = interpolateGridShift(*grid, -41.0, 185.0);
    const std::optional<GridShift> west = interpolateGridShift(*grid, -41.0, -175.0);
    ASSERT_TRUE(east && west) << path;
    EXPECT_EQ(east->latitudeShift, 1.0 + 0.25 * 185.0) << path;
    EXPECT_EQ(west->latitudeShift, east->latitudeShift) << path;
    EXPECT_EQ(west->longitudeShift, east->longitudeShift) << path;
    EXPECT_FALSE(interpolateGridShift(*grid, -41.0, 150.0)) << path;
    EXPECT_FALSE(interpolateGridShift(*grid, -41.0, -150.0)) << path;  // 210 E: past the grid's reach
  }
  // A grid ending at 180 keeps its results: -179.95 is not taken for 180.05, in its margin.
  const auto toEdge = openGridFile(dir.writeFile(
      "edge.gsb", encodeBinaryGrid(degreeGrid({-48.0, -34.0, 166.0, 180.0, 2.0}, shiftPlanes({1.0, 0.0, 0.0}, {})))));
  ASSERT_NE(toEdge, nullptr);
  EXPECT_FALSE(interpolateGridShift(*toEdge, -41.0, -179.95));
  EXPECT_TRUE(interpolateGridShift(*toEdge, -41.0, 180.05));
}

// PROJ on the same dateline-crossing GTX: a geoid 160 E .. 190 E with N = 1 + lat / 8 + lon / 4
// (degrees east), encodeGtxGrid of degreeGrid({-48, -34, 160, 190, 2}, shiftPlanes({1, 0.125, 0.25},
// {})). Expected values from PROJ 9.1.1:
//   echo "LON LAT 0" | cct -d 12 +proj=vgridshift +grids=./dateline.gtx +multiplier=1
TEST(GtxReader, DatelineGeoidAgreesWithProj) {
  const TempDir dir;
  GridImage image = degreeGrid({-48.0, -34.0, 160.0, 190.0, 2.0}, shiftPlanes({1.0, 0.125, 0.25}, {0.0, 0.0, 0.0}));
  image.content = GridContent::kGeoid;
  std::string bytes;
  ASSERT_EQ(encodeGtxGrid(image, bytes), kGridOk);
  GridError error = kGridOk;
  const auto grid = openGtxGridFile(dir.writeFile("dateline.gtx", bytes), error);
  ASSERT_NE(grid, nullptr);
  struct Case {
    double latitude;
    double longitude;
    double metres;
  };
  const std::vector<Case> cases = {
      {-41.3, 185.3, 42.1625}, {-41.3, -175.3, 42.0125}, {-35.2, 170.1, 39.125}, {-47.5, 189.5, 42.4375}};
  for (const Case& c : cases) {
    const GridValue value = interpolateGridValue(*grid, c.latitude, c.longitude);
    ASSERT_EQ(value.status, GridValueStatus::kFound) << c.longitude;
    EXPECT_NEAR(value.value, c.metres, 1e-6) << c.longitude;
  }
}

// A world GTX from 0 E (1-degree nodes, N = column / 10) read at a sub-grid already chosen: -0.5
// lies in the margin band west of 0 E but the search matches it 360 degrees round, at 359.5, between
// the last column and the wrap to the first. Expected values from PROJ 9.1.1:
//   echo "LON LAT 0" | cct -d 9 +proj=vgridshift +grids=./world.gtx +multiplier=1
TEST(GtxReader, MatchReadsAtTheLongitudeTheSearchSettledOn) {
  constexpr int kColumns = 360;
  std::vector<float> values;
  for (int node = 0; node < 3 * kColumns; ++node)
    values.push_back(static_cast<float>(node % kColumns) / 10.0F);
  const TempDir dir;
  GridError error = kGridOk;
  const auto grid = openGtxGridFile(
      dir.writeFile("world.gtx", gtxBytes({-1.0, 0.0, 1.0, 1.0, 3, kColumns}, values)), error);
  ASSERT_NE(grid, nullptr);
  struct Case {
    double latitude;
    double longitude;
    double metres;
  };
  const std::vector<Case> cases = {
      {0.0, -0.5, 17.950000763}, {0.5, -0.25, 8.975000381}, {0.0, 180.5, 18.050000191}};
  for (const Case& c : cases) {
    const SubGridMatch match = findSubGrid(*grid, c.longitude, c.latitude);
    EXPECT_EQ(match.locationClass, kClassInterior) << c.longitude;
    const GridValue value = interpolateGridValue(*grid, match, c.latitude);
    ASSERT_EQ(value.status, GridValueStatus::kFound) << c.longitude;
    EXPECT_NEAR(value.value, c.metres, 1e-6) << c.longitude;
  }
}

// The world geoid of Debian's proj-data: a 15' GTX from -180 with 1440 columns, read across the
// seam at 180. Expected values from PROJ 9.1.1:
//   echo "LON LAT 0" | cct -d 9 +proj=vgridshift +grids=egm96_15.gtx +multiplier=1
TEST(GtxReader, WorldGeoidAgreesWithProj) {
  const std::string path = "/usr/share/proj/egm96_15.gtx";
  GridError error = kGridOk;
  const auto grid = openGtxGridFile(path, error);
  if (grid == nullptr && error == kGridCannotOpenFile) GTEST_SKIP() << path << " is not installed";
  ASSERT_NE(grid, nullptr);
  struct Case {
    double latitude;
    double longitude;
    double metres;
  };
  const std::vector<Case> cases = {
      {-41.3, 174.8, 12.529229622},
      {10.1, 179.9, 12.698071327},
      {10.1, -179.9, 12.527552834},
      {10.1, 180.1, 12.527552834},
      {89.9, 0.1, 13.724651718},
      {-89.9, -0.1, -29.539116287},
      {45.6, 12.3, 44.269060669},
  };
  for (const Case& c : cases) {
    const GridValue value = interpolateGridValue(*grid, c.latitude, c.longitude);
    ASSERT_EQ(value.status, GridValueStatus::kFound) << c.latitude << " " << c.longitude;
    EXPECT_NEAR(value.value, c.metres, 1e-6) << c.latitude << " " << c.longitude;
  }
}

}  // namespace
}  // namespace velmora
