#include "tests/support/grid_fixtures.hpp"

namespace velmora {

std::string writeGridFile(const TempDir& dir, std::string_view name, const GridImage& image,
                          const BinaryLayout& layout) {
  const bool text = gridFormFromName(name) == GridForm::kText;
  return dir.writeFile(name, text ? encodeAsciiGrid(image) : encodeBinaryGrid(image, layout));
}

}  // namespace velmora
