// Reader of the text NTv2 form (.gsa): one record per line, "#" comments, "." decimal points.
#pragma once

#include <memory>
#include <string_view>

#include "gridfile/grid_file.hpp"

namespace velmora {

// Node shifts in memory (no accuracies); nullptr and the code of the first failure otherwise.
std::unique_ptr<GridFile> openAsciiGridFile(std::string_view fileName, GridError& error);

}  // namespace velmora
