// A regular latitude/longitude grid read from a GTX or GeoTIFF file, put into the NTv2 form the
// search reads: rows from the south, columns from the EAST, shifts in arc-seconds positive WEST.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "gridfile/grid_builder.hpp"
#include "velmora/gridfile/grid_writer.hpp"

namespace velmora {

// At most this many nodes in one file, all sub-grids together: 2^25, room for every national grid
// (AUSGeoid2020 about 8 million nodes at 1', NZGeoid2016 about 3.8 million, a 15' world geoid one
// million) while a file cannot ask for more than about 270 MB of node values per field.
inline constexpr std::uint64_t kMaxGridNodes = 33554432;

// Node geometry in degrees, latitudes north and longitudes east positive.
struct RegularGridGeometry {
  double south = 0.0;  // latitude of the southern row
  double west = 0.0;   // longitude of the western column
  double latStep = 0.0;
  double lonStep = 0.0;
  int rows = 0;
  int columns = 0;

  double north() const { return south + latStep * (rows - 1); }   // latitude of the northern row
  double east() const { return west + lonStep * (columns - 1); }  // longitude of the eastern column
};

// False unless the geometry is usable: every value finite, steps positive and above 1e-10
// degrees, at least two rows and two columns, latitudes within +-180 and longitudes within +-720
// degrees (the loose limits a GeoTIFF reader takes, so that grids past a pole or the antimeridian
// still read).
bool regularGeometryValid(const RegularGridGeometry& geometry);

// Fills subGrid (index, in use, name and parent as given, normalised to 8 characters) with the
// geometry: bounds in degrees as given, a header in arc-seconds positive west for writing the grid
// as NTv2, the node count, and, unless the caller brings its own, shifts sized for every node (0 in
// both fields). The geometry must be valid.
SubGridFields& initRegularSubGrid(const RegularGridGeometry& geometry, const std::string& name,
                                  const std::string& parent, int index, SubGrid& subGrid, bool allocateShifts = true);

// The geometry of a sub-grid description in degrees and the factor from its unit to arc-seconds:
// 0, 304 for a unit other than SECONDS, MINUTES or DEGREES, 335 when the bounds and spacings are no
// grid of at least 2 x 2 nodes holding exactly the nodes given.
GridError imageGeometry(const GridImage& image, const SubGridImage& sub, RegularGridGeometry& geometry,
                        double& toSeconds);

// Unit "SECONDS " (factors 1/3600 and 1), the form and the content, version "NTv2.0", and room for
// subGridCount sub-grids, to be filled by initRegularSubGrid.
void setRegularGridFile(GridFile& grid, GridForm form, GridContent content, std::size_t subGridCount);

}  // namespace velmora
