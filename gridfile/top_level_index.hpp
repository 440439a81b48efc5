// An index of a grid's top-level sub-grids for the search: for a point, the few that can hold it,
// without walking a list of thousands.
//
// Each top-level sub-grid gets two boxes: its rectangle widened by the reach of the edge
// tolerance, which holds every point its edge tests accept, and that box grown by the margin of one
// spacing, which holds every point the search could give it at all. The outer boxes are packed into
// a tree of fan-out kIndexFanOut (sorted into vertical slices by longitude, each slice by latitude,
// then grouped), each node holding the union of its children's boxes. The index only narrows the
// candidates: the search still judges each with its own edge tests. It is built once when the grid
// is read and only read afterwards, by any number of threads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "gridfile/grid_builder.hpp"
#include "velmora/gridfile/grid_file.hpp"

namespace velmora {

// Below this many top-level sub-grids the search walks the list: a point inside the first one
// costs a single test there, half what a walk through the index costs.
inline constexpr int kIndexedTopLevelMin = 8;

// Children of an index node.
inline constexpr std::size_t kIndexFanOut = 16;

// Rectangle boxes are the rectangle widened by this relative amount (of |bound| + 1) on each side:
// 2^-40, a thousand times the search's edge tolerance of 2^-50, so that rounding in either test
// can never put a point the search accepts outside its box.
inline constexpr double kSearchBoxWidening = 9.094947017729282e-13;  // 2^-40

// Coordinates beyond this size (2^1020 degrees) are not looked up in the index: with larger
// values the edge tolerance itself overflows and can accept points anywhere. A box side with a
// value beyond it is unbounded.
inline constexpr double kIndexedCoordinateLimit = 1.1235582092889474e307;  // 2^1020

namespace detail {

// Degrees, longitudes east positive; closed on every side; a side may be infinite.
struct SearchBox {
  double lonLow = 0.0;
  double lonHigh = 0.0;
  double latLow = 0.0;
  double latHigh = 0.0;

  // Without short cuts: the four comparisons cost less than a mispredicted branch.
  bool holds(double x, double y) const {
    return (lonLow <= x) & (x <= lonHigh) & (latLow <= y) & (y <= latHigh);
  }
};

// Entry i is the top-level sub-grid subGrids[i]; the arrays are in packing order.
struct TopLevelIndex {
  struct Node {
    SearchBox box;
    std::uint32_t first = 0;  // children: entries (level 0) or nodes of the level below
    std::uint32_t count = 0;
  };
  enum class Boxes { kRectangle, kReach };

  std::vector<SearchBox> reach;      // every point the search could give the sub-grid, margin included
  std::vector<SearchBox> rectangle;  // every point its edge tests can accept
  std::vector<const SubGridFields*> subGrids;
  std::vector<std::uint32_t> positions;   // place in the top-level list, from 0
  std::vector<std::vector<Node>> levels;  // levels[0] groups entries; the last level is the root alone

  // Calls visit(subGrid, position) for every top-level sub-grid whose rectangle or reach box holds
  // (x, y), in no particular order. x and y finite and within kIndexedCoordinateLimit.
  template <typename Visit>
  void forEachCandidate(Boxes boxes, double x, double y, Visit&& visit) const {
    const Node& root = levels.back().front();
    if (root.box.holds(x, y))
      visitNode(levels.size() - 1, root, boxes == Boxes::kReach ? reach : rectangle, x, y, visit);
  }

 private:
  template <typename Visit>
  void visitNode(std::size_t level, const Node& node, const std::vector<SearchBox>& entryBoxes, double x,
                 double y, Visit& visit) const {
    const std::uint32_t end = node.first + node.count;
    if (level == 0) {
      for (std::uint32_t i = node.first; i < end; ++i) {
        if (entryBoxes[i].holds(x, y)) visit(*subGrids[i], positions[i]);
      }
      return;
    }
    const std::vector<Node>& below = levels[level - 1];
    for (std::uint32_t i = node.first; i < end; ++i) {
      if (below[i].box.holds(x, y)) visitNode(level - 1, below[i], entryBoxes, x, y, visit);
    }
  }
};

}  // namespace detail

// Indexes the top-level list of a linked grid (after the hierarchy check) when it holds at least
// kIndexedTopLevelMin sub-grids; otherwise the grid is left without an index.
void indexTopLevel(GridFile& grid);

}  // namespace velmora
