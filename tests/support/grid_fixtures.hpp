// Grid fixtures on disk for the tests: the images of tests/support/grid_images.hpp written into a
// temporary folder.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/grid_images.hpp"
#include "tests/support/temp_dir.hpp"
#include "velmora/gridfile/grid_writer.hpp"

namespace velmora {

// Writes image into dir as name: text form when the name ends in ".gsa" (any letter case),
// binary form with layout otherwise. Returns the file's full path.
std::string writeGridFile(const TempDir& dir, std::string_view name, const GridImage& image,
                          const BinaryLayout& layout = {});

// A sub-grid's shift or accuracy values as a vector, for whole-array comparisons.
inline std::vector<float> nodeValues(std::span<const float> values) {
  return {values.begin(), values.end()};
}

}  // namespace velmora
