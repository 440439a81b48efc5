// The search through the index of a long top-level list gives every point the sub-grid and class
// the search promises: an interior, else the best edge class (the first listed of a tie), else the
// first listed margin. Two oracles that do not go through the index: touching tiles with answers
// worked out by hand on and around their edges (which judge the edge tests too), and random layouts
// of a few hundred overlapping, touching and separate sub-grids checked against a brute force that
// asks each sub-grid alone (a file of one sub-grid, searched without an index) and keeps the lowest
// class, the first listed of a tie.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "gridfile/grid_builder.hpp"
#include "tests/support/grid_fixtures.hpp"
#include "velmora/gridfile/grid_search.hpp"

namespace velmora {
namespace {

constexpr double kEdgeTolerance = 8.881784197001252e-16;  // 2^-50, relative; places test points only

struct Bounds {
  double lonMin, lonMax, latMin, latMax, lonInc, latInc;
};

// Top-level sub-grids without nodes or children (the search reads only bounds at the top level),
// linked and indexed by the hierarchy check as a reader leaves them.
std::unique_ptr<GridFile> gridOf(const std::vector<Bounds>& all) {
  auto grid = std::make_unique<GridFile>();
  GridFileFields& fields = GridFileBuilder::fields(*grid);
  fields.subGridCount = static_cast<int>(all.size());
  for (const Bounds& b : all) {
    SubGridFields& sub = GridFileBuilder::fields(fields.subGrids.emplace_back());
    char name[16];
    std::snprintf(name, sizeof name, "G%-7zu", fields.subGrids.size());
    sub.name = name;
    sub.parentName = "NONE    ";
    sub.inUse = true;
    sub.index = static_cast<int>(fields.subGrids.size()) - 1;
    sub.rows = sub.columns = 1;
    sub.lonMin = b.lonMin;
    sub.lonMax = b.lonMax;
    sub.latMin = b.latMin;
    sub.latMax = b.latMax;
    sub.lonInc = b.lonInc;
    sub.latInc = b.latInc;
  }
  EXPECT_EQ(checkGridHierarchy(*grid), kGridOk);
  return grid;
}

// Bounds on a 0.25-degree lattice near 170 E 40 S, so that edges coincide, overlap and leave gaps;
// some nudged by a few ulps, some copies of earlier ones, and a few extreme ones.
std::vector<Bounds> randomLayout(std::mt19937_64& random, int count) {
  std::uniform_int_distribution<int> corner(0, 60);
  std::uniform_int_distribution<int> size(1, 8);
  std::uniform_int_distribution<int> kind(0, 19);
  const std::array<double, 4> spacings{0.25, 0.125, 0.5, 1.0};
  std::vector<Bounds> all;
  while (static_cast<int>(all.size()) < count) {
    const int k = kind(random);
    if (k == 0 && !all.empty()) {
      all.push_back(all[std::uniform_int_distribution<std::size_t>(0, all.size() - 1)(random)]);
      continue;
    }
    Bounds b{};
    b.lonMin = 160.0 + 0.25 * corner(random);
    b.lonMax = b.lonMin + 0.25 * size(random);
    b.latMin = -50.0 + 0.25 * corner(random);
    b.latMax = b.latMin + 0.25 * size(random);
    b.lonInc = spacings[static_cast<std::size_t>(kind(random)) % spacings.size()];
    b.latInc = spacings[static_cast<std::size_t>(kind(random)) % spacings.size()];
    if (k == 1) b.lonMax = std::nextafter(std::nextafter(b.lonMax, 0.0), 0.0);
    if (k == 2) b.latMin = std::nextafter(b.latMin, 0.0);
    if (k == 3) b.lonInc = b.latInc = 1e-12;  // margins narrower than the tolerance's reach elsewhere
    all.push_back(b);
  }
  // Bounds and margins at the ends of the double range, where the edge tolerance overflows and
  // accepts distant points, and one just inside the range the index looks up.
  all[7] = {-1e308, 1e308, -31.0, -30.0, 1e308, 1.0};
  all[11] = {170.0, 171.0, -45.0, -44.0, 1e308, 0.5};
  all[13] = {1.7e308, 1.79e308, -31.0, -30.0, 1.0, 1.0};
  all[17] = {1e307, 1.1e307, -36.0, -35.0, 1e300, 1.0};
  all[19] = {170.0, 171.0, 1.7e308, 1.79e308, 1.0, 1.0};
  return all;
}

// Values of one coordinate around a bound: exact, a few ulps off, at the tolerance's reach.
std::vector<double> around(double v) {
  const double reach = (std::fabs(v) + 1.0) * kEdgeTolerance;
  std::vector<double> values{v, std::nextafter(v, -INFINITY), std::nextafter(v, INFINITY)};
  for (const double f : {0.5, 0.99, 1.01, 2.0}) {
    values.push_back(v - f * reach);
    values.push_back(v + f * reach);
  }
  return values;
}

// Each top-level sub-grid in a file of its own, below the size that gets an index.
std::vector<std::unique_ptr<GridFile>> eachAlone(const std::vector<Bounds>& layout) {
  std::vector<std::unique_ptr<GridFile>> alone;
  for (const Bounds& b : layout) {
    alone.push_back(gridOf({b}));
    EXPECT_EQ(GridFileBuilder::topLevelIndex(*alone.back()), nullptr);
  }
  return alone;
}

void expectSameAsBruteForce(const GridFile& grid, const std::vector<std::unique_ptr<GridFile>>& alone,
                            double x, double y, int& failures) {
  int position = -1;
  int best = 0;
  for (std::size_t i = 0; i < alone.size(); ++i) {
    const int locationClass = findSubGrid(*alone[i], x, y).locationClass;
    if (locationClass != 0 && (best == 0 || locationClass < best)) {
      position = static_cast<int>(i);
      best = locationClass;
    }
  }
  const SubGridMatch indexed = findSubGrid(grid, x, y);
  const int indexedPosition = indexed.subGrid ? indexed.subGrid->index() : -1;
  if (indexedPosition == position && indexed.locationClass == best) return;
  if (++failures > 10) return;
  ADD_FAILURE() << "at x " << std::hexfloat << x << " y " << y << ": index gives " << indexedPosition
                << " class " << indexed.locationClass << ", brute force " << position << " class " << best;
}

TEST(TopLevelIndex, FindsWhatEachSubGridAloneGives) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  for (const unsigned seed : {1U, 2U, 3U}) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937_64 random(seed);
    const std::vector<Bounds> layout = randomLayout(random, 300);
    const std::unique_ptr<GridFile> grid = gridOf(layout);
    ASSERT_NE(GridFileBuilder::topLevelIndex(*grid), nullptr);
    const std::vector<std::unique_ptr<GridFile>> alone = eachAlone(layout);
    int failures = 0;

