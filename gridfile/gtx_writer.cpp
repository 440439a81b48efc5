// The GTX writer: see gtx_reader.cpp for the layout.
#include <bit>
#include <cmath>
#include <cstdint>

#include "gridfile/gtx_reader.hpp"
#include "gridfile/regular_grid.hpp"
#include "velmora/gridfile/grid_writer.hpp"
#include "common/bit_cast.hpp"

namespace velmora {

namespace {

void putBigEndian(std::string& out, std::uint64_t bits, std::size_t bytes) {
  for (std::size_t i = bytes; i-- > 0;) out += static_cast<char>((bits >> (8 * i)) & 0xFFU);
}

}  // namespace

GridError encodeGtxGrid(const GridImage& image, std::string& bytes) {
  if (image.content == GridContent::kHorizontal || image.subGrids.size() != 1) return kGridContentMismatch;
  const SubGridImage& sub = image.subGrids.front();
  RegularGridGeometry g;
  double toSeconds = 1.0;
  if (const GridError error = imageGeometry(image, sub, g, toSeconds); error != kGridOk) return error;
  bytes.clear();
  bytes.reserve(40 + sub.nodes.size() * 4);
  putBigEndian(bytes, bitCast<std::uint64_t>(g.south), 8);
  putBigEndian(bytes, bitCast<std::uint64_t>(g.west), 8);
  putBigEndian(bytes, bitCast<std::uint64_t>(g.latStep), 8);
  putBigEndian(bytes, bitCast<std::uint64_t>(g.lonStep), 8);
  putBigEndian(bytes, static_cast<std::uint32_t>(g.rows), 4);
  putBigEndian(bytes, static_cast<std::uint32_t>(g.columns), 4);
  // Rows from the south as stored; each row from the west, where the image starts from the east.
  const auto columns = static_cast<std::size_t>(g.columns);
  for (std::size_t row = 0; row < static_cast<std::size_t>(g.rows); ++row) {
    for (std::size_t i = 0; i < columns; ++i) {
      const float value = sub.nodes[row * columns + (columns - 1 - i)].latShift;
      const bool noData = std::isnan(value) || value <= kNtv2NoDataAtOrBelow;
      const float metres = noData ? kGtxNoData : static_cast<float>(value * toSeconds);
      putBigEndian(bytes, bitCast<std::uint32_t>(metres), 4);
    }
  }
  return kGridOk;
}

}  // namespace velmora
