// The files of a slot in order: the first whose sub-grids hold a point serves it, a margin band only
// when none does, and a file that is not open holds nothing.
#include "pipeline/grid_list.hpp"

#include <gtest/gtest.h>

#include <memory>

#include "tests/support/grid_images.hpp"
#include "tests/support/temp_dir.hpp"
#include "velmora/gridfile/grid_file.hpp"

namespace velmora {
namespace {

TEST(GridList, FirstFileHoldingThePointServesItAndMarginsComeLast) {
  TempDir folder;
  const NodeValues flat = shiftPlanes({1.0, 0.0, 0.0}, {0.0, 0.0, 0.0});
  folder.writeFile("national.gsb", encodeBinaryGrid(degreeGrid({-40.0, -25.0, 140.0, 155.0, 0.5}, flat)));
  folder.writeFile("north.gsb", encodeBinaryGrid(degreeGrid({-25.0, -24.0, 149.0, 151.0, 0.5}, flat)));
  const std::unique_ptr<GridFile> national = openGridFile(folder.filePath("national.gsb"));
  const std::unique_ptr<GridFile> north = openGridFile(folder.filePath("north.gsb"));
  ASSERT_TRUE(national && north);
  const GridFile* const files[] = {nullptr, national.get(), north.get()};
  struct Case {
    double latitude;
    double longitude;
    const GridFile* grid;
    std::uint8_t file;
    int locationClass;
  };
  const Case cases[] = {
      {-30.0, 150.0, national.get(), 1, kClassInterior},
      {-24.8, 150.0, north.get(), 2, kClassInterior},   // in the national margin, inside the next file
      {-24.8, 152.0, national.get(), 1, kClassMargin},  // in no file: the national margin
      {-20.0, 150.0, nullptr, 0, 0},                    // in no file or band
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.latitude);
    const ListMatch found = findInList(files, c.latitude, c.longitude);
    EXPECT_EQ(found.grid, c.grid);
    EXPECT_EQ(found.file, c.file);
    EXPECT_EQ(found.match.locationClass, c.locationClass);
  }
  EXPECT_TRUE(anyOpen(files));
  const GridFile* const none[] = {nullptr};
  EXPECT_FALSE(anyOpen(none));
}

}  // namespace
}  // namespace velmora