    // Every edge, margin limit and middle of some sub-grids, each coordinate also nudged.
    for (std::size_t i = 0; i < layout.size(); i += 10) {
      const Bounds& b = layout[i];
      std::vector<double> xs;
      std::vector<double> ys;
      for (const double v : {b.lonMin, b.lonMax, b.lonMin - b.lonInc, b.lonMax + b.lonInc}) {
        for (const double a : around(v)) xs.push_back(a);
      }
      for (const double v : {b.latMin, b.latMax, b.latMin - b.latInc, b.latMax + b.latInc}) {
        for (const double a : around(v)) ys.push_back(a);
      }
      xs.push_back(0.5 * (b.lonMin + b.lonMax));
      ys.push_back(0.5 * (b.latMin + b.latMax));
      for (const double x : xs) {
        for (const double y : ys) expectSameAsBruteForce(*grid, alone, x, y, failures);
      }
    }
    // Lattice points (shared edges and corners) and points anywhere, over the layout and beyond.
    for (int i = -4; i <= 280; ++i) {
      for (int j = -4; j <= 280; j += 3)
        expectSameAsBruteForce(*grid, alone, 159.0 + 0.0625 * i, -51.0 + 0.0625 * j, failures);
    }
    std::uniform_real_distribution<double> lon(158.0, 180.0);
    std::uniform_real_distribution<double> lat(-52.0, -30.0);
    for (int n = 0; n < 20000; ++n) expectSameAsBruteForce(*grid, alone, lon(random), lat(random), failures);
    // Not numbers, infinities, and coordinates beyond and within the range of the index.
    for (const double x : {kNaN, kInf, -kInf, 1.75e308, -1.75e308, 1e307, -1e307, 170.5, 0.0}) {
      for (const double y :
           {kNaN, kInf, -kInf, 1.75e308, -1.75e308, 1e307, -1e307, -44.5, -35.5, -30.5, -30.0}) {
        expectSameAsBruteForce(*grid, alone, x, y, failures);
      }
    }
    EXPECT_EQ(failures, 0);
  }
}

