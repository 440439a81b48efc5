#include "gridfile/top_level_index.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <utility>

#include "gridfile/grid_builder.hpp"

namespace velmora {

void detail::TopLevelIndexDeleter::operator()(const TopLevelIndex* index) const {
  delete index;
}

namespace {

using Node = detail::TopLevelIndex::Node;
using detail::SearchBox;

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kLargest = std::numeric_limits<double>::max();

// The widest reach of the edge tolerance around a bound, with room for rounding.
double toleranceReach(double bound) {
  return (std::fabs(bound) + 1.0) * kSearchBoxWidening;
}

// Both sides, or the whole axis when a value along it is beyond the indexed limit (or not a
// number): there the tolerance gives no bound.
void setAxis(double low, double high, double& boxLow, double& boxHigh) {
  const bool ordinary = low >= -kIndexedCoordinateLimit && high <= kIndexedCoordinateLimit;
  boxLow = ordinary ? low : -kInfinity;
  boxHigh = ordinary ? high : kInfinity;
}

// Both bounds with the tolerance's reach and all between them, in whichever order they come.
void setRectangleAxis(double lower, double upper, double& boxLow, double& boxHigh) {
  setAxis(std::min(lower - toleranceReach(lower), upper - toleranceReach(upper)),
          std::max(upper + toleranceReach(upper), lower + toleranceReach(lower)), boxLow, boxHigh);
}

SearchBox rectangleBox(const SubGridFields& g) {
  SearchBox box;
  setRectangleAxis(g.lonMin, g.lonMax, box.lonLow, box.lonHigh);
  setRectangleAxis(g.latMin, g.latMax, box.latLow, box.latHigh);
  return box;
}

// The rectangle box, or the margin's limit one spacing out where that lies further.
SearchBox reachBox(const SubGridFields& g, const SearchBox& rectangle) {
  SearchBox box;
  setAxis(std::min(g.lonMin - g.lonInc, rectangle.lonLow), std::max(g.lonMax + g.lonInc, rectangle.lonHigh),
          box.lonLow, box.lonHigh);
  setAxis(std::min(g.latMin - g.latInc, rectangle.latLow), std::max(g.latMax + g.latInc, rectangle.latHigh),
          box.latLow, box.latHigh);
  return box;
}

// Sort keys: the middle of a side pair, finite even for unbounded sides.
double middle(double low, double high) {
  return 0.5 * std::clamp(low, -kLargest, kLargest) + 0.5 * std::clamp(high, -kLargest, kLargest);
}

// Orders items so that every run of kIndexFanOut lies close together: sorted by longitude into
// about sqrt(groups) vertical slices of whole groups, each slice sorted by latitude.
template <typename Item>
void packInSlices(std::vector<Item>& items) {
  const std::size_t groups = (items.size() + kIndexFanOut - 1) / kIndexFanOut;
  const auto slices = static_cast<std::size_t>(std::ceil(std::sqrt(static_cast<double>(groups))));
  const std::size_t sliceItems = (groups + slices - 1) / slices * kIndexFanOut;
  std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
    return middle(a.box.lonLow, a.box.lonHigh) < middle(b.box.lonLow, b.box.lonHigh);
  });
  for (std::size_t from = 0; from < items.size(); from += sliceItems) {
    const auto last = items.begin() + static_cast<std::ptrdiff_t>(std::min(from + sliceItems, items.size()));
    std::sort(items.begin() + static_cast<std::ptrdiff_t>(from), last, [](const Item& a, const Item& b) {
      return middle(a.box.latLow, a.box.latHigh) < middle(b.box.latLow, b.box.latHigh);
    });
  }
}

// One node for every run of kIndexFanOut items, with the box that holds theirs.
template <typename Item>
std::vector<Node> groupsOf(const std::vector<Item>& items) {
  std::vector<Node> nodes;
  nodes.reserve((items.size() + kIndexFanOut - 1) / kIndexFanOut);
  for (std::size_t first = 0; first < items.size(); first += kIndexFanOut) {
    Node node;
    node.first = static_cast<std::uint32_t>(first);
    node.count = static_cast<std::uint32_t>(std::min(kIndexFanOut, items.size() - first));
    node.box = items[first].box;
    for (std::size_t i = first + 1; i < first + node.count; ++i) {
      const SearchBox& box = items[i].box;
      node.box.lonLow = std::min(node.box.lonLow, box.lonLow);
      node.box.lonHigh = std::max(node.box.lonHigh, box.lonHigh);
      node.box.latLow = std::min(node.box.latLow, box.latLow);
      node.box.latHigh = std::max(node.box.latHigh, box.latHigh);
    }
    nodes.push_back(node);
  }
  return nodes;
}

}  // namespace

void indexTopLevel(GridFile& grid) {
  GridFileFields& fields = GridFileBuilder::fields(grid);
  fields.topLevelIndex.reset();
  if (fields.topLevelCount < kIndexedTopLevelMin) return;

  struct Entry {
    SearchBox box;  // the reach box, which the tree is built on
    SearchBox rectangle;
    const SubGridFields* subGrid;
    std::uint32_t position;
  };
  std::vector<Entry> entries;
  entries.reserve(static_cast<std::size_t>(fields.topLevelCount));
  std::uint32_t position = 0;
  for (const SubGridFields* top = fields.firstTopLevel; top != nullptr; top = top->nextSibling) {
    const SearchBox rectangle = rectangleBox(*top);
    entries.push_back({reachBox(*top, rectangle), rectangle, top, position++});
  }
  packInSlices(entries);

  auto index = std::make_unique<detail::TopLevelIndex>();
  index->reach.reserve(entries.size());
  index->rectangle.reserve(entries.size());
  index->subGrids.reserve(entries.size());
  index->positions.reserve(entries.size());
  for (const Entry& entry : entries) {
    index->reach.push_back(entry.box);
    index->rectangle.push_back(entry.rectangle);
    index->subGrids.push_back(entry.subGrid);
    index->positions.push_back(entry.position);
  }
  std::vector<Node> level = groupsOf(entries);
  while (level.size() > 1) {
    // Reordering a level moves whole nodes, so the ranges they hold in the level below stay valid.
    packInSlices(level);
    std::vector<Node> above = groupsOf(level);
    index->levels.push_back(std::move(level));
    level = std::move(above);
  }
  index->levels.push_back(std::move(level));
  fields.topLevelIndex.reset(index.release());
}

}  // namespace velmora
