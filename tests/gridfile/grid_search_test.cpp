#include "velmora/gridfile/grid_search.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "gridfile/binary_reader.hpp"
#include "tests/support/grid_fixtures.hpp"

namespace velmora {
namespace {

constexpr double kToleranceSeconds = 1e-9;  // arc-seconds; plane values are exact in float32

std::unique_ptr<GridFile> openImage(const TempDir& dir, const GridImage& image,
                                    std::string_view name = "g.gsb") {
  std::unique_ptr<GridFile> grid = openGridFile(writeGridFile(dir, name, image));
  EXPECT_NE(grid, nullptr);
  return grid;
}

struct Expected {
  const PlaneSpec* plane;
  int locationClass;
  double row;
  double column;
  double scale;  // margin fade: the edge value times this
};

void expectShift(const GridFile& grid, double lon, double lat, const Expected& e, double toSeconds = 1.0,
                 bool hasAccuracies = true) {
  const SubGridMatch match = findSubGrid(grid, lon, lat);
  ASSERT_NE(match.subGrid, nullptr);
  EXPECT_EQ(match.subGrid->name().substr(0, e.plane->name.size()), e.plane->name);
  EXPECT_EQ(match.locationClass, e.locationClass);
  const std::optional<GridShift> shift = interpolateGridShift(grid, lat, lon);
  ASSERT_TRUE(shift);
  EXPECT_EQ(shift->match.subGrid, match.subGrid);
  const double k = e.scale * toSeconds;
  // Longitudes come out positive east, the opposite of the stored sign; the accuracy follows it.
  EXPECT_NEAR(shift->longitudeShift, -k * e.plane->lonShift.at(e.row, e.column), kToleranceSeconds);
  EXPECT_NEAR(shift->latitudeShift, k * e.plane->latShift.at(e.row, e.column), kToleranceSeconds);
  EXPECT_NEAR(shift->longitudeAccuracy, hasAccuracies ? -k * e.plane->lonAccuracy.at(e.row, e.column) : 0.0,
              kToleranceSeconds);
  EXPECT_NEAR(shift->latitudeAccuracy, hasAccuracies ? k * e.plane->latAccuracy.at(e.row, e.column) : 0.0,
              kToleranceSeconds);
}

TEST(GridSearch, LocationClassesOfParentAndChild) {
  const PlaneSpec p = parentPlaneSpec();  // 0..4 N, 0..4 E, 1-degree nodes; column = 4 - lon
  const PlaneSpec c = childPlaneSpec();   // 2..4 N, 1..3 E, 0.5-degree nodes; column = (3 - lon) / 0.5
  struct Case {
    const char* what;
    double lon;
    double lat;
    Expected expected;
  };
  const Case cases[] = {
      {"interior", 0.5, 0.5, {&p, 1, 0.5, 3.5, 1.0}},
      {"on a node", 2.0, 1.0, {&p, 1, 1.0, 2.0, 1.0}},
      {"southern edge is interior", 0.5, 0.0, {&p, 1, 0.0, 3.5, 1.0}},
      {"eastern edge is interior", 4.0, 1.5, {&p, 1, 1.5, 0.0, 1.0}},
      {"northern edge", 0.5, 4.0, {&p, 2, 4.0, 3.5, 1.0}},
      {"western edge", 0.0, 1.5, {&p, 3, 1.5, 4.0, 1.0}},
      {"north-western corner", 0.0, 4.0, {&p, 4, 4.0, 4.0, 1.0}},
      {"inside the child", 1.75, 2.75, {&c, 1, 1.5, 2.5, 1.0}},
      {"northern edge shared with the child", 2.0, 4.0, {&c, 2, 4.0, 2.0, 1.0}},
      {"child's western edge", 1.0, 3.0, {&c, 3, 2.0, 4.0, 1.0}},
      {"child's north-western corner", 1.0, 4.0, {&c, 4, 4.0, 4.0, 1.0}},
      {"child's southern edge", 2.25, 2.0, {&c, 1, 0.0, 1.5, 1.0}},
      {"child's eastern edge", 3.0, 2.5, {&c, 1, 1.0, 0.0, 1.0}},
      {"margin east, half a spacing", 4.5, 1.0, {&p, 5, 1.0, 0.0, 0.5}},
      {"margin west, a quarter spacing", -0.25, 1.5, {&p, 5, 1.5, 4.0, 0.75}},
      {"margin south", 2.5, -0.5, {&p, 5, 0.0, 1.5, 0.5}},
      {"margin north is never refined", 2.0, 4.25, {&p, 5, 4.0, 2.0, 0.75}},
      {"margin south-east corner", 4.5, -0.5, {&p, 5, 0.0, 0.0, 0.25}},
      {"a hair east of the eastern edge", std::nextafter(4.0, 5.0), 1.0, {&p, 1, 1.0, 0.0, 1.0}},
      {"a hair south of the northern edge", 0.5, std::nextafter(4.0, 0.0), {&p, 2, 4.0, 3.5, 1.0}},
      {"beyond the tolerance", 4.0 + 1e-9, 1.0, {&p, 5, 1.0, 0.0, 1.0 - 1e-9}},
  };
  TempDir dir;
  for (const char* name : {"g.gsb", "g.gsa"}) {
    std::unique_ptr<GridFile> grid = openImage(dir, parentWithChildGrid(), name);
    ASSERT_NE(grid, nullptr);
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.what) + " in " + name);
      expectShift(*grid, c.lon, c.lat, c.expected);
    }
  }
}