// A sub-grid holds west < lon <= east and south <= lat < north as its interior (class 1); its
// northern edge, western edge and north-western corner are classes 2, 3 and 4, and a point within
// one spacing outside it (strictly) is in its margin, class 5. Edges within 2^-50 relative count.
TEST(TopLevelIndex, TouchingTilesGiveTheAnswersWorkedOutByHand) {
  // 3 x 4 touching tiles of one degree, 0.5-degree spacing, in file order row by row: tile
  // T(4 row + column) spans lat -40 + row .. -39 + row, lon 170 + column .. 171 + column.
  GridImage image;
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 4; ++column) {
      const DegreeArea area{.south = -40.0 + row,
                            .north = -39.0 + row,
                            .west = 170.0 + column,
                            .east = 171.0 + column,
                            .spacing = 0.5};
      image.subGrids.push_back(degreeSubGrid(
          area, [](const DegreeNode&) { return GridNode{}; }, "T" + std::to_string(row * 4 + column)));
    }
  }
  const struct {
    double lon;
    double lat;
    int tile;  // -1: none
    int locationClass;
    const char* why;
  } cases[] = {
      {170.5, -39.5, 0, 1, "inside T0"},
      {171.0, -39.5, 0, 1, "meridian of T0 and T1: the eastern edge belongs to T0's interior"},
      {170.5, -39.0, 4, 1, "parallel of T0 and T4: the southern edge belongs to T4's interior"},
      {171.0, -39.0, 4, 1, "corner of T0, T1, T4 and T5: T4's south-eastern corner"},
      {172.0, -40.0, 1, 1, "outer southern edge on the meridian of T1 and T2"},
      {174.0, -39.5, 3, 1, "outer eastern edge"},
      {170.0, -39.5, 0, 3, "outer western edge"},
      {170.0, -38.0, 8, 3, "western edge of T8 beats the north-western corner of T4"},
      {170.5, -37.0, 8, 2, "outer northern edge"},
      {174.0, -37.0, 11, 2, "north-eastern corner of the whole"},
      {170.0, -37.0, 8, 4, "north-western corner of the whole"},
      {171.0000000000001, -39.5, 0, 1, "4 ulps east of T0's eastern edge: on it"},
      {171.000000000001, -39.5, 1, 1, "1e-12 east of T0's eastern edge: in T1"},
      {170.5, -37.00000000000001, 8, 2, "2 ulps south of the northern edge: on it"},
      {170.5, -36.99999999999999, 8, 2, "2 ulps north of the northern edge: on it"},
      {170.5, -37.000000000001, 8, 1, "1e-12 south of the northern edge: inside"},
      {174.25, -39.5, 3, 5, "half a spacing east of T3"},
      {174.25, -39.0, 3, 5, "margins of T3 and T7 meet: the first listed"},
      {169.75, -37.25, 8, 5, "half a spacing west of T8"},
      {174.5, -39.5, -1, 0, "a whole spacing east: past the margin"},
      {170.5, -40.5, -1, 0, "a whole spacing south: past the margin"},
      {std::numeric_limits<double>::quiet_NaN(), -39.5, -1, 0, "not a number"},
  };
  TempDir dir;
  for (const char* name : {"tiles.gsb", "tiles.gsa"}) {
    SCOPED_TRACE(name);
    const std::unique_ptr<GridFile> grid = openGridFile(writeGridFile(dir, name, image));
    ASSERT_NE(grid, nullptr);
    ASSERT_NE(GridFileBuilder::topLevelIndex(*grid), nullptr);
    for (const auto& c : cases) {
      const SubGridMatch match = findSubGrid(*grid, c.lon, c.lat);
      EXPECT_EQ(match.subGrid ? match.subGrid->index() : -1, c.tile) << c.why;
      EXPECT_EQ(match.locationClass, c.locationClass) << c.why;
    }
  }
}

}  // namespace
}  // namespace velmora
