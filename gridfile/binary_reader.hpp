// Reader of the binary NTv2 form (.gsb): either byte order, padded or unpadded int32 values.
#pragma once

#include <memory>
#include <string_view>

#include "gridfile/grid_file.hpp"

namespace velmora {

// The whole file in memory and closed on return; nullptr and the code of the first failure otherwise.
std::unique_ptr<GridFile> openBinaryGridFile(std::string_view fileName, GridError& error);

}  // namespace velmora