TEST(GridSearch, PointsOutsideLeaveTheOutputsAlone) {
  TempDir dir;
  std::unique_ptr<GridFile> grid = openImage(dir, parentWithChildGrid());
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const std::array<std::array<double, 2>, 7> points = {
      {{5.0, 1.0}, {1.0, -1.0}, {100.0, 100.0}, {nan, 1.0}, {1.0, nan}, {inf, 4.0}, {0.0, -inf}}};
  for (const auto& p : points) {
    EXPECT_EQ(findSubGrid(*grid, p[0], p[1]).locationClass, 0) << p[0] << " " << p[1];
    EXPECT_FALSE(interpolateGridShift(*grid, p[1], p[0]));
    EXPECT_EQ(interpolateGridValue(*grid, p[1], p[0]).status, GridValueStatus::kOutside);
  }
}

PlaneSpec degreeSpec(std::string name, double west, double east, double south, double north) {
  PlaneSpec plane;
  plane.name = std::move(name);
  plane.sLat = south * 3600.0;
  plane.nLat = north * 3600.0;
  plane.eLong = -east * 3600.0;
  plane.wLong = -west * 3600.0;
  plane.latInc = 3600.0;
  plane.longInc = 3600.0;
  plane.latShift = {10.0, 1.0, 2.0};
  plane.lonShift = {-5.0, 0.5, 0.25};
  return plane;
}

TEST(GridSearch, MarginsOfTwoTopLevelGridsGoToTheFirstListed) {
  PlaneSpec a = degreeSpec("A", 0.0, 1.0, 0.0, 1.0);
  PlaneSpec b = degreeSpec("B", 2.0, 3.0, 0.0, 1.0);
  b.latShift.base = 20.0;
  TempDir dir;
  GridImage ab = planeGrid(a);
  ab.subGrids.push_back(planeSubGrid(b));
  GridImage ba = planeGrid(b);
  ba.subGrids.push_back(planeSubGrid(a));
  expectShift(*openImage(dir, ab), 1.5, 0.5, {&a, 5, 0.5, 0.0, 0.5}, 1.0, false);
  expectShift(*openImage(dir, ba), 1.5, 0.5, {&b, 5, 0.5, 1.0, 0.5}, 1.0, false);
}

