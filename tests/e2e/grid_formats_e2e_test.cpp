// One national grid in two formats: a synthetic GDA94 -> GDA2020 grid written as NTv2 and turned
// into PROJ's GeoTIFF by velmora-grid convert gives the program the same bytes, whether it finds
// the .tif under its PROJ-data name or is handed it with --grid, and the shifts PROJ's cct reads
// from the same GeoTIFF.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "tests/e2e/velmora_folder.hpp"
#include "tests/support/grid_images.hpp"
#include "velmora/gridfile/grid_file.hpp"
#include "velmora/gridfile/grid_writer.hpp"

namespace velmora::testing {
namespace {

const std::string kVelmoraGridBinary = VELMORA_GRID_PATH;

// Shifts that vary from node to node, not along planes, so that the interpolation is exercised:
// about 1.8 arc-seconds north and 1.0 east, as GDA94 to GDA2020 moves a point.
NodeValues wavyShifts(double base) {
  return [base](const DegreeNode& node) {
    GridNode values;
    values.latShift = static_cast<float>(base + 0.01 * node.row + 0.003 * (node.column % 7));
    values.lonShift = static_cast<float>(-(1.0 - 0.002 * node.column + 0.005 * (node.row % 5)));
    return values;
  };
}

// The eastern area at half a degree, with a finer child over Sydney at an eighth of a degree.
std::string nationalGrid() {
  GridImage image;
  image.subGrids.push_back(degreeSubGrid(kEasternArea, wavyShifts(1.8), "EAST"));
  const DegreeArea sydney{.south = -34.5, .north = -33.0, .west = 150.0, .east = 151.5, .spacing = 0.125};
  image.subGrids.push_back(degreeSubGrid(sydney, wavyShifts(1.9), "SYDNEY", "EAST"));
  return encodeBinaryGrid(image);
}

// 100,000 points spread over the grid and beyond its edges, from a fixed linear congruential
// sequence.
std::string pointsFile() {
  std::string text;
  std::uint64_t state = 12345;
  const auto next = [&state] {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(state >> 11) / 9007199254740992.0;  // [0, 1)
  };
  for (int k = 0; k < 100000; ++k) {
    const double latitude = -41.0 + 17.0 * next();
    const double longitude = 139.0 + 17.0 * next();
    text += std::to_string(latitude) + "," + std::to_string(longitude) + "\n";
  }
  return text;
}

TEST(GridFormatsE2e, AGeoTiffMadeByConvertGivesTheBytesOfItsNtv2Source) {
  if (gridFormatsRead().find(".tif") == std::string_view::npos) GTEST_SKIP() << "built without libtiff";
  const std::string grid = nationalGrid();
  const std::string points = pointsFile();

  VelmoraFolder ntv2;
  ntv2.writeBesideProgram("GDA2020_Australia.gsb", grid);
  ntv2.writeInWorkFolder("points.csv", points);

  VelmoraFolder geoTiff;
  geoTiff.writeInWorkFolder("national.gsb", grid);
  geoTiff.writeInWorkFolder("points.csv", points);
  const std::string tif = geoTiff.programFolder() + "au_icsm_GDA94_GDA2020_conformal.tif";
  const ProcessResult converted =
      runProcess(kVelmoraGridBinary, {"velmora-grid", "convert", geoTiff.workFolder() + "/national.gsb", tif});
  ASSERT_EQ(converted.status, 0) << converted.standardError;

  const std::vector<std::string> run{"--useGridShift", "--fromDatum", "GDA94", "--toDatum", "GDA2020",
                                     "--inputFile", "points.csv"};
  const ProcessResult fromNtv2 = ntv2.run(run);
  const ProcessResult byName = geoTiff.run(run);
  const ProcessResult byOption = geoTiff.run(with({"--grid", "GDA2020=" + tif}, run));
  ASSERT_EQ(fromNtv2.status, 0) << fromNtv2.standardError;
  EXPECT_EQ(std::count(fromNtv2.standardOutput.begin(), fromNtv2.standardOutput.end(), '\n'), 100000);
  EXPECT_TRUE(fromNtv2.standardOutput == byName.standardOutput) << "the .tif found by its PROJ-data name differs";
  EXPECT_TRUE(fromNtv2.standardOutput == byOption.standardOutput) << "the .tif given with --grid differs";

  // Independent derivation: PROJ 9.1 `cct -d 10 -z 0 -t 0 +proj=hgridshift +grids=FILE.tif` on the
  // GeoTIFF written here, and the same digits on its .gsb source, in the child and the parent
  // sub-grid: 151.2002767222 -33.8494557778,
  // 150.0627720833 -34.4369670833, 145.3002720000 -30.6994438333, 140.1002615000 -39.8994979444.
  geoTiff.writeInWorkFolder("cct.csv", "-33.85,151.2\n-34.4375,150.0625\n-30.7,145.3\n-39.9,140.1\n");
  expectRun(geoTiff.run({"--useGridShift", "--fromDatum", "GDA94", "--toDatum", "GDA2020", "--inputFile",
                         "cct.csv"}),
            {0,
             "-33.84945578,151.20027672,0.000\n"
             "-34.43696708,150.06277208,0.000\n"
             "-30.69944383,145.30027200,0.000\n"
             "-39.89949794,140.10026150,0.000\n",
             ""});
}

}  // namespace
}  // namespace velmora::testing
