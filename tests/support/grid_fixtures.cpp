#include "tests/support/grid_fixtures.hpp"

#include "common/ascii_text.hpp"

namespace velmora {

std::string writeGridFile(const TempDir& dir, std::string_view name, const GridImage& image,
                          const BinaryLayout& layout) {
  const bool text = name.size() >= 4 && equalsIgnoreCase(name.substr(name.size() - 4), ".gsa");
  return dir.writeFile(name, text ? encodeAsciiGrid(image) : encodeBinaryGrid(image, layout));
}

}  // namespace velmora