TEST(GridSearch, TiesGoToTheFirstTopLevelButToTheLastSibling) {
  // Two top-level grids and two children with the same bounds; the later ones hold other values.
  PlaneSpec top1 = degreeSpec("TOP1", 0.0, 4.0, 0.0, 4.0);
  PlaneSpec top2 = top1;
  top2.name = "TOP2";
  top2.latShift.base = 30.0;
  PlaneSpec kid1 = degreeSpec("KID1", 1.0, 2.0, 1.0, 2.0);
  kid1.parent = "TOP1";
  kid1.latShift.base = 50.0;
  PlaneSpec kid2 = kid1;
  kid2.name = "KID2";
  kid2.latShift.base = 70.0;
  GridImage image = planeGrid(top1);
  for (const PlaneSpec* plane : {&top2, &kid1, &kid2}) image.subGrids.push_back(planeSubGrid(*plane));
  TempDir dir;
  std::unique_ptr<GridFile> grid = openImage(dir, image);
  expectShift(*grid, 3.5, 4.0, {&top1, 2, 4.0, 0.5, 1.0}, 1.0, false);  // top level: first of a tie
  expectShift(*grid, 1.5, 2.0, {&kid2, 2, 1.0, 0.5, 1.0}, 1.0, false);  // siblings: last of a tie
  expectShift(*grid, 1.0, 2.0, {&kid2, 4, 1.0, 1.0, 1.0}, 1.0, false);
  expectShift(*grid, 1.5, 1.5, {&kid1, 1, 0.5, 0.5, 1.0}, 1.0, false);  // interior stops the scan
}

TEST(GridSearch, AnEdgeOfOneTopLevelGridGivesWayToTheInteriorOfALaterOne) {
  PlaneSpec west = degreeSpec("WEST", 0.0, 1.0, 0.0, 1.0);
  PlaneSpec east = degreeSpec("EAST", 1.0, 2.0, 0.0, 1.0);
  east.latShift.base = 40.0;
  GridImage image = planeGrid(east);
  image.subGrids.push_back(planeSubGrid(west));
  TempDir dir;
  std::unique_ptr<GridFile> grid = openImage(dir, image);
  // x = 1 is EAST's western edge (class 3) and WEST's eastern edge (interior).
  expectShift(*grid, 1.0, 0.5, {&west, 1, 0.5, 0.0, 1.0}, 1.0, false);
}

TEST(GridSearch, NarrowAndRaggedSubGridsReadOnlyTheirOwnNodes) {
  TempDir dir;
  // One row of three nodes: the northern bound lies 1000" north of the row, less than half a spacing.
  PlaneSpec row = degreeSpec("ROW", 0.0, 2.0, 0.0, 1000.0 / 3600.0);
  std::unique_ptr<GridFile> grid = openImage(dir, planeGrid(row));
  ASSERT_EQ(grid->subGrids()[0].rows(), 1);
  expectShift(*grid, 0.5, 0.1, {&row, 1, 0.0, 1.5, 1.0});
  expectShift(*grid, 1.5, 1000.0 / 3600.0, {&row, 2, 0.0, 0.5, 1.0});
  expectShift(*grid, 0.0, 0.1, {&row, 3, 0.0, 2.0, 1.0});
  expectShift(*grid, 1.0, -0.5, {&row, 5, 0.0, 1.0, 0.5});
  EXPECT_TRUE(interpolateGridShift(*grid, 1000.0 / 3600.0 + 0.5, 1.0));  // north margin of a single row

  // One column of three nodes.
  PlaneSpec column = degreeSpec("COLUMN", 0.0, 200.0 / 3600.0, 0.0, 2.0);
  grid = openImage(dir, planeGrid(column));
  ASSERT_EQ(grid->subGrids()[0].columns(), 1);
  expectShift(*grid, 0.02, 0.5, {&column, 1, 0.5, 0.0, 1.0});
  expectShift(*grid, 200.0 / 3600.0 + 0.5, 1.0, {&column, 5, 1.0, 0.0, 0.5});

  // 2.3 spacings from south to north: three rows, the last 0.3 spacing short of the bound.
  PlaneSpec ragged = degreeSpec("RAGGED", 0.0, 2.0, 0.0, 2.3);
  grid = openImage(dir, planeGrid(ragged));
  ASSERT_EQ(grid->subGrids()[0].rows(), 3);
  expectShift(*grid, 0.5, 2.2, {&ragged, 1, 2.0, 1.5, 1.0});
  expectShift(*grid, 0.5, 2.3, {&ragged, 2, 2.0, 1.5, 1.0});
}

