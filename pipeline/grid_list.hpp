// The files of one grid slot, tried in order: the slot's own file, then the extra files named for it.
#pragma once

#include <cstdint>
#include <span>

#include "velmora/gridfile/grid_search.hpp"

namespace velmora {

// nullptr for a file that is not open; it holds no point.
using GridList = std::span<const GridFile* const>;

// The file of a list that serves a point, and where the point lies in it.
struct ListMatch {
  const GridFile* grid = nullptr;  // nullptr when no file holds the point
  std::uint8_t file = 0;           // its place in the list
  SubGridMatch match;
};

// latitude, longitude (east positive) in degrees. The first file one of whose sub-grids holds the
// point (location class 1 to 4) serves it; only when none does, the first file whose margin band
// holds it.
ListMatch findInList(GridList files, double latitude, double longitude);

// Whether a file of the list is open.
bool anyOpen(GridList files);

}  // namespace velmora
