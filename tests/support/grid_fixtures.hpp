// Grid fixtures on disk for the tests: the images of tests/support/grid_images.hpp written into a
// temporary folder.
#pragma once

#include <string>
#include <string_view>

#include "velmora/gridfile/grid_writer.hpp"
#include "tests/support/grid_images.hpp"
#include "tests/support/temp_dir.hpp"

namespace velmora {

// Writes image into dir as name: text form when the name ends in ".gsa" (any letter case),
// binary form with layout otherwise. Returns the file's full path.
std::string writeGridFile(const TempDir& dir, std::string_view name, const GridImage& image,
                          const BinaryLayout& layout = {});

}  // namespace velmora