TEST(GridSearch, NorthernEdgeReadsTheLastRowWhenRoundingFallsShortOfIt) {
  // (0.3 - 0.1) / 0.1 is 1.9999999999999998 in doubles: the edge must still read row 2, not row 1.
  PlaneSpec plane;
  plane.name = "ROUND";
  plane.sLat = 0.1;
  plane.nLat = 0.3;
  plane.eLong = -0.2;
  plane.wLong = 0.0;
  plane.latInc = 0.1;
  plane.longInc = 0.1;
  plane.latShift = {0.0, 0.25, 0.125};
  plane.lonShift = {0.0, 0.5, 0.0};
  TempDir dir;
  std::unique_ptr<GridFile> grid = openImage(dir, planeGrid(plane, "DEGREES"));
  ASSERT_EQ(grid->subGrids()[0].rows(), 3);
  expectShift(*grid, 0.05, 0.3, {&plane, 2, 2.0, 1.5, 1.0}, 3600.0);
  expectShift(*grid, 0.0, 0.3, {&plane, 4, 2.0, 2.0, 1.0}, 3600.0);
}

TEST(GridSearch, MinutesAreScaledToSeconds) {
  PlaneSpec plane = degreeSpec("MIN", 0.0, 2.0, 0.0, 2.0);
  for (double* v : {&plane.sLat, &plane.nLat, &plane.eLong, &plane.wLong, &plane.latInc, &plane.longInc})
    *v /= 60.0;
  TempDir dir;
  std::unique_ptr<GridFile> grid = openImage(dir, planeGrid(plane, "minutes"));
  expectShift(*grid, 0.5, 1.25, {&plane, 1, 1.25, 1.5, 1.0}, 60.0);
}

TEST(InterpolateGridValue, ValueAndNoData) {
  PlaneSpec plane = degreeSpec("GEOID", 0.0, 2.0, 0.0, 2.0);
  plane.latShift = {20.0, 1.0, 0.0};  // 20 m in the southern row, 22 m in the northern
  GridImage image = planeGrid(plane);
  image.subGrids[0].nodes[0].latShift = -999.0F;  // south-eastern node: no data
  TempDir dir;
  std::unique_ptr<GridFile> grid = openImage(dir, image);
  const GridValue inside = interpolateGridValue(*grid, 1.5, 0.5);
  ASSERT_EQ(inside.status, GridValueStatus::kFound);
  EXPECT_NEAR(inside.value, 21.5, 1e-12);
  EXPECT_EQ(inside.match.subGrid, &grid->subGrids()[0]);
  const GridValue noData = interpolateGridValue(*grid, 0.0, 2.0);  // on the -999 node
  EXPECT_EQ(noData.status, GridValueStatus::kNoData);
  EXPECT_EQ(noData.value, 0.0);
  // -998 itself is no data; a value just above it is data.
  image.subGrids[0].nodes[0].latShift = -998.0F;
  grid = openImage(dir, image);
  EXPECT_EQ(interpolateGridValue(*grid, 0.0, 2.0).status, GridValueStatus::kNoData);
  image.subGrids[0].nodes[0].latShift = -997.5F;
  grid = openImage(dir, image);
  EXPECT_EQ(interpolateGridValue(*grid, 0.0, 2.0).value, -997.5);
}

}  // namespace
}  // namespace velmora
