// Write access to grids for the code that builds them: the two readers, the sub-file header
// conversion, the hierarchy check and tests that make grids by hand. Callers of the library only
// ever see a finished GridFile through its const accessors.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "velmora/gridfile/grid_file.hpp"

namespace velmora {

struct FileCloser {
  void operator()(std::FILE* file) const {
    if (file != nullptr) std::fclose(file);
  }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

namespace detail {

struct TopLevelIndex;  // the search's index of many top-level sub-grids (top_level_index.hpp)
struct TopLevelIndexDeleter {
  void operator()(const TopLevelIndex* index) const;
};

}  // namespace detail

// The state of a SubGrid, written by the readers and the hierarchy check only. The tree links
// join these states, not the SubGrids: a state stays where it is when its SubGrid moves (as the
// grid's array grows), so the links never dangle and the search follows one pointer per step.
// What the per-point search reads comes first, within the first cache lines.
struct SubGrid::Impl {
  Impl* parent = nullptr;
  Impl* firstChild = nullptr;
  Impl* nextSibling = nullptr;     // next child of the same parent, or next top-level sub-grid
  const SubGrid* owner = nullptr;  // the SubGrid holding this state; its moves keep this up to date
  double latMin = 0.0;
  double latMax = 0.0;
  double latInc = 0.0;
  double lonMin = 0.0;
  double lonMax = 0.0;
  double lonInc = 0.0;
  int rows = 0;
  int columns = 0;
  std::vector<float> shifts;
  std::vector<float> accuracies;
  std::string name;
  std::string parentName;
  bool inUse = false;
  int childCount = 0;
  int index = 0;
  std::uint32_t nodeCount = 0;
  std::int64_t dataOffset = 0;
  SubFileHeader header;
};

// The state of a GridFile, written by the readers and the hierarchy check only; what the per-point
// search reads comes first.
struct GridFile::Impl {
  SubGrid::Impl* firstTopLevel = nullptr;
  std::unique_ptr<const detail::TopLevelIndex, detail::TopLevelIndexDeleter>
      topLevelIndex;  // none for a short list
  double toDegrees = 0.0;
  double toSeconds = 0.0;
  // West and east limits (degrees) of what the top-level sub-grids reach, margins included, and
  // whether a top-level sub-grid extends past 180 or -180: a point whose longitude finds no
  // sub-grid is tried again 360 degrees round when that lands inside (see grid_search.cpp).
  double reachWest = 0.0;
  double reachEast = 0.0;
  bool pastAntimeridian = false;
  std::string path;
  int subGridCount = 0;
  int topLevelCount = 0;
  bool paddedInts = false;
  bool byteSwapped = false;
  std::uint32_t defects = 0;
  std::string gsType;
  GridForm form = GridForm::kBinary;
  GridContent content = GridContent::kHorizontal;
  std::vector<SubGrid> subGrids;
  FileHandle source;  // the file being read; text-form files stay open until the grid is released
  GridOverview overview;
};

class GridFileBuilder {
 public:
  using SubGridFields = SubGrid::Impl;
  using GridFileFields = GridFile::Impl;

  static GridFileFields& fields(GridFile& grid) { return *grid.impl_; }
  static const GridFileFields& fields(const GridFile& grid) { return *grid.impl_; }
  static SubGridFields& fields(SubGrid& subGrid) { return *subGrid.impl_; }
  static const SubGridFields& fields(const SubGrid& subGrid) { return *subGrid.impl_; }

  // Sets the state of subGrid back to that of a new SubGrid.
  static SubGridFields& clear(SubGrid& subGrid) {
    *subGrid.impl_ = SubGridFields{};
    subGrid.impl_->owner = &subGrid;
    return *subGrid.impl_;
  }

  // The SubGrid holding a state; nullptr for none.
  static const SubGrid* owner(const SubGridFields* fields) {
    return fields != nullptr ? fields->owner : nullptr;
  }

  // The file the grid is being read from; nullptr once it is closed.
  static std::FILE* file(const GridFile& grid) { return grid.impl_->source.get(); }
  static void closeFile(GridFile& grid) { grid.impl_->source.reset(); }

  // The search's index of the top-level sub-grids; nullptr when the list is walked instead.
  static const detail::TopLevelIndex* topLevelIndex(const GridFile& grid) {
    return grid.impl_->topLevelIndex.get();
  }
};

using SubGridFields = GridFileBuilder::SubGridFields;
using GridFileFields = GridFileBuilder::GridFileFields;

// First step of both readers: a GridFile holding the name and the file opened "rb". nullptr and
// 324 when the name is longer than kMaxGridPathLength characters; 321 when it is empty, holds a
// zero byte, or the file cannot be opened or is not a regular file (a folder, FIFO or device).
std::unique_ptr<GridFile> createGridFile(std::string_view fileName, GridError& error);

// Size of an open file in bytes, its position back at the start; -1 when it cannot be told.
std::int64_t fileSizeOf(std::FILE* file);

// Links parents, children and the top-level list, and indexes a long top-level list for the
// search. Returns 0, 307, 308, 309 or 310.
GridError checkGridHierarchy(GridFile& grid);

// Case-insensitive whole-string comparison used for names, parents, "NONE", "END" and extensions.
bool gridNamesEqual(std::string_view a, std::string_view b);

}  // namespace velmora
