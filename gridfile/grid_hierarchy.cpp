// The sub-grid tree of an NTv2 file: each sub-file names its parent, "NONE" at the top level.
// Names match ignoring letter case. Lookups go through a table of upper-cased names and the loop
// test colours the tree, so a file with many sub-grids is checked in linear time; the results are
// those of the plain file-order searches (first sub-grid of a name, parent chains longer than the
// number of child sub-grids). A long top-level list is then indexed for the search.

#include <algorithm>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/ascii_text.hpp"
#include "gridfile/grid_builder.hpp"
#include "gridfile/top_level_index.hpp"

namespace velmora {

namespace {

constexpr std::string_view kTopLevelParent = "NONE    ";
constexpr std::string_view kBlankName = "        ";
constexpr double kHalfTurnDeg = 180.0;  // the antimeridian, degrees

std::string upperCased(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = asciiUpper(c);
  return upper;
}

// 0 when no parent chain returns on itself, 310 otherwise. Every chain that does not loop ends at
// a top-level sub-grid within (sub-grids - top-level + 1) steps, so a chain longer than that is
// exactly a chain that meets a loop.
GridError checkParentLoops(const std::vector<SubGrid>& subGrids) {
  enum class Mark : unsigned char { kUnvisited, kOnPath, kDone };
  std::vector<Mark> marks(subGrids.size(), Mark::kUnvisited);
  std::vector<std::size_t> path;
  for (std::size_t start = 0; start < subGrids.size(); ++start) {
    path.clear();
    const SubGrid* current = &subGrids[start];
    while (current != nullptr) {
      const auto index = static_cast<std::size_t>(current - subGrids.data());
      if (marks[index] == Mark::kDone) break;
      if (marks[index] == Mark::kOnPath) return kGridParentLoop;
      marks[index] = Mark::kOnPath;
      path.push_back(index);
      current = GridFileBuilder::owner(GridFileBuilder::fields(*current).parent);
    }
    for (const std::size_t index : path) marks[index] = Mark::kDone;
  }
  return kGridOk;
}

}  // namespace

GridError checkGridHierarchy(GridFile& grid) {
  GridFileFields& fields = GridFileBuilder::fields(grid);
  fields.topLevelCount = 0;
  fields.firstTopLevel = nullptr;
  fields.topLevelIndex.reset();
  fields.pastAntimeridian = false;
  if (fields.subGridCount <= 0) return kGridNoTopLevelParent;

  // First sub-grid in file order of each name.
  std::unordered_map<std::string, SubGridFields*> byName;
  byName.reserve(fields.subGrids.size());
  for (SubGrid& entry : fields.subGrids) {
    SubGridFields& subGrid = GridFileBuilder::fields(entry);
    if (subGrid.inUse) byName.emplace(upperCased(subGrid.name), &subGrid);
  }

  SubGridFields* lastTopLevel = nullptr;
  for (SubGrid& entry : fields.subGrids) {
    SubGridFields& subGrid = GridFileBuilder::fields(entry);
    if (!subGrid.inUse) continue;
    subGrid.parent = nullptr;
    subGrid.firstChild = nullptr;
    subGrid.nextSibling = nullptr;
    if (gridNamesEqual(subGrid.name, kBlankName)) fields.defects |= kDefectBlankName;

    if (!gridNamesEqual(subGrid.parentName, kTopLevelParent)) {
      if (gridNamesEqual(subGrid.name, subGrid.parentName)) return kGridInvalidParentName;
      // The sub-grid's own name differs from its parent name, so the first match is another one.
      const auto found = byName.find(upperCased(subGrid.parentName));
      if (found != byName.end()) {
        subGrid.parent = found->second;
        ++found->second->childCount;
        continue;
      }
      if (!gridNamesEqual(subGrid.parentName, kBlankName)) return kGridParentNotFound;
      // A blank parent that names nothing is taken for a top-level sub-fields.
      subGrid.parentName = std::string(kTopLevelParent);
      fields.defects |= kDefectBlankParent;
    }

    ++fields.topLevelCount;
    if (lastTopLevel == nullptr) {
      fields.firstTopLevel = &subGrid;
    } else {
      lastTopLevel->nextSibling = &subGrid;
    }
    lastTopLevel = &subGrid;
  }
  if (fields.firstTopLevel == nullptr) return kGridNoTopLevelParent;

  fields.reachWest = fields.firstTopLevel->lonMin - fields.firstTopLevel->lonInc;
  fields.reachEast = fields.firstTopLevel->lonMax + fields.firstTopLevel->lonInc;
  for (const SubGridFields* top = fields.firstTopLevel; top != nullptr; top = top->nextSibling) {
    fields.reachWest = std::min(fields.reachWest, top->lonMin - top->lonInc);
    fields.reachEast = std::max(fields.reachEast, top->lonMax + top->lonInc);
    if (top->lonMin < -kHalfTurnDeg || top->lonMax > kHalfTurnDeg) fields.pastAntimeridian = true;
  }

  if (const GridError loop = checkParentLoops(fields.subGrids); loop != kGridOk) return loop;

  // Children of each parent, in file order.
  std::vector<SubGridFields*> lastChild(fields.subGrids.size(), nullptr);
  for (SubGrid& entry : fields.subGrids) {
    SubGridFields& subGrid = GridFileBuilder::fields(entry);
    if (!subGrid.inUse || subGrid.parent == nullptr) continue;
    const auto parentIndex = static_cast<std::size_t>(subGrid.parent->owner - fields.subGrids.data());
    if (lastChild[parentIndex] == nullptr) {
      subGrid.parent->firstChild = &subGrid;
    } else {
      lastChild[parentIndex]->nextSibling = &subGrid;
    }
    lastChild[parentIndex] = &subGrid;
  }
  indexTopLevel(grid);
  return kGridOk;
}

}  // namespace velmora
