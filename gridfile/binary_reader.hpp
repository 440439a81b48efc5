// Reader of the binary NTv2 form (.gsb): either byte order, padded or unpadded int32 values.
#pragma once

#include <memory>
#include <string_view>

#include "velmora/gridfile/grid_file.hpp"

namespace velmora {

// The whole file in memory and closed on return; nullptr and the code of the first failure otherwise:
// 321 cannot open or not a regular file, 324 path too long, 301/302/303 NUM_OREC/NUM_SREC/NUM_FILE
// (also when the file ends inside them), 304 GS_TYPE, 305 GS_COUNT (0 or less, or not rows x
// columns), 201-208 bounds and spacings, 2 the file ends inside a header or node block or holds
// fewer sub-files or nodes than declared, 307-310 hierarchy. Counts are checked against the
// file's size before any array is made.
std::unique_ptr<GridFile> openBinaryGridFile(std::string_view fileName, GridError& error);

}  // namespace velmora
