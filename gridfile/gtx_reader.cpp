// GTX: a 40-byte big-endian header, latitude and longitude of the south-western node, latitude and
// longitude spacing (float64 degrees), rows and columns (int32), then rows x columns float32
// big-endian values, rows from the south, each row from west to east. -88.8888 marks a node
// without data, and some files use huge values instead, so anything beyond +-1000 m counts as none.
//
// An origin longitude of 180 or more is taken 360 degrees west, as PROJ does, so a grid over New
// Zealand given from 160 E keeps 160 and one given from 200 E becomes -160. A grid that goes round
// the whole globe (columns x spacing of 360 degrees) gets its western column repeated one spacing
// east of the last one, so that points between the last column and 180 + spacing interpolate
// across the seam.

#include "gridfile/gtx_reader.hpp"

#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "gridfile/grid_builder.hpp"
#include "gridfile/regular_grid.hpp"
#include "common/bit_cast.hpp"

namespace velmora {

namespace {

constexpr std::size_t kHeaderBytes = 40;
constexpr std::size_t kValueBytes = 4;
constexpr double kLongitudeOriginLimitDeg = 360.0;
constexpr double kHalfTurnDeg = 180.0;
constexpr double kFullTurnDeg = 360.0;
constexpr double kWorldTolerance = 1e-9;  // relative: columns x spacing that counts as 360 degrees
constexpr float kNoDataBeyondMetres = 1000.0F;

std::uint64_t bigEndianBits(const unsigned char* bytes, std::size_t count) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < count; ++i) value = (value << 8U) | bytes[i];
  return value;
}

double doubleAt(const unsigned char* bytes) {
  return bitCast<double>(bigEndianBits(bytes, sizeof(double)));
}

std::int32_t int32At(const unsigned char* bytes) {
  return bitCast<std::int32_t>(static_cast<std::uint32_t>(bigEndianBits(bytes, sizeof(std::int32_t))));
}

float valueAt(const unsigned char* bytes) {
  const float value = bitCast<float>(static_cast<std::uint32_t>(bigEndianBits(bytes, kValueBytes)));
  if (value == kGtxNoData || std::fabs(value) > kNoDataBeyondMetres) return std::numeric_limits<float>::quiet_NaN();
  return value;
}

GridError readGtx(GridFile& grid) {
  std::FILE* file = GridFileBuilder::file(grid);
  const std::int64_t fileSize = fileSizeOf(file);
  if (fileSize < 0) return kGridIoError;
  std::array<unsigned char, kHeaderBytes> header{};
  if (fileSize < static_cast<std::int64_t>(kHeaderBytes) ||
      std::fread(header.data(), 1, header.size(), file) != header.size()) {
    return kGridInvalidGtxHeader;
  }
  RegularGridGeometry geometry;
  geometry.south = doubleAt(header.data());
  geometry.west = doubleAt(header.data() + 8);
  geometry.latStep = doubleAt(header.data() + 16);
  geometry.lonStep = doubleAt(header.data() + 24);
  const std::int32_t rows = int32At(header.data() + 32);
  const std::int32_t columns = int32At(header.data() + 36);
  if (!(std::fabs(geometry.west) <= kLongitudeOriginLimitDeg) || rows < 2 || columns < 2) return kGridInvalidGtxHeader;
  if (geometry.west >= kHalfTurnDeg) geometry.west -= kFullTurnDeg;
  geometry.rows = rows;
  geometry.columns = columns;

  // Counts against the cap and against the bytes the file holds, before any array is made.
  const auto fileNodes = static_cast<std::uint64_t>(rows) * static_cast<std::uint64_t>(columns);
  if (fileNodes > kMaxGridNodes) return kGridTooLarge;
  if (fileNodes * kValueBytes > static_cast<std::uint64_t>(fileSize) - kHeaderBytes) return kGridTooLarge;

  const bool world = std::fabs(columns * geometry.lonStep - kFullTurnDeg) <= kFullTurnDeg * kWorldTolerance;
  if (world) ++geometry.columns;
  if (!regularGeometryValid(geometry)) return kGridInvalidGtxHeader;

  setRegularGridFile(grid, GridForm::kGtx, GridContent::kGeoid, 1);
  SubGridFields& sub =
      initRegularSubGrid(geometry, "GTX", "NONE", 0, GridFileBuilder::fields(grid).subGrids[0]);
  sub.dataOffset = static_cast<std::int64_t>(kHeaderBytes);

  // Row by row; internal column j holds the node at longitude lonMax - j x spacing, file column
  // (columns - 1 - j), or for the repeated seam column the western one.
  const auto fileColumns = static_cast<std::size_t>(columns);
  const auto gridColumns = static_cast<std::size_t>(geometry.columns);
  std::vector<unsigned char> row(fileColumns * kValueBytes);
  for (std::size_t r = 0; r < static_cast<std::size_t>(rows); ++r) {
    if (std::fread(row.data(), 1, row.size(), file) != row.size()) return kGridIoError;
    float* out = sub.shifts.data() + r * gridColumns * 2;
    for (std::size_t j = 0; j < gridColumns; ++j) {
      const std::size_t fileColumn = (gridColumns - 1 - j) % fileColumns;
      out[2 * j + 1] = valueAt(row.data() + fileColumn * kValueBytes);
    }
  }
  return checkGridHierarchy(grid);
}

}  // namespace

std::unique_ptr<GridFile> openGtxGridFile(std::string_view fileName, GridError& error) {
  std::unique_ptr<GridFile> grid = createGridFile(fileName, error);
  if (!grid) return nullptr;
  error = readGtx(*grid);
  GridFileBuilder::closeFile(*grid);
  if (error != kGridOk) return nullptr;
  return grid;
}

}  // namespace velmora
