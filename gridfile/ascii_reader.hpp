// Reader of the text NTv2 form (.gsa): one record per line, "#" comments, "." decimal points.
#pragma once

#include <memory>
#include <string_view>

#include "velmora/gridfile/grid_file.hpp"

namespace velmora {

// Node shifts in memory (no accuracies), the file left open, held by the grid, until the grid is
// closed; nullptr and the code of the first failure otherwise: 321 cannot open, 322 the file ends
// before a header or node line, 323 a node line without 2 or 4 values, 301-305 and 201-208 as for
// the binary form (GS_COUNT 0 or less is 305), 307-310 hierarchy.
std::unique_ptr<GridFile> openAsciiGridFile(std::string_view fileName, GridError& error);

}  // namespace velmora
