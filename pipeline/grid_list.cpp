// A point is served by the files of a slot in their order. A file's margin band, where its shifts
// fade to zero over one spacing, is a last resort: a later file that holds the point (the Christmas
// Island grid beside the national one, say) serves it rather than the fading edge of an earlier one.
#include "pipeline/grid_list.hpp"

#include <algorithm>
#include <limits>

namespace velmora {

ListMatch findInList(GridList files, double latitude, double longitude) {
  ListMatch margin;
  const std::size_t count =
      std::min<std::size_t>(files.size(), std::numeric_limits<std::uint8_t>::max() + 1U);
  for (std::size_t k = 0; k < count; ++k) {
    const GridFile* grid = files[k];
    if (grid == nullptr) continue;
    const SubGridMatch match = findSubGrid(*grid, longitude, latitude);
    if (match.subGrid == nullptr) continue;
    const auto place = static_cast<std::uint8_t>(k);
    if (match.locationClass != kClassMargin) return {grid, place, match};
    if (margin.grid == nullptr) margin = {grid, place, match};
  }
  return margin;
}

bool anyOpen(GridList files) {
  for (const GridFile* grid : files) {
    if (grid != nullptr) return true;
  }
  return false;
}

}  // namespace velmora
