// Write access to grids for the code that builds them: the two readers, the sub-file header
// conversion, the hierarchy check and tests that make grids by hand. Callers of the library only
// ever see a finished GridFile through its const accessors.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string_view>

#include "velmora/gridfile/grid_file.hpp"

namespace velmora {

struct FileCloser {
  void operator()(std::FILE* file) const {
    if (file != nullptr) std::fclose(file);
  }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

namespace detail {

struct GridSource {
  FileHandle file;
};

}  // namespace detail

class GridFileBuilder {
 public:
  static detail::GridFileFields& fields(GridFile& grid) { return grid.fields_; }
  static detail::SubGridFields& fields(SubGrid& subGrid) { return subGrid.fields_; }

  // The file the grid is being read from; nullptr once it is closed.
  static std::FILE* file(const GridFile& grid) {
    return grid.fields_.source ? grid.fields_.source->file.get() : nullptr;
  }
  static void closeFile(GridFile& grid) { grid.fields_.source.reset(); }

  // The search's index of the top-level sub-grids; nullptr when the list is walked instead.
  static const detail::TopLevelIndex* topLevelIndex(const GridFile& grid) {
    return grid.fields_.topLevelIndex.get();
  }
};

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
