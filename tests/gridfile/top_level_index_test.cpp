// The search through the index of a long top-level list against a plain walk of that list, written
// out here: the same sub-grid and the same class for every point, on random layouts of a few
// hundred overlapping, touching and separate sub-grids and on points at their edges, corners and
// margin limits, a few ulps either side and at the reach of the edge tolerance.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "gridfile/grid_builder.hpp"
#include "tests/support/grid_fixtures.hpp"
#include "velmora/gridfile/grid_search.hpp"

namespace velmora {
namespace {

// The walk: interior wins at once, then the best edge class (the first of a tie), then the first
// margin. Edge tests with a relative tolerance of 2^-50.
namespace walk {

constexpr double kTolerance = 8.881784197001252e-16;

bool near(double a, double b) {
  return a == b || std::fabs(a - b) <= ((std::fabs(a) + std::fabs(b)) * 0.5 + 1.0) * kTolerance;
}
bool belowOrNear(double a, double b) {
  return a < b || near(a, b);
}
bool clearlyBelow(double a, double b) {
  return a < b && !near(a, b);
}

int rectangleClass(const SubGrid& g, double x, double y) {
  const bool insideRows = belowOrNear(g.latMin(), y) && clearlyBelow(y, g.latMax());
  const bool onNorthEdge = near(y, g.latMax());
  if (clearlyBelow(g.lonMin(), x) && belowOrNear(x, g.lonMax())) {
    if (insideRows) return kClassInterior;
    if (onNorthEdge) return kClassNorthernEdge;
  } else if (near(x, g.lonMin())) {
    if (insideRows) return kClassWesternEdge;
    if (onNorthEdge) return kClassNorthWestCorner;
  }
  return 0;
}

bool inMargin(const SubGrid& g, double x, double y) {
  return clearlyBelow(g.lonMin() - g.lonInc(), x) && clearlyBelow(x, g.lonMax() + g.lonInc()) &&
         clearlyBelow(g.latMin() - g.latInc(), y) && clearlyBelow(y, g.latMax() + g.latInc());
}

SubGridMatch topLevelMatch(const GridFile& grid, double x, double y) {
  if (!std::isfinite(x) || !std::isfinite(y)) return {};
  const SubGrid* chosen = nullptr;
  int best = 6;
  for (const SubGrid& top : grid.topLevel()) {
    const int locationClass = rectangleClass(top, x, y);
    if (locationClass == kClassInterior) return {&top, kClassInterior};
    if (locationClass != 0) {
      if (best > locationClass) {
        chosen = &top;
        best = locationClass;
      }
    } else if (best == 6 && inMargin(top, x, y)) {
      chosen = &top;
      best = kClassMargin;
    }
  }
  return chosen == nullptr ? SubGridMatch{} : SubGridMatch{chosen, best};
}

}  // namespace walk

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
  const double reach = (std::fabs(v) + 1.0) * walk::kTolerance;
  std::vector<double> values{v, std::nextafter(v, -INFINITY), std::nextafter(v, INFINITY)};
  for (const double f : {0.5, 0.99, 1.01, 2.0}) {
    values.push_back(v - f * reach);
    values.push_back(v + f * reach);
  }
  return values;
}

void expectSameAsWalk(const GridFile& grid, double x, double y, int& failures) {
  const SubGridMatch indexed = findSubGrid(grid, x, y);
  const SubGridMatch walked = walk::topLevelMatch(grid, x, y);
  if (indexed.subGrid == walked.subGrid && indexed.locationClass == walked.locationClass) return;
  if (++failures > 10) return;
  ADD_FAILURE() << "at x " << std::hexfloat << x << " y " << y << ": index gives "
                << (indexed.subGrid ? indexed.subGrid->index() : -1) << " class " << indexed.locationClass
                << ", walk " << (walked.subGrid ? walked.subGrid->index() : -1) << " class "
                << walked.locationClass;
}

TEST(TopLevelIndex, FindsWhatTheWalkFinds) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  for (const unsigned seed : {1U, 2U, 3U}) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937_64 random(seed);
    const std::vector<Bounds> layout = randomLayout(random, 300);
    const std::unique_ptr<GridFile> grid = gridOf(layout);
    ASSERT_NE(GridFileBuilder::topLevelIndex(*grid), nullptr);
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
        for (const double y : ys) expectSameAsWalk(*grid, x, y, failures);
      }
    }
    // Lattice points (shared edges and corners) and points anywhere, over the layout and beyond.
    for (int i = -4; i <= 280; ++i) {
      for (int j = -4; j <= 280; j += 3)
        expectSameAsWalk(*grid, 159.0 + 0.0625 * i, -51.0 + 0.0625 * j, failures);
    }
    std::uniform_real_distribution<double> lon(158.0, 180.0);
    std::uniform_real_distribution<double> lat(-52.0, -30.0);
    for (int n = 0; n < 20000; ++n) expectSameAsWalk(*grid, lon(random), lat(random), failures);
    // Not numbers, infinities, and coordinates beyond and within the range of the index.
    for (const double x : {kNaN, kInf, -kInf, 1.75e308, -1.75e308, 1e307, -1e307, 170.5, 0.0}) {
      for (const double y :
           {kNaN, kInf, -kInf, 1.75e308, -1.75e308, 1e307, -1e307, -44.5, -35.5, -30.5, -30.0}) {
        expectSameAsWalk(*grid, x, y, failures);
      }
    }
    EXPECT_EQ(failures, 0);
  }
}

TEST(TopLevelIndex, BothReadersIndexWhatTheyRead) {
  // 3 x 4 touching tiles of one degree, 0.5-degree spacing, in file order row by row.
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
  TempDir dir;
  for (const char* name : {"tiles.gsb", "tiles.gsa"}) {
    SCOPED_TRACE(name);
    const std::unique_ptr<GridFile> grid = openGridFile(writeGridFile(dir, name, image));
    ASSERT_NE(grid, nullptr);
    ASSERT_NE(GridFileBuilder::topLevelIndex(*grid), nullptr);
    int failures = 0;
    for (int i = -4; i <= 36; ++i) {
      for (int j = -4; j <= 28; ++j)
        expectSameAsWalk(*grid, 169.75 + 0.125 * i, -40.25 + 0.125 * j, failures);
    }
    EXPECT_EQ(failures, 0);
  }
}

}  // namespace
}  // namespace velmora
