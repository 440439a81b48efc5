#include "velmora/gridfile/grid_writer.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <system_error>

#include "gridfile/ascii_reader.hpp"
#include "gridfile/binary_reader.hpp"
#include "tests/support/grid_fixtures.hpp"

namespace velmora {
namespace {

GridImage imageWithHeaders() {
  GridImage image = parentWithChildGrid();
  image.version = "NTv2.0";
  image.systemF = "AGD 66";  // an inner blank: quoted in the text form
  image.systemT = "GDA94";
  image.majorF = 6378160.0;
  image.minorF = 6356774.719;
  image.majorT = 6378137.0;
  image.minorT = 6356752.31414;
  image.subGrids[0].created = "20240101";
  image.subGrids[1].updated = "";
  image.subGrids[1].sLat = 7200.123456789;  // not a whole number of spacings from N_LAT
  return image;
}

TEST(GridWriter, BinaryFileReadAndWrittenAgainIsByteIdentical) {
  TempDir dir;
  for (const bool bigEndian : {false, true}) {
    for (const bool padded : {false, true}) {
      const BinaryLayout layout{bigEndian, padded, true};
      const std::string bytes = encodeBinaryGrid(imageWithHeaders(), layout);
      GridError error = -1;
      std::unique_ptr<GridFile> grid = openBinaryGridFile(dir.writeFile("g.gsb", bytes), error);
      ASSERT_EQ(error, kGridOk);
      EXPECT_EQ(encodeBinaryGrid(gridImageFromFile(*grid), layout), bytes) << bigEndian << padded;
    }
  }
}

TEST(GridWriter, TextFormKeepsEveryValue) {
  GridImage image = imageWithHeaders();
  // Floats whose shortest text needs care: tiny, huge, subnormal and one-ulp neighbours.
  const float awkward[] = {0.1F,
                           1e-30F,
                           3.4028235e38F,
                           std::numeric_limits<float>::denorm_min(),
                           std::nextafter(1.0F, 2.0F),
                           -123.456F,
                           16777217.0F};
  for (std::size_t i = 0; i < std::size(awkward); ++i) {
    image.subGrids[0].nodes[i].latShift = awkward[i];
    image.subGrids[0].nodes[i].lonShift = -awkward[i];
    image.subGrids[0].nodes[i + 7].latAccuracy = awkward[i];
    image.subGrids[0].nodes[i + 7].lonAccuracy = -awkward[i];
  }
  TempDir dir;
  GridError error = -1;
  std::unique_ptr<GridFile> grid = openAsciiGridFile(dir.writeFile("g.gsa", encodeAsciiGrid(image)), error);
  ASSERT_EQ(error, kGridOk);
  EXPECT_EQ(grid->defects(), 0U);
  const GridImage back = gridImageFromFile(*grid);
  EXPECT_EQ(back.gsType, "SECONDS");
  EXPECT_EQ(back.systemF, "AGD 66");
  EXPECT_EQ(back.minorT, image.minorT);
  ASSERT_EQ(back.subGrids.size(), image.subGrids.size());
  for (std::size_t s = 0; s < image.subGrids.size(); ++s) {
    const SubGridImage& a = image.subGrids[s];
    const SubGridImage& b = back.subGrids[s];
    EXPECT_EQ(b.name, a.name);
    EXPECT_EQ(b.parent, a.parent);
    EXPECT_EQ(b.created, a.created);
    EXPECT_EQ(b.sLat, a.sLat);
    EXPECT_EQ(b.longInc, a.longInc);
    ASSERT_EQ(b.nodes.size(), a.nodes.size());
    for (std::size_t n = 0; n < a.nodes.size(); ++n) {
      EXPECT_EQ(b.nodes[n].latShift, a.nodes[n].latShift) << s << " " << n;
      EXPECT_EQ(b.nodes[n].lonShift, a.nodes[n].lonShift) << s << " " << n;
      EXPECT_EQ(b.nodes[n].latAccuracy, a.nodes[n].latAccuracy) << s << " " << n;
      EXPECT_EQ(b.nodes[n].lonAccuracy, a.nodes[n].lonAccuracy) << s << " " << n;
    }
  }
}

TEST(GridWriter, OverridesAndLayoutsShapeTheBytes) {
  GridImage image = planeGrid(parentPlaneSpec());
  image.numFile = 7;
  image.subGrids[0].gsCount = -2;
  const std::string padded = encodeBinaryGrid(image);
  const std::string bare = encodeBinaryGrid(image, {false, false, false});
  EXPECT_EQ(padded.size(), 176U + 176U + 25U * 16U + 16U);
  EXPECT_EQ(bare.size(), 164U + 172U + 25U * 16U);
  EXPECT_EQ(padded.substr(padded.size() - 16), std::string("END     ") + std::string(8, '\0'));
  EXPECT_EQ(padded[40], 7);
  EXPECT_EQ(padded.substr(176 + 160, 12), std::string("GS_COUNT\xFE\xFF\xFF\xFF", 12));
  const std::string text = encodeAsciiGrid(image);
  EXPECT_NE(text.find("NUM_FILE 7\n"), std::string::npos);
  EXPECT_NE(text.find("GS_COUNT -2\n"), std::string::npos);
}

TEST(GridWriter, WriteBytesToFileReportsFailure) {
  TempDir dir;
  EXPECT_TRUE(writeBytesToFile(dir.filePath("ok.bin"), std::string("a\0b", 3)));
  EXPECT_FALSE(writeBytesToFile(dir.filePath("no/such/folder/x.bin"), "x"));
  EXPECT_EQ(writeFileAtomically(dir.filePath("no/such/folder/x.bin"), "x"),
            std::errc::no_such_file_or_directory);
  // A folder is not replaced by a file.
  std::filesystem::create_directory(dir.filePath("folder"));
  EXPECT_EQ(writeFileAtomically(dir.filePath("folder"), "x"), std::errc::is_a_directory);
  EXPECT_EQ(writeFileAtomically(dir.filePath("folder/"), "x"), std::errc::is_a_directory);
  EXPECT_TRUE(std::filesystem::is_directory(dir.filePath("folder")));
}

// The new bytes replace the old whole: the permission bits stay, a link keeps pointing at the file
// it named, which gets the bytes, and no other file is left in the folder.
TEST(GridWriter, WriteFileAtomicallyReplacesTheFileAndKeepsItsModeAndLinks) {
  namespace fs = std::filesystem;
  TempDir dir;
  const std::string target = dir.writeFile("grid.gsb", "old bytes, longer than the new ones");
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  fs::create_symlink("grid.gsb", dir.filePath("link.gsb"));

  ASSERT_FALSE(writeFileAtomically(dir.filePath("link.gsb"), "new"));
  EXPECT_TRUE(fs::is_symlink(dir.filePath("link.gsb")));
  EXPECT_EQ(fs::file_size(target), 3U);
  EXPECT_EQ(fs::status(target).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir.path())) ++files;
  EXPECT_EQ(files, 2U);
}

// A link is followed to the end of its chain whether the file there exists or not, as a shell's
// ">" follows it; links in a loop are refused and left as they are.
TEST(GridWriter, WriteFileAtomicallyWritesThroughDanglingLinksAndRefusesALoop) {
  namespace fs = std::filesystem;
  TempDir dir;
  fs::create_directory(dir.filePath("sub"));
  fs::create_symlink("sub/new.gsb", dir.filePath("dangling.gsb"));
  fs::create_symlink("../chained.gsb", dir.filePath("sub/up.gsb"));  // from the link's folder
  fs::create_symlink("sub/up.gsb", dir.filePath("chain.gsb"));
  fs::create_symlink("loop-b.gsb", dir.filePath("loop-a.gsb"));
  fs::create_symlink("loop-a.gsb", dir.filePath("loop-b.gsb"));
  const struct {
    const char* name;
    const char* written;
  } cases[] = {{"dangling.gsb", "sub/new.gsb"}, {"chain.gsb", "chained.gsb"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_FALSE(writeFileAtomically(dir.filePath(c.name), "new"));
    EXPECT_TRUE(fs::is_symlink(dir.filePath(c.name)));
    EXPECT_EQ(fs::file_size(dir.filePath(c.written)), 3U);
  }
  EXPECT_EQ(writeFileAtomically(dir.filePath("loop-a.gsb"), "x"), std::errc::too_many_symbolic_link_levels);
  EXPECT_EQ(fs::read_symlink(dir.filePath("loop-a.gsb")), "loop-b.gsb");
}

}  // namespace
}  // namespace velmora
