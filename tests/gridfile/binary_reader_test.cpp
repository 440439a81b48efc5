#include "gridfile/binary_reader.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

#include "gridfile/grid_builder.hpp"
#include "tests/support/grid_fixtures.hpp"

namespace velmora {
namespace {

using namespace std::string_literals;

constexpr std::size_t kOverviewBytes = 176;
constexpr std::size_t kSubHeaderBytes = 176;
constexpr std::size_t kNumORecValue = 8;
constexpr std::size_t kNumSRecValue = 24;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

std::unique_ptr<GridFile> openBytes(const TempDir& dir, const std::string& bytes, GridError& error) {
  return openBinaryGridFile(dir.writeFile("grid.gsb", bytes), error);
}

void putInt32(std::string& bytes, std::size_t offset, std::int32_t value) {
  std::memcpy(bytes.data() + offset, &value, sizeof value);
}

TEST(BinaryReader, EveryByteOrderAndPaddingGivesTheSameGrid) {
  TempDir dir;
  const PlaneSpec planes[] = {parentPlaneSpec(), childPlaneSpec()};
  const bool nativeBig = std::endian::native == std::endian::big;
  for (const bool bigEndian : {false, true}) {
    for (const bool padded : {true, false}) {
      SCOPED_TRACE(testing::Message() << "bigEndian " << bigEndian << " padded " << padded);
      GridError error = -1;
      std::unique_ptr<GridFile> grid = openBinaryGridFile(
          writeGridFile(dir, "grid.gsb", parentWithChildGrid(), {bigEndian, padded, true}), error);
      ASSERT_EQ(error, kGridOk);
      ASSERT_NE(grid, nullptr);
      EXPECT_EQ(grid->byteSwapped(), bigEndian != nativeBig);
      EXPECT_EQ(grid->paddedInts(), padded);
      EXPECT_EQ(grid->defects(), 0U);
      EXPECT_EQ(GridFileBuilder::file(*grid), nullptr);  // closed: everything is in memory
      EXPECT_EQ(grid->gsType(), "SECONDS ");
      EXPECT_EQ(grid->subGridCount(), 2);
      EXPECT_EQ(grid->topLevelCount(), 1);
      ASSERT_EQ(grid->subGrids().size(), 2U);
      const SubGrid& parent = grid->subGrids()[0];
      EXPECT_EQ(parent.name(), "PARENT  ");
      EXPECT_EQ(parent.parentName(), "NONE    ");
      EXPECT_EQ(parent.latMin(), 0.0);
      EXPECT_EQ(parent.latMax(), 14400.0 * 0.0002777777777777778);
      EXPECT_EQ(parent.lonMin(), 0.0);
      EXPECT_EQ(parent.lonMax(), 14400.0 * 0.0002777777777777778);
      EXPECT_EQ(parent.dataOffset(), static_cast<std::int64_t>(padded ? 352 : 336));
      const SubGrid& child = grid->subGrids()[1];
      EXPECT_EQ(child.parent(), &parent);
      EXPECT_EQ(child.lonMin(), 1.0);
      EXPECT_EQ(child.lonMax(), 3.0);
      EXPECT_EQ(child.latInc(), 0.5);
      for (std::size_t s = 0; s < 2; ++s) {
        const SubGrid& g = grid->subGrids()[s];
        const PlaneSpec& plane = planes[s];
        ASSERT_EQ(g.rows(), 5);
        ASSERT_EQ(g.columns(), 5);
        ASSERT_EQ(g.nodeCount(), 25U);
        ASSERT_EQ(g.shifts().size(), 50U);
        ASSERT_EQ(g.accuracies().size(), 50U);
        for (int n = 0; n < 25; ++n) {
          const int row = n / 5;
          const int column = n % 5;
          const auto i = static_cast<std::size_t>(n);
          EXPECT_EQ(g.shifts()[2 * i], plane.lonShift.at(row, column)) << n;
          EXPECT_EQ(g.shifts()[2 * i + 1], plane.latShift.at(row, column)) << n;
          EXPECT_EQ(g.accuracies()[2 * i], plane.lonAccuracy.at(row, column)) << n;
          EXPECT_EQ(g.accuracies()[2 * i + 1], plane.latAccuracy.at(row, column)) << n;
        }
      }
    }
  }
}

TEST(BinaryReader, RefusesMalformedHeaders) {
  struct Case {
    const char* what;
    std::function<void(GridImage&)> change;
    GridError expected;
  };
  const auto sub = [](GridImage& image) -> SubGridImage& { return image.subGrids[0]; };
  const Case cases[] = {
      {"NUM_FILE 0", [](GridImage& g) { g.numFile = 0; }, kGridInvalidNumFile},
      {"NUM_FILE -5", [](GridImage& g) { g.numFile = -5; }, kGridInvalidNumFile},
      {"unknown unit", [](GridImage& g) { g.gsType = "FEET"; }, kGridInvalidGsType},
      {"unit cut by zero bytes", [](GridImage& g) { g.gsType = "SEC\0\0\0\0\0"s; }, kGridInvalidGsType},
      {"GS_COUNT 0", [&](GridImage& g) { sub(g).gsCount = 0; }, kGridInvalidGsCount},
      {"GS_COUNT -1", [&](GridImage& g) { sub(g).gsCount = -1; }, kGridInvalidGsCount},
      {"GS_COUNT one short of rows x columns", [&](GridImage& g) { sub(g).nodes.pop_back(); },
       kGridInvalidGsCount},
      {"GS_COUNT one more than rows x columns", [&](GridImage& g) { sub(g).nodes.push_back({}); },
       kGridInvalidGsCount},
      {"rows beyond any int", [&](GridImage& g) { sub(g).latInc = 1e-300; }, kGridInvalidGsCount},
      {"extent overflows",
       [&](GridImage& g) {
         sub(g).sLat = -1.7e308;
         sub(g).nLat = 1.7e308;
       },
       kGridInvalidGsCount},
      {"S_LAT infinite", [&](GridImage& g) { sub(g).sLat = -kInf; }, kGridInvalidLatMin},
      {"N_LAT NaN", [&](GridImage& g) { sub(g).nLat = kNaN; }, kGridInvalidLatMax},
      {"W_LONG infinite", [&](GridImage& g) { sub(g).wLong = kInf; }, kGridInvalidLonMin},
      {"E_LONG NaN", [&](GridImage& g) { sub(g).eLong = kNaN; }, kGridInvalidLonMax},
      {"LAT_INC 0", [&](GridImage& g) { sub(g).latInc = 0.0; }, kGridInvalidLatInc},
      {"LAT_INC negative", [&](GridImage& g) { sub(g).latInc = -3600.0; }, kGridInvalidLatInc},
      {"LAT_INC NaN", [&](GridImage& g) { sub(g).latInc = kNaN; }, kGridInvalidLatInc},
      {"LONG_INC 0", [&](GridImage& g) { sub(g).longInc = 0.0; }, kGridInvalidLonInc},
      {"LONG_INC infinite", [&](GridImage& g) { sub(g).longInc = kInf; }, kGridInvalidLonInc},
      {"S_LAT = N_LAT", [&](GridImage& g) { sub(g).nLat = sub(g).sLat; }, kGridInvalidLatMinMax},
      {"E_LONG west of W_LONG", [&](GridImage& g) { std::swap(sub(g).eLong, sub(g).wLong); },
       kGridInvalidLonMinMax},
      {"parent not in the file", [&](GridImage& g) { g.subGrids[1].parent = "GHOST"; }, kGridParentNotFound},
      {"NUM_FILE beyond the sub-files", [](GridImage& g) { g.numFile = 3; }, kGridIoError},
      {"NUM_FILE beyond any file", [](GridImage& g) { g.numFile = std::numeric_limits<std::int32_t>::max(); },
       kGridIoError},
  };
  TempDir dir;
  for (const Case& c : cases) {
    GridImage image = parentWithChildGrid();
    c.change(image);
    GridError error = kGridOk;
    EXPECT_EQ(openBytes(dir, encodeBinaryGrid(image), error), nullptr) << c.what;
    EXPECT_EQ(error, c.expected) << c.what;
  }
}

TEST(BinaryReader, RefusesWrongRecordCountsInEitherByteOrder) {
  TempDir dir;
  for (const bool bigEndian : {false, true}) {
    const std::string good = encodeBinaryGrid(parentWithChildGrid(), {bigEndian, true, true});
    std::string bytes = good;
    putInt32(bytes, kNumORecValue, 12);
    GridError error = kGridOk;
    EXPECT_EQ(openBytes(dir, bytes, error), nullptr);
    EXPECT_EQ(error, kGridInvalidNumORec);
    bytes = good;
    putInt32(bytes, kNumSRecValue, bigEndian == (std::endian::native == std::endian::big) ? 10 : 0x0A000000);
    EXPECT_EQ(openBytes(dir, bytes, error), nullptr);
    EXPECT_EQ(error, kGridInvalidNumSRec);
  }
}

TEST(BinaryReader, TruncatedFiles) {
  TempDir dir;
  const std::string whole = encodeBinaryGrid(parentWithChildGrid());
  const std::size_t nodesEnd = whole.size() - 16;
  struct Case {
    std::size_t size;
    GridError expected;
  };
  const Case cases[] = {
      {0, kGridInvalidNumORec},                                   // empty
      {10, kGridInvalidNumORec},                                  // inside NUM_OREC
      {12, kGridInvalidNumSRec},                                  // before NUM_SREC
      {20, kGridInvalidNumSRec},                                  // inside NUM_SREC
      {40, kGridInvalidNumFile},                                  // inside NUM_FILE
      {60, kGridIoError},                                         // inside GS_TYPE
      {kOverviewBytes, kGridIoError},                             // no sub-file at all
      {kOverviewBytes + 100, kGridIoError},                       // inside the first sub-file header
      {kOverviewBytes + kSubHeaderBytes + 5 * 16, kGridIoError},  // inside the first node block
      {nodesEnd - 5, kGridIoError},                               // inside the last node record
  };
  for (const Case& c : cases) {
    GridError error = kGridOk;
    EXPECT_EQ(openBytes(dir, whole.substr(0, c.size), error), nullptr) << c.size;
    EXPECT_EQ(error, c.expected) << c.size;
  }
}

TEST(BinaryReader, ToleratedIrregularitiesSetDefectBits) {
  struct Case {
    const char* what;
    std::function<void(std::string&)> change;
    std::uint32_t defects;
  };
  const std::string name = "AB\0\0\0\0\0\0"s;
  const Case cases[] = {
      {"clean", [](std::string&) {}, 0},
      {"no end record", [](std::string& b) { b.resize(b.size() - 16); }, kDefectNoEndRecord},
      {"end record cut short", [](std::string& b) { b.resize(b.size() - 3); }, kDefectNoEndRecord},
      {"end key in lower case", [](std::string& b) { b.replace(b.size() - 16, 8, "end     "); },
       kDefectBadEndKey},
      {"end value not zero", [](std::string& b) { b.back() = '\x01'; }, kDefectEndNotZero},
      {"lower-case unit", [](std::string& b) { b.replace(56, 8, "seconds "); }, kDefectLowerCaseType},
      {"digit after the unit", [](std::string& b) { b.replace(56, 8, "SECONDS9"); }, kDefectBadTypeChar},
      {"zero bytes in a name", [&](std::string& b) { b.replace(kOverviewBytes + 8, 8, name); },
       kDefectBadNameChar},
  };
  TempDir dir;
  for (const Case& c : cases) {
    std::string bytes = encodeBinaryGrid(planeGrid(parentPlaneSpec()));
    c.change(bytes);
    GridError error = -1;
    std::unique_ptr<GridFile> grid = openBytes(dir, bytes, error);
    ASSERT_NE(grid, nullptr) << c.what << " error " << error;
    EXPECT_EQ(grid->defects(), c.defects) << c.what;
    EXPECT_EQ(grid->gsType(), "SECONDS ") << c.what;
    EXPECT_EQ(grid->subGrids()[0].shifts()[49], 4.0F) << c.what;  // last node: 1 + 0.25 * 4 + 0.5 * 4
  }
  std::string bytes = encodeBinaryGrid(planeGrid(parentPlaneSpec()));
  bytes.replace(kOverviewBytes + 8, 8, name);
  GridError error = -1;
  EXPECT_EQ(openBytes(dir, bytes, error)->subGrids()[0].name(), "AB      ");
}

TEST(BinaryReader, HugeCountsAreRefusedBeforeAnyLargeAllocation) {
  // 46340 x 46340 nodes match GS_COUNT, 34 GB of node arrays, but the file holds one node.
  GridImage image;
  SubGridImage& sub = image.subGrids.emplace_back();
  sub.nLat = 46339.0;
  sub.wLong = 46339.0;
  sub.latInc = 1.0;
  sub.longInc = 1.0;
  sub.gsCount = 46340 * 46340;
  sub.nodes.resize(1);
  TempDir dir;
  GridError error = kGridOk;
  EXPECT_EQ(openBytes(dir, encodeBinaryGrid(image), error), nullptr);
  EXPECT_EQ(error, kGridIoError);
}

TEST(BinaryReader, MissingFile) {
  TempDir dir;
  GridError error = kGridOk;
  EXPECT_EQ(openBinaryGridFile(dir.filePath("none.gsb"), error), nullptr);
  EXPECT_EQ(error, kGridCannotOpenFile);
  EXPECT_EQ(openBinaryGridFile(dir.path(), error), nullptr);  // a folder is no grid
  EXPECT_NE(error, kGridOk);
}

}  // namespace
}  // namespace velmora
