// The NTv2 files of Debian's proj-data package: grids written by others. The expected values were
// read from the file bytes independently of this library (little-endian records decoded by hand).

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "gridfile/binary_reader.hpp"
#include "gridfile/grid_builder.hpp"
#include "tests/support/grid_fixtures.hpp"
#include "velmora/gridfile/grid_search.hpp"
#include "velmora/gridfile/grid_writer.hpp"

namespace velmora {
namespace {

constexpr double kSecondsToDegrees = 0.0002777777777777778;

struct Node {
  int index;
  float latShift;
  float lonShift;  // positive west, as stored
  float latAccuracy;
  float lonAccuracy;
};

struct RealFile {
  const char* file;
  const char* subName;
  double sLat, nLat, eLong, wLong, latInc, longInc;  // arc-seconds, positive west
  int rows;
  int columns;
  std::uint32_t defects;
  Node nodes[3];
};

// clang-format off
const RealFile kRealFiles[] = {
    {"nzgd2kgrid0005.gsb", "NZNAT   ", -172800.0, -122400.0, -648000.0, -597600.0, 360.0, 360.0, 141, 141,
     kDefectEndNotZero,  // this file's end record carries eight non-zero bytes
     {{0, 0x1.78063ap+2F, -0x1.6041bcp+0F, 0x1.7291b8p-4F, 0x1.14e768p-3F},
      {141, 0x1.7be004p+2F, -0x1.5e2b5ap+0F, 0x1.78854cp-4F, 0x1.18ceb4p-3F},
      {9940, 0x1.924310p+2F, -0x1.3bb6aap-1F, 0x1.fddebep-10F, 0x1.51e754p-9F}}},
    {"BETA2007.gsb", "DHDN90  ", 169200.0, 199080.0, -56400.0, -19800.0, 360.0, 600.0, 84, 62, 0,
     {{0, -0x1.5ff7aep+1F, 0x1.ca9c56p+2F, 0.0F, 0.0F},
      {62, -0x1.64c482p+1F, 0x1.ca9042p+2F, 0.0F, 0.0F},
      {5207, -0x1.9620d6p+2F, 0x1.10336ap+1F, 0.0F, 0.0F}}},
    {"ntf_r93.gsb", "FRANCE  ", 147600.0, 187200.0, -36000.0, 19800.0, 360.0, 360.0, 111, 156, 0,
     {{1, 0x1.84b7b2p-2F, 0x1.4b5138p+0F, 0x1.098e54p-4F, 0x1.5e85fep-4F},
      {8658, -0x1.7ea78ap-3F, 0x1.4581a6p+1F, 0x1.a86940p-10F, 0x1.335d24p-9F},
      {17315, -0x1.93c536p-2F, 0x1.fddbfcp+1F, 0x1.090c4ep-4F, 0x1.ad6990p-4F}}},
    {"CHENYX06.gsb", "CHENyx06", 163680.0, 173040.0, -39780.0, -19980.0, 30.0, 30.0, 313, 661, kDefectEndNotZero,
     {{661, 0.0F, -0x1.0c6f7ap-20F, 0x1.0624dep-10F, 0x1.0624dep-10F},
      {103446, -0x1.1b60aep-7F, -0x1.a5a46ap-6F, 0x1.0624dep-10F, 0x1.0624dep-10F},
      {206892, 0x1.0c6f7ap-20F, 0.0F, 0x1.0624dep-10F, 0x1.0624dep-10F}}},
};
// clang-format on

std::string realPath(const char* file) {
  return std::string("/usr/share/proj/") + file;
}

TEST(RealNtv2Files, HeadersAndNodesMatchTheFileBytes) {
  for (const RealFile& f : kRealFiles) {
    SCOPED_TRACE(f.file);
    const std::string path = realPath(f.file);
    ASSERT_TRUE(std::filesystem::exists(path)) << path << " is missing: install Debian's proj-data package";
    GridError error = -1;
    std::unique_ptr<GridFile> grid = openBinaryGridFile(path, error);
    ASSERT_EQ(error, kGridOk);
    EXPECT_EQ(grid->subGridCount(), 1);
    EXPECT_EQ(grid->topLevelCount(), 1);
    EXPECT_TRUE(grid->paddedInts());
    EXPECT_EQ(grid->defects(), f.defects);
    EXPECT_EQ(grid->gsType(), "SECONDS ");
    const SubGrid& g = grid->subGrids()[0];
    EXPECT_EQ(g.name(), f.subName);
    EXPECT_EQ(g.parentName(), "NONE    ");
    EXPECT_EQ(g.latMin(), f.sLat * kSecondsToDegrees);
    EXPECT_EQ(g.latMax(), f.nLat * kSecondsToDegrees);
    EXPECT_EQ(g.lonMin(), -kSecondsToDegrees * f.wLong);
    EXPECT_EQ(g.lonMax(), -kSecondsToDegrees * f.eLong);
    EXPECT_EQ(g.latInc(), f.latInc * kSecondsToDegrees);
    EXPECT_EQ(g.lonInc(), f.longInc * kSecondsToDegrees);
    EXPECT_EQ(g.rows(), f.rows);
    EXPECT_EQ(g.columns(), f.columns);
    EXPECT_EQ(g.nodeCount(), static_cast<std::uint32_t>(f.rows * f.columns));
    ASSERT_EQ(g.shifts().size(), 2 * g.nodeCount());
    ASSERT_EQ(g.accuracies().size(), 2 * g.nodeCount());
    for (const Node& node : f.nodes) {
      const auto n = static_cast<std::size_t>(node.index);
      EXPECT_EQ(g.shifts()[2 * n], node.lonShift) << node.index;
      EXPECT_EQ(g.shifts()[2 * n + 1], node.latShift) << node.index;
      EXPECT_EQ(g.accuracies()[2 * n], node.lonAccuracy) << node.index;
      EXPECT_EQ(g.accuracies()[2 * n + 1], node.latAccuracy) << node.index;

      // At the node itself the interpolation returns the node's values, longitude made east-positive.
      const int row = node.index / f.columns;
      const int column = node.index % f.columns;
      const std::optional<GridShift> shift = interpolateGridShift(*grid, (f.sLat + row * f.latInc) / 3600.0,
                                                                  -(f.eLong + column * f.longInc) / 3600.0);
      ASSERT_TRUE(shift) << node.index;
      EXPECT_NEAR(shift->longitudeShift, -static_cast<double>(node.lonShift), 1e-12) << node.index;
      EXPECT_NEAR(shift->latitudeShift, node.latShift, 1e-12) << node.index;
      EXPECT_NEAR(shift->latitudeAccuracy, node.latAccuracy, 1e-12) << node.index;
    }
  }
}

TEST(RealNtv2Files, RewrittenInEveryLayoutAndAsTextGiveTheSameShifts) {
  const std::string path = realPath("ntf_r93.gsb");
  ASSERT_TRUE(std::filesystem::exists(path)) << path << " is missing: install Debian's proj-data package";
  GridError error = -1;
  std::unique_ptr<GridFile> original = openBinaryGridFile(path, error);
  ASSERT_EQ(error, kGridOk);
  const GridImage image = gridImageFromFile(*original);
  TempDir dir;
  for (const bool bigEndian : {false, true}) {
    for (const bool padded : {false, true}) {
      const std::string file = dir.writeFile("r.gsb", encodeBinaryGrid(image, {bigEndian, padded, true}));
      std::unique_ptr<GridFile> copy = openBinaryGridFile(file, error);
      ASSERT_EQ(error, kGridOk);
      EXPECT_EQ(nodeValues(copy->subGrids()[0].shifts()), nodeValues(original->subGrids()[0].shifts()));
      EXPECT_EQ(nodeValues(copy->subGrids()[0].accuracies()),
                nodeValues(original->subGrids()[0].accuracies()));
      EXPECT_EQ(copy->subGrids()[0].latMin(), original->subGrids()[0].latMin());
    }
  }
  std::unique_ptr<GridFile> text = openGridFile(dir.writeFile("r.gsa", encodeAsciiGrid(image)));
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(nodeValues(text->subGrids()[0].shifts()), nodeValues(original->subGrids()[0].shifts()));
  EXPECT_EQ(nodeValues(text->subGrids()[0].accuracies()), nodeValues(original->subGrids()[0].accuracies()));

  // The file as read and written again is the same byte for byte.
  std::string bytes(static_cast<std::size_t>(std::filesystem::file_size(path)), '\0');
  std::unique_ptr<std::FILE, FileCloser> in(std::fopen(path.c_str(), "rb"));
  ASSERT_EQ(std::fread(bytes.data(), 1, bytes.size(), in.get()), bytes.size());
  EXPECT_TRUE(encodeBinaryGrid(image) == bytes);
}

TEST(RealNtv2Files, BinaryToTextToBinaryKeepsEveryNodeAndAccuracy) {
  TempDir dir;
  for (const RealFile& f : kRealFiles) {
    SCOPED_TRACE(f.file);
    GridError error = -1;
    std::unique_ptr<GridFile> original = openBinaryGridFile(realPath(f.file), error);
    ASSERT_EQ(error, kGridOk);
    const GridImage image = gridImageFromFile(*original);
    std::unique_ptr<GridFile> text = openGridFile(dir.writeFile("r.gsa", encodeAsciiGrid(image)), error);
    ASSERT_EQ(error, kGridOk);
    // Written as binary from the text, the file is the one written from the original.
    EXPECT_TRUE(encodeBinaryGrid(gridImageFromFile(*text)) == encodeBinaryGrid(image));
  }
}

}  // namespace
}  // namespace velmora
